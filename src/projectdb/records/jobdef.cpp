// Job definition rows: insert, import, reads, updates, names, delete.
#include "qe/projectdb/records/jobdef.h"

#include <array>
#include <vector>

#include "projectdb/records/record_access.h"
#include "qe/projectdb/schema.h"
#include "qe/projectdb/sys.h"
#include "qe/sqlite/sql_text.h"
#include "qe/sqlite/update_delete.h"

namespace {

using namespace qe::projectdb;

const SQeSqliteTableDef& kTable = g_QeProjectDbTable_jobdef;

std::array<CQeSqliteOut, 10> OutputsOf(SQeProjectDbRow_jobdef& row) {
  return {&row.iKey,   &row.iProjKeyRef, &row.iDefType, &row.iState,  &row.iProgress,
          &row.dCTime, &row.dMTime,      &row.wszUuid,  &row.wszName, &row.wszDesc};
}

std::array<CQeSqliteValue, 9> ValuesOf(const SQeProjectDbRow_jobdef& row) {
  return {row.iProjKeyRef, row.iDefType, row.iState,  row.iProgress, row.dCTime,
          row.dMTime,      row.wszUuid,  row.wszName, row.wszDesc};
}

}  // namespace

int QeProjectDb_Jobdef_Insert(uint32_t handle, int64_t projKey, int32_t defType, int32_t state,
                              const CQeStringW& name, const CQeStringW& desc, int32_t progress,
                              int64_t* outKey) {
  const double now = QeProjectDb_Sys_JdnNow();
  const SQeProjectDbRow_jobdef row(0, projKey, defType, state, now, now,
                                   QeProjectDb_Sys_UuidAsText(), name, desc, progress);
  return InsertOne(DbOf(handle), kTable, ValuesOf(row), outKey);
}

int QeProjectDb_Jobdef_Import(uint32_t handle, SQeProjectDbRow_jobdef& row) {
  row.iKey = 0;
  row.dCTime = row.dMTime = QeProjectDb_Sys_JdnNow();
  return InsertOne(DbOf(handle), kTable, ValuesOf(row), &row.iKey);
}

int QeProjectDb_Jobdef_GetOne(uint32_t handle, int64_t key, SQeProjectDbRow_jobdef& row) {
  return SelectOne(DbOf(handle), kTable, key, row, OutputsOf);
}

int QeProjectDb_Jobdef_GetAll(uint32_t handle, std::vector<SQeProjectDbRow_jobdef>& rows) {
  return SelectAppend(DbOf(handle), kTable, CQeStringW(), rows, OutputsOf);
}

int QeProjectDb_Jobdef_GetAllDefType(uint32_t handle, int32_t defType,
                                     std::vector<SQeProjectDbRow_jobdef>& rows) {
  return SelectAppend(DbOf(handle), kTable, QeSqlite_FormatSql(L"%s=%d", L"iDefType", defType),
                      rows, OutputsOf);
}

int QeProjectDb_Jobdef_Update(uint32_t handle, int64_t key, int32_t state, int32_t progress,
                              const CQeStringW& name, const CQeStringW& desc, int32_t defType) {
  CQeSqliteUpdate update(DbOf(handle), kTable,
                         {L"iState", L"iProgress", L"dMTime", L"wszName", L"wszDesc", L"iDefType"});
  return update.Row(key, {state, progress, QeProjectDb_Sys_JdnNow(), name, desc, defType});
}

int QeProjectDb_Jobdef_UpdateState(uint32_t handle, int64_t key, int32_t state) {
  CQeSqliteUpdate update(DbOf(handle), kTable, {L"iState"});
  return update.Row(key, {state});
}

int QeProjectDb_Jobdef_UpdateMTime(uint32_t handle, int64_t key) {
  CQeSqliteUpdate update(DbOf(handle), kTable, {L"dMTime"});
  return update.Row(key, {QeProjectDb_Sys_JdnNow()});
}

bool QeProjectDb_Jobdef_IsNameUnique(uint32_t handle, const CQeStringW& name,
                                     CQeStringW& uniqueName) {
  return IsNameUniqueIn(DbOf(handle), kTable, L"SELECT DISTINCT", name, uniqueName);
}

int QeProjectDb_Jobdef_Delete(uint32_t handle, int64_t key) {
  CQeSqliteDelete remove(DbOf(handle), kTable);
  return remove.Row(key);
}
