// Copying rows of one table within the table, with some columns changed.
//
// Conventions (see also builder.h):
//  - "INSERT [OR ...] INTO <table> (<columns>) SELECT <expressions> FROM
//    <table> WHERE <where>": the columns are every column after iKey; the
//    expression of a column is the column itself unless overrides names it,
//    in which case it is the SQL expression given there (a number, a
//    QeSqlite_QuotedText literal, or any SQL over the source row's columns).
//    An override of an unknown column or of iKey is status 1.
//  - where is SQL with at most one parameter, which Row binds to its key
//    argument; an empty where means "iKey=?".
//  - conflict (may be null) is a conflict clause as for CQeSqliteInsert.
//  - Row(key) returns the key of the (last) new row. When nothing was
//    copied (no row matched, or "OR IGNORE" skipped it) it returns 0 and
//    fails with status 12 (SQLITE_NOTFOUND).
#pragma once

#include <cstdint>
#include <map>

#include "qe/sqlite/builder.h"

class CQeSqliteDuplicate : public CQeSqliteBuilder {
 public:
  CQeSqliteDuplicate(sqlite3* db, const SQeSqliteTableDef& table,
                     const std::map<CQeStringW, CQeStringW>& overrides, const CQeStringW& where,
                     const wchar_t* conflict = nullptr);

  int64_t Row(int64_t key);
};
