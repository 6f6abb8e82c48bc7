// The search SQL run on a project database filled through the record API:
// each form finds what it should and nothing else.
#include <gtest/gtest.h>

#include <algorithm>
#include <list>
#include <tuple>
#include <utility>
#include <vector>

#include "projectdb/search_test_util.h"
#include "qe/projectdb/connection.h"
#include "qe/projectdb/records.h"

namespace {

using qe::test::UtcMidnightJdn;
using Keys = std::vector<long long>;

#define QE_OK(call) ASSERT_EQ((call), 0) << #call

class SearchDbQuery : public ::testing::Test {
 protected:
  // Projects 1-2, job definitions 1-3, runs 1-5 with frames, tags, values,
  // analyses and plates; then the modification times (which the record API
  // stamps with the present) are set to fixed days, run 4 to none.
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
                  UtcMidnightJdn(2024, 3, 1), apr1_, UtcMidnightJdn(2024, 5, 1), mar2noon_, mar5_,
                  UtcMidnightJdn(2024, 4, 2), UtcMidnightJdn(2024, 5, 3) + 10.0 / 24.0)),
              "");
  }

  void Fill(uint32_t h) {
    int64_t proj[2] = {}, program[3] = {}, task[3] = {};
    QE_OK(QeProjectDb_Proj_Insert(h, L"Screening", L"", L"Screening", &proj[0]));
    QE_OK(QeProjectDb_Proj_Insert(h, L"Other", L"", L"Other", &proj[1]));
    const wchar_t* const jobdefs[] = {L"Cell count", L"Mitosis screen", L"O'Neil assay"};
    for (int i = 0; i < 3; ++i) {
      int64_t jobdef = 0;
      QE_OK(QeProjectDb_Jobdef_Insert(h, proj[i / 2], 0, 0, jobdefs[i], L"", 0, &jobdef));
      ASSERT_EQ(jobdef, i + 1);
      QE_OK(QeProjectDb_Jobprogram_Insert(h, jobdef, L"", &program[i]));
      QE_OK(QeProjectDb_Jobtask_Insert(h, program[i], 0, 0, 0, L"Capture",
                                       SQeProjectDbJobTaskState(), nullptr, &task[i]));
    }
    // clang-format off
    const std::pair<int, const wchar_t*> runs[] = {
        {1, L"run alpha"}, {1, L"run beta"}, {2, L"screen run 1"}, {2, L"screen run 2"},
        {3, L"Bob's run"}};
    // clang-format on
    for (int i = 0; i < 5; ++i) {
      const auto [jobdef, name] = runs[i];
      SQeProjectDbRow_project project;
      QE_OK(QeProjectDb_Proj_GetOne(h, proj[(jobdef - 1) / 2], project));
      SQeProjectDbRow_jobrun run;
      QE_OK(QeProjectDb_Jobrun_Insert(h, project.iKey,
                                      QeProjectDb_Proj_MakeAbsPath(h, project.wszFolderName),
                                      jobdef, program[jobdef - 1], 0, name, L"", &run, nullptr));
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
    QE_OK(QeProjectDb_Plateinfo_Insert(h, 3, names.front().iKey, L"Plate A", L"BC-001", L"",
                                       nullptr));
    QE_OK(QeProjectDb_Plateinfo_Insert(h, 4, names.front().iKey, L"Plate B", L"BC-002", L"",
                                       nullptr));
    // Tags (frame labels DAPI, GFP, O'Brien tag; urgent, archived) and properties.
    int64_t tags[5] = {}, area = 0, intensity = 0;
    // clang-format off
    const std::pair<const wchar_t*, const wchar_t*> kTags[] = {
        {L"frame", L"DAPI"}, {L"frame", L"GFP"}, {L"frame", L"O'Brien tag"}, {L"proj", L"urgent"},
        {L"proj", L"archived"}};
    // clang-format on
    for (int i = 0; i < 5; ++i) {
      QE_OK(QeProjectDb_Tagdef_Insert(h, kTags[i].first, kTags[i].second, L"", &tags[i]));
    }
    const auto [dapi, gfp, obrien, urgent, archived] = tags;
    for (const auto& [run, index] : {std::pair{1, 0}, {1, 1}, {2, 0}, {3, 0}, {5, 0}}) {
      QE_OK(QeProjectDb_Frame_Insert(h, run, 0, index, 0.0, 0, 0, nullptr));
    }
    for (const auto& [run, tag, index] :
         {std::tuple{1, dapi, 0}, {1, gfp, 1}, {2, gfp, 0}, {5, obrien, 0}}) {
      QE_OK(QeProjectDb_Frametag_Insert(h, run, tag, index, nullptr));
    }
    QE_OK(QeProjectDb_Propdef_Insert(h, L"Morphology", L"Area", L"um2", L"", &area));
    QE_OK(QeProjectDb_Propdef_Insert(h, L"Intensities", L"Intensity", L"", L"", &intensity));
    std::vector<SQeProjectDbRow_frameprop> values = {{0, 1, 0, area, 0, 5.0},
                                                     {0, 3, 1, intensity, 0, 7.0}};
    QE_OK(QeProjectDb_Frameprop_InsertMany(h, values));
    QE_OK(QeProjectDb_Jobdeftag_Insert(h, 2, urgent, nullptr));
    QE_OK(QeProjectDb_Projtag_Insert(h, proj[0], archived, nullptr));
    QE_OK(QeProjectDb_Projtag_Insert(h, proj[1], urgent, nullptr));
  }

  // The rows of a search: (job definition key, run key) in result order.
  std::vector<Keys> Rows(const std::wstring& text) {
    SQeProjectDbSearchParser parser{CQeStringW(text)};
    EXPECT_TRUE(parser.MatchQuery(nullptr)) << qe::WideToUtf8(text);
    last_ = qe::test::PrepareAndRun(db_.db(), parser.MakeSqlQuery().ToUtf8());
    EXPECT_EQ(last_.stepResult, SQLITE_DONE) << last_.error;
    return last_.rows;
  }
  // The run keys of a search, in result order or sorted.
  Keys Runs(const std::wstring& text, bool sorted = true) {
    Keys runs;
    for (const auto& row : Rows(text)) runs.push_back(row[1]);
    if (sorted) std::sort(runs.begin(), runs.end());
    return runs;
  }

  qe::test::ScopedEnv tz_{"TZ", "UTC0"};
  qe::test::SearchDb db_;
  qe::test::StatementAccess last_;
  const double mar2noon_ = UtcMidnightJdn(2024, 3, 2) + 0.5;
  const double mar5_ = UtcMidnightJdn(2024, 3, 5);
  const double apr1_ = UtcMidnightJdn(2024, 4, 1);
};

