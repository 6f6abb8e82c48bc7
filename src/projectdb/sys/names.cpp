// Name helpers: cleaning names for folders and proposing unique names.
#include <unicode/uchar.h>

#include <algorithm>
#include <set>

#include "qe/projectdb/sys.h"

// ICU classifies by Unicode categories whatever the C library's locale is, so
// "Zürich" or "Probe α" keep their letters even in a process left in the C
// locale, where iswalnum knows only ASCII.
CQeStringW QeProjectDb_Sys_ReplaceNonAlnum(const CQeStringW& text, wchar_t replacement) {
  CQeStringW result = text;
  for (wchar_t& c : result.str()) {
    if (!u_isalnum(static_cast<UChar32>(c))) c = replacement;
  }
  return result;
}

CQeStringW QeProjectDb_Sys_GetNamePrefix(const CQeStringW& name) {
  CQeStringW prefix = name;
  prefix.Trim();
  std::wstring& text = prefix.str();
  const size_t lastNonDigit = text.find_last_not_of(L"1234567890");
  text.erase(lastNonDigit == std::wstring::npos ? 0 : lastNonDigit + 1);
  prefix.TrimRight();
  return prefix;
}

bool QeProjectDb_Sys_IsNameUnique(const CQeStringW& name, const std::vector<CQeStringW>& existing,
                                  CQeStringW& suggestion) {
  suggestion = name;
  if (std::find(existing.begin(), existing.end(), name) == existing.end()) return true;
  const std::set<CQeStringW> taken(existing.begin(), existing.end());
  const CQeStringW prefix = QeProjectDb_Sys_GetNamePrefix(name);
  // At most existing.size() candidates can be taken, so this ends.
  for (int number = 1;; ++number) {
    CQeStringW candidate = CQeStringW::Formatted(L"%s %d", prefix, number);
    if (taken.count(candidate) == 0) {
      suggestion = candidate;
      return false;
    }
  }
}
