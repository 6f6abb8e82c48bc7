// Pieces shared by the record functions: resolving a handle, reading one row
// or appending many through a table definition, and inserting one row with
// the key out-parameter convention.
//
// Row types describe their columns to these helpers with two small
// functions found by argument-dependent lookup in the family's source:
//   std::array<CQeSqliteOut, N> OutputsOf(SQeProjectDbRow_x& row);  // every column
//   std::array<CQeSqliteValue, N - 1> ValuesOf(const SQeProjectDbRow_x& row);  // non-key
#pragma once

#include <array>
#include <cstdint>
#include <new>
#include <span>
#include <vector>

#include "qe/core/string.h"
#include "qe/projectdb/connection.h"
#include "qe/sqlite/insert.h"
#include "qe/sqlite/select.h"

namespace qe::projectdb {

// SQLITE_NOMEM, reported when a list cannot grow.
inline constexpr int kStatusNoMemory = 7;
// SQLITE_MISUSE, the helper layer's status for a null connection; functions
// that touch the disk before the database report it before doing so.
inline constexpr int kStatusNoConnection = 21;
// The record API's own codes.
inline constexpr int kStatusFailed = -9;
inline constexpr int kStatusNotFound = -13;

inline sqlite3* DbOf(uint32_t handle) {
  return CQeProjectDbConnectionManager::GetConnection(handle).Db();
}

// The text without the separators ('/' or '\\') at either end.
inline CQeStringW TrimSeparators(const CQeStringW& text) {
  const std::wstring& s = text.str();
  const size_t first = s.find_first_not_of(L"/\\");
  if (first == std::wstring::npos) return CQeStringW();
  const size_t last = s.find_last_not_of(L"/\\");
  return CQeStringW(s.substr(first, last - first + 1));
}

// GetOne: fills row from the row with that key; row keeps its values when
// no row matches. Returns the select's status.
template <typename Row, typename OutputsOf>
int SelectOne(sqlite3* db, const SQeSqliteTableDef& table, int64_t key, Row& row,
              OutputsOf outputsOf) {
  CQeSqliteSelect select(db, table, key);
  const auto outputs = outputsOf(row);
  select.Row(std::span<const CQeSqliteOut>(outputs.data(), outputs.size()));
  return select.Result();
}

// GetAll / GetMany: appends every row that where selects (every row for an
// empty where) to rows, which is not cleared. Returns the select's status.
template <typename Row, typename OutputsOf>
int SelectAppend(sqlite3* db, const SQeSqliteTableDef& table, const CQeStringW& where,
                 std::vector<Row>& rows, OutputsOf outputsOf) {
  CQeSqliteSelect select(db, table, where);
  try {
    for (;;) {
      Row row;
      const auto outputs = outputsOf(row);
      if (!select.Row(std::span<const CQeSqliteOut>(outputs.data(), outputs.size()))) break;
      rows.push_back(std::move(row));
    }
  } catch (const std::bad_alloc&) {
    return kStatusNoMemory;
  }
  return select.Result();
}

// Inserts one row of non-key values. *outKey (when given) receives the new
// key on success and 0 on failure. Returns the insert's status.
inline int InsertOne(sqlite3* db, const SQeSqliteTableDef& table,
                     std::span<const CQeSqliteValue> values, int64_t* outKey,
                     const CQeSqliteNullValueVector* nulls = nullptr,
                     const CQeStringW& conflict = CQeStringW()) {
  CQeSqliteInsert insert(db, table, conflict);
  const int64_t key = insert.Row(values, nulls);
  const int status = insert.Result();
  if (outKey) *outKey = status == 0 ? key : 0;
  return status;
}

template <size_t N>
int InsertOne(sqlite3* db, const SQeSqliteTableDef& table,
              const std::array<CQeSqliteValue, N>& values, int64_t* outKey,
              const CQeSqliteNullValueVector* nulls = nullptr,
              const CQeStringW& conflict = CQeStringW()) {
  return InsertOne(db, table, std::span<const CQeSqliteValue>(values.data(), N), outKey, nulls,
                   conflict);
}

// The name test of projects and job definitions: collects the `wszName`
// of every row of table that holds the name's prefix (select is
// "SELECT" or "SELECT DISTINCT") and lets QeProjectDb_Sys_IsNameUnique
// decide and propose.
bool IsNameUniqueIn(sqlite3* db, const SQeSqliteTableDef& table, const wchar_t* select,
                    const CQeStringW& name, CQeStringW& uniqueName);

}  // namespace qe::projectdb