TEST_F(SearchDbQuery, EachFormFindsItsRunsAndNothingElse) {
  // clang-format off
  const std::pair<const wchar_t*, Keys> kCases[] = {
      {L"label:dapi", {1}}, {L"label=gfp", {1, 2}}, {L"label:\"O'Brien\"", {5}},
      {L"label:urgent", {}},  // a job definition's tag is no frame label
      {L"quantity:intens*", {3}}, {L"quantity=Are", {}}, {L"assay:segment", {3, 5}},
      {L"plate:B", {3, 4}},  // "Plate B", and "BC-001" as barcode
      {L"keyword:urgent", {3, 4}},
      {L"keyword:archived", {}},  // a tag of a project alone does not count
      {L"job:run*", {1, 2}}, {L"job=\"Bob's run\"", {5}}, {L"job:\"screen run ?\"", {3, 4}},
      // Plain words search every kind of name.
      {L"dapi bc-001", {1, 3}}, {L"intensity", {3}}, {L"urgent", {3, 4}},
      // Operators combine left to right: (gfp + nuclei) - dapi.
      {L"label:gfp job:beta", {2}}, {L"label:gfp +assay:nuclei -label:dapi", {2, 3}},
      // Dates compare the job definition's and the run's times.
      {L"date:2.3.2024", {1}}, {L"date:1.4.2024", {3, 4}}, {L"date<2.3.2024", {1, 2}},
      {L"date>3.5.2024 9:00", {5}}, {L"date>3.5.2024 11:00", {}},
  };
  // clang-format on
  for (const auto& [text, runs] : kCases) {
    SCOPED_TRACE(qe::WideToUtf8(text));
    EXPECT_EQ(Runs(text), runs);
  }
  // Every body names the run's own job definition.
  EXPECT_EQ(Rows(L"label:gfp"), (std::vector<Keys>{{1, 1}, {1, 2}}));
  EXPECT_EQ(Rows(L"assay:100%"), (std::vector<Keys>{{3, 5}}));
}

TEST_F(SearchDbQuery, FirstAndLastOrderAndLimitTheWholeCompoundByTime) {
  EXPECT_EQ(Runs(L"last:2", false), Keys({5, 3}));
  EXPECT_EQ(Runs(L"first:3", false), Keys({1, 2, 4}));
  // A run without a time of its own takes its job definition's.
  EXPECT_EQ(last_.times, (std::vector<double>{mar2noon_, mar5_, apr1_}));
  EXPECT_EQ(Runs(L"label:gfp +assay:segment last:1", false), Keys({5}));
  EXPECT_EQ(Runs(L"label:gfp +assay:segment first:10", false), Keys({1, 2, 3, 5}));
}

}  // namespace
