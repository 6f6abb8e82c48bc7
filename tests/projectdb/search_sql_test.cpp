// The SQL texts the search language produces, pinned character for character.
#include <gtest/gtest.h>

#include <ctime>

#include "projectdb/search_test_util.h"
#include "qe/core/date_time.h"

namespace {

using namespace qe::test;
using P = SQeProjectDbSearchParser;

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
  const std::wstring expected =
      kAssayHead + both(L"assayrun.wszName") + L")UNION \n" + kJobHead + both(L"jobdef.wszName") +
      L" OR " + both(L"jobrun.wszName") + L")UNION \n" + KeywordBody(both(L"tagdef.wszName")) +
      L"UNION \n" + kLabelHead + both(L"tagdef.wszName") + L")UNION \n" + kPlateHead +
      both(L"plateinfo.wszName") + L" OR " + both(L"plateinfo.wszBarcode") + L")UNION \n" +
      kQuantityHead + both(L"propdef.wszName") + L");";
  P parser(L"cell nucleus");
  ASSERT_TRUE(parser.MatchQuery(nullptr));
  ASSERT_EQ(parser.vectItems.size(), 1u);
  EXPECT_EQ(parser.vectItems[0].eSpecifier, P::eSpecifierNone);
  EXPECT_EQ(parser.vectItems[0].vectWords.size(), 2u);
  EXPECT_EQ(parser.MakeSqlQuery().str(), expected);
}

TEST(SearchSql, EachBodyWildcardOperatorAndCount) {
  const std::wstring every = JobBoth(L" LIKE '%'") + L" \nORDER BY 3 ";
  ExpectSql({
      {L"job:exp*", JobBoth(L" LIKE 'exp%'") + L";"},
      {L"job=exp1", JobBoth(L"='exp1'") + L";"},
      {L"job:r?n", JobBoth(L" LIKE 'r_n'") + L";"},
      {L"job:a*?b", JobBoth(L" LIKE 'a%?b'") + L";"},  // a star wins over "?"
      {L"assay:seg", kAssayHead + L"assayrun.wszName LIKE '%seg%');"},
      {L"plate=P1", kPlateHead + L"plateinfo.wszName='P1' OR plateinfo.wszBarcode='P1');"},
      {L"keyword:dapi", KeywordBody(L"tagdef.wszName LIKE '%dapi%'") + L";"},
      {L"quantity:area", kQuantityHead + L"propdef.wszName LIKE '%area%');"},
      {L"label:a +label:b -label:c label:d", Label(L"a") + L" \nUNION " + Label(L"b") +
                                                 L" \nEXCEPT " + Label(L"c") + L" \nINTERSECT " +
                                                 Label(L"d") + L";"},
      // The first item is built without its operator.
      {L"+label:a", Label(L"a") + L";"},
      {L"-label:a", Label(L"a") + L";"},
      // first/last alone take every job; after other items they order the compound.
      {L"last:5", every + L"DESC LIMIT 5;"},
      {L"first=2", every + L"ASC LIMIT 2;"},
      {L"label:a first:3", Label(L"a") + L" \nORDER BY 3 ASC LIMIT 3;"},
      {L"label:a +label:b last: 2",
       Label(L"a") + L" \nUNION " + Label(L"b") + L" \nORDER BY 3 DESC LIMIT 2;"},
      {L"last:0", L""},
      {L"last:-1", L""},
      {L"first:", L""},
      {L"label:a last:0", Label(L"a") + L";"},
      // Apostrophes are doubled inside the literals.
      {L"job=O'Neil", JobBoth(L"='O''Neil'") + L";"},
      {L"assay:\"it's a '' test\"", kAssayHead + L"assayrun.wszName LIKE '%it''s a '''' test%');"},
      {L"label:x'*", kLabelHead + L"tagdef.wszName LIKE 'x''%');"},
  });
  P parser(L"last:5");
  ASSERT_TRUE(parser.MatchQuery(nullptr));
  ASSERT_EQ(parser.vectItems.size(), 2u);
  EXPECT_EQ(parser.vectItems[0].eSpecifier, P::eSpecifierJob);
  EXPECT_EQ(parser.vectItems[1].iCount, 5);
  int stop = -1;
  SqlFor(L"label:a last:0", &stop);
  EXPECT_EQ(stop, 14);  // the refused count is left unread
  const std::wstring words = SqlFor(L"cell last:2");
  EXPECT_EQ(words.substr(words.size() - 27), L") \nORDER BY 3 DESC LIMIT 2;");
  const std::wstring tail = L" \nINTERSECT " + Label(L"dapi") + L";";
  const std::wstring sql = SqlFor(L"cell label:dapi");
  ASSERT_GT(sql.size(), tail.size());
  EXPECT_EQ(sql.substr(sql.size() - tail.size()), tail);
  EXPECT_EQ(sql.find(L"INTERSECT"), sql.size() - tail.size() + 2);
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
  EXPECT_EQ(Lf(may3_), L"2460433.500000");
  const double h = 1.0 / 24.0;
  ExpectSql({
      {L"date:3.5.2024", Between(may3_)},
      {L"date=2024-05-03", Between(may3_)},
      {L"date: 3 / 5 / 2024", Between(may3_)},
      {L"date:3.5.2024 13:45", Between(may3_)},  // ":" takes the whole day
      {L"date<3.5.2024", Compare(L"<", may3_)},
      {L"date>2024/5/3", Compare(L">", may3_)},
      {L"date>3.5.2024 2:30 pm", Compare(L">", may3_ + 14.5 * h)},
      {L"date>3.5.2024 2:30PM", Compare(L">", may3_ + 14.5 * h)},
      {L"date>3.5.2024 9:05 am", Compare(L">", may3_ + (9.0 + 5.0 / 60) * h)},
      {L"date>3.5.2024 12:15 am", Compare(L">", may3_ + 0.25 * h)},
      {L"date>3.5.2024 12:15 pm", Compare(L">", may3_ + 12.25 * h)},
      {L"date<3.5.2024 10:00:30", Compare(L"<", may3_ + (10.0 * 3600 + 30) / 86400.0)},
      {L"date<3.5.2024 23 : 59 : 59", Compare(L"<", may3_ + (86400.0 - 1) / 86400.0)},
      // Not in the calendar, or not a time.
      {L"date:31.2.2024", L""},
      {L"date:29.2.2023", L""},
      {L"date:13.13.2024", L""},
      {L"date:3.5.99999", L""},
      {L"date:50.5", L""},
      {L"date>25:00", L""},
      {L"date>10:60", L""},
      {L"date>13:00 pm", L""},
      // Operators as for other sub-queries; the "-" after a date starts the next one.
      {L"label:a +date<3.5.2024", Label(L"a") + L" \nUNION " + Compare(L"<", may3_)},
      {L"label:a date<3.5.2024", Label(L"a") + L" \nINTERSECT " + Compare(L"<", may3_)},
      {L"date<3.5.2024 -label:a", Compare(L"<", may3_).substr(0, Compare(L"<", may3_).size() - 1) +
                                      L" \nEXCEPT " + Label(L"a") + L";"},
  });
  EXPECT_NE(SqlFor(L"date<3.5 -label:a").find(L" \nEXCEPT " + Label(L"a")), std::wstring::npos);
  EXPECT_NE(SqlFor(L"date:29.2.2024"), L"");
}

