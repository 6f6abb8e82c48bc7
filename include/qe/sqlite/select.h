// Reading rows of one table through its definition.
//
// Conventions (see also builder.h and value.h):
//  - "SELECT <columns> FROM <table> [WHERE <where>]": the columns are all
//    columns of the definition in their order (iKey first), or the columns
//    the caller names, in the caller's order.
//  - A WHERE text is SQL written by the caller and used as it stands (an
//    empty text selects every row); texts inside it must be escaped with
//    QeSqlite_EscapeText. It may end with ORDER BY or LIMIT clauses.
//  - Row takes one output pointer per selected column, in column order.
//    It returns true when a row was read into them. It returns false and
//    leaves every output untouched when there is no further row, when an
//    output does not fit its column's type (status 20, SQLITE_MISMATCH), or
//    when the count differs from the number of columns (status 25).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <vector>

#include "qe/sqlite/builder.h"

class CQeSqliteSelect : public CQeSqliteBuilder {
 public:
  // Every row.
  CQeSqliteSelect(sqlite3* db, const SQeSqliteTableDef& table);
  // The row whose iKey is key.
  CQeSqliteSelect(sqlite3* db, const SQeSqliteTableDef& table, int64_t key);
  // The rows that satisfy where.
  CQeSqliteSelect(sqlite3* db, const SQeSqliteTableDef& table, const CQeStringW& where);
  // One column of the rows that satisfy where.
  CQeSqliteSelect(sqlite3* db, const SQeSqliteTableDef& table, const CQeStringW& column,
                  const CQeStringW& where);
  // The named columns of the rows that satisfy where.
  CQeSqliteSelect(sqlite3* db, const SQeSqliteTableDef& table,
                  const std::vector<CQeStringW>& columns, const CQeStringW& where);
  // The named columns of the row whose iKey is key.
  CQeSqliteSelect(sqlite3* db, const SQeSqliteTableDef& table,
                  const std::vector<CQeStringW>& columns, int64_t key);

  bool Row(std::initializer_list<CQeSqliteOut> outputs) {
    return Row(std::span<const CQeSqliteOut>(outputs.begin(), outputs.size()));
  }
  bool Row(std::span<const CQeSqliteOut> outputs);
  // Output pointers of a caller that counts them itself.
  bool Row(int count, const CQeSqliteOut* outputs) {
    return Row(std::span<const CQeSqliteOut>(outputs, count > 0 ? count : 0));
  }

 private:
  void Build(const std::vector<CQeStringW>& columns, const CQeStringW& where, bool byKey,
             int64_t key);
};
