// Shared pieces of the database core tests: a raw SQLite connection for
// looking at files from outside the library, connection handles that close
// themselves, and a fixture that gives each test a fresh folder.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "qe/core/string.h"
#include "qe/projectdb/connection.h"
#include "qe/projectdb/db.h"
#include "qe/sqlite/connection.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace qe::test {

using Rows = std::vector<std::vector<std::string>>;

// A plain sqlite3 connection, closed on destruction.
class RawDb {
 public:
  explicit RawDb(const std::string& path, int flags = SQLITE_OPEN_READWRITE) {
    sqlite3_open_v2(path.c_str(), &db_, flags, nullptr);
  }
  ~RawDb() { sqlite3_close_v2(db_); }
  RawDb(const RawDb&) = delete;
  RawDb& operator=(const RawDb&) = delete;

  sqlite3* get() const { return db_; }
  int Exec(const std::string& sql) {
    return sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr);
  }
  // Every row of sql as texts ("NULL" for NULL).
  Rows Query(const std::string& sql) {
    Rows rows;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
      ADD_FAILURE() << sql << ": " << sqlite3_errmsg(db_);
      return rows;
    }
    while (sqlite3_step(stmt) == SQLITE_ROW) {
      rows.emplace_back();
      for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
        const unsigned char* text = sqlite3_column_text(stmt, i);
        rows.back().push_back(text ? reinterpret_cast<const char*>(text) : "NULL");
      }
    }
    sqlite3_finalize(stmt);
    return rows;
  }
  // The first column of the first row ("" when there is none).
  std::string Text(const std::string& sql) {
    const Rows rows = Query(sql);
    return rows.empty() || rows[0].empty() ? "" : rows[0][0];
  }
  long long Int(const std::string& sql) { return std::stoll("0" + Text(sql)); }

 private:
  sqlite3* db_ = nullptr;
};

// A connection handle, disconnected at the end of its scope.
class Handle {
 public:
  explicit Handle(uint32_t handle) : handle_(handle) {}
  ~Handle() { QeProjectDb_Db_Disconnect(handle_); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  operator uint32_t() const { return handle_; }

 private:
  uint32_t handle_;
};

// The text of a one-value query, and the status of a statement, on the
// connection of a handle.
inline std::string OnHandle(uint32_t handle, const wchar_t* sql, int* code = nullptr) {
  return QeSqlite_ReadOneStringW(CQeProjectDbConnectionManager::GetConnection(handle), sql, code)
      .ToUtf8();
}
inline int ExecOnHandle(uint32_t handle, const std::string& sql) {
  return sqlite3_exec(CQeProjectDbConnectionManager::GetConnection(handle), sql.c_str(), nullptr,
                      nullptr, nullptr);
}

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Removes every write bit, which is what the library checks (tests may run
// as root, for whom access() allows everything).
inline void MakeReadOnly(const std::string& path) {
  namespace fs = std::filesystem;
  fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
}

// A fresh folder per test, with path helpers.
class DbCoreTest : public ::testing::Test {
 protected:
  std::string File(const std::string& name) const { return dir_.File(name); }
  CQeStringW WFile(const std::string& name) const { return CQeStringW::FromUtf8(File(name)); }
  const std::filesystem::path& Dir() const { return dir_.path(); }
  void Create(const std::string& name = "p.db") {
    ASSERT_EQ(QeProjectDb_Db_Create(WFile(name)), 0) << name;
  }
  // Makes every path under the folder count as lying on a network file system.
  ScopedEnv Network() const { return ScopedEnv("QE_PROJECTDB_NETWORK_PATHS", Dir().c_str()); }

  TempDir dir_;
};

}  // namespace qe::test
