// Single upgrade steps on fixture files: what each one does to the rows it
// converts, including rows that point nowhere and texts that are not numbers.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>

#include "projectdb/upgrade_support.h"
#include "qe/projectdb/upgrade.h"
#include "support/scoped_env.h"

namespace qe::test {
namespace {

using UpgradeSteps = UpgradeFixture;

bool IsUuidText(const std::string& text) {
  return std::regex_match(text, std::regex("[0-9a-f]{32}"));
}

long long MainVersion(CRawDb& db) {
  return db.Int("SELECT iVersion FROM vesion WHERE wszName='main'");
}

// Tables that no step table names are left alone; a table of the layout gets
// its indexes back.
TEST_F(UpgradeSteps, Generic11To12RebuildsOnlyTheTablesOfTheLayout) {
  const std::string path = Build(11);
  {
    CRawDb db(path);
    ASSERT_EQ(db.Exec("CREATE TABLE hostnotes (txt TEXT); INSERT INTO hostnotes VALUES ('it''s'); "
                      "DROP INDEX idx_jobrun_iProjKeyRef;"),
              0);
  }
  EXPECT_EQ(Step(path, QeProjectDb_Db_Upgrade_From_011_To_012), 0);
  CRawDb db(path);
  EXPECT_EQ(MainVersion(db), 12);
  EXPECT_EQ(db.Text("SELECT txt FROM hostnotes"), "it's");
  EXPECT_EQ(db.Int("SELECT count(*) FROM sqlite_master WHERE name='idx_jobrun_iProjKeyRef'"), 1);
  EXPECT_EQ(db.Int("SELECT count(*) FROM jobrun"), kFixtureRows);
}

TEST_F(UpgradeSteps, Step16To17NamesFramesByRunAndIndexAndDropsRowsOfMissingFrames) {
  const std::string path = Build(16);
  {
    CRawDb db(path);
    ASSERT_EQ(db.Exec("INSERT INTO frameprop VALUES (10, 99, 1, 1, 7.5);"
                      "INSERT INTO frametag VALUES (10, 99, 1);"
                      "INSERT INTO binframe VALUES (10, 99, 1, 7);"),
              0);
  }
  EXPECT_EQ(Step(path, QeProjectDb_Db_Upgrade_From_016_To_017), 0);
  CRawDb db(path);
  for (const char* table : {"frameprop", "frametag", "binframe"}) {
    EXPECT_EQ(db.Int(std::string("SELECT count(*) FROM ") + table), kFixtureRows) << table;
    EXPECT_EQ(
        db.Rows(std::string("SELECT iJobrunKeyRef, iFrameIndex FROM ") + table + " WHERE iKey=2"),
        (std::vector<std::vector<std::string>>{{"2", "2"}}))
        << table;
  }
  EXPECT_EQ(db.Int("SELECT count(*) FROM runloop WHERE iNestLevel = iOrder"), kFixtureRows);
}

TEST_F(UpgradeSteps, Step21To22TurnsPlateAndWellLoopsIntoFrameLinks) {
  const std::string path = Build(21);
  EXPECT_EQ(Step(path, QeProjectDb_Db_Upgrade_From_021_To_022), 0);
  CRawDb db(path);
  // Run loop 1 is a plate loop, 2 a well loop, 3 neither.
  EXPECT_EQ(db.Rows("SELECT iJobrunKeyRef, iPlateinfoKeyRef, iFrameIndex FROM frameplateinfo"),
            (std::vector<std::vector<std::string>>{{"1", "1", "1"}}));
  EXPECT_EQ(db.Rows("SELECT iJobrunKeyRef, iWellinfoKeyRef, iFrameIndex FROM framewellinfo"),
            (std::vector<std::vector<std::string>>{{"2", "2", "2"}}));
  EXPECT_EQ(db.Int("SELECT count(*) FROM pragma_table_info('loopindex') WHERE name = "
                   "'iLoopinfoKeyRef'"),
            0);
  EXPECT_EQ(db.Int("SELECT count(*) FROM loopindex"), kFixtureRows);
}

TEST_F(UpgradeSteps, Step22To23ClearsReferencesThatPointNowhere) {
  const std::string path = Build(22);
  {
    CRawDb db(path);
    ASSERT_EQ(db.Exec("UPDATE jobtask SET iJobtaskKeyRef=99 WHERE iKey=3;"
                      "UPDATE runloop SET iJobtaskKeyRef=98 WHERE iKey=1;"
                      "UPDATE frame SET iJobtaskKeyRef=97 WHERE iKey=2;"
                      "UPDATE propset SET iPropsetKeyRef=96 WHERE iKey=2;"
                      "UPDATE assaydef SET iJobtaskKeyRef=95 WHERE iKey=3;"
                      "UPDATE tagdef SET iTagdefKeyRef=94 WHERE iKey=3;"),
              0);
  }
  EXPECT_EQ(Step(path, QeProjectDb_Db_Upgrade_From_022_To_023), 0);
  CRawDb db(path);
  EXPECT_EQ(db.Text("SELECT iJobtaskKeyRef FROM jobtask WHERE iKey=3"), "NULL");
  EXPECT_EQ(db.Text("SELECT iJobtaskKeyRef FROM jobtask WHERE iKey=2"), "1");
  EXPECT_EQ(db.Text("SELECT iJobtaskKeyRef FROM runloop WHERE iKey=1"), "NULL");
  EXPECT_EQ(db.Text("SELECT iJobtaskKeyRef FROM frame WHERE iKey=2"), "NULL");
  EXPECT_EQ(db.Text("SELECT iPropsetKeyRef FROM propset WHERE iKey=2"), "NULL");
  EXPECT_EQ(db.Text("SELECT iJobtaskKeyRef FROM assaydef WHERE iKey=3"), "NULL");
  EXPECT_EQ(db.Text("SELECT iTagdefKeyRef FROM tagdef WHERE iKey=3"), "NULL");
  EXPECT_TRUE(db.Rows("PRAGMA foreign_key_check").empty());
  EXPECT_EQ(db.Text("SELECT \"table\" FROM pragma_foreign_key_list('tagdef')"), "tagdef");
}

TEST_F(UpgradeSteps, Step23To24KeepsTheLastPartOfStoredPaths) {
  const std::string path = Build(23);
  {
    CRawDb db(path);
    ASSERT_EQ(db.Exec("UPDATE project SET wszAbsPath='\\\\server\\share\\Zellkern µ''s\\\\' "
                      "WHERE iKey=1; UPDATE project SET wszAbsPath='Plain' WHERE iKey=2;"
                      "UPDATE project SET wszAbsPath='\\' WHERE iKey=3;"),
              0);
  }
  EXPECT_EQ(Step(path, QeProjectDb_Db_Upgrade_From_023_To_024), 0);
  CRawDb db(path);
  EXPECT_EQ(db.Rows("SELECT wszFolderName FROM project ORDER BY iKey"),
            (std::vector<std::vector<std::string>>{{"Zellkern µ's"}, {"Plain"}, {"NULL"}}));
  EXPECT_EQ(db.Text("SELECT wszFolderName FROM jobrun WHERE iKey=2"), "Run 2");
  EXPECT_EQ(db.Text("SELECT wszFileName FROM file WHERE iKey=2"), "Image 2.tif");
}

TEST_F(UpgradeSteps, Step24To25KeepsTheFirstRowOfEachUuid) {
  const std::string path = Build(24);
  {
    CRawDb db(path);
    ASSERT_EQ(db.Exec("INSERT INTO project (iKey, wszUuid, wszName) SELECT 10, wszUuid, 'copy' "
                      "FROM project WHERE iKey=2;"
                      "INSERT INTO jobclasslaststate (iKey, wszUniqueName) SELECT 10, "
                      "wszUniqueName FROM jobclasslaststate WHERE iKey=1;"),
              0);
  }
  EXPECT_EQ(Step(path, QeProjectDb_Db_Upgrade_From_024_To_025), 0);
  CRawDb db(path);
  EXPECT_EQ(db.Int("SELECT count(*) FROM project"), kFixtureRows);
  EXPECT_EQ(db.Int("SELECT count(*) FROM project WHERE iKey=10"), 0);
  EXPECT_EQ(db.Int("SELECT count(*) FROM jobclasslaststate"), kFixtureRows);
  EXPECT_NE(db.Exec("INSERT INTO jobrun (wszUuid) SELECT wszUuid FROM jobrun WHERE iKey=1"), 0);
}

TEST_F(UpgradeSteps, Step25To26StoresTruncateOnANetworkPath) {
  const std::string local = Build(25);
  EXPECT_EQ(Step(local, QeProjectDb_Db_Upgrade_From_025_To_026), 0);
  {
    CRawDb db(local);
    EXPECT_EQ(db.Rows("SELECT wszName, wszType, varValue FROM settings ORDER BY iKey"),
              (std::vector<std::vector<std::string>>{{"journal_mode", "stringw", "wal"},
                                                     {"synchronous", "stringw", "normal"}}));
  }
  ScopedEnv network("QE_PROJECTDB_NETWORK_PATHS", dir_.path().c_str());
  const std::string remote = Build(25);
  EXPECT_EQ(Step(remote, QeProjectDb_Db_Upgrade_From_025_To_026), 0);
  CRawDb db(remote);
  EXPECT_EQ(db.Text("SELECT varValue FROM settings WHERE wszName='journal_mode'"), "truncate");
}

TEST_F(UpgradeSteps, Step28To29WritesPlateVersion6) {
  const std::string without = Build(28);
  const std::string with = Build(28);
  {
    CRawDb db(with);
    ASSERT_EQ(db.Exec("INSERT INTO vesion (wszName, iVersion) VALUES ('plate', 3)"), 0);
  }
  for (const std::string& path : {without, with}) {
    EXPECT_EQ(Step(path, QeProjectDb_Db_Upgrade_From_028_To_029), 0);
    CRawDb db(path);
    EXPECT_EQ(db.Rows("SELECT iVersion FROM vesion WHERE wszName='plate'"),
              (std::vector<std::vector<std::string>>{{"6"}}));
    EXPECT_EQ(MainVersion(db), 29);
  }
}

TEST_F(UpgradeSteps, Step36To37FinishTimeIsTheLastFrameOrTheStart) {
  const std::string path = Build(36);
  {
    CRawDb db(path);
    // Run 1 has a later frame, run 2's frame is older than the run, run 3
    // has none.
    ASSERT_EQ(db.Exec("INSERT INTO frame (iKey, iJobrunKeyRef, iFrameIndex, dCTime) VALUES (10, "
                      "1, 9, 2460005.75);"
                      "UPDATE frame SET dCTime=2459990.0 WHERE iKey=2;"
                      "DELETE FROM frame WHERE iKey=3;"),
              0);
  }
  EXPECT_EQ(Step(path, QeProjectDb_Db_Upgrade_From_036_To_037), 0);
  CRawDb db(path);
  EXPECT_EQ(db.Text("SELECT dFTime FROM jobrun WHERE iKey=1"), "2460005.75");
  EXPECT_EQ(db.Text("SELECT dFTime = dCTime FROM jobrun WHERE iKey=2"), "1");
  EXPECT_EQ(db.Text("SELECT dFTime = dCTime FROM jobrun WHERE iKey=3"), "1");
}

TEST_F(UpgradeSteps, Step39To40GivesEveryLayerANewUuid) {
  const std::string path = Build(39);
  EXPECT_EQ(Step(path, QeProjectDb_Db_Upgrade_From_039_To_040), 0);
  CRawDb db(path);
  std::set<std::string> uuids;
  for (const auto& row : db.Rows("SELECT wszUuid FROM binlayer")) {
    EXPECT_TRUE(IsUuidText(row[0])) << row[0];
    uuids.insert(row[0]);
  }
  EXPECT_EQ(uuids.size(), static_cast<size_t>(kFixtureRows));
}

TEST_F(UpgradeSteps, Step40To41MovesStateBit2ToTheToolbar) {
  const std::string path = Build(40);
  {
    CRawDb db(path);
    ASSERT_EQ(db.Exec("UPDATE jobdef SET iState=6 WHERE iKey=3"), 0);
  }
  EXPECT_EQ(Step(path, QeProjectDb_Db_Upgrade_From_040_To_041), 0);
  CRawDb db(path);
  EXPECT_EQ(db.Rows("SELECT iJobdefKeyRef FROM toolbarjobdef ORDER BY iJobdefKeyRef"),
            (std::vector<std::vector<std::string>>{{"2"}, {"3"}}));
  EXPECT_EQ(db.Rows("SELECT iState FROM jobdef ORDER BY iKey"),
            (std::vector<std::vector<std::string>>{{"1"}, {"0"}, {"4"}}));
}

TEST_F(UpgradeSteps, Step45To46ReadsValueAndTypeTextsAsIntegers) {
  const std::string path = Build(45);
  {
    CRawDb db(path);
    ASSERT_EQ(db.Exec("UPDATE jobpropdef SET wszPropvalue='abc', wszProptype='' WHERE iKey=3"), 0);
  }
  EXPECT_EQ(Step(path, QeProjectDb_Db_Upgrade_From_045_To_046), 0);
  CRawDb db(path);
  EXPECT_EQ(
      db.Rows("SELECT iPropdefvalue, iPropdeftype, iPropdefvisibility FROM jobpropdef ORDER "
              "BY iKey"),
      (std::vector<std::vector<std::string>>{{"10", "1", "0"}, {"20", "2", "0"}, {"0", "0", "0"}}));
}

TEST_F(UpgradeSteps, Step48To60LayersTakeTheAnalysisRunOfTheirRunAndDefinition) {
  const std::string path = Build(48);
  EXPECT_EQ(Step(path, QeProjectDb_Db_Upgrade_From_048_To_060), 0);
  CRawDb db(path);
  EXPECT_EQ(db.Rows("SELECT iKey, iAssayrunKeyRef FROM binlayer ORDER BY iKey"),
            (std::vector<std::vector<std::string>>{{"1", "1"}, {"2", "2"}, {"3", "3"}}));
  EXPECT_EQ(db.Int("SELECT count(*) FROM sqlite_master WHERE name='assaydef'"), 0);
  EXPECT_EQ(db.Int("SELECT count(*) FROM pragma_table_info('assayrun') WHERE name = "
                   "'iAssaydefKeyRef'"),
            0);
  EXPECT_EQ(MainVersion(db), 60);
}

TEST_F(UpgradeSteps, Step66To67DropsPropertiesOfMissingObjects) {
  const std::string path = Build(66);
  {
    CRawDb db(path);
    ASSERT_EQ(db.Exec("INSERT INTO binobjprop VALUES (10, 99, 1, 2.5)"), 0);
  }
  EXPECT_EQ(Step(path, QeProjectDb_Db_Upgrade_From_066_To_067), 0);
  CRawDb db(path);
  EXPECT_EQ(
      db.Rows("SELECT iKey, iJobrunKeyRef, iFrameIndex FROM binobjprop ORDER BY iKey"),
      (std::vector<std::vector<std::string>>{{"1", "1", "1"}, {"2", "2", "2"}, {"3", "3", "3"}}));
}

TEST_F(UpgradeSteps, Step67To68NamesSetsByTextAndDropsUnresolvedRows) {
  const std::string path = Build(67);
  {
    CRawDb db(path);
    ASSERT_EQ(db.Exec("INSERT INTO propdef (iKey, iPropsetKeyRef, wszName) VALUES (10, 99, 'x');"
                      "INSERT INTO tagdef (iKey, iTagdefKeyRef, wszName) VALUES (10, 99, 'y');"),
              0);
  }
  EXPECT_EQ(Step(path, QeProjectDb_Db_Upgrade_From_067_To_068), 0);
  CRawDb db(path);
  EXPECT_EQ(db.Int("SELECT count(*) FROM propdef"), kFixtureRows);
  EXPECT_EQ(db.Text("SELECT wszPropsetName FROM propdef WHERE iKey=2"),
            CQeStringW(FixtureText(L"propset", L"wszUniqueName", 2)).ToUtf8());
  EXPECT_EQ(db.Rows("SELECT iKey, wszTagsetName, wszName FROM tagdef ORDER BY iKey"),
            (std::vector<std::vector<std::string>>{
                {"1", "NULL", "$$$proj$$$"},
                {"2", "NULL", "$$$frame$$$"},
                {"3", "$$$frame$$$", CQeStringW(FixtureText(L"tagdef", L"wszName", 3)).ToUtf8()}}));
  EXPECT_EQ(db.Int("SELECT count(*) FROM sqlite_master WHERE name='propset'"), 0);
}

// Tasks of program 1: a capture task before the analysis task in the same
// parent and block is its captured data; one in another block, or after
// it, is not.
TEST_F(UpgradeSteps, Step68To69FillsCapturedDataFromTheCaptureTaskBefore) {
  const std::string path = Build(68);
  {
    CRawDb db(path);
    ASSERT_EQ(
        db.Exec("UPDATE jobtask SET iJobprogramKeyRef=1, iJobtaskKeyRef=NULL, iBlockNumber=0;"
                "UPDATE jobtask SET iOrder=1, wszClassName='Capture' WHERE iKey=1;"
                "UPDATE jobtask SET iOrder=3, wszClassName='Analysis' WHERE iKey=2;"
                "UPDATE jobtask SET iOrder=5, wszClassName='Analysis', iBlockNumber=1 WHERE iKey=3;"
                "INSERT INTO jobtask (iKey, iJobprogramKeyRef, iBlockNumber, iOrder, wszClassName) "
                "VALUES (4, 1, 0, 9, 'Capture');"
                "UPDATE assayrun SET iJobtaskKeyRef=2, iCapturedDataKeyRef=NULL WHERE iKey=1;"
                "UPDATE assayrun SET iJobtaskKeyRef=3, iCapturedDataKeyRef=NULL WHERE iKey=2;"
                "UPDATE assayrun SET iJobtaskKeyRef=2, iCapturedDataKeyRef=3 WHERE iKey=3;"),
        0);
  }
  EXPECT_EQ(Step(path, QeProjectDb_Db_Upgrade_From_068_To_069), 0);
  CRawDb db(path);
  EXPECT_EQ(db.Rows("SELECT iCapturedDataKeyRef FROM assayrun ORDER BY iKey"),
            (std::vector<std::vector<std::string>>{{"1"}, {"NULL"}, {"3"}}));
}

TEST_F(UpgradeSteps, Step71To72TurnsDescriptionsIntoEnumValuesFirstThenSecond) {
  const std::string path = Build(71);
  EXPECT_EQ(Step(path, QeProjectDb_Db_Upgrade_From_071_To_072), 0);
  CRawDb db(path);
  const auto rows = db.Rows(
      "SELECT iJobpropdefKeyRef, wszPropenumvalue FROM jobpropenumvalue "
      "ORDER BY iKey");
  ASSERT_EQ(rows.size(), 2u * kFixtureRows);
  for (int k = 1; k <= kFixtureRows; ++k) {
    EXPECT_EQ(rows[k - 1][0], std::to_string(k));
    EXPECT_EQ(rows[k - 1][1], CQeStringW(FixtureText(L"jobpropdef", L"wszValue1desc", k)).ToUtf8());
    EXPECT_EQ(rows[kFixtureRows + k - 1][1],
              CQeStringW(FixtureText(L"jobpropdef", L"wszValue2desc", k)).ToUtf8());
  }
  EXPECT_EQ(db.Int("SELECT count(*) FROM pragma_table_info('jobpropdef') WHERE name LIKE "
                   "'wszValue%desc'"),
            0);
}

TEST_F(UpgradeSteps, Step72To73CopiesDefinitionPropertiesToEveryProgram) {
  const std::string path = Build(72);
  {
    CRawDb db(path);
    ASSERT_EQ(db.Exec("INSERT INTO jobprogram (iKey, iJobdefKeyRef) VALUES (10, 1)"), 0);
  }
  EXPECT_EQ(Step(path, QeProjectDb_Db_Upgrade_From_072_To_073), 0);
  CRawDb db(path);
  EXPECT_EQ(db.Rows("SELECT iJobprogramKeyRef FROM jobprogramprop WHERE wszPropkey = (SELECT "
                    "wszPropkey FROM jobprogramprop WHERE iJobprogramKeyRef=1) ORDER BY 1"),
            (std::vector<std::vector<std::string>>{{"1"}, {"10"}}));
  EXPECT_EQ(db.Int("SELECT count(*) FROM jobprogramprop"), kFixtureRows + 1);
  EXPECT_EQ(db.Int("SELECT count(*) FROM sqlite_master WHERE name='jobdefprop'"), 0);
}

TEST_F(UpgradeSteps, Step73To74GivesTheFileAUuid) {
  const std::string path = Build(73);
  EXPECT_EQ(Step(path, QeProjectDb_Db_Upgrade_From_073_To_074), 0);
  CRawDb db(path);
  EXPECT_EQ(db.Text("SELECT wszName FROM dbinfo"), "dbuuid");
  EXPECT_TRUE(IsUuidText(db.Text("SELECT wszUuid FROM dbinfo")));
}

}  // namespace
}  // namespace qe::test
