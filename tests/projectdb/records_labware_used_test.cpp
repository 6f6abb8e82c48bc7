// The labware of runs: plates and slides with the empty-is-NULL rule.
#include <vector>

#include "projectdb/records_labware_support.h"
#include "qe/projectdb/records/labware_used.h"

namespace qe::test {
namespace {

using UsedTest = LabwareDbTest;

TEST_F(UsedTest, EmptyNamesAndBarcodesAreStoredAsNull) {
  const int64_t run = InsertRun(L"r1");
  const int64_t plate = InsertPlate(L"p", L"Corning", L"3368");
  int64_t key = -1;
  ASSERT_EQ(QeProjectDb_Plateinfo_Insert(h_, run, plate, L"", L"", L"", &key), 0);
  std::vector<SQeProjectDbRow_plateinfo> rows{{0, run, plate, L"Plate 'B'", L"", L"d"}};
  ASSERT_EQ(QeProjectDb_Plateinfo_InsertMany(h_, rows), 0);
  EXPECT_EQ(Text(L"SELECT group_concat(typeof(wszName)||typeof(wszBarcode)||typeof(wszDesc)) FROM "
                 L"plateinfo"),
            "nullnulltext,textnulltext");
}

TEST_F(UsedTest, SlideBarcodeSetToNull) {
  int64_t key = 0;
  ASSERT_EQ(QeProjectDb_Slideinfo_Insert(h_, InsertRun(L"r1"), L"Slide 1", L"", L"desc", &key), 0);
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

}  // namespace
}  // namespace qe::test
