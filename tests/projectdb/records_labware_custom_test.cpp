// User-made plates and dishes: save, restore, duplicate models, and editing
// in place or by replacement when a run used the plate.
#include <list>
#include <vector>

#include "projectdb/records_labware_support.h"
#include "qe/core/lite_variant.h"
#include "qe/labware/single_element_holder.h"
#include "qe/projectdb/records/labware_custom.h"
#include "qe/projectdb/records/labware_dish.h"
#include "qe/projectdb/records/labware_used.h"

namespace qe::test {
namespace {

using CustomTest = LabwareDbTest;

template <typename T>
T Load(const CQeByteArray& bytes) {
  T object;
  CQeLiteVariantR reader(bytes);
  EXPECT_EQ(object.LoadFromLiteVariant(reader), 0);
  return object;
}

// The rows of one saved plate: the name row's uuid, user mark and removal,
// the configuration's own uuid, its counts and naming types.
TEST_F(CustomTest, SaveStoresThePlateThroughItsCustomData) {
  const CQeWellplate plate = Custom96(L"u1", L"My 96 'round'");
  ASSERT_EQ(QeProjectDb_Wellplate_SaveAsCustomToDb(h_, plate), 0);
  SQeProjectDbRow_wellplatedef row;
  bool found = false;
  ASSERT_EQ(QeProjectDb_Wellplatedef_GetOne(h_, L"u1", row, found), 0);
  ASSERT_TRUE(found);
  EXPECT_EQ(row.wszCompany + L"/" + row.wszModel,
            CQeStringW(kQeCustomWellplatesCompany) + L"/My 96 'round'");
  EXPECT_EQ(std::vector<int>({row.iUserImported, row.iRemoved, row.iRowCount, row.iColCount,
                              row.iRowNaming, row.iColNaming}),
            std::vector<int>({1, 0, 8, 12, eQeNamingLetters, eQeNamingNumbers}));
  const std::string config_uuid = Text(L"SELECT wszUuid FROM wellplateconfiguration");
  EXPECT_EQ(config_uuid.size(), 32u);  // a uuid of its own
  EXPECT_TRUE(Load<CQeWellplate>(row.pData).EqualWellplate(plate));
}

TEST_F(CustomTest, SaveRestoresARemovedPlateWithoutNewRows) {
  const CQeWellplate plate = Custom96(L"u1", L"M");
  ASSERT_EQ(QeProjectDb_Wellplate_SaveAsCustomToDb(h_, plate), 0);
  ASSERT_EQ(QeProjectDb_Wellplatename_RemoveCustom(h_, L"u1"), 0);
  EXPECT_EQ(QeProjectDb_Wellplate_SaveAsCustomToDb(h_, plate), 0);
  EXPECT_EQ(Int(L"SELECT iRemoved FROM wellplatename WHERE wszUuid='u1'"), 0);
  // Saving a present plate again changes nothing either.
  EXPECT_EQ(QeProjectDb_Wellplate_SaveAsCustomToDb(h_, plate), 0);
  EXPECT_EQ(Text(L"SELECT (SELECT COUNT(*) FROM wellplatename)||(SELECT COUNT(*) FROM "
                 L"wellplateconfiguration)"),
            "11");
}

TEST_F(CustomTest, SaveRefusesASecondPlateOfTheSameModel) {
  ASSERT_EQ(QeProjectDb_Wellplate_SaveAsCustomToDb(h_, Custom96(L"u1", L"Model A")), 0);
  EXPECT_EQ(QeProjectDb_Wellplate_SaveAsCustomToDb(h_, Custom96(L"u2", L"model a")), -9);
  EXPECT_EQ(Int(L"SELECT COUNT(*) FROM wellplatename") +
                Int(L"SELECT COUNT(*) FROM wellplateconfiguration"),
            2);
  // Once the first is removed, the model is free again.
  ASSERT_EQ(QeProjectDb_Wellplatename_RemoveCustom(h_, L"u1"), 0);
  EXPECT_EQ(QeProjectDb_Wellplate_SaveAsCustomToDb(h_, Custom96(L"u2", L"model a")), 0);
  EXPECT_EQ(Int(L"SELECT COUNT(*) FROM wellplatename"), 2);
}

TEST_F(CustomTest, EditInPlaceWhenNoRunUsedThePlate) {
  CQeWellplate plate = Custom96(L"u1", L"M");
  ASSERT_EQ(QeProjectDb_Wellplate_SaveAsCustomToDb(h_, plate), 0);
  const std::string config = Text(L"SELECT iKey||wszUuid FROM wellplateconfiguration");
  plate.SetElementCount(16, 24);
  plate.SetNaming(eQeNamingModeAlongRows, eQeNamingNumbers, eQeNamingNumbers);
  EXPECT_EQ(QeProjectDb_Wellplate_EditCustomInDb(h_, plate), 0);
  EXPECT_EQ(plate.GetUuid(), L"u1");
  EXPECT_EQ(Int(L"SELECT COUNT(*) FROM wellplatename"), 1);
  EXPECT_EQ(Text(L"SELECT iKey||wszUuid FROM wellplateconfiguration"), config);  // same row
  SQeProjectDbRow_wellplatedef row;
  ASSERT_EQ(QeProjectDb_Wellplatedef_GetOne(h_, L"u1", row), 0);
  EXPECT_EQ(std::vector<int>({row.iRowCount, row.iColCount, row.iRowNaming}),
            std::vector<int>({16, 24, eQeNamingNumbers}));
  EXPECT_EQ(Load<CQeWellplate>(row.pData).GetElementCount(), 384u);
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
  plate.SetElementCount(16, 24);
  EXPECT_EQ(QeProjectDb_Wellplate_EditCustomInDb(h_, plate), 0);

  // The object carries the new definition, the newest of the chain.
  EXPECT_NE(plate.GetUuid(), L"u1");
  EXPECT_EQ(plate.GetUuid().GetLength(), 32);
  SQeProjectDbRow_wellplatedef latest;
  bool found = false;
  EXPECT_EQ(QeProjectDb_Wellplatedef_GetLatest(h_, L"u1", latest, found), 0);
  EXPECT_EQ(latest.wszUuid, plate.GetUuid());
  EXPECT_EQ(std::vector<int64_t>({latest.iRowCount, latest.iRemoved}),
            std::vector<int64_t>({16, 0}));
  // The run keeps pointing at the old rows, which are unchanged but replaced.
  SQeProjectDbRow_plateinfo used;
  ASSERT_EQ(QeProjectDb_Plateinfo_GetOne(h_, info, used), 0);
  EXPECT_EQ(used.iWellplatenameKeyRef, oldKey);
  SQeProjectDbRow_wellplatedef old;
  ASSERT_EQ(QeProjectDb_Wellplatedef_GetOne(h_, oldKey, old), 0);
  EXPECT_EQ(old.wszUuid, L"u1");
  EXPECT_EQ(std::vector<int64_t>({old.iRowCount, old.iRemoved, old.iWellplatenameKeyRef}),
            std::vector<int64_t>({8, 1, latest.iKey}));
  EXPECT_EQ(Text(oldConfig), oldBytes);
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
  EXPECT_EQ(CQeRectBase<double>(row.stickerL, row.stickerT, row.stickerR, row.stickerB), sticker);
  EXPECT_TRUE(
      Load<CQeLayoutElement>(row.layoutelement).EqualElement(dish.GetLayoutElement(), false));
  EXPECT_TRUE(Load<SQeShape>(row.surroundarea) == SQeShape(17500.0));

  const CQeSingleElementHolder other(L"d2", kQeCustomDishesCompany, L"Glass", L"35 MM",
                                     CQeLayoutElement(SQeShape(9000.0)), nullptr);
  EXPECT_EQ(QeProjectDb_Dish_SaveAsCustomToDb(h_, other), -9);
  ASSERT_EQ(QeProjectDb_Dishname_RemoveCustom(h_, L"d1"), 0);
  EXPECT_EQ(QeProjectDb_Dish_SaveAsCustomToDb(h_, dish), 0);
  EXPECT_EQ(Text(L"SELECT iRemoved||(SELECT COUNT(*) FROM dishconfiguration) FROM dishname"), "01");
}

}  // namespace
}  // namespace qe::test
