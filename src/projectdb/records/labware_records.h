// Pieces shared by the labware record functions: reading rows into lists,
// deleting by keys, the catalogue-replacement transaction and the custom
// company conditions.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <list>
#include <span>
#include <vector>

#include "projectdb/records/record_access.h"
#include "qe/core/string.h"
#include "qe/sqlite/cmd.h"
#include "qe/sqlite/select.h"

namespace qe::projectdb::labware {

// Appends every row of select to rows. Returns the select's status.
template <typename Row, typename OutputsOf>
int AppendRows(CQeSqliteSelect& select, std::list<Row>& rows, OutputsOf outputsOf) {
  for (;;) {
    Row row;
    const auto outputs = outputsOf(row);
    if (!select.Row(std::span<const CQeSqliteOut>(outputs.data(), outputs.size()))) break;
    rows.push_back(std::move(row));
  }
  return select.Result();
}

// Reads the first row that where selects into row, which keeps its values
// when there is none. found (when given) tells whether a row came back.
// Returns the select's status.
template <typename Row, typename OutputsOf>
int SelectFirst(sqlite3* db, const SQeSqliteTableDef& table, const CQeStringW& where, Row& row,
                OutputsOf outputsOf, bool* found = nullptr) {
  CQeSqliteSelect select(db, table, where);
  const auto outputs = outputsOf(row);
  const bool got = select.Row(std::span<const CQeSqliteOut>(outputs.data(), outputs.size()));
  if (found) *found = got;
  return select.Result();
}

// "<table>.<column>='<escaped text>'".
CQeStringW TextCondition(const SQeSqliteTableDef& table, const wchar_t* column,
                         const CQeStringW& text);

// Runs one statement that returns no rows; its status.
int ExecuteStatement(sqlite3* db, const CQeStringW& sql);

// Deletes the rows with the keys in order, stopping at the first failure
// (its status); 0 for no keys.
int DeleteKeys(sqlite3* db, const SQeSqliteTableDef& table, const std::vector<int64_t>& keys);

// Stores version as the catalogue version name in `vesion`: nothing when it
// is stored already, else an update of the row or a new row. Returns 0 or
// the statement's status.
int StoreCatalogueVersion(sqlite3* db, const CQeStringW& name, int64_t version);

// The catalogue replacement: in one transaction, deletes the rows of table
// with deleteKeys, runs insertRows and stores the catalogue version. -9 when
// the transaction cannot begin or a step fails (rolled back); else the
// commit's status.
int ReplaceInTransaction(sqlite3* db, const SQeSqliteTableDef& table,
                         const std::vector<int64_t>& deleteKeys,
                         const std::function<int()>& insertRows, const wchar_t* versionName,
                         int64_t version);

// "UPDATE <table> SET iRemoved=<removed> WHERE wszUuid='<uuid>' AND
// wszCompany='<company>'": removes or restores a custom definition.
int SetCustomRemoved(sqlite3* db, const SQeSqliteTableDef& table, const CQeStringW& uuid,
                     const wchar_t* company, int removed);

}  // namespace qe::projectdb::labware
