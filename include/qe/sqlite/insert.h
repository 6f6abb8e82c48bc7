// Inserting rows into one table through its definition.
//
// Conventions (see also builder.h, value.h and null_values.h):
//  - "INSERT [OR ...] INTO <table> (<columns>) VALUES (?, ...)": the columns
//    are every column after iKey in definition order, or the columns the
//    caller names, in the caller's order.
//  - The conflict clause is empty, "OR REPLACE", "OR IGNORE", "OR ABORT",
//    "OR FAIL" or "OR ROLLBACK" (any letter case); any other text is
//    status 1.
//  - Row takes one value per column and returns the new row's key (its
//    iKey), or 0 when nothing was inserted: on failure (Result() is set)
//    and when "OR IGNORE" skipped the row (Result() stays 0).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <vector>

#include "qe/sqlite/builder.h"

class CQeSqliteInsert : public CQeSqliteBuilder {
 public:
  CQeSqliteInsert(sqlite3* db, const SQeSqliteTableDef& table);
  CQeSqliteInsert(sqlite3* db, const SQeSqliteTableDef& table,
                  const std::vector<CQeStringW>& columns);
  CQeSqliteInsert(sqlite3* db, const SQeSqliteTableDef& table, const CQeStringW& conflict);
  CQeSqliteInsert(sqlite3* db, const SQeSqliteTableDef& table,
                  const std::vector<CQeStringW>& columns, const CQeStringW& conflict);

  int64_t Row(std::initializer_list<CQeSqliteValue> values) {
    return Row(std::span<const CQeSqliteValue>(values.begin(), values.size()), nullptr);
  }
  int64_t Row(const CQeSqliteNullValueVector& nulls, std::initializer_list<CQeSqliteValue> values) {
    return Row(std::span<const CQeSqliteValue>(values.begin(), values.size()), &nulls);
  }
  // nulls may be null.
  int64_t Row(std::span<const CQeSqliteValue> values, const CQeSqliteNullValueVector* nulls);
};
