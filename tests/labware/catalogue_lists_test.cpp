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

TEST_F(Catalogue, ProductsPerCompanyTypeAndVersion) {
  std::map<std::pair<std::wstring, std::wstring>, int> plates;
  std::map<int, int> versions;
  for (const auto& name : Db::m_vectWellplateNames) {
    ++plates[{name.wszCompany.str(), name.wszType.str()}];
    ++versions[name.iVersion];
  }
  const std::map<std::pair<std::wstring, std::wstring>, int> expected = {
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
      {{L"IBIDI", L"u-Slide 8 well"}, 6}};
  EXPECT_EQ(plates, expected);
  EXPECT_EQ(versions, (std::map<int, int>{{4, 415}, {5, 1}, {6, 6}}));
  EXPECT_EQ(Name(Db::m_vectWellplateNames, L"353219")->iVersion, 5);
  EXPECT_EQ(Db::m_vectWellplateNames[273].wszModel, L"353219");  // last of Falcon's

  std::set<std::pair<std::wstring, std::wstring>> dish_types;
  int blanks = 0;
  for (const auto& name : Db::m_vectDishNames) {
    dish_types.insert({name.wszCompany.str(), name.wszType.str()});
    blanks += name.wszModel.GetLastChar() == L' ';
    EXPECT_EQ(name.iVersion, 2);
  }
  EXPECT_EQ(dish_types.size(), 25u);
  EXPECT_TRUE(dish_types.count({L"Greiner Bio-One", L"CELLview Dish "}));
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
  const SQeDbHolderName* costar = Name(Db::m_vectWellplateNames, L"3368");
  EXPECT_EQ(costar->wszUuid, L"1f5ae28cbdd048f381a7511a7ee146e4");
  EXPECT_EQ(costar->wszConfigUuid, L"89399cb293be4e2e90ba805bff7a9326");
  EXPECT_EQ(costar->wszCompany + L"/" + costar->wszType, L"Corning Inc./Costar");
  const SQeDbHolderName* ibidi = Name(Db::m_vectWellplateNames, L"80826");
  EXPECT_EQ(ibidi->wszUuid, L"d32e517d9a4f4ae2a9b1ad6dafc01151");
  EXPECT_EQ(ibidi->wszConfigUuid, L"3ce9eb7eac7b400aae4434cdd695aaa0");
  EXPECT_EQ(ibidi->wszCompany + L"/" + ibidi->wszType, L"IBIDI/u-Slide 8 well");
  EXPECT_EQ(ibidi->iVersion, 6);

  const SQeDbHolderName* mattek = Name(Db::m_vectDishNames, L"P35G-0-7-C");
  EXPECT_EQ(mattek->wszConfigUuid, L"f719c38a479844ee858fe2bc9faf071a");
  EXPECT_EQ(mattek->wszCompany + L"/" + mattek->wszType, L"Mattek/Glass Bottom Dish");
  EXPECT_TRUE(Db::m_vectDishConfigs[0].holder.EqualElement(
      CQeSingleElementHolder(L"f719c38a479844ee858fe2bc9faf071a", L"", L"", L"",
                             CQeLayoutElement(SQeShape(3500)), SQeShape(17500), nullptr)));

  const wchar_t* sizes[] = {L"75x25 mm", L"76x26 mm", L"50x25 mm", L"25x25 mm",
                            L"75x25 mm + sticker"};
  for (size_t i = 0; i < 5; ++i) EXPECT_EQ(Db::m_vectSlides[i].holder.GetCompanyName(), sizes[i]);
  const CQeRectBase<double> sticker(-37500, -12500, -20000, 12500);
  EXPECT_TRUE(Db::m_vectSlides[4].holder.EqualElement(CQeSingleElementHolder(
      L"dc7931f0f49b467cb823307c64aef21b", L"75x25 mm + sticker", L"", L"",
      CQeLayoutElement(SQeShape(22000, 22000)), SQeShape(75000, 25000), &sticker)));
  EXPECT_EQ(Db::m_vectSlides[4].holder.GetStickerRect(), sticker);
  EXPECT_TRUE(Db::m_vectSlides[1].holder.EqualElement(CQeSingleElementHolder(
      L"a0953b5d079e421da060189ef81d2191", L"76x26 mm", L"", L"",
      CQeLayoutElement(SQeShape(76000, 26000)), SQeShape(76000, 26000), nullptr)));
  CQeRectBase<double> none;
  EXPECT_EQ(Db::m_vectSlides[1].holder.GetSticker(none), eQeNotFound);
}

}  // namespace
