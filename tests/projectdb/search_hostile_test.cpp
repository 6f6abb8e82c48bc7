// Hostile search texts: whatever is typed, the parser does not crash and the
// SQL it makes prepares on a real new database, is one read-only statement
// and reads only the tables of the search language.
#include <gtest/gtest.h>

#include <random>

#include "projectdb/search_test_util.h"

namespace {

using P = SQeProjectDbSearchParser;

const std::set<std::string> kSearchTables = {"jobdef",   "jobrun",    "assayrun",  "plateinfo",
                                             "frametag", "tagdef",    "frameprop", "propdef",
                                             "project",  "jobdeftag", "projtag"};

class SearchHostile : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(db_.created(), 0); }

  // Parses the text and, when it gives SQL, checks that SQL on the database.
  void Check(const std::wstring& text) {
    SCOPED_TRACE(qe::WideToUtf8(text.substr(0, 200)));
    P parser{CQeStringW(text)};
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

// Apostrophes, quotes, percent signs, SQL fragments, letters outside ASCII,
// code points that are not characters, lone operators and half sub-queries.
TEST_F(SearchHostile, OddTexts) {
  // clang-format off
  static const wchar_t* const kTexts[] = {
      L"'", L"''", L"'''", L"job:'", L"job='", L"label:\"'\"", L"O'Neil's",
      L"'; DROP TABLE jobrun; --", L"job=x' OR '1'='1", L"assay:\"') UNION SELECT 1,2,3 --\"",
      L"keyword:') OR 1=1 --", L"plate=\"\"\"", L"\"", L"\"\"\"\"", L"\"unterminated 'phrase",
      L"quantity:\"a\"b\"c", L"label:it''s", L"job:*'*", L"job:?'?", L"\\", L"label:\\'",
      L"job:C:\\data\\run'1\\", L"/* comment", L"-- comment", L"job:x;", L"job:x; DELETE",
      L"%", L"100%", L"job=%%", L"job:a_b", L"*", L"?", L"job:**?*", L"label:%'%",
      L"Zellkern Größe", L"label:Ñandú", L"job:細胞", L"\u00a0cell\u2003nucleus\u3000",
      L"\U0001F52C", L"job:\u2019quote\u2018", L"\uFEFFlabel:x", L"ｌａｂｅｌ：x",
      L"date:３.５.２０２４", L"\u0130label:x",
      L"+", L"-", L"+ -", L"++", L"--", L":", L"=", L"<", L">", L"label", L"label:", L"label=",
      L"+label:", L"date", L"date:", L"date<", L"date:1.", L"date:1.2.", L"date:1..2", L"date:-1",
      L"date:1:", L"date:12:30:", L"date:12:30 am pm", L"last", L"last:", L"first=",
      L"first:99999999999999999999", L"cell last:1 first:1", L"label:a -", L"label:a +",
      L"job:a date>1.1.2020 -date<1.1.2021 +last:3", L"    ", L"\t\n\r\v\f"};
  // clang-format on
  for (const wchar_t* text : kTexts) Check(text);
  EXPECT_GT(checked_, 40);
  // Code points that are not characters reach the SQL as U+FFFD.
  Check(std::wstring(L"job:") + static_cast<wchar_t>(0xD800) + static_cast<wchar_t>(0x110000) +
        static_cast<wchar_t>(-5));
}

TEST_F(SearchHostile, HundredKilobyteTexts) {
  std::wstring words;
  while (words.size() < 100 * 1024) words += L"cell'% ";
  Check(words);
  std::wstring items;
  while (items.size() < 100 * 1024) items += L"+label:a ";
  Check(L"x " + items + L"last:3");
  std::wstring oneWord(100 * 1024, L'a');
  Check(L"job:" + oneWord);
  Check(L"\"" + oneWord);
}

TEST_F(SearchHostile, LongTextsStopAtTheLimitsAndSaySo) {
  std::wstring words;
  for (int i = 0; i < P::s_iMaxWords + 5; ++i) words += L"w ";
  P parser{CQeStringW(words)};
  int stop = -1;
  ASSERT_TRUE(parser.MatchQuery(&stop));
  EXPECT_EQ(parser.vectItems[0].vectWords.size(), static_cast<size_t>(P::s_iMaxWords));
  EXPECT_EQ(stop, 2 * P::s_iMaxWords);
}

// Random strings of pieces of the language, random bytes read as UTF-8, and
// random code points.
TEST_F(SearchHostile, RandomTexts) {
  static const std::wstring kPieces[] = {
      L"label", L"job", L"date", L"last", L"first", L"assay", L"plate", L"keyword", L"quantity",
      L":",     L"=",   L"<",    L">",    L"+",     L"-",     L"\"",    L"'",       L"%",
      L"*",     L"?",   L"_",    L"\\",   L".",     L"/",     L" ",     L"  ",      L"12",
      L"2024",  L"0",   L"am",   L"pm",   L"ä",     L"細",    L";",     L"(",       L")"};
  std::mt19937 random(20240503);
  std::uniform_int_distribution<size_t> piece(0, std::size(kPieces) - 1);
  std::uniform_int_distribution<int> count(0, 24);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<uint32_t> codePoint(0, 0x10FFFF);
  for (int i = 0; i < 1500; ++i) {
    std::wstring text;
    for (int n = count(random); n > 0; --n) text += kPieces[piece(random)];
    Check(text);
    if (i % 3 == 0) {
      std::string bytes;
      std::wstring wide;
      for (int n = 3 * count(random); n > 0; --n) {
        bytes += static_cast<char>(byte(random));
        wide += static_cast<wchar_t>(codePoint(random));
        if (n % 3 == 0) wide += L" \"':";
      }
      Check(qe::Utf8ToWide(bytes));
      Check(wide);
    }
    if (HasFatalFailure()) return;
  }
  EXPECT_GT(checked_, 100);
}

}  // namespace
