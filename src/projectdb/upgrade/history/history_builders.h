// Shorthands for the records of older schema layouts. They reuse the column
// shorthands of the current schema, so an old layout reads like the current
// one it turned into.
#pragma once

#include "projectdb/schema/schema_builders.h"
#include "qe/projectdb/schema_history.h"

namespace qe::schema {

// A reference column that is not declared as a foreign key: the layouts
// before version 23 kept parent and task references as plain integers.
constexpr SQeSqliteColDef PlainRef(const wchar_t* name,
                                   EQeSqliteIndexKind index = eQeSqliteIndexNone) {
  return Int64(name, index);
}

}  // namespace qe::schema

// Defines g_QeProjectDbTableV<version>_<table> from the arrays
// v<version>_<table>_cols and v<version>_<table>_unique.
#define QE_HISTORY_TABLE_UNIQUE(version, table)                                \
  constinit const SQeSqliteTableDef g_QeProjectDbTableV##version##_##table = { \
      L"" #table,                                                              \
      ::qe::schema::Count(v##version##_##table##_cols),                        \
      v##version##_##table##_cols,                                             \
      ::qe::schema::Count(v##version##_##table##_unique),                      \
      v##version##_##table##_unique,                                           \
      ::qe::schema::kAbort}

// The same for a layout without a UNIQUE constraint.
#define QE_HISTORY_TABLE(version, table)                                       \
  constinit const SQeSqliteTableDef g_QeProjectDbTableV##version##_##table = { \
      L"" #table,                                                              \
      ::qe::schema::Count(v##version##_##table##_cols),                        \
      v##version##_##table##_cols,                                             \
      0,                                                                       \
      nullptr,                                                                 \
      nullptr}
