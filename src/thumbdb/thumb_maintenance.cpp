// Connections for one call: clearing runs and frames, and backups.
#include "qe/core/status.h"
#include "qe/sqlite/backup.h"
#include "qe/sqlite/connection.h"
#include "qe/sqlite/sql_text.h"
#include "qe/thumbdb/project_thumb_db.h"
#include "qe/thumbdb/thumb_reader.h"
#include "thumbdb/thumb_names.h"

namespace {

using namespace qe::thumbdb;

constexpr int kBackupPagesPerStep = 1000;
constexpr int kBackupPauseMs = 250;

}  // namespace

sqlite3* CQeProjectThumbDb::DbOpenConnection() { return CQeProjectThumbReader::DbConnect(path_); }

void CQeProjectThumbDb::DbCloseConnection(sqlite3* db) { QeSqlite_Close(db); }

int CQeProjectThumbDb::ExecuteOnOwnConnection(const CQeStringW& sql) {
  sqlite3* db = DbOpenConnection();
  if (!db) return eQeFailed;
  const int status = QeSqlite_Execute(db, sql, nullptr, false);
  DbCloseConnection(db);
  return status;
}

int CQeProjectThumbDb::BackupTo(sqlite3* target) {
  sqlite3* db = DbOpenConnection();
  if (!db) return eQeFailed;
  const int status =
      QeSqlite_BackupRunning(db, target, kBackupPagesPerStep, kBackupPauseMs, nullptr, nullptr);
  DbCloseConnection(db);
  return status;
}

int CQeProjectThumbDb::Clear(const wchar_t* jobrunUuid) {
  const SQeSqliteTableDef& run = g_QeThumbDbTable_jobrunuuid;
  return ExecuteOnOwnConnection(QeSqlite_FormatSql(
      L"DELETE FROM %s WHERE %s.%s='%s';", TableName(run), TableName(run),
      ColumnName(run, kJobrunuuidUuid), QeSqlite_EscapeText(CQeStringW(jobrunUuid))));
}

int CQeProjectThumbDb::Clear(const wchar_t* jobrunUuid,
                             const std::list<unsigned int>& frameIndices) {
  if (frameIndices.empty()) return eQeOk;
  CQeStringW indexList;
  for (unsigned int index : frameIndices) {
    indexList.AppendFormat(indexList.IsEmpty() ? L"%d" : L",%d", static_cast<int>(index));
  }
  const SQeSqliteTableDef& run = g_QeThumbDbTable_jobrunuuid;
  const SQeSqliteTableDef& frame = g_QeThumbDbTable_frame;
  return ExecuteOnOwnConnection(QeSqlite_FormatSql(
      L"DELETE FROM %s WHERE %s.%s=(SELECT %s.%s FROM %s WHERE %s.%s='%s') AND %s.%s IN (%s);",
      TableName(frame), TableName(frame), ColumnName(frame, kFrameJobrunuuidRef), TableName(run),
      ColumnName(run, kJobrunuuidKey), TableName(run), TableName(run),
      ColumnName(run, kJobrunuuidUuid), QeSqlite_EscapeText(CQeStringW(jobrunUuid)),
      TableName(frame), ColumnName(frame, kFrameIndex), indexList));
}
