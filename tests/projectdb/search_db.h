// A new project database file for the search tests, opened with the plain
// SQLite API, and a check of what a statement reads.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <set>
#include <string>
#include <vector>

#include "qe/projectdb/db.h"
#include "support/temp_dir.h"

namespace qe::test {

class SearchDb {
 public:
  SearchDb() {
    const std::wstring path = dir_.FileW("search.db");
    created_ = QeProjectDb_Db_Create(CQeStringW(path));
    if (created_ == 0) {
      sqlite3_open_v2(dir_.File("search.db").c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr);
      sqlite3_exec(db_, "PRAGMA foreign_keys=1;", nullptr, nullptr, nullptr);
    }
  }
  ~SearchDb() { sqlite3_close(db_); }
  SearchDb(const SearchDb&) = delete;
  SearchDb& operator=(const SearchDb&) = delete;

  int created() const { return created_; }
  sqlite3* db() const { return db_; }
  std::string path() const { return dir_.File("search.db"); }

  // Runs statements; the SQLite message on failure, empty on success.
  std::string Exec(const std::string& sql) const {
    char* message = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message) == SQLITE_OK) return "";
    std::string text = message ? message : "failed";
    sqlite3_free(message);
    return text;
  }

 private:
  TempDir dir_;
  int created_ = -1;
  sqlite3* db_ = nullptr;
};

// What preparing a statement asked the authorizer for.
struct StatementAccess {
  int prepareResult = SQLITE_ERROR;
  std::string error;
  bool oneStatement = false;
  bool readOnly = false;
  std::set<std::string> tablesRead;
  std::vector<std::string> otherActions;  // anything but reading, SELECT and the two functions
  int stepResult = SQLITE_ERROR;
  std::vector<std::vector<long long>> rows;  // the first two columns of each row
  std::vector<double> times;                 // the third column of each row
};

inline int RecordAccess(void* context, int action, const char* a, const char* b, const char*,
                        const char*) {
  auto* access = static_cast<StatementAccess*>(context);
  if (action == SQLITE_READ) {
    access->tablesRead.insert(a ? a : "");
  } else if (action == SQLITE_SELECT) {
    // a SELECT of the compound
  } else if (action == SQLITE_FUNCTION && b &&
             (std::string(b) == "ifnull" || std::string(b) == "like")) {
    // the only functions the search SQL calls
  } else {
    access->otherActions.push_back(std::to_string(action) + ":" + (a ? a : "") + ":" +
                                   (b ? b : ""));
  }
  return SQLITE_OK;
}

// Prepares the UTF-8 text with an authorizer watching, then runs it.
inline StatementAccess PrepareAndRun(sqlite3* db, const std::string& sql) {
  StatementAccess access;
  sqlite3_set_authorizer(db, RecordAccess, &access);
  sqlite3_stmt* stmt = nullptr;
  const char* tail = nullptr;
  access.prepareResult =
      sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &stmt, &tail);
  sqlite3_set_authorizer(db, nullptr, nullptr);
  if (access.prepareResult != SQLITE_OK || !stmt) {
    access.error = sqlite3_errmsg(db);
    sqlite3_finalize(stmt);
    return access;
  }
  access.oneStatement = tail && std::string(tail).find_first_not_of(" \n\t") == std::string::npos;
  access.readOnly = sqlite3_stmt_readonly(stmt) != 0;
  int rc;
  while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    access.rows.push_back({sqlite3_column_int64(stmt, 0), sqlite3_column_int64(stmt, 1)});
    access.times.push_back(sqlite3_column_double(stmt, 2));
  }
  access.stepResult = rc;
  if (rc != SQLITE_DONE) access.error = sqlite3_errmsg(db);
  sqlite3_finalize(stmt);
  return access;
}

}  // namespace qe::test
