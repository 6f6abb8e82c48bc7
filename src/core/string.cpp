#include "qe/core/string.h"

#include <algorithm>
#include <cwchar>

#include "qe/core/char_class.h"

namespace qe {

// Both conversions write into a string sized once: they run for every
// text bound to or read from SQLite.
std::wstring Utf8ToWide(std::string_view s) {
  // Every step reads at least one byte and writes one character.
  std::wstring out(s.size(), L'\0');
  wchar_t* o = out.data();
  const auto* p = reinterpret_cast<const unsigned char*>(s.data());
  const size_t n = s.size();
  size_t i = 0;
  while (i < n) {
    const unsigned char c = p[i];
    if (c < 0x80) {
      *o++ = static_cast<wchar_t>(c);
      ++i;
      continue;
    }
    uint32_t cp;
    int extra;
    if ((c & 0xE0) == 0xC0) {
      cp = c & 0x1F;
      extra = 1;
    } else if ((c & 0xF0) == 0xE0) {
      cp = c & 0x0F;
      extra = 2;
    } else if ((c & 0xF8) == 0xF0) {
      cp = c & 0x07;
      extra = 3;
    } else {
      *o++ = L'\uFFFD';
      ++i;
      continue;
    }
    bool ok = true;
    for (int k = 1; k <= extra; ++k) {
      if (i + k >= n || (p[i + k] & 0xC0) != 0x80) {
        ok = false;
        break;
      }
      cp = (cp << 6) | (p[i + k] & 0x3F);
    }
    if (!ok) {
      *o++ = L'\uFFFD';
      ++i;
      continue;
    }
    i += extra + 1;
    // An overlong form (C0 AF for '/'), a UTF-16 surrogate or a value beyond
    // U+10FFFF is not UTF-8 either: the whole sequence gives one U+FFFD, so
    // a decoded text holds only Unicode scalar values.
    static constexpr uint32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kSmallest[extra] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) cp = 0xFFFD;
    *o++ = static_cast<wchar_t>(cp);
  }
  out.resize(static_cast<size_t>(o - out.data()));
  return out;
}

namespace {

// A character that is not a Unicode scalar value is written as U+FFFD.
uint32_t ScalarOf(wchar_t wc) {
  const uint32_t cp = static_cast<uint32_t>(wc);
  return (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) ? 0xFFFD : cp;
}

size_t Utf8Length(uint32_t cp) { return cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4; }

}  // namespace

