#include "qe/sqlite/sql_text.h"

#include <cstdint>

CQeStringW QeSqlite_EscapeText(const CQeStringW& text) {
  std::wstring escaped;
  escaped.reserve(text.str().size() + 2);
  for (wchar_t c : text.str()) {
    escaped += c;
    if (c == L'\'') escaped += L'\'';
  }
  return CQeStringW(std::move(escaped));
}

CQeStringW QeSqlite_QuotedText(const CQeStringW& text) {
  return L"'" + QeSqlite_EscapeText(text) + L"'";
}

CQeStringW QeSqlite_StoredText(const CQeStringW& text) {
  std::wstring stored = text.str();
  for (wchar_t& c : stored) {
    const auto cp = static_cast<uint32_t>(c);
    if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF || cp == 0xFFFE || cp == 0xFFFF) {
      c = static_cast<wchar_t>(0xFFFD);
    }
  }
  return CQeStringW(std::move(stored));
}
