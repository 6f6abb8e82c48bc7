#include "qe/projectdb/records/binframe.h"

#include <array>

#include "projectdb/records/batch_insert.h"
#include "projectdb/records/record_common.h"
#include "qe/projectdb/schema.h"

int QeProjectDb_Binframe_InsertMany(uint32_t h, std::vector<SQeProjectDbRow_binframe>& rows) {
  return qe::projectdb::BatchInsert(qe::projectdb::DbOf(h), g_QeProjectDbTable_binframe, rows,
                                    [](const SQeProjectDbRow_binframe& row) {
                                      return std::array<CQeSqliteValue, 4>{
                                          row.iJobrunKeyRef, row.iBinlayerKeyRef, row.iFrameIndex,
                                          row.iCount};
                                    });
}
