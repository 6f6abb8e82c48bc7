// An insert that runs a batch of rows in a transaction of its own.
//
// Conventions:
//  - On construction, when the connection has no open transaction, the
//    object begins one ("BEGIN IMMEDIATE TRANSACTION", which takes the write
//    lock at once) and IsTransactionOwner() is true. Otherwise its rows go
//    into the caller's transaction and it never ends it.
//  - An owned transaction ends when the object is destroyed, or earlier by
//    End(): it is committed when every row succeeded and the database was
//    never busy, else rolled back, so a batch is written entirely or not at
//    all. When the commit itself fails the transaction is rolled back and
//    End() returns the commit's status.
//  - If the transaction cannot begin, Row inserts nothing: its status is
//    recorded (busy in IsBusy()), so rows are never committed one by one.
//  - Busy protocol of a batch caller: when IsTransactionOwner(), call
//    IgnoreBusyError(); after each Row test IsBusy(); on busy destroy the
//    object, sleep 30 ms and insert the whole batch again with a new one.
//    Retrying is only safe for an owner: without ownership the rows before
//    the busy one stay in the caller's transaction.
//  - The object belongs to one thread. Threads sharing a connection share
//    its transaction state too: a second thread's transacted insert that
//    starts while the first one owns the transaction adds to it.
#pragma once

#include "qe/sqlite/insert.h"

class CQeSqliteInsertTransacted : public CQeSqliteInsert {
 public:
  CQeSqliteInsertTransacted(sqlite3* db, const SQeSqliteTableDef& table);
  CQeSqliteInsertTransacted(sqlite3* db, const SQeSqliteTableDef& table,
                            const std::vector<CQeStringW>& columns);
  CQeSqliteInsertTransacted(sqlite3* db, const SQeSqliteTableDef& table,
                            const CQeStringW& conflict);
  CQeSqliteInsertTransacted(sqlite3* db, const SQeSqliteTableDef& table,
                            const std::vector<CQeStringW>& columns, const CQeStringW& conflict);
  ~CQeSqliteInsertTransacted();

  bool IsTransactionOwner() const { return owner_; }
  // Ends an owned transaction now (see above); 0 when it was committed or
  // when there is nothing to end, else the status that made it roll back.
  int End();

 private:
  void Begin();

  bool owner_ = false;
  bool open_ = false;
};
