#include "qe/core/lite_variant.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "qe/core/status.h"
#include "qe/labware/single_element_holder.h"
#include "qe/labware/wellplate.h"

namespace {

using Point = CQePointBase<double>;
using Rect = CQeRectBase<double>;

// The stored bytes of whatever save writes into a fresh document.
template <typename T>
CQeByteArray Save(const T& object) {
  CQeLiteVariantW writer;
  EXPECT_EQ(object.SaveToLiteVariant(writer), eQeOk);
  CQeLiteVariantR reader;
  EXPECT_EQ(writer.Finalize(reader), eQeOk);
  return reader.Data();
}

// Names of the entries of the level at the path (named levels from the top).
std::vector<std::wstring> Keys(const CQeByteArray& bytes, const std::vector<std::wstring>& path) {
  CQeLiteVariantR reader(bytes);
  for (const auto& name : path) {
    if (reader.LevelBegin(name.c_str()) != eQeOk) return {L"<no level " + name + L">"};
  }
  std::vector<std::wstring> keys;
  for (const auto& entry : reader.CurrentLevel()->entries) {
    keys.push_back(entry.name.empty() ? L"<unnamed>" : entry.name);
  }
  return keys;
}

using Keys_t = std::vector<std::wstring>;

CQeWellplate Plate384() {
  return CQeWellplate(L"4812551ef94441168a4b2c6d33a77de5", L"Corning Inc.", L"Costar", L"3702",
                      eQeNamingModeRowColumn, eQeNamingLetters, eQeNamingNumbers, 24, 16, 4500,
                      4500, 127760, 85480, 12130, 8990, CQeLayoutElement(SQeShape(1700, 1700)));
}

TEST(ShapeStorage, EachTypeWritesItsKeysAndReadsBackEqual) {
  SQeShape circle(2285);
  circle.ptCenter = Point(-5, 7.25);
  const SQeShape shapes[] = {circle, SQeShape(1700, 900), SQeShape(1700, 900, 120),
                             SQeShape({{0, 0}, {4000, 1000}, {1000, 3000}, {-2, -2}})};
  const Keys_t keys[] = {
      {L"eType", L"dRadius", L"ptCenterX", L"ptCenterY"},
      {L"eType", L"RectL", L"RectT", L"RectR", L"RectB"},
      {L"eType", L"RectL", L"RectT", L"RectR", L"RectB", L"dRadius"},
      {L"eType", L"iPointCount", L"pPolygonRest"},
  };
  for (size_t i = 0; i < std::size(shapes); ++i) {
    const CQeByteArray bytes = Save(shapes[i]);
    EXPECT_EQ(Keys(bytes, {L"SQeShape"}), keys[i]) << i;
    CQeLiteVariantR reader(bytes);
    SQeShape loaded;
    ASSERT_EQ(loaded.LoadFromLiteVariant(reader), eQeOk);
    EXPECT_TRUE(loaded == shapes[i]) << i;
  }
}

TEST(LayoutElementStorage, ActiveAreaAndRestrictionRoundTrip) {
  CQeLayoutElement element(SQeShape(10290, 9410));
  element.SetRestrictionEdge(250);
  element.SetRestrictionCenter(125.5);
  element.SetRestrictionPolygon({{0, 0}, {100, 0}, {100, 100}, {0, 100}});
  const CQeByteArray bytes = Save(element);
  EXPECT_EQ(Keys(bytes, {L"CQeLayoutElement"}), (Keys_t{L"ActiveArea", L"AreaRestriction"}));
  EXPECT_EQ(Keys(bytes, {L"CQeLayoutElement", L"ActiveArea"}), Keys_t{L"SQeShape"});
  EXPECT_EQ(Keys(bytes, {L"CQeLayoutElement", L"AreaRestriction"}),
            (Keys_t{L"dLeaveEdge", L"dLeaveCenter", L"uiPointCount", L"pPolygonRest"}));
  CQeLiteVariantR reader(bytes);
  CQeLayoutElement loaded;
  ASSERT_EQ(loaded.LoadFromLiteVariant(reader), eQeOk);
  EXPECT_TRUE(loaded.EqualElement(element, false));
  EXPECT_EQ(loaded.GetRestrictionPolygon(), element.GetRestrictionPolygon());
}

TEST(LayoutElementStorage, DistancesAloneSaveNoPointCountAndLoadWithFailure) {
  CQeLayoutElement element;
  element.SetRestrictionEdge(300);
  element.SetRestrictionCenter(40);
  const CQeByteArray bytes = Save(element);
  EXPECT_EQ(Keys(bytes, {L"CQeLayoutElement"}), Keys_t{L"AreaRestriction"});
  EXPECT_EQ(Keys(bytes, {L"CQeLayoutElement", L"AreaRestriction"}),
            (Keys_t{L"dLeaveEdge", L"dLeaveCenter"}));
  CQeLiteVariantR reader(bytes);
  CQeLayoutElement loaded;
  loaded.SetRestrictionPolygon({{1, 1}});
  EXPECT_EQ(loaded.LoadFromLiteVariant(reader), eQeFailed);
  EXPECT_EQ(loaded.GetRestrictionEdge() + loaded.GetRestrictionCenter(), 340);
}

TEST(WellplateStorage, KeysInStoredOrderAndLoadsBackEqual) {
  CQeWellplate plate = Plate384();
  plate.SetCompanyName(L"O'Brien \"Labs\" 100% \u00b5Clear");
  const CQeByteArray bytes = Save(plate);
  EXPECT_EQ(Keys(bytes, {}), Keys_t{L"CQeWellplate"});
  EXPECT_EQ(
      Keys(bytes, {L"CQeWellplate"}),
      (Keys_t{L"wsUuid", L"wsCompanyName", L"wsTypeName", L"wsModelName", L"eNamingMode",
              L"eXNamingType", L"eYNamingType", L"CQeLayoutElement", L"SQeShape", L"dXWellOffset",
              L"dYWellOffset", L"uiXCount", L"uiYCount", L"dXDistance", L"dYDistance"}));
  // Columns are x, rows y.
  CQeLiteVariantR reader(bytes);
  ASSERT_EQ(reader.LevelBegin(L"CQeWellplate"), eQeOk);
  EXPECT_EQ(reader.Get(L"uiXCount", uint32_t{0}), 24u);
  CQeLiteVariantR again(bytes);
  CQeWellplate loaded;
  ASSERT_EQ(loaded.LoadFromLiteVariant(again), eQeOk);
  EXPECT_TRUE(loaded.EqualWellplate(plate));  // names included
}

TEST(WellplateStorage, LoadWithUuidTakesNamesAndUserFlagFromTheCaller) {
  const CQeByteArray bytes = Save(Plate384());
  CQeLiteVariantR reader(bytes);
  CQeWellplate loaded;
  ASSERT_EQ(loaded.LoadFromLiteVariantWithUuid(reader, L"0123", L"Custom wellplates", nullptr,
                                               L"Mine", 1),
            eQeOk);
  EXPECT_EQ(loaded.GetUuid() + L"/" + loaded.GetCompanyName() + L"/" + loaded.GetTypeName() + L"/" +
                loaded.GetModelName(),
            L"0123/Custom wellplates//Mine");
  EXPECT_EQ(loaded.GetUserFlag(), 1);
  // A user-made plate is never similar, not even to its own geometry.
  EXPECT_FALSE(loaded.SimilarWellplate(Plate384(), 100));
  EXPECT_FALSE(Plate384().SimilarWellplate(loaded, 100));
}

TEST(SingleElementHolderStorage, KeysAndRoundTrip) {
  const Rect sticker(-37500, -12500, -20000, 12500);
  CQeLayoutElement element(SQeShape(22000, 22000));
  element.SetRestrictionCenter(1000);
  const CQeSingleElementHolder slide(L"dc7931f0f49b467cb823307c64aef21b", L"75x25 mm + sticker",
                                     L"", L"", element, SQeShape(75000, 25000), &sticker);
  const CQeByteArray bytes = Save(slide);
  EXPECT_EQ(Keys(bytes, {L"CQeSingleElementHolder"}),
            (Keys_t{L"wsUuid", L"wsCompanyName", L"wsTypeName", L"wsModelName", L"CQeLayoutElement",
                    L"SQeShape", L"dStickerL", L"dStickerT", L"dStickerR", L"dStickerB"}));
  CQeLiteVariantR reader(bytes);
  CQeSingleElementHolder loaded;
  ASSERT_EQ(loaded.LoadFromLiteVariant(reader), eQeOk);
  EXPECT_TRUE(loaded.EqualElement(slide));
  EXPECT_TRUE(loaded.GetLayoutElement().EqualElement(element, false));
  // A plate's bytes are no holder: nothing changes.
  CQeLiteVariantR plate_reader(Save(Plate384()));
  EXPECT_EQ(loaded.LoadFromLiteVariant(plate_reader), eQeFailed);
  EXPECT_TRUE(loaded.EqualElement(slide));
}

// Truncated bytes must give a status, never a crash or a read outside the
// buffer (run under the address sanitizer in CI).
TEST(HolderStorage, TruncatedBytesFailCleanly) {
  CQeLayoutElement well(SQeShape({{0, 0}, {10, 0}, {10, 10}}));
  well.SetRestrictionPolygon({{0, 0}, {5, 0}, {5, 5}, {0, 5}});
  CQeWellplate plate = Plate384();
  plate.SetWell(well);
  const CQeByteArray bytes = Save(plate);
  ASSERT_GT(bytes.GetSize(), 16);
  for (int size = 0; size < bytes.GetSize(); ++size) {
    CQeLiteVariantR reader(bytes.GetData(), size);
    CQeWellplate loaded;
    EXPECT_EQ(loaded.LoadFromLiteVariant(reader), eQeFailed) << size;
    EXPECT_TRUE(loaded.IsEmpty());
  }
}

}  // namespace
