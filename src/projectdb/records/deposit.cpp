#include "qe/projectdb/records/deposit.h"

#include <array>

#include "projectdb/records/record_common.h"
#include "qe/projectdb/schema.h"
#include "qe/sqlite/insert.h"
#include "qe/sqlite/select.h"
#include "qe/sqlite/sql_text.h"
#include "qe/sqlite/update_delete.h"

namespace {

const SQeSqliteTableDef& Table() { return g_QeProjectDbTable_deposit; }

}  // namespace

int QeProjectDb_Deposit_Insert(uint32_t h, int64_t jobdefKey, double ctime, double mtime,
                               const CQeStringW& uuid, int dataSize, const void* data,
                               int64_t* outKey) {
  return qe::projectdb::InsertOne(
      qe::projectdb::DbOf(h), Table(),
      std::array<CQeSqliteValue, 5>{jobdefKey, ctime, mtime, uuid,
                                    CQeSqliteValue::Blob(data, data ? dataSize : 0)},
      outKey);
}

int QeProjectDb_Deposit_Update(uint32_t h, int64_t key, int64_t jobdefKey, double ctime,
                               double mtime, const CQeStringW& uuid, const CQeByteArray& data) {
  CQeSqliteUpdate update(qe::projectdb::DbOf(h), Table(),
                         {L"iJobdefKeyRef", L"dCTime", L"dMTime", L"wszUuid", L"pData"});
  return update.Row(key, {jobdefKey, ctime, mtime, uuid, data});
}

int QeProjectDb_Deposit_GetMany(uint32_t h, int64_t jobdefKey,
                                std::list<SQeProjectDbRow_deposit>& rows) {
  CQeSqliteSelect select(
      qe::projectdb::DbOf(h), Table(),
      QeSqlite_FormatSql(L"%s.%s=%I64d", Table().wszName, L"iJobdefKeyRef", jobdefKey));
  return qe::projectdb::records::AppendRows(select, rows, [](SQeProjectDbRow_deposit& row) {
    return std::array<CQeSqliteOut, 6>{&row.iKey,   &row.iJobdefKeyRef, &row.dCTime,
                                       &row.dMTime, &row.wszUuid,       &row.pData};
  });
}
