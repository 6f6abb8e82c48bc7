#include "qe/sqlite/insert.h"

#include <sqlite3.h>

#include "qe/sqlite/sql_text.h"
#include "sqlite/conflict.h"

namespace qe::sqlite_detail {

bool IsConflictClause(const CQeStringW& clause) {
  CQeStringW text = clause;
  text.Trim();
  if (text.IsEmpty()) return true;
  text.MakeUpper();
  for (const wchar_t* allowed :
       {L"OR REPLACE", L"OR IGNORE", L"OR ABORT", L"OR FAIL", L"OR ROLLBACK"}) {
    if (text == allowed) return true;
  }
  return false;
}

}  // namespace qe::sqlite_detail

CQeSqliteInsert::CQeSqliteInsert(sqlite3* db, const SQeSqliteTableDef& table)
    : CQeSqliteInsert(db, table, std::vector<CQeStringW>(), CQeStringW()) {}

CQeSqliteInsert::CQeSqliteInsert(sqlite3* db, const SQeSqliteTableDef& table,
                                 const std::vector<CQeStringW>& columns)
    : CQeSqliteInsert(db, table, columns, CQeStringW()) {}

CQeSqliteInsert::CQeSqliteInsert(sqlite3* db, const SQeSqliteTableDef& table,
                                 const CQeStringW& conflict)
    : CQeSqliteInsert(db, table, std::vector<CQeStringW>(), conflict) {}

CQeSqliteInsert::CQeSqliteInsert(sqlite3* db, const SQeSqliteTableDef& table,
                                 const std::vector<CQeStringW>& columns, const CQeStringW& conflict)
    : CQeSqliteBuilder(db, table) {
  ResolveColumns(columns, false);
  if (!qe::sqlite_detail::IsConflictClause(conflict)) {
    Prepare(CQeStringW());
    cmd_->Fail(SQLITE_ERROR, QeSqlite_FormatSql(L"not a conflict clause: %s", conflict));
    return;
  }
  CQeStringW clause = conflict;
  clause.Trim();
  const std::wstring variant = clause.IsEmpty() ? std::wstring() : L"insert " + clause.str();
  PrepareBuilt(clause.IsEmpty() ? std::wstring_view(L"insert") : std::wstring_view(variant), [&] {
    CQeStringW head = QeSqlite_FormatSql(L"INSERT %s%sINTO %s", clause,
                                         clause.IsEmpty() ? L"" : L" ", table_->wszName);
    if (columns_.empty()) return head + L" DEFAULT VALUES";
    CQeStringW placeholders;
    for (size_t i = 0; i < columns_.size(); ++i) placeholders += i == 0 ? L"?" : L", ?";
    return QeSqlite_FormatSql(L"%s (%s) VALUES (%s)", head, ColumnList(L", ", L""), placeholders);
  });
}

int64_t CQeSqliteInsert::Row(std::span<const CQeSqliteValue> values,
                             const CQeSqliteNullValueVector* nulls) {
  if (!BindValues(1, values, nulls)) return 0;
  int64_t key = 0;
  if (!cmd_->Next(key)) return 0;
  return key;
}
