// Job run rows: reads, counts, updates and delete.
#include "qe/projectdb/records/jobrun.h"

#include <array>
#include <span>
#include <vector>

#include "projectdb/records/jobrun_columns.h"
#include "projectdb/records/record_access.h"
#include "qe/projectdb/schema.h"
#include "qe/sqlite/connection.h"
#include "qe/sqlite/sql_text.h"
#include "qe/sqlite/update_delete.h"

namespace {

using namespace qe::projectdb;

const SQeSqliteTableDef& kTable = g_QeProjectDbTable_jobrun;

int UpdateColumns(uint32_t handle, int64_t key, const std::vector<CQeStringW>& columns,
                  std::initializer_list<CQeSqliteValue> values) {
  CQeSqliteUpdate update(DbOf(handle), kTable, columns);
  return update.Row(key, values);
}

}  // namespace

int QeProjectDb_Jobrun_GetOne(uint32_t handle, int64_t key, SQeProjectDbRow_jobrun& row) {
  return SelectOne(DbOf(handle), kTable, key, row, JobrunOutputs);
}

int QeProjectDb_Jobrun_GetAll(uint32_t handle, std::vector<SQeProjectDbRow_jobrun>& rows) {
  return SelectAppend(DbOf(handle), kTable, CQeStringW(), rows, JobrunOutputs);
}

int QeProjectDb_Jobrun_GetLatest(uint32_t handle, int64_t projKey, SQeProjectDbRow_jobrun& row) {
  const wchar_t* t = kTable.wszName;
  CQeSqliteSelect select(DbOf(handle), kTable,
                         QeSqlite_FormatSql(L"%s.%s=%I64d ORDER BY %s.%s DESC LIMIT 1", t,
                                            L"iProjKeyRef", projKey, t, L"dCTime"));
  const auto outputs = JobrunOutputs(row);
  select.Row(std::span<const CQeSqliteOut>(outputs.data(), outputs.size()));
  return select.Result();
}

int QeProjectDb_Jobrun_GetManyReferencingJobprogram(uint32_t handle, int64_t jobprogramKey,
                                                    std::vector<SQeProjectDbRow_jobrun>& rows) {
  return SelectAppend(DbOf(handle), kTable,
                      QeSqlite_FormatSql(L"%s=%I64d", L"iJobprogramKeyRef", jobprogramKey), rows,
                      JobrunOutputs);
}

int QeProjectDb_Jobrun_GetManyWithFinishFlag(uint32_t handle, int64_t jobdefKey, int64_t mask,
                                             int64_t value,
                                             std::vector<SQeProjectDbRow_jobrun>& rows) {
  return SelectAppend(DbOf(handle), kTable,
                      QeSqlite_FormatSql(L"%s=%I64d AND bitwiseand(%s, %I64d) = %I64d",
                                         L"iJobdefKeyRef", jobdefKey, L"iFinishFlags", mask, value),
                      rows, JobrunOutputs);
}

uint32_t QeProjectDb_Jobrun_CountForJobdef(uint32_t handle, int64_t jobdefKey) {
  const wchar_t* t = kTable.wszName;
  return static_cast<uint32_t>(
      QeSqlite_ReadOneInt64(DbOf(handle),
                            QeSqlite_FormatSql(L"SELECT COUNT(*) FROM %s WHERE %s.%s=%I64d;", t, t,
                                               L"iJobdefKeyRef", jobdefKey),
                            nullptr, 0));
}

int QeProjectDb_Jobrun_Rename(uint32_t handle, int64_t key, const CQeStringW& name) {
  return UpdateColumns(handle, key, {L"wszName"}, {name});
}

int QeProjectDb_Jobrun_UpdateNotes(uint32_t handle, int64_t key, const CQeStringW& notes) {
  return UpdateColumns(handle, key, {L"wszDesc"}, {notes});
}

int QeProjectDb_Jobrun_UpdateJobprogram(uint32_t handle, int64_t key, int64_t jobprogramKey) {
  return UpdateColumns(handle, key, {L"iJobprogramKeyRef"}, {jobprogramKey});
}

int QeProjectDb_Jobrun_UpdateJobprogram(uint32_t handle, int64_t key, int64_t jobprogramKey,
                                        int64_t jobdefKey) {
  return UpdateColumns(handle, key, {L"iJobprogramKeyRef", L"iJobdefKeyRef"},
                       {jobprogramKey, jobdefKey});
}

int QeProjectDb_Jobrun_UpdateFinish(uint32_t handle, int64_t key, int64_t finishFlags,
                                    double finishTime, const CQeStringW& message) {
  return UpdateColumns(handle, key, {L"iFinishFlags", L"dFTime", L"wszFinishMessage"},
                       {finishFlags, finishTime, message});
}

int QeProjectDb_Jobrun_Delete(uint32_t handle, int64_t key) {
  CQeSqliteDelete remove(DbOf(handle), kTable);
  return remove.Row(key);
}
