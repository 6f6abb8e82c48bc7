// The search parser: any text (as UTF-8) is parsed; the SQL it makes must
// prepare on a real new project database as one read-only statement that
// reads only the tables of the search language and calls only the two
// functions the search SQL uses, and must run to the end.
#include <sqlite3.h>
#include <stdlib.h>

#include <cstring>
#include <string>
#include <string_view>

#include "fuzz_util.h"
#include "qe/core/string.h"
#include "qe/projectdb/db.h"
#include "qe/projectdb/search.h"

namespace {

constexpr const char* kSearchTables[] = {"jobdef",   "jobrun",    "assayrun",  "plateinfo",
                                         "frametag", "tagdef",    "frameprop", "propdef",
                                         "project",  "jobdeftag", "projtag"};

bool IsSearchTable(const char* name) {
  if (name == nullptr) return false;
  for (const char* table : kSearchTables) {
    if (std::strcmp(table, name) == 0) return true;
  }
  return false;
}

// Allows reading the search tables, the SELECTs of the compound and the
// functions ifnull and like; denies everything else, which makes the
// prepare fail.
int Authorize(void*, int action, const char* a, const char* b, const char*, const char*) {
  if (action == SQLITE_SELECT) return SQLITE_OK;
  if (action == SQLITE_READ) return IsSearchTable(a) ? SQLITE_OK : SQLITE_DENY;
  if (action == SQLITE_FUNCTION && b != nullptr &&
      (std::strcmp(b, "ifnull") == 0 || std::strcmp(b, "like") == 0)) {
    return SQLITE_OK;
  }
  return SQLITE_DENY;
}

sqlite3* Database() {
  static sqlite3* db = [] {
    const std::string path = qe::fuzz::TempFolder() + "/search.db";
    if (QeProjectDb_Db_Create(CQeStringW(qe::Utf8ToWide(path))) != 0) std::abort();
    sqlite3* opened = nullptr;
    if (sqlite3_open_v2(path.c_str(), &opened, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
      std::abort();
    }
    sqlite3_set_authorizer(opened, Authorize, nullptr);
    return opened;
  }();
  return db;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Dates typed in the search box are local times: one fixed zone.
  setenv("TZ", "UTC0", 1);
  tzset();
  Database();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::wstring text =
      qe::Utf8ToWide(std::string_view(reinterpret_cast<const char*>(data), size));
  SQeProjectDbSearchParser parser{CQeStringW(text)};
  int stop = -1;
  const bool matched = parser.MatchQuery(&stop);
  QE_FUZZ_CHECK(stop >= 0 && stop <= parser.wszQuery.GetLength());
  const CQeStringW sql = parser.MakeSqlQuery();
  QE_FUZZ_CHECK(matched == !sql.IsEmpty());
  if (sql.IsEmpty()) return 0;

  const std::string utf8 = sql.ToUtf8();
  sqlite3* db = Database();
  sqlite3_stmt* stmt = nullptr;
  const char* tail = nullptr;
  const int prepared =
      sqlite3_prepare_v2(db, utf8.c_str(), static_cast<int>(utf8.size()), &stmt, &tail);
  if (prepared != SQLITE_OK) {
    std::fprintf(stderr, "SQL: %s\nerror: %s\n", utf8.c_str(), sqlite3_errmsg(db));
  }
  QE_FUZZ_CHECK(prepared == SQLITE_OK && stmt != nullptr);
  QE_FUZZ_CHECK(std::string_view(tail).find_first_not_of(" \n\t") == std::string_view::npos);
  QE_FUZZ_CHECK(sqlite3_stmt_readonly(stmt) != 0);
  int rc;
  while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
  }
  sqlite3_finalize(stmt);
  QE_FUZZ_CHECK(rc == SQLITE_DONE);
  return 0;
}
