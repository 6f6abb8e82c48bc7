// The built-in catalogue's lists: counts, models, versions, uuids and the
// entries published in full.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <utility>

#include "qe/core/status.h"
#include "qe/labware/insert_object_database.h"

namespace {

using Db = CQeInsertObjectDatabase;

class Catalogue : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_EQ(Db::Init(), eQeOk); }
};

const SQeDbHolderName* FindName(const std::vector<SQeDbHolderName>& names, const wchar_t* model) {
  for (const auto& name : names) {
    if (name.wszModel == model) return &name;
  }
  return nullptr;
}

const SQeDbPlateConfig* FindPlate(const CQeStringW& uuid) {
  for (const auto& config : Db::m_vectWellplateConfigs) {
    if (config.wellplate.GetUuid() == uuid) return &config;
  }
  return nullptr;
}

const SQeDbDishConfig* FindDish(const CQeStringW& uuid) {
  for (const auto& config : Db::m_vectDishConfigs) {
    if (config.holder.GetUuid() == uuid) return &config;
  }
  return nullptr;
}

bool IsUuidText(const CQeStringW& text) {
  if (text.GetLength() != 32) return false;
  for (wchar_t c : text.str()) {
    if (!((c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f'))) return false;
  }
  return true;
}

TEST_F(Catalogue, CountsAfterInitAndAgain) {
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(Db::GetCount(eQeInsertObjectWellplateName), 422u);
    EXPECT_EQ(Db::GetCount(eQeInsertObjectDishName), 111u);
    EXPECT_EQ(Db::GetCount(eQeInsertObjectSlide), 5u);
    EXPECT_EQ(Db::GetCount(eQeInsertObjectWellplateConfig), 52u);
    EXPECT_EQ(Db::GetCount(eQeInsertObjectDishConfig), 27u);
    EXPECT_EQ(Db::GetCount(static_cast<EQeInsertObjectType>(3)), 0u);
    EXPECT_EQ(Db::GetCount(static_cast<EQeInsertObjectType>(-1)), 0u);
    ASSERT_EQ(Db::Init(), eQeOk);
  }
  EXPECT_EQ(Db::Fini(), eQeNotImplemented);
  EXPECT_EQ(Db::GetCount(eQeInsertObjectWellplateName), 422u);
}

TEST_F(Catalogue, ModelNames) {
  CQeStringW model = L"untouched";
  ASSERT_EQ(Db::GetModelName(eQeInsertObjectWellplateName, 0, model), eQeOk);
  EXPECT_EQ(model, L"3368");
  ASSERT_EQ(Db::GetModelName(eQeInsertObjectSlide, 0, model), eQeOk);
  EXPECT_EQ(model, L"");
  model = L"untouched";
  EXPECT_EQ(Db::GetModelName(eQeInsertObjectWellplateName, 422, model), eQeNotFound);
  EXPECT_EQ(Db::GetModelName(eQeInsertObjectDishName, 111, model), eQeNotFound);
  EXPECT_EQ(Db::GetModelName(eQeInsertObjectSlide, 5, model), eQeNotFound);
  EXPECT_EQ(Db::GetModelName(eQeInsertObjectWellplateConfig, 0, model), eQeNotFound);
  EXPECT_EQ(Db::GetModelName(static_cast<EQeInsertObjectType>(3), 0, model), eQeNotFound);
  EXPECT_EQ(model, L"untouched");
  ASSERT_EQ(Db::GetModelName(eQeInsertObjectDishName, 0, model), eQeOk);
  EXPECT_EQ(model, L"P35G-0-7-C");
  ASSERT_EQ(Db::GetModelName(eQeInsertObjectWellplateName, 421, model), eQeOk);
  EXPECT_EQ(model, L"80821");
  ASSERT_EQ(Db::GetModelName(eQeInsertObjectDishName, 110, model), eQeOk);
  EXPECT_EQ(model, L"639161");
}

TEST_F(Catalogue, ProductsPerCompanyAndType) {
  std::map<std::pair<std::wstring, std::wstring>, int> plates;
  for (const auto& name : Db::m_vectWellplateNames) {
    ++plates[{name.wszCompany.str(), name.wszType.str()}];
  }
  const std::map<std::pair<std::wstring, std::wstring>, int> expected_plates = {
      {{L"Corning Inc.", L"Costar"}, 129},
      {{L"Thermo Fisher", L"Nunc"}, 99},
      {{L"BD Biosciences", L"Falcon"}, 46},
      {{L"Greiner Bio-One", L"F-Bottom"}, 21},
      {{L"Greiner Bio-One", L"\u00b5Clear"}, 32},
      {{L"Greiner Bio-One", L"UV-Star"}, 4},
      {{L"Greiner Bio-One", L"SensoPlate"}, 13},
      {{L"Greiner Bio-One", L""}, 50},
      {{L"MatriCal Biosciences", L""}, 14},
      {{L"MatTek", L"Multiwell"}, 6},
      {{L"Porvair Sciences", L""}, 1},
      {{L"Greiner Bio-One", L"IMP@CT"}, 1},
      {{L"IBIDI", L"u-Slide 8 well"}, 6},
  };
  EXPECT_EQ(plates, expected_plates);

  std::map<std::pair<std::wstring, std::wstring>, int> dishes;
  for (const auto& name : Db::m_vectDishNames) {
    ++dishes[{name.wszCompany.str(), name.wszType.str()}];
  }
  EXPECT_EQ(dishes.size(), 25u);
  EXPECT_EQ((dishes[{L"Mattek", L"Glass Bottom Dish"}]), 30);
  EXPECT_EQ((dishes[{L"Greiner Bio-One", L"Petri Dish"}]), 27);
  EXPECT_EQ((dishes[{L"Greiner Bio-One", L"CELLview Dish "}]), 6);  // the blank is the type's
  EXPECT_EQ((dishes[{L"Thermo Scientific", L"Nunclon Dish"}]), 14);
  EXPECT_EQ((dishes[{L"BD Biosciences", L"150x15 PetriDish"}]), 1);
}

TEST_F(Catalogue, ModelsInCatalogueOrderWithTheirBlanks) {
  const auto& plates = Db::m_vectWellplateNames;
  EXPECT_EQ(plates[1].wszModel, L"3369");
  EXPECT_EQ(plates[128].wszModel, L"3548");  // last Corning product
  EXPECT_EQ(plates[129].wszModel, L"236001");
  EXPECT_EQ(plates[273].wszModel, L"353219");  // last Falcon product
  ASSERT_NE(FindName(plates, L"Krystal 96"), nullptr);
  ASSERT_NE(FindName(plates, L"MGB102-1-2"), nullptr);

  const auto& dishes = Db::m_vectDishNames;
  int trailing_blank = 0;
  for (const auto& name : dishes) {
    if (name.wszModel.GetLength() > 0 && name.wszModel.GetLastChar() == L' ') {
      ++trailing_blank;
    }
  }
  EXPECT_EQ(trailing_blank, 6);
  EXPECT_NE(FindName(dishes, L"P50G-0-14-F "), nullptr);
  EXPECT_EQ(FindName(dishes, L"P50G-0-14-F"), nullptr);
  EXPECT_NE(FindName(dishes, L"P50GC-1.5-14-F"), nullptr);  // the one without a blank
  EXPECT_EQ(dishes[29].wszModel, L"P50G-0-30-F ");
  EXPECT_EQ(dishes[30].wszModel, L"353001");
}

TEST_F(Catalogue, CatalogueVersions) {
  std::map<int, int> plate_names, plate_configs;
  for (const auto& name : Db::m_vectWellplateNames) {
    ++plate_names[name.iVersion];
    EXPECT_EQ(name.iFlag, 0);
  }
  for (const auto& config : Db::m_vectWellplateConfigs) {
    ++plate_configs[config.iVersion];
    EXPECT_EQ(config.iFlag, 0);
  }
  EXPECT_EQ(plate_names, (std::map<int, int>{{4, 415}, {5, 1}, {6, 6}}));
  EXPECT_EQ(plate_configs, (std::map<int, int>{{4, 50}, {5, 1}, {6, 1}}));
  const SQeDbHolderName* falcon = FindName(Db::m_vectWellplateNames, L"353219");
  ASSERT_NE(falcon, nullptr);
  EXPECT_EQ(falcon->iVersion, 5);
  const SQeDbPlateConfig* falcon_geometry = FindPlate(falcon->wszConfigUuid);
  ASSERT_NE(falcon_geometry, nullptr);
  EXPECT_EQ(falcon_geometry->iVersion, 5);
  EXPECT_EQ(falcon_geometry->wellplate.GetElementCount(), 96u);

  for (const auto& name : Db::m_vectDishNames) EXPECT_EQ(name.iVersion, 2);
  for (const auto& config : Db::m_vectDishConfigs) EXPECT_EQ(config.iVersion, 2);
  for (const auto& slide : Db::m_vectSlides) EXPECT_EQ(slide.iVersion, 2);
}

TEST_F(Catalogue, ProductsPointAtGeometriesOfTheirOwnVersion) {
  for (const auto& name : Db::m_vectWellplateNames) {
    const SQeDbPlateConfig* config = FindPlate(name.wszConfigUuid);
    ASSERT_NE(config, nullptr) << name.wszModel.GetString();
    EXPECT_EQ(config->iVersion, name.iVersion) << name.wszModel.GetString();
  }
  std::set<std::wstring> used;
  for (const auto& name : Db::m_vectWellplateNames) used.insert(name.wszConfigUuid.str());
  EXPECT_EQ(used.size(), 52u);  // no geometry without a product

  used.clear();
  for (const auto& name : Db::m_vectDishNames) {
    EXPECT_NE(FindDish(name.wszConfigUuid), nullptr) << name.wszModel.GetString();
    EXPECT_EQ(FindPlate(name.wszConfigUuid), nullptr);
    used.insert(name.wszConfigUuid.str());
  }
  EXPECT_EQ(used.size(), 27u);
}

TEST_F(Catalogue, EveryUuidIsUniqueLowerCaseHex) {
  std::set<std::wstring> seen;
  auto check = [&](const CQeStringW& uuid) {
    EXPECT_TRUE(IsUuidText(uuid)) << uuid.GetString();
    EXPECT_TRUE(seen.insert(uuid.str()).second) << "twice: " << uuid.GetString();
  };
  for (const auto& config : Db::m_vectWellplateConfigs) check(config.wellplate.GetUuid());
  for (const auto& name : Db::m_vectWellplateNames) check(name.wszUuid);
  for (const auto& config : Db::m_vectDishConfigs) check(config.holder.GetUuid());
  for (const auto& name : Db::m_vectDishNames) check(name.wszUuid);
  for (const auto& slide : Db::m_vectSlides) check(slide.holder.GetUuid());
  EXPECT_EQ(seen.size(), 52u + 422u + 27u + 111u + 5u);
}

TEST_F(Catalogue, PublishedPlateEntries) {
  struct Row {
    const wchar_t* uuid;
    uint32_t cols, rows;
    EQeElementNamingMode mode;
    double pitch_x, pitch_y, width, height, offset_x, offset_y;
    SQeShape well;
    int version;
  };
  const Row rows[] = {
      {L"89399cb293be4e2e90ba805bff7a9326", 12, 8, eQeNamingModeRowColumn, 9000, 9000, 127760,
       85470, 14380, 11240, SQeShape(2285), 4},
      {L"086eec8aa0ea458cb8bb2dd252a10ac7", 12, 8, eQeNamingModeRowColumn, 9000, 9000, 127760,
       85480, 14380, 11240, SQeShape(2250), 4},
      {L"4812551ef94441168a4b2c6d33a77de5", 24, 16, eQeNamingModeRowColumn, 4500, 4500, 127760,
       85480, 12130, 8990, SQeShape(1700, 1700), 4},
      {L"3ce9eb7eac7b400aae4434cdd695aaa0", 4, 2, eQeNamingModeAlongRows, 12610, 10960, 75500,
       25500, 18725, 7265, SQeShape(10290, 9410), 6},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.uuid);
    const SQeDbPlateConfig* config = FindPlate(row.uuid);
    ASSERT_NE(config, nullptr);
    const EQeElementNamingType letters =
        row.mode == eQeNamingModeRowColumn ? eQeNamingLetters : eQeNamingNumbers;
    const CQeWellplate expected(row.uuid, row.mode, letters, eQeNamingNumbers, row.cols, row.rows,
                                row.pitch_x, row.pitch_y, row.width, row.height, row.offset_x,
                                row.offset_y, CQeLayoutElement(row.well));
    EXPECT_TRUE(config->wellplate.EqualWellplate(expected));
    EXPECT_EQ(config->wellplate.GetCompanyName(), L"");
    EXPECT_EQ(config->wellplate.GetModelName(), L"");
    EXPECT_EQ(config->iVersion, row.version);
  }

  const SQeDbHolderName* costar = FindName(Db::m_vectWellplateNames, L"3368");
  ASSERT_NE(costar, nullptr);
  EXPECT_EQ(costar->wszUuid, L"1f5ae28cbdd048f381a7511a7ee146e4");
  EXPECT_EQ(costar->wszConfigUuid, L"89399cb293be4e2e90ba805bff7a9326");
  EXPECT_EQ(costar->wszCompany, L"Corning Inc.");
  EXPECT_EQ(costar->wszType, L"Costar");
  EXPECT_EQ(costar->iVersion, 4);
  const SQeDbHolderName* ibidi = FindName(Db::m_vectWellplateNames, L"80826");
  ASSERT_NE(ibidi, nullptr);
  EXPECT_EQ(ibidi->wszUuid, L"d32e517d9a4f4ae2a9b1ad6dafc01151");
  EXPECT_EQ(ibidi->wszConfigUuid, L"3ce9eb7eac7b400aae4434cdd695aaa0");
  EXPECT_EQ(ibidi->wszCompany, L"IBIDI");
  EXPECT_EQ(ibidi->wszType, L"u-Slide 8 well");
  EXPECT_EQ(ibidi->iVersion, 6);
}

TEST_F(Catalogue, PublishedDishAndSlides) {
  const SQeDbDishConfig* dish = FindDish(L"f719c38a479844ee858fe2bc9faf071a");
  ASSERT_NE(dish, nullptr);
  EXPECT_TRUE(dish->holder.GetLayoutElement().EqualElement(CQeLayoutElement(SQeShape(3500)), true));
  SQeShape outline;
  ASSERT_EQ(dish->holder.GetShape(outline), eQeOk);
  EXPECT_EQ(outline, SQeShape(17500));
  EXPECT_EQ(dish->iVersion, 2);
  const SQeDbHolderName* mattek = FindName(Db::m_vectDishNames, L"P35G-0-7-C");
  ASSERT_NE(mattek, nullptr);
  EXPECT_EQ(mattek->wszConfigUuid, L"f719c38a479844ee858fe2bc9faf071a");
  EXPECT_EQ(mattek->wszCompany, L"Mattek");
  EXPECT_EQ(mattek->wszType, L"Glass Bottom Dish");

  struct Slide {
    const wchar_t* uuid;
    const wchar_t* size;
    SQeShape element, outline;
    bool sticker;
  };
  const Slide slides[] = {
      {L"6a922810b24845128cefb19743bc72db", L"75x25 mm", SQeShape(75000, 25000),
       SQeShape(75000, 25000), false},
      {L"a0953b5d079e421da060189ef81d2191", L"76x26 mm", SQeShape(76000, 26000),
       SQeShape(76000, 26000), false},
      {L"013db070665a4393b358a7714bea63b0", L"50x25 mm", SQeShape(50000, 25000),
       SQeShape(50000, 25000), false},
      {L"198282de3c614cc5a13fc07b80275603", L"25x25 mm", SQeShape(25000, 25000),
       SQeShape(25000, 25000), false},
      {L"dc7931f0f49b467cb823307c64aef21b", L"75x25 mm + sticker", SQeShape(22000, 22000),
       SQeShape(75000, 25000), true},
  };
  ASSERT_EQ(Db::m_vectSlides.size(), std::size(slides));
  for (size_t i = 0; i < std::size(slides); ++i) {
    const CQeSingleElementHolder& holder = Db::m_vectSlides[i].holder;
    SCOPED_TRACE(slides[i].size);
    EXPECT_EQ(holder.GetUuid(), slides[i].uuid);
    EXPECT_EQ(holder.GetCompanyName(), slides[i].size);
    EXPECT_EQ(holder.GetElementName(0), slides[i].size);
    EXPECT_EQ(holder.GetTypeName(), L"");
    EXPECT_EQ(holder.GetModelName(), L"");
    EXPECT_EQ(holder.GetLayoutElement().GetActiveArea(), slides[i].element);
    ASSERT_EQ(holder.GetShape(outline), eQeOk);
    EXPECT_EQ(outline, slides[i].outline);
    CQeRectBase<double> sticker;
    EXPECT_EQ(holder.GetSticker(sticker), slides[i].sticker ? eQeOk : eQeNotFound);
    if (slides[i].sticker) {
      EXPECT_EQ(sticker, CQeRectBase<double>(-37500, -12500, -20000, 12500));
    }
  }
}

}  // namespace
