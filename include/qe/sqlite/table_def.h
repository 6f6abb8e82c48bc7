// Table-definition records: each table of a database is described by one
// SQeSqliteTableDef, and the helper layer turns it into DDL and into insert,
// select, update, delete and duplicate statements.
//
// Conventions: definitions are constant data with static storage; every
// pointer in them (names, column arrays, foreign keys) lives as long as the
// program. Nothing here owns memory.
#pragma once

#include <cstdint>

// Key kind of a column.
enum EQeSqliteKeyKind : int { eQeSqliteKeyPlain = 0, eQeSqliteKeyPrimary = 1, eQeSqliteKeyForeign = 2 };

// Value type of a column: INTEGER for 1 and 2, REAL for 3, TEXT for 5, BLOB for 6.
enum EQeSqliteValueType : int {
  eQeSqliteInt32 = 1,
  eQeSqliteInt64 = 2,
  eQeSqliteDouble = 3,
  eQeSqliteText = 5,
  eQeSqliteBlob = 6,
};

// Index kind of a column.
enum EQeSqliteIndexKind : int { eQeSqliteIndexNone = 0, eQeSqliteIndexUnique = 1, eQeSqliteIndex = 2 };

struct SQeSqliteForeignKeyDef {
  const wchar_t* wszTable;     // referenced table
  const wchar_t* wszColumn;    // referenced column, "iKey"
  const wchar_t* wszOnDelete;  // "ON DELETE CASCADE" or "ON DELETE SET NULL"
  const wchar_t* wszOnUpdate;  // "ON UPDATE CASCADE"
};

struct SQeSqliteColDef {
  int iKeyKind;                          // EQeSqliteKeyKind
  int iType;                             // EQeSqliteValueType
  int iIndexKind;                        // EQeSqliteIndexKind
  const wchar_t* wszName;
  const SQeSqliteForeignKeyDef* pForeignKey;  // null unless iKeyKind is 2
  const wchar_t* wszDefault;             // null or a default text, e.g. "Unknown"
  const wchar_t* wszCollation;           // null or a collation name, e.g. "NOCASE"
};

struct SQeSqliteTableDef {
  const wchar_t* wszName;
  uint32_t nColumns;
  const SQeSqliteColDef* pColumns;
  uint32_t nUniqueColumns;             // 0 when the table has no UNIQUE constraint
  const wchar_t* const* pUniqueColumns;
  const wchar_t* wszUniqueConflict;    // "ON CONFLICT ABORT" or null
};
