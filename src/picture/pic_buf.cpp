#include "qe/picture/pic_buf.h"

#include <cstdlib>
#include <cstring>

#include "qe/core/status.h"

namespace {

constexpr unsigned long long kMaxByteSize = 1ull << 31;

unsigned long long RowStep(unsigned int width, unsigned int components) {
  return (static_cast<unsigned long long>(width) * components + 3) / 4 * 4;
}

bool SameSize(const SQePicBuf& a, const SQePicBuf& b) {
  return a.uiWidth == b.uiWidth && a.uiHeight == b.uiHeight;
}

}  // namespace

void CQePicBufAPI::Init(SQePicBuf& picture) { std::memset(&picture, 0, sizeof(picture)); }

int CQePicBufAPI::Reinit(SQePicBuf& picture, unsigned int width, unsigned int height,
                         unsigned int bitsPerComponent, unsigned int components) {
  Free(picture);
  if (width == 0 || height == 0 || bitsPerComponent != 8 || (components != 1 && components != 3)) {
    return eQeMissingArgument;
  }
  const unsigned long long step = RowStep(width, components);
  const unsigned long long size = step * height;
  if (size >= kMaxByteSize) return eQeMissingArgument;
  auto* data = static_cast<uint8_t*>(std::calloc(static_cast<size_t>(size), 1));
  if (!data) return eQeFailed;
  picture.uiWidth = width;
  picture.uiHeight = height;
  picture.uiBitsPerComponent = bitsPerComponent;
  picture.uiComponents = components;
  picture.uiBytesPerLine = static_cast<unsigned int>(step);
  picture.uiByteSize = static_cast<unsigned int>(size);
  picture.pData = data;
  return eQeOk;
}

void CQePicBufAPI::Free(SQePicBuf& picture) {
  std::free(picture.pData);
  Init(picture);
}

int CQePicBufAPI::ColorToGray(SQePicBuf& gray, const SQePicBuf& color) {
  if (!color.pData || color.uiBitsPerComponent != 8 ||
      (color.uiComponents != 1 && color.uiComponents != 3)) {
    return eQeMissingArgument;
  }
  if (!gray.pData) {
    if (int status = Reinit(gray, color.uiWidth, color.uiHeight, 8, 1); status != eQeOk) {
      return status;
    }
  } else if (!SameSize(gray, color) || gray.uiComponents != 1 || gray.uiBitsPerComponent != 8) {
    return eQeMissingArgument;
  }
  for (unsigned int y = 0; y < color.uiHeight; ++y) {
    const uint8_t* in = color.pData + static_cast<size_t>(y) * color.uiBytesPerLine;
    uint8_t* out = gray.pData + static_cast<size_t>(y) * gray.uiBytesPerLine;
    if (color.uiComponents == 1) {
      std::memcpy(out, in, color.uiWidth);
      continue;
    }
    for (unsigned int x = 0; x < color.uiWidth; ++x, in += 3) {
      out[x] = static_cast<uint8_t>((77u * in[0] + 150u * in[1] + 29u * in[2] + 128u) >> 8);
    }
  }
  return eQeOk;
}
