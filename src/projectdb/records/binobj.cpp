#include "qe/projectdb/records/binobj.h"

#include <array>

#include "projectdb/records/batch_insert.h"
#include "projectdb/records/record_common.h"
#include "qe/projectdb/schema.h"
#include "qe/sqlite/null_values.h"

int QeProjectDb_Binobj_InsertMany(uint32_t h, std::vector<SQeProjectDbRow_binobj>& rows) {
  const SQeSqliteTableDef& table = g_QeProjectDbTable_binobj;
  const CQeSqliteNullValueVector nulls =
      QeSqliteNullValueVector_Create(table, 1, L"iTraceKeyRef", 0);
  return qe::projectdb::BatchInsert(
      qe::projectdb::DbOf(h), table, rows,
      [](const SQeProjectDbRow_binobj& row) {
        return std::array<CQeSqliteValue, 8>{row.iBinframeKeyRef, row.iTraceKeyRef, row.iBinObjId,
                                             row.iBBoxL,          row.iBBoxT,       row.iBBoxR,
                                             row.iBBoxB,          row.iPixelCount};
      },
      &nulls);
}

int QeProjectDb_Binobjprop_InsertMany(uint32_t h, std::vector<SQeProjectDbRow_binobjprop>& rows) {
  return qe::projectdb::BatchInsert(qe::projectdb::DbOf(h), g_QeProjectDbTable_binobjprop, rows,
                                    [](const SQeProjectDbRow_binobjprop& row) {
                                      return std::array<CQeSqliteValue, 5>{
                                          row.iBinobjKeyRef, row.iPropdefKeyRef, row.iJobrunKeyRef,
                                          row.iFrameIndex, row.dValue};
                                    });
}
