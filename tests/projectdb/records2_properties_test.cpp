// Property definitions, frame properties, run statistics, tag definitions
// and tag colours.
#include "projectdb/records_support.h"

namespace qe::test {
namespace {

class RecordsPropertyTest : public RecordRunTest {
 protected:
  int64_t Propdef(const CQeStringW& set = L"s", const CQeStringW& name = L"n") {
    int64_t key = 0;
    EXPECT_EQ(QeProjectDb_Propdef_Insert(h_, set, name, L"u", L"d", &key), 0);
    return key;
  }
};

TEST_F(RecordsPropertyTest, PropdefGetOrInsertIgnoresLetterCaseAndDescription) {
  int64_t first = 0, again = 0, upper = 0, px = 0, failed = 5;
  ASSERT_EQ(QeProjectDb_Propdef_GetOrInsert(h_, kQuoteName, L"Area", L"µm²", L"one", &first), 0);
  ASSERT_EQ(QeProjectDb_Propdef_GetOrInsert(h_, kQuoteName, L"Area", L"µm²", L"two", &again), 0);
  ASSERT_EQ(QeProjectDb_Propdef_GetOrInsert(h_, kQuoteName, L"AREA", L"µm²", L"", &upper), 0);
  EXPECT_EQ(std::make_tuple(again, upper), std::make_tuple(first, first));
  EXPECT_EQ(Count("propdef"), 1);
  SQeProjectDbRow_propdef row;
  ASSERT_EQ(QeProjectDb_Propdef_GetOne(h_, kQuoteName, first, row), 0);
  EXPECT_EQ(row.wszDesc + L"|" + row.wszUnit, L"one|µm²");

  ASSERT_EQ(QeProjectDb_Propdef_GetOrInsert(h_, kQuoteName, L"Area", L"px", L"", &px), 0);
  EXPECT_NE(px, first);
  EXPECT_EQ(QeProjectDb_Propdef_Insert(h_, kQuoteName, L"area", L"PX", L"", &failed), 19);
  EXPECT_EQ(failed, 0);
}

TEST_F(RecordsPropertyTest, PropdefLookupsStayInsideTheirSet) {
  const int64_t key = Propdef(kOtherName, kQuoteName);
  const int64_t other = Propdef(L"set", L"x");
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
  EXPECT_EQ(Count("propdef"), 1);
}

TEST_F(RecordsPropertyTest, FramePropertiesBatchStoresAssayRunZeroAsNull) {
  const int64_t prop = Propdef();
  int64_t task = 0, assay = 0, single = 0;
  QeProjectDb_Jobtask_Insert(h_, 0, 0, 0, 0, L"C", {}, nullptr, &task);
  ASSERT_EQ(QeProjectDb_Assayrun_Insert(h_, run_, task, task, L"uuid", L"a", 0, &assay), 0);
  std::vector<SQeProjectDbRow_frameprop> rows{
      {0, run_, 0, prop, 0, 1.5}, {0, run_, assay, prop, 0, 2.5}, {0, run_, 0, prop, 1, 3.5}};
  ASSERT_EQ(QeProjectDb_Frameprop_InsertMany(h_, rows), 0);
  EXPECT_TRUE(IsNull("frameprop", "iAssayrunKeyRef", rows[0].iKey));
  EXPECT_EQ(Col("frameprop", "iAssayrunKeyRef", rows[1].iKey), assay);
  // The single insert writes the key as given: 0 names no assay run.
  ASSERT_EQ(QeProjectDb_Frameprop_Insert(h_, run_, assay, prop, 2, 4.5, &single), 0);
  EXPECT_EQ(Col("frameprop", "iAssayrunKeyRef", single), assay);
  EXPECT_EQ(QeProjectDb_Frameprop_Insert(h_, run_, 0, prop, 3, 4.5, &single), 19);

  // Removal by run, property and frame index takes every assay run's value.
  const std::vector<SQeProjectDbRow_frameprop> remove{{0, run_, 0, prop, 0, 0},
                                                      {0, run_, 0, prop, 9, 0}};
  ASSERT_EQ(QeProjectDb_Frameprop_QuantityRemoveMany(h_, remove), 0);
  EXPECT_EQ(Count("frameprop"), 2);
  EXPECT_EQ(Count("frameprop", "iFrameIndex=0"), 0);
}

TEST_F(RecordsPropertyTest, StatisticsAreReplacedInPlace) {
  const int64_t prop = Propdef();
  SQeProjectDbRow_jobrunpropstat stat;
  stat.iCount = 42;
  EXPECT_EQ(QeProjectDb_Jobrunpropstat_GetOne(h_, run_, prop, stat), eQeNotFound);
  EXPECT_EQ(stat.iCount, 42);

  stat = {0, run_, prop, 3, 0, 0.0, 9.5, 0.0, 0.0, 0.0};
  int64_t first = 0, second = 0;
  ASSERT_EQ(QeProjectDb_Jobrunpropstat_InsertOrReplace(h_, stat, &first), 0);
  stat.iCount = 4;
  stat.dStatSqSum = 100.25;
  ASSERT_EQ(QeProjectDb_Jobrunpropstat_InsertOrReplace(h_, stat, &second), 0);
  EXPECT_EQ(stat.iKey, second);
  EXPECT_EQ(Count("jobrunpropstat"), 1);
  SQeProjectDbRow_jobrunpropstat read;
  ASSERT_EQ(QeProjectDb_Jobrunpropstat_GetOne(h_, run_, prop, read), 0);
  EXPECT_EQ(std::make_tuple(read.iKey, read.iCount, read.dStatMax, read.dStatSqSum),
            std::make_tuple(second, int64_t{4}, 9.5, 100.25));

  stat.iPropdefKeyRef = 4242;
  EXPECT_EQ(QeProjectDb_Jobrunpropstat_InsertOrReplace(h_, stat, &second), 19);
  EXPECT_EQ(std::make_tuple(second, stat.iKey), std::make_tuple(int64_t{0}, int64_t{0}));
}

TEST_F(RecordsPropertyTest, TagWithoutSetIsFoundByNameButNotByEmptySet) {
  int64_t loose = 0, inSet = 0, dup = 9;
  ASSERT_EQ(QeProjectDb_Tagdef_Insert(h_, L"", kQuoteName, L"d", &loose), 0);
  ASSERT_EQ(QeProjectDb_Tagdef_Insert(h_, kOtherName, L"Tag", L"d", &inSet), 0);
  EXPECT_TRUE(IsNull("tagdef", "wszTagsetName", loose));
  EXPECT_EQ(QeProjectDb_Tagdef_GetOne(h_, kQuoteName), loose);
  EXPECT_EQ(QeProjectDb_Tagdef_GetOne(h_, L"", kQuoteName), 0);
  EXPECT_EQ(QeProjectDb_Tagdef_GetOne(h_, kOtherName, L"tag"), inSet);
  EXPECT_EQ(QeProjectDb_Tagdef_GetOne(h_, L"it's"), 0);

  SQeProjectDbRow_tagdef row(0, L"x", L"x", L"x");
  EXPECT_EQ(QeProjectDb_Tagdef_GetOne(h_, L"", loose, row), 0);
  EXPECT_EQ(row.wszName, L"x");
  ASSERT_EQ(QeProjectDb_Tagdef_GetOne(h_, kOtherName, inSet, row), 0);
  EXPECT_EQ(row.wszName, L"Tag");
  EXPECT_EQ(Get<SQeProjectDbRow_tagdef>(loose).wszTagsetName + L"|" +
                Get<SQeProjectDbRow_tagdef>(loose).wszName,
            L"|" + kQuoteName);

  std::vector<SQeProjectDbRow_tagdef> rows;
  ASSERT_EQ(QeProjectDb_Tagdef_GetMany(h_, kOtherName, rows), 0);
  EXPECT_EQ(rows.size(), 1u);
  ASSERT_EQ(QeProjectDb_Tagdef_GetAll(h_, rows), 0);
  EXPECT_EQ(rows.size(), 5u);  // appended, with the two system tags

  EXPECT_EQ(QeProjectDb_Tagdef_Insert(h_, kOtherName, L"TAG", L"", &dup), 19);
  ASSERT_EQ(QeProjectDb_Tagdef_Update(h_, inSet, L"", L"moved", L"d2"), 0);
  EXPECT_TRUE(IsNull("tagdef", "wszTagsetName", inSet));
  ASSERT_EQ(QeProjectDb_Tagdef_Delete(h_, inSet), 0);
  EXPECT_EQ(QeProjectDb_Tagdef_GetOne(h_, L"moved"), 0);
}

TEST_F(RecordsPropertyTest, LatestColourAcrossTwoRuns) {
  const int64_t tag = AddTagdef("t"), bare = AddTagdef("bare");
  const int64_t run2 = AddRun(project_, jobdef_);
  std::vector<SQeProjectDbRow_tagcolor> first{{0, run2, tag, 0x112233}},
      second{{0, run_, tag, -16711936}};
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
  EXPECT_EQ(Count("tagcolor"), 2);
}

}  // namespace
}  // namespace qe::test
