#include "qe/core/string.h"

#include <gtest/gtest.h>

TEST(StringFormat, ConversionsTheSystemUses) {
  CQeStringW s;
  s.Format(L"%s|%I64d|%d|%02d|%03d", CQeStringW(L"Zürich 'ü'"), int64_t{1} << 40, -7, 5, 7);
  EXPECT_EQ(s, L"Zürich 'ü'|1099511627776|-7|05|007");
  s.Format(L"%02x%04x%08x", 0xab, 0x1c, 0xdeadbeefu);
  EXPECT_EQ(s, L"ab001cdeadbeef");
  s.Format(L"%0.1f %lf", 2.25, 0.5);
  s.AppendFormat(L" %s", L"naïve");
  EXPECT_EQ(s, L"2.2 0.500000 naïve");
}

// The host may never call setlocale; case and blanks must still cover letters
// beyond ASCII, as users name projects and runs in their own languages.
TEST(StringCase, NonAsciiLettersWhateverTheLocale) {
  EXPECT_EQ(CQeStringW(L"Äpfel Øst ÇA").CompareNoCase(CQeStringW(L"äPFEL øST ça")), 0);
  EXPECT_NE(CQeStringW(L"Straße").CompareNoCase(CQeStringW(L"Strasse")), 0);
  CQeStringW text(L"ÉCOLE Ωmega");
  text.MakeLower();
  EXPECT_EQ(text, L"école ωmega");
  CQeStringW padded(L"\u3000\u00a0 plate 1\u2028\t");
  padded.Trim();
  EXPECT_EQ(padded, L"plate 1");
}

// Every text bound to or read from SQLite passes through these conversions.
TEST(StringUtf8, RoundTripsEveryEncodedLength) {
  const std::wstring wide = L"Zellkern \u00b5m \u00fcber \u65e5\u672c \U0001F600 O'Brien 5%";
  const std::string utf8 = qe::WideToUtf8(wide);
  EXPECT_EQ(utf8,
            "Zellkern \xc2\xb5m \xc3\xbc"
            "ber \xe6\x97\xa5\xe6\x9c\xac \xf0\x9f\x98\x80 O'Brien 5%");
  EXPECT_EQ(qe::Utf8ToWide(utf8), wide);
}

// Found while looking into a fuzzing crash: the decoder took overlong forms,
// UTF-16 surrogates and values beyond U+10FFFF for characters, so a decoded
// text could hold what no text may hold (and C0 AF read as '/').
TEST(StringUtf8, WhatIsNotUtf8BecomesReplacementCharacters) {
  const std::pair<const char*, const wchar_t*> cases[] = {{"a\xC0\xAF"
                                                           "b",
                                                           L"a\uFFFDb"},
                                                          {"\xED\xA0\x80", L"\uFFFD"},
                                                          {"a\xc3", L"a\uFFFD"},
                                                          {"\xe6\x97x", L"\uFFFD\uFFFDx"}};
  for (const auto& [bytes, text] : cases) EXPECT_EQ(qe::Utf8ToWide(bytes), text) << bytes;
  std::wstring wide = L"a";
  for (wchar_t c : {0xD800, 0x110000}) wide += c;
  EXPECT_EQ(qe::WideToUtf8(wide), "a\xef\xbf\xbd\xef\xbf\xbd");
}
