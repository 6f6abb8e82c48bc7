// The search SQL run on a real project database with a few projects, job
// definitions, runs, frames, tags, properties, analyses and plates: each
// form finds what it should and nothing else.
#include "projectdb/search_db.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "projectdb/search_test_util.h"

namespace {

using qe::test::UtcMidnightJdn;

class SearchDbQuery : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(db_.created(), 0);
    const std::string rows = fmt::format(
        "INSERT INTO project(iKey, dCTime, dMTime, wszUuid, wszName, wszFolderName) VALUES "
        "(1, 0, 0, 'p1', 'Screening', 'Screening'), (2, 0, 0, 'p2', 'Other', 'Other');"
        "INSERT INTO jobdef(iKey, iProjKeyRef, iDefType, iState, iProgress, dCTime, dMTime, "
        "wszUuid, wszName) VALUES (1, 1, 0, 0, 0, 0, {mar1}, 'd1', 'Cell count'),"
        "(2, 1, 0, 0, 0, 0, {apr1}, 'd2', 'Mitosis screen'),"
        "(3, 2, 0, 0, 0, 0, {may1}, 'd3', 'O''Neil assay');"
        "INSERT INTO jobrun(iKey, iProjKeyRef, iJobdefKeyRef, iFinishFlags, dCTime, dMTime, "
        "wszUuid, wszName) VALUES (1, 1, 1, 0, 0, {mar2noon}, 'r1', 'run alpha'),"
        "(2, 1, 1, 0, 0, {mar5}, 'r2', 'run beta'),"
        "(3, 1, 2, 0, 0, {apr2}, 'r3', 'screen run 1'),"
        "(4, 1, 2, 0, 0, NULL, 'r4', 'screen run 2'),"
        "(5, 2, 3, 0, 0, {may3at10}, 'r5', 'Bob''s run');"
        "INSERT INTO assayrun(iKey, iJobrunKeyRef, wszUuid, wszName, dCTime) VALUES "
        "(1, 3, 'a1', 'Nuclei segmentation', 0), (2, 5, 'a2', 'Segmentation 100%', 0);"
        "INSERT INTO plateinfo(iKey, iJobrunKeyRef, wszName, wszBarcode) VALUES "
        "(1, 3, 'Plate A', 'BC-001'), (2, 4, 'Plate B', 'BC-002');"
        "INSERT INTO tagdef(iKey, wszTagsetName, wszName) VALUES (10, 'frame', 'DAPI'),"
        "(11, 'frame', 'GFP'), (12, 'proj', 'urgent'), (13, 'frame', 'O''Brien tag'),"
        "(14, 'proj', 'archived');"
        "INSERT INTO frame(iJobrunKeyRef, iFrameIndex, dCTime) VALUES (1, 0, 0), (1, 1, 0),"
        "(2, 0, 0), (3, 0, 0), (5, 0, 0);"
        "INSERT INTO frametag(iJobrunKeyRef, iTagdefKeyRef, iFrameIndex) VALUES (1, 10, 0),"
        "(1, 11, 1), (2, 11, 0), (5, 13, 0);"
        "INSERT INTO propdef(iKey, wszPropsetName, wszName, wszUnit) VALUES "
        "(1, 'Morphology', 'Area', 'um2'), (2, 'Intensities', 'Intensity', '');"
        "INSERT INTO frameprop(iJobrunKeyRef, iAssayrunKeyRef, iPropdefKeyRef, iFrameIndex, "
        "dValue) VALUES (1, NULL, 1, 0, 5.0), (3, 1, 2, 0, 7.0);"
        "INSERT INTO jobdeftag(iJobdefKeyRef, iTagdefKeyRef) VALUES (2, 12);"
        "INSERT INTO projtag(iProjKeyRef, iTagdefKeyRef) VALUES (1, 14), (2, 12);",
        fmt::arg("mar1", mar1_), fmt::arg("apr1", apr1_), fmt::arg("may1", may1_),
        fmt::arg("mar2noon", mar2noon_), fmt::arg("mar5", mar5_), fmt::arg("apr2", apr2_),
        fmt::arg("may3at10", may3at10_));
    ASSERT_EQ(db_.Exec(rows), "");
  }

  // The rows of a search: (job definition key, run key) in result order.
  std::vector<std::vector<long long>> Rows(const std::wstring& text) {
    SQeProjectDbSearchParser parser{CQeStringW(text)};
    EXPECT_TRUE(parser.MatchQuery(nullptr)) << qe::WideToUtf8(text);
    last_ = qe::test::PrepareAndRun(db_.db(), parser.MakeSqlQuery().ToUtf8());
    EXPECT_EQ(last_.stepResult, SQLITE_DONE) << last_.error;
    return last_.rows;
  }
  // The run keys of a search, sorted.
  std::vector<long long> Runs(const std::wstring& text) {
    std::vector<long long> runs;
    for (const auto& row : Rows(text)) runs.push_back(row[1]);
    std::sort(runs.begin(), runs.end());
    return runs;
  }
  std::vector<long long> OrderedRuns(const std::wstring& text) {
    std::vector<long long> runs;
    for (const auto& row : Rows(text)) runs.push_back(row[1]);
    return runs;
  }

  qe::test::ScopedTimeZone tz_{"UTC0"};
  qe::test::SearchDb db_;
  qe::test::StatementAccess last_;
  const double mar1_ = UtcMidnightJdn(2024, 3, 1);
  const double mar2noon_ = UtcMidnightJdn(2024, 3, 2) + 0.5;
  const double mar5_ = UtcMidnightJdn(2024, 3, 5);
  const double apr1_ = UtcMidnightJdn(2024, 4, 1);
  const double apr2_ = UtcMidnightJdn(2024, 4, 2);
  const double may1_ = UtcMidnightJdn(2024, 5, 1);
  const double may3at10_ = UtcMidnightJdn(2024, 5, 3) + 10.0 / 24.0;
};

