// Creating and inspecting project database files; options, transactions,
// savepoints and backup on a connection.
//
// Conventions:
//  - Statuses: 0 success; -1 an empty path or a file newer than this library
//    (schema version above 77); -9 a transaction or savepoint statement
//    failed; -10 an unusable file (no write permission bits, journal mode
//    unreadable, or "wal" on a network file system); -13 an option name
//    this library does not know; any other nonzero value is the SQLite
//    primary result code passed through from the SQLite helper layer.
//  - Create and GetInfo open and close their own SQLite connection and never
//    register a handle. Everything else works on the connection of a handle
//    (see connection.h); an unknown handle fails with the helper layer's
//    status for a null connection (21).
//  - Options live in the table `settings` (`wszName`, `wszType`,
//    `varValue`), one row per name and type tag: "journal_mode" and
//    "synchronous" ("stringw"), "folderformat" ("int32").
//  - Transactions and savepoints belong to the connection of the handle and
//    span every thread that uses it.
#pragma once

#include <cstdint>

#include "qe/core/string.h"

struct sqlite3;

// What QeProjectDb_Db_GetInfo learns about a file. A new record holds empty
// texts, false and zeros.
struct SQeProjectDbFileInfo {
  CQeStringW wszPath;               // the file path as given
  CQeStringW wszJournalMode;        // "PRAGMA journal_mode;" on the file ("wal", "truncate", ...)
  CQeStringW wszJournalModeOption;  // stored "journal_mode" option; empty when absent
  CQeStringW wszSynchronousOption;  // stored "synchronous" option; empty when absent
  bool bNetworkPath = false;        // the file lies on a network file system
  int iOpenResult = 0;              // status of opening the file read-only (0 = opened)
  int iFolderFormat = 0;            // stored "folderformat" option; 0 when absent
  int iVersionResult = 0;           // SQLite status of reading the schema version
  int64_t iVersion = 0;             // `vesion` row "main"; 0 when absent
  int iPlateVersionResult = 0;      // SQLite status of reading the plate catalogue version
  int64_t iPlateVersion = 0;        // `vesion` row "plate"; 0 when absent
};

// ---- Files ----

// Creates a new project database at path with the 47 tables of the current
// schema (in one transaction, with the file in UTF-16le text encoding) and
// the rows of a new file: version 77, the three options (journal mode "wal",
// or "truncate" on a network file system; synchronous "normal";
// folderformat 1), the two system tags and a new database UUID in `dbinfo`.
// Also creates the folder "Projects" beside the file (its failure is
// ignored). No connection stays open.
// Returns 0; -1 for an empty path; the open status when the file cannot be
// created or opened; the SQLite status when the tables cannot be created,
// for example because the file already holds them; then nothing of the
// schema is left behind (an existing file keeps its tables and rows).
int QeProjectDb_Db_Create(const CQeStringW& path);

// Inspects a file without keeping it open and fills *pInfo (may be null:
// then only the result is returned). Returns 0 for a usable file; -1 for an
// empty path (nothing filled) or a schema version above 77 (everything
// filled); -10 for a file without write permission bits (nothing filled),
// a journal mode or schema that cannot be read (a damaged file, or one that
// is not a database), or a network file in WAL; the open status when the
// file cannot be opened (path and open result filled). The file is never
// changed.
int QeProjectDb_Db_GetInfo(const CQeStringW& path, SQeProjectDbFileInfo* pInfo);

// ---- Options ----

// The "stringw" option of that name; empty when there is no such row (or
// the handle is unknown).
CQeStringW QeProjectDb_Db_GetOptStr(uint32_t handle, const CQeStringW& name);

// Sets "journal_mode" or "synchronous" (names compared ignoring letter
// case): applies "PRAGMA <name>=<value>;" on the live connection, then
// stores the row under the name exactly as passed. Returns 0; -13 for any
// other name (nothing applied or stored); the pragma's status when it fails
// (nothing stored), 1 when value is not a single word of letters, digits
// and underscores.
int QeProjectDb_Db_SetOptStr(uint32_t handle, const CQeStringW& name, const CQeStringW& value);

// The "int32" option of that name; 0 when there is no such row.
int QeProjectDb_Db_GetOptInt32(uint32_t handle, const CQeStringW& name);

// Stores "folderformat" (name compared ignoring letter case). Returns 0
// whatever the write gives; -13 for any other name.
int QeProjectDb_Db_SetOptInt32(uint32_t handle, const CQeStringW& name, int value);

// ---- Transactions and savepoints ----

// "BEGIN TRANSACTION;", "COMMIT TRANSACTION;", "ROLLBACK TRANSACTION;".
// Return 0, or -9 when the statement fails (for example a commit without a
// transaction).
int QeProjectDb_Db_TransactionBegin(uint32_t handle);
int QeProjectDb_Db_TransactionCommit(uint32_t handle);
int QeProjectDb_Db_TransactionRollback(uint32_t handle);

// "SAVEPOINT <name>;", "RELEASE SAVEPOINT <name>;",
// "ROLLBACK TRANSACTION TO SAVEPOINT <name>;". Savepoints nest; a release
// or rollback names one that is open. Return 0, or -9 when the statement
// fails (a name that is not a plain identifier, such as one with a blank,
// or a savepoint that is not open).
int QeProjectDb_Db_SavepointSet(uint32_t handle, const CQeStringW& name);
int QeProjectDb_Db_SavepointRelease(uint32_t handle, const CQeStringW& name);
int QeProjectDb_Db_SavepointRollback(uint32_t handle, const CQeStringW& name);

// ---- Backup ----

// Copies the handle's whole database into target (a SQLite connection the
// caller owns, for example a new file or ":memory:"), replacing its
// content. Returns 0 or the helper layer's status (21 for an unknown handle
// or a null target).
int QeProjectDb_Db_Backup(uint32_t handle, sqlite3* target);
