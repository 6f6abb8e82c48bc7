// Dish and slide records: the dish view, custom dishes, slides by company
// and the slide table's column order.
#include <list>

#include "projectdb/records_labware_support.h"
#include "qe/projectdb/records/labware_dish.h"
#include "qe/projectdb/records/labware_slide.h"

namespace qe::test {
namespace {

using DishSlideTest = LabwareDbTest;

int64_t InsertDish(uint32_t h, const CQeStringW& uuid, const CQeStringW& company,
                   const CQeStringW& model) {
  std::list<SQeProjectDbRow_dishconfiguration> configs{
      {0, uuid + L"-config", CQeRectBase<double>(1, 2, 3, 4), CQeByteArray("el", 2),
       CQeByteArray("area", 4)}};
  EXPECT_EQ(QeProjectDb_Dishconfig_InsertMany(h, configs), 0);
  std::list<SQeProjectDbRow_dishname> names{
      {0, uuid, configs.front().iKey, company, L"Glass", model, 1, 0}};
  EXPECT_EQ(QeProjectDb_Dishname_InsertMany(h, names), 0);
  return names.front().iKey;
}

SQeProjectDbRow_slidedef Slide(const CQeStringW& uuid, const CQeStringW& company) {
  return SQeProjectDbRow_slidedef(0, uuid, company, L"Type", L"Model", 10, 20, 30, 40, 0,
                                  CQeByteArray("el", 2), CQeByteArray("area", 4), 0);
}

TEST_F(DishSlideTest, DishViewReadsEveryColumn) {
  const int64_t key = InsertDish(h_, L"d1", L"Ibidi", L"µ-Dish 35");
  SQeProjectDbRow_dishdef dish;
  bool found = false;
  ASSERT_EQ(QeProjectDb_Dishdef_GetOne(h_, L"d1", dish, found), 0);
  ASSERT_TRUE(found);
  EXPECT_EQ(dish.iKey, key);
  EXPECT_EQ(dish.wszModel, L"µ-Dish 35");
  EXPECT_EQ(CQeRectBase<double>(dish.stickerL, dish.stickerT, dish.stickerR, dish.stickerB),
            CQeRectBase<double>(1, 2, 3, 4));
  EXPECT_EQ(dish.iUserImported, 1);
  EXPECT_EQ(dish.layoutelement, CQeByteArray("el", 2));
  EXPECT_EQ(dish.surroundarea, CQeByteArray("area", 4));
  SQeProjectDbRow_dishdef byKey;
  EXPECT_EQ(QeProjectDb_Dishdef_GetOne(h_, key, byKey), 0);
  EXPECT_EQ(byKey.wszUuid, L"d1");
  SQeProjectDbRow_dishconfiguration config;
  EXPECT_EQ(QeProjectDb_Dishconfig_GetOne(h_, L"d1-config", config), 0);
  EXPECT_EQ(config.stickerR, 3);
  std::list<SQeProjectDbRow_dishdef> all;
  EXPECT_EQ(QeProjectDb_Dishdef_GetAll(h_, all), 0);
  EXPECT_EQ(all.size(), 1u);
}

TEST_F(DishSlideTest, CustomDishesAreFoundRemovedAndRestored) {
  InsertDish(h_, L"builtin", L"Ibidi", L"Same");
  InsertDish(h_, L"mine's", kQeCustomDishesCompany, L"Same");
  EXPECT_EQ(QeProjectDb_Dishname_RemoveCustom(h_, L"builtin"), 0);
  EXPECT_EQ(Int(L"SELECT iRemoved FROM dishname WHERE wszUuid='builtin'"), 0);
  SQeProjectDbRow_dishdef dish;
  bool found = false;
  EXPECT_EQ(QeProjectDb_Dishdef_FindCustom(h_, L"same", dish, found), 0);
  ASSERT_TRUE(found);
  EXPECT_EQ(dish.wszUuid, L"mine's");
  EXPECT_EQ(QeProjectDb_Dishname_RemoveCustom(h_, L"mine's"), 0);
  EXPECT_EQ(QeProjectDb_Dishdef_FindCustom(h_, L"Same", dish, found), 0);
  EXPECT_FALSE(found);
  EXPECT_EQ(QeProjectDb_Dishname_UnremoveCustom(h_, L"mine's"), 0);
  EXPECT_EQ(QeProjectDb_Dishdef_FindCustom(h_, L"Same", dish, found), 0);
  EXPECT_TRUE(found);
}

TEST_F(DishSlideTest, DishUpgradeFailureKeepsRowsAndVersion) {
  const int64_t dish = InsertDish(h_, L"d", L"Ibidi", L"1");
  std::list<SQeProjectDbRow_dishname> names{{0, L"n", 4242, L"X", L"T", L"M", 0, 0}};
  EXPECT_EQ(QeProjectDb_Dishname_Upgrade(h_, names, {dish}, 2), -9);
  EXPECT_EQ(Text(L"SELECT group_concat(wszUuid) FROM dishname"), "d");
  EXPECT_EQ(Int(L"SELECT COUNT(*) FROM vesion WHERE wszName='dish'"), 0);
  names.front().iDishKeyRef = Int(L"SELECT iKey FROM dishconfiguration");
  EXPECT_EQ(QeProjectDb_Dishname_Upgrade(h_, names, {dish}, 2), 0);
  EXPECT_EQ(Text(L"SELECT group_concat(wszUuid) FROM dishname"), "n");
  EXPECT_EQ(Int(L"SELECT iVersion FROM vesion WHERE wszName='dish'"), 2);
}

TEST_F(DishSlideTest, SlideRoundTripDespiteTheColumnOrder) {
  std::list<SQeProjectDbRow_slidedef> slides{Slide(L"s1", L"75x25 mm")};
  ASSERT_EQ(QeProjectDb_Slidedef_InsertMany(h_, slides), 0);
  EXPECT_EQ(Text(L"SELECT wszCompany||stickerT FROM slidedef"), "75x25 mm20.0");
  for (const bool byKey : {true, false}) {
    SQeProjectDbRow_slidedef slide;
    EXPECT_EQ(byKey ? QeProjectDb_Slidedef_GetOne(h_, slides.front().iKey, slide)
                    : QeProjectDb_Slidedef_GetOne(h_, CQeStringW(L"s1"), slide),
              0);
    EXPECT_EQ(slide.iKey, slides.front().iKey);
    EXPECT_EQ(slide.wszUuid + slide.wszCompany + slide.wszModel, L"s175x25 mmModel");
    EXPECT_EQ(slide.stickerR, 30);
    EXPECT_EQ(slide.layoutelement, CQeByteArray("el", 2));
    EXPECT_EQ(slide.surroundarea, CQeByteArray("area", 4));
  }
}

TEST_F(DishSlideTest, SlideRemovalAndLookupByCompany) {
  std::list<SQeProjectDbRow_slidedef> slides{Slide(L"s1", L"26x76 mm 'frosted'")};
  ASSERT_EQ(QeProjectDb_Slidedef_InsertMany(h_, slides), 0);
  EXPECT_EQ(QeProjectDb_Slidedef_Remove(h_, L"s1"), 0);  // whatever the company
  SQeProjectDbRow_slidedef slide;
  bool found = true;
  EXPECT_EQ(QeProjectDb_Slidedef_GetOneByName(h_, L"26x76 mm 'frosted'", slide, found, true), 0);
  EXPECT_FALSE(found);
  EXPECT_EQ(QeProjectDb_Slidedef_GetOneByName(h_, L"26X76 MM 'FROSTED'", slide, found, false), 0);
  EXPECT_TRUE(found);
  EXPECT_EQ(slide.iRemoved, 1);
}

TEST_F(DishSlideTest, SlideUpgradeAndDelete) {
  std::list<SQeProjectDbRow_slidedef> slides{Slide(L"s1", L"A"), Slide(L"s2", L"B")};
  ASSERT_EQ(QeProjectDb_Slidedef_Upgrade(h_, slides, {}, 2), 0);
  std::list<SQeProjectDbRow_slidedef> all;
  EXPECT_EQ(QeProjectDb_Slidedef_GetAll(h_, all), 0);
  EXPECT_EQ(all.size(), 2u);
  EXPECT_EQ(QeProjectDb_Slidedef_Delete(h_, {slides.front().iKey}), 0);
  // A slide whose uuid is taken fails the whole upgrade.
  std::list<SQeProjectDbRow_slidedef> again{Slide(L"s3", L"C"), Slide(L"s2", L"B")};
  EXPECT_EQ(QeProjectDb_Slidedef_Upgrade(h_, again, {}, 3), -9);
  EXPECT_EQ(Text(L"SELECT group_concat(wszUuid) FROM slidedef"), "s2");
  EXPECT_EQ(Int(L"SELECT iVersion FROM vesion WHERE wszName='slide'"), 2);
}

}  // namespace
}  // namespace qe::test
