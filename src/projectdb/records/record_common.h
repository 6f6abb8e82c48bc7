// Reading helpers of the record functions for programs, properties, tags,
// analysis results, users and uploads, beside the shared ones of
// record_access.h (DbOf, SelectOne, SelectAppend, InsertOne): these read
// through a select the caller built with its own condition and append to
// any container (std::list as well as std::vector).
#pragma once

#include <new>
#include <span>
#include <utility>

#include "projectdb/records/record_access.h"
#include "qe/core/status.h"
#include "qe/sqlite/select.h"

namespace qe::projectdb::records {

// Appends every remaining row of select to out. outputsOf(row) returns the
// output pointers into a fresh element (a std::array of CQeSqliteOut).
// Returns the select's status.
// A container that cannot grow gives kStatusNoMemory (the rows read so
// far stay appended).
template <typename Container, typename OutputsOf>
int AppendRows(CQeSqliteSelect& select, Container& out, OutputsOf outputsOf) {
  try {
    for (;;) {
      typename Container::value_type row;
      const auto outputs = outputsOf(row);
      if (!select.Row(std::span<const CQeSqliteOut>(outputs.data(), outputs.size()))) break;
      out.push_back(std::move(row));
    }
  } catch (const std::bad_alloc&) {
    return kStatusNoMemory;
  }
  return select.Result();
}

// Reads the first row of select into the outputs and returns the select's
// status (0 also when there was no row; the outputs are then untouched).
template <typename Outputs>
int ReadOne(CQeSqliteSelect& select, const Outputs& outputs) {
  select.Row(std::span<const CQeSqliteOut>(outputs.data(), outputs.size()));
  return select.Result();
}

// The same, but -13 when the select succeeded without a row.
template <typename Outputs>
int ReadOneOrNotFound(CQeSqliteSelect& select, const Outputs& outputs) {
  const bool found = select.Row(std::span<const CQeSqliteOut>(outputs.data(), outputs.size()));
  if (select.Result() != 0) return select.Result();
  return found ? eQeOk : eQeNotFound;
}

}  // namespace qe::projectdb::records
