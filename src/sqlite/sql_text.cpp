#include "qe/sqlite/sql_text.h"

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

CQeStringW QeSqlite_EscapeLikeText(const CQeStringW& text) {
  std::wstring escaped;
  escaped.reserve(text.str().size() + 4);
  for (wchar_t c : text.str()) {
    if (c == L'%' || c == L'_' || c == L'\\') escaped += L'\\';
    escaped += c;
    if (c == L'\'') escaped += L'\'';
  }
  return CQeStringW(std::move(escaped));
}
