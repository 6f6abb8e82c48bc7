#include "qe/sqlite/insert_transacted.h"

#include <sqlite3.h>

#include "qe/sqlite/cmd.h"

CQeSqliteInsertTransacted::CQeSqliteInsertTransacted(sqlite3* db, const SQeSqliteTableDef& table)
    : CQeSqliteInsert(db, table) {
  Begin();
}

CQeSqliteInsertTransacted::CQeSqliteInsertTransacted(sqlite3* db, const SQeSqliteTableDef& table,
                                                     const std::vector<CQeStringW>& columns)
    : CQeSqliteInsert(db, table, columns) {
  Begin();
}

CQeSqliteInsertTransacted::CQeSqliteInsertTransacted(sqlite3* db, const SQeSqliteTableDef& table,
                                                     const CQeStringW& conflict)
    : CQeSqliteInsert(db, table, conflict) {
  Begin();
}

CQeSqliteInsertTransacted::CQeSqliteInsertTransacted(sqlite3* db, const SQeSqliteTableDef& table,
                                                     const std::vector<CQeStringW>& columns,
                                                     const CQeStringW& conflict)
    : CQeSqliteInsert(db, table, columns, conflict) {
  Begin();
}

CQeSqliteInsertTransacted::~CQeSqliteInsertTransacted() { End(); }

void CQeSqliteInsertTransacted::Begin() {
  if (!db_ || Result() != 0) return;
  // The connection's mutex makes the test for an open transaction and the
  // BEGIN one step for the threads sharing the connection; BEGIN itself
  // takes the same recursive mutex.
  sqlite3_mutex* dbMutex = sqlite3_db_mutex(db_);
  sqlite3_mutex_enter(dbMutex);
  if (sqlite3_get_autocommit(db_)) {
    owner_ = true;
    CQeSqliteCmd begin(db_, L"BEGIN IMMEDIATE TRANSACTION");
    open_ = begin.Execute();
    if (!open_) Cmd().Fail(begin.Result(), begin.ErrorMessage());
  }
  sqlite3_mutex_leave(dbMutex);
  if (owner_ && !open_) {
    // Rows must not be committed one by one when the transaction is missing.
    blocked_ = true;
  }
}

int CQeSqliteInsertTransacted::End() {
  if (!open_) return 0;
  open_ = false;
  if (Result() != 0 || IsBusy()) {
    CQeSqliteCmd rollback(db_, L"ROLLBACK TRANSACTION");
    rollback.Execute();
    return Result() != 0 ? Result() : SQLITE_BUSY;
  }
  CQeSqliteCmd commit(db_, L"COMMIT TRANSACTION");
  if (commit.Execute()) return 0;
  CQeSqliteCmd rollback(db_, L"ROLLBACK TRANSACTION");
  rollback.Execute();
  return commit.Result();
}