using Keys = std::vector<long long>;

TEST_F(SearchDbQuery, LabelFindsRunsWithTaggedFrames) {
  EXPECT_EQ(Runs(L"label:dapi"), Keys({1}));
  EXPECT_EQ(Rows(L"label:gfp"), (std::vector<Keys>{{1, 1}, {1, 2}}));
  EXPECT_EQ(Runs(L"label=gfp"), Keys({1, 2}));  // tag names ignore letter case
  EXPECT_EQ(Runs(L"label:\"O'Brien\""), Keys({5}));
  EXPECT_EQ(Runs(L"label:urgent"), Keys());
  EXPECT_EQ(Runs(L"label:zzz"), Keys());
}

TEST_F(SearchDbQuery, QuantityFindsRunsWithMeasuredProperties) {
  EXPECT_EQ(Runs(L"quantity:area"), Keys({1}));
  EXPECT_EQ(Runs(L"quantity:intens*"), Keys({3}));
  EXPECT_EQ(Runs(L"quantity=Are"), Keys());
}

TEST_F(SearchDbQuery, AssayFindsRunsByAnalysisName) {
  EXPECT_EQ(Runs(L"assay:segment"), Keys({3, 5}));
  EXPECT_EQ(Runs(L"assay=\"Nuclei segmentation\""), Keys({3}));
  EXPECT_EQ(Rows(L"assay:100%"), (std::vector<Keys>{{3, 5}}));
}

TEST_F(SearchDbQuery, PlateFindsRunsByPlateNameOrBarcode) {
  EXPECT_EQ(Runs(L"plate:BC-002"), Keys({4}));
  EXPECT_EQ(Runs(L"plate=\"Plate A\""), Keys({3}));
  EXPECT_EQ(Runs(L"plate:B"), Keys({3, 4}));  // "Plate B", and "BC-001" as barcode
}

