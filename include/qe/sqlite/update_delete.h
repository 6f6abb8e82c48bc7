// Updating and deleting rows of one table through its definition.
//
// Conventions (see also builder.h, value.h and null_values.h):
//  - Update: "UPDATE <table> SET <c1>=?, ... WHERE iKey=?" for the named
//    columns (every column after iKey when none are named). Row(key, ...)
//    takes one value per column; it returns the status of the statement
//    (0 also when no row has that key; Changes() tells how many rows changed).
//  - Delete by key: "DELETE FROM <table> WHERE iKey=?"; Row(key).
//  - Delete by columns: "DELETE FROM <table> WHERE <c1> IS ? AND ...";
//    Row(values) deletes every row whose named columns hold the values (a
//    NULL value matches NULL). Calling the Row form that does not fit how
//    the delete was built is status 21 (misuse) and deletes nothing.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <vector>

#include "qe/sqlite/builder.h"

class CQeSqliteUpdate : public CQeSqliteBuilder {
 public:
  CQeSqliteUpdate(sqlite3* db, const SQeSqliteTableDef& table,
                  const std::vector<CQeStringW>& columns = {});

  int Row(int64_t key, std::initializer_list<CQeSqliteValue> values) {
    return Row(key, std::span<const CQeSqliteValue>(values.begin(), values.size()), nullptr);
  }
  int Row(int64_t key, const CQeSqliteNullValueVector& nulls,
          std::initializer_list<CQeSqliteValue> values) {
    return Row(key, std::span<const CQeSqliteValue>(values.begin(), values.size()), &nulls);
  }
  // nulls may be null.
  int Row(int64_t key, std::span<const CQeSqliteValue> values,
          const CQeSqliteNullValueVector* nulls);
};

class CQeSqliteDelete : public CQeSqliteBuilder {
 public:
  // Deletes by key.
  CQeSqliteDelete(sqlite3* db, const SQeSqliteTableDef& table);
  // Deletes the rows matching every named column.
  CQeSqliteDelete(sqlite3* db, const SQeSqliteTableDef& table,
                  const std::vector<CQeStringW>& columns);

  int Row(int64_t key);
  int Row(std::initializer_list<CQeSqliteValue> values) {
    return Row(std::span<const CQeSqliteValue>(values.begin(), values.size()));
  }
  int Row(std::span<const CQeSqliteValue> values);

 private:
  bool byColumns_;
};
