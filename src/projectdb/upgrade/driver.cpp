// QeProjectDb_Db_Upgrade: runs the chain of steps from a file's stored
// version to the current one, then checks the indexes and compacts the file.
#include <sqlite3.h>

#include "projectdb/upgrade/upgrade_script.h"
#include "qe/core/diag.h"
#include "qe/core/status.h"
#include "qe/projectdb/schema.h"
#include "qe/projectdb/upgrade.h"
#include "qe/sqlite/connection.h"
#include "qe/sqlite/ddl.h"

namespace {

// The upgrade's own connection, closed exactly once however the upgrade
// ends. Closing with a transaction still open (a failed step) rolls it back.
class CUpgradeConnection {
 public:
  CUpgradeConnection() = default;
  ~CUpgradeConnection() { Close(); }
  CUpgradeConnection(const CUpgradeConnection&) = delete;
  CUpgradeConnection& operator=(const CUpgradeConnection&) = delete;

  int Open(const CQeStringW& path) {
    int code = 0;
    return QeSqlite_OpenEncrypted(path, &db_, eQeSqliteOpenReadWrite, 0, nullptr, &code);
  }
  void Close() {
    QeSqlite_Close(db_);
    db_ = nullptr;
  }
  sqlite3* Db() const { return db_; }

 private:
  sqlite3* db_ = nullptr;
};

void SetProgress(CQeProgressDialog* pProgress, int32_t percent) {
  if (!pProgress) return;
  try {
    pProgress->SetPos(percent);
  } catch (...) {
    // The host's display must not stop the upgrade.
  }
}

// Runs the steps from the one that starts at the stored version through 76
// to 77; the first failing step ends the chain and gives the result.
int RunChain(sqlite3* db, int first) {
  for (uint32_t i = static_cast<uint32_t>(first); i < kQeProjectDbUpgradeStepCount; ++i) {
    const SQeProjectDbUpgradeStep& step = g_QeProjectDbUpgradeSteps[i];
    const int result = step.pfnUpgrade(db);
    QE_DIAG(L"version %I64d (%s)", step.iToVersion, result == 0 ? L"OK" : L"FAILED");
    if (result != 0) return result;
  }
  return 0;
}

// Creates the indexes of the current tables that the file lacks (an index
// the steps never made, or one lost with a table). Its result is not used.
void CheckIndexes(sqlite3* db) {
  CQeStringW sql;
  for (const SQeSqliteTableDef* table : g_QeProjectDbTables) {
    sql += QeSqlite_CheckTableIndexesSqlCommand(*table);
  }
  QeSqlite_Execute(db, sql, nullptr, false);
}

int Upgrade(const CQeStringW& path, CQeProgressDialog* pProgress) {
  if (path.IsEmpty()) return eQeMissingArgument;
  CUpgradeConnection connection;
  const int opened = connection.Open(path);
  if (opened != 0) return opened;
  sqlite3* db = connection.Db();
  // Opening reads nothing; a file that is not a database, is damaged or is
  // locked shows here, before anything is traced or reported.
  const int readable = QeSqlite_Execute(db, L"SELECT count(*) FROM sqlite_master;", nullptr, false);
  if (readable != 0) return readable;
  // A damaged page further in would stop a step half-way through the chain
  // and leave a partly upgraded file, so a damaged file is refused as it is.
  int code = 0;
  const CQeStringW check = QeSqlite_ReadOneStringW(db, L"PRAGMA quick_check(1);", &code);
  if (code != 0) return code;
  if (!(check == L"ok")) return SQLITE_CORRUPT;

  const int64_t version = qe::upgrade::ReadStoredVersion(db, &code);
  QE_DIAG(L"Upgrading version %I64d to...", version);
  SetProgress(pProgress, 40);
  const int first = QeProjectDb_Db_FindUpgradeStep(version);
  if (first < 0) return eQeFailed;

  const int result = RunChain(db, first);

  SetProgress(pProgress, 90);
  QE_DIAG(L"Checking Indexes...");
  CheckIndexes(db);
  QE_DIAG(L"Optimizing database file...");
  QeSqlite_Execute(db, L"VACUUM;", nullptr, false);
  connection.Close();
  SetProgress(pProgress, 100);
  return result;
}

}  // namespace

int QeProjectDb_Db_Upgrade(const CQeStringW& path, CQeProgressDialog* pProgress) {
  try {
    return Upgrade(path, pProgress);
  } catch (...) {
    // Only running out of memory can throw here; the connection is closed
    // by then, which discards a step that had not committed.
    return eQeFailed;
  }
}
