// Looking up columns of a table definition by name.
#pragma once

#include "qe/sqlite/table_def.h"

namespace qe::sqlite_detail {

// Whether two SQL names are the same, ASCII letter case ignored.
bool SameSqlName(const wchar_t* a, const wchar_t* b);

// Position of the column named name (ASCII letter case ignored, as SQLite
// compares names), or -1.
int FindColumn(const SQeSqliteTableDef& table, const wchar_t* name);

// Position of the primary-key column, or -1.
int FindPrimaryKey(const SQeSqliteTableDef& table);

}  // namespace qe::sqlite_detail
