// The TIFF reader on arbitrary bytes: TIFF is read from files, so each input
// is written to a file of this process's temporary folder first.
#include <string>

#include "fuzz_picture.h"
#include "qe/core/string.h"
#include "qe/picture/image_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1 << 20) return 0;
  static const std::wstring path = qe::Utf8ToWide(qe::fuzz::TempFolder() + "/input.tif");
  qe::fuzz::WriteFile(qe::WideToUtf8(path), data, size);
  static CQeImageFormatManager manager;
  CQeRefCountPtr<IQeImageFormatHandler> handler;
  QE_FUZZ_CHECK(manager.GetHandlerForFormatName(L"TIF", handler) == 0);
  CQeRefCountPtr<IQeInputImageFile> input;
  if (handler->OpenInputFile(path.c_str(), input) != 0) return 0;
  qe::fuzz::ReadFrames(*input);
  return 0;
}
