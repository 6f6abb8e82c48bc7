// Shared pieces of the labware record tests: a fresh project database with
// a run in it, plates and rows to store, and looks at the file through the
// same connection.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <list>
#include <string>

#include "qe/labware/wellplate.h"
#include "qe/projectdb/connection.h"
#include "qe/projectdb/db.h"
#include "qe/projectdb/records/labware_plate.h"
#include "qe/sqlite/connection.h"
#include "support/temp_dir.h"

namespace qe::test {

class LabwareDbTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::wstring path = dir_.FileW("labware.db");
    ASSERT_EQ(QeProjectDb_Db_Create(path), 0);
    h_ = QeProjectDb_Db_Connect(path);
    ASSERT_NE(h_, 0u);
  }
  void TearDown() override { QeProjectDb_Db_Disconnect(h_); }

  sqlite3* Db() const { return CQeProjectDbConnectionManager::GetConnection(h_); }
  int Exec(const std::wstring& sql) { return QeSqlite_Execute(Db(), sql, nullptr, false); }
  int64_t Int(const std::wstring& sql) {
    int code = 0;
    const int64_t value = QeSqlite_ReadOneInt64(Db(), sql, &code, -1);
    EXPECT_EQ(code, 0) << CQeStringW(sql).ToUtf8();
    return value;
  }
  std::string Text(const std::wstring& sql) {
    int code = 0;
    const CQeStringW value = QeSqlite_ReadOneStringW(Db(), sql, &code);
    EXPECT_EQ(code, 0) << CQeStringW(sql).ToUtf8();
    return value.ToUtf8();
  }

  // A project, a job definition and a run; returns the run's key.
  int64_t InsertRun(const std::wstring& uuid) {
    if (Int(L"SELECT COUNT(*) FROM project") == 0) {
      EXPECT_EQ(Exec(L"INSERT INTO project(wszUuid,wszName) VALUES('p','p');"
                     L"INSERT INTO jobdef(iProjKeyRef,wszUuid,wszName) VALUES(1,'d','d');"),
                0);
    }
    EXPECT_EQ(Exec(L"INSERT INTO jobrun(iProjKeyRef,iJobdefKeyRef,wszUuid,wszName) VALUES(1,1,'" +
                   uuid + L"','run');"),
              0);
    return Int(L"SELECT MAX(iKey) FROM jobrun");
  }

  // Stores a configuration and a name row; returns the name row's key.
  int64_t InsertPlate(const CQeStringW& uuid, const CQeStringW& company, const CQeStringW& model,
                      int32_t rows = 8, int32_t cols = 12) {
    std::list<SQeProjectDbRow_wellplateconfiguration> configs{
        {0, uuid + L"-config", rows, cols, 1, 0, CQeByteArray("geometry", 8)}};
    EXPECT_EQ(QeProjectDb_Wellplateconfig_InsertMany(h_, configs), 0);
    std::list<SQeProjectDbRow_wellplatename> names{
        {0, uuid, configs.front().iKey, company, L"Type", model, 0, 0, 0}};
    EXPECT_EQ(QeProjectDb_Wellplatename_InsertMany(h_, names), 0);
    return names.front().iKey;
  }

  TempDir dir_;
  uint32_t h_ = 0;
};

// A user-made standard 96-well plate: 8 rows named by letters, 12 numbered
// columns, 9 mm pitch, round wells of 6.4 mm.
inline CQeWellplate Custom96(const CQeStringW& uuid, const CQeStringW& model) {
  SQeShape well(3200.0);
  return CQeWellplate(uuid, kQeCustomWellplatesCompany, L"Round", model, eQeNamingModeRowColumn,
                      eQeNamingLetters, eQeNamingNumbers, 12, 8, 9000, 9000, 127760, 85480, 14380,
                      11240, CQeLayoutElement(well));
}

}  // namespace qe::test
