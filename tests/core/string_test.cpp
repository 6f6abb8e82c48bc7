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
