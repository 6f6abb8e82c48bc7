// Small pieces shared by the record functions of programs, properties, tags,
// analysis results, users and uploads: resolving a handle, the key
// out-parameter rule of inserts, reading rows into a caller's container and
// turning a lookup without a row into a status.
#pragma once

#include <cstdint>
#include <span>
#include <utility>

#include "qe/core/status.h"
#include "qe/projectdb/connection.h"
#include "qe/sqlite/builder.h"
#include "qe/sqlite/select.h"

namespace qe::projectdb::records {

// The SQLite connection of a handle; null for an unknown handle, on which
// every command fails with the helper layer's status for a null connection.
inline sqlite3* Db(uint32_t handle) { return CQeProjectDbConnectionManager::GetConnection(handle); }

// The insert rule of the record API: the key out-parameter (when given)
// receives the new key on success and 0 on failure; the status is returned.
inline int StoreInsertedKey(int status, int64_t key, int64_t* outKey) {
  if (outKey) *outKey = status == 0 ? key : 0;
  return status;
}

// Appends every remaining row of select to out. outputsOf(row) returns the
// output pointers into a fresh element (a std::array of CQeSqliteOut).
// Returns the select's status.
template <typename Container, typename OutputsOf>
int AppendRows(CQeSqliteSelect& select, Container& out, OutputsOf outputsOf) {
  for (;;) {
    typename Container::value_type row;
    const auto outputs = outputsOf(row);
    if (!select.Row(std::span<const CQeSqliteOut>(outputs.data(), outputs.size()))) break;
    out.push_back(std::move(row));
  }
  return select.Result();
}

// Reads the first row of select into the outputs. Returns the select's
// status, or -13 when it succeeded without a row.
template <typename Outputs>
int ReadOneOrNotFound(CQeSqliteSelect& select, const Outputs& outputs) {
  const bool found = select.Row(std::span<const CQeSqliteOut>(outputs.data(), outputs.size()));
  if (select.Result() != 0) return select.Result();
  return found ? eQeOk : eQeNotFound;
}

// Reads the first row of select into the outputs and returns the select's
// status (0 also when there was no row; the outputs are then untouched).
template <typename Outputs>
int ReadOne(CQeSqliteSelect& select, const Outputs& outputs) {
  select.Row(std::span<const CQeSqliteOut>(outputs.data(), outputs.size()));
  return select.Result();
}

}  // namespace qe::projectdb::records
