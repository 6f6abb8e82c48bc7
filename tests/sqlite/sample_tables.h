// Table definitions, a database fixture and a raw query reader shared by the
// helper-layer tests.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <vector>

#include "qe/sqlite/connection.h"
#include "qe/sqlite/ddl.h"
#include "qe/sqlite/table_def.h"
#include "support/temp_dir.h"

namespace qe::test {

// parent: iKey, wszName (NOCASE, unique index), dValue, pData, iCount;
// UNIQUE (wszName) ON CONFLICT ABORT.
extern const SQeSqliteTableDef kParentTable;
// child: iKey, iParentKeyRef (-> parent, cascade, index), iOtherKeyRef
// (-> parent, set null), iChildKeyRef (-> child, index), wszCompany
// (NOCASE, default "Unknown"), iOrder; UNIQUE (iParentKeyRef, iOrder) ON CONFLICT ABORT.
extern const SQeSqliteTableDef kChildTable;

// A database file in a temporary folder, created UTF-16 as the project
// database is, with foreign keys on; closed with QeSqlite_Close.
class SqliteFileTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Opens another connection to the same file (read-write).
  sqlite3* OpenSecond();
  // Runs sql and expects success.
  void Exec(const wchar_t* sql);
  int64_t Count(const wchar_t* sql);

  TempDir dir_;
  std::wstring path_;
  sqlite3* db_ = nullptr;
};

using Rows = std::vector<std::vector<std::string>>;

// Every row of sql as texts (NULL as "<null>"), read with the raw SQLite API,
// independent of the layer under test.
inline Rows QueryRows(sqlite3* db, const std::string& sql) {
  Rows rows;
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) return rows;
  while (sqlite3_step(stmt) == SQLITE_ROW) {
    rows.emplace_back();
    for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
      const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
      rows.back().emplace_back(text ? text : "<null>");
    }
  }
  sqlite3_finalize(stmt);
  return rows;
}

}  // namespace qe::test
