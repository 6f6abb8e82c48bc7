#include "qe/projectdb/records/frameprop.h"

#include <array>

#include "projectdb/records/batch_insert.h"
#include "projectdb/records/record_common.h"
#include "qe/projectdb/schema.h"
#include "qe/sqlite/insert.h"
#include "qe/sqlite/null_values.h"
#include "qe/sqlite/update_delete.h"

namespace {

const SQeSqliteTableDef& Table() { return g_QeProjectDbTable_frameprop; }

}  // namespace

int QeProjectDb_Frameprop_Insert(uint32_t h, int64_t jobrunKey, int64_t assayrunKey,
                                 int64_t propdefKey, int frameIndex, double value,
                                 int64_t* outKey) {
  return qe::projectdb::InsertOne(
      qe::projectdb::DbOf(h), Table(),
      std::array<CQeSqliteValue, 5>{jobrunKey, assayrunKey, propdefKey, frameIndex, value}, outKey);
}

int QeProjectDb_Frameprop_InsertMany(uint32_t h, std::vector<SQeProjectDbRow_frameprop>& rows) {
  const CQeSqliteNullValueVector nulls =
      QeSqliteNullValueVector_Create(Table(), 1, L"iAssayrunKeyRef", 0);
  return qe::projectdb::BatchInsert(
      qe::projectdb::DbOf(h), Table(), rows,
      [](const SQeProjectDbRow_frameprop& row) {
        return std::array<CQeSqliteValue, 5>{row.iJobrunKeyRef, row.iAssayrunKeyRef,
                                             row.iPropdefKeyRef, row.iFrameIndex, row.dValue};
      },
      &nulls);
}

int QeProjectDb_Frameprop_QuantityRemoveMany(uint32_t h,
                                             const std::vector<SQeProjectDbRow_frameprop>& rows) {
  CQeSqliteDelete remove(qe::projectdb::DbOf(h), Table(),
                         {L"iJobrunKeyRef", L"iPropdefKeyRef", L"iFrameIndex"});
  for (const SQeProjectDbRow_frameprop& row : rows) {
    remove.Row({row.iJobrunKeyRef, row.iPropdefKeyRef, row.iFrameIndex});
  }
  return remove.Result();
}
