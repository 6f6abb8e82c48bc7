// Reads query results with the raw SQLite API, independent of the layer under test.
#pragma once

#include <sqlite3.h>

#include <string>
#include <vector>

namespace qe::test {

// Every row of sql as texts (NULL as "<null>").
inline std::vector<std::vector<std::string>> QueryRows(sqlite3* db, const std::string& sql) {
  std::vector<std::vector<std::string>> rows;
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) return rows;
  while (sqlite3_step(stmt) == SQLITE_ROW) {
    std::vector<std::string> row;
    for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
      const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
      row.emplace_back(text ? text : "<null>");
    }
    rows.push_back(std::move(row));
  }
  sqlite3_finalize(stmt);
  return rows;
}

}  // namespace qe::test
