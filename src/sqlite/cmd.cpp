#include "qe/sqlite/cmd.h"

#include <sqlite3.h>

#include "qe/sqlite/result.h"
#include "sqlite/statement_cache.h"

CQeSqliteCmd::CQeSqliteCmd(sqlite3* db, const CQeStringW& sql)
    : db_(db), ownSql_(sql.ToUtf8()), sql_(&ownSql_) {
  Acquire();
}

CQeSqliteCmd::CQeSqliteCmd(sqlite3* db, SUtf8Sql sql) : db_(db), sql_(&sql.text) { Acquire(); }

void CQeSqliteCmd::Acquire() {
  if (!db_) {
    Fail(SQLITE_MISUSE, L"no connection");
    return;
  }
  cache_ = qe::sqlite_detail::CStatementCache::For(db_);
  int result = SQLITE_OK;
  std::string message;
  stmt_ = cache_->Acquire(*sql_, &result, &message);
  if (result != SQLITE_OK) Fail(QeSqlite_StatusFromResult(result), CQeStringW::FromUtf8(message));
}

CQeSqliteCmd::~CQeSqliteCmd() {
  if (cache_) cache_->Return(*sql_, stmt_);
}

void CQeSqliteCmd::Fail(int status, const CQeStringW& message) {
  if (status == SQLITE_BUSY) {
    busy_ = true;
    if (ignoreBusy_) return;
  }
  if (status == 0) return;
  ++failureCount_;
  lastFailure_ = status;
  if (result_ != 0) return;
  result_ = status;
  errorMessage_ = message;
}

bool CQeSqliteCmd::CheckBind(int result) {
  if (result == SQLITE_OK) return true;
  Fail(QeSqlite_StatusFromResult(result), CQeStringW::FromUtf8(sqlite3_errstr(result)));
  return false;
}

bool CQeSqliteCmd::Bind(int index, int value) {
  if (!stmt_) return CheckBind(SQLITE_MISUSE);
  return CheckBind(sqlite3_bind_int(stmt_, index, value));
}

bool CQeSqliteCmd::Bind(int index, long value) {
  if (!stmt_) return CheckBind(SQLITE_MISUSE);
  return CheckBind(sqlite3_bind_int64(stmt_, index, value));
}

bool CQeSqliteCmd::Bind(int index, long long value) {
  if (!stmt_) return CheckBind(SQLITE_MISUSE);
  return CheckBind(sqlite3_bind_int64(stmt_, index, value));
}

bool CQeSqliteCmd::Bind(int index, double value) {
  if (!stmt_) return CheckBind(SQLITE_MISUSE);
  return CheckBind(sqlite3_bind_double(stmt_, index, value));
}

bool CQeSqliteCmd::Bind(int index, const CQeStringW& text) {
  if (!stmt_) return CheckBind(SQLITE_MISUSE);
  std::string utf8 = text.ToUtf8();
  return CheckBind(
      sqlite3_bind_text64(stmt_, index, utf8.data(), utf8.size(), SQLITE_TRANSIENT, SQLITE_UTF8));
}

bool CQeSqliteCmd::Bind(int index, const wchar_t* text) {
  if (!text) return BindNull(index);
  return Bind(index, CQeStringW(text));
}

bool CQeSqliteCmd::Bind(int index, const CQeByteArray& bytes) {
  return Bind(index, bytes.GetData(), bytes.GetSize());
}

bool CQeSqliteCmd::Bind(int index, const void* data, int size) {
  if (!stmt_) return CheckBind(SQLITE_MISUSE);
  if (size < 0) return CheckBind(SQLITE_RANGE);
  // A zero-length blob, not NULL, even when data is null.
  if (!data || size == 0) return CheckBind(sqlite3_bind_zeroblob(stmt_, index, 0));
  return CheckBind(sqlite3_bind_blob(stmt_, index, data, size, SQLITE_TRANSIENT));
}

