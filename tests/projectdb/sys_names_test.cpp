#include <gtest/gtest.h>

#include <clocale>
#include <set>
#include <vector>

#include "qe/projectdb/sys.h"

namespace {

TEST(SysNames, PrefixDropsBlanksAndTrailingDigits) {
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {{L"  Run 12  ", L"Run"},
                                                             {L"\tRun 12\n", L"Run"},
                                                             {L"12345", L""},
                                                             {L" 007 ", L""},
                                                             {L"", L""},
                                                             {L"Plate", L"Plate"},
                                                             {L"96 well 3", L"96 well"},
                                                             {L"Run2b", L"Run2b"},
                                                             {L"Zürich 07", L"Zürich"}};
  for (const auto& [name, prefix] : cases) {
    EXPECT_EQ(QeProjectDb_Sys_GetNamePrefix(name), prefix) << qe::WideToUtf8(name);
  }
}

TEST(SysNames, ATakenNameGetsTheFirstFreeNumber) {
  const struct {
    const wchar_t* name;
    std::vector<CQeStringW> existing;
    bool unique;
    const wchar_t* suggestion;
  } cases[] = {{L"Run 3", {L"Run 1", L"Run 2"}, true, L"Run 3"},
               {L"run 1", {L"Run 1"}, true, L"run 1"},  // letter case counts
               {L"Run", {}, true, L"Run"},
               {L"Run 2", {L"Run 2", L"Run 1"}, false, L"Run 3"},
               {L"Run", {L"Run", L"Run 2"}, false, L"Run 1"},  // a gap is filled first
               {L"42", {L"42"}, false, L" 1"},                 // digits only: an empty prefix
               {L"Bob's 100% run", {L"Bob's 100% run"}, false, L"Bob's 100% run 1"},
               {L"Größe 1", {L"Größe 1", L"Größe 1"}, false, L"Größe 2"}};
  for (const auto& c : cases) {
    CQeStringW suggestion = L"stale";
    EXPECT_EQ(QeProjectDb_Sys_IsNameUnique(c.name, c.existing, suggestion), c.unique)
        << qe::WideToUtf8(c.name);
    EXPECT_EQ(suggestion, c.suggestion);
  }
}

// Unicode letters and digits count whatever the C locale says, as users name
// projects and runs in their own languages.
TEST(SysNames, ReplaceNonAlnumKeepsLettersAndTheLength) {
  std::setlocale(LC_ALL, "C");
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"a b/c", L"a_b_c"},
      {L"", L""},
      {L"Job 'A' 50%: x\\y", L"Job__A__50___x_y"},
      {L"Zürich Größe", L"Zürich_Größe"},
      {L"Проба №5", L"Проба__5"},
      {L"細胞 αβ٣", L"細胞_αβ٣"},
      {L"x\U0001F52Cy", L"x_y"},  // outside the Basic Multilingual Plane: one wchar_t
  };
  for (const auto& [text, replaced] : cases) {
    EXPECT_EQ(QeProjectDb_Sys_ReplaceNonAlnum(text, L'_'), replaced) << qe::WideToUtf8(text);
  }
  EXPECT_EQ(QeProjectDb_Sys_ReplaceNonAlnum(L"a.b", L'-'), L"a-b");
}

TEST(SysNames, UuidTextIsVersion4InLowercaseHex) {
  std::set<CQeStringW> seen;
  for (int i = 0; i < 1000; ++i) {
    const CQeStringW uuid = QeProjectDb_Sys_UuidAsText();
    ASSERT_EQ(uuid.GetLength(), 32) << uuid.ToUtf8();
    ASSERT_EQ(uuid.str().find_first_not_of(L"0123456789abcdef"), std::wstring::npos);
    ASSERT_EQ(uuid.GetAt(12), L'4') << uuid.ToUtf8();
    ASSERT_NE(std::wstring(L"89ab").find(uuid.GetAt(16)), std::wstring::npos) << uuid.ToUtf8();
    seen.insert(uuid);
  }
  EXPECT_EQ(seen.size(), 1000u);
}

}  // namespace
