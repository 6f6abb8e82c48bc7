// Test pictures written with libtiff and libpng directly, so the readers are
// checked against files they did not write themselves.
#pragma once

#include <tiffio.h>

#include <cstdint>
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
  std::vector<uint16_t> values = {};    // width * height * samples, interleaved
  std::vector<uint16_t> colormap = {};  // 3 * 2^bits entries for palette pages
};

// Writes one page per entry; false when libtiff fails.
bool WriteTiff(const std::string& path, const std::vector<STestTiffPage>& pages);

// A gray 8-bit uncompressed TIFF whose directory precedes its pixels, as
// acquisition software writes it, so it can be cut inside the pixel data.
std::vector<uint8_t> HandMadeGrayTiff(uint16_t width, uint16_t height,
                                      const std::vector<uint8_t>& pixels);

// 16-bit gray PNG written by libpng's linear format.
bool WriteGray16Png(const std::string& path, uint32_t width, uint32_t height,
                    const std::vector<uint16_t>& values);

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> ReadBytes(const std::string& path);

// Opens a file through the format manager; the status of the lookup or open.
int OpenImage(const std::wstring& fileName, CQeRefCountPtr<IQeInputImageFile>& file);

// Component c of pixel (x, y).
inline uint8_t At(const SQePicBuf& picture, unsigned int x, unsigned int y, unsigned int c = 0) {
  return picture.pData[y * picture.uiBytesPerLine + x * picture.uiComponents + c];
}

}  // namespace qe::test
