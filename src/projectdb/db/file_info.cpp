// Inspecting a project database file without keeping it open.
#include "projectdb/db/db_internal.h"
#include "qe/core/files.h"
#include "qe/core/status.h"
#include "qe/projectdb/db.h"
#include "qe/projectdb/schema.h"
#include "qe/projectdb/sys.h"
#include "qe/sqlite/connection.h"
#include "qe/sqlite/sql_text.h"

using namespace qe::projectdb;

int QeProjectDb_Db_GetInfo(const CQeStringW& path, SQeProjectDbFileInfo* pInfo) {
  if (path.IsEmpty()) return eQeNoPathOrTooNew;
  if (qe::IsReadOnlyFile(qe::ToFsPath(path))) return eQeUnusableFile;
  SQeProjectDbFileInfo scratch;
  SQeProjectDbFileInfo& info = pInfo ? *pInfo : scratch;

  info.wszPath = path;
  sqlite3* db = nullptr;
  int code = 0;
  info.iOpenResult = QeSqlite_OpenEncrypted(path, &db, eQeSqliteOpenReadOnly, 0, nullptr, &code);
  if (info.iOpenResult != 0) return info.iOpenResult;

  int result = 0;
  info.bNetworkPath = QeProjectDb_Sys_IsNetworkPath(path);
  int journalCode = 0;
  info.wszJournalMode = QeSqlite_ReadOneStringW(db, L"PRAGMA journal_mode;", &journalCode);
  if (info.wszJournalMode.IsEmpty() && journalCode != 0) result = eQeUnusableFile;
  // A damaged file may still report its journal mode from its header.
  if (CheckSchemaReadable(db) != 0) result = eQeUnusableFile;
  // WAL needs shared memory that network file systems do not provide
  // reliably; such a file must be switched back on a local drive first.
  if (info.bNetworkPath && info.wszJournalMode.CompareNoCase(L"wal") == 0) {
    result = eQeUnusableFile;
  }

  info.wszJournalModeOption = ReadOptionStr(db, L"journal_mode", nullptr);
  info.wszSynchronousOption = ReadOptionStr(db, L"synchronous", nullptr);
  info.iFolderFormat = ReadOptionInt32(db, L"folderformat", nullptr);

  const wchar_t* kVersionSql = L"SELECT %s FROM %s WHERE %s='%s';";
  info.iVersion = QeSqlite_ReadOneInt64(
      db, QeSqlite_FormatSql(kVersionSql, L"iVersion", L"vesion", L"wszName", L"main"),
      &info.iVersionResult);
  if (info.iVersion > kQeProjectDbSchemaVersion) result = eQeNoPathOrTooNew;
  info.iPlateVersion = QeSqlite_ReadOneInt64(
      db, QeSqlite_FormatSql(kVersionSql, L"iVersion", L"vesion", L"wszName", L"plate"),
      &info.iPlateVersionResult);

  QeSqlite_Close(db);
  return result;
}
