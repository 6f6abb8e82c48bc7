#include "projectdb/records/record_common.h"
#include "qe/projectdb/records/jobuser.h"
#include "qe/projectdb/schema.h"
#include "qe/sqlite/cmd.h"
#include "qe/sqlite/sql_text.h"

int QeProjectDb_toupload_SaveRequest(uint32_t h, const CQeStringW& tableName,
                                     const CQeStringW& rowUuid, const CQeStringW& cloudUrl,
                                     const SQeProjectDbRow_jobuser& user) {
  CQeSqliteCmd cmd(
      qe::projectdb::DbOf(h),
      QeSqlite_FormatSql(L"INSERT INTO %s (%s, %s, %s, %s, %s) VALUES (?, ?, ?, ?, ?);",
                         g_QeProjectDbTable_toupload.wszName, L"iWszUuid", L"wszTablename",
                         L"iUserKeyRef", L"wszCloudUrl", L"iUploadState"));
  cmd.Bind(1, rowUuid);
  cmd.Bind(2, tableName);
  cmd.Bind(3, static_cast<long long>(user.iKey));
  cmd.Bind(4, cloudUrl);
  cmd.Bind(5, 0);
  cmd.Execute();
  return cmd.Result();
}

int QeProjectDb_toupload_ChangeStatus(uint32_t h, int64_t requestKey, int64_t state) {
  CQeSqliteCmd cmd(qe::projectdb::DbOf(h),
                   QeSqlite_FormatSql(L"UPDATE %s SET %s=%I64d WHERE %s=%I64d;",
                                      g_QeProjectDbTable_toupload.wszName, L"runState", state,
                                      L"iKey", requestKey));
  cmd.Execute();
  return cmd.Result();
}
