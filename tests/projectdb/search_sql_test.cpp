// The SQL texts the search language produces, pinned character for character.
#include <gtest/gtest.h>

#include <ctime>

#include "projectdb/search_test_util.h"
#include "qe/core/date_time.h"

namespace {

using qe::test::kAssayHead;
using qe::test::KeywordBody;
using qe::test::kJobHead;
using qe::test::kLabelHead;
using qe::test::kPlateHead;
using qe::test::kQuantityHead;
using qe::test::Lf;
using qe::test::SqlFor;

std::wstring Label(const std::wstring& word) {
  return kLabelHead + L"tagdef.wszName LIKE '%" + word + L"%')";
}

TEST(SearchSql, TwoPlainWordsSearchEveryBodyWithOneConditionPerWord) {
  const std::wstring expected =
      kAssayHead + L"assayrun.wszName LIKE '%cell%' OR assayrun.wszName LIKE '%nucleus%')" +
      L"UNION \n" + kJobHead +
      L"jobdef.wszName LIKE '%cell%' OR jobdef.wszName LIKE '%nucleus%' OR jobrun.wszName LIKE "
      L"'%cell%' OR jobrun.wszName LIKE '%nucleus%')" +
      L"UNION \n" +
      KeywordBody(L"tagdef.wszName LIKE '%cell%' OR tagdef.wszName LIKE '%nucleus%'") +
      L"UNION \n" + kLabelHead +
      L"tagdef.wszName LIKE '%cell%' OR tagdef.wszName LIKE '%nucleus%')" + L"UNION \n" +
      kPlateHead +
      L"plateinfo.wszName LIKE '%cell%' OR plateinfo.wszName LIKE '%nucleus%' OR "
      L"plateinfo.wszBarcode LIKE '%cell%' OR plateinfo.wszBarcode LIKE '%nucleus%')" +
      L"UNION \n" + kQuantityHead +
      L"propdef.wszName LIKE '%cell%' OR propdef.wszName LIKE '%nucleus%')" + L";";
  SQeProjectDbSearchParser parser(L"cell nucleus");
  ASSERT_TRUE(parser.MatchQuery(nullptr));
  ASSERT_EQ(parser.vectItems.size(), 1u);
  EXPECT_EQ(parser.vectItems[0].eSpecifier, SQeProjectDbSearchParser::eSpecifierNone);
  EXPECT_EQ(parser.vectItems[0].vectWords.size(), 2u);
  EXPECT_EQ(parser.MakeSqlQuery().str(), expected);
}

TEST(SearchSql, JobWithStarUsesLikeOnBothNames) {
  EXPECT_EQ(SqlFor(L"job:exp*"),
            kJobHead + L"jobdef.wszName LIKE 'exp%' OR jobrun.wszName LIKE 'exp%');");
}

TEST(SearchSql, JobWithEqualsComparesWholeNames) {
  EXPECT_EQ(SqlFor(L"job=exp1"), kJobHead + L"jobdef.wszName='exp1' OR jobrun.wszName='exp1');");
}

TEST(SearchSql, QuestionMarkIsOneCharacterUnlessAStarIsThere) {
  EXPECT_EQ(SqlFor(L"job:r?n"),
            kJobHead + L"jobdef.wszName LIKE 'r_n' OR jobrun.wszName LIKE 'r_n');");
  EXPECT_EQ(SqlFor(L"job:a*?b"),
            kJobHead + L"jobdef.wszName LIKE 'a%?b' OR jobrun.wszName LIKE 'a%?b');");
}

TEST(SearchSql, AssayPlateKeywordQuantityBodies) {
  EXPECT_EQ(SqlFor(L"assay:seg"), kAssayHead + L"assayrun.wszName LIKE '%seg%');");
  EXPECT_EQ(SqlFor(L"plate=P1"),
            kPlateHead + L"plateinfo.wszName='P1' OR plateinfo.wszBarcode='P1');");
  EXPECT_EQ(SqlFor(L"keyword:dapi"), KeywordBody(L"tagdef.wszName LIKE '%dapi%'") + L";");
  EXPECT_EQ(SqlFor(L"quantity:area"), kQuantityHead + L"propdef.wszName LIKE '%area%');");
}

TEST(SearchSql, OperatorsPrefixTheFollowingBodies) {
  EXPECT_EQ(SqlFor(L"label:a +label:b -label:c label:d"),
            Label(L"a") + L" \nUNION " + Label(L"b") + L" \nEXCEPT " + Label(L"c") +
                L" \nINTERSECT " + Label(L"d") + L";");
}

TEST(SearchSql, PlainWordsThenSpecifierIntersect) {
  const std::wstring sql = SqlFor(L"cell label:dapi");
  const std::wstring tail = L" \nINTERSECT " + Label(L"dapi") + L";";
  ASSERT_GT(sql.size(), tail.size());
  EXPECT_EQ(sql.substr(sql.size() - tail.size()), tail);
  EXPECT_EQ(sql.find(L"INTERSECT"), sql.size() - tail.size() + 2);
}

TEST(SearchSql, TheFirstItemHasNoOperatorPrefix) {
  EXPECT_EQ(SqlFor(L"+label:a"), Label(L"a") + L";");
  EXPECT_EQ(SqlFor(L"-label:a"), Label(L"a") + L";");
}

TEST(SearchSql, LastAloneTakesEveryJob) {
  SQeProjectDbSearchParser parser(L"last:5");
  ASSERT_TRUE(parser.MatchQuery(nullptr));
  ASSERT_EQ(parser.vectItems.size(), 2u);
  EXPECT_EQ(parser.vectItems[0].eSpecifier, SQeProjectDbSearchParser::eSpecifierJob);
  EXPECT_EQ(parser.vectItems[1].iCount, 5);
  EXPECT_EQ(parser.MakeSqlQuery().str(),
            kJobHead +
                L"jobdef.wszName LIKE '%' OR jobrun.wszName LIKE '%') \nORDER BY 3 DESC "
                L"LIMIT 5;");
  EXPECT_EQ(SqlFor(L"first=2"),
            kJobHead +
                L"jobdef.wszName LIKE '%' OR jobrun.wszName LIKE '%') \nORDER BY 3 ASC "
                L"LIMIT 2;");
}

TEST(SearchSql, FirstAndLastAfterOtherItemsOrderTheWholeCompound) {
  EXPECT_EQ(SqlFor(L"label:a first:3"), Label(L"a") + L" \nORDER BY 3 ASC LIMIT 3;");
  EXPECT_EQ(SqlFor(L"label:a +label:b last: 2"),
            Label(L"a") + L" \nUNION " + Label(L"b") + L" \nORDER BY 3 DESC LIMIT 2;");
  const std::wstring words = SqlFor(L"cell last:2");
  EXPECT_EQ(words.substr(words.size() - 27), L") \nORDER BY 3 DESC LIMIT 2;");
}

TEST(SearchSql, ZeroAndNegativeCountsDoNotMatch) {
  int stop = -1;
  EXPECT_EQ(SqlFor(L"last:0"), L"");
  EXPECT_EQ(SqlFor(L"last:-1"), L"");
  EXPECT_EQ(SqlFor(L"first:"), L"");
  // After other items the refused count is dropped with the rest of the text.
  EXPECT_EQ(SqlFor(L"label:a last:0", &stop), Label(L"a") + L";");
  EXPECT_EQ(stop, 14);
}

class SearchSqlDate : public ::testing::Test {
 protected:
  qe::test::ScopedTimeZone tz_{"UTC0"};
  const double may3_ = qe::test::UtcMidnightJdn(2024, 5, 3);

