// Analysis results: assay runs, layers, binary frames, objects and their
// properties written parent to child; recipes and deposits.
#include <list>
#include <vector>

#include "projectdb/records2_support.h"
#include "qe/projectdb/records/assayrecipe.h"
#include "qe/projectdb/records/assayrun.h"
#include "qe/projectdb/records/binframe.h"
#include "qe/projectdb/records/binlayer.h"
#include "qe/projectdb/records/binobj.h"
#include "qe/projectdb/records/deposit.h"
#include "qe/projectdb/records/jobtask.h"
#include "qe/projectdb/records/propdef.h"

namespace qe::test {
namespace {

class AnalysisTest : public RecordsTest {
 protected:
  void SetUp() override {
    RecordsTest::SetUp();
    project_ = MakeProject();
    jobdef_ = MakeJobdef(project_);
    run_ = MakeJobrun(project_, jobdef_, 0);
    QeProjectDb_Jobtask_Insert(h_, 0, 0, 0, 0, L"Analysis", {}, nullptr, &task_);
  }

  // Writes one assay run with two layers, two binary frames per layer, three
  // objects per binary frame and two properties per object, each level as
  // one batch whose keys feed the next. Returns the assay run's key.
  int64_t WriteAnalysis(int64_t run, const CQeStringW& tag) {
    int64_t assay = 0;
    EXPECT_EQ(QeProjectDb_Assayrun_Insert(h_, run, task_, task_, tag + L"-assay", kQuoteName, 2.5,
                                          &assay),
              0);
    std::vector<SQeProjectDbRow_binlayer> layers{
        {0, run, assay, tag + L"-l1", kQuoteName, L"comp", L"ft", 0xff0000, true},
        {0, run, assay, tag + L"-l2", kOtherName, L"comp", L"ft", 0x00ff00}};
    EXPECT_EQ(QeProjectDb_Binlayer_InsertMany(h_, layers), 0);
    std::vector<SQeProjectDbRow_binframe> frames;
    for (const auto& layer : layers) {
      for (int index = 0; index < 2; ++index) frames.emplace_back(0, run, layer.iKey, index, 3);
    }
    EXPECT_EQ(QeProjectDb_Binframe_InsertMany(h_, frames), 0);
    std::vector<SQeProjectDbRow_binobj> objects;
    for (const auto& frame : frames) {
      for (int id = 1; id <= 3; ++id)
        objects.emplace_back(0, frame.iKey, 0, id, 1, 2, 3, 4, 5 * id);
    }
    EXPECT_EQ(QeProjectDb_Binobj_InsertMany(h_, objects), 0);
    std::vector<SQeProjectDbRow_binobjprop> props;
    for (const auto& object : objects) {
      props.emplace_back(0, object.iKey, prop_, run, 0, object.iPixelCount * 0.5);
      props.emplace_back(0, object.iKey, prop2_, run, 0, 1.0);
    }
    EXPECT_EQ(QeProjectDb_Binobjprop_InsertMany(h_, props), 0);
    for (const auto& p : props) EXPECT_NE(p.iKey, 0);
    return assay;
  }
  void MakeProps() {
    QeProjectDb_Propdef_Insert(h_, L"obj", L"area", L"px", L"", &prop_);
    QeProjectDb_Propdef_Insert(h_, L"obj", L"round", L"", L"", &prop2_);
  }

