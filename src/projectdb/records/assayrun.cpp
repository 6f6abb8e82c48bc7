#include "qe/projectdb/records/assayrun.h"

#include <array>

#include "projectdb/records/record_common.h"
#include "qe/projectdb/schema.h"
#include "qe/sqlite/insert.h"
#include "qe/sqlite/select.h"
#include "qe/sqlite/sql_text.h"
#include "qe/sqlite/update_delete.h"

namespace {

const SQeSqliteTableDef& Table() { return g_QeProjectDbTable_assayrun; }

}  // namespace

int QeProjectDb_Assayrun_Insert(uint32_t h, int64_t jobrunKey, int64_t jobtaskKey,
                                int64_t capturedDataKey, const CQeStringW& uuid,
                                const CQeStringW& name, double ctime, int64_t* outKey) {
  return qe::projectdb::InsertOne(
      qe::projectdb::DbOf(h), Table(),
      std::array<CQeSqliteValue, 6>{jobrunKey, jobtaskKey, capturedDataKey, uuid, name, ctime},
      outKey);
}

int QeProjectDb_Assayrun_GetOne(uint32_t h, int64_t key, SQeProjectDbRow_assayrun& row) {
  CQeSqliteSelect select(qe::projectdb::DbOf(h), Table(),
                         QeSqlite_FormatSql(L"%s=%I64d", L"iKey", key));
  return qe::projectdb::records::ReadOne(
      select, std::array<CQeSqliteOut, 7>{&row.iKey, &row.iJobrunKeyRef, &row.iJobtaskKeyRef,
                                          &row.iCapturedDataKeyRef, &row.wszUuid, &row.wszName,
                                          &row.dCTime});
}

int QeProjectDb_Assayrun_Delete(uint32_t h, int64_t key) {
  CQeSqliteDelete remove(qe::projectdb::DbOf(h), Table());
  return remove.Row(key);
}
