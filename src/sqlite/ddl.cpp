#include "qe/sqlite/ddl.h"

#include "qe/sqlite/sql_text.h"
#include "sqlite/columns.h"

namespace {

bool HasText(const wchar_t* text) { return text && *text; }

CQeStringW ColumnDefinition(const SQeSqliteColDef& column) {
  CQeStringW sql = column.wszName;
  const wchar_t* type = QeSqlite_ColumnTypeName(column.iType);
  if (*type) sql += QeSqlite_FormatSql(L" %s", type);
  if (column.iKeyKind == eQeSqliteKeyPrimary) sql += L" PRIMARY KEY";
  if (HasText(column.wszCollation)) sql += QeSqlite_FormatSql(L" COLLATE %s", column.wszCollation);
  if (column.wszDefault) {
    sql += QeSqlite_FormatSql(L" DEFAULT %s", QeSqlite_QuotedText(column.wszDefault));
  }
  const SQeSqliteForeignKeyDef* fk = column.pForeignKey;
  if (column.iKeyKind == eQeSqliteKeyForeign && fk && HasText(fk->wszTable)) {
    sql += QeSqlite_FormatSql(L" REFERENCES %s(%s)", fk->wszTable,
                              HasText(fk->wszColumn) ? fk->wszColumn : L"iKey");
    if (HasText(fk->wszOnDelete)) sql += QeSqlite_FormatSql(L" %s", fk->wszOnDelete);
    if (HasText(fk->wszOnUpdate)) sql += QeSqlite_FormatSql(L" %s", fk->wszOnUpdate);
  }
  return sql;
}

CQeStringW IndexStatement(const CQeStringW& tableName, const SQeSqliteColDef& column,
                          bool ifNotExists) {
  if (column.iKeyKind == eQeSqliteKeyPrimary) return CQeStringW();
  if (column.iIndexKind != eQeSqliteIndexUnique && column.iIndexKind != eQeSqliteIndex) {
    return CQeStringW();
  }
  // "schema.table" puts the index into that schema; the index name and the
  // ON clause use the bare table name.
  CQeStringW schema;
  CQeStringW bare = tableName;
  int dot = tableName.ReverseFind(L'.');
  if (dot >= 0) {
    schema = tableName.Left(dot + 1);
    bare = tableName.Mid(dot + 1);
  }
  return QeSqlite_FormatSql(L"CREATE %sINDEX %s%sidx_%s_%s ON %s (%s);\n",
                            column.iIndexKind == eQeSqliteIndexUnique ? L"UNIQUE " : L"",
                            ifNotExists ? L"IF NOT EXISTS " : L"", schema, bare, column.wszName,
                            bare, column.wszName);
}

CQeStringW AllIndexes(const SQeSqliteTableDef& table, bool ifNotExists) {
  CQeStringW sql;
  for (uint32_t i = 0; i < table.nColumns; ++i) {
    sql += IndexStatement(table.wszName, table.pColumns[i], ifNotExists);
  }
  return sql;
}

}  // namespace

const wchar_t* QeSqlite_ColumnTypeName(int type) {
  switch (type) {
    case eQeSqliteInt32:
    case eQeSqliteInt64:
      return L"INTEGER";
    case eQeSqliteDouble:
      return L"REAL";
    case eQeSqliteText:
      return L"TEXT";
    case eQeSqliteBlob:
      return L"BLOB";
    default:
      return L"";
  }
}

CQeStringW QeSqlite_CreateTableExSqlCommand(const wchar_t* verb, const SQeSqliteTableDef& table,
                                            const wchar_t* tableName) {
  CQeStringW columns;
  for (uint32_t i = 0; i < table.nColumns; ++i) {
    if (i > 0) columns += L", ";
    columns += ColumnDefinition(table.pColumns[i]);
  }
  if (table.nUniqueColumns > 0 && table.pUniqueColumns) {
    CQeStringW unique;
    for (uint32_t i = 0; i < table.nUniqueColumns; ++i) {
      if (i > 0) unique += L", ";
      unique += table.pUniqueColumns[i];
    }
    columns += QeSqlite_FormatSql(L", UNIQUE (%s)", unique);
    if (HasText(table.wszUniqueConflict)) {
      columns += QeSqlite_FormatSql(L" %s", table.wszUniqueConflict);
    }
  }
  return QeSqlite_FormatSql(L"%s %s (%s);\n", HasText(verb) ? verb : L"CREATE TABLE",
                            HasText(tableName) ? tableName : table.wszName, columns);
}

CQeStringW QeSqlite_CreateTableSqlCommand(const SQeSqliteTableDef& table) {
  return QeSqlite_CreateTableExSqlCommand(L"CREATE TABLE", table);
}

CQeStringW QeSqlite_CreateTableWithIndexesSqlCommand(const SQeSqliteTableDef& table) {
  return QeSqlite_CreateTableSqlCommand(table) + AllIndexes(table, false);
}

CQeStringW QeSqlite_CreateColumnIndexSqlCommand(const SQeSqliteTableDef& table,
                                                const wchar_t* column, bool ifNotExists) {
  int index = qe::sqlite_detail::FindColumn(table, column);
  if (index < 0) return CQeStringW();
  return IndexStatement(table.wszName, table.pColumns[index], ifNotExists);
}

CQeStringW QeSqlite_CheckTableIndexesSqlCommand(const SQeSqliteTableDef& table) {
  return AllIndexes(table, true);
}
