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
  const SQeShape shapes[] = {SQeShape(), circle, SQeShape(1700, 900), SQeShape(1700, 900, 120),
                             SQeShape({{0, 0}, {4000, 1000}, {1000, 3000}, {-2, -2}})};
  const Keys_t keys[] = {
      {L"eType"},
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
  const CQeByteArray polygon = Save(shapes[4]);
  EXPECT_EQ(Keys(polygon, {L"SQeShape", L"pPolygonRest"}), Keys_t(4, L"<unnamed>"));
}

// A missing level fails and changes nothing; stored points are appended, and
// a point count beyond the points stored reads what is there.
TEST(ShapeStorage, MissingLevelPointsAppendedAndOverstatedCounts) {
  CQeLiteVariantR empty;
  SQeShape shape(5);
  EXPECT_EQ(shape.LoadFromLiteVariant(empty), eQeFailed);
  EXPECT_TRUE(shape == SQeShape(5));
  CQeLiteVariantR reader(Save(SQeShape({{0, 0}, {1, 0}, {0, 1}})));
  SQeShape loaded({{9, 9}});
  ASSERT_EQ(loaded.LoadFromLiteVariant(reader), eQeOk);
  EXPECT_EQ(loaded.vectPoints, (std::vector<Point>{{9, 9}, {0, 0}, {1, 0}, {0, 1}}));

  CQeLiteVariantW writer;
  writer.LevelBegin(L"SQeShape");
  writer.Set(int32_t{4}, L"eType");
  writer.Set(int32_t{2000000000}, L"iPointCount");
  writer.LevelBegin(L"pPolygonRest");
  for (int i = 0; i < 3; ++i) {
    writer.LevelBegin();
    writer.Set(double(i), L"dX");  // no "dY": it reads 0
    writer.LevelEnd();
  }
  writer.LevelEnd();
  writer.LevelEnd();
  CQeLiteVariantR overstated;
  ASSERT_EQ(writer.Finalize(overstated), eQeOk);
  SQeShape three;
  ASSERT_EQ(three.LoadFromLiteVariant(overstated), eQeOk);
  EXPECT_EQ(three.vectPoints, (std::vector<Point>{{0, 0}, {1, 0}, {2, 0}}));
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
  EXPECT_EQ(loaded.GetRestrictionEdge(), 300);
  EXPECT_EQ(loaded.GetRestrictionCenter(), 40);
  EXPECT_TRUE(loaded.GetRestrictionPolygon().empty());
  // An empty element writes an empty level, which loads with failure too.
  const CQeByteArray empty = Save(CQeLayoutElement());
  EXPECT_EQ(Keys(empty, {L"CQeLayoutElement"}), Keys_t{});
  CQeLiteVariantR empty_reader(empty);
  EXPECT_EQ(loaded.LoadFromLiteVariant(empty_reader), eQeFailed);
  CQeLiteVariantR nothing;
  EXPECT_EQ(loaded.LoadFromLiteVariant(nothing), eQeFailed);
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
  EXPECT_EQ(reader.Get(L"eYNamingType", int32_t{-1}), eQeNamingLetters);
  EXPECT_EQ(reader.Get(L"uiXCount", uint32_t{0}), 24u);
  CQeLiteVariantR again(bytes);
  CQeWellplate loaded;
  ASSERT_EQ(loaded.LoadFromLiteVariant(again), eQeOk);
  EXPECT_TRUE(loaded.EqualWellplate(plate));  // names included
  EXPECT_EQ(loaded.GetUuid(), plate.GetUuid());
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
  EXPECT_FALSE(loaded.EqualWellplate(Plate384()));
}

TEST(WellplateStorage, MissingLevelChangesNothingAbsentValuesReadAsDefaults) {
  CQeWellplate unchanged = Plate384();
  CQeLiteVariantR dish(Save(CQeSingleElementHolder()));
  EXPECT_EQ(unchanged.LoadFromLiteVariant(dish), eQeFailed);
  EXPECT_EQ(unchanged.LoadFromLiteVariantWithUuid(dish, L"x", L"y", L"z", L"w", 1), eQeFailed);
  EXPECT_TRUE(unchanged.EqualWellplate(Plate384()));
  EXPECT_EQ(unchanged.GetUuid(), Plate384().GetUuid());

  CQeLiteVariantW writer;
  writer.LevelBegin(L"CQeWellplate");
  writer.Set(L"only a model", L"wsModelName");
  writer.Set(uint32_t{5}, L"uiYCount");  // no column count: the grid is empty
  writer.Set(L"not a number", L"dXDistance");
  writer.LevelEnd();
  CQeLiteVariantR reader;
  ASSERT_EQ(writer.Finalize(reader), eQeOk);
  CQeWellplate plate = Plate384();
  ASSERT_EQ(plate.LoadFromLiteVariant(reader), eQeOk);
  EXPECT_EQ(plate.GetUuid(), L"");
  EXPECT_EQ(plate.GetModelName(), L"only a model");
  EXPECT_TRUE(plate.IsEmpty());
  EXPECT_FALSE(plate.HasShape());
  EXPECT_FALSE(plate.GetWell().HasActiveArea());
  double dx = -1;
  plate.GetDistance(&dx, nullptr);
  EXPECT_EQ(dx, 0);
  EXPECT_EQ(plate.GetElementNaming().eNamingMode, eQeNamingModeDownColumns);
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
  EXPECT_EQ(loaded.GetStickerRect(), sticker);
  // A plate's bytes are no holder: nothing changes.
  CQeLiteVariantR plate_reader(Save(Plate384()));
  EXPECT_EQ(loaded.LoadFromLiteVariant(plate_reader), eQeFailed);
  EXPECT_TRUE(loaded.EqualElement(slide));
}

// Truncated or damaged bytes must give a status, never a crash or a read
// outside the buffer (run under the address sanitizer in CI).
TEST(HolderStorage, CorruptAndTruncatedBytesFailCleanly) {
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
  // A change the format cannot notice still loads something usable.
  for (int at = 0; at < bytes.GetSize(); ++at) {
    CQeByteArray damaged = bytes;
    damaged.GetData()[at] ^= 0x5a;
    CQeLiteVariantR reader(damaged);
    CQeWellplate loaded;
    const int status = loaded.LoadFromLiteVariant(reader);
    EXPECT_TRUE(status == eQeOk || status == eQeFailed) << at;
    loaded.GetHumanReadableDesc();
  }
  CQeLiteVariantR garbage(reinterpret_cast<const uint8_t*>("not a variant"), 13);
  SQeShape shape;
  EXPECT_EQ(shape.LoadFromLiteVariant(garbage), eQeFailed);
  CQeLayoutElement element;
  EXPECT_EQ(element.LoadFromLiteVariant(garbage), eQeFailed);
  CQeSingleElementHolder holder;
  EXPECT_EQ(holder.LoadFromLiteVariant(garbage), eQeFailed);
}

}  // namespace
