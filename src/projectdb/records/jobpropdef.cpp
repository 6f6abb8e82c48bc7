#include "qe/projectdb/records/jobpropdef.h"

#include <array>

#include "projectdb/records/record_common.h"
#include "qe/projectdb/schema.h"
#include "qe/sqlite/cmd.h"
#include "qe/sqlite/connection.h"
#include "qe/sqlite/insert.h"
#include "qe/sqlite/select.h"
#include "qe/sqlite/sql_text.h"
#include "qe/sqlite/update_delete.h"

namespace {

using qe::projectdb::DbOf;

const SQeSqliteTableDef& Table() { return g_QeProjectDbTable_jobpropdef; }
const SQeSqliteTableDef& EnumTable() { return g_QeProjectDbTable_jobpropenumvalue; }

std::array<CQeSqliteOut, 8> Outputs(SQeProjectDbRow_jobpropdef& row) {
  return {&row.iKey,          &row.iJobprogramKeyRef,    &row.wszPropkey,
          &row.dPropdefvalue, &row.iPropdeftype,         &row.iPropdefvisibility,
          &row.iPropdefflags, &row.pDependencyExpression};
}

std::array<CQeSqliteOut, 3> EnumOutputs(SQeProjectDbRow_jobpropenumvalue& row) {
  return {&row.iKey, &row.iJobpropdefKeyRef, &row.wszPropenumvalue};
}

// Reads the first definition matching where into row, with its enumeration
// values. found tells whether there was one.
int ReadDefinition(uint32_t h, const CQeStringW& where, SQeProjectDbRow_jobpropdef& row,
                   bool& found) {
  SQeProjectDbRow_jobpropdef read;
  CQeSqliteSelect select(DbOf(h), Table(), where);
  const auto outputs = Outputs(read);
  found = select.Row(std::span<const CQeSqliteOut>(outputs.data(), outputs.size()));
  if (select.Result() != 0 || !found) return select.Result();
  const int status = QeProjectDb_Jobpropenumvalue_GetAll(h, read.iKey, read.vEnumValues);
  row = std::move(read);
  return status;
}

}  // namespace

int QeProjectDb_Jobpropdef_InsertOrUpdate(uint32_t h, int64_t programKey, const CQeStringW& propkey,
                                          double value, int type, int visibility,
                                          std::vector<SQeProjectDbRow_jobpropenumvalue>& enumValues,
                                          int flags, const CQeByteArray* dependencyExpression,
                                          int64_t* outKey) {
  CQeSqliteCmd cmd(
      DbOf(h), QeSqlite_FormatSql(L"INSERT OR REPLACE INTO %s (%s, %s, %s, %s, %s, %s, %s) VALUES "
                                  L"(?, ?, ?, ?, ?, ?, ?);",
                                  Table().wszName, L"iJobprogramKeyRef", L"wszPropkey",
                                  L"dPropdefvalue", L"iPropdeftype", L"iPropdefvisibility",
                                  L"iPropdefflags", L"pDependencyExpression"));
  cmd.Bind(1, static_cast<long long>(programKey));
  cmd.Bind(2, propkey);
  cmd.Bind(3, value);
  cmd.Bind(4, type);
  cmd.Bind(5, visibility);
  cmd.Bind(6, flags);
  if (dependencyExpression) {
    cmd.Bind(7, *dependencyExpression);
  } else {
    cmd.BindNull(7);
  }
  int64_t key = 0;
  if (!cmd.Next(key) || cmd.Result() != 0) return cmd.Result() != 0 ? cmd.Result() : eQeFailed;
  if (outKey) *outKey = key;
  return QeProjectDb_Jobpropenumvalue_SetAll(h, key, enumValues);
}

int QeProjectDb_Jobpropdef_SetAll(uint32_t h, int64_t programKey,
                                  std::vector<SQeProjectDbRow_jobpropdef>& rows) {
  CQeStringW keys;
  for (SQeProjectDbRow_jobpropdef& row : rows) {
    QeProjectDb_Jobpropdef_InsertOrUpdate(h, programKey, row.wszPropkey, row.dPropdefvalue,
                                          row.iPropdeftype, row.iPropdefvisibility, row.vEnumValues,
                                          row.iPropdefflags, &row.pDependencyExpression, &row.iKey);
    if (!keys.IsEmpty()) keys += L",";
    keys.AppendFormat(L"%I64d", row.iKey);
  }
  return QeSqlite_Execute(
      DbOf(h),
      QeSqlite_FormatSql(L"DELETE FROM %s WHERE %s=%I64d AND %s NOT IN (%s)", Table().wszName,
                         L"iJobprogramKeyRef", programKey, L"iKey", keys),
      nullptr, false);
}

