#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <string>

#include "qe/core/locale.h"
#include "qe/core/translation.h"
#include "qe/core/uuid.h"
#include "qe/core/wtoi.h"
#include "support/scoped_env.h"

// The text form of the bytes is checked with QeProjectDb_Sys_UuidAsText.
TEST(Uuid, Version4VariantBitsAndUniqueness) {
  std::set<std::string> seen;
  for (int i = 0; i < 1000; ++i) {
    SQeUuid u{};
    ASSERT_EQ(QE_Generate_Uuid(&u), 0);
    EXPECT_EQ(u.Data3 >> 12, 4);
    EXPECT_EQ(u.Data4[0] >> 6, 2);
    seen.insert(std::string(reinterpret_cast<const char*>(&u), sizeof u));
  }
  EXPECT_EQ(seen.size(), 1000u);
  EXPECT_EQ(QE_Generate_Uuid(nullptr), -4);
}

TEST(Wtoi, ReadsLikeWtoi) {
  EXPECT_EQ(QE_wtoi(L"  \t-17abc"), -17);
  EXPECT_EQ(QE_wtoi(nullptr), 0);
  EXPECT_EQ(QE_wtoi(L"99999999999999999999"), INT_MAX);
  EXPECT_EQ(QE_wtoi(L"\x0663"), 0);  // only ASCII digits count
}

TEST(Locale, LangIdFromTheEnvironment) {
  qe::test::ScopedEnv all("LC_ALL", nullptr);
  qe::test::ScopedEnv time("LC_TIME", "de_DE.UTF-8");
  qe::test::ScopedEnv lang("LANG", "fr_FR.UTF-8@euro");
  EXPECT_EQ(CQeLocale::GetLangID(), "de_DE");
  qe::test::ScopedEnv time2("LC_TIME", "");
  EXPECT_EQ(CQeLocale::GetLangID(), "fr_FR");
  qe::test::ScopedEnv lang2("LANG", "C.UTF-8");
  EXPECT_EQ(CQeLocale::GetLangID(), "en_US");
}

TEST(Translation, WithoutACatalogueTheTextComesBack) {
  EXPECT_EQ(QE_GetTranslation(L"Arbeitsfläche 'ü' %s", __FILE__), L"Arbeitsfläche 'ü' %s");
  EXPECT_EQ(QE_GetTranslation(nullptr), L"");
}
