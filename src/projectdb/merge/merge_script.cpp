// Script generation for the merge of one table. Every name placed in the
// SQL comes from the table definitions; values travel only as OLD.<column>
// inside the triggers, so no caller text is ever part of the SQL.
#include "projectdb/merge/merge_script.h"

#include <vector>

#include "qe/sqlite/ddl.h"
#include "qe/sqlite/sql_text.h"

namespace qe::merge {
namespace {

bool SameName(const wchar_t* a, const wchar_t* b) {
  return a && b && CQeStringW(a).CompareNoCase(CQeStringW(b)) == 0;
}

bool IsForeignKey(const SQeSqliteColDef& col) {
  return col.iKeyKind == eQeSqliteKeyForeign && col.pForeignKey && col.pForeignKey->wszTable;
}

bool IsSelfReference(const SQeSqliteTableDef& table, const SQeSqliteColDef& col) {
  return IsForeignKey(col) && SameName(col.pForeignKey->wszTable, table.wszName);
}

const SQeSqliteColDef* FindColumn(const SQeSqliteTableDef& table, const wchar_t* name) {
  for (uint32_t i = 0; i < table.nColumns; ++i) {
    if (CQeStringW(table.pColumns[i].wszName) == name) return &table.pColumns[i];
  }
  return nullptr;
}

bool InUniqueConstraint(const SQeSqliteTableDef& table, const wchar_t* column) {
  for (uint32_t i = 0; i < table.nUniqueColumns; ++i) {
    if (CQeStringW(table.pUniqueColumns[i]) == column) return true;
  }
  return false;
}

// The target value of a source column: a foreign key through the map of
// the table it refers to, anything else as it stands.
CQeStringW SourceValue(const SQeSqliteColDef& col) {
  if (IsForeignKey(col)) {
    return QeSqlite_FormatSql(L"(SELECT iNewKey FROM %s_map WHERE iOrigKey=OLD.%s)",
                              col.pForeignKey->wszTable, col.wszName);
  }
  return QeSqlite_FormatSql(L"OLD.%s", col.wszName);
}

// The value stored for a copied row. Project and run folders get a name
// that is free in the target (the same name unless it is taken).
CQeStringW InsertValue(const SQeSqliteTableDef& table, const SQeSqliteColDef& col) {
  const CQeStringW column(col.wszName);
  if (SameName(table.wszName, L"project") && column == L"wszFolderName") {
    return L"mergeprojectfolder(OLD.wszFolderName)";
  }
  if (SameName(table.wszName, L"jobrun") && column == L"wszFolderName") {
    return L"mergejobrunfolder((SELECT project.wszFolderName FROM project, jobdef "
           L"WHERE project.iKey=jobdef.iProjKeyRef AND jobdef.iKey="
           L"(SELECT iNewKey FROM jobdef_map WHERE iOrigKey=OLD.iJobdefKeyRef)), "
           L"OLD.wszFolderName)";
  }
  return SourceValue(col);
}

CQeStringW JoinedTexts(const std::vector<CQeStringW>& parts, const wchar_t* separator) {
  CQeStringW joined;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) joined += separator;
    joined += parts[i];
  }
  return joined;
}

std::vector<const SQeSqliteColDef*> SelfReferences(const SQeSqliteTableDef& table) {
  std::vector<const SQeSqliteColDef*> columns;
  for (uint32_t i = 0; i < table.nColumns; ++i) {
    if (IsSelfReference(table, table.pColumns[i])) columns.push_back(&table.pColumns[i]);
  }
  return columns;
}

// The folder and file actions of a copied row, run after its row and map
// entry exist, so that they find the target names through the new keys.
CQeStringW FolderActions(const SQeSqliteTableDef& table) {
  if (SameName(table.wszName, L"project")) {
    return L"  SELECT createprojectfolder(project.wszFolderName)     FROM project, project_map"
           L"     WHERE project.iKey=project_map.iNewKey AND project_map.iOrigKey=OLD.iKey;\n";
  }
  if (SameName(table.wszName, L"jobrun")) {
    return L"  SELECT createjobrunfolder(project.wszFolderName, jobrun.wszFolderName)     FROM "
           L"project, jobdef, jobrun, jobrun_map     WHERE project.iKey=jobdef.iProjKeyRef AND "
           L"jobdef.iKey=jobrun.iJobdefKeyRef AND jobrun.iKey=jobrun_map.iNewKey AND "
           L"jobrun_map.iOrigKey=OLD.iKey;\n";
  }
  if (SameName(table.wszName, L"file")) {
    // The source file lies under the source's names of the project and run
    // folders, which the target may have given other names.
    return L"  SELECT copyfile(file_srcruns.wszProjFolder, file_srcruns.wszRunFolder, "
           L"project.wszFolderName, jobrun.wszFolderName, OLD.wszFileName)     FROM project, "
           L"jobdef, jobrun, file, file_map, file_srcruns     WHERE "
           L"project.iKey=jobdef.iProjKeyRef "
           L"AND jobdef.iKey=jobrun.iJobdefKeyRef AND jobrun.iKey=file.iJobrunKeyRef AND "
           L"file.iKey=file_map.iNewKey AND file_map.iOrigKey=OLD.iKey AND "
           L"file_srcruns.iOrigKey=OLD.iJobrunKeyRef;\n";
  }
  return CQeStringW();
}

