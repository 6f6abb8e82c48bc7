// Looking at a database file from outside the library, with the raw SQLite
// API: rows as texts, and a text that describes a whole schema so that two
// files can be compared.
#pragma once

#include <sqlite3.h>

#include <string>
#include <vector>

namespace qe::test {

// A plain sqlite3 connection (foreign keys off, SQLite's default), closed on
// destruction.
class CRawDb {
 public:
  explicit CRawDb(const std::string& path, int flags = SQLITE_OPEN_READWRITE);
  ~CRawDb();
  CRawDb(const CRawDb&) = delete;
  CRawDb& operator=(const CRawDb&) = delete;

  bool Ok() const { return rc_ == SQLITE_OK; }
  sqlite3* Get() const { return db_; }
  // SQLite's result code of running every statement of sql.
  int Exec(const std::string& sql);
  // Every row of sql, each value as text ("NULL" for NULL). A statement that
  // does not prepare is a test failure and gives no rows.
  std::vector<std::vector<std::string>> Rows(const std::string& sql);
  // The first value of the first row ("" when there is none).
  std::string Text(const std::string& sql);
  long long Int(const std::string& sql);

 private:
  sqlite3* db_ = nullptr;
  int rc_ = SQLITE_OK;
};

// One line per fact, tables and indexes sorted by name: the CREATE text of
// every table and index, and for every table PRAGMA table_info (name, type,
// not null, default, primary key), foreign_key_list (table, from, to, on
// update, on delete), index_list (name, unique, origin) with index_info
// (columns in order). Temporary and internal (sqlite_) tables are left out.
std::string DescribeSchema(const std::string& path);

}  // namespace qe::test
