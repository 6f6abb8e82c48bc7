#include "projectdb/upgrade/upgrade_script.h"

#include "qe/projectdb/schema.h"
#include "qe/sqlite/cmd.h"
#include "qe/sqlite/connection.h"
#include "qe/sqlite/ddl.h"
#include "qe/sqlite/sql_text.h"

namespace qe::upgrade {
namespace {

// Foreign keys off, so that tables can be dropped and refilled in any order;
// legacy_alter_table on, so that renaming a table does not rewrite the
// REFERENCES clauses of other tables to the "_old" name (SQLite 3.26 and
// later do that even with foreign keys off). Both must precede BEGIN.
constexpr const wchar_t* kForeignKeysOff =
    L"PRAGMA foreign_keys=0;\nPRAGMA legacy_alter_table=1;\n";
constexpr const wchar_t* kBegin = L"BEGIN TRANSACTION;\n";
constexpr const wchar_t* kCommit = L"COMMIT TRANSACTION;\n";
constexpr const wchar_t* kMoveAside = L"ALTER TABLE %s RENAME TO %s;\n";
constexpr const wchar_t* kOldName = L"%s_old";
constexpr const wchar_t* kDropIndex = L"DROP INDEX IF EXISTS %s;\n";
constexpr const wchar_t* kListIndexes =
    L"SELECT name FROM sqlite_master WHERE type='index' AND tbl_name='%s' AND name NOT LIKE "
    L"'sqlite_autoindex%%';";
constexpr const wchar_t* kCopyColumns = L"%s INTO %s (%s) SELECT %s FROM %s;\n";
constexpr const wchar_t* kCopyAll = L"%s INTO %s SELECT * FROM %s;\n";
constexpr const wchar_t* kDropTable = L"DROP TABLE %s;\n";
constexpr const wchar_t* kSetVersion = L"UPDATE %s SET %s=%d WHERE %s='main';\n";
constexpr const wchar_t* kReadVersion = L"SELECT %s FROM %s WHERE %s='main';";

const wchar_t* ExpressionFor(const wchar_t* column, std::initializer_list<SColumnValue> values) {
  for (const SColumnValue& value : values) {
    if (CQeStringW(value.wszColumn) == column) return value.wszExpression;
  }
  return column;
}

}  // namespace

CQeStringW OldName(const wchar_t* table) { return QeSqlite_FormatSql(kOldName, table); }

int64_t ReadStoredVersion(sqlite3* db, int* code) {
  return QeSqlite_ReadOneInt64(
      db, QeSqlite_FormatSql(kReadVersion, L"iVersion", L"vesion", L"wszName"), code);
}

CUpgradeScript::CUpgradeScript(sqlite3* db, EStart start) : db_(db) {
  if (start == kContinue) return;
  sql_ += kForeignKeysOff;
  sql_ += kBegin;
}

void CUpgradeScript::MoveAside(const wchar_t* table) {
  sql_ += QeSqlite_FormatSql(kMoveAside, table, OldName(table));
  CQeSqliteCmd indexes(db_, QeSqlite_FormatSql(kListIndexes, table));
  while (indexes.Next()) sql_ += QeSqlite_FormatSql(kDropIndex, indexes.ColumnString(0));
}

void CUpgradeScript::Create(const SQeSqliteTableDef& layout) {
  sql_ += QeSqlite_CreateTableWithIndexesSqlCommand(layout);
}

void CUpgradeScript::CreateTableOnly(const SQeSqliteTableDef& layout) {
  sql_ += QeSqlite_CreateTableSqlCommand(layout);
}

void CUpgradeScript::Add(const CQeStringW& sql) { sql_ += sql; }

void CUpgradeScript::CopyColumns(const SQeSqliteTableDef& layout,
                                 std::initializer_list<SColumnValue> values, const wchar_t* verb) {
  CQeStringW columns;
  CQeStringW expressions;
  for (uint32_t i = 0; i < layout.nColumns; ++i) {
    if (i > 0) {
      columns += L", ";
      expressions += L", ";
    }
    columns += layout.pColumns[i].wszName;
    expressions += ExpressionFor(layout.pColumns[i].wszName, values);
  }
  sql_ += QeSqlite_FormatSql(kCopyColumns, verb, layout.wszName, columns, expressions,
                             OldName(layout.wszName));
}

void CUpgradeScript::CopyByName(const SQeSqliteTableDef& layout,
                                std::initializer_list<SColumnValue> values, const wchar_t* verb) {
  CopyColumns(layout, values, verb);
  DropTable(OldName(layout.wszName));
}

void CUpgradeScript::CopyAll(const SQeSqliteTableDef& layout, const wchar_t* verb) {
  const CQeStringW old = OldName(layout.wszName);
  sql_ += QeSqlite_FormatSql(kCopyAll, verb, layout.wszName, old);
  DropTable(old);
}

void CUpgradeScript::DropTable(const wchar_t* table) {
  sql_ += QeSqlite_FormatSql(kDropTable, table);
}

void CUpgradeScript::Rebuild(const SQeSqliteTableDef& layout,
                             std::initializer_list<SColumnValue> values, const wchar_t* verb) {
  MoveAside(layout.wszName);
  Create(layout);
  CopyByName(layout, values, verb);
}

void CUpgradeScript::RebuildAll(const SQeSqliteTableDef& layout, const wchar_t* verb) {
  MoveAside(layout.wszName);
  Create(layout);
  CopyAll(layout, verb);
}

int CUpgradeScript::Run(int64_t targetVersion) {
  sql_ += QeSqlite_FormatSql(kSetVersion, L"vesion", L"iVersion", static_cast<int>(targetVersion),
                             L"wszName");
  sql_ += kCommit;
  return QeSqlite_Execute(db_, sql_, nullptr, false);
}

}  // namespace qe::upgrade
