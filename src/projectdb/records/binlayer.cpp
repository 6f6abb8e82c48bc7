#include "qe/projectdb/records/binlayer.h"

#include <array>

#include "projectdb/records/batch_insert.h"
#include "projectdb/records/record_common.h"
#include "qe/projectdb/schema.h"
#include "qe/sqlite/insert.h"
#include "qe/sqlite/select.h"
#include "qe/sqlite/sql_text.h"

namespace {

const SQeSqliteTableDef& Table() { return g_QeProjectDbTable_binlayer; }

}  // namespace

int QeProjectDb_Binlayer_Insert(uint32_t h, int64_t jobrunKey, int64_t assayrunKey,
                                const CQeStringW& uuid, const CQeStringW& name,
                                const CQeStringW& compName, const CQeStringW& fileTag, int color,
                                int64_t* outKey) {
  return qe::projectdb::InsertOne(
      qe::projectdb::DbOf(h), Table(),
      std::array<CQeSqliteValue, 7>{jobrunKey, assayrunKey, uuid, name, compName, fileTag, color},
      outKey);
}

int QeProjectDb_Binlayer_InsertMany(uint32_t h, std::vector<SQeProjectDbRow_binlayer>& rows) {
  return qe::projectdb::BatchInsert(
      qe::projectdb::DbOf(h), Table(), rows, [](const SQeProjectDbRow_binlayer& row) {
        return std::array<CQeSqliteValue, 7>{row.iJobrunKeyRef, row.iAssayrunKeyRef, row.wszUuid,
                                             row.wszName,       row.wszCompName,     row.wszFileTag,
                                             row.iColor};
      });
}

int QeProjectDb_Binlayer_GetMany(uint32_t h, int64_t jobrunKey,
                                 std::vector<SQeProjectDbRow_binlayer>& rows) {
  CQeSqliteSelect select(
      qe::projectdb::DbOf(h), Table(),
      QeSqlite_FormatSql(L"%s.%s=%I64d", Table().wszName, L"iJobrunKeyRef", jobrunKey));
  return qe::projectdb::records::AppendRows(select, rows, [](SQeProjectDbRow_binlayer& row) {
    return std::array<CQeSqliteOut, 8>{&row.iKey,       &row.iJobrunKeyRef, &row.iAssayrunKeyRef,
                                       &row.wszUuid,    &row.wszName,       &row.wszCompName,
                                       &row.wszFileTag, &row.iColor};
  });
}
