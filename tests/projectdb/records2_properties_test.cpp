// Property definitions, frame properties, run statistics, tag definitions
// and tag colours.
#include <vector>

#include "projectdb/records2_support.h"
#include "qe/core/status.h"
#include "qe/projectdb/records/assayrun.h"
#include "qe/projectdb/records/frameprop.h"
#include "qe/projectdb/records/jobrunpropstat.h"
#include "qe/projectdb/records/jobtask.h"
#include "qe/projectdb/records/propdef.h"
#include "qe/projectdb/records/tagcolor.h"
#include "qe/projectdb/records/tagdef.h"

namespace qe::test {
namespace {

class RunTest : public RecordsTest {
 protected:
  void SetUp() override {
    RecordsTest::SetUp();
    project_ = MakeProject();
    jobdef_ = MakeJobdef(project_);
    run_ = MakeJobrun(project_, jobdef_, 0);
  }
  int64_t project_ = 0, jobdef_ = 0, run_ = 0;
};

TEST_F(RecordsTest, PropdefGetOrInsertIgnoresLetterCaseAndDescription) {
  int64_t first = 0, again = 0, upper = 0;
  ASSERT_EQ(QeProjectDb_Propdef_GetOrInsert(h_, kQuoteName, L"Area", L"µm²", L"one", &first), 0);
  ASSERT_EQ(QeProjectDb_Propdef_GetOrInsert(h_, kQuoteName, L"Area", L"µm²", L"two", &again), 0);
  ASSERT_EQ(QeProjectDb_Propdef_GetOrInsert(h_, kQuoteName, L"AREA", L"µm²", L"", &upper), 0);
  EXPECT_EQ(again, first);
  EXPECT_EQ(upper, first);
  EXPECT_EQ(Count(L"propdef"), 1);
  SQeProjectDbRow_propdef row;
  ASSERT_EQ(QeProjectDb_Propdef_GetOne(h_, kQuoteName, first, row), 0);
  EXPECT_EQ(row.wszDesc, L"one");
  EXPECT_EQ(row.wszUnit, L"µm²");

  int64_t px = 0;
  ASSERT_EQ(QeProjectDb_Propdef_GetOrInsert(h_, kQuoteName, L"Area", L"px", L"", &px), 0);
  EXPECT_NE(px, first);
  int64_t failed = 5;
  EXPECT_EQ(QeProjectDb_Propdef_Insert(h_, kQuoteName, L"area", L"PX", L"", &failed), 19);
  EXPECT_EQ(failed, 0);
}

TEST_F(RecordsTest, PropdefLookupsStayInsideTheirSet) {
  int64_t key = 0, other = 0;
  QeProjectDb_Propdef_Insert(h_, kOtherName, kQuoteName, L"u", L"d", &key);
  QeProjectDb_Propdef_Insert(h_, L"set", L"x", L"u", L"d", &other);
  SQeProjectDbRow_propdef row(0, L"untouched", L"", L"", L"");
  EXPECT_EQ(QeProjectDb_Propdef_GetOne(h_, L"set", key, row), 0);
  EXPECT_EQ(row.wszPropsetName, L"untouched");
  EXPECT_EQ(QeProjectDb_Propdef_GetOne(h_, kOtherName, kQuoteName), key);
  EXPECT_EQ(QeProjectDb_Propdef_GetOne(h_, kOtherName, kQuoteName, L"U"), key);
  EXPECT_EQ(QeProjectDb_Propdef_GetOne(h_, kOtherName, kQuoteName, L"v"), 0);
  EXPECT_EQ(QeProjectDb_Propdef_GetOne(h_, L"set", kQuoteName), 0);
  std::vector<SQeProjectDbRow_propdef> rows;
  ASSERT_EQ(QeProjectDb_Propdef_GetMany(h_, kOtherName, rows), 0);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].wszName, kQuoteName);

  ASSERT_EQ(QeProjectDb_Propdef_Update(h_, other, kOtherName, L"y", L"u", L"d2"), 0);
  EXPECT_EQ(QeProjectDb_Propdef_GetOne(h_, kOtherName, L"Y"), other);
  ASSERT_EQ(QeProjectDb_Propdef_Delete(h_, other), 0);
  EXPECT_EQ(Count(L"propdef"), 1);
}

