// The SQL texts the search language produces, pinned character for
// character, and where the parser stops reading a text.
#include <gtest/gtest.h>

#include "projectdb/search_test_util.h"
#include "qe/core/date_time.h"

namespace {

using namespace qe::test;

std::wstring Label(const std::wstring& word) {
  return kLabelHead + L"tagdef.wszName LIKE '%" + word + L"%')";
}
std::wstring JobBoth(const std::wstring& condition) {
  return kJobHead + L"jobdef.wszName" + condition + L" OR jobrun.wszName" + condition + L")";
}

void ExpectSql(std::initializer_list<std::pair<const wchar_t*, std::wstring>> cases) {
  for (const auto& [text, sql] : cases) EXPECT_EQ(SqlFor(text), sql) << qe::WideToUtf8(text);
}

TEST(SearchSql, TwoPlainWordsSearchEveryBodyWithOneConditionPerWord) {
  auto both = [](const std::wstring& column) {
    return column + L" LIKE '%cell%' OR " + column + L" LIKE '%nucleus%'";
  };
  EXPECT_EQ(SqlFor(L"cell nucleus"),
            kAssayHead + both(L"assayrun.wszName") + L")UNION \n" + kJobHead +
                both(L"jobdef.wszName") + L" OR " + both(L"jobrun.wszName") + L")UNION \n" +
                KeywordBody(both(L"tagdef.wszName")) + L"UNION \n" + kLabelHead +
                both(L"tagdef.wszName") + L")UNION \n" + kPlateHead + both(L"plateinfo.wszName") +
                L" OR " + both(L"plateinfo.wszBarcode") + L")UNION \n" + kQuantityHead +
                both(L"propdef.wszName") + L");");
}

TEST(SearchSql, EachBodyWildcardOperatorAndCount) {
  const std::wstring every = JobBoth(L" LIKE '%'") + L" \nORDER BY 3 ";
  ExpectSql({
      {L"job:exp*", JobBoth(L" LIKE 'exp%'") + L";"},
      {L"job=exp1", JobBoth(L"='exp1'") + L";"},
      {L"assay:seg", kAssayHead + L"assayrun.wszName LIKE '%seg%');"},
      {L"plate=P1", kPlateHead + L"plateinfo.wszName='P1' OR plateinfo.wszBarcode='P1');"},
      {L"keyword:dapi", KeywordBody(L"tagdef.wszName LIKE '%dapi%'") + L";"},
      {L"quantity:area", kQuantityHead + L"propdef.wszName LIKE '%area%');"},
      {L"label:a +label:b -label:c label:d", Label(L"a") + L" \nUNION " + Label(L"b") +
                                                 L" \nEXCEPT " + Label(L"c") + L" \nINTERSECT " +
                                                 Label(L"d") + L";"},
      {L"-label:a", Label(L"a") + L";"},  // the first item is built without its operator
      {L"last:5", every + L"DESC LIMIT 5;"},
      {L"label:a +label:b last: 2",
       Label(L"a") + L" \nUNION " + Label(L"b") + L" \nORDER BY 3 DESC LIMIT 2;"},
      {L"last:0", L""},
      // Apostrophes are doubled inside the literals.
      {L"job=O'Neil", JobBoth(L"='O''Neil'") + L";"},
      {L"assay:\"it's a '' test\"", kAssayHead + L"assayrun.wszName LIKE '%it''s a '''' test%');"},
  });
  const std::wstring tail = L" \nINTERSECT " + Label(L"dapi") + L";";
  const std::wstring sql = SqlFor(L"cell label:dapi");
  EXPECT_EQ(sql.find(L"INTERSECT"), sql.size() - tail.size() + 2);
  EXPECT_EQ(sql.substr(sql.size() - tail.size()), tail);
}

// A leading "+" on a word is dropped; a keyword without its comparator, a
// blank before the comparator, and unterminated or empty phrases end the
// parse where they stand.
TEST(SearchSql, WhereTheParseStops) {
  // clang-format off
  const struct { const wchar_t *text, *sameAs, *rest; } kCases[] = {
      {L"+cell", L"cell", L""}, {L"cell labels", L"cell", L"s"},
      {L"cell label :x", L"cell", L":x"}, {L"cell \"abc def", L"cell", L""},
      {L"cell \"\" nucleus", L"cell", L"nucleus"}, {L"labels", L"", L""},
      {L"label :x", L"", L""}, {L"\"\"", L"", L""}};
  // clang-format on
  for (const auto& c : kCases) {
    SCOPED_TRACE(qe::WideToUtf8(c.text));
    int stop = -1;
    const std::wstring sql = SqlFor(c.text, &stop);
    EXPECT_EQ(sql, SqlFor(c.sameAs));
    if (!sql.empty()) {
      EXPECT_EQ(std::wstring(c.text).substr(stop), c.rest);
    }
  }
}

class SearchSqlDate : public ::testing::Test {
 protected:
  static std::wstring Between(double from) {
    const std::wstring range =
        L" BETWEEN " + Lf(from) + L" AND " + Lf(from + (86400000.0 - 1.0) / 86400000.0);
    return kJobHead + L"jobdef.dMTime" + range + L" OR jobrun.dMTime" + range + L");";
  }
  static std::wstring Compare(const wchar_t* op, double value) {
    return kJobHead + L"jobdef.dMTime" + op + Lf(value) + L" OR jobrun.dMTime" + op + Lf(value) +
           L");";
  }
  ScopedEnv tz_{"TZ", "UTC0"};
  const double may3_ = UtcMidnightJdn(2024, 5, 3);
};

TEST_F(SearchSqlDate, DaysTimesAndComparators) {
  const double h = 1.0 / 24.0;
  const std::wstring before = Compare(L"<", may3_);
  ExpectSql({
      {L"date:3.5.2024", Between(may3_)},
      {L"date:3.5.2024 13:45", Between(may3_)},  // ":" takes the whole day
      {L"date<3.5.2024", before},
      {L"date>3.5.2024 2:30 pm", Compare(L">", may3_ + 14.5 * h)},
      {L"date>3.5.2024 12:15 am", Compare(L">", may3_ + 0.25 * h)},
      {L"date<3.5.2024 10:00:30", Compare(L"<", may3_ + (10.0 * 3600 + 30) / 86400.0)},
      {L"date:31.2.2024", L""},
      {L"date>25:00", L""},
      {L"date>13:00 pm", L""},
      {L"label:a +date<3.5.2024", Label(L"a") + L" \nUNION " + before},
      // The "-" after a date starts the next sub-query.
      {L"date<3.5.2024 -label:a",
       before.substr(0, before.size() - 1) + L" \nEXCEPT " + Label(L"a") + L";"},
  });
  // Days begin at midnight of the user's zone.
  ScopedEnv berlin("TZ", "CET-1CEST,M3.5.0,M10.5.0/3");
  EXPECT_EQ(SqlFor(L"date<3.5.2024"), Compare(L"<", may3_ - 2.0 / 24.0));
}

TEST_F(SearchSqlDate, DayAndMonthWithoutYear) {
  const double now = CQeDateTime::UNow().GetJDN();
  CQeDateTime::Tm past;
  CQeDateTime::Tm coming;
  ASSERT_TRUE(CQeDateTime(now - 1.0).GetTm(past));
  ASSERT_TRUE(CQeDateTime(now + 1.0).GetTm(coming));
  // A day already past is this year's (on 1 January, last year's yesterday).
  EXPECT_EQ(SqlFor(fmt::sprintf(L"date<%d.%d", past.day, past.month + 1)),
            Compare(L"<", UtcMidnightJdn(past.year, past.month + 1, past.day)));
  // A day still to come was last in the year before.
  if (coming.month == 1 && coming.day == 29) GTEST_SKIP() << "no 29 February a year ago";
  EXPECT_EQ(SqlFor(fmt::sprintf(L"date<%d/%d", coming.day, coming.month + 1)),
            Compare(L"<", UtcMidnightJdn(coming.year - 1, coming.month + 1, coming.day)));
}

}  // namespace
