// Image inputs (files or byte arrays being read) and outputs (being written).
//
// Conventions:
//  - Inputs and outputs are reference counted (refcount.h); handlers
//    (image_format.h) create them and hand them out in a CQeRefCountPtr.
//    Releasing the last reference closes the file.
//  - One input or output is used by one thread at a time; different objects
//    may be used on different threads at once.
//  - Frames are numbered from 0. TIFF files hold one frame per page; PNG and
//    JPEG hold one frame.
//  - Reads always deliver 8 bits per component. Frames with 16 bits per
//    component are mapped to 8 bits by a min-max stretch over the frame: the
//    smallest sample of the frame becomes 0, the largest 255, linear between
//    (one range for all colour components, so colours keep their balance).
//    A frame whose samples are all equal keeps its upper 8 bits.
//  - Status codes: 0 success; -2 (eQeNotImplemented) an operation the format
//    does not offer; -4 (eQeMissingArgument) a missing or invalid argument or
//    a picture buffer of the wrong layout; -9 (eQeFailed) memory or writing
//    failed; -10 (eQeUnusableFile) the data cannot be decoded (truncated or
//    corrupt data, a layout this library does not read); -13 (eQeNotFound)
//    no frame with that index.
#pragma once

#include "qe/core/refcount.h"
#include "qe/picture/pic_buf.h"

struct SQeImageInfo {
  unsigned int uiWidth;
  unsigned int uiHeight;
  unsigned int uiFrameCount;  // frames in the whole file
  unsigned int uiComponents;  // colour components as stored: 1 gray, 3 colour (alpha not counted)
  unsigned int uiBitsPerComponent;  // as stored: 8 or 16 (TIFF may also say 1, 2 or 4)
};

class IQeInputImageFile : public IQeRefCount {
 public:
  // Fills info for one frame (sizes of TIFF pages may differ).
  // Returns 0, -13 (no such frame) or -10 (the frame's header is unusable).
  virtual int GetImageInfo(int frameIndex, SQeImageInfo& info) = 0;
  // The largest size that fits maxWidth x maxHeight and keeps the frame's
  // aspect ratio, never larger than the frame itself and at least 1 x 1;
  // no pixels are read. Returns 0, -4 (a null pointer or a zero box), -13, -10.
  virtual int GetFitSize(int frameIndex, unsigned int maxWidth, unsigned int maxHeight,
                         unsigned int* width, unsigned int* height) = 0;
  // Decodes one frame and scales it to picture's width and height by area
  // averaging (every target pixel is the mean of the source area it covers,
  // partial source pixels weighted by their covered fraction). picture must
  // have pixels (CQePicBufAPI::Reinit), 8 bits, 1 or 3 components: gray
  // frames fill all three components equally; colour frames read into one
  // component give their luminance. The picture is unchanged on failure.
  // Returns 0, -4, -13, -10 or -9.
  virtual int ReadFrame(int frameIndex, SQePicBuf& picture) = 0;

 protected:
  ~IQeInputImageFile() = default;
};

class IQeOutputImageFile : public IQeRefCount {
 public:
  // Describes the picture that will be written. quality (0.0 to 1.0) is the
  // JPEG quality (0.8 = 80 of 100); other formats ignore it. Only 8 bits and
  // 1 or 3 components are written. Returns 0 or -4.
  virtual int SetImageInfo(unsigned int width, unsigned int height, unsigned int bitsPerComponent,
                           unsigned int components, double quality) = 0;
  // Encodes the pixels, which must match SetImageInfo. Nothing reaches the
  // destination before Finish. Returns 0, -4 (no info yet, or a mismatch),
  // -9 (the encoder failed).
  virtual int WritePixels(const SQePicBuf& picture) = 0;
  // Delivers the encoded picture: replaces the content of the destination
  // byte array, or writes the destination file. Returns 0, -4 (nothing
  // written yet), -9 (the file could not be written).
  virtual int Finish() = 0;

 protected:
  ~IQeOutputImageFile() = default;
};
