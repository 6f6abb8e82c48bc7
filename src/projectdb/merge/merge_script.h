// The SQL that merges one table: working tables, the existing-row test and
// the two triggers whose firing, row by row, copies or reuses the source
// rows and creates their folders and files.
#pragma once

#include <cstdint>

#include "qe/core/string.h"
#include "qe/sqlite/table_def.h"

namespace qe::merge {

// "src": the schema name under which the source file is attached.
inline constexpr const wchar_t* kSourceSchema = L"src";

// True for the tables that are never merged: the version table `vesion`
// (the file's schema and catalogue versions) and `dbinfo` (the file's own
// identity), compared without regard to case.
bool IsSkippedTable(const wchar_t* table);

CQeStringW MapTableName(const SQeSqliteTableDef& table);  // "<table>_map"
CQeStringW OldTableName(const SQeSqliteTableDef& table);  // "<table>_old"

// "SELECT iKey FROM <table> WHERE ...": the target row that a source row
// (OLD) stands for; empty when the table has no unique columns. The
// UNIQUE constraint's columns are compared with IS (NULL matches NULL),
// foreign keys after translation through the map of the table they refer
// to; a column with a unique index of its own matches alone (with =, so a
// NULL never matches).
CQeStringW ExistingRowTest(const SQeSqliteTableDef& table);

// The whole script of one table, ready for QeSqlite_Execute. maxKeyBefore
// is the largest key of the target table before the merge of this table:
// rows above it are the copied ones, whose self-references are completed
// once every row of the table has its new key.
CQeStringW TableScript(const SQeSqliteTableDef& table, int64_t maxKeyBefore);

}  // namespace qe::merge