  static std::wstring Between(double from, double to) {
    const std::wstring range = L" BETWEEN " + Lf(from) + L" AND " + Lf(to);
    return kJobHead + L"jobdef.dMTime" + range + L" OR jobrun.dMTime" + range + L");";
  }
  static std::wstring Compare(const wchar_t* op, double value) {
    return kJobHead + L"jobdef.dMTime" + op + Lf(value) + L" OR jobrun.dMTime" + op + Lf(value) +
           L");";
  }
};

TEST_F(SearchSqlDate, ColonAndEqualsSelectTheWholeDay) {
  const double end = may3_ + (86400000.0 - 1.0) / 86400000.0;
  EXPECT_EQ(Lf(may3_), L"2460433.500000");
  EXPECT_EQ(SqlFor(L"date:3.5.2024"), Between(may3_, end));
  EXPECT_EQ(SqlFor(L"date=2024-05-03"), Between(may3_, end));
  EXPECT_EQ(SqlFor(L"date: 3 / 5 / 2024"), Between(may3_, end));
  // A time given with ":" is ignored: it is still the whole day.
  EXPECT_EQ(SqlFor(L"date:3.5.2024 13:45"), Between(may3_, end));
}

TEST_F(SearchSqlDate, LessAndGreaterCompareWithTheMoment) {
  EXPECT_EQ(SqlFor(L"date<3.5.2024"), Compare(L"<", may3_));
  EXPECT_EQ(SqlFor(L"date>2024/5/3"), Compare(L">", may3_));
}

TEST_F(SearchSqlDate, DayOfTheLocalZone) {
  qe::test::ScopedTimeZone berlin("CET-1CEST,M3.5.0,M10.5.0/3");
  const double start = may3_ - 2.0 / 24.0;  // summer time: UTC+2
  EXPECT_EQ(SqlFor(L"date<3.5.2024"), Compare(L"<", start));
  EXPECT_EQ(SqlFor(L"date<3.1.2024"),
            Compare(L"<", qe::test::UtcMidnightJdn(2024, 1, 3) - 1.0 / 24.0));
}

TEST_F(SearchSqlDate, TimeAfterDateWithAmPm) {
  EXPECT_EQ(SqlFor(L"date>3.5.2024 2:30 pm"), Compare(L">", may3_ + 14.5 / 24.0));
  EXPECT_EQ(SqlFor(L"date>3.5.2024 2:30PM"), Compare(L">", may3_ + 14.5 / 24.0));
  EXPECT_EQ(SqlFor(L"date>3.5.2024 9:05 am"), Compare(L">", may3_ + (9.0 + 5.0 / 60) / 24.0));
  EXPECT_EQ(SqlFor(L"date>3.5.2024 12:15 am"), Compare(L">", may3_ + 0.25 / 24.0));
  EXPECT_EQ(SqlFor(L"date>3.5.2024 12:15 pm"), Compare(L">", may3_ + 12.25 / 24.0));
  EXPECT_EQ(SqlFor(L"date<3.5.2024 10:00:30"), Compare(L"<", may3_ + (10.0 * 3600 + 30) / 86400.0));
  EXPECT_EQ(SqlFor(L"date<3.5.2024 23 : 59 : 59"), Compare(L"<", may3_ + (86400.0 - 1) / 86400.0));
}

TEST_F(SearchSqlDate, TimeAloneIsToday) {
  const time_t now = time(nullptr);
  struct tm utc {};
  gmtime_r(&now, &utc);
  const double today = qe::test::UtcMidnightJdn(utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday);
  EXPECT_EQ(SqlFor(L"date>10:30"), Compare(L">", today + 10.5 / 24.0));
  EXPECT_EQ(SqlFor(L"date<0:00"), Compare(L"<", today));
}

TEST_F(SearchSqlDate, DayAndMonthWithoutYear) {
  const CQeDateTime now = CQeDateTime::UNow();
  CQeDateTime::Tm yesterday;
  CQeDateTime::Tm tomorrow;
  ASSERT_TRUE(CQeDateTime(now.GetJDN() - 1.0).GetTm(yesterday));
  ASSERT_TRUE(CQeDateTime(now.GetJDN() + 1.0).GetTm(tomorrow));
  // A day already past is this year's (or, on the 1st of January, last year's).
  const std::wstring past = fmt::sprintf(L"date<%d.%d", yesterday.day, yesterday.month + 1);
  EXPECT_EQ(SqlFor(past), Compare(L"<", qe::test::UtcMidnightJdn(
                                            yesterday.year, yesterday.month + 1, yesterday.day)));
  // A day still to come was last in the year before.
  if (tomorrow.month == 1 && tomorrow.day == 29) GTEST_SKIP() << "no 29 February a year ago";
  const std::wstring coming = fmt::sprintf(L"date<%d/%d", tomorrow.day, tomorrow.month + 1);
  EXPECT_EQ(
      SqlFor(coming),
      Compare(L"<", qe::test::UtcMidnightJdn(tomorrow.year - 1, tomorrow.month + 1, tomorrow.day)));
}

TEST_F(SearchSqlDate, DaysNotInTheCalendarDoNotMatch) {
  EXPECT_EQ(SqlFor(L"date:31.2.2024"), L"");
  EXPECT_EQ(SqlFor(L"date:29.2.2023"), L"");
  EXPECT_NE(SqlFor(L"date:29.2.2024"), L"");
  EXPECT_EQ(SqlFor(L"date:13.13.2024"), L"");
  EXPECT_EQ(SqlFor(L"date:3.5.99999"), L"");
  EXPECT_EQ(SqlFor(L"date:50.5"), L"");
  EXPECT_EQ(SqlFor(L"date>25:00"), L"");
  EXPECT_EQ(SqlFor(L"date>10:60"), L"");
  EXPECT_EQ(SqlFor(L"date>13:00 pm"), L"");
}

TEST_F(SearchSqlDate, DateSubqueriesTakeOperatorsLikeOthers) {
  const std::wstring date = Compare(L"<", may3_);
  const std::wstring dateBody = date.substr(0, date.size() - 1);
  EXPECT_EQ(SqlFor(L"label:a +date<3.5.2024"), Label(L"a") + L" \nUNION " + date);
  EXPECT_EQ(SqlFor(L"label:a date<3.5.2024"), Label(L"a") + L" \nINTERSECT " + date);
  // The "-" after a day and month starts the next sub-query.
  EXPECT_EQ(SqlFor(L"date<3.5.2024 -label:a"), dateBody + L" \nEXCEPT " + Label(L"a") + L";");
  EXPECT_NE(SqlFor(L"date<3.5 -label:a").find(L" \nEXCEPT " + Label(L"a")), std::wstring::npos);
}

TEST(SearchSql, ApostrophesAreDoubledInsideLiterals) {
  EXPECT_EQ(SqlFor(L"job=O'Neil"),
            kJobHead + L"jobdef.wszName='O''Neil' OR jobrun.wszName='O''Neil');");
  EXPECT_EQ(SqlFor(L"assay:\"it's a '' test\""),
            kAssayHead + L"assayrun.wszName LIKE '%it''s a '''' test%');");
  EXPECT_EQ(SqlFor(L"label:x'*"), kLabelHead + L"tagdef.wszName LIKE 'x''%');");
}

TEST(SearchSql, BuildersGiveNothingWithoutWords) {
  using P = SQeProjectDbSearchParser;
  const std::vector<CQeStringW> none;
  EXPECT_TRUE(P::MakeSqlSubquery_Job(P::eComparatorContains, none).IsEmpty());
  EXPECT_TRUE(P::MakeSqlSubquery_Label(P::eComparatorContains, none).IsEmpty());
  EXPECT_TRUE(P::MakeSqlSubquery_Keyword(P::eComparatorEquals, none).IsEmpty());
  EXPECT_TRUE(P::MakeSqlWhereForWords(L"t.c", P::eComparatorLess, {L"x"}).IsEmpty());
  P parser;
  EXPECT_TRUE(parser.MakeSqlQuery().IsEmpty());
  // An item without words first: the next item opens the compound, unprefixed.
  P::SQeItem empty;
  empty.eSpecifier = P::eSpecifierLabel;
  P::SQeItem label;
  label.iSetOperator = P::eSetOperatorExcept;
  label.eSpecifier = P::eSpecifierLabel;
  label.vectWords = {L"a"};
  parser.vectItems = {empty, label};
  EXPECT_EQ(parser.MakeSqlQuery().str(), Label(L"a") + L";");
}

TEST(SearchSql, ConcatenateSkipsEmptyTextsAndStopsAtNull) {
  using P = SQeProjectDbSearchParser;
  EXPECT_EQ(P::Concatenate(L", ", L"a", CQeStringW(), L"b", nullptr, L"c").str(), L"a, b");
  EXPECT_EQ(P::Concatenate(L", ", nullptr).str(), L"");
}

}  // namespace
