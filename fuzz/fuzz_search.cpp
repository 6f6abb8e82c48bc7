// The search parser: any text (as UTF-8) is parsed; the SQL it makes must
// prepare on a real project database as one read-only statement that reads
// only the tables of the search language and calls only the two functions
// the search SQL uses, and must run to the end. Every search table holds a
// row, so that every condition is evaluated (on empty tables a condition
// SQLite refuses only when it runs, such as an over-long LIKE pattern, would
// pass unseen).
#include <sqlite3.h>
#include <stdlib.h>

#include <cstring>
#include <list>
#include <string>
#include <string_view>

#include "fuzz_util.h"
#include "qe/core/string.h"
#include "qe/projectdb/connection.h"
#include "qe/projectdb/db.h"
#include "qe/projectdb/records.h"
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

// One row in each search table: a project with a tag, a job definition with
// a tag, a run with an analysis, a plate, a tagged frame and a measured
// property, all named "a".
void FillSearchTables(const CQeStringW& path) {
  const uint32_t h = QeProjectDb_Db_Connect(path);
  QE_FUZZ_CHECK(h != 0);
  int64_t project = 0, jobdef = 0, program = 0, task = 0, assay = 0, tag = 0, propdef = 0;
  int64_t config = 0, plate = 0, key = 0;
  QE_FUZZ_CHECK(QeProjectDb_Proj_Insert(h, L"a", L"a", L"a", &project) == 0);
  QE_FUZZ_CHECK(QeProjectDb_Jobdef_Insert(h, project, 0, 0, L"a", L"a", 0, &jobdef) == 0);
  QE_FUZZ_CHECK(QeProjectDb_Jobprogram_Insert(h, jobdef, L"a", &program) == 0);
  const SQeProjectDbJobTaskState state(1, 0, L"a", CQeByteArray(), CQeByteArray());
  QE_FUZZ_CHECK(QeProjectDb_Jobtask_Insert(h, program, 0, 0, 0, L"a", state, nullptr, &task) == 0);
  SQeProjectDbRow_jobrun run;
  QE_FUZZ_CHECK(QeProjectDb_Jobrun_Insert(h, project, QeProjectDb_Proj_MakeAbsPath(h, L"a"), jobdef,
                                          program, 0, L"a", L"a", &run, nullptr) == 0);
  QE_FUZZ_CHECK(QeProjectDb_Assayrun_Insert(h, run.iKey, task, task, L"a", L"a", 1.0, &assay) == 0);
  QE_FUZZ_CHECK(QeProjectDb_Tagdef_Insert(h, L"a", L"a", L"a", &tag) == 0);
  QE_FUZZ_CHECK(QeProjectDb_Projtag_Insert(h, project, tag, &key) == 0);
  QE_FUZZ_CHECK(QeProjectDb_Jobdeftag_Insert(h, jobdef, tag, &key) == 0);
  QE_FUZZ_CHECK(QeProjectDb_Frame_Insert(h, run.iKey, task, 0, 1.0, 0, 0, &key) == 0);
  QE_FUZZ_CHECK(QeProjectDb_Frametag_Insert(h, run.iKey, tag, 0, &key) == 0);
  QE_FUZZ_CHECK(QeProjectDb_Propdef_Insert(h, L"a", L"a", L"a", L"a", &propdef) == 0);
  QE_FUZZ_CHECK(QeProjectDb_Frameprop_Insert(h, run.iKey, assay, propdef, 0, 1.0, &key) == 0);
  std::list<SQeProjectDbRow_wellplateconfiguration> configs{{0, L"a", 1, 1, 0, 0, CQeByteArray()}};
  QE_FUZZ_CHECK(QeProjectDb_Wellplateconfig_InsertMany(h, configs) == 0);
  config = configs.front().iKey;
  std::list<SQeProjectDbRow_wellplatename> names{{0, L"a", config, L"a", L"a", L"a", 0, 0, 0}};
  QE_FUZZ_CHECK(QeProjectDb_Wellplatename_InsertMany(h, names) == 0);
  QE_FUZZ_CHECK(
      QeProjectDb_Plateinfo_Insert(h, run.iKey, names.front().iKey, L"a", L"a", L"a", &plate) == 0);
  QeProjectDb_Db_Disconnect(h);
}

sqlite3* Database() {
  static sqlite3* db = [] {
    const std::string path = qe::fuzz::TempFolder() + "/search.db";
    if (QeProjectDb_Db_Create(CQeStringW(qe::Utf8ToWide(path))) != 0) std::abort();
    FillSearchTables(CQeStringW(qe::Utf8ToWide(path)));
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
