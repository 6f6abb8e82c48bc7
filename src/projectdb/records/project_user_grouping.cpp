#include "projectdb/records/record_common.h"
#include "qe/projectdb/records/jobuser.h"
#include "qe/projectdb/schema.h"
#include "qe/sqlite/cmd.h"
#include "qe/sqlite/sql_text.h"

int QeProjectDb_Cloudgroupusers_Insert(uint32_t h, const CQeStringW& username,
                                       const CQeStringW& projectUuid, int64_t userKey) {
  CQeSqliteCmd cmd(qe::projectdb::DbOf(h),
                   QeSqlite_FormatSql(L"INSERT INTO %s (%s, %s, %s) VALUES (?, ?, ?);",
                                      g_QeProjectDbTable_project_user_grouping.wszName,
                                      L"wszUsername", L"wszProjectUuid", L"iUserKeyRef"));
  cmd.Bind(1, username);
  cmd.Bind(2, projectUuid);
  cmd.Bind(3, static_cast<long long>(userKey));
  cmd.Execute();
  return cmd.Result();
}
