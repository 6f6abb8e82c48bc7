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
  EXPECT_GT(key, 0);
  EXPECT_EQ(Text(L"SELECT typeof(wszName)||typeof(wszBarcode)||typeof(wszDesc) FROM plateinfo"),
            "nullnulltext");

  SQeProjectDbRow_plateinfo row;
  row.wszName = L"stale";
  EXPECT_EQ(QeProjectDb_Plateinfo_GetOne(h_, key, row), 0);
  EXPECT_EQ(row.wszName, L"");  // NULL reads as the empty text
  EXPECT_EQ(row.iWellplatenameKeyRef, plate);

  std::vector<SQeProjectDbRow_plateinfo> rows{{0, run, plate, L"Plate 'B'", L"BC-2", L"d"}};
  ASSERT_EQ(QeProjectDb_Plateinfo_InsertMany(h_, rows), 0);
  std::vector<SQeProjectDbRow_plateinfo> read;
  EXPECT_EQ(QeProjectDb_Plateinfo_GetMany(h_, run, read), 0);
  ASSERT_EQ(read.size(), 2u);
  EXPECT_EQ(read[1].wszName, L"Plate 'B'");
  EXPECT_EQ(read[1].iKey, rows[0].iKey);
}

TEST_F(UsedTest, PlateInfoNeedsAnExistingRunAndPlate) {
  const int64_t run = InsertRun(L"r1");
  int64_t key = -1;
  EXPECT_EQ(QeProjectDb_Plateinfo_Insert(h_, run, 777, L"n", L"b", L"d", &key), 19);
  EXPECT_EQ(key, 0);
}

TEST_F(UsedTest, ExistsOnlyForPlatesThatARunUsed) {
  const int64_t run = InsertRun(L"r1");
  const int64_t used = InsertPlate(L"used's", L"Corning", L"1");
  InsertPlate(L"unused", L"Corning", L"2");
  ASSERT_EQ(QeProjectDb_Plateinfo_Insert(h_, run, used, L"n", L"", L"", nullptr), 0);
  EXPECT_TRUE(QeProjectDb_Plateinfo_Exists(h_, L"used's"));
  EXPECT_FALSE(QeProjectDb_Plateinfo_Exists(h_, L"unused"));
  EXPECT_FALSE(QeProjectDb_Plateinfo_Exists(h_, L"missing"));
  // The plate records go with their run.
  ASSERT_EQ(Exec(L"DELETE FROM jobrun;"), 0);
  EXPECT_FALSE(QeProjectDb_Plateinfo_Exists(h_, L"used's"));
}

TEST_F(UsedTest, SlideBarcodeEmptyStoresNull) {
  const int64_t run = InsertRun(L"r1");
  int64_t key = 0;
  ASSERT_EQ(QeProjectDb_Slideinfo_Insert(h_, run, L"Slide 1", L"", L"desc", &key), 0);
  EXPECT_EQ(Text(L"SELECT typeof(wszBarcode) FROM slideinfo"), "null");

  EXPECT_EQ(QeProjectDb_Slideinfo_UpdateBarcode(h_, key, L"O'Brien-42"), 0);
  SQeProjectDbRow_slideinfo slide;
  EXPECT_EQ(QeProjectDb_Slideinfo_GetOne(h_, key, slide), 0);
  EXPECT_EQ(slide.wszBarcode, L"O'Brien-42");
  EXPECT_EQ(slide.wszDesc, L"desc");

  EXPECT_EQ(QeProjectDb_Slideinfo_UpdateBarcode(h_, key, L""), 0);
  EXPECT_EQ(Text(L"SELECT typeof(wszBarcode) FROM slideinfo"), "null");
  EXPECT_EQ(QeProjectDb_Slideinfo_UpdateBarcode(h_, key, nullptr), 0);
  EXPECT_EQ(Text(L"SELECT typeof(wszBarcode) FROM slideinfo"), "null");
}

TEST_F(UsedTest, SlideInfoBatchAndReadByRun) {
  const int64_t run1 = InsertRun(L"r1");
  const int64_t run2 = InsertRun(L"r2");
  std::vector<SQeProjectDbRow_slideinfo> rows{
      {0, run1, L"a", L"", L""}, {0, run2, L"", L"bc", L""}, {0, run1, L"c", L"", L""}};
  ASSERT_EQ(QeProjectDb_Slideinfo_InsertMany(h_, rows), 0);
  EXPECT_EQ(Int(L"SELECT COUNT(*) FROM slideinfo WHERE wszName IS NULL"), 1);
  std::vector<SQeProjectDbRow_slideinfo> read;
  EXPECT_EQ(QeProjectDb_Slideinfo_GetMany(h_, run1, read), 0);
  ASSERT_EQ(read.size(), 2u);
  EXPECT_EQ(read[1].wszName, L"c");
}

TEST_F(UsedTest, WellInfoEmptyNameIsNull) {
  const int64_t run = InsertRun(L"r1");
  int64_t key = 0;
  ASSERT_EQ(QeProjectDb_Wellinfo_Insert(h_, run, 95, L"", &key), 0);
  std::vector<SQeProjectDbRow_wellinfo> rows{{0, run, 0, L"A01"}, {0, run, 1, L""}};
  ASSERT_EQ(QeProjectDb_Wellinfo_InsertMany(h_, rows), 0);
  EXPECT_GT(rows[1].iKey, rows[0].iKey);
  EXPECT_EQ(Int(L"SELECT COUNT(*) FROM wellinfo WHERE wszName IS NULL"), 2);
  EXPECT_EQ(Int(L"SELECT iWellIndex FROM wellinfo WHERE iKey=" + std::to_wstring(key)), 95);
  // A failing row rolls the whole batch back.
  std::vector<SQeProjectDbRow_wellinfo> broken{{0, run, 2, L"A03"}, {0, 999, 3, L"A04"}};
  EXPECT_EQ(QeProjectDb_Wellinfo_InsertMany(h_, broken), 19);
  EXPECT_EQ(Int(L"SELECT COUNT(*) FROM wellinfo"), 3);
}

}  // namespace
}  // namespace qe::test
