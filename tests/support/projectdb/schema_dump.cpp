#include "support/projectdb/schema_dump.h"

#include <gtest/gtest.h>

namespace qe::test {

CRawDb::CRawDb(const std::string& path, int flags) {
  rc_ = sqlite3_open_v2(path.c_str(), &db_, flags, nullptr);
}

CRawDb::~CRawDb() { sqlite3_close_v2(db_); }

int CRawDb::Exec(const std::string& sql) {
  return sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr);
}

std::vector<std::vector<std::string>> CRawDb::Rows(const std::string& sql) {
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

std::string CRawDb::Text(const std::string& sql) {
  const auto rows = Rows(sql);
  return rows.empty() || rows[0].empty() ? "" : rows[0][0];
}

long long CRawDb::Int(const std::string& sql) { return std::stoll("0" + Text(sql)); }

namespace {
std::string Join(const std::vector<std::string>& values) {
  std::string line;
  for (const std::string& value : values) line += (line.empty() ? "" : "|") + value;
  return line;
}
}  // namespace

std::string DescribeSchema(const std::string& path) {
  CRawDb db(path, SQLITE_OPEN_READONLY);
  std::string text;
  for (const auto& object :
       db.Rows("SELECT type, name, sql FROM sqlite_master WHERE name NOT LIKE 'sqlite_%' ORDER "
               "BY type, name")) {
    text += Join(object) + "\n";
  }
  for (const auto& table :
       db.Rows("SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE 'sqlite_%' "
               "ORDER BY name")) {
    const std::string& name = table[0];
    for (const auto& column : db.Rows("PRAGMA table_info(" + name + ")")) {
      text += name + " column " + Join(column) + "\n";
    }
    for (const auto& key : db.Rows("SELECT \"table\", \"from\", \"to\", on_update, on_delete FROM "
                                   "pragma_foreign_key_list('" +
                                   name + "') ORDER BY \"from\"")) {
      text += name + " foreign key " + Join(key) + "\n";
    }
    for (const auto& index : db.Rows("SELECT name, \"unique\", origin FROM pragma_index_list('" +
                                     name + "') ORDER BY name")) {
      std::string columns;
      for (const auto& column :
           db.Rows("SELECT name FROM pragma_index_info('" + index[0] + "') ORDER BY seqno")) {
        columns += " " + column[0];
      }
      text += name + " index " + Join(index) + columns + "\n";
    }
  }
  return text;
}

}  // namespace qe::test