bool CQeSqliteCmd::Bind(int index, const CQeSqliteValue& value) {
  if (!stmt_) return CheckBind(SQLITE_MISUSE);
  switch (value.Kind()) {
    case CQeSqliteValue::eNull:
      return BindNull(index);
    case CQeSqliteValue::eInteger:
      return CheckBind(sqlite3_bind_int64(stmt_, index, value.Integer()));
    case CQeSqliteValue::eDouble:
      return CheckBind(sqlite3_bind_double(stmt_, index, value.Double()));
    case CQeSqliteValue::eText: {
      std::string utf8 = qe::WideToUtf8(value.Text());
      return CheckBind(sqlite3_bind_text64(stmt_, index, utf8.data(), utf8.size(), SQLITE_TRANSIENT,
                                           SQLITE_UTF8));
    }
    case CQeSqliteValue::eBlob:
      return Bind(index, value.BlobData(), value.BlobSize());
  }
  return CheckBind(SQLITE_MISUSE);
}

bool CQeSqliteCmd::BindNull(int index) {
  if (!stmt_) return CheckBind(SQLITE_MISUSE);
  return CheckBind(sqlite3_bind_null(stmt_, index));
}

int CQeSqliteCmd::Step(int64_t* key) {
  // The connection's own (recursive) mutex is held across the step and the
  // reads of per-connection state that follow it (last row id, changes,
  // error message): another thread's statement on the same connection must
  // not change them in between. In serialized mode sqlite3_step takes the
  // same mutex for its whole run, so holding it here adds no waiting.
  sqlite3_mutex* dbMutex = sqlite3_db_mutex(db_);
  sqlite3_mutex_enter(dbMutex);
  int result = sqlite3_step(stmt_);
  if (key) {
    while (result == SQLITE_ROW) result = sqlite3_step(stmt_);
    if (result == SQLITE_DONE) {
      changes_ = sqlite3_changes(db_);
      *key = changes_ > 0 ? sqlite3_last_insert_rowid(db_) : 0;
    }
  }
  if (result != SQLITE_ROW && result != SQLITE_DONE) {
    RecordStepFailure(result);
  }
  sqlite3_mutex_leave(dbMutex);
  return result;
}

void CQeSqliteCmd::RecordStepFailure(int result) {
  Fail(QeSqlite_StatusFromResult(result), CQeStringW::FromUtf8(sqlite3_errmsg(db_)));
}

bool CQeSqliteCmd::Next() {
  if (!stmt_) {
    if (db_) Fail(SQLITE_MISUSE, L"no statement");
    return false;
  }
  if (finished_) return false;
  int result = Step(nullptr);
  if (result == SQLITE_ROW) return true;
  finished_ = true;
  return false;
}

bool CQeSqliteCmd::Next(int64_t& key) { return Next(&key); }

bool CQeSqliteCmd::Next(int64_t* key) {
  int64_t ignored = 0;
  int64_t* target = key ? key : &ignored;
  *target = 0;
  changes_ = 0;
  if (!stmt_) {
    if (db_) Fail(SQLITE_MISUSE, L"no statement");
    return false;
  }
  int result = Step(target);
  sqlite3_reset(stmt_);
  finished_ = false;
  return result == SQLITE_DONE;
}

bool CQeSqliteCmd::Execute() { return Next(nullptr); }

void CQeSqliteCmd::Reset() {
  if (stmt_) sqlite3_reset(stmt_);
  finished_ = false;
}

int CQeSqliteCmd::ColumnCount() const { return stmt_ ? sqlite3_column_count(stmt_) : 0; }

bool CQeSqliteCmd::IsNull(int column) const {
  return !stmt_ || sqlite3_column_type(stmt_, column) == SQLITE_NULL;
}

int CQeSqliteCmd::ColumnInt(int column) const {
  return stmt_ ? sqlite3_column_int(stmt_, column) : 0;
}

int64_t CQeSqliteCmd::ColumnInt64(int column) const {
  return stmt_ ? sqlite3_column_int64(stmt_, column) : 0;
}

double CQeSqliteCmd::ColumnDouble(int column) const {
  return stmt_ ? sqlite3_column_double(stmt_, column) : 0.0;
}

CQeStringW CQeSqliteCmd::ColumnString(int column) const {
  if (!stmt_) return CQeStringW();
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
  if (!text) return CQeStringW();
  int size = sqlite3_column_bytes(stmt_, column);
  return CQeStringW::FromUtf8(std::string_view(text, static_cast<size_t>(size)));
}

CQeByteArray CQeSqliteCmd::ColumnBytes(int column) const {
  if (!stmt_) return CQeByteArray();
  const void* data = sqlite3_column_blob(stmt_, column);
  int size = sqlite3_column_bytes(stmt_, column);
  return CQeByteArray(data, size);
}
