#include "picture/test_images.h"

#include <png.h>

#include <cstring>
#include <fstream>
#include <iterator>

namespace qe::test {
namespace {

class CTiffWriter {
 public:
  explicit CTiffWriter(const std::string& path) : tif_(TIFFOpen(path.c_str(), "w")) {}
  ~CTiffWriter() {
    if (tif_) TIFFClose(tif_);
  }
  TIFF* get() const { return tif_; }

 private:
  TIFF* tif_;
};

void Store(std::vector<uint8_t>& out, size_t index, uint16_t bits, uint16_t value) {
  if (bits == 16) {
    std::memcpy(&out[index * 2], &value, 2);
  } else {
    out[index] = static_cast<uint8_t>(value);
  }
}

bool WritePage(TIFF* tif, const STestTiffPage& page) {
  const size_t bytes = page.bits / 8;
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, page.width);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, page.height);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, page.samples);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, page.bits);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, page.photometric);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, page.compression);
  if (!page.colormap.empty()) {
    const size_t n = page.colormap.size() / 3;
    TIFFSetField(tif, TIFFTAG_COLORMAP, page.colormap.data(), page.colormap.data() + n,
                 page.colormap.data() + 2 * n);
  }
  const size_t pixelSamples = page.samples;
  if (page.tileSize == 0) {
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, page.rowsPerStrip);
    std::vector<uint8_t> row(page.width * pixelSamples * bytes);
    for (uint32_t y = 0; y < page.height; ++y) {
      for (size_t i = 0; i < page.width * pixelSamples; ++i) {
        Store(row, i, page.bits, page.values[y * page.width * pixelSamples + i]);
      }
      if (TIFFWriteScanline(tif, row.data(), y, 0) < 0) return false;
    }
  } else {
    TIFFSetField(tif, TIFFTAG_TILEWIDTH, page.tileSize);
    TIFFSetField(tif, TIFFTAG_TILELENGTH, page.tileSize);
    std::vector<uint8_t> tile(page.tileSize * page.tileSize * pixelSamples * bytes);
    for (uint32_t ty = 0; ty < page.height; ty += page.tileSize) {
      for (uint32_t tx = 0; tx < page.width; tx += page.tileSize) {
        std::fill(tile.begin(), tile.end(), 0);
        for (uint32_t y = ty; y < std::min(ty + page.tileSize, page.height); ++y) {
          for (uint32_t x = tx; x < std::min(tx + page.tileSize, page.width); ++x) {
            for (size_t c = 0; c < pixelSamples; ++c) {
              Store(tile, ((y - ty) * page.tileSize + (x - tx)) * pixelSamples + c, page.bits,
                    page.values[(y * page.width + x) * pixelSamples + c]);
            }
          }
        }
        if (TIFFWriteEncodedTile(tif, TIFFComputeTile(tif, tx, ty, 0, 0), tile.data(),
                                 static_cast<tmsize_t>(tile.size())) < 0) {
          return false;
        }
      }
    }
  }
  return TIFFWriteDirectory(tif) != 0;
}

void Put16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, static_cast<uint16_t>(v));
  Put16(out, static_cast<uint16_t>(v >> 16));
}

}  // namespace

bool WriteTiff(const std::string& path, const std::vector<STestTiffPage>& pages) {
  CTiffWriter writer(path);
  if (!writer.get()) return false;
  for (const STestTiffPage& page : pages) {
    if (!WritePage(writer.get(), page)) return false;
  }
  return true;
}

std::vector<uint8_t> HandMadeGrayTiff(uint16_t width, uint16_t height,
                                      const std::vector<uint8_t>& pixels) {
  struct Entry {
    uint16_t tag, type;
    uint32_t value;
  };
  const uint16_t kShort = 3;
  const uint16_t kLong = 4;
  const uint32_t entries = 9;
  const uint32_t dataOffset = 8 + 2 + entries * 12 + 4;
  const Entry table[] = {{256, kShort, width},
                         {257, kShort, height},
                         {258, kShort, 8},
                         {259, kShort, 1},
                         {262, kShort, 1},
                         {273, kLong, dataOffset},
                         {277, kShort, 1},
                         {278, kShort, height},
                         {279, kLong, static_cast<uint32_t>(pixels.size())}};
  std::vector<uint8_t> out = {'I', 'I', 42, 0};
  Put32(out, 8);
  Put16(out, entries);
  for (const Entry& e : table) {
    Put16(out, e.tag);
    Put16(out, e.type);
    Put32(out, 1);
    if (e.type == kShort) {
      Put16(out, static_cast<uint16_t>(e.value));
      Put16(out, 0);
    } else {
      Put32(out, e.value);
    }
  }
  Put32(out, 0);
  out.insert(out.end(), pixels.begin(), pixels.end());
  return out;
}

bool WriteGray16Png(const std::string& path, uint32_t width, uint32_t height,
                    const std::vector<uint16_t>& values) {
  png_image image;
  std::memset(&image, 0, sizeof(image));
  image.version = PNG_IMAGE_VERSION;
  image.width = width;
  image.height = height;
  image.format = PNG_FORMAT_LINEAR_Y;
  return png_image_write_to_file(&image, path.c_str(), 0, values.data(), 0, nullptr) != 0;
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int OpenImage(const std::wstring& fileName, CQeRefCountPtr<IQeInputImageFile>& file) {
  CQeImageFormatManager manager;
  CQeRefCountPtr<IQeImageFormatHandler> handler;
  if (int status = manager.GetHandlerForFileName(fileName.c_str(), handler); status != 0) {
    return status;
  }
  return handler->OpenInputFile(fileName.c_str(), file);
}

}  // namespace qe::test
