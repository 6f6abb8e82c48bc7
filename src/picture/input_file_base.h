// The part of every input that does not depend on the format (internal):
// the fit-size query and the scaled read, over a format's frame decoder.
#pragma once

#include "picture/raster.h"
#include "qe/picture/image_file.h"

namespace qe::picture {

class CQeInputImageFileBase : public IQeInputImageFile, public CQeRefCounted {
 public:
  QE_IMPLEMENT_REFCOUNT

  int GetImageInfo(int frameIndex, SQeImageInfo& info) final;
  int GetFitSize(int frameIndex, unsigned int maxWidth, unsigned int maxHeight, unsigned int* width,
                 unsigned int* height) final;
  int ReadFrame(int frameIndex, SQePicBuf& picture) final;

 protected:
  // The frame's information; -13 when there is no such frame, -10 when its
  // header is unusable.
  virtual int FrameInfo(int frameIndex, SQeImageInfo& info) = 0;
  // Decodes a frame (index already checked) into 8-bit gray or RGB. The
  // decoder may deliver a reduced size, but never below wantWidth x
  // wantHeight unless the frame itself is smaller. 0 or -10.
  virtual int DecodeFrame(int frameIndex, unsigned int wantWidth, unsigned int wantHeight,
                          SQeRaster8& raster) = 0;
};

}  // namespace qe::picture
