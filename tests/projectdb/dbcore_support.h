// Shared pieces of the database core tests: a raw SQLite connection for
// looking at files from outside the library, and a fixture that gives each
// test a fresh folder.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <string>
#include <vector>

#include "qe/core/string.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace qe::test {

// A plain sqlite3 connection, closed on destruction.
class RawDb {
 public:
  explicit RawDb(const std::string& path, int flags = SQLITE_OPEN_READWRITE) {
    rc_ = sqlite3_open_v2(path.c_str(), &db_, flags, nullptr);
  }
  ~RawDb() { sqlite3_close_v2(db_); }
  RawDb(const RawDb&) = delete;
  RawDb& operator=(const RawDb&) = delete;

  bool ok() const { return rc_ == SQLITE_OK; }
  sqlite3* get() const { return db_; }

  // SQLite's result code of running sql (all statements).
  int Exec(const std::string& sql) {
    return sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr);
  }
  // Every row of sql as texts ("NULL" for NULL).
  std::vector<std::vector<std::string>> Rows(const std::string& sql) {
    std::vector<std::vector<std::string>> rows;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
      ADD_FAILURE() << sql << ": " << sqlite3_errmsg(db_);
      return rows;
    }
    while (sqlite3_step(stmt) == SQLITE_ROW) {
      std::vector<std::string> row;
      for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
        const unsigned char* text = sqlite3_column_text(stmt, i);
        row.push_back(text ? reinterpret_cast<const char*>(text) : "NULL");
      }
      rows.push_back(std::move(row));
    }
    sqlite3_finalize(stmt);
    return rows;
  }
  // The first column of the first row ("" when there is none).
  std::string Text(const std::string& sql) {
    const auto rows = Rows(sql);
    return rows.empty() || rows[0].empty() ? "" : rows[0][0];
  }
  long long Int(const std::string& sql) { return std::stoll("0" + Text(sql)); }

 private:
  sqlite3* db_ = nullptr;
  int rc_ = SQLITE_ERROR;
};

// A fresh folder per test, with path helpers.
class DbCoreTest : public ::testing::Test {
 protected:
  std::string File(const std::string& name) const { return dir_.File(name); }
  CQeStringW WFile(const std::string& name) const { return CQeStringW::FromUtf8(File(name)); }
  const std::filesystem::path& Dir() const { return dir_.path(); }

  TempDir dir_;
};

// Makes a file read-only for everyone (no write bit), which is what the
// library checks, since tests may run as root.
inline void MakeReadOnly(const std::string& path) {
  std::filesystem::permissions(path,
                               std::filesystem::perms::owner_write |
                                   std::filesystem::perms::group_write |
                                   std::filesystem::perms::others_write,
                               std::filesystem::perm_options::remove);
}

// Makes every path under folder count as lying on a network file system.
class ScopedEnvForNetwork {
 public:
  explicit ScopedEnvForNetwork(const std::string& folder)
      : env_("QE_PROJECTDB_NETWORK_PATHS", folder.c_str()) {}

 private:
  ScopedEnv env_;
};

}  // namespace qe::test
