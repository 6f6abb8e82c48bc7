// The built-in catalogue: counts, models, versions, uuids, the entries
// published in full, and the soundness of every geometry.
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

template <typename List, typename Pred>
auto Find(const List& list, Pred pred) -> decltype(&list.front()) {
  for (const auto& entry : list) {
    if (pred(entry)) return &entry;
  }
  return nullptr;
}
const SQeDbHolderName* Name(const std::vector<SQeDbHolderName>& names, const wchar_t* model) {
  return Find(names, [&](const SQeDbHolderName& n) { return n.wszModel == model; });
}
const SQeDbPlateConfig* Plate(const CQeStringW& uuid) {
  return Find(Db::m_vectWellplateConfigs,
              [&](const SQeDbPlateConfig& c) { return c.wellplate.GetUuid() == uuid; });
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
  EXPECT_EQ(Db::Fini(), eQeNotImplemented);
  EXPECT_EQ(Db::GetCount(eQeInsertObjectWellplateName), 422u);

  CQeStringW model = L"x";
  ASSERT_EQ(Db::GetModelName(eQeInsertObjectWellplateName, 0, model), eQeOk);
  EXPECT_EQ(model, L"3368");
  ASSERT_EQ(Db::GetModelName(eQeInsertObjectSlide, 0, model), eQeOk);
  EXPECT_EQ(model, L"");
  ASSERT_EQ(Db::GetModelName(eQeInsertObjectDishName, 29, model), eQeOk);
  EXPECT_EQ(model, L"P50G-0-30-F ");  // with its blank
  model = L"untouched";
  EXPECT_EQ(Db::GetModelName(eQeInsertObjectWellplateName, 422, model), eQeNotFound);
  EXPECT_EQ(Db::GetModelName(eQeInsertObjectSlide, 5, model), eQeNotFound);
  EXPECT_EQ(Db::GetModelName(eQeInsertObjectWellplateConfig, 0, model), eQeNotFound);
  EXPECT_EQ(Db::GetModelName(static_cast<EQeInsertObjectType>(3), 0, model), eQeNotFound);
  EXPECT_EQ(model, L"untouched");
}

// "company/type count; ..." over runs of products in catalogue order.
CQeStringW Runs(const std::vector<SQeDbHolderName>& names) {
  CQeStringW text, last;
  int count = 0;
  for (const auto& name : names) {
    const CQeStringW key = name.wszCompany + L"/" + name.wszType;
    if (count > 0 && key != last) {
      text.AppendFormat(L"%s %d; ", last, count);
      count = 0;
    }
    last = key;
    ++count;
  }
  text.AppendFormat(L"%s %d", last, count);
  return text;
}

