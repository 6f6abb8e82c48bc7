// Pixel helpers shared by the decoders and the drawing surface (internal).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "qe/picture/pic_buf.h"

namespace qe::picture {

// A decoded frame at full (or decoder-reduced) resolution: 8 bits, 1 or 3
// interleaved components, rows packed without padding.
struct SQeRaster8 {
  unsigned int width = 0;
  unsigned int height = 0;
  unsigned int components = 0;
  std::vector<uint8_t> data;
};

// A rectangle of 8-bit pixels somewhere in memory. rowStep may be negative
// (bottom-up rows: data points at the top row).
struct SQePixelView {
  const uint8_t* data;
  unsigned int width;
  unsigned int height;
  unsigned int components;  // 1 or 3
  std::ptrdiff_t rowStep;
};

struct SQeMutablePixelView {
  uint8_t* data;
  unsigned int width;
  unsigned int height;
  unsigned int components;  // 1 or 3
  std::ptrdiff_t rowStep;
};

SQePixelView ViewOf(const SQeRaster8& raster);
SQeMutablePixelView ViewOf(SQePicBuf& picture);

// Scales source into target by area averaging, converting gray to RGB by
// repetition and RGB to gray by luminance. Sizes must be nonzero.
void ResampleArea(const SQePixelView& source, const SQeMutablePixelView& target);

// The largest size within maxWidth x maxHeight with the aspect ratio of
// width x height, never larger than width x height, at least 1 x 1.
void FitInto(unsigned int width, unsigned int height, unsigned int maxWidth, unsigned int maxHeight,
             unsigned int* fitWidth, unsigned int* fitHeight);

// Maps 16-bit samples to 8 bits by the min-max stretch described in
// image_file.h; out receives samples.size() values.
void Stretch16To8(const std::vector<uint16_t>& samples, uint8_t* out);

// Luminance of one RGB pixel with the weights of CQePicBufAPI::ColorToGray.
inline uint8_t Luma(unsigned int r, unsigned int g, unsigned int b) {
  return static_cast<uint8_t>((77u * r + 150u * g + 29u * b + 128u) >> 8);
}

}  // namespace qe::picture