TEST_F(RunTest, FramePropertiesBatchStoresAssayRunZeroAsNull) {
  int64_t prop = 0, task = 0, assay = 0;
  QeProjectDb_Propdef_Insert(h_, L"s", L"n", L"u", L"", &prop);
  QeProjectDb_Jobtask_Insert(h_, 0, 0, 0, 0, L"C", {}, nullptr, &task);
  ASSERT_EQ(QeProjectDb_Assayrun_Insert(h_, run_, task, task, L"uuid", L"a", 0, &assay), 0);

  std::vector<SQeProjectDbRow_frameprop> rows{
      {0, run_, 0, prop, 0, 1.5}, {0, run_, assay, prop, 0, 2.5}, {0, run_, 0, prop, 1, 3.5}};
  ASSERT_EQ(QeProjectDb_Frameprop_InsertMany(h_, rows), 0);
  EXPECT_TRUE(IsNull(L"frameprop", L"iAssayrunKeyRef", rows[0].iKey));
  EXPECT_EQ(Int(CQeStringW::Formatted(L"SELECT iAssayrunKeyRef FROM frameprop WHERE iKey=%I64d;",
                                      rows[1].iKey)),
            assay);
  int64_t single = 0;
  ASSERT_EQ(QeProjectDb_Frameprop_Insert(h_, run_, assay, prop, 2, 4.5, &single), 0);
  EXPECT_FALSE(IsNull(L"frameprop", L"iAssayrunKeyRef", single));
  EXPECT_EQ(QeProjectDb_Frameprop_Insert(h_, run_, 0, prop, 3, 4.5, &single), 19);

  // Removal by run, property and frame index takes every assay run's value.
  const std::vector<SQeProjectDbRow_frameprop> remove{{0, run_, 0, prop, 0, 0},
                                                      {0, run_, 0, prop, 9, 0}};
  ASSERT_EQ(QeProjectDb_Frameprop_QuantityRemoveMany(h_, remove), 0);
  EXPECT_EQ(Count(L"frameprop"), 2);
  EXPECT_EQ(Count(L"frameprop", L"iFrameIndex=0"), 0);
}

TEST_F(RunTest, StatisticsAreReplacedInPlace) {
  int64_t prop = 0;
  QeProjectDb_Propdef_Insert(h_, L"s", L"n", L"u", L"", &prop);
  SQeProjectDbRow_jobrunpropstat missing;
  missing.iCount = 42;
  EXPECT_EQ(QeProjectDb_Jobrunpropstat_GetOne(h_, run_, prop, missing), eQeNotFound);
  EXPECT_EQ(missing.iCount, 42);

  SQeProjectDbRow_jobrunpropstat stat;
  stat.iJobrunKeyRef = run_;
  stat.iPropdefKeyRef = prop;
  stat.iCount = 3;
  stat.dStatMax = 9.5;
  int64_t first = 0, second = 0;
  ASSERT_EQ(QeProjectDb_Jobrunpropstat_InsertOrReplace(h_, stat, &first), 0);
  stat.iCount = 4;
  stat.dStatSqSum = 100.25;
  ASSERT_EQ(QeProjectDb_Jobrunpropstat_InsertOrReplace(h_, stat, &second), 0);
  EXPECT_EQ(stat.iKey, second);
  EXPECT_EQ(Count(L"jobrunpropstat"), 1);
  SQeProjectDbRow_jobrunpropstat read;
  ASSERT_EQ(QeProjectDb_Jobrunpropstat_GetOne(h_, run_, prop, read), 0);
  EXPECT_EQ(read.iKey, second);
  EXPECT_EQ(read.iCount, 4);
  EXPECT_EQ(read.dStatMax, 9.5);
  EXPECT_EQ(read.dStatSqSum, 100.25);

  stat.iPropdefKeyRef = 4242;
  EXPECT_EQ(QeProjectDb_Jobrunpropstat_InsertOrReplace(h_, stat, &second), 19);
  EXPECT_EQ(second, 0);
  EXPECT_EQ(stat.iKey, 0);
}

