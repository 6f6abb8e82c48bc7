#include <gtest/gtest.h>

#include <clocale>
#include <set>
#include <vector>

#include "qe/projectdb/sys.h"

namespace {

TEST(SysNames, ATakenNameGetsTheFirstFreeNumberAfterItsPrefix) {
  EXPECT_EQ(QeProjectDb_Sys_GetNamePrefix(L"\tRun 12\n"), L"Run");
  const struct {
    const wchar_t* name;
    std::vector<CQeStringW> existing;
    bool unique;
    const wchar_t* suggestion;
  } cases[] = {{L"run 1", {L"Run 1"}, true, L"run 1"},         // letter case counts
               {L"Run", {L"Run", L"Run 2"}, false, L"Run 1"},  // a gap is filled first
               {L"42", {L"42"}, false, L" 1"},                 // digits only: an empty prefix
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
      {L"Job 'A' 50%: x\\y", L"Job__A__50___x_y"},
      {L"Проба №5", L"Проба__5"},
      {L"細胞 αβ٣", L"細胞_αβ٣"},
      {L"x\U0001F52Cy", L"x_y"},  // outside the Basic Multilingual Plane: one wchar_t
  };
  for (const auto& [text, replaced] : cases) {
    EXPECT_EQ(QeProjectDb_Sys_ReplaceNonAlnum(text, L'_'), replaced) << qe::WideToUtf8(text);
  }
}

TEST(SysNames, UuidTextIsVersion4InLowercaseHexAndUnique) {
  std::set<CQeStringW> seen;
  for (int i = 0; i < 200; ++i) {
    const CQeStringW uuid = QeProjectDb_Sys_UuidAsText();
    ASSERT_EQ(uuid.GetLength(), 32) << uuid.ToUtf8();
    ASSERT_EQ(uuid.str().find_first_not_of(L"0123456789abcdef"), std::wstring::npos);
    ASSERT_EQ(uuid.GetAt(12), L'4') << uuid.ToUtf8();  // version 4, variant 10
    ASSERT_NE(std::wstring(L"89ab").find(uuid.GetAt(16)), std::wstring::npos) << uuid.ToUtf8();
    seen.insert(uuid);
  }
  EXPECT_EQ(seen.size(), 200u);
}

}  // namespace