CQeStringW InsertTrigger(const SQeSqliteTableDef& table, const CQeStringW& test) {
  const CQeStringW old = OldTableName(table);
  std::vector<CQeStringW> columns;
  std::vector<CQeStringW> values;
  for (uint32_t i = 0; i < table.nColumns; ++i) {
    const SQeSqliteColDef& col = table.pColumns[i];
    if (col.iKeyKind == eQeSqliteKeyPrimary) continue;
    columns.push_back(col.wszName);
    values.push_back(InsertValue(table, col));
  }
  const CQeStringW when =
      test.IsEmpty() ? CQeStringW() : QeSqlite_FormatSql(L" WHEN (%s) IS NULL", test);
  CQeStringW sql =
      QeSqlite_FormatSql(L"CREATE TRIGGER main.trg_%s_i DELETE ON main.%s%s\n", old, old, when);
  sql += L"BEGIN \n";
  sql.AppendFormat(L"  INSERT INTO %s (%s) VALUES (%s);\n", table.wszName,
                   JoinedTexts(columns, L", "), JoinedTexts(values, L", "));
  sql.AppendFormat(
      L"  INSERT INTO %s (iOrigKey, iNewKey) VALUES (OLD.iKey, last_insert_rowid());\n",
      MapTableName(table));
  sql += FolderActions(table);
  sql += L"END;\n";
  return sql;
}

CQeStringW ReuseTrigger(const SQeSqliteTableDef& table, const CQeStringW& test) {
  const CQeStringW old = OldTableName(table);
  CQeStringW sql = QeSqlite_FormatSql(
      L"CREATE TRIGGER main.trg_%s_u DELETE ON main.%s WHEN (%s) IS NOT NULL\n", old, old, test);
  sql += L"BEGIN\n";
  sql.AppendFormat(L"  INSERT INTO %s (iOrigKey, iNewKey) VALUES (OLD.iKey, (%s));\n",
                   MapTableName(table), test);
  sql += L"END;\n";
  return sql;
}

// The source names of every run's project and run folders, by source run
// key: a trigger cannot read the attached source itself.
CQeStringW SourceRunFolders() {
  return QeSqlite_FormatSql(
      L"CREATE TABLE main.file_srcruns (iOrigKey INTEGER PRIMARY KEY, wszProjFolder TEXT, "
      L"wszRunFolder TEXT);\n"
      L"INSERT INTO main.file_srcruns SELECT r.iKey, p.wszFolderName, r.wszFolderName "
      L"FROM %s.jobrun AS r, %s.jobdef AS d, %s.project AS p "
      L"WHERE d.iKey=r.iJobdefKeyRef AND p.iKey=d.iProjKeyRef;\n",
      kSourceSchema, kSourceSchema, kSourceSchema);
}

// Rows are copied in key order, so a row that refers to a row of its own
// table with a larger key finds no map entry yet and gets NULL. The source
// references are kept aside and completed after the copy.
CQeStringW SelfReferencesBefore(const SQeSqliteTableDef& table,
                                const std::vector<const SQeSqliteColDef*>& columns) {
  std::vector<CQeStringW> defs;
  std::vector<CQeStringW> names;
  for (const SQeSqliteColDef* col : columns) {
    defs.push_back(QeSqlite_FormatSql(L"%s INTEGER", col->wszName));
    names.push_back(col->wszName);
  }
  return QeSqlite_FormatSql(
      L"CREATE TABLE main.%s_self (iOrigKey INTEGER PRIMARY KEY, %s);\n"
      L"INSERT INTO main.%s_self SELECT iKey, %s FROM main.%s;\n",
      table.wszName, JoinedTexts(defs, L", "), table.wszName, JoinedTexts(names, L", "),
      OldTableName(table));
}

