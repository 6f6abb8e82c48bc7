#include "qe/sqlite/path.h"

namespace {

bool IsSeparator(wchar_t c) { return c == L'/' || c == L'\\'; }

}  // namespace

CQeStringW QePath_Split(const CQeStringW& path, CQeStringW* fileName) {
  const std::wstring& text = path.str();
  size_t end = text.size();
  while (end > 0 && IsSeparator(text[end - 1])) --end;
  if (end == 0) {
    // Empty, or nothing but separators: a root without a last component.
    if (fileName) fileName->Empty();
    return path;
  }
  size_t separator = text.find_last_of(L"/\\", end - 1);
  if (separator == std::wstring::npos) {
    if (fileName) *fileName = path;
    return CQeStringW();
  }
  if (fileName) *fileName = CQeStringW(text.substr(separator + 1));
  size_t folderEnd = separator;
  while (folderEnd > 0 && IsSeparator(text[folderEnd - 1])) --folderEnd;
  if (folderEnd == 0) return CQeStringW(text.substr(0, 1));
  return CQeStringW(text.substr(0, folderEnd));
}
