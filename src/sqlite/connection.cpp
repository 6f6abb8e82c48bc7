#include "qe/sqlite/connection.h"

#include <sqlite3.h>

#include <memory>

#include "qe/sqlite/cmd.h"
#include "qe/sqlite/result.h"
#include "sqlite/statement_cache.h"

namespace {

int Report(int* code, int status) {
  if (code) *code = status;
  return status;
}

struct StmtDeleter {
  void operator()(sqlite3_stmt* stmt) const { sqlite3_finalize(stmt); }
};
using StmtPtr = std::unique_ptr<sqlite3_stmt, StmtDeleter>;

bool ValidOpenFlags(int flags) {
  const int known = eQeSqliteOpenReadOnly | eQeSqliteOpenReadWrite | eQeSqliteOpenCreate |
                    eQeSqliteOpenPrivateCache;
  if (flags & ~known) return false;
  bool readOnly = flags & eQeSqliteOpenReadOnly;
  bool readWrite = flags & eQeSqliteOpenReadWrite;
  if (readOnly == readWrite) return false;
  return !(readOnly && (flags & eQeSqliteOpenCreate));
}

}  // namespace

int QeSqlite_OpenEncrypted(const CQeStringW& path, sqlite3** db, int flags, int keyLength,
                           const void* key, int* code) {
  (void)key;
  if (!db) return Report(code, SQLITE_MISUSE);
  *db = nullptr;
  if (keyLength != 0 || !ValidOpenFlags(flags)) return Report(code, SQLITE_MISUSE);
  std::string file = path.ToUtf8();
  // A name starting with "file:" would be read as a URI where SQLite was
  // built with URI names on by default.
  if (file.rfind("file:", 0) == 0) file = "./" + file;
  int sqliteFlags = flags | SQLITE_OPEN_FULLMUTEX;
  sqlite3* opened = nullptr;
  int result = sqlite3_open_v2(file.c_str(), &opened, sqliteFlags, nullptr);
  if (result != SQLITE_OK) {
    sqlite3_close_v2(opened);
    return Report(code, QeSqlite_StatusFromResult(result));
  }
  *db = opened;
  return Report(code, 0);
}

int QeSqlite_Close(sqlite3* db) {
  if (!db) return 0;
  qe::sqlite_detail::CStatementCache::CloseFor(db);
  return QeSqlite_StatusFromResult(sqlite3_close_v2(db));
}

int QeSqlite_Execute(sqlite3* db, const CQeStringW& sql, int* code, bool continueOnError) {
  if (!db) return Report(code, SQLITE_MISUSE);
  std::string text = sql.ToUtf8();
  const char* next = text.c_str();
  const char* end = next + text.size();
  int firstFailure = 0;
  while (next < end) {
    sqlite3_stmt* raw = nullptr;
    const char* tail = nullptr;
    int result = sqlite3_prepare_v2(db, next, static_cast<int>(end - next), &raw, &tail);
    StmtPtr stmt(raw);
    if (result == SQLITE_OK && stmt) {
      do {
        result = sqlite3_step(stmt.get());
      } while (result == SQLITE_ROW);
    }
    int status = QeSqlite_StatusFromResult(result);
    if (status != 0) {
      if (firstFailure == 0) firstFailure = status;
      // Without a usable tail the rest of the text cannot be found again.
      if (!continueOnError || !tail || tail <= next) break;
    }
    if (!tail || tail <= next) break;
    next = tail;
  }
  return Report(code, firstFailure);
}

CQeStringW QeSqlite_ReadOneStringW(sqlite3* db, const CQeStringW& sql, int* code) {
  CQeSqliteCmd cmd(db, sql);
  CQeStringW value;
  if (cmd.Next()) value = cmd.ColumnString(0);
  Report(code, cmd.Result());
  return value;
}

int64_t QeSqlite_ReadOneInt64(sqlite3* db, const CQeStringW& sql, int* code, int64_t defaultValue) {
  CQeSqliteCmd cmd(db, sql);
  int64_t value = defaultValue;
  if (cmd.Next() && !cmd.IsNull(0)) value = cmd.ColumnInt64(0);
  Report(code, cmd.Result());
  return value;
}

CQeStringW QeSqlite_Filename(sqlite3* db) {
  if (!db) return CQeStringW();
  const char* name = sqlite3_db_filename(db, "main");
  return name ? CQeStringW::FromUtf8(name) : CQeStringW();
}

int QeSqlite_CachedStatementCount(sqlite3* db) {
  return qe::sqlite_detail::CStatementCache::IdleCountFor(db);
}
