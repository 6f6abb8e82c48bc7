// Picture buffers of the picture library.
//
// Conventions:
//  - An SQePicBuf is a plain record that owns its pixels through pData. Only
//    CQePicBufAPI allocates and frees them: Init before first use, Reinit to
//    give it a size, Free when done (Free leaves an initialised, empty buffer).
//    Copying the record copies the pointer, not the pixels: never free both
//    copies. CQePicBufOwner does Init and Free for a buffer on the stack.
//  - Pixels are 8 bits per component, components interleaved in the order
//    R, G, B (three components) or a single gray component. Rows run top
//    down; each row starts uiBytesPerLine bytes after the previous one, which
//    is the pixel bytes rounded up to a multiple of 4, the row layout of a
//    top-down device-independent bitmap (see drawing_surface.h). Padding
//    bytes are zero. uiByteSize = uiBytesPerLine * uiHeight.
//  - Status codes: 0 success, -4 (eQeMissingArgument) a missing or invalid
//    argument (zero size, unsupported bits or component count, buffers that
//    do not match), -9 (eQeFailed) the pixels could not be allocated.
//  - Nothing here keeps state between calls; different buffers may be used on
//    different threads at once, one buffer by one thread at a time.
#pragma once

#include <cstdint>

struct SQePicBuf {
  unsigned int uiWidth;
  unsigned int uiHeight;
  unsigned int uiBitsPerComponent;  // 8
  unsigned int uiComponents;        // 1 (gray) or 3 (R, G, B)
  unsigned int uiBytesPerLine;      // row step in bytes, a multiple of 4
  unsigned int uiByteSize;          // uiBytesPerLine * uiHeight
  uint8_t* pData;                   // owned; null when the buffer has no pixels
};

class CQePicBufAPI {
 public:
  // Sets every field to zero (no pixels). Call once before any other use;
  // it does not free anything.
  static void Init(SQePicBuf& picture);
  // Frees the old pixels and gives the buffer width x height pixels of
  // components components with bitsPerComponent bits, all zero.
  // Returns 0; -4 when a size is 0, the bits are not 8, the components are
  // not 1 or 3, or the byte size would exceed 2 GiB (the buffer is then
  // left freed); -9 when the allocation fails (the buffer is left freed).
  static int Reinit(SQePicBuf& picture, unsigned int width, unsigned int height,
                    unsigned int bitsPerComponent, unsigned int components);
  // Frees the pixels and resets every field to zero. Safe on an empty buffer.
  static void Free(SQePicBuf& picture);
  // Whether the buffer has pixels.
  static bool HasPixels(const SQePicBuf& picture) { return picture.pData != nullptr; }
  // Writes the luminance of color (1 or 3 components) into gray, using the
  // integer weights 77/256 R + 150/256 G + 29/256 B (equal components keep
  // their value). gray is Reinit to color's size with one component when it
  // has no pixels; otherwise it must already be 8-bit, one component, same size.
  // Returns 0; -4 when color has no pixels or gray does not match; -9 when
  // gray cannot be allocated.
  static int ColorToGray(SQePicBuf& gray, const SQePicBuf& color);
};

class CQePicMemAPI {
 public:
  // Copies component sourceComponent of every source pixel into every
  // component of the target pixel at the same place (for example a gray
  // picture into R, G and B). Both buffers must have pixels, 8 bits and the
  // same width and height. Returns 0, or -4 when they do not match or
  // sourceComponent is not a component of source.
  static int ExpandComponent(SQePicBuf& target, const SQePicBuf& source,
                             unsigned int sourceComponent = 0);
};

// Owns one SQePicBuf for a scope: Init on construction, Free on destruction.
class CQePicBufOwner {
 public:
  CQePicBufOwner() { CQePicBufAPI::Init(picture_); }
  ~CQePicBufOwner() { CQePicBufAPI::Free(picture_); }
  CQePicBufOwner(const CQePicBufOwner&) = delete;
  CQePicBufOwner& operator=(const CQePicBufOwner&) = delete;

  SQePicBuf& Get() { return picture_; }
  const SQePicBuf& Get() const { return picture_; }
  SQePicBuf* operator->() { return &picture_; }
  const SQePicBuf* operator->() const { return &picture_; }

 private:
  SQePicBuf picture_;
};