std::string WideToUtf8(std::wstring_view w) {
  size_t size = 0;
  for (wchar_t wc : w) size += Utf8Length(ScalarOf(wc));
  std::string out(size, '\0');
  char* o = out.data();
  for (wchar_t wc : w) {
    const uint32_t cp = ScalarOf(wc);
    if (cp < 0x80) {
      *o++ = static_cast<char>(cp);
    } else if (cp < 0x800) {
      *o++ = static_cast<char>(0xC0 | (cp >> 6));
      *o++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      *o++ = static_cast<char>(0xE0 | (cp >> 12));
      *o++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      *o++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      *o++ = static_cast<char>(0xF0 | (cp >> 18));
      *o++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      *o++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      *o++ = static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  return out;
}

namespace detail {
std::wstring NormalizePrintfTemplate(const wchar_t* format) {
  std::wstring out;
  if (!format) return out;
  for (const wchar_t* p = format; *p; ++p) {
    out += *p;
    if (*p != L'%') continue;
    if (p[1] == L'%') { out += *++p; continue; }
    // Copy flags, width and precision, then drop an "I64" length prefix.
    while (p[1] && std::wcschr(L"-+ #0123456789.", p[1])) out += *++p;
    if (p[1] == L'I' && p[2] == L'6' && p[3] == L'4') p += 3;
  }
  return out;
}
}  // namespace detail
}  // namespace qe

CQeStringW::CQeStringW(const char* text, int length)
    : text_(text ? qe::Utf8ToWide(std::string_view(text, static_cast<size_t>(length))) : L"") {}

int CQeStringW::CompareNoCase(const CQeStringW& other) const {
  size_t n = std::min(text_.size(), other.text_.size());
  for (size_t i = 0; i < n; ++i) {
    wchar_t a = qe::LowerChar(text_[i]);
    wchar_t b = qe::LowerChar(other.text_[i]);
    if (a != b) return a < b ? -1 : 1;
  }
  if (text_.size() == other.text_.size()) return 0;
  return text_.size() < other.text_.size() ? -1 : 1;
}

int CQeStringW::Find(const CQeStringW& what, int start) const {
  if (start < 0 || static_cast<size_t>(start) > text_.size()) return -1;
  size_t pos = text_.find(what.text_, static_cast<size_t>(start));
  return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

int CQeStringW::Find(wchar_t what, int start) const {
  if (start < 0 || static_cast<size_t>(start) > text_.size()) return -1;
  size_t pos = text_.find(what, static_cast<size_t>(start));
  return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

int CQeStringW::ReverseFind(wchar_t what) const {
  size_t pos = text_.rfind(what);
  return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

CQeStringW CQeStringW::Left(int count) const {
  if (count <= 0) return CQeStringW();
  return CQeStringW(text_.substr(0, static_cast<size_t>(count)));
}

CQeStringW CQeStringW::Right(int count) const {
  if (count <= 0) return CQeStringW();
  size_t n = std::min(text_.size(), static_cast<size_t>(count));
  return CQeStringW(text_.substr(text_.size() - n));
}

CQeStringW CQeStringW::Mid(int start, int count) const {
  if (start < 0) start = 0;
  if (static_cast<size_t>(start) >= text_.size()) return CQeStringW();
  return CQeStringW(text_.substr(static_cast<size_t>(start),
                                 count < 0 ? std::wstring::npos : static_cast<size_t>(count)));
}

void CQeStringW::DeleteLeft(int count) {
  if (count <= 0) return;
  text_.erase(0, std::min(text_.size(), static_cast<size_t>(count)));
}

void CQeStringW::DeleteRight(int count) {
  if (count <= 0) return;
  text_.resize(text_.size() - std::min(text_.size(), static_cast<size_t>(count)));
}

void CQeStringW::TrimLeft() {
  size_t i = 0;
  while (i < text_.size() && qe::IsBlankChar(text_[i])) ++i;
  text_.erase(0, i);
}

void CQeStringW::TrimRight() {
  size_t n = text_.size();
  while (n > 0 && qe::IsBlankChar(text_[n - 1])) --n;
  text_.resize(n);
}

void CQeStringW::Trim() {
  TrimRight();
  TrimLeft();
}

bool CQeStringW::Replace(const CQeStringW& what, const CQeStringW& with) {
  if (what.text_.empty()) return false;
  bool replaced = false;
  size_t pos = 0;
  while ((pos = text_.find(what.text_, pos)) != std::wstring::npos) {
    text_.replace(pos, what.text_.size(), with.text_);
    pos += with.text_.size();
    replaced = true;
  }
  return replaced;
}

int CQeStringW::Remove(wchar_t what) {
  size_t before = text_.size();
  text_.erase(std::remove(text_.begin(), text_.end(), what), text_.end());
  return static_cast<int>(before - text_.size());
}

void CQeStringW::SetAt(int position, wchar_t c) {
  if (position >= 0 && static_cast<size_t>(position) < text_.size()) text_[static_cast<size_t>(position)] = c;
}

int CQeStringW::CopyToBufferW(wchar_t* buffer, int size) const {
  if (!buffer || size <= 0) return 0;
  size_t n = std::min(text_.size(), static_cast<size_t>(size - 1));
  std::wmemcpy(buffer, text_.data(), n);
  buffer[n] = L'\0';
  return static_cast<int>(n);
}

void CQeStringW::EndInSlash() {
  if (text_.empty() || (text_.back() != L'/' && text_.back() != L'\\')) text_ += L'/';
}

void CQeStringW::MakeLower() {
  for (auto& c : text_) c = qe::LowerChar(c);
}

void CQeStringW::MakeUpper() {
  for (auto& c : text_) c = qe::UpperChar(c);
}

CQeStringTokenizer::CQeStringTokenizer(const CQeStringW& text, const CQeStringW& delimiters) {
  const std::wstring& s = text.str();
  const std::wstring& d = delimiters.str();
  size_t i = 0;
  while (i < s.size()) {
    size_t start = s.find_first_not_of(d, i);
    if (start == std::wstring::npos) break;
    size_t end = s.find_first_of(d, start);
    if (end == std::wstring::npos) end = s.size();
    tokens_.emplace_back(s.substr(start, end - start));
    i = end;
  }
}

bool CQeStringTokenizer::GetNextToken(CQeStringW& token) {
  if (next_ >= tokens_.size()) return false;
  token = tokens_[next_++];
  return true;
}
