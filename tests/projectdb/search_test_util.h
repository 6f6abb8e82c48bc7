// Helpers of the search tests: JDN arithmetic written independently of the
// library, the fixed SQL bodies of the language as literal texts, and a new
// project database on which generated statements are prepared and run.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <set>
#include <string>
#include <vector>

#include "qe/core/string.h"
#include "qe/projectdb/db.h"
#include "qe/projectdb/search.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace qe::test {

// JDN of 00:00 UTC of a Gregorian date (days-from-civil, month 1-based).
inline double UtcMidnightJdn(int year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  const long era = (year >= 0 ? year : year - 399) / 400;
  const long yoe = year - era * 400;
  const long doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return 2440587.5 + static_cast<double>(era * 146097 + doe - 719468);
}

inline std::wstring Lf(double value) { return fmt::sprintf(L"%f", value); }

inline const std::wstring kRunsOf =
    L"SELECT DISTINCT jobdef.iKey, jobrun.iKey, "
    L"ifnull(jobrun.dMTime, jobdef.dMTime) FROM jobdef, jobrun";
inline const std::wstring kJobHead = kRunsOf + L" WHERE jobrun.iJobdefKeyRef=jobdef.iKey AND (";
inline const std::wstring kAssayHead = kRunsOf +
                                       L", assayrun WHERE jobrun.iJobdefKeyRef=jobdef.iKey AND "
                                       L"assayrun.iJobrunKeyRef=jobrun.iKey AND (";
inline const std::wstring kPlateHead = kRunsOf +
                                       L", plateinfo WHERE jobrun.iJobdefKeyRef=jobdef.iKey AND "
                                       L"plateinfo.iJobrunKeyRef=jobrun.iKey AND (";
inline const std::wstring kLabelHead =
    L"SELECT DISTINCT jobrun.iJobdefKeyRef, jobrun.iKey, jobrun.dMTime FROM jobrun, frametag, "
    L"tagdef WHERE frametag.iJobrunKeyRef=jobrun.iKey AND frametag.iTagdefKeyRef=tagdef.iKey AND (";
inline const std::wstring kQuantityHead =
    L"SELECT DISTINCT jobrun.iJobdefKeyRef, jobrun.iKey, jobrun.dMTime FROM jobrun, frameprop, "
    L"propdef WHERE frameprop.iJobrunKeyRef=jobrun.iKey AND frameprop.iPropdefKeyRef=propdef.iKey "
    L"AND (";

inline std::wstring KeywordBody(const std::wstring& tagConditions) {
  const std::wstring tags = L"SELECT tagdef.iKey FROM tagdef WHERE " + tagConditions;
  return L"SELECT DISTINCT jobdef.iKey, jobrun.iKey, ifnull(jobrun.dMTime, jobdef.dMTime) \n"
         L"FROM jobrun, jobdef, jobdeftag, project LEFT OUTER JOIN projtag ON "
         L"projtag.iProjKeyRef=project.iKey AND projtag.iTagdefKeyRef IN (" +
         tags +
         L") \nWHERE jobrun.iJobdefKeyRef=jobdef.iKey AND jobdef.iProjKeyRef=project.iKey AND "
         L"jobdeftag.iJobdefKeyRef=jobdef.iKey AND jobdeftag.iTagdefKeyRef IN (" +
         tags + L")";
}

// Parses the whole text; returns the SQL (empty when nothing matched).
inline std::wstring SqlFor(const std::wstring& text, int* stop = nullptr) {
  SQeProjectDbSearchParser parser{CQeStringW(text)};
  int pos = -1;
  if (!parser.MatchQuery(&pos)) return L"";
  if (stop) *stop = pos;
  return parser.MakeSqlQuery().str();
}

// A new project database "search.db" and a plain SQLite connection to it.
class SearchDb {
 public:
  SearchDb() : created_(QeProjectDb_Db_Create(CQeStringW::FromUtf8(path()))) {
    if (created_ == 0) sqlite3_open_v2(path().c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr);
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
  int created_;
  sqlite3* db_ = nullptr;
};

// What preparing and running a statement asked of SQLite.
struct StatementAccess {
  int prepareResult = SQLITE_ERROR;
  std::string error;
  bool oneStatement = false;
  bool readOnly = false;
  std::set<std::string> tablesRead;
  std::vector<std::string> otherActions;  // anything but reads, SELECT, ifnull() and like()
  int stepResult = SQLITE_ERROR;
  std::vector<std::vector<long long>> rows;  // the first two columns of each row
  std::vector<double> times;                 // the third column of each row
};

// Prepares the UTF-8 text with an authorizer watching, then runs it.
inline StatementAccess PrepareAndRun(sqlite3* db, const std::string& sql) {
  StatementAccess access;
  sqlite3_set_authorizer(
      db,
      [](void* context, int action, const char* a, const char* b, const char*, const char*) {
        auto* out = static_cast<StatementAccess*>(context);
        const std::string name = b ? b : "";
        if (action == SQLITE_READ) {
          out->tablesRead.insert(a ? a : "");
        } else if (action != SQLITE_SELECT &&
                   !(action == SQLITE_FUNCTION && (name == "ifnull" || name == "like"))) {
          out->otherActions.push_back(std::to_string(action) + ":" + (a ? a : "") + ":" + name);
        }
        return SQLITE_OK;
      },
      &access);
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
  while ((access.stepResult = sqlite3_step(stmt)) == SQLITE_ROW) {
    access.rows.push_back({sqlite3_column_int64(stmt, 0), sqlite3_column_int64(stmt, 1)});
    access.times.push_back(sqlite3_column_double(stmt, 2));
  }
  if (access.stepResult != SQLITE_DONE) access.error = sqlite3_errmsg(db);
  sqlite3_finalize(stmt);
  return access;
}

}  // namespace qe::test
