#include "reliability/db_check.h"

#include <filesystem>

#include "reliability/acquisition.h"

namespace qe::reliability {

using qe::test::CRawDb;

std::string CheckFile(const std::string& path) {
  if (!std::filesystem::exists(path)) return "no file " + path;
  CRawDb db(path);
  if (!db.Ok()) return "cannot open " + path;
  std::string problems;
  const auto integrity = db.Rows("PRAGMA integrity_check;");
  if (integrity.size() != 1 || integrity[0].at(0) != "ok") {
    for (const auto& row : integrity) problems += row.at(0) + "\n";
  }
  for (const auto& row : db.Rows("PRAGMA foreign_key_check;")) {
    problems += "foreign key of " + row.at(0) + " row " + row.at(1) + " -> " + row.at(2) + "\n";
  }
  return problems.empty() ? "ok" : problems;
}

std::map<int64_t, int64_t> RowsPerBatch(CRawDb& db, const SStep& step) {
  std::map<int64_t, int64_t> counts;
  const std::string batch = "iFrameIndex / " + std::to_string(kFramesPerBatch);
  for (const auto& row :
       db.Rows("SELECT " + batch + ", count(*) FROM " + step.table + " GROUP BY " + batch + ";")) {
    counts[std::stoll(row.at(0))] = std::stoll(row.at(1));
  }
  return counts;
}

long long CountRows(const std::string& path, const std::string& table, const std::string& where) {
  CRawDb db(path);
  return db.Int("SELECT count(*) FROM \"" + table + "\" WHERE " + where + ";");
}

}  // namespace qe::reliability
