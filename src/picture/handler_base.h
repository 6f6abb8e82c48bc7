// The parts of every format handler and output that do not depend on the
// format (internal), and the constructors of the three handlers.
#pragma once

#include <exception>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "picture/file_io.h"
#include "qe/core/status.h"
#include "qe/picture/image_format.h"

namespace qe::picture {

class CQeFormatHandlerBase : public IQeImageFormatHandler, public CQeRefCounted {
 public:
  QE_IMPLEMENT_REFCOUNT

  int Query(int item) override;

 protected:
  // Records why an open failed and returns -1.
  int OpenFailed(bool unreadable);
  void OpenSucceeded() { lastOpenUnreadable_ = false; }

 private:
  bool lastOpenUnreadable_ = false;
};

// An output that encodes into memory and delivers to a byte array or a file.
class CQeOutputImageFileBase : public IQeOutputImageFile, public CQeRefCounted {
 public:
  QE_IMPLEMENT_REFCOUNT

  explicit CQeOutputImageFileBase(CQeByteArray* bytes) : bytes_(bytes) {}
  explicit CQeOutputImageFileBase(std::string path) : path_(std::move(path)) {}

  int SetImageInfo(unsigned int width, unsigned int height, unsigned int bitsPerComponent,
                   unsigned int components, double quality) final;
  int WritePixels(const SQePicBuf& picture) final;
  int Finish() final;

 protected:
  // Encodes picture (already checked against the image information) into
  // encoded. quality is 0.0 to 1.0. 0 or -9.
  virtual int Encode(const SQePicBuf& picture, double quality, std::vector<uint8_t>& encoded) = 0;

 private:
  CQeByteArray* bytes_ = nullptr;
  std::string path_;
  bool haveInfo_ = false;
  unsigned int width_ = 0;
  unsigned int height_ = 0;
  unsigned int components_ = 0;
  double quality_ = 0.0;
  bool encoded_ = false;
  std::vector<uint8_t> data_;
};

// Creates a counted T and hands its first reference to out: 0, or -9 when
// memory runs out (out is then unchanged).
template <typename T, typename Interface, typename... Args>
int MakeCounted(CQeRefCountPtr<Interface>& out, Args&&... args) {
  T* object = new (std::nothrow) T(std::forward<Args>(args)...);
  if (!object) return eQeFailed;
  out = CQeRefCountPtr<Interface>::Adopt(object);
  return eQeOk;
}

// A handler of a format whose whole file is decoded from memory and whose
// output is encoded in memory (JPEG, PNG): Input::Open(bytes, file) decodes,
// Output is constructed on a byte array or a native path.
template <typename Input, typename Output>
class CQeInMemoryFormatHandler : public CQeFormatHandlerBase {
 public:
  int OpenInputFile(const wchar_t* fileName, CQeRefCountPtr<IQeInputImageFile>& file) final {
    if (!fileName || !*fileName) return eQeMissingArgument;
    try {
      std::vector<uint8_t> bytes;
      if (int status = ReadWholeFile(NativePath(fileName), bytes); status != eQeOk) {
        return OpenFailed(status != eQeNoPathOrTooNew);
      }
      if (Input::Open(std::move(bytes), file) != eQeOk) return OpenFailed(true);
    } catch (const std::exception&) {
      return OpenFailed(true);
    }
    OpenSucceeded();
    return eQeOk;
  }

  int OpenInputBytes(const CQeByteArray& bytes, CQeRefCountPtr<IQeInputImageFile>& input) final {
    if (bytes.IsEmpty()) return eQeMissingArgument;
    try {
      return Input::Open(bytes.bytes(), input);
    } catch (const std::exception&) {
      return eQeFailed;
    }
  }

  int CreateOutputBytes(CQeByteArray* bytes, CQeRefCountPtr<IQeOutputImageFile>& output) final {
    if (!bytes) return eQeMissingArgument;
    return MakeCounted<Output>(output, bytes);
  }

  int CreateOutputFile(const wchar_t* fileName, CQeRefCountPtr<IQeOutputImageFile>& output) final {
    if (!fileName || !*fileName) return eQeMissingArgument;
    try {
      return MakeCounted<Output>(output, NativePath(fileName));
    } catch (const std::exception&) {
      return eQeFailed;
    }
  }
};

CQeRefCountPtr<IQeImageFormatHandler> NewTiffHandler();
CQeRefCountPtr<IQeImageFormatHandler> NewPngHandler();
CQeRefCountPtr<IQeImageFormatHandler> NewJpegHandler();

}  // namespace qe::picture
