// Step 74 to 75 packs the property pairs of each program into its property
// document; the record functions read every pair back by its key.
#include <gtest/gtest.h>

#include "projectdb/upgrade_support.h"
#include "qe/core/status.h"
#include "qe/projectdb/connection.h"
#include "qe/projectdb/records/jobprogram.h"
#include "qe/projectdb/upgrade.h"

namespace qe::test {
namespace {

class CProgramHandle {
 public:
  explicit CProgramHandle(const std::string& path) : handle_(QeProjectDb_Db_Connect(Wide(path))) {}
  ~CProgramHandle() { QeProjectDb_Db_Disconnect(handle_); }
  CProgramHandle(const CProgramHandle&) = delete;
  CProgramHandle& operator=(const CProgramHandle&) = delete;
  uint32_t Get() const { return handle_; }

 private:
  uint32_t handle_;
};

CQeStringW Property(uint32_t h, int64_t program, const wchar_t* name, int* status) {
  CQeStringW value;
  *status = QeProjectDb_Jobprogram_GetProperty(h, program, name, value);
  return value;
}

using UpgradeDetailPrograms = UpgradeFixture;

// Fixture row k of jobprogramprop belongs to program k; program 1 gets more
// pairs with hostile texts, program 2 loses its pair and keeps none.
TEST_F(UpgradeDetailPrograms, EveryPairReadsBackThroughTheRecordFunction) {
  const std::string path = Build(74);
  {
    CRawDb db(path);
    ASSERT_EQ(db.Exec("DELETE FROM jobprogramprop WHERE iJobprogramKeyRef=2;"
                      "INSERT INTO jobprogramprop (iJobprogramKeyRef, wszPropkey, wszPropvalue) "
                      "VALUES (1, 'Objective', '40x ''oil'' 5% µm'), (1, 'Empty', ''), "
                      "(1, 'Größe', 'Ünïcode \"q\"'), (3, 'Objective', '10x');"),
              0);
  }
  ASSERT_EQ(QeProjectDb_Db_Upgrade(Wide(path), nullptr), 0);

  CRawDb raw(path);
  EXPECT_EQ(raw.Int("SELECT count(*) FROM sqlite_master WHERE name='jobprogramprop'"), 0);
  EXPECT_EQ(raw.Text("SELECT pProperties IS NULL FROM jobprogram WHERE iKey=2"), "1");

  CProgramHandle handle(path);
  ASSERT_NE(handle.Get(), 0u);
  int status = -1;
  for (int k : {1, 3}) {
    const std::wstring key = FixtureText(L"jobprogramprop", L"wszPropkey", k);
    EXPECT_EQ(Property(handle.Get(), k, key.c_str(), &status).str(),
              FixtureText(L"jobprogramprop", L"wszPropvalue", k));
    EXPECT_EQ(status, 0) << k;
  }
  EXPECT_EQ(Property(handle.Get(), 1, L"Objective", &status).ToUtf8(), "40x 'oil' 5% µm");
  EXPECT_EQ(status, 0);
  EXPECT_EQ(Property(handle.Get(), 1, L"Empty", &status).str(), L"");
  EXPECT_EQ(status, 0);
  EXPECT_EQ(Property(handle.Get(), 1, L"Größe", &status).ToUtf8(), "Ünïcode \"q\"");
  EXPECT_EQ(status, 0);
  EXPECT_EQ(Property(handle.Get(), 3, L"Objective", &status).str(), L"10x");
  EXPECT_EQ(status, 0);
  // Pairs stay with their own program.
  Property(handle.Get(), 3, L"Empty", &status);
  EXPECT_EQ(status, eQeNotFound);
  Property(handle.Get(), 2, L"Objective", &status);
  EXPECT_EQ(status, eQeNotFound);
}

// Run as an exported step: the file is at 75 afterwards and the packed
// document is one top level holding only text values.
TEST_F(UpgradeDetailPrograms, StepCommitsAtVersion75) {
  const std::string path = Build(74);
  ASSERT_EQ(Step(path, QeProjectDb_Db_Upgrade_From_074_To_075), 0);
  CRawDb db(path);
  EXPECT_EQ(db.Int("SELECT iVersion FROM vesion WHERE wszName='main'"), 75);
  EXPECT_EQ(db.Int("SELECT count(*) FROM jobprogram WHERE pProperties IS NOT NULL"), kFixtureRows);
}

}  // namespace
}  // namespace qe::test
