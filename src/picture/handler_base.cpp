#include "picture/handler_base.h"

#include <exception>

#include "picture/file_io.h"
#include "qe/core/status.h"

namespace qe::picture {

int CQeFormatHandlerBase::Query(int item) {
  if (item == eQeQueryLastOpenUnreadable) return lastOpenUnreadable_ ? 1 : 0;
  return eQeNotImplemented;
}

int CQeFormatHandlerBase::OpenFailed(bool unreadable) {
  lastOpenUnreadable_ = unreadable;
  return eQeNoPathOrTooNew;
}

int CQeOutputImageFileBase::SetImageInfo(unsigned int width, unsigned int height,
                                         unsigned int bitsPerComponent, unsigned int components,
                                         double quality) {
  if (width == 0 || height == 0 || bitsPerComponent != 8 || (components != 1 && components != 3) ||
      !(quality >= 0.0 && quality <= 1.0)) {
    return eQeMissingArgument;
  }
  haveInfo_ = true;
  width_ = width;
  height_ = height;
  components_ = components;
  quality_ = quality;
  return eQeOk;
}

int CQeOutputImageFileBase::WritePixels(const SQePicBuf& picture) {
  if (!haveInfo_ || !picture.pData || picture.uiWidth != width_ || picture.uiHeight != height_ ||
      picture.uiComponents != components_ || picture.uiBitsPerComponent != 8) {
    return eQeMissingArgument;
  }
  try {
    std::vector<uint8_t> encoded;
    if (int status = Encode(picture, quality_, encoded); status != eQeOk) return status;
    data_.swap(encoded);
    encoded_ = true;
    return eQeOk;
  } catch (const std::exception&) {
    return eQeFailed;
  }
}

int CQeOutputImageFileBase::Finish() {
  if (!encoded_) return eQeMissingArgument;
  if (bytes_) {
    try {
      bytes_->bytes() = data_;
    } catch (const std::exception&) {
      return eQeFailed;
    }
    return eQeOk;
  }
  return WriteWholeFile(path_, data_.data(), data_.size());
}

}  // namespace qe::picture
