// UTF-8 and wide text conversions: every text bound to or read from SQLite
// passes through them.
#include <gtest/gtest.h>

#include <string>

#include "qe/core/string.h"

TEST(Utf8Conversion, RoundTripsEveryEncodedLength) {
  const std::wstring wide = L"Zellkern \u00b5m \u00fcber \u65e5\u672c \U0001F600 O'Brien 5%";
  const std::string utf8 = qe::WideToUtf8(wide);
  EXPECT_EQ(utf8,
            "Zellkern \xc2\xb5m \xc3\xbc"
            "ber \xe6\x97\xa5\xe6\x9c\xac \xf0\x9f\x98\x80 O'Brien 5%");
  EXPECT_EQ(qe::Utf8ToWide(utf8), wide);
  EXPECT_EQ(qe::WideToUtf8(L""), "");
  EXPECT_EQ(qe::Utf8ToWide(""), L"");
}

TEST(Utf8Conversion, LongTextsWithOneLetterOutsideAscii) {
  std::wstring wide(5000, L'a');
  wide[2500] = L'\u00e9';
  const std::string utf8 = qe::WideToUtf8(wide);
  EXPECT_EQ(utf8.size(), 5001u);
  EXPECT_EQ(utf8.substr(2499, 4),
            "a\xc3\xa9"
            "a");
  EXPECT_EQ(qe::Utf8ToWide(utf8), wide);
}

TEST(Utf8Conversion, BrokenBytesBecomeReplacementCharacters) {
  EXPECT_EQ(qe::Utf8ToWide("\xff"), L"\uFFFD");
  EXPECT_EQ(qe::Utf8ToWide("a\xc3"), L"a\uFFFD");
  // A cut three-byte sequence: each byte that cannot start a character is one replacement.
  EXPECT_EQ(qe::Utf8ToWide("\xe6\x97x"), L"\uFFFD\uFFFDx");
  EXPECT_EQ(qe::Utf8ToWide("\x80\x80"), L"\uFFFD\uFFFD");
  EXPECT_EQ(qe::Utf8ToWide("\xf8\x88\x80\x80\x80z"), L"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFDz");
}

TEST(Utf8Conversion, CharactersThatAreNoUnicodeScalarBecomeReplacements) {
  std::wstring wide = L"a";
  wide += static_cast<wchar_t>(0xD800);
  wide += static_cast<wchar_t>(0x110000);
  wide += static_cast<wchar_t>(-1);
  EXPECT_EQ(qe::WideToUtf8(wide), "a\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd");
}