CQeStringW SelfReferencesAfter(const SQeSqliteTableDef& table,
                               const std::vector<const SQeSqliteColDef*>& columns,
                               int64_t maxKeyBefore) {
  const CQeStringW map = MapTableName(table);
  CQeStringW sql = QeSqlite_FormatSql(L"CREATE INDEX main.%s_new ON %s (iNewKey);\n", map, map);
  for (const SQeSqliteColDef* col : columns) {
    sql.AppendFormat(
        L"UPDATE main.%s SET %s=(SELECT m.iNewKey FROM %s AS me, %s_self AS s, %s AS m "
        L"WHERE me.iNewKey=%s.iKey AND s.iOrigKey=me.iOrigKey AND m.iOrigKey=s.%s) "
        L"WHERE iKey>%I64d AND %s IS NULL;\n",
        table.wszName, col->wszName, map, table.wszName, map, table.wszName, col->wszName,
        maxKeyBefore, col->wszName);
  }
  sql.AppendFormat(L"DROP TABLE main.%s_self;\n", table.wszName);
  return sql;
}

}  // namespace

bool IsSkippedTable(const wchar_t* table) {
  return SameName(table, L"vesion") || SameName(table, L"dbinfo");
}

CQeStringW MapTableName(const SQeSqliteTableDef& table) {
  return QeSqlite_FormatSql(L"%s_map", table.wszName);
}

CQeStringW OldTableName(const SQeSqliteTableDef& table) {
  return QeSqlite_FormatSql(L"%s_old", table.wszName);
}

CQeStringW ExistingRowTest(const SQeSqliteTableDef& table) {
  std::vector<CQeStringW> tuple;
  for (uint32_t i = 0; i < table.nUniqueColumns; ++i) {
    const SQeSqliteColDef* col = FindColumn(table, table.pUniqueColumns[i]);
    if (!col) continue;
    tuple.push_back(
        QeSqlite_FormatSql(L"%s.%s IS %s", table.wszName, col->wszName, SourceValue(*col)));
  }
  std::vector<CQeStringW> alternatives;
  if (!tuple.empty()) alternatives.push_back(JoinedTexts(tuple, L" AND "));
  // A single-column unique index that the constraint does not already
  // cover alone: a row with the same value would make the insert fail.
  for (uint32_t i = 0; i < table.nColumns; ++i) {
    const SQeSqliteColDef& col = table.pColumns[i];
    if (col.iKeyKind == eQeSqliteKeyPrimary || col.iIndexKind != eQeSqliteIndexUnique) continue;
    if (table.nUniqueColumns == 1 && InUniqueConstraint(table, col.wszName)) continue;
    alternatives.push_back(
        QeSqlite_FormatSql(L"%s.%s=%s", table.wszName, col.wszName, SourceValue(col)));
  }
  if (alternatives.empty()) return CQeStringW();
  if (alternatives.size() > 1) {
    for (CQeStringW& alternative : alternatives) alternative = L"(" + alternative + L")";
  }
  return QeSqlite_FormatSql(L"SELECT iKey FROM %s WHERE %s", table.wszName,
                            JoinedTexts(alternatives, L" OR "));
}

CQeStringW TableScript(const SQeSqliteTableDef& table, int64_t maxKeyBefore) {
  const CQeStringW old = OldTableName(table);
  const CQeStringW test = ExistingRowTest(table);
  const std::vector<const SQeSqliteColDef*> selfRefs = SelfReferences(table);
  const bool isFile = SameName(table.wszName, L"file");

  CQeStringW sql =
      QeSqlite_FormatSql(L"CREATE TABLE main.%s (iOrigKey INTEGER PRIMARY KEY, iNewKey INTEGER);\n",
                         MapTableName(table));
  const CQeStringW oldName = QeSqlite_FormatSql(L"main.%s", old);
  sql += QeSqlite_CreateTableExSqlCommand(L"CREATE TABLE", table, oldName);
  sql += L"\n";
  sql.AppendFormat(L"INSERT INTO main.%s SELECT * FROM %s.%s;\n", old, kSourceSchema,
                   table.wszName);
  if (isFile) sql += SourceRunFolders();
  if (!selfRefs.empty()) sql += SelfReferencesBefore(table, selfRefs);
  sql += InsertTrigger(table, test);
  if (!test.IsEmpty()) sql += ReuseTrigger(table, test);
  sql.AppendFormat(L"DELETE FROM main.%s;\n", old);
  if (!selfRefs.empty()) sql += SelfReferencesAfter(table, selfRefs, maxKeyBefore);
  sql.AppendFormat(L"DROP TRIGGER IF EXISTS main.trg_%s_i;\n", old);
  sql.AppendFormat(L"DROP TRIGGER IF EXISTS main.trg_%s_u;\n", old);
  sql.AppendFormat(L"DROP TABLE IF EXISTS main.%s;\n", old);
  if (isFile) sql += L"DROP TABLE IF EXISTS main.file_srcruns;\n";
  return sql;
}

}  // namespace qe::merge
