#include "qe/projectdb/records/jobclasslaststate.h"

#include "projectdb/records/record_common.h"
#include "qe/projectdb/schema.h"
#include "qe/sqlite/cmd.h"
#include "qe/sqlite/sql_text.h"

namespace {

const wchar_t* TableName() { return g_QeProjectDbTable_jobclasslaststate.wszName; }

}  // namespace

int QeProjectDb_Jobclasslaststate_InsertOrUpdate(uint32_t h, const CQeStringW& uniqueName,
                                                 const SQeProjectDbJobTaskState& state,
                                                 int64_t* outKey) {
  CQeSqliteCmd cmd(
      qe::projectdb::DbOf(h),
      QeSqlite_FormatSql(L"INSERT OR REPLACE INTO %s (%s, %s, %s, %s, %s) VALUES (?, ?, ?, ?, ?);",
                         TableName(), L"wszUniqueName", L"iVersion", L"iState", L"wszName",
                         L"pData"));
  cmd.Bind(1, uniqueName);
  cmd.Bind(2, static_cast<long long>(state.iVersion));
  cmd.Bind(3, state.iState);
  cmd.Bind(4, state.wszName);
  cmd.Bind(5, state.pData);
  int64_t key = 0;
  cmd.Next(key);
  if (outKey) *outKey = cmd.Result() == 0 ? key : 0;
  return cmd.Result();
}

int QeProjectDb_Jobclasslaststate_GetOne(uint32_t h, const CQeStringW& uniqueName,
                                         SQeProjectDbJobTaskState& state) {
  const wchar_t* t = TableName();
  CQeSqliteCmd cmd(
      qe::projectdb::DbOf(h),
      QeSqlite_FormatSql(L"SELECT %s.%s, %s.%s, %s.%s, %s.%s FROM %s WHERE %s.%s='%s';", t,
                         L"iVersion", t, L"iState", t, L"wszName", t, L"pData", t, t,
                         L"wszUniqueName", QeSqlite_EscapeText(uniqueName)));
  if (cmd.Next()) {
    state.iVersion = cmd.ColumnInt64(0);
    state.iState = cmd.ColumnInt(1);
    state.wszName = cmd.ColumnString(2);
    state.pData = cmd.ColumnBytes(3);
  }
  return cmd.Result();
}
