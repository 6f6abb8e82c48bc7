#include <cstddef>

#include "qe/core/status.h"
#include "qe/picture/pic_buf.h"

int CQePicMemAPI::ExpandComponent(SQePicBuf& target, const SQePicBuf& source,
                                  unsigned int sourceComponent) {
  if (!target.pData || !source.pData || target.uiBitsPerComponent != 8 ||
      source.uiBitsPerComponent != 8 || target.uiWidth != source.uiWidth ||
      target.uiHeight != source.uiHeight || sourceComponent >= source.uiComponents) {
    return eQeMissingArgument;
  }
  const unsigned int inStep = source.uiComponents;
  const unsigned int outStep = target.uiComponents;
  for (unsigned int y = 0; y < target.uiHeight; ++y) {
    const uint8_t* in =
        source.pData + static_cast<size_t>(y) * source.uiBytesPerLine + sourceComponent;
    uint8_t* out = target.pData + static_cast<size_t>(y) * target.uiBytesPerLine;
    for (unsigned int x = 0; x < target.uiWidth; ++x, in += inStep, out += outStep) {
      for (unsigned int c = 0; c < outStep; ++c) out[c] = *in;
    }
  }
  return eQeOk;
}
