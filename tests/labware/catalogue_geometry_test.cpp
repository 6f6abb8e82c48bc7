// The built-in catalogue's geometry: every plate, dish and slide is a
// sensible object that survives its stored form.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <utility>

#include "qe/core/lite_variant.h"
#include "qe/core/status.h"
#include "qe/labware/insert_object_database.h"

namespace {

using Db = CQeInsertObjectDatabase;
using Rect = CQeRectBase<double>;

class CatalogueGeometry : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_EQ(Db::Init(), eQeOk); }
};

bool Contains(const Rect& outer, const Rect& inner) {
  return outer.left <= inner.left && outer.top <= inner.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

// The bounding rectangle of the well at (row, col).
Rect WellRect(const CQeWellplate& plate, uint32_t row, uint32_t col) {
  double x = 0, y = 0;
  EXPECT_EQ(plate.GetElementPosition(&x, &y, row, col), eQeOk);
  Rect bound;
  EXPECT_EQ(plate.GetWell().GetBoundRect(bound), eQeOk);
  return Rect(x + bound.left, y + bound.top, x + bound.right, y + bound.bottom);
}

TEST_F(CatalogueGeometry, LayoutsAndTheirNaming) {
  std::map<std::pair<uint32_t, uint32_t>, int> layouts;
  for (const auto& config : Db::m_vectWellplateConfigs) {
    const CQeWellplate& plate = config.wellplate;
    uint32_t rows = 0, cols = 0;
    plate.GetElementCount(&rows, &cols);
    ++layouts[{cols, rows}];
    EQeElementNamingMode mode;
    EQeElementNamingType row_type, col_type;
    plate.GetNaming(&mode, &row_type, &col_type);
    SCOPED_TRACE(plate.GetUuid().str());
    if (cols * rows <= 8) {  // the six-well plate and the chamber slide
      EXPECT_EQ(mode, eQeNamingModeAlongRows);
      EXPECT_EQ(row_type, eQeNamingNumbers);
      EXPECT_EQ(col_type, eQeNamingNumbers);
    } else {
      EXPECT_EQ(mode, eQeNamingModeRowColumn);
      EXPECT_NE(row_type, eQeNamingNumbers);
      EXPECT_EQ(col_type, eQeNamingNumbers);
    }
  }
  const std::map<std::pair<uint32_t, uint32_t>, int> expected = {
      {{12, 8}, 23}, {{24, 16}, 15}, {{48, 32}, 8}, {{6, 4}, 2},
      {{4, 3}, 1},   {{8, 6}, 1},    {{3, 2}, 1},   {{4, 2}, 1},
  };
  EXPECT_EQ(layouts, expected);
}

TEST_F(CatalogueGeometry, EveryWellLiesInsideItsPlate) {
  for (const auto& config : Db::m_vectWellplateConfigs) {
    const CQeWellplate& plate = config.wellplate;
    SCOPED_TRACE(plate.GetUuid().str());
    SQeShape outline;
    ASSERT_EQ(plate.GetShape(outline), eQeOk);
    ASSERT_EQ(outline.eType, eQeShapeRectangle);
    uint32_t rows = 0, cols = 0;
    plate.GetElementCount(&rows, &cols);
    // The grid is regular, so the four corner wells bound all the others.
    for (uint32_t row : {0u, rows - 1}) {
      for (uint32_t col : {0u, cols - 1}) {
        EXPECT_TRUE(Contains(outline.rect, WellRect(plate, row, col))) << row << "," << col;
      }
    }
    Rect wells;
    ASSERT_EQ(plate.GetElementBoundRect(wells), eQeOk);
    EXPECT_TRUE(Contains(outline.rect, wells));
  }
}

TEST_F(CatalogueGeometry, NeighbouringWellsDoNotTouch) {
  for (const auto& config : Db::m_vectWellplateConfigs) {
    const CQeWellplate& plate = config.wellplate;
    SCOPED_TRACE(plate.GetUuid().str());
    double pitch_x = 0, pitch_y = 0;
    plate.GetDistance(&pitch_x, &pitch_y);
    const CQeLayoutElement& well = plate.GetWell();
    EXPECT_GT(well.Width(), 0);
    EXPECT_GT(well.Height(), 0);
    EXPECT_GT(pitch_x, well.Width());
    EXPECT_GT(pitch_y, well.Height());
  }
}

TEST_F(CatalogueGeometry, MicroplatesHaveTheStandardFootprint) {
  for (const auto& config : Db::m_vectWellplateConfigs) {
    const CQeWellplate& plate = config.wellplate;
    if (plate.GetElementCount() == 8) continue;  // the chamber slide
    SCOPED_TRACE(plate.GetUuid().str());
    SQeShape outline;
    ASSERT_EQ(plate.GetShape(outline), eQeOk);
    EXPECT_NEAR(outline.Width(), 127760, 50);
    EXPECT_NEAR(outline.Height(), 85480, 30);
    // The grid sits in the middle of the plate within a millimetre.
    Rect wells;
    ASSERT_EQ(plate.GetElementBoundRect(wells), eQeOk);
    EXPECT_NEAR(wells.left - outline.rect.left, outline.rect.right - wells.right, 1000);
    EXPECT_NEAR(wells.top - outline.rect.top, outline.rect.bottom - wells.bottom, 1000);
  }
}

TEST_F(CatalogueGeometry, NoTwoGeometriesAreTheSame) {
  const auto& configs = Db::m_vectWellplateConfigs;
  for (size_t i = 0; i < configs.size(); ++i) {
    for (size_t j = i + 1; j < configs.size(); ++j) {
      EXPECT_FALSE(configs[i].wellplate.SimilarWellplate(configs[j].wellplate, 1))
          << configs[i].wellplate.GetUuid().str() << " " << configs[j].wellplate.GetUuid().str();
    }
  }
  const auto& dishes = Db::m_vectDishConfigs;
  for (size_t i = 0; i < dishes.size(); ++i) {
    for (size_t j = i + 1; j < dishes.size(); ++j) {
      EXPECT_FALSE(dishes[i].holder.SimilarSingleElementHolder(dishes[j].holder, 1))
          << dishes[i].holder.GetUuid().str() << " " << dishes[j].holder.GetUuid().str();
    }
  }
}

TEST_F(CatalogueGeometry, DishAreasLieInsideTheirOutlines) {
  for (const auto& config : Db::m_vectDishConfigs) {
    const CQeSingleElementHolder& dish = config.holder;
    SCOPED_TRACE(dish.GetUuid().str());
    EXPECT_EQ(dish.GetCompanyName(), L"");
    Rect area;
    ASSERT_EQ(dish.GetElementBoundRect(area), eQeOk);
    EXPECT_GT(area.Width(), 5000);  // at least a 5 mm glass window
    SQeShape outline;
    if (dish.GetShape(outline) != eQeOk) {
      EXPECT_EQ(dish.GetLayoutElement().GetActiveArea().eType, eQeShapeRectangle);
      continue;
    }
    EXPECT_EQ(outline.eType, eQeShapeCircle);
    const double r = outline.dRadius;
    EXPECT_GE(r, 17500);
    EXPECT_LE(r, 75000);
    // Area and outline are concentric circles.
    EXPECT_LT(dish.GetLayoutElement().GetActiveArea().dRadius, r);
  }
}

TEST_F(CatalogueGeometry, SlideElementsAndStickersLieOnTheSlide) {
  for (const auto& slide : Db::m_vectSlides) {
    const CQeSingleElementHolder& holder = slide.holder;
    SCOPED_TRACE(holder.GetCompanyName().str());
    SQeShape outline;
    ASSERT_EQ(holder.GetShape(outline), eQeOk);
    Rect element;
    ASSERT_EQ(holder.GetElementBoundRect(element), eQeOk);
    EXPECT_TRUE(Contains(outline.rect, element));
    Rect sticker;
    if (holder.GetSticker(sticker) == eQeOk) {
      EXPECT_TRUE(Contains(outline.rect, sticker));
      // Sticker and working area do not overlap.
      EXPECT_LE(sticker.right, element.left);
    }
  }
}

TEST_F(CatalogueGeometry, EveryEntrySurvivesItsStoredForm) {
  for (const auto& config : Db::m_vectWellplateConfigs) {
    CQeLiteVariantW writer;
    ASSERT_EQ(config.wellplate.SaveToLiteVariant(writer), eQeOk);
    CQeLiteVariantR reader;
    ASSERT_EQ(writer.Finalize(reader), eQeOk);
    CQeWellplate loaded;
    ASSERT_EQ(loaded.LoadFromLiteVariant(reader), eQeOk);
    EXPECT_TRUE(loaded.EqualWellplate(config.wellplate)) << config.wellplate.GetUuid().str();
    EXPECT_EQ(loaded.GetUuid(), config.wellplate.GetUuid());
  }
  auto holder_round_trip = [](const CQeSingleElementHolder& holder) {
    CQeLiteVariantW writer;
    ASSERT_EQ(holder.SaveToLiteVariant(writer), eQeOk);
    CQeLiteVariantR reader;
    ASSERT_EQ(writer.Finalize(reader), eQeOk);
    CQeSingleElementHolder loaded;
    ASSERT_EQ(loaded.LoadFromLiteVariant(reader), eQeOk);
    EXPECT_TRUE(loaded.EqualElement(holder)) << holder.GetUuid().str();
    EXPECT_EQ(loaded.GetStickerRect(), holder.GetStickerRect());
  };
  for (const auto& config : Db::m_vectDishConfigs) holder_round_trip(config.holder);
  for (const auto& slide : Db::m_vectSlides) holder_round_trip(slide.holder);
}

}  // namespace
