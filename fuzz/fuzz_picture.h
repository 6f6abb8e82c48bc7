// Reads every frame of an opened picture the way the thumbnail code does:
// info, fitted size, then the pixels scaled into a small buffer.
#pragma once

#include "fuzz_util.h"
#include "qe/core/refcount.h"
#include "qe/picture/image_file.h"
#include "qe/picture/pic_buf.h"

namespace qe::fuzz {

inline void ReadFrames(IQeInputImageFile& file) {
  for (int frame = 0; frame < 4; ++frame) {
    SQeImageInfo info{};
    if (file.GetImageInfo(frame, info) != 0) continue;
    unsigned int width = 0, height = 0;
    if (file.GetFitSize(frame, 64, 64, &width, &height) != 0) continue;
    QE_FUZZ_CHECK(width >= 1 && width <= 64 && height >= 1 && height <= 64);
    for (unsigned int components : {1u, 3u}) {
      CQePicBufOwner picture;
      QE_FUZZ_CHECK(CQePicBufAPI::Reinit(picture.Get(), width, height, 8, components) == 0);
      file.ReadFrame(frame, picture.Get());
    }
  }
}

}  // namespace qe::fuzz
