// Step 36 to 37 gives each analysis run its own measured-property
// definitions, named after the run, in the "$$$assay$$$" set.
#include <gtest/gtest.h>

#include "projectdb/upgrade_support.h"
#include "qe/projectdb/upgrade.h"

namespace qe::test {
namespace {

using UpgradeDetailProperties = UpgradeFixture;

// Two runs of one analysis ('Run A' and 'Run "B" 5%') measured the same
// property (fixture definition 2, in an ordinary set) on frames of job run
// 1; definition 4, unused, sits in another ordinary set.
void AddTwoRunsMeasuringOneProperty(const std::string& path) {
  CRawDb db(path);
  ASSERT_EQ(db.Exec("INSERT INTO assayrun (iKey, iJobrunKeyRef, iAssaydefKeyRef, wszUuid, wszName, "
                    "dCTime) VALUES (4, 1, 1, 'u4', 'Run A', 1.0), (5, 1, 1, 'u5', "
                    "'Run \"B\" 5%', 2.0);"
                    "INSERT INTO propdef (iKey, iPropsetKeyRef, wszName, wszUnit, wszDesc) VALUES "
                    "(4, 3, 'Unused', 'px', 'never measured');"
                    "INSERT INTO frameprop (iJobrunKeyRef, iAssayrunKeyRef, iPropdefKeyRef, "
                    "iFrameIndex, dValue) VALUES (1, 4, 2, 10, 1.25), (1, 4, 2, 11, 1.5), "
                    "(1, 5, 2, 10, 7.75);"),
            0);
}

std::string PropertyName(int k) {
  return CQeStringW(FixtureText(L"propdef", L"wszName", k)).ToUtf8();
}

TEST_F(UpgradeDetailProperties, TwoRunsOfOnePropertyGetTwoDefinitions) {
  const std::string path = Build(36);
  AddTwoRunsMeasuringOneProperty(path);
  ASSERT_EQ(Step(path, QeProjectDb_Db_Upgrade_From_036_To_037), 0);

  CRawDb db(path);
  EXPECT_EQ(db.Int("SELECT iVersion FROM vesion WHERE wszName='main'"), 37);
  const std::string assaySet = "(SELECT iKey FROM propset WHERE wszUniqueName='$$$assay$$$')";
  EXPECT_EQ(db.Text("SELECT wszName FROM propset WHERE wszUniqueName='$$$assay$$$'"), "Assay");
  // Each run's values read through a definition named after that run.
  EXPECT_EQ(db.Rows("SELECT d.wszName, f.dValue FROM frameprop f JOIN propdef d ON d.iKey = "
                    "f.iPropdefKeyRef WHERE f.iAssayrunKeyRef IN (4, 5) ORDER BY f.dValue"),
            (std::vector<std::vector<std::string>>{{"Run A." + PropertyName(2), "1.25"},
                                                   {"Run A." + PropertyName(2), "1.5"},
                                                   {"Run \"B\" 5%." + PropertyName(2), "7.75"}}));
  EXPECT_EQ(db.Int("SELECT count(*) FROM propdef WHERE wszName LIKE 'Run %' AND iPropsetKeyRef = " +
                   assaySet),
            2);
  // The fixture's own runs measured definitions 1 to 3 once each: the
  // quantity one stays in its set, the others move into the analysis set.
  EXPECT_EQ(db.Int("SELECT count(*) FROM propdef WHERE iPropsetKeyRef = (SELECT iKey FROM propset "
                   "WHERE wszUniqueName='$$$quantity$$$')"),
            1);
  // Old definitions, the unused one, the other sets and object properties
  // are gone; the temporary table and trigger do not outlive the step.
  EXPECT_EQ(db.Int("SELECT count(*) FROM propdef WHERE iKey <= 4"), 0);
  EXPECT_EQ(db.Int("SELECT count(*) FROM propdef"), kFixtureRows + 2);
  EXPECT_EQ(db.Int("SELECT count(*) FROM propset"), 2);
  EXPECT_EQ(db.Int("SELECT count(*) FROM binobjprop"), 0);
  EXPECT_EQ(db.Int("SELECT count(*) FROM frameprop WHERE iPropdefKeyRef NOT IN (SELECT iKey FROM "
                   "propdef)"),
            0);
  EXPECT_EQ(db.Int("SELECT count(*) FROM sqlite_temp_master"), 0);
}

TEST_F(UpgradeDetailProperties, NamesSurviveTheWholeUpgrade) {
  const std::string path = Build(36);
  AddTwoRunsMeasuringOneProperty(path);
  ASSERT_EQ(QeProjectDb_Db_Upgrade(Wide(path), nullptr), 0);
  CRawDb db(path);
  EXPECT_EQ(
      db.Rows("SELECT wszPropsetName, wszName FROM propdef WHERE wszName LIKE 'Run %' "
              "ORDER BY wszName"),
      (std::vector<std::vector<std::string>>{{"$$$assay$$$", "Run \"B\" 5%." + PropertyName(2)},
                                             {"$$$assay$$$", "Run A." + PropertyName(2)}}));
}

}  // namespace
}  // namespace qe::test
