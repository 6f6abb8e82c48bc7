// Slide definitions.
#include "qe/projectdb/records/labware_slide.h"

#include <array>

#include "projectdb/records/batch_insert.h"
#include "projectdb/records/labware_records.h"
#include "qe/projectdb/records/labware_plate.h"
#include "qe/projectdb/schema.h"
#include "qe/sqlite/sql_text.h"

namespace {

using namespace qe::projectdb;
using namespace qe::projectdb::labware;

const SQeSqliteTableDef& kTable = g_QeProjectDbTable_slidedef;

// In the table's column order, which differs from the record's.
std::array<CQeSqliteOut, 13> OutputsOf(SQeProjectDbRow_slidedef& row) {
  return {&row.iKey,     &row.wszUuid,       &row.stickerL,     &row.stickerT,   &row.stickerR,
          &row.stickerB, &row.layoutelement, &row.surroundarea, &row.wszCompany, &row.wszType,
          &row.wszModel, &row.iUserImported, &row.iRemoved};
}

std::array<CQeSqliteValue, 12> ValuesOf(const SQeProjectDbRow_slidedef& row) {
  return {row.wszUuid,  row.stickerL,      row.stickerT,      row.stickerR,
          row.stickerB, row.layoutelement, row.surroundarea,  row.wszCompany,
          row.wszType,  row.wszModel,      row.iUserImported, row.iRemoved};
}

auto Outputs() {
  return [](SQeProjectDbRow_slidedef& r) { return OutputsOf(r); };
}

int InsertRows(sqlite3* db, std::list<SQeProjectDbRow_slidedef>& rows) {
  return BatchInsert(db, kTable, rows,
                     [](const SQeProjectDbRow_slidedef& row) { return ValuesOf(row); });
}

}  // namespace

int QeProjectDb_Slidedef_GetOne(uint32_t h, int64_t key, SQeProjectDbRow_slidedef& row) {
  return SelectFirst(DbOf(h), kTable,
                     QeSqlite_FormatSql(L"%s.%s=%I64d", kTable.wszName, L"iKey", key), row,
                     Outputs());
}

int QeProjectDb_Slidedef_GetOne(uint32_t h, const CQeStringW& uuid, SQeProjectDbRow_slidedef& row) {
  return SelectFirst(DbOf(h), kTable, TextCondition(kTable, L"wszUuid", uuid), row, Outputs());
}

int QeProjectDb_Slidedef_GetOneByName(uint32_t h, const CQeStringW& company,
                                      SQeProjectDbRow_slidedef& row, bool& found,
                                      bool onlyPresent) {
  CQeStringW where = TextCondition(kTable, L"wszCompany", company);
  if (onlyPresent) where += QeSqlite_FormatSql(L" AND %s.%s=0", kTable.wszName, L"iRemoved");
  where += L" LIMIT 1";
  return SelectFirst(DbOf(h), kTable, where, row, Outputs(), &found);
}

int QeProjectDb_Slidedef_GetAll(uint32_t h, std::list<SQeProjectDbRow_slidedef>& rows) {
  CQeSqliteSelect select(DbOf(h), kTable);
  return AppendRows(select, rows, Outputs());
}

int QeProjectDb_Slidedef_Remove(uint32_t h, const CQeStringW& uuid) {
  return ExecuteStatement(
      DbOf(h), QeSqlite_FormatSql(L"UPDATE %s SET %s=1 WHERE %s='%s'", kTable.wszName, L"iRemoved",
                                  L"wszUuid", QeSqlite_EscapeText(uuid)));
}

int QeProjectDb_Slidedef_Delete(uint32_t h, const std::vector<int64_t>& keys) {
  return DeleteKeys(DbOf(h), kTable, keys);
}

int QeProjectDb_Slidedef_InsertMany(uint32_t h, std::list<SQeProjectDbRow_slidedef>& rows) {
  return InsertRows(DbOf(h), rows);
}

int QeProjectDb_Slidedef_Upgrade(uint32_t h, std::list<SQeProjectDbRow_slidedef>& rows,
                                 const std::vector<int64_t>& deleteKeys, int64_t version) {
  sqlite3* db = DbOf(h);
  return ReplaceInTransaction(
      db, kTable, deleteKeys, [&] { return InsertRows(db, rows); }, kQeCatalogueVersionSlide,
      version);
}
