// The built-in catalogue's geometry: every plate, dish and slide is a
// sensible object that survives its stored form.
#include <gtest/gtest.h>

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

TEST_F(CatalogueGeometry, EveryPlateIsASoundGrid) {
  std::map<std::pair<uint32_t, uint32_t>, int> layouts;
  for (const auto& config : Db::m_vectWellplateConfigs) {
    const CQeWellplate& plate = config.wellplate;
    SCOPED_TRACE(plate.GetUuid().ToUtf8());
    uint32_t rows = 0, cols = 0;
    plate.GetElementCount(&rows, &cols);
    ++layouts[{cols, rows}];
    EQeElementNamingMode mode;
    EQeElementNamingType row_type, col_type;
    plate.GetNaming(&mode, &row_type, &col_type);
    const bool numbered = cols * rows <= 8;  // the six-well plate and the chamber slide
    EXPECT_EQ(mode, numbered ? eQeNamingModeAlongRows : eQeNamingModeRowColumn);
    EXPECT_EQ(row_type, numbered ? eQeNamingNumbers : eQeNamingLetters);
    EXPECT_EQ(col_type, eQeNamingNumbers);

    // Every well inside the outline: the grid is regular, so the corner wells
    // bound the others.
    SQeShape outline;
    ASSERT_EQ(plate.GetShape(outline), eQeOk);
    Rect well;
    ASSERT_EQ(plate.GetWell().GetBoundRect(well), eQeOk);
    for (uint32_t row : {0u, rows - 1}) {
      for (uint32_t col : {0u, cols - 1}) {
        double x = 0, y = 0;
        ASSERT_EQ(plate.GetElementPosition(&x, &y, row, col), eQeOk);
        EXPECT_TRUE(Contains(outline.rect,
                             Rect(x + well.left, y + well.top, x + well.right, y + well.bottom)));
      }
    }
    // Neighbours do not touch.
    double pitch_x = 0, pitch_y = 0;
    plate.GetDistance(&pitch_x, &pitch_y);
    EXPECT_GT(well.Width(), 0);
    EXPECT_GT(pitch_x, well.Width());
    EXPECT_GT(pitch_y, well.Height());
    if (cols * rows == 8) continue;
    // Microplates: the standard footprint, the grid in its middle.
    EXPECT_NEAR(outline.Width(), 127760, 50);
    EXPECT_NEAR(outline.Height(), 85480, 30);
    Rect wells;
    ASSERT_EQ(plate.GetElementBoundRect(wells), eQeOk);
    EXPECT_NEAR(wells.left - outline.rect.left, outline.rect.right - wells.right, 1000);
    EXPECT_NEAR(wells.top - outline.rect.top, outline.rect.bottom - wells.bottom, 1000);
  }
  const std::map<std::pair<uint32_t, uint32_t>, int> expected = {
      {{12, 8}, 23}, {{24, 16}, 15}, {{48, 32}, 8}, {{6, 4}, 2},
      {{4, 3}, 1},   {{8, 6}, 1},    {{3, 2}, 1},   {{4, 2}, 1}};
  EXPECT_EQ(layouts, expected);
}

TEST_F(CatalogueGeometry, NoTwoGeometriesAreAlike) {
  const auto& plates = Db::m_vectWellplateConfigs;
  for (size_t i = 0; i < plates.size(); ++i) {
    for (size_t j = i + 1; j < plates.size(); ++j) {
      EXPECT_FALSE(plates[i].wellplate.SimilarWellplate(plates[j].wellplate, 1)) << i << " " << j;
    }
  }
  const auto& dishes = Db::m_vectDishConfigs;
  for (size_t i = 0; i < dishes.size(); ++i) {
    for (size_t j = i + 1; j < dishes.size(); ++j) {
      EXPECT_FALSE(dishes[i].holder.SimilarSingleElementHolder(dishes[j].holder, 1))
          << i << " " << j;
    }
  }
}

TEST_F(CatalogueGeometry, DishAndSlideAreasLieInsideTheirOutlines) {
  for (const auto& config : Db::m_vectDishConfigs) {
    const CQeSingleElementHolder& dish = config.holder;
    const SQeShape& area = dish.GetLayoutElement().GetActiveArea();
    SQeShape outline;
    if (dish.GetShape(outline) != eQeOk) {  // the square dish has no round outline
      EXPECT_EQ(area.eType, eQeShapeRectangle);
      continue;
    }
    EXPECT_EQ(outline.eType, eQeShapeCircle);
    EXPECT_GE(area.dRadius, 3500);  // concentric circles
    EXPECT_LT(area.dRadius, outline.dRadius);
  }
  for (const auto& slide : Db::m_vectSlides) {
    SQeShape outline;
    ASSERT_EQ(slide.holder.GetShape(outline), eQeOk);
    Rect element, sticker;
    ASSERT_EQ(slide.holder.GetElementBoundRect(element), eQeOk);
    EXPECT_TRUE(Contains(outline.rect, element));
    if (slide.holder.GetSticker(sticker) == eQeOk) {
      EXPECT_TRUE(Contains(outline.rect, sticker));
      EXPECT_LE(sticker.right, element.left);  // the sticker leaves the working area free
    }
  }
}

TEST_F(CatalogueGeometry, EveryEntrySurvivesItsStoredForm) {
  auto reload = [](const auto& object, auto& loaded) {
    CQeLiteVariantW writer;
    ASSERT_EQ(object.SaveToLiteVariant(writer), eQeOk);
    CQeLiteVariantR reader;
    ASSERT_EQ(writer.Finalize(reader), eQeOk);
    ASSERT_EQ(loaded.LoadFromLiteVariant(reader), eQeOk);
  };
  for (const auto& config : Db::m_vectWellplateConfigs) {
    CQeWellplate loaded;
    reload(config.wellplate, loaded);
    EXPECT_TRUE(loaded.EqualWellplate(config.wellplate));
    EXPECT_EQ(loaded.GetUuid(), config.wellplate.GetUuid());
  }
  auto holders = [&](const auto& list) {
    for (const auto& entry : list) {
      CQeSingleElementHolder loaded;
      reload(entry.holder, loaded);
      EXPECT_TRUE(loaded.EqualElement(entry.holder));
      EXPECT_EQ(loaded.GetStickerRect(), entry.holder.GetStickerRect());
    }
  };
  holders(Db::m_vectDishConfigs);
  holders(Db::m_vectSlides);
}

}  // namespace
