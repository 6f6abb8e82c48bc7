#include <gtest/gtest.h>

#include <clocale>
#include <set>
#include <vector>

#include "qe/projectdb/sys.h"

namespace {

TEST(SysNames, PrefixDropsBlanksAndTrailingDigits) {
  EXPECT_EQ(QeProjectDb_Sys_GetNamePrefix(L"  Run 12  "), L"Run");
  EXPECT_EQ(QeProjectDb_Sys_GetNamePrefix(L"\tRun 12\n"), L"Run");
  EXPECT_EQ(QeProjectDb_Sys_GetNamePrefix(L"12345"), L"");
  EXPECT_EQ(QeProjectDb_Sys_GetNamePrefix(L" 007 "), L"");
  EXPECT_EQ(QeProjectDb_Sys_GetNamePrefix(L""), L"");
  EXPECT_EQ(QeProjectDb_Sys_GetNamePrefix(L"Plate"), L"Plate");
  // Only trailing digits go; digits inside the name stay.
  EXPECT_EQ(QeProjectDb_Sys_GetNamePrefix(L"96 well 3"), L"96 well");
  EXPECT_EQ(QeProjectDb_Sys_GetNamePrefix(L"Run2b"), L"Run2b");
  EXPECT_EQ(QeProjectDb_Sys_GetNamePrefix(L"Lauf 4"), L"Lauf");
  EXPECT_EQ(QeProjectDb_Sys_GetNamePrefix(L"Zürich 07"), L"Zürich");
}

TEST(SysNames, UniqueNameIsKept) {
  CQeStringW suggestion = L"stale";
  EXPECT_TRUE(QeProjectDb_Sys_IsNameUnique(L"Run 3", {L"Run 1", L"Run 2"}, suggestion));
  EXPECT_EQ(suggestion, L"Run 3");
  EXPECT_TRUE(QeProjectDb_Sys_IsNameUnique(L"run 1", {L"Run 1"}, suggestion));
  EXPECT_TRUE(QeProjectDb_Sys_IsNameUnique(L"Run", {}, suggestion));
  EXPECT_EQ(suggestion, L"Run");
}

TEST(SysNames, TakenNameSuggestsTheFirstFreeNumber) {
  CQeStringW suggestion;
  EXPECT_FALSE(QeProjectDb_Sys_IsNameUnique(L"Run 2", {L"Run 2", L"Run 1"}, suggestion));
  EXPECT_EQ(suggestion, L"Run 3");
  // A gap is filled first.
  EXPECT_FALSE(QeProjectDb_Sys_IsNameUnique(L"Run", {L"Run", L"Run 2"}, suggestion));
  EXPECT_EQ(suggestion, L"Run 1");
}

TEST(SysNames, SuggestionsForAwkwardNames) {
  CQeStringW suggestion;
  // A name of digits only has an empty prefix: the suggestions start with a blank.
  EXPECT_FALSE(QeProjectDb_Sys_IsNameUnique(L"42", {L"42"}, suggestion));
  EXPECT_EQ(suggestion, L" 1");
  EXPECT_FALSE(QeProjectDb_Sys_IsNameUnique(L"Bob's 100% run", {L"Bob's 100% run"}, suggestion));
  EXPECT_EQ(suggestion, L"Bob's 100% run 1");
  EXPECT_FALSE(QeProjectDb_Sys_IsNameUnique(L"Größe 1", {L"Größe 1", L"Größe 1"}, suggestion));
  EXPECT_EQ(suggestion, L"Größe 2");
}

TEST(SysNames, ReplaceNonAlnumKeepsTheLength) {
  EXPECT_EQ(QeProjectDb_Sys_ReplaceNonAlnum(L"a b/c", L'_'), L"a_b_c");
  EXPECT_EQ(QeProjectDb_Sys_ReplaceNonAlnum(L"", L'_'), L"");
  EXPECT_EQ(QeProjectDb_Sys_ReplaceNonAlnum(L"Job 'A' 50%: x\\y", L'_'), L"Job__A__50___x_y");
  EXPECT_EQ(QeProjectDb_Sys_ReplaceNonAlnum(L"a.b", L'-'), L"a-b");
}

TEST(SysNames, ReplaceNonAlnumKeepsUnicodeLettersInTheCLocale) {
  std::setlocale(LC_ALL, "C");
  EXPECT_EQ(QeProjectDb_Sys_ReplaceNonAlnum(L"Zürich Größe", L'_'), L"Zürich_Größe");
  EXPECT_EQ(QeProjectDb_Sys_ReplaceNonAlnum(L"Проба №5", L'_'), L"Проба__5");
  EXPECT_EQ(QeProjectDb_Sys_ReplaceNonAlnum(L"細胞 αβ٣", L'_'), L"細胞_αβ٣");
  // A character outside the Basic Multilingual Plane is one wchar_t here.
  EXPECT_EQ(QeProjectDb_Sys_ReplaceNonAlnum(L"x\U0001F52Cy", L'_'), L"x_y");
}

}  // namespace

namespace {

TEST(SysNames, UuidTextIsVersion4InLowercaseHex) {
  std::set<CQeStringW> seen;
  for (int i = 0; i < 1000; ++i) {
    const CQeStringW uuid = QeProjectDb_Sys_UuidAsText();
    ASSERT_EQ(uuid.GetLength(), 32) << uuid.ToUtf8();
    ASSERT_EQ(uuid.str().find_first_not_of(L"0123456789abcdef"), std::wstring::npos)
        << uuid.ToUtf8();
    ASSERT_EQ(uuid.GetAt(12), L'4') << uuid.ToUtf8();
    ASSERT_NE(std::wstring(L"89ab").find(uuid.GetAt(16)), std::wstring::npos) << uuid.ToUtf8();
    seen.insert(uuid);
  }
  EXPECT_EQ(seen.size(), 1000u);
}

}  // namespace
