// Wide text values of the core library.
//
// Conventions:
//  - CQeStringW is a value over std::wstring; on Linux one wchar_t holds one
//    code point, so lengths and positions count code points.
//  - Positions are 0-based ints; "not found" is -1.
//  - Format/AppendFormat take printf-style templates exactly as the system
//    writes them ("%s" = a wide string, "%I64d" = a signed 64-bit number,
//    "%d", "%02d", "%03d", "%02x", "%04x", "%08x", "%0.1f", "%lf") and are
//    type-checked by {fmt}: a wrong argument type throws inside fmt and is
//    caught, leaving the text empty; nothing ever reads a C va_list.
//  - Conversions to and from UTF-8 live here and nowhere else.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include <fmt/printf.h>
#include <fmt/xchar.h>

class CQeStringW;

namespace qe {
// UTF-8 <-> wide conversions. What is not UTF-8 (a stray byte, a cut
// sequence, an overlong form, a UTF-16 surrogate, a value beyond U+10FFFF)
// becomes U+FFFD, and so does a wide character that is no Unicode scalar
// value, so both directions give only Unicode scalar values.
std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view wide);

namespace detail {
// printf templates of the system use "%I64d"; {fmt} sizes integers by their
// C++ type, so the Windows length prefix is dropped before formatting.
std::wstring NormalizePrintfTemplate(const wchar_t* format);

template <typename T>
decltype(auto) FormatArg(const T& value);
}  // namespace detail
}  // namespace qe

class CQeStringW {
 public:
  CQeStringW() = default;
  CQeStringW(const wchar_t* text) : text_(text ? text : L"") {}  // NOLINT: implicit by design
  CQeStringW(const wchar_t* text, int length) : text_(text ? std::wstring(text, length) : L"") {}
  CQeStringW(std::wstring text) : text_(std::move(text)) {}  // NOLINT: implicit by design
  // 8-bit text of the given length, read as UTF-8.
  CQeStringW(const char* text, int length);

  // Printf-style formatting; see the conventions above.
  template <typename... Args>
  void Format(const wchar_t* format, const Args&... args) {
    text_.clear();
    AppendFormat(format, args...);
  }
  template <typename... Args>
  void AppendFormat(const wchar_t* format, const Args&... args) {
    try {
      text_ += fmt::sprintf(qe::detail::NormalizePrintfTemplate(format),
                            qe::detail::FormatArg(args)...);
    } catch (...) {
      // A template that does not match its arguments is a programming error;
      // it must not take the host down.
    }
  }
  template <typename... Args>
  static CQeStringW Formatted(const wchar_t* format, const Args&... args) {
    CQeStringW s;
    s.Format(format, args...);
    return s;
  }

  CQeStringW& operator+=(const CQeStringW& other) { text_ += other.text_; return *this; }
  CQeStringW& operator+=(const wchar_t* other) { if (other) text_ += other; return *this; }
  CQeStringW& operator+=(wchar_t c) { text_ += c; return *this; }
  friend CQeStringW operator+(CQeStringW a, const CQeStringW& b) { a += b; return a; }
  friend CQeStringW operator+(CQeStringW a, const wchar_t* b) { a += b; return a; }
  friend CQeStringW operator+(const wchar_t* a, const CQeStringW& b) { return CQeStringW(a) += b; }
  bool operator==(const CQeStringW& other) const { return text_ == other.text_; }
  bool operator==(const wchar_t* other) const { return text_ == (other ? other : L""); }
  bool operator<(const CQeStringW& other) const { return text_ < other.text_; }

  bool Equals(const CQeStringW& other) const { return text_ == other.text_; }
  // <0, 0, >0 comparing code points lower-cased by qe::LowerChar (any locale).
  int CompareNoCase(const CQeStringW& other) const;
  // Position of the first occurrence at or after start, or -1.
  int Find(const CQeStringW& what, int start = 0) const;
  int Find(wchar_t what, int start = 0) const;
  // Position of the last occurrence of the character, or -1.
  int ReverseFind(wchar_t what) const;
  CQeStringW Left(int count) const;
  CQeStringW Right(int count) const;
  CQeStringW Mid(int start, int count = -1) const;
  // Remove count characters at the start or the end (all when count exceeds the length).
  void DeleteLeft(int count);
  void DeleteRight(int count);
  // Blanks are Unicode white space (qe::IsBlankChar).
  void Trim();
  void TrimLeft();
  void TrimRight();
  // Replaces every occurrence; returns whether anything was replaced.
  bool Replace(const CQeStringW& what, const CQeStringW& with);
  // Removes every occurrence of the character; returns how many were removed.
  int Remove(wchar_t what);
  void SetAt(int position, wchar_t c);
  void AddChar(wchar_t c) { text_ += c; }
  void AddInt(long long value) { text_ += std::to_wstring(value); }
  bool IsEmpty() const { return text_.empty(); }
  int GetLength() const { return static_cast<int>(text_.size()); }
  const wchar_t* GetString() const { return text_.c_str(); }
  operator const wchar_t*() const { return text_.c_str(); }  // NOLINT: implicit by design
  wchar_t GetAt(int position) const { return text_[static_cast<size_t>(position)]; }
  // 0 for an empty text.
  wchar_t GetLastChar() const { return text_.empty() ? L'\0' : text_.back(); }
  // Copies at most size-1 characters and a terminating null; returns the count copied.
  int CopyToBufferW(wchar_t* buffer, int size) const;
  void Empty() { text_.clear(); }
  // Appends the path separator unless the text already ends in one ('/' or '\\').
  void EndInSlash();
  void MakeLower();
  void MakeUpper();

  const std::wstring& str() const { return text_; }
  std::wstring& str() { return text_; }
  std::string ToUtf8() const { return qe::WideToUtf8(text_); }
  static CQeStringW FromUtf8(std::string_view utf8) { return CQeStringW(qe::Utf8ToWide(utf8)); }

 private:
  std::wstring text_;
};

// 8-bit text from a pointer and a length.
class CQeStringA {
 public:
  CQeStringA() = default;
  CQeStringA(const char* text, int length) : text_(text ? std::string(text, length) : "") {}
  explicit CQeStringA(std::string text) : text_(std::move(text)) {}
  const char* GetString() const { return text_.c_str(); }
  int GetLength() const { return static_cast<int>(text_.size()); }
  const std::string& str() const { return text_; }

 private:
  std::string text_;
};

// Splits a text at any of the delimiter characters; empty tokens are skipped.
class CQeStringTokenizer {
 public:
  CQeStringTokenizer(const CQeStringW& text, const CQeStringW& delimiters);
  int Size() const { return static_cast<int>(tokens_.size()); }
  // False when every token has been handed out.
  bool GetNextToken(CQeStringW& token);

 private:
  std::vector<CQeStringW> tokens_;
  size_t next_ = 0;
};

namespace qe::detail {
template <typename T>
decltype(auto) FormatArg(const T& value) {
  if constexpr (std::is_same_v<T, CQeStringW>) {
    return std::wstring_view(value.str());
  } else if constexpr (std::is_convertible_v<T, const wchar_t*>) {
    const wchar_t* p = value;
    return std::wstring_view(p ? p : L"");
  } else if constexpr (std::is_same_v<T, std::wstring>) {
    return std::wstring_view(value);
  } else {
    return (value);
  }
}
}  // namespace qe::detail
