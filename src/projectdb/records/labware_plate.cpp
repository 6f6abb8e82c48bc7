// The plate tables: name rows and configurations, custom removal and
// replacement, deletes, inserts and the catalogue replacement.
#include "qe/projectdb/records/labware_plate.h"

#include <array>

#include "projectdb/records/batch_insert.h"
#include "projectdb/records/labware_records.h"
#include "qe/projectdb/schema.h"
#include "qe/sqlite/insert.h"
#include "qe/sqlite/null_values.h"
#include "qe/sqlite/sql_text.h"
#include "qe/sqlite/update_delete.h"

namespace {

using namespace qe::projectdb;
using namespace qe::projectdb::labware;

const SQeSqliteTableDef& kNames = g_QeProjectDbTable_wellplatename;
const SQeSqliteTableDef& kConfigs = g_QeProjectDbTable_wellplateconfiguration;

std::array<CQeSqliteOut, 9> OutputsOf(SQeProjectDbRow_wellplatename& row) {
  return {&row.iKey,          &row.wszUuid,  &row.iWellplateconfigKeyRef,
          &row.wszCompany,    &row.wszType,  &row.wszModel,
          &row.iUserImported, &row.iRemoved, &row.iWellplatenameKeyRef};
}

std::array<CQeSqliteValue, 8> ValuesOf(const SQeProjectDbRow_wellplatename& row) {
  return {row.wszUuid,  row.iWellplateconfigKeyRef, row.wszCompany, row.wszType,
          row.wszModel, row.iUserImported,          row.iRemoved,   row.iWellplatenameKeyRef};
}

std::array<CQeSqliteOut, 7> OutputsOf(SQeProjectDbRow_wellplateconfiguration& row) {
  return {&row.iKey,       &row.wszUuid,    &row.iRowCount, &row.iColCount,
          &row.iRowNaming, &row.iColNaming, &row.pData};
}

std::array<CQeSqliteValue, 6> ValuesOf(const SQeProjectDbRow_wellplateconfiguration& row) {
  return {row.wszUuid, row.iRowCount, row.iColCount, row.iRowNaming, row.iColNaming, row.pData};
}

int InsertNames(sqlite3* db, std::list<SQeProjectDbRow_wellplatename>& rows) {
  const CQeSqliteNullValueVector nulls =
      QeSqliteNullValueVector_Create(kNames, {{L"iWellplatenameKeyRef", 0}});
  CQeSqliteInsert insert(db, kNames);
  for (SQeProjectDbRow_wellplatename& row : rows) {
    const auto values = ValuesOf(row);
    row.iKey = insert.Row(std::span<const CQeSqliteValue>(values.data(), values.size()), &nulls);
  }
  return insert.Result();
}

int InsertConfigs(sqlite3* db, std::list<SQeProjectDbRow_wellplateconfiguration>& rows) {
  return BatchInsert(db, kConfigs, rows, [](const SQeProjectDbRow_wellplateconfiguration& row) {
    return ValuesOf(row);
  });
}

}  // namespace

int QeProjectDb_Wellplatename_GetOne(uint32_t h, const CQeStringW& uuid,
                                     SQeProjectDbRow_wellplatename& row) {
  return SelectFirst(DbOf(h), kNames, TextCondition(kNames, L"wszUuid", uuid), row,
                     [](SQeProjectDbRow_wellplatename& r) { return OutputsOf(r); });
}

int QeProjectDb_Wellplateconfig_GetOne(uint32_t h, const CQeStringW& uuid,
                                       SQeProjectDbRow_wellplateconfiguration& row) {
  return SelectFirst(DbOf(h), kConfigs, TextCondition(kConfigs, L"wszUuid", uuid), row,
                     [](SQeProjectDbRow_wellplateconfiguration& r) { return OutputsOf(r); });
}

int QeProjectDb_Wellplateconfig_GetOne(uint32_t h, int64_t key,
                                       SQeProjectDbRow_wellplateconfiguration& row) {
  return SelectFirst(DbOf(h), kConfigs,
                     QeSqlite_FormatSql(L"%s.%s=%I64d", kConfigs.wszName, L"iKey", key), row,
                     [](SQeProjectDbRow_wellplateconfiguration& r) { return OutputsOf(r); });
}

int QeProjectDb_Wellplateconfig_Update(uint32_t h,
                                       const SQeProjectDbRow_wellplateconfiguration& row) {
  CQeSqliteUpdate update(DbOf(h), kConfigs,
                         {L"iRowCount", L"iColCount", L"iRowNaming", L"iColNaming", L"pData"});
  return update.Row(row.iKey,
                    {row.iRowCount, row.iColCount, row.iRowNaming, row.iColNaming, row.pData});
}

int QeProjectDb_Wellplatename_RemoveCustom(uint32_t h, const CQeStringW& uuid) {
  return SetCustomRemoved(DbOf(h), kNames, uuid, kQeCustomWellplatesCompany, 1);
}

int QeProjectDb_Wellplatename_UnremoveCustom(uint32_t h, const CQeStringW& uuid) {
  return SetCustomRemoved(DbOf(h), kNames, uuid, kQeCustomWellplatesCompany, 0);
}

int QeProjectDb_Wellplatename_ReplaceCustom(uint32_t h, const CQeStringW& uuid,
                                            int64_t replacedByKey) {
  return ExecuteStatement(
      DbOf(h),
      QeSqlite_FormatSql(L"UPDATE %s SET %s=1,%s=%I64d WHERE %s='%s' AND %s='%s'", kNames.wszName,
                         L"iRemoved", L"iWellplatenameKeyRef", replacedByKey, L"wszUuid",
                         QeSqlite_EscapeText(uuid), L"wszCompany", kQeCustomWellplatesCompany));
}

int QeProjectDb_Wellplatename_Delete(uint32_t h, const std::vector<int64_t>& keys) {
  return DeleteKeys(DbOf(h), kNames, keys);
}

int QeProjectDb_Wellplateconfig_Delete(uint32_t h, const std::vector<int64_t>& keys) {
  return DeleteKeys(DbOf(h), kConfigs, keys);
}

int QeProjectDb_Wellplatename_InsertMany(uint32_t h,
                                         std::list<SQeProjectDbRow_wellplatename>& rows) {
  return InsertNames(DbOf(h), rows);
}

int QeProjectDb_Wellplateconfig_InsertMany(
    uint32_t h, std::list<SQeProjectDbRow_wellplateconfiguration>& rows) {
  return InsertConfigs(DbOf(h), rows);
}

int QeProjectDb_Wellplatename_Upgrade(uint32_t h, std::list<SQeProjectDbRow_wellplatename>& rows,
                                      const std::vector<int64_t>& deleteKeys, int64_t version) {
  sqlite3* db = DbOf(h);
  return ReplaceInTransaction(
      db, kNames, deleteKeys, [&] { return InsertNames(db, rows); }, kQeCatalogueVersionPlate,
      version);
}

int QeProjectDb_Wellplateconfig_Upgrade(uint32_t h,
                                        std::list<SQeProjectDbRow_wellplateconfiguration>& rows,
                                        const std::vector<int64_t>& deleteKeys, int64_t version) {
  sqlite3* db = DbOf(h);
  return ReplaceInTransaction(
      db, kConfigs, deleteKeys, [&] { return InsertConfigs(db, rows); }, kQeCatalogueVersionPlate,
      version);
}
