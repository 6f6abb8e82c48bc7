#include <gtest/gtest.h>

#include "qe/core/string.h"

TEST(StringFormat, ConversionsTheSystemUses) {
  CQeStringW s;
  s.Format(L"%s|%I64d|%d|%02d|%03d", CQeStringW(L"Zürich 'ü'"), int64_t{1} << 40, -7, 5, 7);
  EXPECT_EQ(s, L"Zürich 'ü'|1099511627776|-7|05|007");
  s.Format(L"%02x%04x%08x", 0xab, 0x1c, 0xdeadbeefu);
  EXPECT_EQ(s, L"ab001cdeadbeef");
  s.Format(L"%0.1f %lf", 2.25, 0.5);
  EXPECT_EQ(s, L"2.2 0.500000");
  s.AppendFormat(L" %s", L"naïve");
  EXPECT_EQ(s, L"2.2 0.500000 naïve");
  s.Format(L"%I64d", int64_t{-9223372036854775807LL - 1});
  EXPECT_EQ(s, L"-9223372036854775808");
}

// The host may never call setlocale; case and blanks must still cover letters
// beyond ASCII, as users name projects and runs in their own languages.
TEST(StringCase, NonAsciiLettersWhateverTheLocale) {
  EXPECT_EQ(CQeStringW(L"Äpfel Øst ÇA").CompareNoCase(CQeStringW(L"äPFEL øST ça")), 0);
  EXPECT_LT(CQeStringW(L"Ärger").CompareNoCase(CQeStringW(L"Ösen")), 0);
  EXPECT_NE(CQeStringW(L"Straße").CompareNoCase(CQeStringW(L"Strasse")), 0);

  CQeStringW lower(L"ÉCOLE Ωmega");
  lower.MakeLower();
  EXPECT_EQ(lower, L"école ωmega");
  CQeStringW upper(L"école ωmega");
  upper.MakeUpper();
  EXPECT_EQ(upper, L"ÉCOLE ΩMEGA");

  CQeStringW padded(L"\u3000\u00a0 plate 1\u2028\t");
  padded.Trim();
  EXPECT_EQ(padded, L"plate 1");
}

// Found while looking into a fuzzing crash: the decoder took overlong
// forms, UTF-16 surrogates and values beyond U+10FFFF for characters, so a
// decoded text could hold what no text may hold (and C0 AF read as '/').
TEST(StringUtf8, SequencesThatAreNotUtf8BecomeOneReplacementCharacter) {
  EXPECT_EQ(qe::Utf8ToWide("a\xC0\xAF"
                           "b"),
            L"a\uFFFDb");
  EXPECT_EQ(qe::Utf8ToWide("\xE0\x80\xAF"), L"\uFFFD");
  EXPECT_EQ(qe::Utf8ToWide("\xED\xA0\x80"), L"\uFFFD");
  EXPECT_EQ(qe::Utf8ToWide("\xF4\x90\x80\x80"), L"\uFFFD");
  EXPECT_EQ(qe::Utf8ToWide("\xF7\xBF\xBF\xBF"), L"\uFFFD");
  // The largest of each length still reads.
  EXPECT_EQ(qe::Utf8ToWide("\x7F\xDF\xBF\xEF\xBF\xBD\xF4\x8F\xBF\xBF"),
            std::wstring(L"\x7F\x07FF\uFFFD") + static_cast<wchar_t>(0x10FFFF));
}
