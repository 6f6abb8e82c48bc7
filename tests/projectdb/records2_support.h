// A connected new project database in a temporary folder for the tests of
// programs, properties, tags, analysis results and users, with plain-SQL
// builders for the rows those families hang from (projects, job
// definitions, runs, frames, run loops).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "qe/core/string.h"
#include "qe/projectdb/connection.h"
#include "qe/projectdb/db.h"
#include "qe/sqlite/connection.h"
#include "qe/sqlite/sql_text.h"
#include "support/temp_dir.h"

namespace qe::test {

class RecordsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const CQeStringW path(dir_.FileW("records.db"));
    ASSERT_EQ(QeProjectDb_Db_Create(path), 0);
    h_ = QeProjectDb_Db_Connect(path);
    ASSERT_NE(h_, 0u);
  }
  void TearDown() override { QeProjectDb_Db_Disconnect(h_); }

  sqlite3* db() const { return CQeProjectDbConnectionManager::GetConnection(h_); }

  // Runs sql and returns the key of the row it inserted last.
  int64_t Insert(const CQeStringW& sql) {
    EXPECT_EQ(QeSqlite_Execute(db(), sql, nullptr, false), 0) << sql.ToUtf8();
    return Int(L"SELECT last_insert_rowid();");
  }
  int64_t Int(const CQeStringW& sql) { return QeSqlite_ReadOneInt64(db(), sql, nullptr); }
  std::string Text(const CQeStringW& sql) {
    return QeSqlite_ReadOneStringW(db(), sql, nullptr).ToUtf8();
  }
  int64_t Count(const wchar_t* table, const wchar_t* where = L"1") {
    return Int(QeSqlite_FormatSql(L"SELECT count(*) FROM %s WHERE %s;", table, where));
  }
  bool IsNull(const wchar_t* table, const wchar_t* column, int64_t key) {
    return Int(QeSqlite_FormatSql(L"SELECT %s IS NULL FROM %s WHERE iKey=%I64d;", column, table,
                                  key)) == 1;
  }

  int64_t MakeProject() {
    ++serial_;
    return Insert(QeSqlite_FormatSql(
        L"INSERT INTO project (dCTime, dMTime, wszUuid, wszName, wszDesc, wszFolderName) "
        L"VALUES (0, 0, 'p%d', 'P%d', '', 'P%d');",
        serial_, serial_, serial_));
  }
  int64_t MakeJobdef(int64_t project) {
    ++serial_;
    return Insert(QeSqlite_FormatSql(
        L"INSERT INTO jobdef (iProjKeyRef, iDefType, iState, iProgress, dCTime, dMTime, wszUuid, "
        L"wszName, wszDesc) VALUES (%I64d, 0, 0, 0, 0, 0, 'd%d', 'D%d', '');",
        project, serial_, serial_));
  }
  int64_t MakeJobrun(int64_t project, int64_t jobdef, int64_t program) {
    ++serial_;
    return Insert(QeSqlite_FormatSql(
        L"INSERT INTO jobrun (iProjKeyRef, iJobdefKeyRef, iJobprogramKeyRef, iFinishFlags, "
        L"dCTime, dMTime, dFTime, wszUuid, wszName, wszDesc, wszFolderName, wszFinishMessage) "
        L"VALUES (%I64d, %I64d, nullif(%I64d, 0), 0, 0, 0, 0, 'r%d', 'R%d', '', 'R%d', '');",
        project, jobdef, program, serial_, serial_, serial_));
  }
  int64_t MakeFrame(int64_t jobrun, int64_t task, int index) {
    return Insert(QeSqlite_FormatSql(
        L"INSERT INTO frame (iJobrunKeyRef, iJobtaskKeyRef, iFrameIndex, dCTime, iFileKeyRef, "
        L"iFileFrameIndex) VALUES (%I64d, %I64d, %d, 0, NULL, 0);",
        jobrun, task, index));
  }
  int64_t MakeRunloop(int64_t jobrun, int64_t task, int order) {
    return Insert(QeSqlite_FormatSql(
        L"INSERT INTO runloop (iJobrunKeyRef, iJobtaskKeyRef, iOrder, iNestLevel, iLoopType) "
        L"VALUES (%I64d, %I64d, %d, 0, 0);",
        jobrun, task, order));
  }

  TempDir dir_;
  uint32_t h_ = 0;
  int serial_ = 0;
};

// Texts that must reach the database and come back unchanged, and must
// find exactly their own rows when used as filters.
inline const CQeStringW kQuoteName(L"O'Neil \"quoted\" 100% ünïcødé ß 日本");
inline const CQeStringW kOtherName(L"it's 50%_off ' OR '1'='1");

}  // namespace qe::test
