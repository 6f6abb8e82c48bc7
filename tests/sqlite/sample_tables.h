// Table definitions and a database fixture shared by the helper-layer tests.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>

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

}  // namespace qe::test
