#include "qe/projectdb/records/jobrunpropstat.h"

#include <array>

#include "projectdb/records/record_common.h"
#include "qe/projectdb/schema.h"
#include "qe/sqlite/insert.h"
#include "qe/sqlite/select.h"
#include "qe/sqlite/sql_text.h"

namespace {

const SQeSqliteTableDef& Table() { return g_QeProjectDbTable_jobrunpropstat; }

std::array<CQeSqliteOut, 10> Outputs(SQeProjectDbRow_jobrunpropstat& row) {
  return {&row.iKey,           &row.iJobrunKeyRef, &row.iPropdefKeyRef, &row.iCount,
          &row.iDistinctCount, &row.dStatMin,      &row.dStatMax,       &row.dStatSum,
          &row.dStatSqSum,     &row.dStatDecSum};
}

}  // namespace

int QeProjectDb_Jobrunpropstat_InsertOrReplace(uint32_t h, SQeProjectDbRow_jobrunpropstat& row,
                                               int64_t* outKey) {
  CQeSqliteInsert insert(qe::projectdb::DbOf(h), Table(), CQeStringW(L"OR REPLACE"));
  row.iKey =
      insert.Row({row.iJobrunKeyRef, row.iPropdefKeyRef, row.iCount, row.iDistinctCount,
                  row.dStatMin, row.dStatMax, row.dStatSum, row.dStatSqSum, row.dStatDecSum});
  const int status = insert.Result();
  if (outKey) *outKey = status == 0 ? row.iKey : 0;
  return status;
}

int QeProjectDb_Jobrunpropstat_GetOne(uint32_t h, int64_t jobrunKey, int64_t propdefKey,
                                      SQeProjectDbRow_jobrunpropstat& row) {
  CQeSqliteSelect select(qe::projectdb::DbOf(h), Table(),
                         QeSqlite_FormatSql(L"%s=%I64d AND %s=%I64d", L"iJobrunKeyRef", jobrunKey,
                                            L"iPropdefKeyRef", propdefKey));
  return qe::projectdb::records::ReadOneOrNotFound(select, Outputs(row));
}
