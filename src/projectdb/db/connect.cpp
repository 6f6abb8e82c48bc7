// Opening and closing project database connections.
#include <sqlite3.h>

#include <chrono>
#include <thread>

#include "projectdb/db/db_internal.h"
#include "qe/core/diag.h"
#include "qe/core/files.h"
#include "qe/projectdb/connection.h"
#include "qe/projectdb/sql_functions.h"
#include "qe/projectdb/sys.h"
#include "qe/sqlite/connection.h"

namespace {
using namespace qe::projectdb;

constexpr int kBusyTimeoutMs = 60000;
constexpr auto kOpenRetryPause = std::chrono::milliseconds(100);
constexpr int kSqliteBusy = 5;

// Keep the modification times of parents current: a run's stamps its job
// definition, whose stamp (or insert, or delete) stamps its project. They
// live only as long as the connection.
constexpr const wchar_t* kTemporaryTriggers =
    L"CREATE TEMPORARY TRIGGER trg_jobdef_u_dMTime UPDATE OF dMTime ON jobdef\n"
    L"BEGIN\n"
    L"  UPDATE project SET dMTime = new.dMTime WHERE iKey = new.iProjKeyRef;\n"
    L"END;\n"
    L"CREATE TEMPORARY TRIGGER trg_jobdef_i INSERT ON jobdef\n"
    L"BEGIN\n"
    L"  UPDATE project SET dMTime = new.dMTime WHERE iKey = new.iProjKeyRef;\n"
    L"END;\n"
    L"CREATE TEMPORARY TRIGGER trg_jobdef_d DELETE ON jobdef\n"
    L"BEGIN\n"
    L"  UPDATE project SET dMTime = jdnnow() WHERE iKey = old.iProjKeyRef;\n"
    L"END;\n"
    L"CREATE TEMPORARY TRIGGER trg_jobrun_u_dMTime UPDATE OF dMTime ON jobrun\n"
    L"BEGIN\n"
    L"  UPDATE jobdef SET dMTime = new.dMTime WHERE iKey = new.iJobdefKeyRef;\n"
    L"END;\n";

// Opens read-write without creating; while another connection keeps the
// file busy, waits and tries again (without limit, as the host expects a
// busy database to become free).
sqlite3* OpenReadWrite(const CQeStringW& path) {
  for (;;) {
    sqlite3* db = nullptr;
    int code = 0;
    const int rc = QeSqlite_OpenEncrypted(
        path, &db, eQeSqliteOpenReadWrite | eQeSqliteOpenPrivateCache, 0, nullptr, &code);
    if (rc == 0) return db;
    QeSqlite_Close(db);
    if (code != kSqliteBusy) return nullptr;
    std::this_thread::sleep_for(kOpenRetryPause);
  }
}

// Applies journal mode and synchronous level; false when the journal mode
// cannot be applied (the file is then not usable for writing).
bool ApplyJournalSettings(sqlite3* db, const CQeStringW& path) {
  const bool network = QeProjectDb_Sys_IsNetworkPath(path);
  CQeStringW journal = ReadSettingAnyType(db, L"journal_mode", nullptr);
  if (journal.IsEmpty()) journal = network ? L"truncate" : L"wal";
  CQeStringW synchronous = ReadSettingAnyType(db, L"synchronous", nullptr);
  if (synchronous.IsEmpty()) synchronous = L"normal";

  ExecuteConnectionPragmas(db);
  // WAL needs shared memory that network file systems do not provide
  // reliably, so a network file never runs in WAL whatever it stores.
  if (network) journal = L"truncate";
  if (ExecutePragma(db, L"PRAGMA journal_mode=%s;", journal) != 0) return false;
  ExecutePragma(db, L"PRAGMA synchronous=%s;", synchronous);
  return true;
}
}  // namespace

uint32_t QeProjectDb_Db_Connect(const CQeStringW& path) {
  if (path.IsEmpty()) return 0;
  if (qe::IsReadOnlyFile(qe::ToFsPath(path))) return 0;
  sqlite3* db = OpenReadWrite(path);
  if (!db) return 0;
  sqlite3_busy_timeout(db, kBusyTimeoutMs);
  if (CheckSchemaReadable(db) != 0 || !ApplyJournalSettings(db, path)) {
    QeSqlite_Close(db);
    return 0;
  }
  QeProjectDb_SqlFunc_RegisterReadWrite(db);
  QeSqlite_Execute(db, kTemporaryTriggers, nullptr, false);
  QE_DIAG(L"Journal mode: %s", QeSqlite_ReadOneStringW(db, L"PRAGMA journal_mode;", nullptr));
  QE_DIAG(L"Synchronous: %s", QeSqlite_ReadOneStringW(db, L"PRAGMA synchronous;", nullptr));
  return CQeProjectDbConnectionManager::GetInstance().Add(db);
}

uint32_t QeProjectDb_Db_ConnectForRead(const CQeStringW& path) {
  if (path.IsEmpty()) return 0;
  sqlite3* db = nullptr;
  int code = 0;
  if (QeSqlite_OpenEncrypted(path, &db, eQeSqliteOpenReadOnly, 0, nullptr, &code) != 0 ||
      CheckSchemaReadable(db) != 0) {
    QeSqlite_Close(db);
    return 0;
  }
  ExecuteConnectionPragmas(db);
  QeProjectDb_SqlFunc_RegisterReadOnly(db);
  return CQeProjectDbConnectionManager::GetInstance().Add(db);
}

void QeProjectDb_Db_Disconnect(uint32_t handle) {
  // Removed from the registry first, so that no new caller picks up the
  // connection while it closes. The helper layer's close also finalizes
  // its cached statements, which a bare sqlite3_close would refuse.
  sqlite3* db = CQeProjectDbConnectionManager::GetInstance().Delete(handle);
  if (db) QeSqlite_Close(db);
}