  int64_t project_ = 0, jobdef_ = 0, run_ = 0, task_ = 0, prop_ = 0, prop2_ = 0;
};

TEST_F(AnalysisTest, FullAnalysisIsWrittenInBatchesAndGoesWithItsRun) {
  MakeProps();
  const int64_t other = MakeJobrun(project_, jobdef_, 0);
  const int64_t assay = WriteAnalysis(run_, L"a");
  WriteAnalysis(other, L"b");
  EXPECT_EQ(Count(L"binlayer"), 4);
  EXPECT_EQ(Count(L"binframe"), 8);
  EXPECT_EQ(Count(L"binobj"), 24);
  EXPECT_EQ(Count(L"binobj", L"iTraceKeyRef IS NULL"), 24);
  EXPECT_EQ(Count(L"binobjprop"), 48);
  // Each object's area (half its pixel count) reached the object of that run.
  EXPECT_EQ(Int(CQeStringW::Formatted(
                L"SELECT sum(p.dValue) FROM binobjprop p JOIN binobj o ON p.iBinobjKeyRef=o.iKey "
                L"JOIN binframe f ON o.iBinframeKeyRef=f.iKey WHERE p.iPropdefKeyRef=%I64d AND "
                L"f.iJobrunKeyRef=%I64d AND p.dValue=o.iPixelCount*0.5;",
                prop_, run_)),
            60);

  std::vector<SQeProjectDbRow_binlayer> layers;
  ASSERT_EQ(QeProjectDb_Binlayer_GetMany(h_, run_, layers), 0);
  ASSERT_EQ(layers.size(), 2u);
  EXPECT_EQ(layers[0].wszName, kQuoteName);
  EXPECT_EQ(layers[0].iAssayrunKeyRef, assay);
  EXPECT_EQ(layers[0].iColor, 0xff0000);
  EXPECT_FALSE(layers[0].bSelected);

  SQeProjectDbRow_assayrun row;
  ASSERT_EQ(QeProjectDb_Assayrun_GetOne(h_, assay, row), 0);
  EXPECT_EQ(row.wszName, kQuoteName);
  EXPECT_EQ(row.iCapturedDataKeyRef, task_);
  EXPECT_EQ(row.dCTime, 2.5);

  ASSERT_EQ(
      QeSqlite_Execute(db(), CQeStringW::Formatted(L"DELETE FROM jobrun WHERE iKey=%I64d;", run_),
                       nullptr, false),
      0);
  EXPECT_EQ(Count(L"assayrun"), 1);
  EXPECT_EQ(Count(L"binlayer"), 2);
  EXPECT_EQ(Count(L"binframe"), 4);
  EXPECT_EQ(Count(L"binobj"), 12);
  EXPECT_EQ(Count(L"binobjprop"), 24);

  // Deleting the remaining assay run takes the rest of the results with it.
  ASSERT_EQ(QeProjectDb_Assayrun_Delete(h_, Int(L"SELECT iKey FROM assayrun;")), 0);
  EXPECT_EQ(Count(L"binlayer") + Count(L"binframe") + Count(L"binobj") + Count(L"binobjprop"), 0);
}

TEST_F(AnalysisTest, ABatchWithABadRowLeavesNothing) {
  int64_t assay = 0;
  ASSERT_EQ(QeProjectDb_Assayrun_Insert(h_, run_, task_, task_, L"u", L"a", 0, &assay), 0);
  std::vector<SQeProjectDbRow_binlayer> layers{{0, run_, assay, L"same", L"a", L"", L"", 0},
                                               {0, run_, assay, L"same", L"b", L"", L"", 0}};
  EXPECT_EQ(QeProjectDb_Binlayer_InsertMany(h_, layers), 19);
  EXPECT_EQ(Count(L"binlayer"), 0);
  int64_t key = 3;
  EXPECT_EQ(QeProjectDb_Assayrun_Insert(h_, run_, task_, task_, L"u", L"again", 0, &key), 19);
  EXPECT_EQ(key, 0);
  EXPECT_EQ(QeProjectDb_Assayrun_Insert(h_, run_, 0, task_, L"v", L"no task", 0, &key), 19);
}

TEST_F(RecordsTest, RecipesAreFoundByExactName) {
  std::vector<CQeStringW> names{L"kept"};
  ASSERT_EQ(QeProjectDb_Assayrecipe_GetAllNames(h_, names), 0);
  EXPECT_EQ(names.size(), 1u);
  EXPECT_EQ(QeProjectDb_Assayrecipe_Find(h_, kQuoteName), 0);

  const char data[] = "recipe\0bytes";
  int64_t key = 0, second = 0;
  ASSERT_EQ(
      QeProjectDb_Assayrecipe_Insert(h_, kQuoteName, L"d", L"mod", 1, 2, sizeof(data), data, &key),
      0);
  ASSERT_EQ(QeProjectDb_Assayrecipe_Insert(h_, kOtherName, L"", L"", 0, 0, 0, nullptr, &second), 0);
  EXPECT_EQ(QeProjectDb_Assayrecipe_Find(h_, kQuoteName), key);
  EXPECT_EQ(QeProjectDb_Assayrecipe_Find(h_, kOtherName), second);
  EXPECT_EQ(QeProjectDb_Assayrecipe_Find(h_, L"O'Neil"), 0);
  ASSERT_EQ(QeProjectDb_Assayrecipe_GetAllNames(h_, names), 0);
  EXPECT_EQ(names, (std::vector<CQeStringW>{L"kept", kQuoteName, kOtherName}));

  SQeProjectDbRow_assayrecipe row;
  ASSERT_EQ(QeProjectDb_Assayrecipe_GetOne(h_, key, row), 0);
  EXPECT_EQ(row.pData, CQeByteArray(data, sizeof(data)));
  EXPECT_EQ(row.dCTime, 1);
  const CQeByteArray replaced("new", 3);
  ASSERT_EQ(QeProjectDb_Assayrecipe_Update(h_, key, L"renamed", L"d2", L"m2", 5, replaced), 0);
  std::list<SQeProjectDbRow_assayrecipe> all;
  ASSERT_EQ(QeProjectDb_Assayrecipe_GetAll(h_, all), 0);
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all.front().wszUniqueName, L"renamed");
  EXPECT_EQ(all.front().pData, replaced);
  EXPECT_EQ(all.front().dCTime, 1);
  EXPECT_EQ(all.front().dMTime, 5);

  int64_t dup = 1;
  EXPECT_EQ(QeProjectDb_Assayrecipe_Insert(h_, L"renamed", L"", L"", 0, 0, 0, nullptr, &dup), 19);
  ASSERT_EQ(QeProjectDb_Assayrecipe_Delete(h_, key), 0);
  EXPECT_EQ(QeProjectDb_Assayrecipe_Find(h_, L"renamed"), 0);
}

TEST_F(AnalysisTest, DepositUpdateReplacesTheWholeBlob) {
  const char big[] = "0123456789abcdef";
  int64_t key = 0;
  ASSERT_EQ(QeProjectDb_Deposit_Insert(h_, jobdef_, 1, 2, kQuoteName, sizeof(big), big, &key), 0);
  const CQeByteArray small("xy", 2);
  ASSERT_EQ(QeProjectDb_Deposit_Update(h_, key, jobdef_, 3, 4, kOtherName, small), 0);
  std::list<SQeProjectDbRow_deposit> rows(1);
  ASSERT_EQ(QeProjectDb_Deposit_GetMany(h_, jobdef_, rows), 0);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows.back().pData, small);
  EXPECT_EQ(rows.back().wszUuid, kOtherName);
  EXPECT_EQ(rows.back().dCTime, 3);
  EXPECT_EQ(rows.back().dMTime, 4);
}

}  // namespace
}  // namespace qe::test
