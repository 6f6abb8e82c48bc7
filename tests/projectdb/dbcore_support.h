// Shared pieces of the database core tests: connection handles that close
// themselves, queries on the connection of a handle, and a fixture that
// gives each test a fresh folder. Files are looked at from outside the
// library with RawDb.
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
#include "support/projectdb/schema_dump.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace qe::test {

using Rows = std::vector<std::vector<std::string>>;
using RawDb = CRawDb;

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
inline std::string OnHandle(uint32_t handle, const wchar_t* sql) {
  return QeSqlite_ReadOneStringW(CQeProjectDbConnectionManager::GetConnection(handle), sql, nullptr)
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

  TempDir dir_;
};

}  // namespace qe::test
