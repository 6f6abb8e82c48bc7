// QeProjectDb_Db_Upgrade: refusals that leave the file alone, progress and
// trace lines, a step that fails and an upgrade that resumes after repair.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
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

using UpgradeDriver = UpgradeFixture;

// Refused with -9: only progress 40 happens, and the file stays
// byte for byte as it was. An empty path, or a file that cannot be used:
// the status of opening or reading it, and nothing changes.
TEST_F(UpgradeDriver, RefusalsLeaveTheFileAlone) {
  const struct {
    int64_t builtAs;
    const char* version;  // stored instead; nullptr: no version row
  } kCases[] = {{10, "9"}, {48, "49"}, {48, "59"}, {76, "78"}, {30, nullptr}, {77, "77"}};
  for (const auto& c : kCases) {
    std::string path = dir_.File("new.db");
    if (c.builtAs == 77) {
      ASSERT_EQ(QeProjectDb_Db_Create(Wide(path)), 0);
    } else {
      path = Build(c.builtAs);
      ASSERT_EQ(CRawDb(path).Exec(c.version ? std::string("UPDATE vesion SET iVersion=") +
                                                  c.version + " WHERE wszName='main'"
                                            : "DELETE FROM vesion WHERE wszName='main'"),
                0);
    }
    const std::string before = Bytes(path);
    CRecordingDialog dialog;
    EXPECT_EQ(QeProjectDb_Db_Upgrade(Wide(path), &dialog), -9) << c.version;
    EXPECT_EQ(Bytes(path), before);
    EXPECT_EQ(dialog.positions, std::vector<int32_t>{40});
  }
  EXPECT_EQ(QeProjectDb_Db_Upgrade(L"", nullptr), -4);
  const std::string missing = dir_.File("missing.db");
  EXPECT_EQ(QeProjectDb_Db_Upgrade(Wide(missing), nullptr), 14);
  EXPECT_FALSE(std::filesystem::exists(missing));
  const std::string text = dir_.File("notes.db");
  std::ofstream(text) << "Not a database: O'Brien 5% Zellkern \xc2\xb5m\n";
  const std::string before = Bytes(text);
  EXPECT_EQ(QeProjectDb_Db_Upgrade(Wide(text), nullptr), 26);
  EXPECT_EQ(Bytes(text), before);
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

// A version-10 file whose jobtask lost a column: step 11 to 12 cannot copy
// the table, so the chain stops there with the step's status, the file
// stays at 11, and once the table is repaired the next upgrade resumes.
TEST_F(UpgradeDriver, AFailingStepStopsTheChainAndTheNextUpgradeResumes) {
  const std::string path = Build(10);
  ASSERT_EQ(CRawDb(path).Exec("ALTER TABLE jobtask DROP COLUMN wszClassName"), 0);
  CTraceLines trace;
  EXPECT_EQ(QeProjectDb_Db_Upgrade(Wide(path), nullptr), 1);  // SQLITE_ERROR: no such column
  EXPECT_EQ(trace.lines, (std::vector<std::string>{"Upgrading version 10 to...", "version 11 (OK)",
                                                   "version 12 (FAILED)", "Checking Indexes...",
                                                   "Optimizing database file..."}));
  {
    CRawDb db(path);
    EXPECT_EQ(db.Int("SELECT iVersion FROM vesion WHERE wszName='main'"), 11);
    EXPECT_EQ(db.Text("PRAGMA integrity_check"), "ok");
    EXPECT_EQ(db.Int("SELECT count(*) FROM sqlite_master WHERE name LIKE '%_old'"), 0);
    ASSERT_EQ(db.Exec("ALTER TABLE jobtask ADD COLUMN wszClassName TEXT"), 0);
  }
  CTraceLines again;
  EXPECT_EQ(QeProjectDb_Db_Upgrade(Wide(path), nullptr), 0);
  ASSERT_GE(again.lines.size(), 2u);
  EXPECT_EQ(again.lines[0], "Upgrading version 11 to...");
  EXPECT_EQ(again.lines[1], "version 12 (OK)");
  CRawDb db(path);
  EXPECT_EQ(db.Int("SELECT iVersion FROM vesion WHERE wszName='main'"), 77);
  EXPECT_EQ(db.Int("SELECT count(*) FROM jobtask"), kFixtureRows);
}

// Step 15 to 16 on a file that already reads 16 does nothing (the table it
// would drop is still there); step 64 to 65 leaves jobpropdef empty.
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
}

}  // namespace
}  // namespace qe::test
