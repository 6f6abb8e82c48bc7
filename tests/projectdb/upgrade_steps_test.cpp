// Single upgrade steps on fixture files: what each one does to the rows it
// converts, including rows that point nowhere and texts that are not numbers.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "projectdb/upgrade_support.h"
#include "qe/projectdb/upgrade.h"

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

struct SStepCase {
  int64_t from;
  std::string before;                                       // run on the fixture first
  std::vector<std::pair<std::string, std::string>> checks;  // query, Flat() rows
  std::string refused = "";  // a statement the upgraded file must refuse
};

// Each case: a fixture of version `from`, its changes, the one step, then
// the checks; every step must also record its target version.
TEST_F(UpgradeSteps, EachStepConvertsItsRows) {
  const std::vector<SStepCase> cases = {
      // Frames are named by run and index; rows of missing frames are dropped.
      {16,
       "INSERT INTO frameprop VALUES (10, 99, 1, 1, 7.5); INSERT INTO frametag VALUES (10, 99, 1);",
       {{"SELECT count(*), group_concat(iJobrunKeyRef || '.' || iFrameIndex) FROM frameprop",
         "3,1.1,2.2,3.3"},
        {"SELECT count(*), group_concat(iJobrunKeyRef || '.' || iFrameIndex) FROM frametag",
         "3,1.1,2.2,3.3"}}},
      {22,
       "UPDATE jobtask SET iJobtaskKeyRef=99 WHERE iKey=3;"
       "UPDATE frame SET iJobtaskKeyRef=97 WHERE iKey=2;"
       "UPDATE tagdef SET iTagdefKeyRef=94 WHERE iKey=3;",
       {{"SELECT quote(iJobtaskKeyRef) FROM jobtask ORDER BY iKey", "NULL;1;NULL"},
        {"SELECT quote(iJobtaskKeyRef) FROM frame WHERE iKey=2", "NULL"},
        {"SELECT quote(iTagdefKeyRef) FROM tagdef WHERE iKey=3", "NULL"},
        {"PRAGMA foreign_key_check", ""}}},
      // Stored paths keep their last part.
      {23,
       "UPDATE project SET wszAbsPath='\\\\server\\share\\Zellkern µ''s\\\\' WHERE iKey=1;"
       "UPDATE project SET wszAbsPath='Plain' WHERE iKey=2;"
       "UPDATE project SET wszAbsPath='\\' WHERE iKey=3;",
       {{"SELECT wszFolderName FROM project ORDER BY iKey", "Zellkern µ's;Plain;NULL"}}},
      // The first row of each uuid or unique name stays; uuids are unique from now on.
      {24,
       "INSERT INTO project (iKey, wszUuid, wszName) SELECT 10, wszUuid, 'copy' FROM project "
       "WHERE iKey=2; INSERT INTO jobclasslaststate (iKey, wszUniqueName) SELECT 10, "
       "wszUniqueName FROM jobclasslaststate WHERE iKey=1;",
       {{"SELECT count(*), max(iKey) FROM project", "3,3"},
        {"SELECT count(*) FROM jobclasslaststate", "3"}},
       "INSERT INTO jobrun (wszUuid) SELECT wszUuid FROM jobrun WHERE iKey=1"},
      // Finish time: the last frame (run 1), else the start (run 2's frame
      // is older than the run, run 3 has none).
      {36,
       "INSERT INTO frame (iKey, iJobrunKeyRef, iFrameIndex, dCTime) VALUES (10, 1, 9, "
       "2460005.75); UPDATE frame SET dCTime=2459990.0 WHERE iKey=2; DELETE FROM frame WHERE "
       "iKey=3;",
       {{"SELECT dFTime FROM jobrun WHERE iKey=1", "2460005.75"},
        {"SELECT dFTime = dCTime FROM jobrun ORDER BY iKey", "0;1;1"}}},
      // Value and type texts are read as integers; other texts give 0.
      {45,
       "UPDATE jobpropdef SET wszPropvalue='abc', wszProptype='' WHERE iKey=3",
       {{"SELECT iPropdefvalue, iPropdeftype, iPropdefvisibility FROM jobpropdef ORDER BY iKey",
         "10,1,0;20,2,0;0,0,0"}}},
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
         "1,NULL,$$$proj$$$;2,NULL,$$$frame$$$;3,$$$frame$$$," +
             Fixture(L"tagdef", L"wszName", 3)}}},
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
      // Definition properties go to every program of the definition.
      {72,
       "INSERT INTO jobprogram (iKey, iJobdefKeyRef) VALUES (10, 1)",
       {{"SELECT iJobprogramKeyRef FROM jobprogramprop WHERE wszPropkey = (SELECT wszPropkey "
         "FROM jobprogramprop WHERE iJobprogramKeyRef=1) ORDER BY 1",
         "1;10"},
        {"SELECT count(*) FROM jobprogramprop", "4"}}},
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

}  // namespace
}  // namespace qe::test
