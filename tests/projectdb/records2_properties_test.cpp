// Property definitions, frame properties, run statistics, tag definitions
// and tag colours.
#include "projectdb/records_support.h"

namespace qe::test {
namespace {

class RecordsPropertyTest : public RecordRunTest {
 protected:
  int64_t Propdef() {
    int64_t key = 0;
    EXPECT_EQ(QeProjectDb_Propdef_Insert(h_, L"s", L"n", L"u", L"d", &key), 0);
    return key;
  }
};

TEST_F(RecordsPropertyTest, PropdefGetOrInsertIgnoresLetterCaseAndDescription) {
  int64_t first = 0, again = 0, px = 0;
  ASSERT_EQ(QeProjectDb_Propdef_GetOrInsert(h_, kQuoteName, L"Área", L"µm²", L"one", &first), 0);
  ASSERT_EQ(QeProjectDb_Propdef_GetOrInsert(h_, kQuoteName, L"ÁREA", L"µm²", L"two", &again), 0);
  EXPECT_EQ(again, first);
  EXPECT_EQ(Count("propdef"), 1);
  ASSERT_EQ(QeProjectDb_Propdef_GetOrInsert(h_, kQuoteName, L"Área", L"px", L"", &px), 0);
  EXPECT_NE(px, first);
}

TEST_F(RecordsPropertyTest, FramePropertiesBatchStoresAssayRunZeroAsNull) {
  const int64_t prop = Propdef();
  int64_t task = 0, assay = 0, single = 0;
  QeProjectDb_Jobtask_Insert(h_, 0, 0, 0, 0, L"C", {}, nullptr, &task);
  ASSERT_EQ(QeProjectDb_Assayrun_Insert(h_, run_, task, task, L"uuid", L"a", 0, &assay), 0);
  std::vector<SQeProjectDbRow_frameprop> rows{{0, run_, 0, prop, 0, 1.5},
                                              {0, run_, assay, prop, 0, 2.5}};
  ASSERT_EQ(QeProjectDb_Frameprop_InsertMany(h_, rows), 0);
  EXPECT_TRUE(IsNull("frameprop", "iAssayrunKeyRef", rows[0].iKey));
  EXPECT_EQ(Col("frameprop", "iAssayrunKeyRef", rows[1].iKey), assay);
  // The single insert writes the key as given: 0 names no assay run.
  EXPECT_EQ(QeProjectDb_Frameprop_Insert(h_, run_, 0, prop, 3, 4.5, &single), 19);
  // Removal by run, property and frame index takes every assay run's value.
  const std::vector<SQeProjectDbRow_frameprop> remove{{0, run_, 0, prop, 0, 0}};
  ASSERT_EQ(QeProjectDb_Frameprop_QuantityRemoveMany(h_, remove), 0);
  EXPECT_EQ(Count("frameprop"), 0);
}

TEST_F(RecordsPropertyTest, StatisticsAreReplacedInPlace) {
  const int64_t prop = Propdef();
  SQeProjectDbRow_jobrunpropstat stat{0, run_, prop, 3, 0, 0.0, 9.5, 0.0, 0.0, 0.0};
  int64_t first = 0, second = 0;
  ASSERT_EQ(QeProjectDb_Jobrunpropstat_InsertOrReplace(h_, stat, &first), 0);
  stat.iCount = 4;
  ASSERT_EQ(QeProjectDb_Jobrunpropstat_InsertOrReplace(h_, stat, &second), 0);
  EXPECT_EQ(Count("jobrunpropstat"), 1);
  SQeProjectDbRow_jobrunpropstat read;
  ASSERT_EQ(QeProjectDb_Jobrunpropstat_GetOne(h_, run_, prop, read), 0);
  EXPECT_EQ(std::make_tuple(read.iKey, read.iCount, read.dStatMax),
            std::make_tuple(second, int64_t{4}, 9.5));
}

TEST_F(RecordsPropertyTest, TagWithoutSetIsFoundByNameButNotByEmptySet) {
  int64_t loose = 0, inSet = 0;
  ASSERT_EQ(QeProjectDb_Tagdef_Insert(h_, L"", kQuoteName, L"d", &loose), 0);
  ASSERT_EQ(QeProjectDb_Tagdef_Insert(h_, kOtherName, L"Tag", L"d", &inSet), 0);
  EXPECT_TRUE(IsNull("tagdef", "wszTagsetName", loose));
  EXPECT_EQ(QeProjectDb_Tagdef_GetOne(h_, kQuoteName), loose);
  EXPECT_EQ(QeProjectDb_Tagdef_GetOne(h_, L"", kQuoteName), 0);
  EXPECT_EQ(QeProjectDb_Tagdef_GetOne(h_, kOtherName, L"tag"), inSet);
  EXPECT_EQ(QeProjectDb_Tagdef_GetOne(h_, L"it's"), 0);
  ASSERT_EQ(QeProjectDb_Tagdef_Update(h_, inSet, L"", L"moved", L"d2"), 0);
  EXPECT_TRUE(IsNull("tagdef", "wszTagsetName", inSet));
}

TEST_F(RecordsPropertyTest, LatestColourAcrossTwoRuns) {
  const int64_t tag = AddTagdef("t"), bare = AddTagdef("bare");
  std::vector<SQeProjectDbRow_tagcolor> first{{0, AddRun(project_, jobdef_), tag, 0x112233}},
      second{{0, run_, tag, -16711936}};
  ASSERT_EQ(QeProjectDb_Tagcolor_InsertMany(h_, first), 0);
  ASSERT_EQ(QeProjectDb_Tagcolor_InsertMany(h_, second), 0);
  EXPECT_EQ(QeProjectDb_Tagcolor_GetLatestColor(h_, tag), -16711936);
  EXPECT_EQ(QeProjectDb_Tagcolor_GetLatestColor(h_, bare), 0);
}

}  // namespace
}  // namespace qe::test
