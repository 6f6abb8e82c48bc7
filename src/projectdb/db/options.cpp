// The typed options of the settings table.
#include "projectdb/db/db_internal.h"
#include "qe/core/status.h"
#include "qe/projectdb/connection.h"
#include "qe/projectdb/db.h"
#include "qe/sqlite/connection.h"
#include "qe/sqlite/sql_text.h"

using namespace qe::projectdb;

CQeStringW QeProjectDb_Db_GetOptStr(uint32_t handle, const CQeStringW& name) {
  return ReadOptionStr(CQeProjectDbConnectionManager::GetConnection(handle), name, nullptr);
}

int QeProjectDb_Db_GetOptInt32(uint32_t handle, const CQeStringW& name) {
  return ReadOptionInt32(CQeProjectDbConnectionManager::GetConnection(handle), name, nullptr);
}

int QeProjectDb_Db_SetOptStr(uint32_t handle, const CQeStringW& name, const CQeStringW& value) {
  const CQeProjectDbConnection db = CQeProjectDbConnectionManager::GetConnection(handle);
  int applied;
  if (name.CompareNoCase(L"journal_mode") == 0) {
    applied = ExecutePragma(db, L"PRAGMA journal_mode=%s;", value);
  } else if (name.CompareNoCase(L"synchronous") == 0) {
    applied = ExecutePragma(db, L"PRAGMA synchronous=%s;", value);
  } else {
    return eQeNotFound;
  }
  if (applied != 0) return applied;
  // The row keeps the name as the caller spelled it; connecting looks the
  // option up by its exact name.
  QeSqlite_Execute(
      db,
      QeSqlite_FormatSql(L"INSERT OR REPLACE INTO %s (%s, %s, %s) VALUES ('%s', '%s', '%s');",
                         L"settings", L"wszName", L"wszType", L"varValue",
                         QeSqlite_EscapeText(name), L"stringw", QeSqlite_EscapeText(value)),
      nullptr, false);
  return eQeOk;
}

int QeProjectDb_Db_SetOptInt32(uint32_t handle, const CQeStringW& name, int value) {
  if (name.CompareNoCase(L"folderformat") != 0) return eQeNotFound;
  QeSqlite_Execute(
      CQeProjectDbConnectionManager::GetConnection(handle),
      QeSqlite_FormatSql(L"INSERT OR REPLACE INTO %s (%s, %s, %s) VALUES ('%s', '%s', %d);",
                         L"settings", L"wszName", L"wszType", L"varValue",
                         QeSqlite_EscapeText(name), L"int32", value),
      nullptr, false);
  return eQeOk;
}
