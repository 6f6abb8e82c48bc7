// Opening the thumbnail database: open or create, check the version,
// configure the connection.
#include <sqlite3.h>

#include <chrono>
#include <filesystem>
#include <initializer_list>
#include <system_error>
#include <thread>

#include "qe/core/diag.h"
#include "qe/sqlite/connection.h"
#include "qe/sqlite/ddl.h"
#include "qe/sqlite/insert.h"
#include "qe/sqlite/sql_text.h"
#include "qe/thumbdb/thumb_reader.h"
#include "thumbdb/thumb_names.h"

namespace {

using namespace qe::thumbdb;

constexpr int kOpenExisting = eQeSqliteOpenReadWrite | eQeSqliteOpenPrivateCache;  // 0x40002
constexpr int kOpenCreate = kOpenExisting | eQeSqliteOpenCreate;                   // 0x40006
constexpr int kBusyTimeoutMs = 60000;
constexpr auto kOpenBusyPause = std::chrono::milliseconds(10);
// A creation that found the tables made meanwhile by another connection
// starts over; this bounds the rounds should creating keep failing.
constexpr int kMaxRounds = 100;

enum class EOpened {
  eReady,         // version 7: the connection is ready
  eCannotOpen,    // no file (or it cannot be opened): create it
  eEmpty,         // a database without tables, being created elsewhere or left empty
  eWrongVersion,  // another version, or none readable: delete and create
};

void ExecuteAll(sqlite3* db, std::initializer_list<const wchar_t*> statements) {
  for (const wchar_t* statement : statements) QeSqlite_Execute(db, statement, nullptr, false);
}

// Opens read-write (flags 0x40002), waiting out a busy or locked file.
int OpenWaiting(const CQeStringW& path, int flags, sqlite3** db) {
  for (;;) {
    int status = QeSqlite_OpenEncrypted(path, db, flags, 0, nullptr, nullptr);
    if (!IsBusyOrLocked(status)) return status;
    QeSqlite_Close(*db);
    std::this_thread::sleep_for(kOpenBusyPause);
  }
}

// The first column of the first row of sql as a number, waiting out a busy
// or locked database.
int64_t ReadInt64Waiting(sqlite3* db, const CQeStringW& sql, int* code) {
  int64_t value = 0;
  do {
    value = QeSqlite_ReadOneInt64(db, sql, code);
  } while (IsBusyOrLocked(*code));
  return value;
}

// A file with no tables that never had any (a creation elsewhere has not
// committed yet: its header may be written, but the text encoding is only
// recorded with the first table), or whose encoding is already UTF-16le.
bool IsEmptyDatabase(sqlite3* db) {
  int code = 0;
  const int64_t tables = ReadInt64Waiting(db, L"SELECT count(*) FROM sqlite_master;", &code);
  if (code != 0 || tables != 0) return false;
  const int64_t schemaVersion = ReadInt64Waiting(db, L"PRAGMA schema_version;", &code);
  if (code != 0) return false;
  return schemaVersion == 0 ||
         QeSqlite_ReadOneStringW(db, L"PRAGMA encoding;", &code) == L"UTF-16le";
}

EOpened OpenExisting(const CQeStringW& path, sqlite3** out) {
  sqlite3* db = nullptr;
  if (OpenWaiting(path, kOpenExisting, &db) != 0) return EOpened::eCannotOpen;
  sqlite3_busy_timeout(db, kBusyTimeoutMs);
  // Emptiness first: the tables and the version row are committed together,
  // so a file that has tables when looked at has its version row too. The
  // other order could find no version while a creation elsewhere is still
  // open, then its tables, and delete a file just made.
  if (IsEmptyDatabase(db)) {
    QeSqlite_Close(db);
    return EOpened::eEmpty;
  }
  const SQeSqliteTableDef& vesion = g_QeThumbDbTable_vesion;
  const CQeStringW sql =
      QeSqlite_FormatSql(L"SELECT %s FROM %s WHERE %s='main';", ColumnName(vesion, kVesionVersion),
                         TableName(vesion), ColumnName(vesion, kVesionName));
  int code = 0;
  const int64_t version = ReadInt64Waiting(db, sql, &code);
  if (code == 0 && version == kQeThumbDbVersion) {
    ExecuteAll(db, {L"PRAGMA legacy_file_format=0;", L"PRAGMA recursive_triggers=1;",
                    L"PRAGMA foreign_keys=1;"});
    *out = db;
    return EOpened::eReady;
  }
  QeSqlite_Close(db);
  return EOpened::eWrongVersion;
}

// The database file and the files SQLite keeps beside it.
void RemoveDatabaseFiles(const CQeStringW& path) {
  const std::string file = path.ToUtf8();
  for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
    std::error_code ignored;
    std::filesystem::remove(std::filesystem::path(file + suffix), ignored);
  }
}

