// Transactions, savepoints and backup on the connection of a handle.
#include "projectdb/db/db_internal.h"
#include "qe/core/status.h"
#include "qe/projectdb/connection.h"
#include "qe/projectdb/db.h"
#include "qe/sqlite/backup.h"
#include "qe/sqlite/connection.h"
#include "qe/sqlite/sql_text.h"

namespace {
int Run(uint32_t handle, const CQeStringW& sql) {
  const int status =
      QeSqlite_Execute(CQeProjectDbConnectionManager::GetConnection(handle), sql, nullptr, false);
  return status == 0 ? eQeOk : eQeFailed;
}

// A savepoint name stands unquoted in the statement, so only a plain
// identifier is run; anything else could append statements of its own.
int RunSavepoint(uint32_t handle, const wchar_t* sqlTemplate, const CQeStringW& name) {
  if (!qe::projectdb::IsPlainIdentifier(name)) return eQeFailed;
  return Run(handle, QeSqlite_FormatSql(sqlTemplate, name));
}
}  // namespace

int QeProjectDb_Db_TransactionBegin(uint32_t handle) { return Run(handle, L"BEGIN TRANSACTION;"); }

int QeProjectDb_Db_TransactionCommit(uint32_t handle) {
  return Run(handle, L"COMMIT TRANSACTION;");
}

int QeProjectDb_Db_TransactionRollback(uint32_t handle) {
  return Run(handle, L"ROLLBACK TRANSACTION;");
}

int QeProjectDb_Db_SavepointSet(uint32_t handle, const CQeStringW& name) {
  return RunSavepoint(handle, L"SAVEPOINT %s;", name);
}

int QeProjectDb_Db_SavepointRelease(uint32_t handle, const CQeStringW& name) {
  return RunSavepoint(handle, L"RELEASE SAVEPOINT %s;", name);
}

int QeProjectDb_Db_SavepointRollback(uint32_t handle, const CQeStringW& name) {
  return RunSavepoint(handle, L"ROLLBACK TRANSACTION TO SAVEPOINT %s;", name);
}

int QeProjectDb_Db_Backup(uint32_t handle, sqlite3* target) {
  return QeSqlite_Backup(CQeProjectDbConnectionManager::GetConnection(handle), target);
}
