// The built-in catalogue: counts, models, versions, uuids, entries published
// in full, and the soundness of every plate geometry.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <utility>

#include "qe/core/status.h"
#include "qe/labware/insert_object_database.h"

namespace {

using Db = CQeInsertObjectDatabase;
using Rect = CQeRectBase<double>;

class Catalogue : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_EQ(Db::Init(), eQeOk); }
};

const SQeDbPlateConfig* Plate(const CQeStringW& uuid) {
  for (const auto& config : Db::m_vectWellplateConfigs) {
    if (config.wellplate.GetUuid() == uuid) return &config;
  }
  return nullptr;
}

TEST_F(Catalogue, CountsModelNamesAndInitTwice) {
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(Db::GetCount(eQeInsertObjectWellplateName), 422u);
    EXPECT_EQ(Db::GetCount(eQeInsertObjectDishName), 111u);
    EXPECT_EQ(Db::GetCount(eQeInsertObjectSlide), 5u);
    EXPECT_EQ(Db::GetCount(eQeInsertObjectWellplateConfig), 52u);
    EXPECT_EQ(Db::GetCount(eQeInsertObjectDishConfig), 27u);
    EXPECT_EQ(Db::GetCount(static_cast<EQeInsertObjectType>(3)), 0u);
    ASSERT_EQ(Db::Init(), eQeOk);
  }
  CQeStringW model = L"x";
  ASSERT_EQ(Db::GetModelName(eQeInsertObjectWellplateName, 0, model), eQeOk);
  EXPECT_EQ(model, L"3368");
  ASSERT_EQ(Db::GetModelName(eQeInsertObjectSlide, 0, model), eQeOk);
  EXPECT_EQ(model, L"");
  ASSERT_EQ(Db::GetModelName(eQeInsertObjectDishName, 29, model), eQeOk);
  EXPECT_EQ(model, L"P50G-0-30-F ");  // with its blank
  model = L"untouched";
  EXPECT_EQ(Db::GetModelName(eQeInsertObjectWellplateName, 422, model), eQeNotFound);
  EXPECT_EQ(model, L"untouched");
  std::map<int, int> versions;
  for (const auto& name : Db::m_vectWellplateNames) ++versions[name.iVersion];
  EXPECT_EQ(versions, (std::map<int, int>{{4, 415}, {5, 1}, {6, 6}}));
  EXPECT_EQ(Db::m_vectWellplateNames[273].wszModel, L"353219");  // version 5, last of Falcon's
  EXPECT_EQ(Db::m_vectWellplateNames[273].iVersion, 5);
}

TEST_F(Catalogue, ProductsPointAtGeometriesOfTheirVersionAndUuidsAreUnique) {
  std::set<std::wstring> uuids, plates, dishes, dishGeometries;
  auto unique = [&](const CQeStringW& uuid) {
    EXPECT_EQ(uuid.str().find_first_not_of(L"0123456789abcdef"), std::wstring::npos);
    EXPECT_EQ(uuid.GetLength(), 32);
    EXPECT_TRUE(uuids.insert(uuid.str()).second) << "twice: " << uuid.GetString();
  };
  for (const auto& config : Db::m_vectWellplateConfigs) unique(config.wellplate.GetUuid());
  for (const auto& config : Db::m_vectDishConfigs) {
    unique(config.holder.GetUuid());
    dishGeometries.insert(config.holder.GetUuid().str());
  }
  for (const auto& name : Db::m_vectWellplateNames) {
    const SQeDbPlateConfig* config = Plate(name.wszConfigUuid);
    ASSERT_NE(config, nullptr) << name.wszModel.GetString();
    EXPECT_EQ(config->iVersion, name.iVersion);
    plates.insert(name.wszConfigUuid.str());
    unique(name.wszUuid);
  }
  for (const auto& name : Db::m_vectDishNames) {
    EXPECT_EQ(dishGeometries.count(name.wszConfigUuid.str()), 1u) << name.wszModel.GetString();
    dishes.insert(name.wszConfigUuid.str());
    unique(name.wszUuid);
  }
  for (const auto& slide : Db::m_vectSlides) unique(slide.holder.GetUuid());
  EXPECT_EQ(plates.size() + dishes.size(), 52u + 27u);  // no geometry without a product
  EXPECT_EQ(uuids.size(), 52u + 422u + 27u + 111u + 5u);
}

TEST_F(Catalogue, PublishedEntries) {
  const SQeDbPlateConfig* plate = Plate(L"89399cb293be4e2e90ba805bff7a9326");
  ASSERT_NE(plate, nullptr);
  EXPECT_TRUE(plate->wellplate.EqualWellplate(
      CQeWellplate(L"", eQeNamingModeRowColumn, eQeNamingLetters, eQeNamingNumbers, 12, 8, 9000,
                   9000, 127760, 85470, 14380, 11240, CQeLayoutElement(SQeShape(2285)))));
  const SQeDbHolderName& name = Db::m_vectWellplateNames[0];
  CQeStringW text;
  text.Format(L"%s %s %s/%s/%s %d", name.wszUuid, name.wszConfigUuid, name.wszCompany, name.wszType,
              name.wszModel, name.iVersion);
  EXPECT_EQ(text,
            L"1f5ae28cbdd048f381a7511a7ee146e4 89399cb293be4e2e90ba805bff7a9326 "
            L"Corning Inc./Costar/3368 4");
  const Rect sticker(-37500, -12500, -20000, 12500);
  EXPECT_TRUE(Db::m_vectSlides[4].holder.EqualElement(CQeSingleElementHolder(
      L"dc7931f0f49b467cb823307c64aef21b", L"75x25 mm + sticker", L"", L"",
      CQeLayoutElement(SQeShape(22000, 22000)), SQeShape(75000, 25000), &sticker)));
}

bool Contains(const Rect& outer, const Rect& inner) {
  return outer.left <= inner.left && outer.top <= inner.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

TEST_F(Catalogue, EveryPlateIsASoundGrid) {
  std::map<std::pair<uint32_t, uint32_t>, int> layouts;
  for (const auto& config : Db::m_vectWellplateConfigs) {
    const CQeWellplate& plate = config.wellplate;
    SCOPED_TRACE(plate.GetUuid().ToUtf8());
    uint32_t rows = 0, cols = 0;
    plate.GetElementCount(&rows, &cols);
    ++layouts[{cols, rows}];
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
    double pitch_x = 0, pitch_y = 0;
    plate.GetDistance(&pitch_x, &pitch_y);
    EXPECT_GT(well.Width(), 0);
    EXPECT_GT(pitch_x, well.Width());
    EXPECT_GT(pitch_y, well.Height());
  }
  const std::map<std::pair<uint32_t, uint32_t>, int> expected = {
      {{12, 8}, 23}, {{24, 16}, 15}, {{48, 32}, 8}, {{6, 4}, 2},
      {{4, 3}, 1},   {{8, 6}, 1},    {{3, 2}, 1},   {{4, 2}, 1}};
  EXPECT_EQ(layouts, expected);
}

}  // namespace
