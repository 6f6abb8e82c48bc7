// Shorthands for writing the constant table-definition records of the
// project database schema. Everything here is constexpr, so every record
// built with them is constant-initialized (no static initialization order
// between the schema files).
#pragma once

#include <cstddef>

#include "qe/projectdb/schema.h"

namespace qe::schema {

inline constexpr const wchar_t* kAbort = L"ON CONFLICT ABORT";
inline constexpr const wchar_t* kNoCase = L"NOCASE";
inline constexpr const wchar_t* kUnknown = L"Unknown";
inline constexpr EQeSqliteIndexKind kIndex = eQeSqliteIndex;
inline constexpr EQeSqliteIndexKind kUniqueIndex = eQeSqliteIndexUnique;

// The first column of every table: the 64-bit integer primary key, the row id.
constexpr SQeSqliteColDef Key() {
  return {eQeSqliteKeyPrimary,
          eQeSqliteInt64,
          eQeSqliteIndexUnique,
          L"iKey",
          nullptr,
          nullptr,
          nullptr};
}

constexpr SQeSqliteColDef Col(EQeSqliteValueType type, const wchar_t* name,
                              EQeSqliteIndexKind index = eQeSqliteIndexNone,
                              const wchar_t* collation = nullptr,
                              const wchar_t* default_value = nullptr) {
  return {eQeSqliteKeyPlain, type, index, name, nullptr, default_value, collation};
}

constexpr SQeSqliteColDef Int32(const wchar_t* name,
                                EQeSqliteIndexKind index = eQeSqliteIndexNone) {
  return Col(eQeSqliteInt32, name, index);
}
constexpr SQeSqliteColDef Int64(const wchar_t* name,
                                EQeSqliteIndexKind index = eQeSqliteIndexNone) {
  return Col(eQeSqliteInt64, name, index);
}
constexpr SQeSqliteColDef Double(const wchar_t* name) { return Col(eQeSqliteDouble, name); }
constexpr SQeSqliteColDef Text(const wchar_t* name, EQeSqliteIndexKind index = eQeSqliteIndexNone,
                               const wchar_t* collation = nullptr) {
  return Col(eQeSqliteText, name, index, collation);
}
constexpr SQeSqliteColDef Blob(const wchar_t* name) { return Col(eQeSqliteBlob, name); }
// A labware naming column (company, type, model): NOCASE, default "Unknown".
constexpr SQeSqliteColDef Naming(const wchar_t* name) {
  return Col(eQeSqliteText, name, eQeSqliteIndexNone, kNoCase, kUnknown);
}

// A 64-bit foreign key column.
constexpr SQeSqliteColDef Ref(const wchar_t* name, const SQeSqliteForeignKeyDef& target,
                              EQeSqliteIndexKind index = eQeSqliteIndexNone) {
  return {eQeSqliteKeyForeign, eQeSqliteInt64, index, name, &target, nullptr, nullptr};
}

template <std::size_t N>
constexpr uint32_t Count(const SQeSqliteColDef (&)[N]) {
  return static_cast<uint32_t>(N);
}
template <std::size_t N>
constexpr uint32_t Count(const wchar_t* const (&)[N]) {
  return static_cast<uint32_t>(N);
}

}  // namespace qe::schema

// Defines the record of a table with a UNIQUE constraint. Expects the arrays
// <table>_cols and <table>_unique in the same namespace.
#define QE_SCHEMA_TABLE_UNIQUE(table)                              \
  constinit const SQeSqliteTableDef g_QeProjectDbTable_##table = { \
      L"" #table,     ::qe::schema::Count(table##_cols),           \
      table##_cols,   ::qe::schema::Count(table##_unique),         \
      table##_unique, ::qe::schema::kAbort}

// Defines the record of a table without a UNIQUE constraint.
#define QE_SCHEMA_TABLE(table)                                     \
  constinit const SQeSqliteTableDef g_QeProjectDbTable_##table = { \
      L"" #table, ::qe::schema::Count(table##_cols), table##_cols, 0, nullptr, nullptr}
