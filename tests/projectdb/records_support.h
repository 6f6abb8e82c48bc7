// A new project database in a temporary folder, connected through the
// library, for the tests of the record functions; plain-SQL reads for
// checking what they wrote, and builders for the parent rows.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "qe/core/files.h"
#include "qe/core/status.h"
#include "qe/core/string.h"
#include "qe/projectdb/connection.h"
#include "qe/projectdb/db.h"
#include "qe/projectdb/records.h"
#include "qe/projectdb/sys.h"
#include "qe/sqlite/connection.h"
#include "support/temp_dir.h"

namespace qe::test {

// Texts that must be stored and read back unchanged, and must find exactly
// their own rows when used as filters.
inline const CQeStringW kQuoteName(L"O'Neil's \"Zellkultur\" 100% a_b \\ ünï 日本");
inline const CQeStringW kOtherName(L"it's 50%_off ' OR '1'='1");

// "column=value", a condition.
inline std::string Eq(const std::string& column, int64_t value) {
  return column + "=" + std::to_string(value);
}

// GetOne by key of each family, for RecordApiTest::Get.
#define QE_TEST_GET_ONE(Row, Function) \
  inline int GetOne(uint32_t h, int64_t key, Row& row) { return Function(h, key, row); }
QE_TEST_GET_ONE(SQeProjectDbRow_project, QeProjectDb_Proj_GetOne)
QE_TEST_GET_ONE(SQeProjectDbRow_jobdef, QeProjectDb_Jobdef_GetOne)
QE_TEST_GET_ONE(SQeProjectDbRow_jobrun, QeProjectDb_Jobrun_GetOne)
QE_TEST_GET_ONE(SQeProjectDbRow_file, QeProjectDb_File_GetOne)
QE_TEST_GET_ONE(SQeProjectDbRow_jobprogram, QeProjectDb_Jobprogram_GetOne)
QE_TEST_GET_ONE(SQeProjectDbRow_jobtask, QeProjectDb_Jobtask_GetOne)
#undef QE_TEST_GET_ONE

class RecordApiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(QeProjectDb_Db_Create(DbPath()), 0);
    h_ = QeProjectDb_Db_Connect(DbPath());
    ASSERT_NE(h_, 0u);
  }
  void TearDown() override { QeProjectDb_Db_Disconnect(h_); }

  CQeStringW DbPath() const { return CQeStringW(dir_.FileW("projects.db")); }
  sqlite3* db() const { return CQeProjectDbConnectionManager::GetConnection(h_); }
  // The project root folder beside the database file.
  std::filesystem::path Root() const { return dir_.path() / "Projects"; }

  // Plain SQL on the test's connection (UTF-8 text).
  int Exec(const std::string& sql) {
    return sqlite3_exec(db(), sql.c_str(), nullptr, nullptr, nullptr);
  }
  int64_t Int(const std::string& sql) {
    return QeSqlite_ReadOneInt64(db(), CQeStringW::FromUtf8(sql), nullptr, -999);
  }
  CQeStringW Text(const std::string& sql) {
    return QeSqlite_ReadOneStringW(db(), CQeStringW::FromUtf8(sql), nullptr);
  }
  // The record with that key (the read must succeed).
  template <typename Row>
  Row Get(int64_t key) {
    Row row;
    EXPECT_EQ(GetOne(h_, key, row), 0);
    return row;
  }
  // A column (or expression) of the row with that key.
  int64_t Col(const std::string& table, const std::string& column, int64_t key) {
    return Int("SELECT " + column + " FROM " + table + " WHERE " + Eq("iKey", key));
  }
  bool IsNull(const std::string& table, const std::string& column, int64_t key) {
    return Col(table, column + " IS NULL", key) == 1;
  }
  int64_t Count(const std::string& table, const std::string& where = "1") {
    return Int("SELECT count(*) FROM " + table + " WHERE " + where);
  }
  int64_t InsertSql(const std::string& sql) {
    EXPECT_EQ(Exec(sql), SQLITE_OK) << sql;
    return sqlite3_last_insert_rowid(db());
  }

  int64_t AddProject(const CQeStringW& name = L"Project", const CQeStringW& folder = L"Project") {
    int64_t key = 0;
    EXPECT_EQ(QeProjectDb_Proj_Insert(h_, name, L"", folder, &key), 0);
    return key;
  }
  int64_t AddJobdef(int64_t project, const CQeStringW& name = L"Scan", int32_t defType = 1) {
    int64_t key = 0;
    EXPECT_EQ(QeProjectDb_Jobdef_Insert(h_, project, defType, 0, name, L"", 0, &key), 0);
    return key;
  }
  int64_t AddJobprogram(int64_t jobdef) {
    int64_t key = 0;
    EXPECT_EQ(QeProjectDb_Jobprogram_Insert(h_, jobdef, L"program", &key), 0);
    return key;
  }
  // A run (running unless flags say otherwise) with a new program of the
  // job definition; *folder receives the run's absolute folder.
  int64_t AddRun(int64_t project, int64_t jobdef, int64_t flags = 1,
                 const CQeStringW& name = L"Run", CQeStringW* folder = nullptr) {
    SQeProjectDbRow_jobrun row;
    EXPECT_EQ(
        QeProjectDb_Jobrun_Insert(
            h_, project,
            QeProjectDb_Proj_MakeAbsPath(h_, Get<SQeProjectDbRow_project>(project).wszFolderName),
            jobdef, AddJobprogram(jobdef), flags, name, L"", &row, folder),
        0);
    return row.iKey;
  }
  int64_t AddTagdef(const std::string& name) {
    return InsertSql("INSERT INTO tagdef (wszTagsetName, wszName, wszDesc) VALUES ('test', '" +
                     name + "', '')");
  }
  // A plate, well or slide record of the run.
  int64_t AddInfo(const std::string& table, int64_t run, int well = 0) {
    return InsertSql("INSERT INTO " + table + " (iJobrunKeyRef, wszName" +
                     (table == "wellinfo" ? ", iWellIndex" : "") + ") VALUES (" +
                     std::to_string(run) + ", 'W" + std::to_string(well) + "'" +
                     (table == "wellinfo" ? ", " + std::to_string(well) : "") + ")");
  }

  TempDir dir_;
  uint32_t h_ = 0;
};

// A project with a job definition and one running run of a new program.
class RecordRunTest : public RecordApiTest {
 protected:
  void SetUp() override {
    RecordApiTest::SetUp();
    project_ = AddProject();
    jobdef_ = AddJobdef(project_);
    run_ = AddRun(project_, jobdef_);
    ASSERT_GT(run_, 0);
    program_ = Col("jobrun", "iJobprogramKeyRef", run_);
  }
  int64_t project_ = 0, jobdef_ = 0, run_ = 0, program_ = 0;
};

}  // namespace qe::test