TEST_F(RecordsTest, TagWithoutSetIsFoundByNameButNotByEmptySet) {
  int64_t loose = 0, inSet = 0;
  ASSERT_EQ(QeProjectDb_Tagdef_Insert(h_, L"", kQuoteName, L"d", &loose), 0);
  ASSERT_EQ(QeProjectDb_Tagdef_Insert(h_, kOtherName, L"Tag", L"d", &inSet), 0);
  EXPECT_TRUE(IsNull(L"tagdef", L"wszTagsetName", loose));
  EXPECT_EQ(QeProjectDb_Tagdef_GetOne(h_, kQuoteName), loose);
  EXPECT_EQ(QeProjectDb_Tagdef_GetOne(h_, L"", kQuoteName), 0);
  EXPECT_EQ(QeProjectDb_Tagdef_GetOne(h_, kOtherName, L"tag"), inSet);
  EXPECT_EQ(QeProjectDb_Tagdef_GetOne(h_, L"it's"), 0);

  SQeProjectDbRow_tagdef row(0, L"x", L"x", L"x");
  EXPECT_EQ(QeProjectDb_Tagdef_GetOne(h_, L"", loose, row), 0);
  EXPECT_EQ(row.wszName, L"x");
  ASSERT_EQ(QeProjectDb_Tagdef_GetOne(h_, loose, row), 0);
  EXPECT_EQ(row.wszTagsetName, L"");
  EXPECT_EQ(row.wszName, kQuoteName);
  ASSERT_EQ(QeProjectDb_Tagdef_GetOne(h_, kOtherName, inSet, row), 0);
  EXPECT_EQ(row.wszName, L"Tag");

  std::vector<SQeProjectDbRow_tagdef> rows;
  ASSERT_EQ(QeProjectDb_Tagdef_GetMany(h_, kOtherName, rows), 0);
  EXPECT_EQ(rows.size(), 1u);
  rows.clear();
  ASSERT_EQ(QeProjectDb_Tagdef_GetAll(h_, rows), 0);
  EXPECT_EQ(rows.size(), 4u);  // with the two system tags

  int64_t dup = 9;
  EXPECT_EQ(QeProjectDb_Tagdef_Insert(h_, kOtherName, L"TAG", L"", &dup), 19);
  ASSERT_EQ(QeProjectDb_Tagdef_Update(h_, inSet, L"", L"moved", L"d2"), 0);
  EXPECT_TRUE(IsNull(L"tagdef", L"wszTagsetName", inSet));
  ASSERT_EQ(QeProjectDb_Tagdef_Delete(h_, inSet), 0);
  EXPECT_EQ(QeProjectDb_Tagdef_GetOne(h_, L"moved"), 0);
}

TEST_F(RunTest, LatestColourAcrossTwoRuns) {
  int64_t tag = 0, bare = 0;
  QeProjectDb_Tagdef_Insert(h_, L"s", L"t", L"", &tag);
  QeProjectDb_Tagdef_Insert(h_, L"s", L"bare", L"", &bare);
  const int64_t run2 = MakeJobrun(project_, jobdef_, 0);
  std::vector<SQeProjectDbRow_tagcolor> first{{0, run2, tag, 0x112233}};
  std::vector<SQeProjectDbRow_tagcolor> second{{0, run_, tag, -16711936}};
  ASSERT_EQ(QeProjectDb_Tagcolor_InsertMany(h_, first), 0);
  ASSERT_EQ(QeProjectDb_Tagcolor_InsertMany(h_, second), 0);
  EXPECT_GT(second[0].iKey, first[0].iKey);
  EXPECT_EQ(QeProjectDb_Tagcolor_GetLatestColor(h_, tag), -16711936);
  EXPECT_EQ(QeProjectDb_Tagcolor_GetLatestColor(h_, bare), 0);

  std::vector<SQeProjectDbRow_tagcolor> ofRun2;
  ASSERT_EQ(QeProjectDb_Tagcolor_GetMany(h_, run2, ofRun2), 0);
  ASSERT_EQ(ofRun2.size(), 1u);
  EXPECT_EQ(ofRun2[0].iColor, 0x112233);

  // A second colour of the tag in a run fails, and the batch leaves nothing.
  std::vector<SQeProjectDbRow_tagcolor> clash{{0, run2, bare, 1}, {0, run2, tag, 2}};
  EXPECT_EQ(QeProjectDb_Tagcolor_InsertMany(h_, clash), 19);
  EXPECT_EQ(Count(L"tagcolor"), 2);
}

}  // namespace
}  // namespace qe::test
