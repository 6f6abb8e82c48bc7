#include <cstdio>
#include <cstring>
#include <string>

#include "picture/file_io.h"
#include "picture/handler_base.h"
#include "qe/core/char_class.h"

namespace qe::picture {
namespace {

enum class EQeFormat { eNone, eTiff, ePng, eJpeg };

std::wstring Lower(const wchar_t* text) {
  std::wstring lower(text);
  for (wchar_t& c : lower) c = qe::LowerChar(c);
  return lower;
}

EQeFormat FormatOfName(const std::wstring& name) {
  if (name == L"tif" || name == L"tiff") return EQeFormat::eTiff;
  if (name == L"png") return EQeFormat::ePng;
  if (name == L"jpg" || name == L"jpeg" || name == L"jpe") return EQeFormat::eJpeg;
  return EQeFormat::eNone;
}

EQeFormat FormatOfExtension(const wchar_t* fileName) {
  const std::wstring name = Lower(fileName);
  const size_t dot = name.find_last_of(L'.');
  const size_t slash = name.find_last_of(L"/\\");
  if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash)) {
    return EQeFormat::eNone;
  }
  return FormatOfName(name.substr(dot + 1));
}

// Recognises the signature at the start of an existing file.
EQeFormat FormatOfContent(const wchar_t* fileName) {
  const std::string path = NativePath(fileName);
  if (!IsReadableFile(path)) return EQeFormat::eNone;
  unsigned char head[8] = {};
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return EQeFormat::eNone;
  const size_t got = std::fread(head, 1, sizeof(head), file);
  std::fclose(file);
  if (got >= 4 && (std::memcmp(head, "II*\0", 4) == 0 || std::memcmp(head, "MM\0*", 4) == 0 ||
                   std::memcmp(head, "II+\0", 4) == 0 || std::memcmp(head, "MM\0+", 4) == 0)) {
    return EQeFormat::eTiff;
  }
  if (got >= 8 && std::memcmp(head, "\x89PNG\r\n\x1a\n", 8) == 0) return EQeFormat::ePng;
  if (got >= 3 && head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF) return EQeFormat::eJpeg;
  return EQeFormat::eNone;
}

int HandlerOf(EQeFormat format, CQeRefCountPtr<IQeImageFormatHandler>& handler) {
  CQeRefCountPtr<IQeImageFormatHandler> made;
  switch (format) {
    case EQeFormat::eTiff:
      made = NewTiffHandler();
      break;
    case EQeFormat::ePng:
      made = NewPngHandler();
      break;
    case EQeFormat::eJpeg:
      made = NewJpegHandler();
      break;
    case EQeFormat::eNone:
      return eQeNotFound;
  }
  if (!made) return eQeFailed;
  handler = std::move(made);
  return eQeOk;
}

}  // namespace
}  // namespace qe::picture

using qe::picture::EQeFormat;

int CQeImageFormatManager::GetHandlerForFileName(const wchar_t* fileName,
                                                 CQeRefCountPtr<IQeImageFormatHandler>& handler) {
  if (!fileName || !*fileName) return eQeMissingArgument;
  try {
    EQeFormat format = qe::picture::FormatOfExtension(fileName);
    if (format == EQeFormat::eNone) format = qe::picture::FormatOfContent(fileName);
    return qe::picture::HandlerOf(format, handler);
  } catch (const std::exception&) {
    return eQeFailed;
  }
}

int CQeImageFormatManager::GetHandlerForFormatName(const wchar_t* formatName,
                                                   CQeRefCountPtr<IQeImageFormatHandler>& handler) {
  if (!formatName || !*formatName) return eQeMissingArgument;
  try {
    return qe::picture::HandlerOf(qe::picture::FormatOfName(qe::picture::Lower(formatName)),
                                  handler);
  } catch (const std::exception&) {
    return eQeFailed;
  }
}
