// Job definitions on the toolbar and in the task list: one membership row
// per job definition at most.
#include "projectdb/records/record_access.h"
#include "qe/projectdb/records/jobdef.h"
#include "qe/projectdb/schema.h"
#include "qe/sqlite/cmd.h"
#include "qe/sqlite/sql_text.h"

namespace {

using namespace qe::projectdb;

bool Exists(sqlite3* db, const SQeSqliteTableDef& table, int64_t jobdefKey) {
  CQeSqliteSelect select(
      db, table, QeSqlite_FormatSql(L"%s.%s=%I64d", table.wszName, L"iJobdefKeyRef", jobdefKey));
  int64_t key = 0;
  int64_t ref = 0;
  return select.Row({&key, &ref});
}

int Insert(sqlite3* db, const SQeSqliteTableDef& table, int64_t jobdefKey) {
  // The table is unique on the job definition; asking first keeps a second
  // insert from failing on that constraint.
  if (Exists(db, table, jobdefKey)) return 0;
  CQeSqliteInsert insert(db, table);
  insert.Row({jobdefKey});
  return insert.Result();
}

int Delete(sqlite3* db, const SQeSqliteTableDef& table, int64_t jobdefKey) {
  CQeSqliteCmd cmd(db, QeSqlite_FormatSql(L"DELETE FROM %s WHERE %s.%s=%I64d", table.wszName,
                                          table.wszName, L"iJobdefKeyRef", jobdefKey));
  cmd.Execute();
  return cmd.Result();
}

}  // namespace

bool QeProjectDb_Toolbarjobdef_Exists(uint32_t handle, int64_t jobdefKey) {
  return Exists(DbOf(handle), g_QeProjectDbTable_toolbarjobdef, jobdefKey);
}

int QeProjectDb_Toolbarjobdef_Insert(uint32_t handle, int64_t jobdefKey) {
  return Insert(DbOf(handle), g_QeProjectDbTable_toolbarjobdef, jobdefKey);
}

int QeProjectDb_Toolbarjobdef_Delete(uint32_t handle, int64_t jobdefKey) {
  return Delete(DbOf(handle), g_QeProjectDbTable_toolbarjobdef, jobdefKey);
}

bool QeProjectDb_TaskListjobdef_Exists(uint32_t handle, int64_t jobdefKey) {
  return Exists(DbOf(handle), g_QeProjectDbTable_tasklistjobdef, jobdefKey);
}

int QeProjectDb_TaskListjobdef_Insert(uint32_t handle, int64_t jobdefKey) {
  return Insert(DbOf(handle), g_QeProjectDbTable_tasklistjobdef, jobdefKey);
}

int QeProjectDb_TaskListjobdef_Delete(uint32_t handle, int64_t jobdefKey) {
  return Delete(DbOf(handle), g_QeProjectDbTable_tasklistjobdef, jobdefKey);
}