int QeProjectDb_Jobpropdef_GetOne(uint32_t h, int64_t key, SQeProjectDbRow_jobpropdef& row) {
  bool found = false;
  return ReadDefinition(h, QeSqlite_FormatSql(L"%s=%I64d", L"iKey", key), row, found);
}

int QeProjectDb_Jobpropdef_GetOne(uint32_t h, int64_t programKey, const CQeStringW& propkey,
                                  SQeProjectDbRow_jobpropdef& row) {
  bool found = false;
  const int status =
      ReadDefinition(h,
                     QeSqlite_FormatSql(L"%s=%I64d AND %s='%s'", L"iJobprogramKeyRef", programKey,
                                        L"wszPropkey", QeSqlite_EscapeText(propkey)),
                     row, found);
  return status == 0 && !found ? eQeNotFound : status;
}

int QeProjectDb_Jobpropdef_GetAll(uint32_t h, int64_t programKey,
                                  std::vector<SQeProjectDbRow_jobpropdef>& rows) {
  std::vector<SQeProjectDbRow_jobpropdef> read;
  int status = 0;
  {
    CQeSqliteSelect select(
        DbOf(h), Table(),
        QeSqlite_FormatSql(L"%s.%s=%I64d", Table().wszName, L"iJobprogramKeyRef", programKey));
    status = qe::projectdb::records::AppendRows(select, read, Outputs);
  }
  for (SQeProjectDbRow_jobpropdef& row : read) {
    const int valuesStatus = QeProjectDb_Jobpropenumvalue_GetAll(h, row.iKey, row.vEnumValues);
    if (status == 0) status = valuesStatus;
    rows.push_back(std::move(row));
  }
  return status;
}

int QeProjectDb_Jobpropdef_Delete(uint32_t h, int64_t key) {
  CQeSqliteDelete remove(DbOf(h), Table());
  return remove.Row(key);
}

int QeProjectDb_Jobpropdef_Delete(uint32_t h, int64_t programKey, const CQeStringW& propkey) {
  CQeSqliteCmd cmd(DbOf(h), QeSqlite_FormatSql(L"DELETE FROM %s WHERE %s=%I64d AND %s='%s'",
                                               Table().wszName, L"iJobprogramKeyRef", programKey,
                                               L"wszPropkey", QeSqlite_EscapeText(propkey)));
  cmd.Execute();
  return cmd.Result();
}

int QeProjectDb_Jobpropenumvalue_SetAll(uint32_t h, int64_t jobpropdefKey,
                                        std::vector<SQeProjectDbRow_jobpropenumvalue>& values) {
  sqlite3* db = DbOf(h);
  const int cleared =
      QeSqlite_Execute(db,
                       QeSqlite_FormatSql(L"DELETE FROM %s WHERE %s=%I64d", EnumTable().wszName,
                                          L"iJobpropdefKeyRef", jobpropdefKey),
                       nullptr, false);
  if (cleared != 0) return cleared;
  if (values.empty()) return eQeOk;
  CQeSqliteInsert insert(db, EnumTable());
  for (SQeProjectDbRow_jobpropenumvalue& value : values) {
    value.iJobpropdefKeyRef = jobpropdefKey;
    value.iKey = insert.Row({value.iJobpropdefKeyRef, value.wszPropenumvalue});
    if (insert.Result() != 0) break;
  }
  return insert.Result();
}

int QeProjectDb_Jobpropenumvalue_GetAll(uint32_t h, int64_t jobpropdefKey,
                                        std::vector<SQeProjectDbRow_jobpropenumvalue>& values) {
  const wchar_t* table = EnumTable().wszName;
  CQeSqliteSelect select(DbOf(h), EnumTable(),
                         QeSqlite_FormatSql(L"%s.%s=%I64d ORDER BY %s.%s", table,
                                            L"iJobpropdefKeyRef", jobpropdefKey, table, L"iKey"));
  return qe::projectdb::records::AppendRows(select, values, EnumOutputs);
}
