// TIFF through libtiff: one frame per page. Gray and RGB pages of 8 or 16
// bits with interleaved samples, in strips or tiles, are read directly; other
// layouts of up to 8 bits (palette, YCbCr, 1/2/4-bit, separate planes) go
// through libtiff's RGBA reader.
#include <sys/stat.h>
#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstring>

#include "picture/file_io.h"
#include "picture/handler_base.h"
#include "picture/input_file_base.h"

namespace qe::picture {
namespace {

constexpr uint64_t kMaxFrameBytes = uint64_t{1} << 31;
// No compression libtiff reads makes more than this many bytes of one stored
// byte (deflate stays near 1000, LZW near 1400), so a page whose strips or
// tiles hold too few bytes for its size is damaged.
constexpr uint64_t kMaxExpansion = 65536;
constexpr uint32_t kMaxStriles = 1u << 24;

int SilentTiffMessage(TIFF*, void*, const char*, const char*, va_list) {
  // Corrupt files are reported by status; libtiff must not print to the host's stderr.
  return 1;
}

// Open options that silence libtiff for one open.
class CQeTiffOpenOptions {
 public:
  CQeTiffOpenOptions() : options_(TIFFOpenOptionsAlloc()) {
    if (!options_) return;
    TIFFOpenOptionsSetErrorHandlerExtR(options_, SilentTiffMessage, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options_, SilentTiffMessage, nullptr);
    TIFFOpenOptionsSetMaxSingleMemAlloc(options_, static_cast<tmsize_t>(kMaxFrameBytes));
  }
  ~CQeTiffOpenOptions() {
    if (options_) TIFFOpenOptionsFree(options_);
  }
  CQeTiffOpenOptions(const CQeTiffOpenOptions&) = delete;
  CQeTiffOpenOptions& operator=(const CQeTiffOpenOptions&) = delete;
  TIFFOpenOptions* get() const { return options_; }

 private:
  TIFFOpenOptions* options_;
};

// The tags of the current page that decoding depends on.
struct SQeTiffLayout {
  uint32_t width = 0;
  uint32_t height = 0;
  uint16_t samplesPerPixel = 1;
  uint16_t bitsPerSample = 1;
  uint16_t photometric = PHOTOMETRIC_MINISBLACK;
  uint16_t planar = PLANARCONFIG_CONTIG;
  uint16_t sampleFormat = SAMPLEFORMAT_UINT;
  bool tiled = false;

  bool Gray() const {
    return photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_MINISWHITE;
  }
  unsigned int Components() const { return Gray() ? 1 : 3; }
  unsigned int BytesPerSample() const { return bitsPerSample / 8; }
  bool Direct() const {
    const bool shape = (Gray() && samplesPerPixel >= 1) ||
                       (photometric == PHOTOMETRIC_RGB && samplesPerPixel >= 3);
    const bool interleaved = planar == PLANARCONFIG_CONTIG || samplesPerPixel == 1;
    const bool integer = sampleFormat == SAMPLEFORMAT_UINT || sampleFormat == SAMPLEFORMAT_INT ||
                         sampleFormat == SAMPLEFORMAT_VOID;
    return shape && interleaved && integer && (bitsPerSample == 8 || bitsPerSample == 16);
  }
};

bool ReadLayout(TIFF* tif, SQeTiffLayout& layout) {
  TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &layout.width);
  TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &layout.height);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &layout.samplesPerPixel);
  TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &layout.bitsPerSample);
  if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &layout.photometric)) {
    layout.photometric = layout.samplesPerPixel >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK;
  }
  TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &layout.planar);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &layout.sampleFormat);
  layout.tiled = TIFFIsTiled(tif) != 0;
  return layout.width > 0 && layout.height > 0 && layout.samplesPerPixel > 0 &&
         static_cast<uint64_t>(layout.width) * layout.height <= kMaxFrameBytes;
}

// Whether the current page's stored strips or tiles could hold sampleBytes
// of samples. Checked before a frame is allocated, so that a small damaged
// file declaring a huge page costs no more memory than its data could fill.
// Only the bytes of a strip or tile that lie inside the file count.
bool StoredDataCanHold(TIFF* tif, const SQeTiffLayout& layout, uint64_t sampleBytes) {
  struct stat st;
  if (fstat(TIFFFileno(tif), &st) != 0 || st.st_size <= 0) return false;
  const auto fileSize = static_cast<uint64_t>(st.st_size);
  const uint32_t striles = layout.tiled ? TIFFNumberOfTiles(tif) : TIFFNumberOfStrips(tif);
  if (striles == 0 || striles > kMaxStriles) return false;
  uint64_t stored = 0;
  for (uint32_t i = 0; i < striles && stored * kMaxExpansion < sampleBytes; ++i) {
    const uint64_t offset = TIFFGetStrileOffset(tif, i);
    if (offset < fileSize) stored += std::min(TIFFGetStrileByteCount(tif, i), fileSize - offset);
  }
  return stored * kMaxExpansion >= sampleBytes;
}

