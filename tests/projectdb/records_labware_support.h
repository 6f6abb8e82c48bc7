// Shared pieces of the labware record, catalogue and plate file tests: fresh
// project databases in the test's folder, rows to store, looks at a file
// through its connection, and captured diagnostics.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <list>
#include <string>
#include <vector>

#include "qe/core/diag.h"
#include "qe/labware/insert_object_database.h"
#include "qe/labware/wellplate.h"
#include "qe/projectdb/connection.h"
#include "qe/projectdb/db.h"
#include "qe/projectdb/records/labware_plate.h"
#include "qe/sqlite/connection.h"
#include "support/temp_dir.h"

namespace qe::test {

class LabwareDbTest : public ::testing::Test {
 protected:
  void SetUp() override { h_ = NewDatabase("labware.db"); }
  void TearDown() override {
    for (uint32_t h : handles_) QeProjectDb_Db_Disconnect(h);
  }

  // A new database file in the test's folder, connected.
  uint32_t NewDatabase(const std::string& name) {
    const std::wstring path = dir_.FileW(name);
    EXPECT_EQ(QeProjectDb_Db_Create(path), 0);
    handles_.push_back(QeProjectDb_Db_Connect(path));
    EXPECT_NE(handles_.back(), 0u);
    return handles_.back();
  }

  // Statements and one-value reads on h (0: the test's first database).
  int Exec(const std::wstring& sql, uint32_t h = 0) {
    return QeSqlite_Execute(Db(h), sql, nullptr, false);
  }
  int64_t Int(const std::wstring& sql, uint32_t h = 0) {
    int code = 0;
    const int64_t value = QeSqlite_ReadOneInt64(Db(h), sql, &code, -1);
    EXPECT_EQ(code, 0) << CQeStringW(sql).ToUtf8();
    return value;
  }
  std::string Text(const std::wstring& sql, uint32_t h = 0) {
    int code = 0;
    const CQeStringW value = QeSqlite_ReadOneStringW(Db(h), sql, &code);
    EXPECT_EQ(code, 0) << CQeStringW(sql).ToUtf8();
    return value.ToUtf8();
  }
  int64_t Count(const std::wstring& table, uint32_t h = 0) {
    return Int(L"SELECT COUNT(*) FROM " + table, h);
  }
  int64_t Version(const wchar_t* name, uint32_t h = 0) {
    int64_t version = -1;
    EXPECT_EQ(QeProjectDb_Labware_GetCatalogueVersion(h ? h : h_, name, version), 0);
    return version;
  }
  // The row counts of the five labware tables and the catalogue versions
  // stored, e.g. "52 422 27 111 5: 6 2 2".
  std::string State(uint32_t h = 0) {
    std::string text;
    for (const wchar_t* table : {L"wellplateconfiguration", L"wellplatename", L"dishconfiguration",
                                 L"dishname", L"slidedef"}) {
      text += (text.empty() ? "" : " ") + std::to_string(Count(table, h));
    }
    text += ":";
    for (const wchar_t* name :
         {kQeCatalogueVersionPlate, kQeCatalogueVersionDish, kQeCatalogueVersionSlide}) {
      text += " " + std::to_string(Version(name, h));
    }
    return text;
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

 private:
  sqlite3* Db(uint32_t h) const { return CQeProjectDbConnectionManager::GetConnection(h ? h : h_); }
  std::vector<uint32_t> handles_;
};

// The same with the built-in catalogue filled once.
class CatalogueDbTest : public LabwareDbTest {
 protected:
  static void SetUpTestSuite() { ASSERT_EQ(CQeInsertObjectDatabase::Init(), 0); }
};

// A user-made standard 96-well plate: 8 rows named by letters, 12 numbered
// columns, 9 mm pitch, round wells of 6.4 mm.
inline CQeWellplate Custom96(const CQeStringW& uuid, const CQeStringW& model) {
  return CQeWellplate(uuid, kQeCustomWellplatesCompany, L"Round", model, eQeNamingModeRowColumn,
                      eQeNamingLetters, eQeNamingNumbers, 12, 8, 9000, 9000, 127760, 85480, 14380,
                      11240, CQeLayoutElement(SQeShape(3200.0)));
}

// Collects the diagnostic lines written while it lives (messages only,
// without the source place), joined by " | ".
class DiagLines {
 public:
  DiagLines()
      : scope_([this](const CQeStringW& line) {
          const std::string text = line.ToUtf8();
          const size_t colon = text.find(": ");
          joined_ += (joined_.empty() ? "" : " | ") +
                     (colon == std::string::npos ? text : text.substr(colon + 2));
        }) {}
  const std::string& Joined() const { return joined_; }

 private:
  std::string joined_;
  CQeDiagSinkScope scope_;
};

}  // namespace qe::test