TEST_F(Catalogue, ProductsPerCompanyTypeAndVersion) {
  EXPECT_EQ(Runs(Db::m_vectWellplateNames),
            L"Corning Inc./Costar 129; Thermo Fisher/Nunc 99; BD Biosciences/Falcon 46; "
            L"Greiner Bio-One/F-Bottom 21; Greiner Bio-One/\u00b5Clear 32; Greiner Bio-One/UV-Star "
            L"4; Greiner Bio-One/SensoPlate 13; Greiner Bio-One/ 50; MatriCal Biosciences/ 14; "
            L"MatTek/Multiwell 6; Porvair Sciences/ 1; Greiner Bio-One/IMP@CT 1; IBIDI/u-Slide 8 "
            L"well 6");
  EXPECT_EQ(
      Runs(Db::m_vectDishNames),
      L"Mattek/Glass Bottom Dish 30; BD Biosciences/35x10 Easy Grip Dish 3; BD "
      L"Biosciences/150x15 PetriDish 1; BD Biosciences/150 Integrid Dish 2; BD "
      L"Biosciences/100x20 Optilux Dish 3; Corning Inc./60x15 Petri Dish 1; Corning "
      L"Inc./100x10 Petri Dish 1; Corning Inc./100x15 Petri Dish 1; Corning Inc./100x20 Petri "
      L"Dish 1; Corning Inc./150x20 Petri Dish 1; Corning Inc./PYREX 100x10 Petri Dish 1; "
      L"Corning Inc./PYREX 100x15 Petri Dish 1; Corning Inc./PYREX 100x20 Petri Dish 1; "
      L"Corning Inc./PYREX 150x15 Petri Dish 1; Corning Inc./PYREX 150x20 Petri Dish 1; "
      L"Corning Inc./PYREX 60x15 Petri Dish 1; Thermo Scientific/Nunclon Dish 14; Thermo "
      L"Scientific/Nunc BioAssay Dish 2; Thermo Scientific/Nunc Contact Dish 1; Thermo "
      L"Scientific/Nunc Disposable Petri Dish 3; Thermo Scientific/Nunc Petri Dish 4; Thermo "
      L"Scientific/Sterilin Colored Petri Dish 3; Thermo Scientific/Sterilin Contact Plate "
      L"Petri Dish 1; Greiner Bio-One/CELLview Dish  6; Greiner Bio-One/Petri Dish 27");
  std::map<int, int> versions;
  for (const auto& name : Db::m_vectWellplateNames) ++versions[name.iVersion];
  EXPECT_EQ(versions, (std::map<int, int>{{4, 415}, {5, 1}, {6, 6}}));
  EXPECT_EQ(Db::m_vectWellplateNames[273].wszModel + L" " + Db::m_vectWellplateNames[273].wszType,
            L"353219 Falcon");  // the one product of version 5, last of Falcon's
  EXPECT_EQ(Db::m_vectWellplateNames[273].iVersion, 5);
  int blanks = 0;
  for (const auto& name : Db::m_vectDishNames) {
    blanks += name.wszModel.GetLastChar() == L' ';
    EXPECT_EQ(name.iVersion, 2);
  }
  EXPECT_EQ(blanks, 6);
  for (const auto& config : Db::m_vectDishConfigs) EXPECT_EQ(config.iVersion, 2);
  for (const auto& slide : Db::m_vectSlides) EXPECT_EQ(slide.iVersion, 2);
}

TEST_F(Catalogue, ProductsPointAtGeometriesOfTheirVersionAndUuidsAreUnique) {
  std::set<std::wstring> uuids, used;
  auto unique = [&](const CQeStringW& uuid) {
    EXPECT_EQ(uuid.str().find_first_not_of(L"0123456789abcdef"), std::wstring::npos);
    EXPECT_EQ(uuid.GetLength(), 32);
    EXPECT_TRUE(uuids.insert(uuid.str()).second) << "twice: " << uuid.GetString();
  };
  for (const auto& name : Db::m_vectWellplateNames) {
    const SQeDbPlateConfig* config = Plate(name.wszConfigUuid);
    ASSERT_NE(config, nullptr) << name.wszModel.GetString();
    EXPECT_EQ(config->iVersion, name.iVersion);
    used.insert(name.wszConfigUuid.str());
    unique(name.wszUuid);
  }
  EXPECT_EQ(used.size(), 52u);  // no geometry without a product
  used.clear();
  for (const auto& name : Db::m_vectDishNames) {
    EXPECT_NE(
        Find(Db::m_vectDishConfigs,
             [&](const SQeDbDishConfig& c) { return c.holder.GetUuid() == name.wszConfigUuid; }),
        nullptr);
    used.insert(name.wszConfigUuid.str());
    unique(name.wszUuid);
  }
  EXPECT_EQ(used.size(), 27u);
  for (const auto& config : Db::m_vectWellplateConfigs) unique(config.wellplate.GetUuid());
  for (const auto& config : Db::m_vectDishConfigs) unique(config.holder.GetUuid());
  for (const auto& slide : Db::m_vectSlides) unique(slide.holder.GetUuid());
  EXPECT_EQ(uuids.size(), 52u + 422u + 27u + 111u + 5u);
}

