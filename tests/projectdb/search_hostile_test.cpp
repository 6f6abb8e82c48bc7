// Hostile search texts: whatever is typed, the parser does not crash and the
// SQL it makes prepares on a real new database, is one read-only statement
// and reads only the tables of the search language.
#include <gtest/gtest.h>

#include "projectdb/search_test_util.h"

namespace {

const std::set<std::string> kSearchTables = {"jobdef",   "jobrun",    "assayrun",  "plateinfo",
                                             "frametag", "tagdef",    "frameprop", "propdef",
                                             "project",  "jobdeftag", "projtag"};

class SearchHostile : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(db_.created(), 0); }

  // Parses the text and, when it gives SQL, checks that SQL on the database.
  void Check(const std::wstring& text) {
    SCOPED_TRACE(qe::WideToUtf8(text.substr(0, 200)));
    SQeProjectDbSearchParser parser{CQeStringW(text)};
    int stop = -1;
    const bool matched = parser.MatchQuery(&stop);
    EXPECT_GE(stop, 0);
    EXPECT_LE(stop, parser.wszQuery.GetLength());
    const CQeStringW sql = parser.MakeSqlQuery();
    EXPECT_EQ(matched, !sql.IsEmpty());
    if (sql.IsEmpty()) return;
    ++checked_;
    const qe::test::StatementAccess access = qe::test::PrepareAndRun(db_.db(), sql.ToUtf8());
    ASSERT_EQ(access.prepareResult, SQLITE_OK) << access.error;
    EXPECT_TRUE(access.oneStatement);
    EXPECT_TRUE(access.readOnly);
    EXPECT_TRUE(access.otherActions.empty()) << access.otherActions.front();
    for (const std::string& table : access.tablesRead) {
      EXPECT_TRUE(kSearchTables.count(table)) << table;
    }
    EXPECT_EQ(access.stepResult, SQLITE_DONE) << access.error;
  }

  qe::test::ScopedEnv tz_{"TZ", "UTC0"};
  qe::test::SearchDb db_;
  int checked_ = 0;
};

// Apostrophes, quotes, percent signs, backslashes, SQL fragments, letters
// outside ASCII, lone operators, half sub-queries and 100 KB texts.
TEST_F(SearchHostile, OddAndLongTexts) {
  // clang-format off
  static const wchar_t* const kTexts[] = {
      L"'", L"'''", L"job='", L"label:\"'\"", L"'; DROP TABLE jobrun; --", L"job=x' OR '1'='1",
      L"assay:\"') UNION SELECT 1,2,3 --\"", L"keyword:') OR 1=1 --", L"\"unterminated 'phrase",
      L"job:C:\\data\\run'1\\", L"100%", L"label:%'%",
      L"label:Ñandú", L"\U0001F52C", L"date:３.５.２０２４",
      L"+", L"-", L":", L"label=", L"date<", L"date:1..2", L"date:12:30 am pm",
      L"first:99999999999999999999", L"cell last:1 first:1", L"label:a -",
      L"job:a date>1.1.2020 -date<1.1.2021 +last:3", L"\t\n\r\v\f"};
  // clang-format on
  for (const wchar_t* text : kTexts) Check(text);
  EXPECT_GT(checked_, 15);
  // Code points that are not characters reach the SQL as U+FFFD.
  Check(std::wstring(L"job:") + static_cast<wchar_t>(0xD800) + static_cast<wchar_t>(0x110000));
  std::wstring words, items;
  while (words.size() < 100 * 1024) words += L"cell'% ";
  while (items.size() < 100 * 1024) items += L"+label:a ";
  Check(words);
  Check(L"x " + items + L"last:3");
  Check(L"job:" + std::wstring(100 * 1024, L'a'));
}

}  // namespace
