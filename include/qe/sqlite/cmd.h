// One SQL statement on a connection: bind, step, read columns.
//
// Conventions:
//  - The statement is taken from the connection's statement cache (keyed by
//    the SQL text; prepared on a miss) and belongs to this command alone
//    until the command is destroyed, when it goes back to the cache reset
//    and with its bindings cleared. Only the first statement of the text is
//    used.
//  - A command is used by one thread at a time; many commands on the same
//    connection may run in different threads at once.
//  - Parameters are 1-based, result columns 0-based. Texts are bound and
//    read as UTF-8 (SQLite converts to the file's encoding).
//  - Result() is 0 while every step succeeded and otherwise keeps the
//    status of the first failure (result.h). With IgnoreBusyError a busy
//    step is not recorded in Result() but only in IsBusy(), for callers
//    that retry a whole batch when the database was busy.
//  - A command whose statement could not be prepared (or whose connection
//    is null) keeps that status in Result(); Next returns false.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "qe/core/byte_array.h"
#include "qe/core/string.h"
#include "qe/sqlite/value.h"

struct sqlite3;
struct sqlite3_stmt;

namespace qe::sqlite_detail {
class CStatementCache;
}

class CQeSqliteCmd {
 public:
  CQeSqliteCmd(sqlite3* db, const CQeStringW& sql);
  // The same for SQL already in UTF-8 (as the builders keep their texts),
  // used as it stands; the text must outlive the command.
  struct SUtf8Sql {
    const std::string& text;
  };
  CQeSqliteCmd(sqlite3* db, SUtf8Sql sql);
  ~CQeSqliteCmd();
  CQeSqliteCmd(const CQeSqliteCmd&) = delete;
  CQeSqliteCmd& operator=(const CQeSqliteCmd&) = delete;

  // Binding: true on success; a failure (e.g. 25 for an index out of range)
  // is recorded in Result(). A null text pointer binds NULL.
  bool Bind(int index, int value);
  bool Bind(int index, long value);
  bool Bind(int index, long long value);
  bool Bind(int index, double value);
  bool Bind(int index, const CQeStringW& text);
  bool Bind(int index, const wchar_t* text);
  bool Bind(int index, const CQeByteArray& bytes);
  bool Bind(int index, const void* data, int size);
  bool Bind(int index, const CQeSqliteValue& value);
  bool BindNull(int index);

  // Steps once: true while a row is available. After the last row or a
  // failure it returns false until Reset.
  bool Next();
  // Runs a statement that returns no rows to its end (rows are discarded),
  // stores the connection's last inserted row id in key (0 when the
  // statement changed no row) and resets the statement so that it can run
  // again with new bindings. True on success.
  bool Next(int64_t& key);
  bool Next(int64_t* key);
  // The same without a key.
  bool Execute();

  int ColumnCount() const;
  bool IsNull(int column) const;
  int ColumnInt(int column) const;
  int64_t ColumnInt64(int column) const;
  double ColumnDouble(int column) const;
  CQeStringW ColumnString(int column) const;
  CQeByteArray ColumnBytes(int column) const;
  void Column(int column, int32_t& value) const { value = ColumnInt(column); }
  void Column(int column, int64_t& value) const { value = ColumnInt64(column); }
  void Column(int column, double& value) const { value = ColumnDouble(column); }
  void Column(int column, CQeStringW& value) const { value = ColumnString(column); }
  void Column(int column, CQeByteArray& value) const { value = ColumnBytes(column); }

  // Rewinds the statement; bindings stay. Result() and IsBusy() are kept.
  void Reset();

  int Result() const { return result_; }
  // True once a step met a busy database (status 5), whether ignored or not.
  bool IsBusy() const { return busy_; }
  void IgnoreBusyError(bool ignore = true) { ignoreBusy_ = ignore; }
  // Rows changed by the last statement run with Next(key) or Execute.
  int Changes() const { return changes_; }
  // Records a failure found by the caller, as a failed step would (the
  // first failure is kept; a busy status sets IsBusy()).
  void Fail(int status, const CQeStringW& message = CQeStringW());
  // Failures recorded so far and the status of the latest one, so that a
  // caller running the command many times can tell the status of one run.
  int FailureCount() const { return failureCount_; }
  int LastFailure() const { return lastFailure_; }
  // SQLite's message for the first failure, or the message given to Fail.
  const CQeStringW& ErrorMessage() const { return errorMessage_; }

  sqlite3* Db() const { return db_; }
  // The prepared statement, owned by the command (null when none).
  sqlite3_stmt* Statement() const { return stmt_; }

 private:
  // Takes the statement for sql_ from the connection's cache.
  void Acquire();
  // Steps once with the connection's mutex held; returns the SQLite result.
  int Step(int64_t* key);
  void RecordStepFailure(int result);
  bool CheckBind(int result);

  sqlite3* db_;
  std::shared_ptr<qe::sqlite_detail::CStatementCache> cache_;
  std::string ownSql_;  // the converted text of the CQeStringW constructor
  const std::string* sql_;
  sqlite3_stmt* stmt_ = nullptr;
  int result_ = 0;
  int changes_ = 0;
  int failureCount_ = 0;
  int lastFailure_ = 0;
  bool busy_ = false;
  bool ignoreBusy_ = false;
  bool finished_ = false;
  CQeStringW errorMessage_;
};
