// User-made plates and dishes: save, restore, duplicate models, and editing
// in place or by replacement when a run used the plate.
#include "projectdb/records_labware_support.h"
#include "qe/core/lite_variant.h"
#include "qe/labware/single_element_holder.h"
#include "qe/projectdb/records/labware_custom.h"
#include "qe/projectdb/records/labware_dish.h"
#include "qe/projectdb/records/labware_used.h"

namespace qe::test {
namespace {

using CustomTest = LabwareDbTest;

CQeWellplate Load(const CQeByteArray& bytes) {
  CQeWellplate plate;
  CQeLiteVariantR reader(bytes);
  EXPECT_EQ(plate.LoadFromLiteVariant(reader), 0);
  return plate;
}

TEST_F(CustomTest, SaveRestoresARemovedPlateAndRefusesASecondOfTheSameModel) {
  const CQeWellplate plate = Custom96(L"u1", L"Model 'A'");
  ASSERT_EQ(QeProjectDb_Wellplate_SaveAsCustomToDb(h_, plate), 0);
  SQeProjectDbRow_wellplatedef row;
  ASSERT_EQ(QeProjectDb_Wellplatedef_GetOne(h_, L"u1", row), 0);
  EXPECT_EQ(std::make_tuple(row.iUserImported, row.iRemoved, row.iRowCount, row.iColCount),
            std::make_tuple(1, 0, 8, 12));
  EXPECT_TRUE(Load(row.pData).EqualWellplate(plate));
  EXPECT_EQ(QeProjectDb_Wellplate_SaveAsCustomToDb(h_, Custom96(L"u2", L"model 'a'")), -9);
  ASSERT_EQ(QeProjectDb_Wellplatename_RemoveCustom(h_, L"u1"), 0);
  EXPECT_EQ(QeProjectDb_Wellplate_SaveAsCustomToDb(h_, plate), 0);
  EXPECT_EQ(Text(L"SELECT iRemoved||(SELECT COUNT(*) FROM wellplateconfiguration) FROM "
                 L"wellplatename"),
            "01");
}

TEST_F(CustomTest, EditInPlaceWhenNoRunUsedThePlate) {
  CQeWellplate plate = Custom96(L"u1", L"M");
  ASSERT_EQ(QeProjectDb_Wellplate_SaveAsCustomToDb(h_, plate), 0);
  const std::string config = Text(L"SELECT iKey||wszUuid FROM wellplateconfiguration");
  plate.SetElementCount(16, 24);
  EXPECT_EQ(QeProjectDb_Wellplate_EditCustomInDb(h_, plate), 0);
  EXPECT_EQ(plate.GetUuid(), L"u1");
  EXPECT_EQ(Count(L"wellplatename"), 1);
  EXPECT_EQ(Text(L"SELECT iKey||wszUuid FROM wellplateconfiguration"), config);  // same row
  SQeProjectDbRow_wellplatedef row;
  ASSERT_EQ(QeProjectDb_Wellplatedef_GetOne(h_, L"u1", row), 0);
  EXPECT_EQ(row.iRowCount, 16);
  EXPECT_EQ(Load(row.pData).GetElementCount(), 384u);
}

TEST_F(CustomTest, EditReplacesAPlateThatARunUsed) {
  CQeWellplate plate = Custom96(L"u1", L"M");
  ASSERT_EQ(QeProjectDb_Wellplate_SaveAsCustomToDb(h_, plate), 0);
  const int64_t oldKey = Int(L"SELECT iKey FROM wellplatename");
  const std::wstring oldConfig = L"SELECT iKey||hex(pData) FROM wellplateconfiguration LIMIT 1";
  const std::string oldBytes = Text(oldConfig);
  int64_t info = 0;
  ASSERT_EQ(QeProjectDb_Plateinfo_Insert(h_, InsertRun(L"r1"), oldKey, L"Plate 1", L"", L"", &info),
            0);
  EXPECT_TRUE(QeProjectDb_Plateinfo_Exists(h_, L"u1"));
  plate.SetElementCount(16, 24);
  EXPECT_EQ(QeProjectDb_Wellplate_EditCustomInDb(h_, plate), 0);

  // The object carries the new definition, the newest of the chain.
  EXPECT_NE(plate.GetUuid(), L"u1");
  SQeProjectDbRow_wellplatedef latest;
  bool found = false;
  EXPECT_EQ(QeProjectDb_Wellplatedef_GetLatest(h_, L"u1", latest, found), 0);
  EXPECT_EQ(latest.wszUuid, plate.GetUuid());
  EXPECT_EQ(std::make_tuple(latest.iRowCount, latest.iRemoved), std::make_tuple(16, 0));
  // The run keeps pointing at the old rows, which are unchanged but replaced.
  SQeProjectDbRow_plateinfo used;
  ASSERT_EQ(QeProjectDb_Plateinfo_GetOne(h_, info, used), 0);
  EXPECT_EQ(used.iWellplatenameKeyRef, oldKey);
  SQeProjectDbRow_wellplatedef old;
  ASSERT_EQ(QeProjectDb_Wellplatedef_GetOne(h_, oldKey, old), 0);
  EXPECT_EQ(std::make_tuple(old.wszUuid, old.iRowCount, old.iRemoved, old.iWellplatenameKeyRef),
            std::make_tuple(CQeStringW(L"u1"), 8, 1, latest.iKey));
  EXPECT_EQ(Text(oldConfig), oldBytes);
}

TEST_F(CustomTest, DishSaveRestoresAndRefusesADuplicateModel) {
  const CQeRectBase<double> sticker(-10000, -20000, 10000, -15000);
  const CQeSingleElementHolder dish(L"d1", kQeCustomDishesCompany, L"Glass", L"35 mm",
                                    CQeLayoutElement(SQeShape(11000.0)), SQeShape(17500.0),
                                    &sticker);
  ASSERT_EQ(QeProjectDb_Dish_SaveAsCustomToDb(h_, dish), 0);
  SQeProjectDbRow_dishdef row;
  ASSERT_EQ(QeProjectDb_Dishdef_GetOne(h_, L"d1", row), 0);
  EXPECT_EQ(CQeRectBase<double>(row.stickerL, row.stickerT, row.stickerR, row.stickerB), sticker);
  const CQeSingleElementHolder other(L"d2", kQeCustomDishesCompany, L"Glass", L"35 MM",
                                     CQeLayoutElement(SQeShape(9000.0)), nullptr);
  EXPECT_EQ(QeProjectDb_Dish_SaveAsCustomToDb(h_, other), -9);
  ASSERT_EQ(QeProjectDb_Dishname_RemoveCustom(h_, L"d1"), 0);
  EXPECT_EQ(QeProjectDb_Dish_SaveAsCustomToDb(h_, dish), 0);
  EXPECT_EQ(Text(L"SELECT iRemoved||(SELECT COUNT(*) FROM dishconfiguration) FROM dishname"), "01");
}

}  // namespace
}  // namespace qe::test