TEST_F(SearchDbQuery, KeywordFindsRunsOfTaggedJobDefinitions) {
  EXPECT_EQ(Runs(L"keyword:urgent"), Keys({3, 4}));
  // A tag of a project alone does not make its runs match.
  EXPECT_EQ(Runs(L"keyword:archived"), Keys());
  EXPECT_EQ(Runs(L"keyword:dapi"), Keys());
}

TEST_F(SearchDbQuery, JobFindsRunsByJobDefinitionOrRunName) {
  EXPECT_EQ(Runs(L"job:run*"), Keys({1, 2}));
  EXPECT_EQ(Runs(L"job:cell"), Keys({1, 2}));
  EXPECT_EQ(Runs(L"job=\"Bob's run\""), Keys({5}));
  EXPECT_EQ(Runs(L"job:O'Neil"), Keys({5}));
  EXPECT_EQ(Runs(L"job:\"screen run ?\""), Keys({3, 4}));
  EXPECT_EQ(Runs(L"job=run"), Keys());
}

TEST_F(SearchDbQuery, PlainWordsSearchEverything) {
  EXPECT_EQ(Runs(L"alpha"), Keys({1}));
  EXPECT_EQ(Runs(L"segment"), Keys({3, 5}));
  EXPECT_EQ(Runs(L"dapi bc-001"), Keys({1, 3}));
  EXPECT_EQ(Runs(L"O'Brien"), Keys({5}));
  EXPECT_EQ(Runs(L"intensity"), Keys({3}));
  EXPECT_EQ(Runs(L"urgent"), Keys({3, 4}));
}

TEST_F(SearchDbQuery, OperatorsCombineLeftToRight) {
  EXPECT_EQ(Runs(L"label:gfp job:beta"), Keys({2}));
  EXPECT_EQ(Runs(L"label:dapi +plate:BC-002"), Keys({1, 4}));
  EXPECT_EQ(Runs(L"label:gfp -label:dapi"), Keys({2}));
  // (gfp UNION nuclei) EXCEPT dapi, not gfp UNION (nuclei EXCEPT dapi).
  EXPECT_EQ(Runs(L"label:gfp +assay:nuclei -label:dapi"), Keys({2, 3}));
  EXPECT_EQ(Runs(L"screen -plate:BC-001"), Keys({4}));
}

TEST_F(SearchDbQuery, DatesCompareJobDefinitionAndRunTimes) {
  EXPECT_EQ(Runs(L"date:2.3.2024"), Keys({1}));
  EXPECT_EQ(Runs(L"date=2024-03-05"), Keys({2}));
  EXPECT_EQ(Runs(L"date:1.4.2024"), Keys({3, 4}));  // the job definition's day
  EXPECT_EQ(Runs(L"date<2.3.2024"), Keys({1, 2}));
  EXPECT_EQ(Runs(L"date>1.5.2024"), Keys({5}));
  EXPECT_EQ(Runs(L"date>3.5.2024 9:00"), Keys({5}));
  EXPECT_EQ(Runs(L"date>3.5.2024 11:00"), Keys());
  EXPECT_EQ(Runs(L"label:gfp date<3.3.2024"), Keys({1, 2}));
  EXPECT_EQ(Runs(L"job:alpha +date:3.5.2024"), Keys({1, 5}));
}

TEST_F(SearchDbQuery, FirstAndLastOrderAndLimitTheWholeCompoundByTime) {
  EXPECT_EQ(OrderedRuns(L"last:2"), Keys({5, 3}));
  EXPECT_EQ(OrderedRuns(L"first:3"), Keys({1, 2, 4}));
  // A run without a time of its own takes its job definition's.
  EXPECT_EQ(last_.times, (std::vector<double>{mar2noon_, mar5_, apr1_}));
  EXPECT_EQ(OrderedRuns(L"label:gfp +assay:segment last:1"), Keys({5}));
  EXPECT_EQ(OrderedRuns(L"label:gfp +assay:segment first:10"), Keys({1, 2, 3, 5}));
  EXPECT_EQ(OrderedRuns(L"screen last=1"), Keys({3}));
}

}  // namespace
