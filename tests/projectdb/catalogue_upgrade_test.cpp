// Bringing the built-in catalogue into project databases: what a refresh
// writes, version bounds, diagnostics and failures that leave nothing
// behind.
#include <string>
#include <vector>

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
  // Whether a product is stored linked to the geometry of that uuid.
  bool Linked(const wchar_t* names, const wchar_t* configs, const wchar_t* key_ref,
              const SQeDbHolderName& name) {
    return Int(L"SELECT COUNT(*) FROM " + std::wstring(names) + L" n JOIN " + configs +
               L" c ON n." + key_ref + L"=c.iKey WHERE n.wszUuid='" + name.wszUuid.str() +
               L"' AND c.wszUuid='" + name.wszConfigUuid.str() + L"'") == 1;
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

  for (const auto& name : Catalogue::m_vectWellplateNames) {
    EXPECT_TRUE(
        Linked(L"wellplatename", L"wellplateconfiguration", L"iWellplateconfigKeyRef", name))
        << name.wszModel.ToUtf8();
  }
  for (const auto& name : Catalogue::m_vectDishNames) {
    EXPECT_TRUE(Linked(L"dishname", L"dishconfiguration", L"iDishKeyRef", name))
        << name.wszModel.ToUtf8();
  }
}

TEST_F(CatalogueUpgrade, StoredRowsEqualThePublishedEntries) {
  RefreshAll();
  SQeProjectDbRow_wellplatedef plate;
  bool found = false;
  ASSERT_EQ(QeProjectDb_Wellplatedef_GetOne(h_, L"1f5ae28cbdd048f381a7511a7ee146e4", plate, found),
            eQeOk);
  ASSERT_TRUE(found);
  EXPECT_EQ(plate.wszCompany + L"/" + plate.wszType + L"/" + plate.wszModel,
            L"Corning Inc./Costar/3368");
  EXPECT_EQ(std::vector<int>({plate.iRowCount, plate.iColCount, plate.iRowNaming, plate.iColNaming,
                              plate.iUserImported, plate.iRemoved}),
            std::vector<int>({8, 12, eQeNamingLetters, eQeNamingNumbers, 0, 0}));
  const CQeWellplate geometry = Load<CQeWellplate>(plate.pData);
  EXPECT_EQ(geometry.GetUuid(), L"89399cb293be4e2e90ba805bff7a9326");
  EXPECT_TRUE(geometry.EqualWellplate(
      CQeWellplate(L"", eQeNamingModeRowColumn, eQeNamingLetters, eQeNamingNumbers, 12, 8, 9000,
                   9000, 127760, 85470, 14380, 11240, CQeLayoutElement(SQeShape(2285)))));
  ASSERT_EQ(QeProjectDb_Wellplatedef_GetOne(h_, L"d32e517d9a4f4ae2a9b1ad6dafc01151", plate, found),
            eQeOk);
  EXPECT_EQ(plate.wszCompany + L"/" + plate.wszType + L"/" + plate.wszModel,
            L"IBIDI/u-Slide 8 well/80826");
  EXPECT_EQ(Load<CQeWellplate>(plate.pData).GetUuid(), L"3ce9eb7eac7b400aae4434cdd695aaa0");

  SQeProjectDbRow_dishconfiguration dish;
  ASSERT_EQ(QeProjectDb_Dishconfig_GetOne(h_, L"f719c38a479844ee858fe2bc9faf071a", dish), eQeOk);
  EXPECT_EQ(Load<CQeLayoutElement>(dish.layoutelement).GetActiveArea(), SQeShape(3500));
  EXPECT_EQ(Load<SQeShape>(dish.surroundarea), SQeShape(17500));
  EXPECT_EQ(Int(L"SELECT iDishKeyRef FROM dishname WHERE wszModel='P35G-0-7-C' AND "
                L"wszCompany='Mattek' AND wszType='Glass Bottom Dish'"),
            dish.iKey);
  EXPECT_EQ(Count(L"dishname WHERE wszModel='P50G-0-14-F '"), 1);  // blanks are kept
  EXPECT_EQ(Count(L"dishname WHERE wszType='CELLview Dish '"), 6);

  SQeProjectDbRow_slidedef slide;
  ASSERT_EQ(QeProjectDb_Slidedef_GetOne(h_, CQeStringW(L"dc7931f0f49b467cb823307c64aef21b"), slide),
            eQeOk);
  EXPECT_EQ(slide.wszCompany + L"/" + slide.wszType + L"/" + slide.wszModel,
            L"75x25 mm + sticker//");
  EXPECT_EQ(CQeRectBase<double>(slide.stickerL, slide.stickerT, slide.stickerR, slide.stickerB),
            CQeRectBase<double>(-37500, -12500, -20000, 12500));
  EXPECT_EQ(Load<CQeLayoutElement>(slide.layoutelement).GetActiveArea(), SQeShape(22000, 22000));
  EXPECT_EQ(Load<SQeShape>(slide.surroundarea), SQeShape(75000, 25000));
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
