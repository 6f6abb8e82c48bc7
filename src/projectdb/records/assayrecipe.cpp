#include "qe/projectdb/records/assayrecipe.h"

#include <array>

#include "projectdb/records/record_common.h"
#include "qe/projectdb/schema.h"
#include "qe/sqlite/insert.h"
#include "qe/sqlite/select.h"
#include "qe/sqlite/sql_text.h"
#include "qe/sqlite/update_delete.h"

namespace {

using qe::projectdb::DbOf;

const SQeSqliteTableDef& Table() { return g_QeProjectDbTable_assayrecipe; }

std::array<CQeSqliteOut, 7> Outputs(SQeProjectDbRow_assayrecipe& row) {
  return {&row.iKey,   &row.wszUniqueName, &row.wszDesc, &row.wszModule,
          &row.dCTime, &row.dMTime,        &row.pData};
}

}  // namespace

int QeProjectDb_Assayrecipe_Insert(uint32_t h, const CQeStringW& uniqueName, const CQeStringW& desc,
                                   const CQeStringW& module, double ctime, double mtime,
                                   int dataSize, const void* data, int64_t* outKey) {
  return qe::projectdb::InsertOne(
      DbOf(h), Table(),
      std::array<CQeSqliteValue, 6>{uniqueName, desc, module, ctime, mtime,
                                    CQeSqliteValue::Blob(data, data ? dataSize : 0)},
      outKey);
}

int QeProjectDb_Assayrecipe_Update(uint32_t h, int64_t key, const CQeStringW& uniqueName,
                                   const CQeStringW& desc, const CQeStringW& module, double mtime,
                                   const CQeByteArray& data) {
  CQeSqliteUpdate update(DbOf(h), Table(),
                         {L"wszUniqueName", L"wszDesc", L"wszModule", L"dMTime", L"pData"});
  return update.Row(key, {uniqueName, desc, module, mtime, data});
}

int64_t QeProjectDb_Assayrecipe_Find(uint32_t h, const CQeStringW& uniqueName) {
  int64_t key = 0;
  CQeSqliteSelect select(
      DbOf(h), Table(), CQeStringW(L"iKey"),
      QeSqlite_FormatSql(L"%s='%s'", L"wszUniqueName", QeSqlite_EscapeText(uniqueName)));
  select.Row({&key});
  return key;
}

int QeProjectDb_Assayrecipe_GetOne(uint32_t h, int64_t key, SQeProjectDbRow_assayrecipe& row) {
  CQeSqliteSelect select(DbOf(h), Table(), QeSqlite_FormatSql(L"%s=%I64d", L"iKey", key));
  return qe::projectdb::records::ReadOne(select, Outputs(row));
}

int QeProjectDb_Assayrecipe_GetAll(uint32_t h, std::list<SQeProjectDbRow_assayrecipe>& rows) {
  CQeSqliteSelect select(DbOf(h), Table());
  return qe::projectdb::records::AppendRows(select, rows, Outputs);
}

int QeProjectDb_Assayrecipe_GetAllNames(uint32_t h, std::vector<CQeStringW>& names) {
  CQeSqliteSelect select(DbOf(h), Table(), CQeStringW(L"wszUniqueName"), CQeStringW());
  return qe::projectdb::records::AppendRows(
      select, names, [](CQeStringW& name) { return std::array<CQeSqliteOut, 1>{&name}; });
}

int QeProjectDb_Assayrecipe_Delete(uint32_t h, int64_t key) {
  CQeSqliteDelete remove(DbOf(h), Table());
  return remove.Row(key);
}
