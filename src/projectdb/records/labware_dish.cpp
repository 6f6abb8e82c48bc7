// Dishes: the joined view of name rows and configurations, and the two
// tables.
#include "qe/projectdb/records/labware_dish.h"

#include <array>

#include "projectdb/records/batch_insert.h"
#include "projectdb/records/labware_records.h"
#include "qe/projectdb/records/labware_plate.h"
#include "qe/projectdb/schema.h"
#include "qe/sqlite/sql_text.h"

namespace {

using namespace qe::projectdb;
using namespace qe::projectdb::labware;

const SQeSqliteTableDef& kNames = g_QeProjectDbTable_dishname;
const SQeSqliteTableDef& kConfigs = g_QeProjectDbTable_dishconfiguration;

// The view statement followed by where (" WHERE ..." or empty).
CQeStringW ViewSql(const CQeStringW& where) {
  const wchar_t* n = kNames.wszName;
  const wchar_t* c = kConfigs.wszName;
  CQeStringW sql = QeSqlite_FormatSql(
      L"SELECT %s.%s,%s.%s,%s.%s,%s.%s,%s.%s,%s.%s,%s.%s,%s.%s,%s.%s,%s.%s,%s.%s,%s.%s,%s.%s "
      L"FROM %s INNER JOIN %s ON %s.%s=%s.%s",
      n, L"iKey", n, L"wszUuid", n, L"wszCompany", n, L"wszType", n, L"wszModel", c, L"stickerL", c,
      L"stickerT", c, L"stickerR", c, L"stickerB", n, L"iUserImported", c, L"layoutelement", c,
      L"surroundarea", n, L"iRemoved", n, c, n, L"iDishKeyRef", c, L"iKey");
  sql += where;
  return sql;
}

void ReadRow(const CQeSqliteCmd& cmd, SQeProjectDbRow_dishdef& row) {
  cmd.Column(0, row.iKey);
  cmd.Column(1, row.wszUuid);
  cmd.Column(2, row.wszCompany);
  cmd.Column(3, row.wszType);
  cmd.Column(4, row.wszModel);
  cmd.Column(5, row.stickerL);
  cmd.Column(6, row.stickerT);
  cmd.Column(7, row.stickerR);
  cmd.Column(8, row.stickerB);
  cmd.Column(9, row.iUserImported);
  cmd.Column(10, row.layoutelement);
  cmd.Column(11, row.surroundarea);
  cmd.Column(12, row.iRemoved);
}

int ReadOne(uint32_t h, const CQeStringW& where, SQeProjectDbRow_dishdef& row, bool* found) {
  CQeSqliteCmd cmd(DbOf(h), ViewSql(where));
  const bool got = cmd.Next();
  if (got) ReadRow(cmd, row);
  if (found) *found = got;
  return cmd.Result();
}

CQeStringW WhereUuid(const CQeStringW& uuid) {
  return QeSqlite_FormatSql(L" WHERE %s.%s='%s' LIMIT 1", kNames.wszName, L"wszUuid",
                            QeSqlite_EscapeText(uuid));
}

std::array<CQeSqliteValue, 7> ValuesOf(const SQeProjectDbRow_dishname& row) {
  return {row.wszUuid,  row.iDishKeyRef,   row.wszCompany, row.wszType,
          row.wszModel, row.iUserImported, row.iRemoved};
}

std::array<CQeSqliteOut, 8> OutputsOf(SQeProjectDbRow_dishconfiguration& row) {
  return {&row.iKey,     &row.wszUuid,  &row.stickerL,      &row.stickerT,
          &row.stickerR, &row.stickerB, &row.layoutelement, &row.surroundarea};
}

std::array<CQeSqliteValue, 7> ValuesOf(const SQeProjectDbRow_dishconfiguration& row) {
  return {row.wszUuid,  row.stickerL,      row.stickerT,    row.stickerR,
          row.stickerB, row.layoutelement, row.surroundarea};
}

int InsertNames(sqlite3* db, std::list<SQeProjectDbRow_dishname>& rows) {
  return BatchInsert(db, kNames, rows,
                     [](const SQeProjectDbRow_dishname& row) { return ValuesOf(row); });
}

int InsertConfigs(sqlite3* db, std::list<SQeProjectDbRow_dishconfiguration>& rows) {
  return BatchInsert(db, kConfigs, rows,
                     [](const SQeProjectDbRow_dishconfiguration& row) { return ValuesOf(row); });
}

}  // namespace

