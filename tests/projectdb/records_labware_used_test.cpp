// The labware of runs: plates, slides and wells with the empty-is-NULL rule.
#include <vector>

#include "projectdb/records_labware_support.h"
#include "qe/projectdb/records/labware_used.h"

namespace qe::test {
namespace {

using UsedTest = LabwareDbTest;

TEST_F(UsedTest, PlateInfoStoresEmptyNameAndBarcodeAsNull) {
  const int64_t run = InsertRun(L"r1");
  const int64_t plate = InsertPlate(L"p", L"Corning", L"3368");
  int64_t key = -1;
  ASSERT_EQ(QeProjectDb_Plateinfo_Insert(h_, run, plate, L"", L"", L"", &key), 0);
  std::vector<SQeProjectDbRow_plateinfo> rows{{0, run, plate, L"Plate 'B'", L"", L"d"}};
  ASSERT_EQ(QeProjectDb_Plateinfo_InsertMany(h_, rows), 0);
  EXPECT_EQ(Text(L"SELECT group_concat(typeof(wszName)||typeof(wszBarcode)||typeof(wszDesc)) FROM "
                 L"plateinfo"),
            "nullnulltext,textnulltext");
  SQeProjectDbRow_plateinfo row;
  row.wszName = L"stale";
  EXPECT_EQ(QeProjectDb_Plateinfo_GetOne(h_, key, row), 0);
  EXPECT_EQ(row.wszName, L"");  // NULL reads as the empty text
  EXPECT_EQ(row.iWellplatenameKeyRef, plate);
  std::vector<SQeProjectDbRow_plateinfo> read;
  EXPECT_EQ(QeProjectDb_Plateinfo_GetMany(h_, run, read), 0);
  ASSERT_EQ(read.size(), 2u);
  EXPECT_EQ(read[1].wszName, L"Plate 'B'");
  EXPECT_EQ(read[1].iKey, rows[0].iKey);
}

TEST_F(UsedTest, ExistsOnlyForPlatesThatARunUsed) {
  const int64_t run = InsertRun(L"r1");
  const int64_t used = InsertPlate(L"used", L"Corning", L"1");
  InsertPlate(L"unused", L"Corning", L"2");
  ASSERT_EQ(QeProjectDb_Plateinfo_Insert(h_, run, used, L"n", L"", L"", nullptr), 0);
  EXPECT_TRUE(QeProjectDb_Plateinfo_Exists(h_, L"used"));
  EXPECT_FALSE(QeProjectDb_Plateinfo_Exists(h_, L"unused"));
  EXPECT_FALSE(QeProjectDb_Plateinfo_Exists(h_, L"missing"));
  ASSERT_EQ(Exec(L"DELETE FROM jobrun;"), 0);  // the plate records go with their run
  EXPECT_FALSE(QeProjectDb_Plateinfo_Exists(h_, L"used"));
}

TEST_F(UsedTest, SlideBarcodeEmptyStoresNull) {
  const int64_t run = InsertRun(L"r1");
  int64_t key = 0;
  ASSERT_EQ(QeProjectDb_Slideinfo_Insert(h_, run, L"Slide 1", L"", L"desc", &key), 0);
  EXPECT_EQ(Text(L"SELECT typeof(wszBarcode) FROM slideinfo"), "null");
  EXPECT_EQ(QeProjectDb_Slideinfo_UpdateBarcode(h_, key, L"O'Brien-42"), 0);
  SQeProjectDbRow_slideinfo slide;
  EXPECT_EQ(QeProjectDb_Slideinfo_GetOne(h_, key, slide), 0);
  EXPECT_EQ(slide.wszBarcode + L"/" + slide.wszDesc, L"O'Brien-42/desc");
  for (const wchar_t* none : {L"", static_cast<const wchar_t*>(nullptr)}) {
    ASSERT_EQ(QeProjectDb_Slideinfo_UpdateBarcode(h_, key, L"x"), 0);
    EXPECT_EQ(QeProjectDb_Slideinfo_UpdateBarcode(h_, key, none), 0);
    EXPECT_EQ(Text(L"SELECT typeof(wszBarcode) FROM slideinfo"), "null");
  }
}

TEST_F(UsedTest, SlideAndWellInfoBatchesAndReadsByRun) {
  const int64_t run1 = InsertRun(L"r1");
  const int64_t run2 = InsertRun(L"r2");
  std::vector<SQeProjectDbRow_slideinfo> slides{
      {0, run1, L"a", L"", L""}, {0, run2, L"", L"bc", L""}, {0, run1, L"c", L"", L""}};
  ASSERT_EQ(QeProjectDb_Slideinfo_InsertMany(h_, slides), 0);
  EXPECT_EQ(Int(L"SELECT COUNT(*) FROM slideinfo WHERE wszName IS NULL"), 1);
  std::vector<SQeProjectDbRow_slideinfo> read;
  EXPECT_EQ(QeProjectDb_Slideinfo_GetMany(h_, run1, read), 0);
  ASSERT_EQ(read.size(), 2u);
  EXPECT_EQ(read[1].wszName, L"c");

  int64_t key = 0;
  ASSERT_EQ(QeProjectDb_Wellinfo_Insert(h_, run1, 95, L"", &key), 0);
  std::vector<SQeProjectDbRow_wellinfo> wells{{0, run1, 0, L"A01"}, {0, run1, 1, L""}};
  ASSERT_EQ(QeProjectDb_Wellinfo_InsertMany(h_, wells), 0);
  EXPECT_GT(wells[1].iKey, wells[0].iKey);
  EXPECT_EQ(Text(L"SELECT group_concat(iWellIndex||coalesce(wszName,'-')) FROM wellinfo"),
            "95-,0A01,1-");
  // A failing row rolls the whole batch back.
  std::vector<SQeProjectDbRow_wellinfo> broken{{0, run1, 2, L"A03"}, {0, 999, 3, L"A04"}};
  EXPECT_EQ(QeProjectDb_Wellinfo_InsertMany(h_, broken), 19);
  EXPECT_EQ(Int(L"SELECT COUNT(*) FROM wellinfo"), 3);
}

}  // namespace
}  // namespace qe::test
