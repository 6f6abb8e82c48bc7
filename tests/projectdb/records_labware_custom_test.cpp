// User-made plates and dishes: save, restore, duplicate models, and editing
// in place or by replacement when a run used the plate.
#include <list>

#include "projectdb/records_labware_support.h"
#include "qe/core/lite_variant.h"
#include "qe/labware/single_element_holder.h"
#include "qe/projectdb/records/labware_custom.h"
#include "qe/projectdb/records/labware_dish.h"
#include "qe/projectdb/records/labware_used.h"

namespace qe::test {
namespace {

using CustomTest = LabwareDbTest;

CQeWellplate Load(const SQeProjectDbRow_wellplatedef& row) {
  CQeLiteVariantR reader(row.pData);
  CQeWellplate plate;
  EXPECT_EQ(plate.LoadFromLiteVariantWithUuid(reader, row.wszUuid, row.wszCompany, row.wszType,
                                              row.wszModel, row.iUserImported),
            0);
  return plate;
}

TEST_F(CustomTest, FillCustomDataDescribesThePlate) {
  const CQeWellplate plate = Custom96(L"u1", L"M");
  SQeProjectDbRow_wellplatename name;
  SQeProjectDbRow_wellplateconfiguration config;
  ASSERT_EQ(QeProjectDb_Wellplate_FillCustomWellplateData(plate, name, config), 0);
  EXPECT_EQ(name.wszUuid, L"u1");
  EXPECT_EQ(name.wszCompany, kQeCustomWellplatesCompany);
  EXPECT_EQ(name.iUserImported, 1);
  EXPECT_EQ(config.wszUuid.GetLength(), 32);
  EXPECT_NE(config.wszUuid, name.wszUuid);
  EXPECT_EQ(config.iRowCount, 8);
  EXPECT_EQ(config.iColCount, 12);
  EXPECT_EQ(config.iRowNaming, eQeNamingLetters);
  EXPECT_EQ(config.iColNaming, eQeNamingNumbers);
  CQeLiteVariantR reader(config.pData);
  CQeWellplate loaded;
  ASSERT_EQ(loaded.LoadFromLiteVariant(reader), 0);
  EXPECT_TRUE(loaded.EqualWellplate(plate));
}

TEST_F(CustomTest, SaveStoresAPlateThatLoadsBackEqual) {
  const CQeWellplate plate = Custom96(L"u1", L"My 96 'round'");
  ASSERT_EQ(QeProjectDb_Wellplate_SaveAsCustomToDb(h_, plate), 0);
  SQeProjectDbRow_wellplatedef row;
  bool found = false;
  ASSERT_EQ(QeProjectDb_Wellplatedef_GetOne(h_, L"u1", row, found), 0);
  ASSERT_TRUE(found);
  EXPECT_EQ(row.iUserImported, 1);
  EXPECT_EQ(row.iRemoved, 0);
  const CQeWellplate loaded = Load(row);
  EXPECT_EQ(loaded.GetUserFlag(), 1);
  EXPECT_EQ(loaded.GetElementName(95), L"H12");
  CQeWellplate geometry;
  CQeLiteVariantR reader(row.pData);
  ASSERT_EQ(geometry.LoadFromLiteVariantWithUuid(reader, row.wszUuid, row.wszCompany, row.wszType,
                                                 row.wszModel, 0),
            0);
  EXPECT_TRUE(geometry.EqualWellplate(plate));
}

TEST_F(CustomTest, SaveRestoresARemovedPlateWithoutNewRows) {
  const CQeWellplate plate = Custom96(L"u1", L"M");
  ASSERT_EQ(QeProjectDb_Wellplate_SaveAsCustomToDb(h_, plate), 0);
  ASSERT_EQ(QeProjectDb_Wellplatename_RemoveCustom(h_, L"u1"), 0);
  EXPECT_EQ(QeProjectDb_Wellplate_SaveAsCustomToDb(h_, plate), 0);
  EXPECT_EQ(Int(L"SELECT iRemoved FROM wellplatename WHERE wszUuid='u1'"), 0);
  EXPECT_EQ(Int(L"SELECT COUNT(*) FROM wellplatename"), 1);
  EXPECT_EQ(Int(L"SELECT COUNT(*) FROM wellplateconfiguration"), 1);
  // Saving a present plate again changes nothing either.
  EXPECT_EQ(QeProjectDb_Wellplate_SaveAsCustomToDb(h_, plate), 0);
  EXPECT_EQ(Int(L"SELECT COUNT(*) FROM wellplateconfiguration"), 1);
}

TEST_F(CustomTest, SaveRefusesASecondPlateOfTheSameModel) {
  ASSERT_EQ(QeProjectDb_Wellplate_SaveAsCustomToDb(h_, Custom96(L"u1", L"Model A")), 0);
  EXPECT_EQ(QeProjectDb_Wellplate_SaveAsCustomToDb(h_, Custom96(L"u2", L"model a")), -9);
  EXPECT_EQ(Int(L"SELECT COUNT(*) FROM wellplatename"), 1);
  EXPECT_EQ(Int(L"SELECT COUNT(*) FROM wellplateconfiguration"), 1);
  // Once the first is removed, the model is free again.
  ASSERT_EQ(QeProjectDb_Wellplatename_RemoveCustom(h_, L"u1"), 0);
  EXPECT_EQ(QeProjectDb_Wellplate_SaveAsCustomToDb(h_, Custom96(L"u2", L"model a")), 0);
  EXPECT_EQ(Int(L"SELECT COUNT(*) FROM wellplatename"), 2);
}

TEST_F(CustomTest, EditInPlaceWhenNoRunUsedThePlate) {
  CQeWellplate plate = Custom96(L"u1", L"M");
  ASSERT_EQ(QeProjectDb_Wellplate_SaveAsCustomToDb(h_, plate), 0);
  const int64_t configKey = Int(L"SELECT iKey FROM wellplateconfiguration");
  const std::string configUuid = Text(L"SELECT wszUuid FROM wellplateconfiguration");
  plate.SetElementCount(16, 24);
  plate.SetDistance(4500, 4500);
  plate.SetNaming(eQeNamingModeAlongRows, eQeNamingNumbers, eQeNamingNumbers);

  EXPECT_EQ(QeProjectDb_Wellplate_EditCustomInDb(h_, plate), 0);
  EXPECT_EQ(plate.GetUuid(), L"u1");
  EXPECT_EQ(Int(L"SELECT COUNT(*) FROM wellplatename"), 1);
  EXPECT_EQ(Int(L"SELECT iKey FROM wellplateconfiguration"), configKey);
  EXPECT_EQ(Text(L"SELECT wszUuid FROM wellplateconfiguration"), configUuid);
  SQeProjectDbRow_wellplatedef row;
  ASSERT_EQ(QeProjectDb_Wellplatedef_GetOne(h_, L"u1", row), 0);
  EXPECT_EQ(row.iRowCount, 16);
  EXPECT_EQ(row.iColCount, 24);
  EXPECT_EQ(row.iRowNaming, eQeNamingNumbers);
  EXPECT_EQ(Load(row).GetElementCount(), 384u);
}

TEST_F(CustomTest, EditReplacesAPlateThatARunUsed) {
  CQeWellplate plate = Custom96(L"u1", L"M");
  ASSERT_EQ(QeProjectDb_Wellplate_SaveAsCustomToDb(h_, plate), 0);
  const int64_t oldKey = Int(L"SELECT iKey FROM wellplatename");
  const int64_t oldConfig = Int(L"SELECT iKey FROM wellplateconfiguration");
  const std::wstring oldData =
      L"SELECT hex(pData) FROM wellplateconfiguration WHERE iKey=" + std::to_wstring(oldConfig);
  const std::string oldBytes = Text(oldData);
  const int64_t run = InsertRun(L"r1");
  int64_t info = 0;
  ASSERT_EQ(QeProjectDb_Plateinfo_Insert(h_, run, oldKey, L"Plate 1", L"", L"", &info), 0);

  plate.SetElementCount(16, 24);
  EXPECT_EQ(QeProjectDb_Wellplate_EditCustomInDb(h_, plate), 0);

  // The object carries the new definition.
  EXPECT_NE(plate.GetUuid(), L"u1");
  EXPECT_EQ(plate.GetUuid().GetLength(), 32);
  SQeProjectDbRow_wellplatedef latest;
  bool found = false;
  EXPECT_EQ(QeProjectDb_Wellplatedef_GetLatest(h_, L"u1", latest, found), 0);
  EXPECT_EQ(latest.wszUuid, plate.GetUuid());
  EXPECT_EQ(latest.iRowCount, 16);
  EXPECT_EQ(latest.iRemoved, 0);
  // The run keeps pointing at the old rows, which are unchanged but replaced.
  SQeProjectDbRow_plateinfo used;
  ASSERT_EQ(QeProjectDb_Plateinfo_GetOne(h_, info, used), 0);
  EXPECT_EQ(used.iWellplatenameKeyRef, oldKey);
  SQeProjectDbRow_wellplatedef old;
  ASSERT_EQ(QeProjectDb_Wellplatedef_GetOne(h_, oldKey, old), 0);
  EXPECT_EQ(old.wszUuid, L"u1");
  EXPECT_EQ(old.iRowCount, 8);
  EXPECT_EQ(old.iRemoved, 1);
  EXPECT_EQ(old.iWellplatenameKeyRef, latest.iKey);
  EXPECT_EQ(Text(oldData), oldBytes);
  // The model is taken by the new definition alone.
  SQeProjectDbRow_wellplatedef custom;
  EXPECT_EQ(QeProjectDb_Wellplatedef_FindCustom(h_, L"M", custom, found), 0);
  EXPECT_EQ(custom.iKey, latest.iKey);
}

TEST_F(CustomTest, DishSaveRestoresRefusesAndStoresGeometry) {
  const CQeRectBase<double> sticker(-10000, -20000, 10000, -15000);
  const CQeSingleElementHolder dish(L"d1", kQeCustomDishesCompany, L"Glass", L"35 mm",
                                    CQeLayoutElement(SQeShape(11000.0)), SQeShape(17500.0),
                                    &sticker);
  ASSERT_EQ(QeProjectDb_Dish_SaveAsCustomToDb(h_, dish), 0);
  SQeProjectDbRow_dishdef row;
  bool found = false;
  ASSERT_EQ(QeProjectDb_Dishdef_GetOne(h_, L"d1", row, found), 0);
  ASSERT_TRUE(found);
  EXPECT_EQ(row.iUserImported, 1);
  EXPECT_EQ(row.stickerT, -20000);
  CQeLiteVariantR elementReader(row.layoutelement);
  CQeLayoutElement element;
  EXPECT_EQ(element.LoadFromLiteVariant(elementReader), 0);
  EXPECT_TRUE(element.EqualElement(dish.GetLayoutElement(), false));
  CQeLiteVariantR outlineReader(row.surroundarea);
  SQeShape outline;
  EXPECT_EQ(outline.LoadFromLiteVariant(outlineReader), 0);
  EXPECT_TRUE(outline == SQeShape(17500.0));

  const CQeSingleElementHolder other(L"d2", kQeCustomDishesCompany, L"Glass", L"35 MM",
                                     CQeLayoutElement(SQeShape(9000.0)), nullptr);
  EXPECT_EQ(QeProjectDb_Dish_SaveAsCustomToDb(h_, other), -9);
  ASSERT_EQ(QeProjectDb_Dishname_RemoveCustom(h_, L"d1"), 0);
  EXPECT_EQ(QeProjectDb_Dish_SaveAsCustomToDb(h_, dish), 0);
  EXPECT_EQ(Int(L"SELECT iRemoved FROM dishname WHERE wszUuid='d1'"), 0);
  EXPECT_EQ(Int(L"SELECT COUNT(*) FROM dishconfiguration"), 1);
}

}  // namespace
}  // namespace qe::test