int QeProjectDb_Dishdef_GetAll(uint32_t h, std::list<SQeProjectDbRow_dishdef>& rows) {
  CQeSqliteCmd cmd(DbOf(h), ViewSql(CQeStringW()));
  while (cmd.Next()) {
    SQeProjectDbRow_dishdef row;
    ReadRow(cmd, row);
    rows.push_back(std::move(row));
  }
  return cmd.Result();
}

int QeProjectDb_Dishdef_GetOne(uint32_t h, int64_t key, SQeProjectDbRow_dishdef& row) {
  return ReadOne(h, QeSqlite_FormatSql(L" WHERE %s.%s=%I64d LIMIT 1", kNames.wszName, L"iKey", key),
                 row, nullptr);
}

int QeProjectDb_Dishdef_GetOne(uint32_t h, const CQeStringW& uuid, SQeProjectDbRow_dishdef& row,
                               bool& found) {
  return ReadOne(h, WhereUuid(uuid), row, &found);
}

int QeProjectDb_Dishdef_GetOne(uint32_t h, const CQeStringW& uuid, SQeProjectDbRow_dishdef& row) {
  return ReadOne(h, WhereUuid(uuid), row, nullptr);
}

int QeProjectDb_Dishdef_FindCustom(uint32_t h, const CQeStringW& model,
                                   SQeProjectDbRow_dishdef& row, bool& found) {
  const wchar_t* n = kNames.wszName;
  return ReadOne(h,
                 QeSqlite_FormatSql(L" WHERE %s.%s='%s' AND %s.%s='%s' AND %s.%s=0 LIMIT 1", n,
                                    L"wszModel", QeSqlite_EscapeText(model), n, L"wszCompany",
                                    kQeCustomDishesCompany, n, L"iRemoved"),
                 row, &found);
}

int QeProjectDb_Dishconfig_GetOne(uint32_t h, const CQeStringW& uuid,
                                  SQeProjectDbRow_dishconfiguration& row) {
  return SelectFirst(DbOf(h), kConfigs, TextCondition(kConfigs, L"wszUuid", uuid), row,
                     [](SQeProjectDbRow_dishconfiguration& r) { return OutputsOf(r); });
}

int QeProjectDb_Dishname_RemoveCustom(uint32_t h, const CQeStringW& uuid) {
  return SetCustomRemoved(DbOf(h), kNames, uuid, kQeCustomDishesCompany, 1);
}

int QeProjectDb_Dishname_UnremoveCustom(uint32_t h, const CQeStringW& uuid) {
  return SetCustomRemoved(DbOf(h), kNames, uuid, kQeCustomDishesCompany, 0);
}

int QeProjectDb_Dishname_Delete(uint32_t h, const std::vector<int64_t>& keys) {
  return DeleteKeys(DbOf(h), kNames, keys);
}

int QeProjectDb_Dishconfig_Delete(uint32_t h, const std::vector<int64_t>& keys) {
  return DeleteKeys(DbOf(h), kConfigs, keys);
}

int QeProjectDb_Dishname_InsertMany(uint32_t h, std::list<SQeProjectDbRow_dishname>& rows) {
  return InsertNames(DbOf(h), rows);
}

int QeProjectDb_Dishconfig_InsertMany(uint32_t h,
                                      std::list<SQeProjectDbRow_dishconfiguration>& rows) {
  return InsertConfigs(DbOf(h), rows);
}

int QeProjectDb_Dishname_Upgrade(uint32_t h, std::list<SQeProjectDbRow_dishname>& rows,
                                 const std::vector<int64_t>& deleteKeys, int64_t version) {
  sqlite3* db = DbOf(h);
  return ReplaceInTransaction(
      db, kNames, deleteKeys, [&] { return InsertNames(db, rows); }, kQeCatalogueVersionDish,
      version);
}

int QeProjectDb_Dishconfig_Upgrade(uint32_t h, std::list<SQeProjectDbRow_dishconfiguration>& rows,
                                   const std::vector<int64_t>& deleteKeys, int64_t version) {
  sqlite3* db = DbOf(h);
  return ReplaceInTransaction(
      db, kConfigs, deleteKeys, [&] { return InsertConfigs(db, rows); }, kQeCatalogueVersionDish,
      version);
}
