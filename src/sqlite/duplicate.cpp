#include "qe/sqlite/duplicate.h"

#include <sqlite3.h>

#include "qe/sqlite/sql_text.h"
#include "sqlite/columns.h"
#include "sqlite/conflict.h"

CQeSqliteDuplicate::CQeSqliteDuplicate(sqlite3* db, const SQeSqliteTableDef& table,
                                       const std::map<CQeStringW, CQeStringW>& overrides,
                                       const CQeStringW& where, const wchar_t* conflict)
    : CQeSqliteBuilder(db, table) {
  ResolveColumns({}, false);
  CQeStringW clause = conflict;
  clause.Trim();
  int failure = 0;
  CQeStringW message;
  if (!qe::sqlite_detail::IsConflictClause(clause)) {
    failure = SQLITE_ERROR;
    message = QeSqlite_FormatSql(L"not a conflict clause: %s", clause);
  }
  std::vector<CQeStringW> expressions;
  for (int column : columns_) expressions.emplace_back(table_->pColumns[column].wszName);
  for (const auto& [name, expression] : overrides) {
    int column = qe::sqlite_detail::FindColumn(*table_, name);
    bool found = false;
    for (size_t i = 0; i < columns_.size(); ++i) {
      if (columns_[i] == column) {
        expressions[i] = expression;
        found = true;
      }
    }
    if (!found && failure == 0) {
      failure = SQLITE_ERROR;
      message = QeSqlite_FormatSql(L"cannot override %s.%s", table_->wszName, name);
    }
  }
  if (failure != 0 || columns_.empty()) {
    Prepare(CQeStringW());
    cmd_->Fail(failure != 0 ? failure : SQLITE_MISUSE,
               failure != 0 ? message : CQeStringW(L"nothing to copy"));
    return;
  }
  CQeStringW selected;
  for (size_t i = 0; i < expressions.size(); ++i) {
    if (i > 0) selected += L", ";
    selected += expressions[i];
  }
  Prepare(QeSqlite_FormatSql(L"INSERT %s%sINTO %s (%s) SELECT %s FROM %s WHERE %s", clause,
                             clause.IsEmpty() ? L"" : L" ", table_->wszName, ColumnList(L", ", L""),
                             selected, table_->wszName,
                             where.IsEmpty() ? CQeStringW(L"iKey=?") : where));
}

int64_t CQeSqliteDuplicate::Row(int64_t key) {
  sqlite3_stmt* stmt = cmd_->Statement();
  if (!stmt) {
    cmd_->Fail(SQLITE_MISUSE, L"no statement");
    return 0;
  }
  if (sqlite3_bind_parameter_count(stmt) >= 1 && !cmd_->Bind(1, static_cast<long long>(key))) {
    return 0;
  }
  int64_t newKey = 0;
  if (!cmd_->Next(newKey)) return 0;
  if (cmd_->Changes() == 0) {
    cmd_->Fail(SQLITE_NOTFOUND,
               QeSqlite_FormatSql(L"no row of %s to copy for key %I64d", table_->wszName, key));
    return 0;
  }
  return newKey;
}
