// Bringing the built-in catalogue into project databases: what a refresh
// writes, version bounds, diagnostics and failures that leave nothing
// behind.
#include <list>
#include <set>
#include <string>
#include <utility>

#include "projectdb/catalogue_support.h"
#include "qe/core/lite_variant.h"
#include "qe/core/status.h"
#include "qe/projectdb/records/labware_dish.h"
#include "qe/projectdb/records/labware_slide.h"

namespace qe::test {
namespace {

using Catalogue = CQeInsertObjectDatabase;

class CatalogueUpgrade : public CatalogueDbTest {
 protected:
  void RefreshAll() {
    ASSERT_EQ(QeProjectDb_Wellplatedef_JobsUpgradeSystemPlateDefs(h_, 6), eQeOk);
    ASSERT_EQ(QeProjectDb_Wellplatedef_JobsUpgradeSystemDishDefs(h_, 2), eQeOk);
    ASSERT_EQ(QeProjectDb_Wellplatedef_JobsUpgradeSystemSlideDefs(h_, 2), eQeOk);
  }
  // (product uuid, geometry uuid) of every stored plate or dish product.
  std::set<std::pair<std::wstring, std::wstring>> StoredLinks(const wchar_t* names,
                                                              const wchar_t* configs,
                                                              const wchar_t* key_ref) {
    std::set<std::pair<std::wstring, std::wstring>> links;
    const int64_t count = Count(names);
    for (int64_t key = 1; key <= count; ++key) {
      const std::wstring where = L" FROM " + std::wstring(names) + L" n JOIN " + configs +
                                 L" c ON n." + key_ref + L"=c.iKey WHERE n.iKey=" +
                                 std::to_wstring(key);
      int code = 0;
      sqlite3* db = CQeProjectDbConnectionManager::GetConnection(h_);
      const CQeStringW name = QeSqlite_ReadOneStringW(db, L"SELECT n.wszUuid" + where, &code);
      const CQeStringW config = QeSqlite_ReadOneStringW(db, L"SELECT c.wszUuid" + where, &code);
      links.insert({name.str(), config.str()});
    }
    return links;
  }
};

template <typename T>
T Load(const CQeByteArray& bytes) {
  T object;
  CQeLiteVariantR reader(bytes);
  EXPECT_EQ(object.LoadFromLiteVariant(reader), eQeOk);
  return object;
}

TEST_F(CatalogueUpgrade, NewDatabaseRefreshedHoldsExactlyTheCatalogue) {
  RefreshAll();
  EXPECT_EQ(Count(L"wellplateconfiguration"), 52);
  EXPECT_EQ(Count(L"wellplatename"), 422);
  EXPECT_EQ(Count(L"dishconfiguration"), 27);
  EXPECT_EQ(Count(L"dishname"), 111);
  EXPECT_EQ(Count(L"slidedef"), 5);
  EXPECT_EQ(Version(kQeCatalogueVersionPlate), 6);
  EXPECT_EQ(Version(kQeCatalogueVersionDish), 2);
  EXPECT_EQ(Version(kQeCatalogueVersionSlide), 2);
  EXPECT_EQ(Int(L"SELECT COUNT(*) FROM wellplatename WHERE iUserImported<>0 OR iRemoved<>0 OR "
                L"iWellplatenameKeyRef IS NOT NULL"),
            0);

  std::set<std::pair<std::wstring, std::wstring>> expected;
  for (const auto& name : Catalogue::m_vectWellplateNames) {
    expected.insert({name.wszUuid.str(), name.wszConfigUuid.str()});
  }
  EXPECT_EQ(StoredLinks(L"wellplatename", L"wellplateconfiguration", L"iWellplateconfigKeyRef"),
            expected);
  expected.clear();
  for (const auto& name : Catalogue::m_vectDishNames) {
    expected.insert({name.wszUuid.str(), name.wszConfigUuid.str()});
  }
  EXPECT_EQ(StoredLinks(L"dishname", L"dishconfiguration", L"iDishKeyRef"), expected);
}

TEST_F(CatalogueUpgrade, StoredRowsEqualThePublishedEntries) {
  RefreshAll();
  SQeProjectDbRow_wellplatedef plate;
  bool found = false;
  ASSERT_EQ(QeProjectDb_Wellplatedef_GetOne(h_, L"1f5ae28cbdd048f381a7511a7ee146e4", plate, found),
            eQeOk);
  ASSERT_TRUE(found);
  EXPECT_EQ(plate.wszCompany, L"Corning Inc.");
  EXPECT_EQ(plate.wszType, L"Costar");
  EXPECT_EQ(plate.wszModel, L"3368");
  EXPECT_EQ(plate.iRowCount, 8);
  EXPECT_EQ(plate.iColCount, 12);
  EXPECT_EQ(plate.iRowNaming, eQeNamingLetters);
  EXPECT_EQ(plate.iColNaming, eQeNamingNumbers);
  const CQeWellplate geometry = Load<CQeWellplate>(plate.pData);
  EXPECT_EQ(geometry.GetUuid(), L"89399cb293be4e2e90ba805bff7a9326");
  EXPECT_EQ(geometry.GetModelName(), L"");
  EXPECT_TRUE(geometry.EqualWellplate(
      CQeWellplate(L"", eQeNamingModeRowColumn, eQeNamingLetters, eQeNamingNumbers, 12, 8, 9000,
                   9000, 127760, 85470, 14380, 11240, CQeLayoutElement(SQeShape(2285)))));

  ASSERT_EQ(QeProjectDb_Wellplatedef_GetOne(h_, L"d32e517d9a4f4ae2a9b1ad6dafc01151", plate, found),
            eQeOk);
  ASSERT_TRUE(found);
  EXPECT_EQ(plate.wszCompany, L"IBIDI");
  EXPECT_EQ(plate.wszType, L"u-Slide 8 well");
  EXPECT_EQ(plate.wszModel, L"80826");
  EXPECT_EQ(plate.iRowCount, 2);
  EXPECT_EQ(plate.iColCount, 4);
  EXPECT_EQ(plate.iRowNaming, eQeNamingNumbers);
  EXPECT_TRUE(Load<CQeWellplate>(plate.pData)
                  .EqualWellplate(CQeWellplate(
                      L"", eQeNamingModeAlongRows, eQeNamingNumbers, eQeNamingNumbers, 4, 2, 12610,
                      10960, 75500, 25500, 18725, 7265, CQeLayoutElement(SQeShape(10290, 9410)))));

  SQeProjectDbRow_dishconfiguration dish;
  ASSERT_EQ(QeProjectDb_Dishconfig_GetOne(h_, L"f719c38a479844ee858fe2bc9faf071a", dish), eQeOk);
  ASSERT_GT(dish.iKey, 0);
  EXPECT_EQ(Load<CQeLayoutElement>(dish.layoutelement).GetActiveArea(), SQeShape(3500));
  EXPECT_EQ(Load<SQeShape>(dish.surroundarea), SQeShape(17500));
  EXPECT_EQ(Int(L"SELECT n.iDishKeyRef FROM dishname n WHERE n.wszModel='P35G-0-7-C' AND "
                L"n.wszCompany='Mattek' AND n.wszType='Glass Bottom Dish'"),
            dish.iKey);
  // Blanks at the end of names are kept.
  EXPECT_EQ(Int(L"SELECT COUNT(*) FROM dishname WHERE wszModel='P50G-0-14-F '"), 1);
  EXPECT_EQ(Int(L"SELECT COUNT(*) FROM dishname WHERE wszType='CELLview Dish '"), 6);

  SQeProjectDbRow_slidedef slide;
  ASSERT_EQ(QeProjectDb_Slidedef_GetOne(h_, CQeStringW(L"dc7931f0f49b467cb823307c64aef21b"), slide),
            eQeOk);
  EXPECT_EQ(slide.wszCompany, L"75x25 mm + sticker");
  EXPECT_EQ(slide.wszType, L"");
  EXPECT_EQ(slide.wszModel, L"");
  EXPECT_EQ(CQeRectBase<double>(slide.stickerL, slide.stickerT, slide.stickerR, slide.stickerB),
            CQeRectBase<double>(-37500, -12500, -20000, 12500));
  EXPECT_EQ(Load<CQeLayoutElement>(slide.layoutelement).GetActiveArea(), SQeShape(22000, 22000));
  EXPECT_EQ(Load<SQeShape>(slide.surroundarea), SQeShape(75000, 25000));
  ASSERT_EQ(QeProjectDb_Slidedef_GetOne(h_, CQeStringW(L"6a922810b24845128cefb19743bc72db"), slide),
            eQeOk);
  EXPECT_EQ(slide.wszCompany, L"75x25 mm");
  EXPECT_EQ(slide.stickerR - slide.stickerL, 0);
}

TEST_F(CatalogueUpgrade, FromFourToSixAddsOnlyTheNewerEntries) {
  ASSERT_EQ(QeProjectDb_Wellplatedef_JobsUpgradeSystemPlateDefs(h_, 4), eQeOk);
  EXPECT_EQ(Count(L"wellplateconfiguration"), 50);
  EXPECT_EQ(Count(L"wellplatename"), 415);
  EXPECT_EQ(Version(kQeCatalogueVersionPlate), 4);
  EXPECT_EQ(
      Int(L"SELECT COUNT(*) FROM wellplatename WHERE wszModel='353219' OR wszCompany='IBIDI'"), 0);

  ASSERT_EQ(QeProjectDb_Wellplatedef_JobsUpgradeSystemPlateDefs(h_, 6), eQeOk);
  EXPECT_EQ(Count(L"wellplateconfiguration"), 52);
  EXPECT_EQ(Count(L"wellplatename"), 422);
  EXPECT_EQ(Version(kQeCatalogueVersionPlate), 6);
  // The rows of version 4 kept their keys; the new ones came after them.
  EXPECT_EQ(Int(L"SELECT COUNT(*) FROM wellplatename WHERE iKey>415 AND (wszModel='353219' OR "
                L"wszCompany='IBIDI')"),
            7);
  EXPECT_EQ(Int(L"SELECT iKey FROM wellplatename WHERE wszModel='3368'"), 1);

  // One version at a time gives the same.
  const uint32_t other = NewDatabase("stepwise.db");
  for (int64_t version : {4, 5, 6}) {
    ASSERT_EQ(QeProjectDb_Wellplatedef_JobsUpgradeSystemPlateDefs(other, version), eQeOk);
  }
  EXPECT_EQ(Count(L"wellplatename", other), 422);
  EXPECT_EQ(Int(L"SELECT iKey FROM wellplatename WHERE wszModel='353219'", other), 416);
}

TEST_F(CatalogueUpgrade, VersionBounds) {
  EXPECT_EQ(QeProjectDb_Wellplatedef_JobsUpgradeSystemPlateDefs(h_, 7), eQeFailed);
  EXPECT_EQ(QeProjectDb_Wellplatedef_JobsUpgradeSystemDishDefs(h_, 3), eQeFailed);
  EXPECT_EQ(QeProjectDb_Wellplatedef_JobsUpgradeSystemSlideDefs(h_, 3), eQeFailed);
  EXPECT_EQ(QeProjectDb_Wellplatedef_JobsUpgradeSystemPlateDefs(0, 6), eQeFailed);
  EXPECT_EQ(Count(L"wellplatename"), 0);
  EXPECT_EQ(Count(L"vesion"), 1);  // only "main"

  // A target without entries stores the version alone.
  ASSERT_EQ(QeProjectDb_Wellplatedef_JobsUpgradeSystemPlateDefs(h_, 3), eQeOk);
  EXPECT_EQ(Version(kQeCatalogueVersionPlate), 3);
  EXPECT_EQ(Count(L"wellplateconfiguration"), 0);

  RefreshAll();
  EXPECT_EQ(QeProjectDb_Wellplatedef_JobsUpgradeSystemPlateDefs(h_, 5), eQeFailed);
  EXPECT_EQ(QeProjectDb_Wellplatedef_JobsUpgradeSystemDishDefs(h_, 1), eQeFailed);
  EXPECT_EQ(Version(kQeCatalogueVersionPlate), 6);
  EXPECT_EQ(Count(L"wellplatename"), 422);
}

TEST_F(CatalogueUpgrade, DiagnosticsOfARefreshAndNoneWhenCurrent) {
  {
    DiagLines diag;
    RefreshAll();
    const std::vector<std::string> expected = {"Updating Wellplate definitions...",
                                               "Upgrade (phase 1) OK",
                                               "Upgrade (phase 2) OK",
                                               "Updating Dish definitions...",
                                               "Upgrade (phase 1) OK",
                                               "Upgrade (phase 2) OK",
                                               "Updating Slide definitions...",
                                               "Upgrade OK"};
    EXPECT_EQ(diag.lines(), expected);
  }
  DiagLines diag;
  EXPECT_EQ(QeProjectDb_Wellplatedef_JobsUpgradeSystemPlateDefs(h_, 6), eQeOk);
  EXPECT_EQ(QeProjectDb_Wellplatedef_JobsUpgradeSystemDishDefs(h_, 2), eQeOk);
  EXPECT_EQ(QeProjectDb_Wellplatedef_JobsUpgradeSystemSlideDefs(h_, 2), eQeOk);
  EXPECT_TRUE(diag.lines().empty());
  EXPECT_EQ(Count(L"wellplatename"), 422);
}

TEST_F(CatalogueUpgrade, FailedPhaseOneWritesNoNamesAndKeepsTheVersion) {
  ASSERT_EQ(QeProjectDb_Wellplatedef_JobsUpgradeSystemPlateDefs(h_, 3), eQeOk);
  // A geometry stored under a catalogue uuid makes the catalogue's insert fail.
  ASSERT_EQ(Exec(L"INSERT INTO wellplateconfiguration(wszUuid,iRowCount,iColCount,iRowNaming,"
                 L"iColNaming) VALUES('89399cb293be4e2e90ba805bff7a9326',1,1,0,0);"),
            0);
  {
    DiagLines diag;
    EXPECT_EQ(QeProjectDb_Wellplatedef_JobsUpgradeSystemPlateDefs(h_, 6), eQeFailed);
    const std::vector<std::string> expected = {"Updating Wellplate definitions...",
                                               "Upgrade (phase 1) FAILED"};
    EXPECT_EQ(diag.lines(), expected);
  }
  EXPECT_EQ(Count(L"wellplateconfiguration"), 1);
  EXPECT_EQ(Count(L"wellplatename"), 0);
  EXPECT_EQ(Version(kQeCatalogueVersionPlate), 3);

  ASSERT_EQ(Exec(L"DELETE FROM wellplateconfiguration;"), 0);
  EXPECT_EQ(QeProjectDb_Wellplatedef_JobsUpgradeSystemPlateDefs(h_, 6), eQeOk);
  EXPECT_EQ(Count(L"wellplatename"), 422);
}

TEST_F(CatalogueUpgrade, FailedPhaseTwoTakesPhaseOneBack) {
  // A name stored under the uuid of catalogue product 3368.
  ASSERT_EQ(Exec(L"INSERT INTO wellplateconfiguration(wszUuid,iRowCount,iColCount,iRowNaming,"
                 L"iColNaming) VALUES('mine',1,1,0,0);"
                 L"INSERT INTO wellplatename(wszUuid,iWellplateconfigKeyRef,wszCompany,wszType,"
                 L"wszModel,iUserImported,iRemoved) VALUES('1f5ae28cbdd048f381a7511a7ee146e4',1,"
                 L"'Custom wellplates','','mine',1,0);"),
            0);
  {
    DiagLines diag;
    EXPECT_EQ(QeProjectDb_Wellplatedef_JobsUpgradeSystemPlateDefs(h_, 6), eQeFailed);
    ASSERT_GE(diag.lines().size(), 3u);
    EXPECT_EQ(diag.lines()[1], "Upgrade (phase 1) OK");
    EXPECT_EQ(diag.lines()[2], "Upgrade (phase 2) FAILED");
  }
  EXPECT_EQ(Count(L"wellplateconfiguration"), 1);
  EXPECT_EQ(Count(L"wellplatename"), 1);
  EXPECT_EQ(Version(kQeCatalogueVersionPlate), 0);

  ASSERT_EQ(Exec(L"UPDATE wellplatename SET wszUuid='mine';"), 0);
  EXPECT_EQ(QeProjectDb_Wellplatedef_JobsUpgradeSystemPlateDefs(h_, 6), eQeOk);
  EXPECT_EQ(Count(L"wellplatename"), 423);
}

TEST_F(CatalogueUpgrade, FailedDishAndSlideUpgradesLeaveNothing) {
  ASSERT_EQ(
      Exec(L"INSERT INTO dishconfiguration(wszUuid) VALUES('f719c38a479844ee858fe2bc9faf071a');"
           L"INSERT INTO slidedef(wszUuid,wszCompany) VALUES('013db070665a4393b358a7714bea63b0',"
           L"'50x25 mm');"),
      0);
  EXPECT_EQ(QeProjectDb_Wellplatedef_JobsUpgradeSystemDishDefs(h_, 2), eQeFailed);
  EXPECT_EQ(QeProjectDb_Wellplatedef_JobsUpgradeSystemSlideDefs(h_, 2), eQeFailed);
  EXPECT_EQ(Count(L"dishconfiguration"), 1);
  EXPECT_EQ(Count(L"dishname"), 0);
  EXPECT_EQ(Count(L"slidedef"), 1);
  EXPECT_EQ(Version(kQeCatalogueVersionDish), 0);
  EXPECT_EQ(Version(kQeCatalogueVersionSlide), 0);
}

TEST_F(CatalogueUpgrade, AnEmptyCatalogueIsNotStored) {
  auto saved = std::move(Catalogue::m_vectWellplateConfigs);
  Catalogue::m_vectWellplateConfigs.clear();
  EXPECT_EQ(QeProjectDb_Wellplatedef_JobsUpgradeSystemPlateDefs(h_, 6), eQeFailed);
  Catalogue::m_vectWellplateConfigs = std::move(saved);
  EXPECT_EQ(Version(kQeCatalogueVersionPlate), 0);
  EXPECT_EQ(QeProjectDb_Wellplatedef_JobsUpgradeSystemPlateDefs(h_, 6), eQeOk);
}

}  // namespace
}  // namespace qe::test
