#include <gtest/gtest.h>

#include <memory>
#include <utility>

#include "qe/core/status.h"
#include "qe/labware/single_element_holder.h"
#include "qe/labware/wellplate.h"

namespace {

using Rect = CQeRectBase<double>;
using XY = std::pair<double, double>;

// The standard 96-well plate of the built-in catalogue.
CQeWellplate Plate96() {
  return CQeWellplate(L"89399cb293be4e2e90ba805bff7a9326", L"Corning Inc.", L"Costar", L"3368",
                      eQeNamingModeRowColumn, eQeNamingLetters, eQeNamingNumbers, 12, 8, 9000, 9000,
                      127760, 85470, 14380, 11240, CQeLayoutElement(SQeShape(2285)));
}

TEST(Wellplate, FullConstructorPutsTheFirstWellAtTheOrigin) {
  const CQeWellplate plate = Plate96();
  double x = -1, y = -1;
  ASSERT_EQ(plate.GetElementPosition(&x, &y, 0u, 0u), eQeOk);
  EXPECT_EQ(XY(x, y), XY(0, 0));
  ASSERT_EQ(plate.GetElementPosition(&x, &y, 7u, 11u), eQeOk);
  EXPECT_EQ(XY(x, y), XY(11 * 9000, 7 * 9000));
  ASSERT_EQ(plate.GetElementPosition(&x, &y, 13u), eQeOk);  // B02
  EXPECT_EQ(XY(x, y), XY(9000, 9000));
  SQeShape outline;
  ASSERT_EQ(plate.GetShape(outline), eQeOk);
  EXPECT_EQ(outline.rect, Rect(-14380, -11240, 127760 - 14380, 85470 - 11240));
  EXPECT_EQ(plate.GetElementCount(), 96u);
  Rect wells;
  ASSERT_EQ(plate.GetElementBoundRect(wells), eQeOk);
  EXPECT_EQ(wells, Rect(-2285, -2285, 11 * 9000 + 2285, 7 * 9000 + 2285));
  // A negative size still gives an ordered outline.
  const CQeWellplate odd(L"u", eQeNamingModeAlongRows, eQeNamingNumbers, eQeNamingNumbers, 2, 1,
                         100, 100, -500, 300, 100, 50, CQeLayoutElement(SQeShape(10)));
  ASSERT_EQ(odd.GetShape(outline), eQeOk);
  EXPECT_EQ(outline.rect, Rect(-600, -50, -100, 250));
}

TEST(Wellplate, OutOfRangePositionsLeaveOutputsUntouched) {
  const CQeWellplate plate = Plate96();
  double x = 42, y = 43;
  EXPECT_EQ(plate.GetElementPosition(&x, &y, 0u, 12u), eQeNotFound);
  EXPECT_EQ(plate.GetElementPosition(&x, &y, 8u, 0u), eQeNotFound);
  EXPECT_EQ(plate.GetElementPosition(&x, &y, 96u), eQeNotFound);
  EXPECT_EQ(XY(x, y), XY(42, 43));
  EXPECT_EQ(plate.GetElementPosition(nullptr, &y, 1u, 1u), eQeOk);  // null outputs are allowed
  EXPECT_EQ(y, 9000);
  EXPECT_EQ(plate.GetElement(95), &plate.GetWell());
  EXPECT_EQ(plate.GetElement(96), nullptr);

  const CQeWellplateEditable editable(plate);
  ASSERT_EQ(editable.GetElemPosition(&x, &y, 7, 11), eQeOk);  // without the offsets
  EXPECT_EQ(XY(x, y), XY(-14380 + 11 * 9000, -11240 + 7 * 9000));
  x = y = 5;
  EXPECT_EQ(editable.GetElemPosition(&x, &y, 8, 0), eQeNotFound);
  EXPECT_EQ(XY(x, y), XY(5, 5));
}

TEST(Wellplate, SetElementCountWithAZeroEmptiesTheGrid) {
  CQeWellplate plate = Plate96();
  EXPECT_EQ(plate.SetElementCount(0, 12), eQeFailed);
  uint32_t rows = 9, cols = 9;
  plate.GetElementCount(&rows, &cols);
  EXPECT_EQ(rows + cols, 0u);
  EXPECT_TRUE(plate.IsEmpty());
  EXPECT_EQ(plate.GetElement(0), nullptr);
  EXPECT_EQ(plate.GetElementName(0), L"");
}

TEST(Wellplate, ElementNamesByPartAndIndex) {
  CQeWellplate plate = Plate96();
  EXPECT_EQ(plate.GetElementName(0), L"A1");
  EXPECT_EQ(plate.GetElementName(95), L"H12");
  EXPECT_EQ(plate.GetElementName(96), L"");
  EXPECT_EQ(plate.GetElementName(7, 11, 0), L"H");
  EXPECT_EQ(plate.GetElementName(7, 11, 1), L"12");
  EXPECT_EQ(plate.GetElementName(7, 11, 3), L"");
  EXPECT_EQ(plate.GetElementName(8, 0, 2), L"");
  plate.SetNamingCompression(false);
  EXPECT_EQ(plate.GetElementName(0, 2), L"A01");
  EXPECT_EQ(plate.GetElementIndex(L"H,12"), 95);
  // Running-number modes ignore the part selector.
  plate.SetNaming(eQeNamingModeAlongRows, eQeNamingNumbers, eQeNamingNumbers);
  EXPECT_EQ(plate.GetElementName(1, 0, 0), L"13");
  EXPECT_EQ(plate.GetElementName(1, 0, 7), L"13");
}

TEST(Wellplate, EqualityIgnoresOnlyTheUuidAndSimilarityHasATolerance) {
  const CQeWellplate a = Plate96();
  CQeWellplate b = Plate96();
  b.SetUuid(L"another");
  EXPECT_TRUE(a.EqualWellplate(b));
  b.SetModelName(L"3369");
  EXPECT_FALSE(a.EqualWellplate(b));
  EXPECT_TRUE(a.SimilarWellplate(b, 1));  // names do not count
  b.SetDistance(9050, 9000);
  EXPECT_FALSE(a.EqualWellplate(b));
  EXPECT_TRUE(a.SimilarWellplate(b, 100));
  EXPECT_FALSE(a.SimilarWellplate(b, 50));
  b = Plate96();
  CQeLayoutElement well(SQeShape(2285));
  well.SetRestrictionEdge(100);  // wells compare as shapes only
  b.SetWell(well);
  EXPECT_TRUE(a.EqualWellplate(b));
  b.SetWell(CQeLayoutElement(SQeShape(2285 + 99)));
  EXPECT_TRUE(a.SimilarWellplate(b, 100));
  b.SetWell(CQeLayoutElement(SQeShape(4570, 4570)));
  EXPECT_FALSE(a.SimilarWellplate(b, 100000));
  b = Plate96();
  b.SetElementCount(8, 11);
  EXPECT_FALSE(a.SimilarWellplate(b, 100));
  // Rounded wells are never similar, not even to themselves.
  b.SetWell(CQeLayoutElement(SQeShape(3000, 3000, 200)));
  EXPECT_FALSE(b.SimilarWellplate(b, 100));
}

TEST(Wellplate, DescriptionListsNamesCountAndWell) {
  EXPECT_EQ(Plate96().GetHumanReadableDesc(),
            L"Company: Corning Inc., Type: Costar, Model: 3368\r\n"
            L"Well count: 96,Working Area: radius 2.3 mm");
  CQeWellplate plate = Plate96();
  plate.SetCompanyName(L"");
  plate.SetModelName(L"");
  EXPECT_EQ(plate.GetHumanReadableDesc(),
            L"Type: Costar\r\nWell count: 96,Working Area: radius 2.3 mm");
}

TEST(Wellplate, InterfaceQueriesAndCopies) {
  CQeWellplateEditable editable(Plate96());
  IQeElementHolder* holder = &editable;
  EXPECT_EQ(holder->GetInterface(L"CQeWellplate"), holder);
  EXPECT_EQ(holder->GetInterface(L"CQeWellplateEditable"), holder);
  EXPECT_EQ(holder->GetInterface(L"CQeSingleElementHolder"), nullptr);
  EXPECT_EQ(Plate96().GetInterface(L"CQeWellplateEditable"), nullptr);
  IQeElementHolder* copy = holder->Copy();
  ASSERT_NE(copy->GetInterface(L"CQeWellplateEditable"), nullptr);  // copies keep their class
  auto* copied = static_cast<CQeWellplate*>(copy->GetInterface(L"CQeWellplate"));
  EXPECT_TRUE(copied->EqualWellplate(editable));
  EXPECT_EQ(copied->GetUuid(), editable.GetUuid());
  copy->Delete();
  Rect sticker;
  EXPECT_EQ(holder->GetSticker(sticker), eQeNotFound);
  EXPECT_EQ(holder->SetSticker(sticker), eQeNotFound);
}

CQeSingleElementHolder StickerSlide() {
  const Rect sticker(-37500, -12500, -20000, 12500);
  return CQeSingleElementHolder(L"dc7931f0f49b467cb823307c64aef21b", L"75x25 mm + sticker", L"",
                                L"", CQeLayoutElement(SQeShape(22000, 22000)),
                                SQeShape(75000, 25000), &sticker);
}

const CQeSingleElementHolder kDish(L"u", L"Mattek", L"Glass Bottom Dish", L"P35G-0-7-C",
                                   CQeLayoutElement(SQeShape(3500)), nullptr);

TEST(SingleElementHolder, OneElementAtTheOriginNamedByTheCompany) {
  const CQeSingleElementHolder slide = StickerSlide();
  double x = 7, y = 7;
  EXPECT_EQ(slide.GetElementPosition(&x, &y, 1), eQeNotFound);
  EXPECT_EQ(XY(x, y), XY(7, 7));
  ASSERT_EQ(slide.GetElementPosition(&x, &y, 0), eQeOk);
  EXPECT_EQ(XY(x, y), XY(0, 0));
  EXPECT_EQ(slide.GetElementName(0), L"75x25 mm + sticker");
  EXPECT_EQ(slide.GetElementName(1), L"");
  EXPECT_EQ(slide.GetElement(1), nullptr);
  Rect bound;
  ASSERT_EQ(slide.GetElementBoundRect(bound), eQeOk);
  EXPECT_EQ(bound, Rect(-11000, -11000, 11000, 11000));
  EXPECT_TRUE(CQeSingleElementHolder().IsEmpty());
  EXPECT_EQ(slide.GetHumanReadableDesc(),
            L"Company: 75x25 mm + sticker\r\n"
            L"Surround Area: width 75.0 mm, height 25.0 mm,"
            L"Working Area: width 22.0 mm, height 22.0 mm");
  EXPECT_EQ(kDish.GetHumanReadableDesc(),
            L"Company: Mattek, Type: Glass Bottom Dish, Model: P35G-0-7-C\r\n"
            L"Working Area: radius 3.5 mm");
  EXPECT_FALSE(kDish.HasShape());
}

TEST(SingleElementHolder, ZeroWidthOrHeightStickerIsNoSticker) {
  CQeSingleElementHolder slide = StickerSlide();
  Rect sticker;
  ASSERT_EQ(slide.GetSticker(sticker), eQeOk);
  EXPECT_EQ(sticker, Rect(-37500, -12500, -20000, 12500));
  for (const Rect& none : {Rect(5, 0, 5, 100), Rect(0, 5, 100, 5)}) {
    slide.SetSticker(none);
    EXPECT_EQ(slide.GetSticker(sticker), eQeNotFound);
  }
  EXPECT_EQ(sticker, Rect(-37500, -12500, -20000, 12500));  // untouched
  EXPECT_EQ(kDish.GetSticker(sticker), eQeNotFound);
}

TEST(SingleElementHolder, EqualityAndSimilarity) {
  const CQeSingleElementHolder a = StickerSlide();
  CQeSingleElementHolder b = StickerSlide();
  EXPECT_TRUE(a.EqualElement(b));
  b.SetUuid(L"other");
  EXPECT_FALSE(a.EqualElement(b));
  EXPECT_TRUE(a.SimilarSingleElementHolder(b, 1));
  b = StickerSlide();
  b.SetShape(SQeShape(75040, 25000));
  EXPECT_FALSE(a.EqualElement(b));
  EXPECT_TRUE(a.SimilarSingleElementHolder(b, 50));
  EXPECT_FALSE(a.SimilarSingleElementHolder(b, 20));
  b.SetShape(SQeShape(37500));
  EXPECT_FALSE(a.SimilarSingleElementHolder(b, 1e9));
  std::unique_ptr<CQeSingleElementHolder> copy(a.Copy());
  EXPECT_TRUE(copy->EqualElement(a));
  EXPECT_EQ(copy->GetInterface(L"CQeSingleElementHolder"), copy.get());
  EXPECT_EQ(copy->GetInterface(L"CQeWellplate"), nullptr);
}

}  // namespace