TEST_F(SearchSqlDate, DayOfTheLocalZone) {
  ScopedEnv berlin("TZ", "CET-1CEST,M3.5.0,M10.5.0/3");
  EXPECT_EQ(SqlFor(L"date<3.5.2024"), Compare(L"<", may3_ - 2.0 / 24.0));  // summer time
  EXPECT_EQ(SqlFor(L"date<3.1.2024"), Compare(L"<", UtcMidnightJdn(2024, 1, 3) - 1.0 / 24.0));
}

TEST_F(SearchSqlDate, TimeAloneIsToday) {
  const time_t now = time(nullptr);
  struct tm utc {};
  gmtime_r(&now, &utc);
  const double today = UtcMidnightJdn(utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday);
  EXPECT_EQ(SqlFor(L"date>10:30"), Compare(L">", today + 10.5 / 24.0));
  EXPECT_EQ(SqlFor(L"date<0:00"), Compare(L"<", today));
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

TEST(SearchSql, BuildersGiveNothingWithoutWords) {
  const std::vector<CQeStringW> none;
  EXPECT_TRUE(P::MakeSqlSubquery_Job(P::eComparatorContains, none).IsEmpty());
  EXPECT_TRUE(P::MakeSqlSubquery_Label(P::eComparatorContains, none).IsEmpty());
  EXPECT_TRUE(P::MakeSqlSubquery_Keyword(P::eComparatorEquals, none).IsEmpty());
  EXPECT_TRUE(P::MakeSqlWhereForWords(L"t.c", P::eComparatorLess, {L"x"}).IsEmpty());
  EXPECT_EQ(P::Concatenate(L", ", L"a", CQeStringW(), L"b", nullptr, L"c").str(), L"a, b");
  P parser;
  EXPECT_TRUE(parser.MakeSqlQuery().IsEmpty());
  // An item without words first: the next item opens the compound, unprefixed.
  P::SQeItem empty;
  empty.eSpecifier = P::eSpecifierLabel;
  P::SQeItem label = empty;
  label.iSetOperator = P::eSetOperatorExcept;
  label.vectWords = {L"a"};
  parser.vectItems = {empty, label};
  EXPECT_EQ(parser.MakeSqlQuery().str(), Label(L"a") + L";");
}

}  // namespace
