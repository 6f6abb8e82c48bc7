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
      // The first row of each uuid or unique name stays; uuids are unique from now on.
      {24,
       "INSERT INTO project (iKey, wszUuid, wszName) SELECT 10, wszUuid, 'copy' FROM project "
       "WHERE iKey=2; INSERT INTO jobclasslaststate (iKey, wszUniqueName) SELECT 10, "
       "wszUniqueName FROM jobclasslaststate WHERE iKey=1;",
       {{"SELECT count(*), max(iKey) FROM project", "3,3"},
        {"SELECT count(*) FROM jobclasslaststate", "3"}},
       "INSERT INTO jobrun (wszUuid) SELECT wszUuid FROM jobrun WHERE iKey=1"},
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
