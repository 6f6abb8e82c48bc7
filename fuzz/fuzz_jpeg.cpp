// The JPEG reader on arbitrary bytes held in memory.
#include "fuzz_picture.h"
#include "qe/core/byte_array.h"
#include "qe/picture/image_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0 || size > 1 << 20) return 0;
  static CQeImageFormatManager manager;
  CQeRefCountPtr<IQeImageFormatHandler> handler;
  QE_FUZZ_CHECK(manager.GetHandlerForFormatName(L"JPG", handler) == 0);
  CQeRefCountPtr<IQeInputImageFile> input;
  if (handler->OpenInputBytes(CQeByteArray(data, static_cast<int>(size)), input) != 0) return 0;
  qe::fuzz::ReadFrames(*input);
  return 0;
}
