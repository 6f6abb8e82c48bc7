// 16-bit gray acquisition frames as single-page TIFF files.
#include <tiffio.h>

#include <cmath>
#include <vector>

#include "support/bench_util.h"
#include "support/datasets.h"

namespace qe::bench {
namespace {

// A frame that looks like a fluorescence image: a dim uneven background
// with bright round nuclei in a grid that shifts from frame to frame, and
// some noise, using about 12 of the 16 bits.
void FillFrame(std::vector<uint16_t>& pixels, int size, int frame) {
  const int cell = std::max(size / 16, 8);
  const int shift = (frame * 7) % cell;
  uint32_t noise = 2166136261u + static_cast<uint32_t>(frame);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      noise = noise * 1664525u + 1013904223u;
      const int cx = (x + shift) % cell - cell / 2;
      const int cy = (y + shift / 2) % cell - cell / 2;
      const int r2 = cx * cx + cy * cy;
      const int radius = cell / 3;
      const int nucleus = r2 < radius * radius ? 2500 - 2000 * r2 / (radius * radius) : 0;
      pixels[static_cast<size_t>(y) * size + x] =
          static_cast<uint16_t>(300 + (x + y) / 8 + nucleus + (noise >> 25));
    }
  }
}

void WriteTiff(const std::filesystem::path& path, const std::vector<uint16_t>& pixels, int size) {
  TIFF* tiff = TIFFOpen(path.c_str(), "w");
  if (!tiff) Fail("cannot write " + path.string());
  TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(size));
  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(size));
  TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
  TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 16);
  TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
  TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
  TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tiff, 0));
  for (int y = 0; y < size; ++y) {
    auto* row = const_cast<uint16_t*>(pixels.data() + static_cast<size_t>(y) * size);
    if (TIFFWriteScanline(tiff, row, static_cast<uint32_t>(y), 0) < 0) {
      TIFFClose(tiff);
      Fail("cannot write " + path.string());
    }
  }
  TIFFClose(tiff);
}

std::filesystem::path FramePath(const std::filesystem::path& folder, int i) {
  char name[32];
  std::snprintf(name, sizeof name, "frame%04d.tif", i);
  return folder / name;
}

}  // namespace

std::vector<std::filesystem::path> TiffFrames(int count, int size) {
  const std::string name = "tiff-v" + std::to_string(kGeneratorVersion) + "-" +
                           std::to_string(count) + "x" + std::to_string(size);
  const auto folder = CachedFolder(name, [&](const std::filesystem::path& f) {
    std::vector<uint16_t> pixels(static_cast<size_t>(size) * size);
    for (int i = 0; i < count; ++i) {
      FillFrame(pixels, size, i);
      WriteTiff(FramePath(f, i), pixels, size);
    }
  });
  std::vector<std::filesystem::path> paths;
  for (int i = 0; i < count; ++i) paths.push_back(FramePath(folder, i));
  return paths;
}

}  // namespace qe::bench
