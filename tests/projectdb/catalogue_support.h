// Shared pieces of the catalogue upgrade and plate file tests: a fresh
// project database per test, the catalogue filled once, looks at the file
// through the same connection and captured diagnostics.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "qe/core/diag.h"
#include "qe/labware/insert_object_database.h"
#include "qe/projectdb/connection.h"
#include "qe/projectdb/db.h"
#include "qe/projectdb/records/labware_catalogue.h"
#include "qe/projectdb/records/labware_plate.h"
#include "qe/sqlite/connection.h"
#include "support/temp_dir.h"

namespace qe::test {

class CatalogueDbTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_EQ(CQeInsertObjectDatabase::Init(), 0); }

  void SetUp() override { h_ = NewDatabase("catalogue.db"); }
  void TearDown() override {
    for (uint32_t h : handles_) QeProjectDb_Db_Disconnect(h);
  }

  // A new database file in the test's folder, connected.
  uint32_t NewDatabase(const std::string& name) {
    const std::wstring path = dir_.FileW(name);
    EXPECT_EQ(QeProjectDb_Db_Create(path), 0);
    const uint32_t h = QeProjectDb_Db_Connect(path);
    EXPECT_NE(h, 0u);
    handles_.push_back(h);
    return h;
  }

  int Exec(const std::wstring& sql, uint32_t h = 0) {
    return QeSqlite_Execute(Db(h), sql, nullptr, false);
  }
  int64_t Int(const std::wstring& sql, uint32_t h = 0) {
    int code = 0;
    const int64_t value = QeSqlite_ReadOneInt64(Db(h), sql, &code, -1);
    EXPECT_EQ(code, 0) << CQeStringW(sql).ToUtf8();
    return value;
  }
  int64_t Count(const std::wstring& table, uint32_t h = 0) {
    return Int(L"SELECT COUNT(*) FROM " + table, h);
  }
  int64_t Version(const wchar_t* name, uint32_t h = 0) {
    int64_t version = -1;
    EXPECT_EQ(QeProjectDb_Labware_GetCatalogueVersion(h ? h : h_, name, version), 0);
    return version;
  }
  // "configurations names dishconfigurations dishnames slides: plate dish
  // slide" row counts and stored catalogue versions, e.g. "52 422 27 111 5: 6 2 2".
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

  TempDir dir_;
  uint32_t h_ = 0;

 private:
  sqlite3* Db(uint32_t h) const { return CQeProjectDbConnectionManager::GetConnection(h ? h : h_); }
  std::vector<uint32_t> handles_;
};

// Collects the diagnostic lines written while it lives (messages only,
// without the source place).
class DiagLines {
 public:
  DiagLines()
      : scope_([this](const CQeStringW& line) {
          const std::string text = line.ToUtf8();
          const size_t colon = text.find(": ");
          lines_.push_back(colon == std::string::npos ? text : text.substr(colon + 2));
        }) {}
  const std::vector<std::string>& lines() const { return lines_; }
  // The lines joined by " | ".
  std::string Joined() const {
    std::string text;
    for (const std::string& line : lines_) text += (text.empty() ? "" : " | ") + line;
    return text;
  }

 private:
  std::vector<std::string> lines_;
  CQeDiagSinkScope scope_;
};

}  // namespace qe::test
