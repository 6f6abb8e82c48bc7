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
  {
    CRawDb db(path);
    // A second plate of run 1 on definition 2, with hostile texts.
    ASSERT_EQ(db.Exec("INSERT INTO plateinfo (iKey, iJobrunKeyRef, iWellplatedefKeyRef, wszName, "
                      "wszBarcode, wszDesc) VALUES (4, 1, 2, 'O''Brien µ', '100% \"bc\"', "
                      "'line;\nDROP TABLE x;');"),
              0);
  }
  ASSERT_EQ(QeProjectDb_Db_Upgrade(Wide(path), nullptr), 0);
  CRawDb db(path);
  const std::string chain =
      "SELECT n.wszUuid, c.wszUuid, c.iRowCount, p.wszName, p.wszBarcode, p.wszDesc, "
      "p.iJobrunKeyRef FROM plateinfo p JOIN wellplatename n ON n.iKey = p.iWellplatenameKeyRef "
      "JOIN wellplateconfiguration c ON c.iKey = n.iWellplateconfigKeyRef WHERE p.iKey=";
  for (int k = 1; k <= kFixtureRows; ++k) {
    const auto rows = db.Rows(chain + std::to_string(k));
    ASSERT_EQ(rows.size(), 1u) << k;
    EXPECT_EQ(rows[0][0], Utf8Of(FixtureUuid(L"wellplatedef", k)));
    EXPECT_EQ(rows[0][1], rows[0][0]);
    EXPECT_EQ(rows[0][3], Utf8Of(FixtureText(L"plateinfo", L"wszName", k)));
    EXPECT_EQ(rows[0][6], std::to_string(k));
  }
  const auto added = db.Rows(chain + "4");
  ASSERT_EQ(added.size(), 1u);
  EXPECT_EQ(added[0][0], Utf8Of(FixtureUuid(L"wellplatedef", 2)));
  EXPECT_EQ(added[0][3], "O'Brien µ");
  EXPECT_EQ(added[0][4], "100% \"bc\"");
  EXPECT_EQ(added[0][5], "line;\nDROP TABLE x;");
  // Company, type and model moved to the name.
  EXPECT_EQ(db.Text("SELECT wszModel FROM wellplatename WHERE iKey=3"),
            Utf8Of(FixtureText(L"wellplatedef", L"wszModel", 3)));
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
  {
    CRawDb db(path);
    ASSERT_EQ(db.Exec("INSERT INTO plateinfo (iKey, iJobrunKeyRef, iWellplatedefKeyRef, wszName, "
                      "wszBarcode, wszDesc) VALUES (9, 1, 99, 'lost', '', '');"),
              0);
  }
  EXPECT_EQ(Step(path, QeProjectDb_Db_Upgrade_From_028_To_029), eQeFailed);
  EXPECT_NE(QeProjectDb_Db_Upgrade(Wide(path), nullptr), 0);
  CRawDb db(path);
  EXPECT_EQ(db.Int("SELECT iVersion FROM vesion WHERE wszName='main'"), 28);
  EXPECT_EQ(db.Int("SELECT count(*) FROM wellplatedef"), kFixtureRows);
  EXPECT_EQ(db.Int("SELECT count(*) FROM plateinfo"), kFixtureRows + 1);
  EXPECT_EQ(db.Int("SELECT count(*) FROM sqlite_master WHERE name='wellplatename'"), 0);
}

}  // namespace
}  // namespace qe::test
