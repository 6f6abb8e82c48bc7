#include "picture/input_file_base.h"

#include <exception>

#include "qe/core/status.h"

namespace qe::picture {

int CQeInputImageFileBase::GetImageInfo(int frameIndex, SQeImageInfo& info) {
  try {
    SQeImageInfo found{};
    if (int status = FrameInfo(frameIndex, found); status != eQeOk) return status;
    info = found;
    return eQeOk;
  } catch (const std::exception&) {
    return eQeFailed;
  }
}

int CQeInputImageFileBase::GetFitSize(int frameIndex, unsigned int maxWidth, unsigned int maxHeight,
                                      unsigned int* width, unsigned int* height) {
  if (!width || !height || maxWidth == 0 || maxHeight == 0) return eQeMissingArgument;
  SQeImageInfo info{};
  if (int status = GetImageInfo(frameIndex, info); status != eQeOk) return status;
  FitInto(info.uiWidth, info.uiHeight, maxWidth, maxHeight, width, height);
  return eQeOk;
}

int CQeInputImageFileBase::ReadFrame(int frameIndex, SQePicBuf& picture) {
  if (!picture.pData || picture.uiBitsPerComponent != 8 ||
      (picture.uiComponents != 1 && picture.uiComponents != 3)) {
    return eQeMissingArgument;
  }
  try {
    SQeImageInfo info{};
    if (int status = FrameInfo(frameIndex, info); status != eQeOk) return status;
    SQeRaster8 raster;
    if (int status = DecodeFrame(frameIndex, picture.uiWidth, picture.uiHeight, raster);
        status != eQeOk) {
      return status;
    }
    if (raster.width == 0 || raster.height == 0) return eQeUnusableFile;
    ResampleArea(ViewOf(raster), ViewOf(picture));
    return eQeOk;
  } catch (const std::exception&) {
    // Out of memory for a huge frame.
    return eQeFailed;
  }
}

}  // namespace qe::picture