TEST_F(Catalogue, PublishedEntries) {
  struct Row {
    const wchar_t* uuid;
    CQeWellplate plate;
    int version;
  };
  const Row rows[] = {
      {L"89399cb293be4e2e90ba805bff7a9326",
       CQeWellplate(L"", eQeNamingModeRowColumn, eQeNamingLetters, eQeNamingNumbers, 12, 8, 9000,
                    9000, 127760, 85470, 14380, 11240, CQeLayoutElement(SQeShape(2285))),
       4},
      {L"086eec8aa0ea458cb8bb2dd252a10ac7",
       CQeWellplate(L"", eQeNamingModeRowColumn, eQeNamingLetters, eQeNamingNumbers, 12, 8, 9000,
                    9000, 127760, 85480, 14380, 11240, CQeLayoutElement(SQeShape(2250))),
       4},
      {L"4812551ef94441168a4b2c6d33a77de5",
       CQeWellplate(L"", eQeNamingModeRowColumn, eQeNamingLetters, eQeNamingNumbers, 24, 16, 4500,
                    4500, 127760, 85480, 12130, 8990, CQeLayoutElement(SQeShape(1700, 1700))),
       4},
      {L"3ce9eb7eac7b400aae4434cdd695aaa0",
       CQeWellplate(L"", eQeNamingModeAlongRows, eQeNamingNumbers, eQeNamingNumbers, 4, 2, 12610,
                    10960, 75500, 25500, 18725, 7265, CQeLayoutElement(SQeShape(10290, 9410))),
       6},
  };
  for (const Row& row : rows) {
    const SQeDbPlateConfig* config = Plate(row.uuid);
    ASSERT_NE(config, nullptr);
    EXPECT_TRUE(config->wellplate.EqualWellplate(row.plate)) << row.uuid;  // names empty too
    EXPECT_EQ(config->iVersion, row.version);
  }
  auto describe = [](const SQeDbHolderName* n) {
    CQeStringW text;
    if (n != nullptr) {
      text.Format(L"%s %s %s/%s/%s %d", n->wszUuid, n->wszConfigUuid, n->wszCompany, n->wszType,
                  n->wszModel, n->iVersion);
    }
    return text;
  };
  EXPECT_EQ(describe(Name(Db::m_vectWellplateNames, L"3368")),
            L"1f5ae28cbdd048f381a7511a7ee146e4 89399cb293be4e2e90ba805bff7a9326 "
            L"Corning Inc./Costar/3368 4");
  EXPECT_EQ(describe(Name(Db::m_vectWellplateNames, L"80826")),
            L"d32e517d9a4f4ae2a9b1ad6dafc01151 3ce9eb7eac7b400aae4434cdd695aaa0 "
            L"IBIDI/u-Slide 8 well/80826 6");
  const SQeDbHolderName* mattek = Name(Db::m_vectDishNames, L"P35G-0-7-C");
  ASSERT_NE(mattek, nullptr);
  EXPECT_EQ(mattek->wszConfigUuid + L" " + mattek->wszCompany + L"/" + mattek->wszType,
            L"f719c38a479844ee858fe2bc9faf071a Mattek/Glass Bottom Dish");
  EXPECT_TRUE(Db::m_vectDishConfigs[0].holder.EqualElement(
      CQeSingleElementHolder(L"f719c38a479844ee858fe2bc9faf071a", L"", L"", L"",
                             CQeLayoutElement(SQeShape(3500)), SQeShape(17500), nullptr)));

  // Slides: the size text, the element and outline rectangles (mm), the sticker.
  const Rect sticker(-37500, -12500, -20000, 12500);
  const struct {
    const wchar_t *uuid, *size;
    double element_width, element_height, width, height;
    Rect sticker;
  } slides[] = {
      {L"6a922810b24845128cefb19743bc72db", L"75x25 mm", 75, 25, 75, 25, {}},
      {L"a0953b5d079e421da060189ef81d2191", L"76x26 mm", 76, 26, 76, 26, {}},
      {L"013db070665a4393b358a7714bea63b0", L"50x25 mm", 50, 25, 50, 25, {}},
      {L"198282de3c614cc5a13fc07b80275603", L"25x25 mm", 25, 25, 25, 25, {}},
      {L"dc7931f0f49b467cb823307c64aef21b", L"75x25 mm + sticker", 22, 22, 75, 25, sticker}};
  ASSERT_EQ(Db::m_vectSlides.size(), std::size(slides));
  for (size_t i = 0; i < std::size(slides); ++i) {
    const auto& s = slides[i];
    const CQeLayoutElement element(SQeShape(s.element_width * 1000, s.element_height * 1000));
    EXPECT_TRUE(Db::m_vectSlides[i].holder.EqualElement(CQeSingleElementHolder(
        s.uuid, s.size, L"", L"", element, SQeShape(s.width * 1000, s.height * 1000), nullptr)))
        << i;
    EXPECT_EQ(Db::m_vectSlides[i].holder.GetStickerRect(), s.sticker) << i;
  }
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

TEST_F(Catalogue, NoTwoGeometriesAreAlike) {
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

TEST_F(Catalogue, DishAreasLieInsideTheirOutlines) {
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
}

}  // namespace
