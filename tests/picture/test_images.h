// Test pictures written with libtiff directly, so the readers are
// checked against files they did not write themselves. Header-only: the
// thumbnail database tests use it too.
#pragma once

#include <tiffio.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "qe/core/refcount.h"
#include "qe/picture/image_format.h"
#include "qe/picture/pic_buf.h"

namespace qe::test {

struct STestTiffPage {
  uint32_t width = 0;
  uint32_t height = 0;
  uint16_t samples = 1;
  uint16_t bits = 8;
  uint16_t photometric = PHOTOMETRIC_MINISBLACK;
  uint16_t compression = COMPRESSION_NONE;
  uint32_t tileSize = 0;  // 0 writes strips of rowsPerStrip rows
  uint32_t rowsPerStrip = 1;
  std::vector<uint16_t> values = {};  // width * height * samples, interleaved
};

// A gray page of one value.
inline STestTiffPage Flat(uint32_t width, uint32_t height, uint16_t value) {
  return {.width = width, .height = height, .values = std::vector<uint16_t>(width * height, value)};
}

// A gray page whose value grows from left (low) to right (high).
inline STestTiffPage GrayRamp(uint32_t width, uint32_t height, uint16_t bits, uint16_t low,
                              uint16_t high) {
  STestTiffPage page{.width = width, .height = height, .bits = bits};
  for (uint32_t i = 0; i < width * height; ++i) {
    page.values.push_back(static_cast<uint16_t>(low + (high - low) * (i % width) / (width - 1)));
  }
  return page;
}

// An RGB page, left half red, right half blue.
inline STestTiffPage RedBlue(uint32_t width, uint32_t height) {
  STestTiffPage page{
      .width = width, .height = height, .samples = 3, .photometric = PHOTOMETRIC_RGB};
  for (uint32_t i = 0; i < width * height; ++i) {
    const bool left = i % width < width / 2;
    page.values.insert(page.values.end(),
                       {uint16_t(left ? 220 : 10), 10, uint16_t(left ? 10 : 220)});
  }
  return page;
}

namespace detail {

inline void Store(std::vector<uint8_t>& out, size_t index, uint16_t bits, uint16_t value) {
  if (bits == 16) {
    std::memcpy(&out[index * 2], &value, 2);
  } else {
    out[index] = static_cast<uint8_t>(value);
  }
}

inline bool WritePage(TIFF* tif, const STestTiffPage& page) {
  const size_t samples = page.samples;
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, page.width);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, page.height);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, page.samples);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, page.bits);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, page.photometric);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, page.compression);
  if (page.tileSize == 0) {
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, page.rowsPerStrip);
    std::vector<uint8_t> row(page.width * samples * page.bits / 8);
    for (uint32_t y = 0; y < page.height; ++y) {
      for (size_t i = 0; i < page.width * samples; ++i) {
        Store(row, i, page.bits, page.values[y * page.width * samples + i]);
      }
      if (TIFFWriteScanline(tif, row.data(), y, 0) < 0) return false;
    }
    return TIFFWriteDirectory(tif) != 0;
  }
  const uint32_t t = page.tileSize;
  TIFFSetField(tif, TIFFTAG_TILEWIDTH, t);
  TIFFSetField(tif, TIFFTAG_TILELENGTH, t);
  std::vector<uint8_t> tile(t * t * samples * page.bits / 8);
  for (uint32_t ty = 0; ty < page.height; ty += t) {
    for (uint32_t tx = 0; tx < page.width; tx += t) {
      std::fill(tile.begin(), tile.end(), 0);
      for (uint32_t y = ty; y < std::min(ty + t, page.height); ++y) {
        for (uint32_t x = tx; x < std::min(tx + t, page.width); ++x) {
          for (size_t c = 0; c < samples; ++c) {
            Store(tile, ((y - ty) * t + (x - tx)) * samples + c, page.bits,
                  page.values[(y * page.width + x) * samples + c]);
          }
        }
      }
      if (TIFFWriteEncodedTile(tif, TIFFComputeTile(tif, tx, ty, 0, 0), tile.data(),
                               static_cast<tmsize_t>(tile.size())) < 0) {
        return false;
      }
    }
  }
  return TIFFWriteDirectory(tif) != 0;
}

inline void Put(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

}  // namespace detail

// Writes one page per entry (libtiff writes each page's pixels before its
// directory); false when libtiff fails.
inline bool WriteTiff(const std::string& path, const std::vector<STestTiffPage>& pages) {
  TIFF* tif = TIFFOpen(path.c_str(), "w");
  if (!tif) return false;
  bool ok = true;
  for (const STestTiffPage& page : pages) ok = ok && detail::WritePage(tif, page);
  TIFFClose(tif);
  return ok;
}

// A gray 8-bit uncompressed TIFF whose directory precedes its pixels, as
// acquisition software writes it, so it can be cut inside the pixel data.
inline std::vector<uint8_t> HandMadeGrayTiff(uint16_t width, uint16_t height,
                                             const std::vector<uint8_t>& pixels) {
  const uint32_t entries = 9;
  const uint32_t dataOffset = 8 + 2 + entries * 12 + 4;
  const struct {
    uint16_t tag, type;  // type 3 short, 4 long
    uint32_t value;
  } table[] = {{256, 3, width}, {257, 3, height}, {258, 3, 8},
               {259, 3, 1},     {262, 3, 1},      {273, 4, dataOffset},
               {277, 3, 1},     {278, 3, height}, {279, 4, uint32_t(pixels.size())}};
  std::vector<uint8_t> out = {'I', 'I', 42, 0};
  detail::Put(out, 8, 4);
  detail::Put(out, entries, 2);
  for (const auto& entry : table) {
    detail::Put(out, entry.tag, 2);
    detail::Put(out, entry.type, 2);
    detail::Put(out, 1, 4);
    detail::Put(out, entry.value, 4);  // a short sits in the low half, little-endian
  }
  detail::Put(out, 0, 4);
  out.insert(out.end(), pixels.begin(), pixels.end());
  return out;
}

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Opens a file through the format manager; the status of the lookup or open.
inline int OpenImage(const std::wstring& fileName, CQeRefCountPtr<IQeInputImageFile>& file) {
  CQeImageFormatManager manager;
  CQeRefCountPtr<IQeImageFormatHandler> handler;
  const int status = manager.GetHandlerForFileName(fileName.c_str(), handler);
  return status != 0 ? status : handler->OpenInputFile(fileName.c_str(), file);
}

// Gives picture width x height x components and reads frame into it: the
// status of the first step that failed.
inline int ReadInto(IQeInputImageFile& file, int frame, SQePicBuf& picture, unsigned int width,
                    unsigned int height, unsigned int components = 3) {
  const int status = CQePicBufAPI::Reinit(picture, width, height, 8, components);
  return status != 0 ? status : file.ReadFrame(frame, picture);
}

// Component c of pixel (x, y).
inline uint8_t At(const SQePicBuf& picture, unsigned int x, unsigned int y, unsigned int c = 0) {
  return picture.pData[y * picture.uiBytesPerLine + x * picture.uiComponents + c];
}

}  // namespace qe::test
