// Common part of the table-definition driven statement builders
// (CQeSqliteSelect, CQeSqliteInsert, CQeSqliteUpdate, CQeSqliteDelete,
// CQeSqliteDuplicate).
//
// Conventions:
//  - A builder is made for one connection and one table definition, builds
//    its SQL once from the definition's table and column names, and runs it
//    through one CQeSqliteCmd for every Row call. Like a command it is used
//    by one thread at a time.
//  - Column names given by callers are matched to the definition without
//    regard to ASCII letter case, as SQLite matches them. A name that is
//    not a column of the definition makes the builder fail with status 1
//    (SQLITE_ERROR) before anything is run.
//  - Values passed to Row follow the builder's column order; a count that
//    differs from the number of columns is status 25 (SQLITE_RANGE), and
//    nothing is written.
//  - Result() is 0 while everything succeeded, else the first failure's
//    status (result.h); ErrorMessage() tells what failed. A Row that returns
//    a status returns the status of that call alone.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "qe/core/string.h"
#include "qe/sqlite/cmd.h"
#include "qe/sqlite/null_values.h"
#include "qe/sqlite/table_def.h"
#include "qe/sqlite/value.h"

struct sqlite3;

namespace qe::sqlite_detail {
struct SBuiltSql;
}

class CQeSqliteBuilder {
 public:
  CQeSqliteBuilder(const CQeSqliteBuilder&) = delete;
  CQeSqliteBuilder& operator=(const CQeSqliteBuilder&) = delete;

  int Result() const { return cmd_->Result(); }
  bool IsBusy() const { return cmd_->IsBusy(); }
  void IgnoreBusyError(bool ignore = true) { cmd_->IgnoreBusyError(ignore); }
  // Rows changed by the last Row of an insert, update, delete or duplicate.
  int Changes() const { return cmd_->Changes(); }
  const CQeStringW& ErrorMessage() const { return cmd_->ErrorMessage(); }
  // The SQL the builder runs (empty when its columns were invalid).
  const CQeStringW& Sql() const;
  // The command that runs the SQL.
  CQeSqliteCmd& Cmd() { return *cmd_; }
  const SQeSqliteTableDef& Table() const { return *table_; }

 protected:
  CQeSqliteBuilder(sqlite3* db, const SQeSqliteTableDef& table);
  ~CQeSqliteBuilder();

  // Fills columns_ with the definition's positions of names, or of every
  // column but the primary key when names is empty. False (and the builder
  // failed) when a name is unknown.
  bool ResolveColumns(const std::vector<CQeStringW>& names, bool allIncludesKey);
  // Comma-separated names of columns_.
  CQeStringW ColumnList(const wchar_t* separator, const wchar_t* suffix) const;
  // Prepares sql, or when a column was invalid a command that only reports that.
  void Prepare(const CQeStringW& sql);
  // The same for SQL that depends only on the definition, columns_ and
  // variant (a text naming the builder and its options): make() builds it
  // the first time, later builders of the process reuse the text.
  void PrepareBuilt(std::wstring_view variant, const std::function<CQeStringW()>& make);
  // Binds values for columns_ from parameter firstParameter on, applying nulls.
  bool BindValues(int firstParameter, std::span<const CQeSqliteValue> values,
                  const CQeSqliteNullValueVector* nulls);

  // 0 when no failure was recorded after FailureCount() was mark, else the
  // latest failure's status.
  int StatusSince(int mark) const { return cmd_->FailureCount() != mark ? cmd_->LastFailure() : 0; }

  sqlite3* db_;
  const SQeSqliteTableDef* table_;
  std::vector<int> columns_;
  CQeStringW sql_;
  // The shared text when PrepareBuilt made it (then sql_ stays empty).
  std::shared_ptr<const qe::sqlite_detail::SBuiltSql> built_;
  std::unique_ptr<CQeSqliteCmd> cmd_;
  // Set when rows must not run at all (their failure is already recorded).
  bool blocked_ = false;

 private:
  int pendingStatus_ = 0;
  CQeStringW pendingMessage_;
};
