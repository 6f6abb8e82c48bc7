// Single upgrade steps on fixture files: what each one does to the rows it
// converts, including rows that point nowhere and texts that are not numbers.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "projectdb/upgrade_support.h"
#include "qe/projectdb/upgrade.h"
#include "support/scoped_env.h"

namespace qe::test {
namespace {

using UpgradeSteps = UpgradeFixture;

// Rows of sql as one text: values joined by ",", rows by ";".
std::string Flat(CRawDb& db, const std::string& sql) {
  std::string text;
  for (const auto& row : db.Rows(sql)) {
    if (!text.empty()) text += ";";
    for (size_t i = 0; i < row.size(); ++i) text += (i ? "," : "") + row[i];
  }
  return text;
}

std::string Fixture(const wchar_t* table, const wchar_t* column, int k) {
  return CQeStringW(FixtureText(table, column, k)).ToUtf8();
}

constexpr const char* kIsUuid =
    "length(wszUuid)=32 AND wszUuid NOT GLOB '*[^0-9a-f]*'";  // 32 lowercase hex digits

struct SStepCase {
  int64_t from;
  std::string before;                                       // run on the fixture first
  std::vector<std::pair<std::string, std::string>> checks;  // query, Flat() rows
  std::string refused = "";  // a statement the upgraded file must refuse
};

// Each case: a fixture of version `from`, its changes, the one step, then
// the checks; every step must also record its target version.
TEST_F(UpgradeSteps, EachStepConvertsItsRows) {
  std::string enumValues;
  for (const wchar_t* column : {L"wszValue1desc", L"wszValue2desc"}) {
    for (int k = 1; k <= kFixtureRows; ++k) {
      enumValues += (enumValues.empty() ? "" : ";") + std::to_string(k) + "," +
                    Fixture(L"jobpropdef", column, k);
    }
  }
  const std::vector<SStepCase> cases = {
      // Tables outside the layout are left alone; a table of it gets its indexes back.
      {11,
       "CREATE TABLE hostnotes (txt TEXT); INSERT INTO hostnotes VALUES ('it''s');"
       "DROP INDEX idx_jobrun_iProjKeyRef;",
       {{"SELECT txt FROM hostnotes", "it's"},
        {"SELECT count(*) FROM sqlite_master WHERE name='idx_jobrun_iProjKeyRef'", "1"},
        {"SELECT count(*) FROM jobrun", "3"}}},
      // Frames are named by run and index; rows of missing frames are dropped.
      {16,
       "INSERT INTO frameprop VALUES (10, 99, 1, 1, 7.5); INSERT INTO frametag VALUES (10, 99, 1);"
       "INSERT INTO binframe VALUES (10, 99, 1, 7);",
       {{"SELECT count(*), group_concat(iJobrunKeyRef || '.' || iFrameIndex) FROM frameprop",
         "3,1.1,2.2,3.3"},
        {"SELECT count(*), group_concat(iJobrunKeyRef || '.' || iFrameIndex) FROM frametag",
         "3,1.1,2.2,3.3"},
        {"SELECT count(*), group_concat(iJobrunKeyRef || '.' || iFrameIndex) FROM binframe",
         "3,1.1,2.2,3.3"},
        {"SELECT count(*) FROM runloop WHERE iNestLevel = iOrder", "3"}}},
      // Run loop 1 is a plate loop, 2 a well loop, 3 neither.
      {21,
       "",
       {{"SELECT iJobrunKeyRef, iPlateinfoKeyRef, iFrameIndex FROM frameplateinfo", "1,1,1"},
        {"SELECT iJobrunKeyRef, iWellinfoKeyRef, iFrameIndex FROM framewellinfo", "2,2,2"},
        {"SELECT count(*) FROM pragma_table_info('loopindex') WHERE name='iLoopinfoKeyRef'", "0"},
        {"SELECT count(*) FROM loopindex", "3"}}},
      {22,
       "UPDATE jobtask SET iJobtaskKeyRef=99 WHERE iKey=3;"
       "UPDATE runloop SET iJobtaskKeyRef=98 WHERE iKey=1;"
       "UPDATE frame SET iJobtaskKeyRef=97 WHERE iKey=2;"
       "UPDATE propset SET iPropsetKeyRef=96 WHERE iKey=2;"
       "UPDATE assaydef SET iJobtaskKeyRef=95 WHERE iKey=3;"
       "UPDATE tagdef SET iTagdefKeyRef=94 WHERE iKey=3;",
       {{"SELECT quote(iJobtaskKeyRef) FROM jobtask ORDER BY iKey", "NULL;1;NULL"},
        {"SELECT quote(iJobtaskKeyRef) FROM runloop WHERE iKey=1", "NULL"},
        {"SELECT quote(iJobtaskKeyRef) FROM frame WHERE iKey=2", "NULL"},
        {"SELECT quote(iPropsetKeyRef) FROM propset WHERE iKey=2", "NULL"},
        {"SELECT quote(iJobtaskKeyRef) FROM assaydef WHERE iKey=3", "NULL"},
        {"SELECT quote(iTagdefKeyRef) FROM tagdef WHERE iKey=3", "NULL"},
        {"PRAGMA foreign_key_check", ""},
        {"SELECT \"table\" FROM pragma_foreign_key_list('tagdef')", "tagdef"}}},
      // Stored paths keep their last part.
      {23,
       "UPDATE project SET wszAbsPath='\\\\server\\share\\Zellkern µ''s\\\\' WHERE iKey=1;"
       "UPDATE project SET wszAbsPath='Plain' WHERE iKey=2;"
       "UPDATE project SET wszAbsPath='\\' WHERE iKey=3;",
       {{"SELECT wszFolderName FROM project ORDER BY iKey", "Zellkern µ's;Plain;NULL"},
        {"SELECT wszFolderName FROM jobrun WHERE iKey=2", "Run 2"},
        {"SELECT wszFileName FROM file WHERE iKey=2", "Image 2.tif"}}},
      // The first row of each uuid or unique name stays; uuids are unique from now on.
      {24,
       "INSERT INTO project (iKey, wszUuid, wszName) SELECT 10, wszUuid, 'copy' FROM project "
       "WHERE iKey=2; INSERT INTO jobclasslaststate (iKey, wszUniqueName) SELECT 10, "
       "wszUniqueName FROM jobclasslaststate WHERE iKey=1;",
       {{"SELECT count(*), max(iKey) FROM project", "3,3"},
        {"SELECT count(*) FROM jobclasslaststate", "3"}},
       "INSERT INTO jobrun (wszUuid) SELECT wszUuid FROM jobrun WHERE iKey=1"},
      {25,
       "",
       {{"SELECT wszName, wszType, varValue FROM settings ORDER BY iKey",
         "journal_mode,stringw,wal;synchronous,stringw,normal"}}},
      {28, "", {{"SELECT iVersion FROM vesion WHERE wszName='plate'", "6"}}},
      {28,
       "INSERT INTO vesion (wszName, iVersion) VALUES ('plate', 3)",
       {{"SELECT iVersion FROM vesion WHERE wszName='plate'", "6"}}},
      // Finish time: the last frame (run 1), else the start (run 2's frame
      // is older than the run, run 3 has none).
      {36,
       "INSERT INTO frame (iKey, iJobrunKeyRef, iFrameIndex, dCTime) VALUES (10, 1, 9, "
       "2460005.75); UPDATE frame SET dCTime=2459990.0 WHERE iKey=2; DELETE FROM frame WHERE "
       "iKey=3;",
       {{"SELECT dFTime FROM jobrun WHERE iKey=1", "2460005.75"},
        {"SELECT dFTime = dCTime FROM jobrun ORDER BY iKey", "0;1;1"}}},
      {39,
       "",
       {{std::string("SELECT count(DISTINCT wszUuid) FROM binlayer WHERE ") + kIsUuid, "3"}}},
      // State bit 2 becomes a toolbar row.
      {40,
       "UPDATE jobdef SET iState=6 WHERE iKey=3",
       {{"SELECT iJobdefKeyRef FROM toolbarjobdef ORDER BY 1", "2;3"},
        {"SELECT iState FROM jobdef ORDER BY iKey", "1;0;4"}}},
      // Value and type texts are read as integers; other texts give 0.
      {45,
       "UPDATE jobpropdef SET wszPropvalue='abc', wszProptype='' WHERE iKey=3",
       {{"SELECT iPropdefvalue, iPropdeftype, iPropdefvisibility FROM jobpropdef ORDER BY iKey",
         "10,1,0;20,2,0;0,0,0"}}},
      // Layers take the analysis run of their run and definition.
      {48,
       "",
       {{"SELECT iKey, iAssayrunKeyRef FROM binlayer ORDER BY iKey", "1,1;2,2;3,3"},
        {"SELECT count(*) FROM sqlite_master WHERE name='assaydef'", "0"},
        {"SELECT count(*) FROM pragma_table_info('assayrun') WHERE name='iAssaydefKeyRef'", "0"}}},
      // Properties of missing objects are dropped.
      {66,
       "INSERT INTO binobjprop VALUES (10, 99, 1, 2.5)",
       {{"SELECT iKey, iJobrunKeyRef, iFrameIndex FROM binobjprop ORDER BY iKey",
         "1,1,1;2,2,2;3,3,3"}}},
      // Sets are named by text; rows whose reference does not resolve are dropped.
      {67,
       "INSERT INTO propdef (iKey, iPropsetKeyRef, wszName) VALUES (10, 99, 'x');"
       "INSERT INTO tagdef (iKey, iTagdefKeyRef, wszName) VALUES (10, 99, 'y');",
       {{"SELECT count(*) FROM propdef", "3"},
        {"SELECT wszPropsetName FROM propdef WHERE iKey=2",
         Fixture(L"propset", L"wszUniqueName", 2)},
        {"SELECT iKey, wszTagsetName, wszName FROM tagdef ORDER BY iKey",
         "1,NULL,$$$proj$$$;2,NULL,$$$frame$$$;3,$$$frame$$$," + Fixture(L"tagdef", L"wszName", 3)},
        {"SELECT count(*) FROM sqlite_master WHERE name='propset'", "0"}}},
      // Program 1: a capture task before the analysis task in the same
      // parent and block is its captured data; one in another block, or
      // after it, is not; a value already there stays.
      {68,
       "UPDATE jobtask SET iJobprogramKeyRef=1, iJobtaskKeyRef=NULL, iBlockNumber=0;"
       "UPDATE jobtask SET iOrder=1, wszClassName='Capture' WHERE iKey=1;"
       "UPDATE jobtask SET iOrder=3, wszClassName='Analysis' WHERE iKey=2;"
       "UPDATE jobtask SET iOrder=5, wszClassName='Analysis', iBlockNumber=1 WHERE iKey=3;"
       "INSERT INTO jobtask (iKey, iJobprogramKeyRef, iBlockNumber, iOrder, wszClassName) "
       "VALUES (4, 1, 0, 9, 'Capture');"
       "UPDATE assayrun SET iJobtaskKeyRef=2, iCapturedDataKeyRef=NULL WHERE iKey=1;"
       "UPDATE assayrun SET iJobtaskKeyRef=3, iCapturedDataKeyRef=NULL WHERE iKey=2;"
       "UPDATE assayrun SET iJobtaskKeyRef=2, iCapturedDataKeyRef=3 WHERE iKey=3;",
       {{"SELECT quote(iCapturedDataKeyRef) FROM assayrun ORDER BY iKey", "1;NULL;3"}}},
      // First descriptions, then second descriptions, become enumeration values.
      {71,
       "",
       {{"SELECT iJobpropdefKeyRef, wszPropenumvalue FROM jobpropenumvalue ORDER BY iKey",
         enumValues},
        {"SELECT count(*) FROM pragma_table_info('jobpropdef') WHERE name LIKE 'wszValue%desc'",
         "0"}}},
      // Definition properties go to every program of the definition.
      {72,
       "INSERT INTO jobprogram (iKey, iJobdefKeyRef) VALUES (10, 1)",
       {{"SELECT iJobprogramKeyRef FROM jobprogramprop WHERE wszPropkey = (SELECT wszPropkey "
         "FROM jobprogramprop WHERE iJobprogramKeyRef=1) ORDER BY 1",
         "1;10"},
        {"SELECT count(*) FROM jobprogramprop", "4"},
        {"SELECT count(*) FROM sqlite_master WHERE name='jobdefprop'", "0"}}},
      {73, "", {{std::string("SELECT wszName FROM dbinfo WHERE ") + kIsUuid, "dbuuid"}}},
  };
  for (const SStepCase& c : cases) {
    SCOPED_TRACE("step from " + std::to_string(c.from));
    const std::string path = Build(c.from);
    if (!c.before.empty()) {
      ASSERT_EQ(CRawDb(path).Exec(c.before), 0);
    }
    const SQeProjectDbUpgradeStep& step =
        g_QeProjectDbUpgradeSteps[QeProjectDb_Db_FindUpgradeStep(c.from)];
    ASSERT_EQ(Step(path, step.pfnUpgrade), 0);
    CRawDb db(path);
    EXPECT_EQ(db.Int("SELECT iVersion FROM vesion WHERE wszName='main'"), step.iToVersion);
    for (const auto& [sql, rows] : c.checks) EXPECT_EQ(Flat(db, sql), rows) << sql;
    if (!c.refused.empty()) {
      EXPECT_NE(db.Exec(c.refused), 0) << c.refused;
    }
  }
}

TEST_F(UpgradeSteps, Step25To26StoresTruncateOnANetworkPath) {
  ScopedEnv network("QE_PROJECTDB_NETWORK_PATHS", dir_.path().c_str());
  const std::string path = Build(25);
  EXPECT_EQ(Step(path, QeProjectDb_Db_Upgrade_From_025_To_026), 0);
  CRawDb db(path);
  EXPECT_EQ(db.Text("SELECT varValue FROM settings WHERE wszName='journal_mode'"), "truncate");
}

}  // namespace
}  // namespace qe::test
