#include "qe/sqlite/update_delete.h"

#include <sqlite3.h>

#include "qe/sqlite/sql_text.h"
#include "sqlite/columns.h"

namespace {

const wchar_t* KeyColumn(const SQeSqliteTableDef& table) {
  int key = qe::sqlite_detail::FindPrimaryKey(table);
  return key >= 0 ? table.pColumns[key].wszName : L"rowid";
}

}  // namespace

CQeSqliteUpdate::CQeSqliteUpdate(sqlite3* db, const SQeSqliteTableDef& table,
                                 const std::vector<CQeStringW>& columns)
    : CQeSqliteBuilder(db, table) {
  ResolveColumns(columns, false);
  if (columns_.empty()) {
    Prepare(CQeStringW());
    cmd_->Fail(SQLITE_MISUSE, QeSqlite_FormatSql(L"nothing to update in %s", table_->wszName));
    return;
  }
  PrepareBuilt(L"update by key", [&] {
    return QeSqlite_FormatSql(L"UPDATE %s SET %s WHERE %s=?", table_->wszName,
                              ColumnList(L", ", L"=?"), KeyColumn(*table_));
  });
}

int CQeSqliteUpdate::Row(int64_t key, std::span<const CQeSqliteValue> values,
                         const CQeSqliteNullValueVector* nulls) {
  const int mark = cmd_->FailureCount();
  if (BindValues(1, values, nulls) &&
      cmd_->Bind(static_cast<int>(columns_.size()) + 1, static_cast<long long>(key))) {
    cmd_->Execute();
  }
  return StatusSince(mark);
}

CQeSqliteDelete::CQeSqliteDelete(sqlite3* db, const SQeSqliteTableDef& table)
    : CQeSqliteBuilder(db, table), byColumns_(false) {
  PrepareBuilt(L"delete by key", [&] {
    return QeSqlite_FormatSql(L"DELETE FROM %s WHERE %s=?", table_->wszName, KeyColumn(*table_));
  });
}

CQeSqliteDelete::CQeSqliteDelete(sqlite3* db, const SQeSqliteTableDef& table,
                                 const std::vector<CQeStringW>& columns)
    : CQeSqliteBuilder(db, table), byColumns_(true) {
  ResolveColumns(columns, true);
  if (columns.empty()) {
    // Deleting every row is never meant by an empty list.
    Prepare(CQeStringW());
    cmd_->Fail(SQLITE_MISUSE, QeSqlite_FormatSql(L"no columns to match in %s", table_->wszName));
    return;
  }
  PrepareBuilt(L"delete by columns", [&] {
    return QeSqlite_FormatSql(L"DELETE FROM %s WHERE %s", table_->wszName,
                              ColumnList(L" AND ", L" IS ?"));
  });
}

int CQeSqliteDelete::Row(int64_t key) {
  const int mark = cmd_->FailureCount();
  if (byColumns_) {
    cmd_->Fail(SQLITE_MISUSE, L"delete by key on a delete built with columns");
  } else if (cmd_->Bind(1, static_cast<long long>(key))) {
    cmd_->Execute();
  }
  return StatusSince(mark);
}

int CQeSqliteDelete::Row(std::span<const CQeSqliteValue> values) {
  const int mark = cmd_->FailureCount();
  if (!byColumns_) {
    cmd_->Fail(SQLITE_MISUSE, L"delete by columns on a delete built for keys");
  } else if (BindValues(1, values, nullptr)) {
    cmd_->Execute();
  }
  return StatusSince(mark);
}
