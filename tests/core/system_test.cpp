#include <gtest/gtest.h>

#include <climits>

#include "qe/core/locale.h"
#include "qe/core/translation.h"
#include "qe/core/wtoi.h"
#include "support/scoped_env.h"

TEST(Wtoi, ReadsLikeWtoi) {
  EXPECT_EQ(QE_wtoi(L"  \t-17abc"), -17);
  EXPECT_EQ(QE_wtoi(nullptr), 0);
  EXPECT_EQ(QE_wtoi(L"99999999999999999999"), INT_MAX);
  EXPECT_EQ(QE_wtoi(L"\x0663"), 0);  // only ASCII digits count
}

TEST(Locale, LangIdFromTheEnvironment) {
  qe::test::ScopedEnv all("LC_ALL", nullptr);
  qe::test::ScopedEnv lang("LANG", "fr_FR.UTF-8@euro");
  qe::test::ScopedEnv time2("LC_TIME", "");
  EXPECT_EQ(CQeLocale::GetLangID(), "fr_FR");
  qe::test::ScopedEnv lang2("LANG", "C.UTF-8");
  EXPECT_EQ(CQeLocale::GetLangID(), "en_US");
}

TEST(Translation, WithoutACatalogueTheTextComesBack) {
  EXPECT_EQ(QE_GetTranslation(L"Arbeitsfläche 'ü' %s", __FILE__), L"Arbeitsfläche 'ü' %s");
  EXPECT_EQ(QE_GetTranslation(nullptr), L"");
}
