#include "projectdb/db/path_util.h"

namespace qe::projectdb {

namespace {
int LastSeparator(const CQeStringW& path) {
  for (int i = path.GetLength() - 1; i >= 0; --i) {
    if (IsSeparator(path.GetAt(i))) return i;
  }
  return -1;
}
}  // namespace

CQeStringW FolderOf(const CQeStringW& path) {
  const int last = LastSeparator(path);
  if (last < 0) return CQeStringW();
  CQeStringW folder = path.Left(last);
  folder += L'/';
  return folder;
}

CQeStringW FileNameOf(const CQeStringW& path) { return path.Mid(LastSeparator(path) + 1); }

CQeStringW JoinPath(const CQeStringW& base, const CQeStringW& relative) {
  CQeStringW result = base;
  if (!result.IsEmpty() && !IsSeparator(result.GetLastChar())) result += L'/';
  CQeStringW native = relative;
  native.Replace(L"\\", L"/");
  result += native;
  return result;
}

}  // namespace qe::projectdb
