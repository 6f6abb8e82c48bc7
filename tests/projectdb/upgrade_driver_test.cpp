// QeProjectDb_Db_Upgrade: refusals that leave the file alone, progress and
// trace lines, a step that fails and an upgrade that resumes after repair.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "projectdb/upgrade_support.h"
#include "qe/core/diag.h"
#include "qe/projectdb/db.h"
#include "qe/projectdb/upgrade.h"

namespace qe::test {
namespace {

class CRecordingDialog : public CQeProgressDialog {
 public:
  void SetPos(int32_t percent) override { positions.push_back(percent); }
  std::vector<int32_t> positions;
};

// Collects the trace lines of the upgrade, without their "file:line: " place.
class CTraceLines {
 public:
  std::vector<std::string> lines;

 private:
  CQeDiagSinkScope scope_{[this](const CQeStringW& line) {
    const std::string text = line.ToUtf8();
    const size_t place = text.find(": ");
    lines.push_back(place == std::string::npos ? text : text.substr(place + 2));
  }};
};

std::string Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

long long MainVersion(const std::string& path) {
  return CRawDb(path).Int("SELECT iVersion FROM vesion WHERE wszName='main'");
}

using UpgradeDriver = UpgradeFixture;

// Refused with -9: only the version line and 40 happen, and the file stays
// byte for byte as it was.
TEST_F(UpgradeDriver, RefusesVersionsWithoutAnUpgradePath) {
  struct {
    int64_t builtAs;
    std::string change;
    const char* read;
  } const kCases[] = {
      {10, "UPDATE vesion SET iVersion=9 WHERE wszName='main'", "9"},
      {48, "UPDATE vesion SET iVersion=49 WHERE wszName='main'", "49"},
      {48, "UPDATE vesion SET iVersion=59 WHERE wszName='main'", "59"},
      {76, "UPDATE vesion SET iVersion=78 WHERE wszName='main'", "78"},
      {30, "DELETE FROM vesion WHERE wszName='main'", "0"},
      {30, "DROP TABLE vesion", "0"},
      {77, "", "77"},  // a new file
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.change);
    std::string path = dir_.File("new.db");
    if (c.builtAs == 77) {
      ASSERT_EQ(QeProjectDb_Db_Create(Wide(path)), 0);
    } else {
      path = Build(c.builtAs);
      ASSERT_EQ(CRawDb(path).Exec(c.change), 0);
    }
    const std::string before = Bytes(path);
    CRecordingDialog dialog;
    CTraceLines trace;
    EXPECT_EQ(QeProjectDb_Db_Upgrade(Wide(path), &dialog), -9);
    EXPECT_EQ(Bytes(path), before);
    EXPECT_EQ(dialog.positions, std::vector<int32_t>{40});
    EXPECT_EQ(trace.lines,
              std::vector<std::string>{std::string("Upgrading version ") + c.read + " to..."});
  }
}

// An empty path, or a file that cannot be used: the status of opening or
// reading it; nothing is created or changed and no progress is reported.
TEST_F(UpgradeDriver, EmptyPathAndUnusableFilesAreLeftAlone) {
  CRecordingDialog dialog;
  EXPECT_EQ(QeProjectDb_Db_Upgrade(L"", &dialog), -4);
  const std::string missing = dir_.File("missing.db");
  EXPECT_EQ(QeProjectDb_Db_Upgrade(Wide(missing), &dialog), 14);
  EXPECT_FALSE(std::filesystem::exists(missing));
  EXPECT_EQ(QeProjectDb_Db_Upgrade(Wide(dir_.path().string()), &dialog), 14);
  const std::string text = dir_.File("notes.db");
  std::ofstream(text) << "Not a database: O'Brien 5% Zellkern \xc2\xb5m\n";
  const std::string before = Bytes(text);
  EXPECT_EQ(QeProjectDb_Db_Upgrade(Wide(text), &dialog), 26);
  EXPECT_EQ(Bytes(text), before);
  EXPECT_TRUE(dialog.positions.empty());
}

// After the chain the driver re-creates a missing index of a table no step
// rebuilt and compacts the file.
TEST_F(UpgradeDriver, ReportsProgressAndTracesEveryStep) {
  const std::string path = Build(48);
  {
    CRawDb db(path);
    ASSERT_EQ(db.Exec("DROP INDEX idx_jobrun_iProjKeyRef; CREATE TABLE waste AS WITH RECURSIVE "
                      "n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000) SELECT "
                      "randomblob(500) FROM n; DROP TABLE waste;"),
              0);
    ASSERT_GT(db.Int("PRAGMA freelist_count"), 100);
  }
  CRecordingDialog dialog;
  CTraceLines trace;
  ASSERT_EQ(QeProjectDb_Db_Upgrade(Wide(path), &dialog), 0);
  EXPECT_EQ(dialog.positions, (std::vector<int32_t>{40, 90, 100}));
  std::vector<std::string> expected = {"Upgrading version 48 to...", "version 60 (OK)"};
  for (int v = 61; v <= 77; ++v) expected.push_back("version " + std::to_string(v) + " (OK)");
  expected.push_back("Checking Indexes...");
  expected.push_back("Optimizing database file...");
  EXPECT_EQ(trace.lines, expected);
  CRawDb db(path);
  EXPECT_EQ(db.Int("SELECT count(*) FROM sqlite_master WHERE name='idx_jobrun_iProjKeyRef'"), 1);
  EXPECT_EQ(db.Int("PRAGMA freelist_count"), 0);
}

TEST_F(UpgradeDriver, NullDialogAndAThrowingDialogDoNotStopIt) {
  class CThrowingDialog : public CQeProgressDialog {
   public:
    void SetPos(int32_t) override { throw std::runtime_error("display gone"); }
  } throwing;
  EXPECT_EQ(QeProjectDb_Db_Upgrade(Wide(Build(74)), &throwing), 0);
  EXPECT_EQ(QeProjectDb_Db_Upgrade(Wide(Build(75)), nullptr), 0);
}

// A version-10 file whose jobtask lost a column: step 11 to 12 cannot copy
// the table, so the chain stops there with the step's status, the file
// stays at 11 as step 10 to 11 left it, and once the table is repaired the
// next upgrade resumes from 11.
TEST_F(UpgradeDriver, AFailingStepStopsTheChainAndTheNextUpgradeResumes) {
  const std::string path = Build(10);
  ASSERT_EQ(CRawDb(path).Exec("ALTER TABLE jobtask DROP COLUMN wszClassName"), 0);
  CRecordingDialog dialog;
  CTraceLines trace;
  EXPECT_EQ(QeProjectDb_Db_Upgrade(Wide(path), &dialog), 1);  // SQLITE_ERROR: no such column
  EXPECT_EQ(dialog.positions, (std::vector<int32_t>{40, 90, 100}));
  EXPECT_EQ(trace.lines, (std::vector<std::string>{"Upgrading version 10 to...", "version 11 (OK)",
                                                   "version 12 (FAILED)", "Checking Indexes...",
                                                   "Optimizing database file..."}));
  EXPECT_EQ(MainVersion(path), 11);
  {
    CRawDb db(path);
    EXPECT_EQ(db.Text("PRAGMA integrity_check"), "ok");
    EXPECT_EQ(db.Int("SELECT count(*) FROM sqlite_master WHERE name LIKE '%_old'"), 0);
    EXPECT_EQ(db.Int("SELECT count(*) FROM jobtask"), kFixtureRows);
    EXPECT_EQ(db.Int("SELECT count(*) FROM pragma_table_info('assaydef') WHERE name = "
                     "'iJobtaskKeyRef'"),
              1);
    ASSERT_EQ(db.Exec("ALTER TABLE jobtask ADD COLUMN wszClassName TEXT"), 0);
  }
  CTraceLines again;
  EXPECT_EQ(QeProjectDb_Db_Upgrade(Wide(path), nullptr), 0);
  ASSERT_GE(again.lines.size(), 2u);
  EXPECT_EQ(again.lines[0], "Upgrading version 11 to...");
  EXPECT_EQ(again.lines[1], "version 12 (OK)");
  EXPECT_EQ(MainVersion(path), 77);
  EXPECT_EQ(CRawDb(path).Int("SELECT count(*) FROM jobtask"), kFixtureRows);
}

TEST_F(UpgradeDriver, StepsFindTheirPlaceInTheChain) {
  EXPECT_EQ(QeProjectDb_Db_FindUpgradeStep(10), 0);
  EXPECT_EQ(QeProjectDb_Db_FindUpgradeStep(47), 37);
  EXPECT_EQ(QeProjectDb_Db_FindUpgradeStep(48), 38);
  EXPECT_EQ(g_QeProjectDbUpgradeSteps[38].iToVersion, 60);
  EXPECT_EQ(QeProjectDb_Db_FindUpgradeStep(60), 39);
  EXPECT_EQ(QeProjectDb_Db_FindUpgradeStep(76), 55);
  for (int64_t v : {9, 49, 59, 77, 78}) EXPECT_EQ(QeProjectDb_Db_FindUpgradeStep(v), -1) << v;
  for (uint32_t i = 1; i < kQeProjectDbUpgradeStepCount; ++i) {
    EXPECT_EQ(g_QeProjectDbUpgradeSteps[i].iFromVersion,
              g_QeProjectDbUpgradeSteps[i - 1].iToVersion);
  }
  for (const SQeProjectDbUpgradeStep& step : g_QeProjectDbUpgradeSteps) {
    EXPECT_EQ(step.pfnUpgrade(nullptr), 21) << step.iFromVersion;
  }
}

// Step 15 to 16 on a file that already reads 16 does nothing (the table it
// would drop is still there); step 64 to 65 leaves jobpropdef empty, keyed
// to programs.
TEST_F(UpgradeDriver, Steps15To16And64To65) {
  const std::string at16 = Build(16);
  ASSERT_EQ(CRawDb(at16).Exec("CREATE TABLE jobdefroot (iKey INTEGER PRIMARY KEY)"), 0);
  const std::string before = DescribeSchema(at16);
  EXPECT_EQ(Step(at16, QeProjectDb_Db_Upgrade_From_015_To_016), 0);
  EXPECT_EQ(DescribeSchema(at16), before);

  const std::string at64 = Build(64);
  EXPECT_EQ(Step(at64, QeProjectDb_Db_Upgrade_From_064_To_065), 0);
  CRawDb db(at64);
  EXPECT_EQ(db.Int("SELECT count(*) FROM jobpropdef"), 0);
  EXPECT_EQ(db.Int("SELECT iVersion FROM vesion WHERE wszName='main'"), 65);
  EXPECT_EQ(db.Text("SELECT \"table\" FROM pragma_foreign_key_list('jobpropdef')"), "jobprogram");
}

}  // namespace
}  // namespace qe::test
