#include "qe/projectdb/records/jobuser.h"

#include "projectdb/records/record_common.h"
#include "qe/projectdb/schema.h"
#include "qe/sqlite/cmd.h"
#include "qe/sqlite/sql_text.h"

int QeProjectDb_Jobuser_Insert(uint32_t h, const CQeStringW& uuid, const CQeStringW& username,
                               const CQeStringW& password) {
  CQeSqliteCmd cmd(qe::projectdb::DbOf(h),
                   QeSqlite_FormatSql(L"INSERT INTO %s (%s, %s, %s) VALUES (?, ?, ?);",
                                      g_QeProjectDbTable_jobuser.wszName, L"wszUuid",
                                      L"wszUsername", L"wszPassword"));
  cmd.Bind(1, uuid);
  cmd.Bind(2, username);
  cmd.Bind(3, password);
  cmd.Execute();
  return cmd.Result();
}

int QeProjectDb_Jobuser_GetOne(uint32_t h, const CQeStringW& username, const CQeStringW& password,
                               SQeProjectDbRow_jobuser& row) {
  // Bound rather than escaped, so that the password never becomes part of
  // a statement text that an error message could repeat.
  const wchar_t* t = g_QeProjectDbTable_jobuser.wszName;
  CQeSqliteCmd cmd(
      qe::projectdb::DbOf(h),
      QeSqlite_FormatSql(L"SELECT %s, %s, %s, %s FROM %s WHERE %s=? AND %s=?;", L"iKey", L"wszUuid",
                         L"wszUsername", L"wszPassword", t, L"wszUsername", L"wszPassword"));
  cmd.Bind(1, username);
  cmd.Bind(2, password);
  if (!cmd.Next()) return cmd.Result() != 0 ? cmd.Result() : eQeNotFound;
  row.iKey = cmd.ColumnInt64(0);
  row.wszUuid = cmd.ColumnString(1);
  row.wszUsername = cmd.ColumnString(2);
  row.wszPassword = cmd.ColumnString(3);
  return cmd.Result();
}