// Reads the interleaved samples of the current page, row after row.
int ReadStrips(TIFF* tif, const SQeTiffLayout& layout, size_t rowBytes, uint8_t* out) {
  uint32_t rowsPerStrip = layout.height;
  TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
  rowsPerStrip = std::clamp<uint32_t>(rowsPerStrip, 1, layout.height);
  const uint32_t strips = (layout.height + rowsPerStrip - 1) / rowsPerStrip;
  if (TIFFNumberOfStrips(tif) < strips) return eQeUnusableFile;
  for (uint32_t s = 0; s < strips; ++s) {
    const uint32_t rows = std::min(rowsPerStrip, layout.height - s * rowsPerStrip);
    const auto want = static_cast<tmsize_t>(rows * rowBytes);
    if (TIFFReadEncodedStrip(tif, s, out + s * rowsPerStrip * rowBytes, want) != want) {
      return eQeUnusableFile;
    }
  }
  return eQeOk;
}

int ReadTiles(TIFF* tif, const SQeTiffLayout& layout, size_t rowBytes, uint8_t* out) {
  uint32_t tileWidth = 0, tileHeight = 0;
  TIFFGetField(tif, TIFFTAG_TILEWIDTH, &tileWidth);
  TIFFGetField(tif, TIFFTAG_TILELENGTH, &tileHeight);
  const size_t pixelBytes = rowBytes / layout.width;
  const tmsize_t tileBytes = TIFFTileSize(tif);
  const auto tileRowBytes = static_cast<size_t>(TIFFTileRowSize(tif));
  if (tileWidth == 0 || tileHeight == 0 || tileBytes <= 0 ||
      tileRowBytes != tileWidth * pixelBytes ||
      static_cast<uint64_t>(tileRowBytes) * tileHeight > static_cast<uint64_t>(tileBytes)) {
    return eQeUnusableFile;
  }
  std::vector<uint8_t> tile(static_cast<size_t>(tileBytes));
  for (uint32_t y = 0; y < layout.height; y += tileHeight) {
    for (uint32_t x = 0; x < layout.width; x += tileWidth) {
      const uint32_t rows = std::min(tileHeight, layout.height - y);
      const size_t copyBytes = std::min(tileWidth, layout.width - x) * pixelBytes;
      const tmsize_t got =
          TIFFReadEncodedTile(tif, TIFFComputeTile(tif, x, y, 0, 0), tile.data(), tileBytes);
      if (got < static_cast<tmsize_t>(rows * tileRowBytes)) return eQeUnusableFile;
      for (uint32_t r = 0; r < rows; ++r) {
        std::memcpy(out + (y + r) * rowBytes + x * pixelBytes, tile.data() + r * tileRowBytes,
                    copyBytes);
      }
    }
  }
  return eQeOk;
}

// Gray or RGB 8/16-bit interleaved pages: picks the colour samples of each
// pixel, stretches 16 bits to 8, inverts min-is-white pages.
int DecodeDirect(TIFF* tif, const SQeTiffLayout& layout, SQeRaster8& raster) {
  const size_t spp = layout.samplesPerPixel;
  const uint64_t rowBytes64 = uint64_t{layout.width} * spp * layout.BytesPerSample();
  if (rowBytes64 * layout.height > kMaxFrameBytes ||
      !StoredDataCanHold(tif, layout, rowBytes64 * layout.height)) {
    return eQeUnusableFile;
  }
  const auto rowBytes = static_cast<size_t>(rowBytes64);
  std::vector<uint8_t> samples(rowBytes * layout.height);
  const int status = layout.tiled ? ReadTiles(tif, layout, rowBytes, samples.data())
                                  : ReadStrips(tif, layout, rowBytes, samples.data());
  if (status != eQeOk) return status;

  const unsigned int nc = layout.Components();
  const size_t pixels = size_t{layout.width} * layout.height;
  const bool isSigned = layout.sampleFormat == SAMPLEFORMAT_INT;
  raster.width = layout.width;
  raster.height = layout.height;
  raster.components = nc;
  raster.data.resize(pixels * nc);
  if (layout.bitsPerSample == 8) {
    // Flipping the top bit orders signed samples like unsigned ones.
    const uint8_t flip = isSigned ? 0x80 : 0;
    for (size_t i = 0; i < pixels; ++i) {
      for (unsigned int c = 0; c < nc; ++c) raster.data[i * nc + c] = samples[i * spp + c] ^ flip;
    }
  } else {
    const uint16_t flip = isSigned ? 0x8000 : 0;
    std::vector<uint16_t> wide(pixels * nc);
    const auto* in = reinterpret_cast<const uint16_t*>(samples.data());
    for (size_t i = 0; i < pixels; ++i) {
      for (unsigned int c = 0; c < nc; ++c) wide[i * nc + c] = in[i * spp + c] ^ flip;
    }
    Stretch16To8(wide, raster.data.data());
  }
  if (layout.photometric == PHOTOMETRIC_MINISWHITE) {
    for (uint8_t& v : raster.data) v = static_cast<uint8_t>(255 - v);
  }
  return eQeOk;
}

