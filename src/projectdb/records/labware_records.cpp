// Shared pieces of the labware record functions and the catalogue versions.
#include "projectdb/records/labware_records.h"

#include "qe/projectdb/records/labware_plate.h"
#include "qe/projectdb/schema.h"
#include "qe/sqlite/connection.h"
#include "qe/sqlite/insert.h"
#include "qe/sqlite/sql_text.h"
#include "qe/sqlite/update_delete.h"

namespace qe::projectdb::labware {

CQeStringW TextCondition(const SQeSqliteTableDef& table, const wchar_t* column,
                         const CQeStringW& text) {
  return QeSqlite_FormatSql(L"%s.%s='%s'", table.wszName, column, QeSqlite_EscapeText(text));
}

int ExecuteStatement(sqlite3* db, const CQeStringW& sql) {
  CQeSqliteCmd cmd(db, sql);
  cmd.Execute();
  return cmd.Result();
}

int DeleteKeys(sqlite3* db, const SQeSqliteTableDef& table, const std::vector<int64_t>& keys) {
  if (keys.empty()) return 0;
  CQeSqliteDelete remove(db, table);
  for (const int64_t key : keys) {
    const int status = remove.Row(key);
    if (status != 0) return status;
  }
  return 0;
}

int StoreCatalogueVersion(sqlite3* db, const CQeStringW& name, int64_t version) {
  const SQeSqliteTableDef& table = g_QeProjectDbTable_vesion;
  int64_t key = 0;
  int64_t stored = 0;
  bool exists = false;
  {
    CQeSqliteSelect select(db, table, std::vector<CQeStringW>{L"iKey", L"iVersion"},
                           QeSqlite_FormatSql(L"%s='%s'", L"wszName", QeSqlite_EscapeText(name)));
    exists = select.Row({&key, &stored});
    if (select.Result() != 0) return select.Result();
  }
  if (exists) {
    if (stored == version) return 0;
    CQeSqliteUpdate update(db, table, {L"wszName", L"iVersion"});
    return update.Row(key, {name, static_cast<long long>(version)});
  }
  CQeSqliteInsert insert(db, table, std::vector<CQeStringW>{L"wszName", L"iVersion"});
  insert.Row({name, static_cast<long long>(version)});
  return insert.Result();
}

int ReplaceInTransaction(sqlite3* db, const SQeSqliteTableDef& table,
                         const std::vector<int64_t>& deleteKeys,
                         const std::function<int()>& insertRows, const wchar_t* versionName,
                         int64_t version) {
  if (QeSqlite_Execute(db, L"BEGIN TRANSACTION;", nullptr, false) != 0) return kStatusFailed;
  int status = DeleteKeys(db, table, deleteKeys);
  if (status == 0) status = insertRows();
  if (status == 0) status = StoreCatalogueVersion(db, versionName, version);
  if (status == 0) {
    const int committed = QeSqlite_Execute(db, L"COMMIT TRANSACTION;", nullptr, false);
    if (committed == 0) return 0;
    // A commit that failed on a busy database leaves the transaction open.
    QeSqlite_Execute(db, L"ROLLBACK TRANSACTION;", nullptr, false);
    return committed;
  }
  QeSqlite_Execute(db, L"ROLLBACK TRANSACTION;", nullptr, false);
  return kStatusFailed;
}

int SetCustomRemoved(sqlite3* db, const SQeSqliteTableDef& table, const CQeStringW& uuid,
                     const wchar_t* company, int removed) {
  return ExecuteStatement(
      db, QeSqlite_FormatSql(L"UPDATE %s SET %s=%d WHERE %s='%s' AND %s='%s'", table.wszName,
                             L"iRemoved", removed, L"wszUuid", QeSqlite_EscapeText(uuid),
                             L"wszCompany", company));
}

}  // namespace qe::projectdb::labware

int QeProjectDb_Labware_GetCatalogueVersion(uint32_t h, const CQeStringW& name, int64_t& version) {
  version = 0;
  CQeSqliteSelect select(qe::projectdb::DbOf(h), g_QeProjectDbTable_vesion, CQeStringW(L"iVersion"),
                         QeSqlite_FormatSql(L"%s='%s'", L"wszName", QeSqlite_EscapeText(name)));
  select.Row({&version});
  return select.Result();
}
