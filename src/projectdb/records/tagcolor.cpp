#include "qe/projectdb/records/tagcolor.h"

#include <array>

#include "projectdb/records/batch_insert.h"
#include "projectdb/records/record_common.h"
#include "qe/projectdb/schema.h"
#include "qe/sqlite/connection.h"
#include "qe/sqlite/select.h"
#include "qe/sqlite/sql_text.h"

namespace {

const SQeSqliteTableDef& Table() { return g_QeProjectDbTable_tagcolor; }

std::array<CQeSqliteOut, 4> Outputs(SQeProjectDbRow_tagcolor& row) {
  return {&row.iKey, &row.iJobrunKeyRef, &row.iTagdefKeyRef, &row.iColor};
}

}  // namespace

int QeProjectDb_Tagcolor_InsertMany(uint32_t h, std::vector<SQeProjectDbRow_tagcolor>& rows) {
  return qe::projectdb::BatchInsert(
      qe::projectdb::DbOf(h), Table(), rows, [](const SQeProjectDbRow_tagcolor& row) {
        return std::array<CQeSqliteValue, 3>{row.iJobrunKeyRef, row.iTagdefKeyRef, row.iColor};
      });
}

int QeProjectDb_Tagcolor_GetMany(uint32_t h, int64_t jobrunKey,
                                 std::vector<SQeProjectDbRow_tagcolor>& rows) {
  CQeSqliteSelect select(
      qe::projectdb::DbOf(h), Table(),
      QeSqlite_FormatSql(L"%s.%s=%I64d", Table().wszName, L"iJobrunKeyRef", jobrunKey));
  return qe::projectdb::records::AppendRows(select, rows, Outputs);
}

int QeProjectDb_Tagcolor_GetLatestColor(uint32_t h, int64_t tagdefKey) {
  const wchar_t* t = Table().wszName;
  return static_cast<int>(QeSqlite_ReadOneInt64(
      qe::projectdb::DbOf(h),
      QeSqlite_FormatSql(L"SELECT %s.%s FROM %s WHERE %s.%s=%I64d ORDER BY %s.%s DESC LIMIT 1;", t,
                         L"iColor", t, t, L"iTagdefKeyRef", tagdefKey, t, L"iKey"),
      nullptr, 0));
}
