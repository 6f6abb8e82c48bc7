// Project rows: insert with the project folder, reads, update, names, delete.
#include "qe/projectdb/records/project.h"

#include <array>
#include <vector>

#include "projectdb/records/record_access.h"
#include "qe/core/files.h"
#include "qe/projectdb/schema.h"
#include "qe/projectdb/sys.h"
#include "qe/sqlite/cmd.h"
#include "qe/sqlite/connection.h"
#include "qe/sqlite/path.h"
#include "qe/sqlite/sql_text.h"
#include "qe/sqlite/update_delete.h"

namespace {

using namespace qe::projectdb;

const SQeSqliteTableDef& kTable = g_QeProjectDbTable_project;

std::array<CQeSqliteOut, 7> OutputsOf(SQeProjectDbRow_project& row) {
  return {&row.iKey,    &row.dCTime,  &row.dMTime,       &row.wszUuid,
          &row.wszName, &row.wszDesc, &row.wszFolderName};
}

}  // namespace

int QeProjectDb_Proj_Insert(uint32_t handle, const CQeStringW& name, const CQeStringW& desc,
                            const CQeStringW& folderName, int64_t* outKey) {
  sqlite3* db = DbOf(handle);
  // Without a connection there is no project root, and a folder made now
  // would land beside the working directory.
  if (!db) return kStatusNoConnection;
  if (TrimSeparators(folderName).IsEmpty()) return kStatusFailed;

  CQeStringW chosen;
  int status =
      QeProjectDb_Proj_CheckFolderPath(QeProjectDb_Proj_MakeAbsPath(handle, folderName), chosen);
  if (status != 0) return status;
  status = QE_CreateDirectory(chosen, 1, 0);
  if (status != 0) return status;
  CQeStringW lastPart;
  QePath_Split(chosen, &lastPart);
  const CQeStringW storedFolder = TrimSeparators(lastPart);

  const double now = QeProjectDb_Sys_JdnNow();
  const CQeStringW uuid = QeProjectDb_Sys_UuidAsText();
  const std::array<CQeSqliteValue, 6> values{now, now, uuid, name, desc, storedFolder};
  return InsertOne(db, kTable, values, outKey);
}

int QeProjectDb_Proj_GetOne(uint32_t handle, int64_t key, SQeProjectDbRow_project& row) {
  return SelectOne(DbOf(handle), kTable, key, row, OutputsOf);
}

int QeProjectDb_Proj_GetAll(uint32_t handle, std::vector<SQeProjectDbRow_project>& rows) {
  return SelectAppend(DbOf(handle), kTable, CQeStringW(), rows, OutputsOf);
}

bool QeProjectDb_Proj_IsExisting(uint32_t handle, int64_t key) {
  const wchar_t* t = kTable.wszName;
  CQeSqliteCmd cmd(DbOf(handle), QeSqlite_FormatSql(L"SELECT %s.%s FROM %s WHERE %s.%s=%I64d;", t,
                                                    L"iKey", t, t, L"iKey", key));
  return cmd.Next();
}

int64_t QeProjectDb_Proj_GetLatest(uint32_t handle) {
  const wchar_t* t = kTable.wszName;
  return QeSqlite_ReadOneInt64(
      DbOf(handle),
      QeSqlite_FormatSql(L"SELECT %s.%s FROM %s ORDER BY %s.%s DESC LIMIT 1;", t, L"iKey", t, t,
                         L"dMTime"),
      nullptr, 0);
}

int QeProjectDb_Proj_Update(uint32_t handle, int64_t key, const CQeStringW& name,
                            const CQeStringW& desc) {
  CQeSqliteUpdate update(DbOf(handle), kTable, {L"dMTime", L"wszName", L"wszDesc"});
  return update.Row(key, {QeProjectDb_Sys_JdnNow(), name, desc});
}

bool QeProjectDb_Proj_IsNameUnique(uint32_t handle, const CQeStringW& name,
                                   CQeStringW& uniqueName) {
  return IsNameUniqueIn(DbOf(handle), kTable, L"SELECT", name, uniqueName);
}

int QeProjectDb_Proj_Delete(uint32_t handle, int64_t key) {
  CQeSqliteDelete remove(DbOf(handle), kTable);
  return remove.Row(key);
}
