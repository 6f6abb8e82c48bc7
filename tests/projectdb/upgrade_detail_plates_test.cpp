// Step 28 to 29: well-plate definitions become configurations and names,
// the built-in plates are imported and plate links point at names.
#include <gtest/gtest.h>

#include "projectdb/upgrade_support.h"
#include "qe/core/status.h"
#include "qe/labware/insert_object_database.h"
#include "qe/projectdb/upgrade.h"

namespace qe::test {
namespace {

using UpgradeDetailPlates = UpgradeFixture;

std::string Utf8Of(const std::wstring& text) { return CQeStringW(text).ToUtf8(); }

TEST_F(UpgradeDetailPlates, PlatesOfRunsReachTheirConfigurationThroughNames) {
  const std::string path = Build(28);
  ASSERT_EQ(QeProjectDb_Db_Upgrade(Wide(path), nullptr), 0);
  CRawDb db(path);
  // Each plate reaches, through its name, a configuration of the same key.
  for (int k = 1; k <= kFixtureRows; ++k) {
    const std::string uuid = Utf8Of(FixtureUuid(L"wellplatedef", k));
    EXPECT_EQ(db.Rows("SELECT n.wszUuid, c.wszUuid, p.wszName FROM plateinfo p JOIN wellplatename "
                      "n ON n.iKey = p.iWellplatenameKeyRef JOIN wellplateconfiguration c ON "
                      "c.iKey = n.iWellplateconfigKeyRef WHERE p.iKey=" +
                      std::to_string(k)),
              (std::vector<std::vector<std::string>>{
                  {uuid, uuid, Utf8Of(FixtureText(L"plateinfo", L"wszName", k))}}));
  }
  // Every built-in plate is there once, with a geometry.
  for (const auto& plate : CQeInsertObjectDatabase::m_vectWellplateNames) {
    EXPECT_EQ(
        db.Int("SELECT count(*) FROM wellplatename n JOIN wellplateconfiguration c ON c.iKey "
               "= n.iWellplateconfigKeyRef WHERE n.wszUuid='" +
               plate.wszUuid.ToUtf8() + "' AND c.wszUuid='" + plate.wszConfigUuid.ToUtf8() + "'"),
        1);
  }
  EXPECT_EQ(db.Int("SELECT iVersion FROM vesion WHERE wszName='plate'"), 6);
  EXPECT_TRUE(db.Rows("PRAGMA foreign_key_check").empty());
}

TEST_F(UpgradeDetailPlates, PlateOfAMissingDefinitionStopsAt28) {
  const std::string path = Build(28);
  ASSERT_EQ(CRawDb(path).Exec("INSERT INTO plateinfo (iKey, iJobrunKeyRef, iWellplatedefKeyRef, "
                              "wszName) VALUES (9, 1, 99, 'lost');"),
            0);
  EXPECT_EQ(Step(path, QeProjectDb_Db_Upgrade_From_028_To_029), eQeFailed);
  EXPECT_NE(QeProjectDb_Db_Upgrade(Wide(path), nullptr), 0);
  CRawDb db(path);
  EXPECT_EQ(db.Int("SELECT iVersion FROM vesion WHERE wszName='main'"), 28);
  EXPECT_EQ(db.Int("SELECT count(*) FROM plateinfo"), kFixtureRows + 1);
  EXPECT_EQ(db.Int("SELECT count(*) FROM sqlite_master WHERE name='wellplatename'"), 0);
}

}  // namespace
}  // namespace qe::test
