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

using UpgradeDetailPrograms = UpgradeFixture;

// Fixture row k of jobprogramprop belongs to program k; program 1 gets more
// pairs with hostile texts, program 2 loses its pair and keeps none.
TEST_F(UpgradeDetailPrograms, EveryPairReadsBackThroughTheRecordFunction) {
  const std::string path = Build(74);
  ASSERT_EQ(CRawDb(path).Exec("DELETE FROM jobprogramprop WHERE iJobprogramKeyRef=2;"
                              "INSERT INTO jobprogramprop (iJobprogramKeyRef, wszPropkey, "
                              "wszPropvalue) VALUES (1, 'Objective', '40x ''oil'' 5% µm'), "
                              "(1, 'Empty', ''), (1, 'Größe', 'Ünïcode \"q\"'), "
                              "(3, 'Objective', '10x');"),
            0);
  ASSERT_EQ(QeProjectDb_Db_Upgrade(Wide(path), nullptr), 0);
  EXPECT_EQ(CRawDb(path).Int("SELECT count(*) FROM sqlite_master WHERE name='jobprogramprop'"), 0);

  const uint32_t h = QeProjectDb_Db_Connect(Wide(path));
  ASSERT_NE(h, 0u);
  const std::wstring key1 = FixtureText(L"jobprogramprop", L"wszPropkey", 1);
  const std::wstring key3 = FixtureText(L"jobprogramprop", L"wszPropkey", 3);
  const struct {
    int64_t program;
    std::wstring key, value;
    int status;
  } kPairs[] = {
      {1, key1, FixtureText(L"jobprogramprop", L"wszPropvalue", 1), 0},
      {3, key3, FixtureText(L"jobprogramprop", L"wszPropvalue", 3), 0},
      {1, L"Objective", L"40x 'oil' 5% µm", 0},
      {1, L"Empty", L"", 0},
      {1, L"Größe", L"Ünïcode \"q\"", 0},
      {3, L"Objective", L"10x", 0},
      {3, L"Empty", L"", eQeNotFound},  // pairs stay with their own program
      {2, L"Objective", L"", eQeNotFound},
  };
  for (const auto& p : kPairs) {
    CQeStringW value;
    EXPECT_EQ(QeProjectDb_Jobprogram_GetProperty(h, p.program, p.key.c_str(), value), p.status);
    if (p.status == 0) {
      EXPECT_EQ(value.str(), p.value);
    }
  }
  QeProjectDb_Db_Disconnect(h);
}

}  // namespace
}  // namespace qe::test
