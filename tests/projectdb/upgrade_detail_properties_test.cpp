// Step 36 to 37 gives each analysis run its own measured-property
// definitions, named after the run, in the "$$$assay$$$" set.
#include <gtest/gtest.h>

#include "projectdb/upgrade_support.h"
#include "qe/projectdb/upgrade.h"

namespace qe::test {
namespace {

using UpgradeDetailProperties = UpgradeFixture;

// Two runs of one analysis ('Run A' and 'Run "B" 5%') measured the same
// property (fixture definition 2) on frames of job run 1; definition 4 is
// never measured.
TEST_F(UpgradeDetailProperties, TwoRunsOfOnePropertyGetTwoDefinitions) {
  const std::string path = Build(36);
  ASSERT_EQ(CRawDb(path).Exec(
                "INSERT INTO assayrun (iKey, iJobrunKeyRef, iAssaydefKeyRef, wszUuid, wszName, "
                "dCTime) VALUES (4, 1, 1, 'u4', 'Run A', 1.0), (5, 1, 1, 'u5', 'Run \"B\" 5%', "
                "2.0); INSERT INTO propdef (iKey, iPropsetKeyRef, wszName, wszUnit, wszDesc) "
                "VALUES (4, 3, 'Unused', 'px', 'never measured');"
                "INSERT INTO frameprop (iJobrunKeyRef, iAssayrunKeyRef, iPropdefKeyRef, "
                "iFrameIndex, dValue) VALUES (1, 4, 2, 10, 1.25), (1, 4, 2, 11, 1.5), "
                "(1, 5, 2, 10, 7.75);"),
            0);
  ASSERT_EQ(QeProjectDb_Db_Upgrade(Wide(path), nullptr), 0);
  CRawDb db(path);
  const std::string property = CQeStringW(FixtureText(L"propdef", L"wszName", 2)).ToUtf8();
  // Each run's values read through a definition named after that run.
  EXPECT_EQ(
      db.Rows("SELECT d.wszPropsetName, d.wszName, f.dValue FROM frameprop f JOIN propdef "
              "d ON d.iKey = f.iPropdefKeyRef WHERE f.iAssayrunKeyRef IN (4, 5) ORDER BY "
              "f.dValue"),
      (std::vector<std::vector<std::string>>{{"$$$assay$$$", "Run A." + property, "1.25"},
                                             {"$$$assay$$$", "Run A." + property, "1.5"},
                                             {"$$$assay$$$", "Run \"B\" 5%." + property, "7.75"}}));
  // The fixture's own three runs measured one definition each; the unused
  // one is gone.
  EXPECT_EQ(db.Int("SELECT count(*) FROM propdef"), kFixtureRows + 2);
  EXPECT_EQ(db.Int("SELECT count(*) FROM propdef WHERE wszName='Unused'"), 0);
}

}  // namespace
}  // namespace qe::test
