// The search SQL run on a real project database with a few projects, job
// definitions, runs, frames, tags, properties, analyses and plates: each
// form finds what it should and nothing else.
#include "projectdb/search_db.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <list>
#include <utility>
#include <vector>

#include "projectdb/search_test_util.h"
#include "qe/projectdb/connection.h"
#include "qe/projectdb/records.h"

namespace {

using qe::test::UtcMidnightJdn;

class SearchDbQuery : public ::testing::Test {
 protected:
  // Rows written through the record API; afterwards the modification times
  // (which the API stamps with the present) are set to fixed days.
  void SetUp() override {
    ASSERT_EQ(db_.created(), 0);
    const uint32_t h = QeProjectDb_Db_Connect(CQeStringW::FromUtf8(db_.path()));
    ASSERT_NE(h, 0u);
    Fill(h);
    QeProjectDb_Db_Disconnect(h);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_EQ(db_.Exec(fmt::format(
                  "UPDATE jobdef SET dMTime=CASE iKey WHEN 1 THEN {} WHEN 2 THEN {} ELSE {} END;"
                  "UPDATE jobrun SET dMTime=CASE iKey WHEN 1 THEN {} WHEN 2 THEN {} WHEN 3 THEN "
                  "{} WHEN 4 THEN NULL ELSE {} END;",
                  mar1_, apr1_, may1_, mar2noon_, mar5_, apr2_, may3at10_)),
              "");
  }

#define QE_OK(call) ASSERT_EQ((call), 0) << #call
  void Fill(uint32_t h) {
    int64_t proj[2] = {};
    QE_OK(QeProjectDb_Proj_Insert(h, L"Screening", L"", L"Screening", &proj[0]));
    QE_OK(QeProjectDb_Proj_Insert(h, L"Other", L"", L"Other", &proj[1]));
    const wchar_t* const jobdefNames[] = {L"Cell count", L"Mitosis screen", L"O'Neil assay"};
    int64_t program[3] = {};
    int64_t task[3] = {};
    for (int i = 0; i < 3; ++i) {
      int64_t jobdef = 0;
      QE_OK(QeProjectDb_Jobdef_Insert(h, proj[i / 2], 0, 0, jobdefNames[i], L"", 0, &jobdef));
      ASSERT_EQ(jobdef, i + 1);
      QE_OK(QeProjectDb_Jobprogram_Insert(h, jobdef, L"", &program[i]));
      QE_OK(QeProjectDb_Jobtask_Insert(h, program[i], 0, 0, 0, L"Capture",
                                       SQeProjectDbJobTaskState(), nullptr, &task[i]));
    }
    // Runs 1 to 5: (job definition, name).
    const std::pair<int, const wchar_t*> runs[] = {{1, L"run alpha"},
                                                   {1, L"run beta"},
                                                   {2, L"screen run 1"},
                                                   {2, L"screen run 2"},
                                                   {3, L"Bob's run"}};
    for (int i = 0; i < 5; ++i) {
      const int d = runs[i].first;
      const int64_t p = proj[(d - 1) / 2];
      SQeProjectDbRow_jobrun run;
      SQeProjectDbRow_project project;
      QE_OK(QeProjectDb_Proj_GetOne(h, p, project));
      QE_OK(QeProjectDb_Jobrun_Insert(h, p, QeProjectDb_Proj_MakeAbsPath(h, project.wszFolderName),
                                      d, program[d - 1], 0, runs[i].second, L"", &run, nullptr));
      ASSERT_EQ(run.iKey, i + 1);
    }
    QE_OK(QeProjectDb_Assayrun_Insert(h, 3, task[1], task[1], L"a1", L"Nuclei segmentation", 0,
                                      nullptr));
    QE_OK(QeProjectDb_Assayrun_Insert(h, 5, task[2], task[2], L"a2", L"Segmentation 100%", 0,
                                      nullptr));
    std::list<SQeProjectDbRow_wellplateconfiguration> configs(1);
    configs.front().wszUuid = L"c1";
    QE_OK(QeProjectDb_Wellplateconfig_InsertMany(h, configs));
    std::list<SQeProjectDbRow_wellplatename> names(1);
    names.front().wszUuid = L"n1";
    names.front().iWellplateconfigKeyRef = configs.front().iKey;
    QE_OK(QeProjectDb_Wellplatename_InsertMany(h, names));
    const int64_t plate = names.front().iKey;
    QE_OK(QeProjectDb_Plateinfo_Insert(h, 3, plate, L"Plate A", L"BC-001", L"", nullptr));
    QE_OK(QeProjectDb_Plateinfo_Insert(h, 4, plate, L"Plate B", L"BC-002", L"", nullptr));
    int64_t dapi = 0, gfp = 0, urgent = 0, obrien = 0, archived = 0;
    QE_OK(QeProjectDb_Tagdef_Insert(h, L"frame", L"DAPI", L"", &dapi));
    QE_OK(QeProjectDb_Tagdef_Insert(h, L"frame", L"GFP", L"", &gfp));
    QE_OK(QeProjectDb_Tagdef_Insert(h, L"proj", L"urgent", L"", &urgent));
    QE_OK(QeProjectDb_Tagdef_Insert(h, L"frame", L"O'Brien tag", L"", &obrien));
    QE_OK(QeProjectDb_Tagdef_Insert(h, L"proj", L"archived", L"", &archived));
    for (const auto& [run, index] : {std::pair{1, 0}, {1, 1}, {2, 0}, {3, 0}, {5, 0}}) {
      QE_OK(QeProjectDb_Frame_Insert(h, run, 0, index, 0.0, 0, 0, nullptr));
    }
    QE_OK(QeProjectDb_Frametag_Insert(h, 1, dapi, 0, nullptr));
    QE_OK(QeProjectDb_Frametag_Insert(h, 1, gfp, 1, nullptr));
    QE_OK(QeProjectDb_Frametag_Insert(h, 2, gfp, 0, nullptr));
    QE_OK(QeProjectDb_Frametag_Insert(h, 5, obrien, 0, nullptr));
    int64_t area = 0, intensity = 0;
    QE_OK(QeProjectDb_Propdef_Insert(h, L"Morphology", L"Area", L"um2", L"", &area));
    QE_OK(QeProjectDb_Propdef_Insert(h, L"Intensities", L"Intensity", L"", L"", &intensity));
    std::vector<SQeProjectDbRow_frameprop> values = {{0, 1, 0, area, 0, 5.0},
                                                     {0, 3, 1, intensity, 0, 7.0}};
    QE_OK(QeProjectDb_Frameprop_InsertMany(h, values));
    QE_OK(QeProjectDb_Jobdeftag_Insert(h, 2, urgent, nullptr));
    QE_OK(QeProjectDb_Projtag_Insert(h, proj[0], archived, nullptr));
    QE_OK(QeProjectDb_Projtag_Insert(h, proj[1], urgent, nullptr));
  }
#undef QE_OK

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
