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

TEST(Wellplate, PositionsOutlineAndDescription) {
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
  EXPECT_EQ(plate.GetHumanReadableDesc(),
            L"Company: Corning Inc., Type: Costar, Model: 3368\r\n"
            L"Well count: 96,Working Area: radius 2.3 mm");
}

TEST(Wellplate, OutOfRangePositionsLeaveOutputsUntouched) {
  const CQeWellplate plate = Plate96();
  double x = 42, y = 43;
  EXPECT_EQ(plate.GetElementPosition(&x, &y, 0u, 12u), eQeNotFound);
  EXPECT_EQ(plate.GetElementPosition(&x, &y, 8u, 0u), eQeNotFound);
  EXPECT_EQ(plate.GetElementPosition(&x, &y, 96u), eQeNotFound);
  EXPECT_EQ(XY(x, y), XY(42, 43));
  EXPECT_EQ(plate.GetElement(96), nullptr);
  const CQeWellplateEditable editable(plate);
  EXPECT_EQ(editable.GetElemPosition(&x, &y, 8, 0), eQeNotFound);
  EXPECT_EQ(XY(x, y), XY(42, 43));
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
  EXPECT_TRUE(a.SimilarWellplate(b, 100));
  EXPECT_FALSE(a.SimilarWellplate(b, 50));
  b = Plate96();
  b.SetElementCount(8, 11);
  EXPECT_FALSE(a.SimilarWellplate(b, 100));
  // Rounded wells are never similar, not even to themselves.
  b.SetWell(CQeLayoutElement(SQeShape(3000, 3000, 200)));
  EXPECT_FALSE(b.SimilarWellplate(b, 100));
}

CQeSingleElementHolder StickerSlide() {
  const Rect sticker(-37500, -12500, -20000, 12500);
  return CQeSingleElementHolder(L"dc7931f0f49b467cb823307c64aef21b", L"75x25 mm + sticker", L"",
                                L"", CQeLayoutElement(SQeShape(22000, 22000)),
                                SQeShape(75000, 25000), &sticker);
}

TEST(SingleElementHolder, OneElementAtTheOriginNamedByTheCompany) {
  const CQeSingleElementHolder slide = StickerSlide();
  double x = 7, y = 7;
  EXPECT_EQ(slide.GetElementPosition(&x, &y, 1), eQeNotFound);
  EXPECT_EQ(XY(x, y), XY(7, 7));
  ASSERT_EQ(slide.GetElementPosition(&x, &y, 0), eQeOk);
  EXPECT_EQ(XY(x, y), XY(0, 0));
  EXPECT_EQ(slide.GetElementName(0), L"75x25 mm + sticker");
}

TEST(SingleElementHolder, EqualitySimilarityAndCopies) {
  const CQeSingleElementHolder a = StickerSlide();
  CQeSingleElementHolder b = StickerSlide();
  b.SetUuid(L"other");
  EXPECT_FALSE(a.EqualElement(b));
  EXPECT_TRUE(a.SimilarSingleElementHolder(b, 1));
  b.SetShape(SQeShape(75040, 25000));
  EXPECT_TRUE(a.SimilarSingleElementHolder(b, 50));
  EXPECT_FALSE(a.SimilarSingleElementHolder(b, 20));
  std::unique_ptr<CQeSingleElementHolder> copy(a.Copy());
  EXPECT_TRUE(copy->EqualElement(a));
  EXPECT_EQ(copy->GetInterface(L"CQeWellplate"), nullptr);
}

}  // namespace