enum class ECreated { eDone, eStartOver, eFailed };

// The tables with their indexes and the version row, in the transaction the
// caller began. False when a table could not be made (typically because
// another connection made it first).
bool CreateTables(sqlite3* db) {
  for (const SQeSqliteTableDef* table : g_QeThumbDbTables) {
    if (QeSqlite_Execute(db, QeSqlite_CreateTableSqlCommand(*table), nullptr, false) != 0) {
      return false;
    }
    for (uint32_t column = 0; column < table->nColumns; ++column) {
      const CQeStringW index =
          QeSqlite_CreateColumnIndexSqlCommand(*table, table->pColumns[column].wszName);
      if (!index.IsEmpty()) QeSqlite_Execute(db, index, nullptr, false);
    }
  }
  const SQeSqliteTableDef& vesion = g_QeThumbDbTable_vesion;
  CQeSqliteInsert insert(db, vesion,
                         {ColumnName(vesion, kVesionName), ColumnName(vesion, kVesionVersion)});
  insert.Row({L"main", kQeThumbDbVersion});
  return true;
}

ECreated CreateFile(const CQeStringW& path, sqlite3** out) {
  sqlite3* db = nullptr;
  if (QeSqlite_OpenEncrypted(path, &db, kOpenCreate, 0, nullptr, nullptr) != 0) {
    QeSqlite_Close(db);
    return ECreated::eFailed;
  }
  sqlite3_busy_timeout(db, kBusyTimeoutMs);
  // The text encoding is fixed by the first write, so it is set before the
  // page size and the journal mode write the header: files of other
  // installations are UTF-16le, and SQLite only attaches files of its own
  // encoding.
  ExecuteAll(
      db, {L"PRAGMA legacy_file_format=0;", L"PRAGMA recursive_triggers=1;",
           L"PRAGMA foreign_keys=1;", L"PRAGMA encoding = \"UTF-16le\";", L"PRAGMA page_size=4096;",
           L"PRAGMA journal_mode=WAL;", L"PRAGMA synchronous=NORMAL;", L"BEGIN TRANSACTION;"});
  if (!CreateTables(db)) {
    QeSqlite_Execute(db, L"ROLLBACK TRANSACTION;", nullptr, false);
    QeSqlite_Close(db);
    return ECreated::eStartOver;
  }
  QeSqlite_Execute(db, L"COMMIT TRANSACTION;", nullptr, false);
  *out = db;
  return ECreated::eDone;
}

}  // namespace

sqlite3* CQeProjectThumbReader::DbConnect(const wchar_t* path) {
  const CQeStringW file(path);
  QE_DIAG(L"Loading Jobs Thumbnail database...");
  QE_DIAG(L"  at '%s'", file);
  sqlite3* db = nullptr;
  if (!file.IsEmpty()) {
    for (int round = 0; round < kMaxRounds && !db; ++round) {
      const EOpened opened = OpenExisting(file, &db);
      if (opened == EOpened::eReady) break;
      if (opened == EOpened::eWrongVersion) {
        QE_DIAG(L"  not a thumbnail database of version %d: created again", kQeThumbDbVersion);
        RemoveDatabaseFiles(file);
      }
      const ECreated created = CreateFile(file, &db);
      if (created == ECreated::eFailed) break;
      if (created == ECreated::eStartOver) {
        QE_DIAG(L"  created meanwhile by another connection: opening again");
        std::this_thread::sleep_for(kOpenBusyPause);
      }
    }
  }
  if (db) ExecuteAll(db, {L"PRAGMA journal_mode=WAL;", L"PRAGMA synchronous=NORMAL;"});
  QE_DIAG(db ? L"OK" : L"FAILED");
  return db;
}
