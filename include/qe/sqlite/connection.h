// Opening, closing and running SQL on a SQLite connection.
//
// Conventions:
//  - A connection is a plain `sqlite3*` (other code may register functions
//    on it directly). It is opened in serialized mode (SQLITE_OPEN_FULLMUTEX)
//    because several threads share one connection.
//  - Statuses: 0 on success, else the SQLite primary result code (see
//    result.h). "Out code" arguments may be null; when given they receive
//    the same value as the returned status.
//  - Texts cross the SQLite API as UTF-8; conversions happen inside this
//    layer only.
//  - Command objects (CQeSqliteCmd and the builders) keep prepared
//    statements in a cache per connection. A connection that has run
//    commands must be closed with QeSqlite_Close, which finalizes that
//    cache; sqlite3_close would refuse to close it (cached statements are
//    still prepared) and leak it.
#pragma once

#include <cstdint>

#include "qe/core/string.h"

struct sqlite3;

// Flags of QeSqlite_OpenEncrypted; the values used are 1, 2, 6, 0x40002 and 0x40006.
enum EQeSqliteOpenFlags : int {
  eQeSqliteOpenReadOnly = 0x1,
  eQeSqliteOpenReadWrite = 0x2,
  eQeSqliteOpenCreate = 0x4,
  eQeSqliteOpenPrivateCache = 0x40000,
};

// Opens the database file at path. flags combine EQeSqliteOpenFlags and must
// hold exactly one of read-only and read-write; create needs read-write.
// The path is never read as a URI. Encryption is not supported: keyLength
// must be 0 (key is ignored).
// Returns 0 and writes the connection to *db; on failure writes null to *db
// (the half-open connection is already closed, so closing null is harmless)
// and returns the status: 21 (misuse) for a null db, bad flags or a key,
// 14 (cannot open) for a missing file without create, 5 (busy), ...
int QeSqlite_OpenEncrypted(const CQeStringW& path, sqlite3** db, int flags, int keyLength,
                           const void* key, int* code);

// Finalizes the connection's statement cache and closes it. A command that
// is still alive keeps the connection allocated until it is destroyed
// (sqlite3_close_v2). Null is accepted. Returns 0 or the close status.
int QeSqlite_Close(sqlite3* db);

// Runs the statements of sql in order; rows they return are discarded.
// Stops at the first statement that fails unless continueOnError is true,
// in which case every statement runs and the first failure is reported.
// Returns 0, or the status of the (first) failing statement; 21 for a null db.
int QeSqlite_Execute(sqlite3* db, const CQeStringW& sql, int* code, bool continueOnError);

// First column of the first row of sql, as text. An empty text when the
// statement returns no row or NULL (*code is 0 then) or fails (*code is the
// status).
CQeStringW QeSqlite_ReadOneStringW(sqlite3* db, const CQeStringW& sql, int* code);

// First column of the first row of sql, as a 64-bit integer; defaultValue
// when there is no row or the value is NULL (*code is 0) or the statement
// fails (*code is the status).
int64_t QeSqlite_ReadOneInt64(sqlite3* db, const CQeStringW& sql, int* code,
                              int64_t defaultValue = 0);

// Full path of the connection's main database file; empty for an in-memory
// or temporary database and for null.
CQeStringW QeSqlite_Filename(sqlite3* db);

// Number of prepared statements waiting idle in the connection's statement
// cache (statements that commands are using are not counted).
int QeSqlite_CachedStatementCount(sqlite3* db);
