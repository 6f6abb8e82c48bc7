// Loops of a run and the loop indices of its frames.
#include "qe/projectdb/records/runloop.h"

#include <array>
#include <vector>

#include "projectdb/records/batch_insert.h"
#include "projectdb/records/record_access.h"
#include "qe/projectdb/schema.h"
#include "qe/sqlite/null_values.h"
#include "qe/sqlite/sql_text.h"

namespace {

using namespace qe::projectdb;

const SQeSqliteTableDef& kRunloop = g_QeProjectDbTable_runloop;
const SQeSqliteTableDef& kLoopindex = g_QeProjectDbTable_loopindex;

std::array<CQeSqliteOut, 6> OutputsOf(SQeProjectDbRow_runloop& row) {
  return {&row.iKey,   &row.iJobrunKeyRef, &row.iJobtaskKeyRef,
          &row.iOrder, &row.iNestLevel,    &row.iLoopType};
}

std::array<CQeSqliteValue, 4> ValuesOf(const SQeProjectDbRow_loopindex& row) {
  return {row.iJobrunKeyRef, row.iFrameIndex, row.iRunloopKeyRef, row.iLoopIndex};
}

}  // namespace

int QeProjectDb_Runloop_Insert(uint32_t handle, int64_t jobrunKey, int64_t jobtaskKey,
                               int32_t order, int32_t nestLevel, int32_t loopType,
                               int64_t* outKey) {
  // A loop without a task stores NULL there.
  static const CQeSqliteNullValueVector noTask =
      QeSqliteNullValueVector_Create(kRunloop, 1, L"iJobtaskKeyRef", 0);
  const std::array<CQeSqliteValue, 5> values{jobrunKey, jobtaskKey, order, nestLevel, loopType};
  return InsertOne(DbOf(handle), kRunloop, values, outKey, &noTask);
}

int QeProjectDb_Runloop_GetOne(uint32_t handle, int64_t key, SQeProjectDbRow_runloop& row) {
  return SelectOne(DbOf(handle), kRunloop, key, row, OutputsOf);
}

int QeProjectDb_Runloop_GetMany(uint32_t handle, int64_t jobrunKey,
                                std::vector<SQeProjectDbRow_runloop>& rows) {
  return SelectAppend(
      DbOf(handle), kRunloop,
      QeSqlite_FormatSql(L"%s=%I64d ORDER BY %s", L"iJobrunKeyRef", jobrunKey, L"runloop.iOrder"),
      rows, OutputsOf);
}

int QeProjectDb_Loopindex_Insert(uint32_t handle, int64_t jobrunKey, int32_t frameIndex,
                                 int64_t runloopKey, int32_t loopIndex, int64_t* outKey) {
  return InsertOne(
      DbOf(handle), kLoopindex,
      ValuesOf(SQeProjectDbRow_loopindex(0, jobrunKey, frameIndex, runloopKey, loopIndex)), outKey);
}

int QeProjectDb_Loopindex_InsertMany(uint32_t handle,
                                     std::vector<SQeProjectDbRow_loopindex>& rows) {
  return BatchInsert(DbOf(handle), kLoopindex, rows,
                     [](const SQeProjectDbRow_loopindex& row) { return ValuesOf(row); });
}