int DecodeRgba(TIFF* tif, const SQeTiffLayout& layout, SQeRaster8& raster) {
  char message[1024] = {};
  if (layout.bitsPerSample > 8 || !TIFFRGBAImageOK(tif, message)) return eQeUnusableFile;
  const uint64_t rowBits = uint64_t{layout.width} * layout.samplesPerPixel * layout.bitsPerSample;
  if (!StoredDataCanHold(tif, layout, (rowBits + 7) / 8 * layout.height)) return eQeUnusableFile;
  const size_t pixels = size_t{layout.width} * layout.height;
  std::vector<uint32_t> rgba(pixels);
  if (!TIFFReadRGBAImageOriented(tif, layout.width, layout.height, rgba.data(), ORIENTATION_TOPLEFT,
                                 1)) {
    return eQeUnusableFile;
  }
  const unsigned int nc = layout.Components();
  raster.width = layout.width;
  raster.height = layout.height;
  raster.components = nc;
  raster.data.resize(pixels * nc);
  for (size_t i = 0; i < pixels; ++i) {
    raster.data[i * nc] = static_cast<uint8_t>(TIFFGetR(rgba[i]));
    if (nc == 3) {
      raster.data[i * 3 + 1] = static_cast<uint8_t>(TIFFGetG(rgba[i]));
      raster.data[i * 3 + 2] = static_cast<uint8_t>(TIFFGetB(rgba[i]));
    }
  }
  return eQeOk;
}

class CQeTiffInput final : public CQeInputImageFileBase {
 public:
  // Opens and counts the pages: 0 or -10 (-9 without memory).
  static int Open(const std::string& path, CQeRefCountPtr<IQeInputImageFile>& file) {
    CQeTiffOpenOptions options;
    TIFF* tif = TIFFOpenExt(path.c_str(), "rm", options.get());
    if (!tif) return eQeUnusableFile;
    const tdir_t pages = TIFFNumberOfDirectories(tif);
    SQeTiffLayout first;
    if (pages == 0 || !ReadLayout(tif, first)) {
      TIFFClose(tif);
      return eQeUnusableFile;
    }
    const int status = MakeCounted<CQeTiffInput>(file, tif, pages);
    if (status != eQeOk) TIFFClose(tif);
    return status;
  }

  CQeTiffInput(TIFF* tif, tdir_t pages) : tif_(tif), pages_(pages) {}
  ~CQeTiffInput() override { TIFFClose(tif_); }

 protected:
  int FrameInfo(int frameIndex, SQeImageInfo& info) override {
    SQeTiffLayout layout;
    if (int status = SelectPage(frameIndex, layout); status != eQeOk) return status;
    info = {layout.width, layout.height, pages_, layout.Components(), layout.bitsPerSample};
    return eQeOk;
  }

  int DecodeFrame(int frameIndex, unsigned int, unsigned int, SQeRaster8& raster) override {
    SQeTiffLayout layout;
    if (int status = SelectPage(frameIndex, layout); status != eQeOk) return status;
    return layout.Direct() ? DecodeDirect(tif_, layout, raster) : DecodeRgba(tif_, layout, raster);
  }

 private:
  int SelectPage(int frameIndex, SQeTiffLayout& layout) {
    if (frameIndex < 0 || static_cast<tdir_t>(frameIndex) >= pages_) return eQeNotFound;
    const auto page = static_cast<tdir_t>(frameIndex);
    if (TIFFCurrentDirectory(tif_) != page && !TIFFSetDirectory(tif_, page)) {
      return eQeUnusableFile;
    }
    return ReadLayout(tif_, layout) ? eQeOk : eQeUnusableFile;
  }

  TIFF* tif_;
  tdir_t pages_;
};

class CQeTiffHandler final : public CQeFormatHandlerBase {
 public:
  const wchar_t* FormatName() const override { return L"TIF"; }

  int OpenInputFile(const wchar_t* fileName, CQeRefCountPtr<IQeInputImageFile>& file) override {
    if (!fileName || !*fileName) return eQeMissingArgument;
    try {
      const std::string path = NativePath(fileName);
      if (!IsReadableFile(path)) return OpenFailed(false);
      if (CQeTiffInput::Open(path, file) != eQeOk) return OpenFailed(true);
    } catch (const std::exception&) {
      return OpenFailed(true);
    }
    OpenSucceeded();
    return eQeOk;
  }

  int OpenInputBytes(const CQeByteArray& bytes, CQeRefCountPtr<IQeInputImageFile>&) override {
    return bytes.IsEmpty() ? eQeMissingArgument : eQeNotImplemented;
  }
  int CreateOutputBytes(CQeByteArray* bytes, CQeRefCountPtr<IQeOutputImageFile>&) override {
    return bytes ? eQeNotImplemented : eQeMissingArgument;
  }
  int CreateOutputFile(const wchar_t* fileName, CQeRefCountPtr<IQeOutputImageFile>&) override {
    return fileName && *fileName ? eQeNotImplemented : eQeMissingArgument;
  }
};

}  // namespace

CQeRefCountPtr<IQeImageFormatHandler> NewTiffHandler() {
  CQeRefCountPtr<IQeImageFormatHandler> handler;
  MakeCounted<CQeTiffHandler>(handler);
  return handler;
}

}  // namespace qe::picture
