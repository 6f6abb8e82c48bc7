// Run folders: naming and creating them with a new run, locating and
// deleting them.
#include "projectdb/db/path_util.h"
#include "projectdb/records/jobrun_columns.h"
#include "projectdb/records/record_access.h"
#include "qe/core/files.h"
#include "qe/projectdb/connection.h"
#include "qe/projectdb/records/jobrun.h"
#include "qe/projectdb/records/project.h"
#include "qe/projectdb/schema.h"
#include "qe/projectdb/sys.h"
#include "qe/sqlite/cmd.h"
#include "qe/sqlite/connection.h"
#include "qe/sqlite/sql_text.h"

namespace {

using namespace qe::projectdb;

// The value of the option "folderformat" that names run folders after
// their job definition.
constexpr int64_t kFolderFormatByJobdef = 1;

// The run folder name in the file format's form, relative to the project
// folder (see qe/projectdb/records/jobrun.h).
CQeStringW RunFolderName(sqlite3* db, int64_t jobdefKey, const CQeStringW& runName, double now) {
  const int64_t folderFormat =
      QeSqlite_ReadOneInt64(db,
                            QeSqlite_FormatSql(L"SELECT %s FROM %s WHERE %s='%s' AND %s='%s'",
                                               L"varValue", g_QeProjectDbTable_settings.wszName,
                                               L"wszName", L"folderformat", L"wszType", L"int32"),
                            nullptr, 0);
  const CQeStringW date = QeProjectDb_Sys_JdnFormatForFile(now, true, true, true);
  if (folderFormat == kFolderFormatByJobdef) {
    const CQeStringW jobdefName = QeSqlite_ReadOneStringW(
        db,
        QeSqlite_FormatSql(L"SELECT %s FROM %s WHERE %s=%I64d", L"wszName",
                           g_QeProjectDbTable_jobdef.wszName, L"iKey", jobdefKey),
        nullptr);
    return CQeStringW::Formatted(L"%s\\%s", QeProjectDb_Sys_ReplaceNonAlnum(jobdefName, L'_'),
                                 date);
  }
  return CQeStringW::Formatted(L"%s__%s", date, QeProjectDb_Sys_ReplaceNonAlnum(runName, L'_'));
}

// a, then b, each made to end in '/', with '\\' in b turned into '/'.
CQeStringW JoinFolder(const CQeStringW& a, const CQeStringW& b) {
  CQeStringW path = JoinPath(a, b);
  path.EndInSlash();
  return path;
}

}  // namespace

int QeProjectDb_Jobrun_Insert(uint32_t handle, int64_t projKey, const CQeStringW& projectFolder,
                              int64_t jobdefKey, int64_t jobprogramKey, int64_t finishFlags,
                              const CQeStringW& name, const CQeStringW& notes,
                              SQeProjectDbRow_jobrun* outRow, CQeStringW* outFolder) {
  sqlite3* db = DbOf(handle);
  // No folder for a run that cannot be written.
  if (!db) return kStatusNoConnection;
  const double now = QeProjectDb_Sys_JdnNow();
  const CQeStringW uuid = QeProjectDb_Sys_UuidAsText();
  const CQeStringW runFolder = RunFolderName(db, jobdefKey, name, now);
  const CQeStringW absFolder = JoinFolder(projectFolder, runFolder);
  const int created = QE_CreateDirectory(absFolder, 1, 0);
  if (created != 0) return created;

  SQeProjectDbRow_jobrun row(0, projKey, jobdefKey, jobprogramKey, finishFlags, now, now, 0.0, uuid,
                             name, notes, runFolder, CQeStringW());
  CQeSqliteInsert insert(db, g_QeProjectDbTable_jobrun);
  const auto values = JobrunValues(row);
  row.iKey = insert.Row(std::span<const CQeSqliteValue>(values.data(), values.size()), nullptr);
  if (outRow) *outRow = row;
  if (outFolder) *outFolder = absFolder;
  return insert.Result();
}

CQeStringW QeProjectDb_Jobrun_MakeAbsPath(uint32_t handle, const CQeStringW& projectFolderName,
                                          const CQeStringW& runFolderName) {
  return JoinFolder(JoinFolder(QeProjectDb_Db_ProjectRootFolder(handle), projectFolderName),
                    runFolderName);
}

int QeProjectDb_Jobrun_GetAbsPath(uint32_t handle, int64_t key, CQeStringW& out) {
  out = QeProjectDb_Db_ProjectRootFolder(handle);
  const wchar_t* p = g_QeProjectDbTable_project.wszName;
  const wchar_t* r = g_QeProjectDbTable_jobrun.wszName;
  CQeSqliteCmd cmd(DbOf(handle),
                   QeSqlite_FormatSql(L"SELECT %s.%s, %s.%s FROM %s, %s WHERE %s.%s=%s.%s AND "
                                      L"%s.%s=%I64d;",
                                      p, L"wszFolderName", r, L"wszFolderName", p, r, r,
                                      L"iProjKeyRef", p, L"iKey", r, L"iKey", key));
  if (!cmd.Next()) return cmd.Result() != 0 ? cmd.Result() : kStatusNotFound;
  out = JoinFolder(JoinFolder(out, cmd.ColumnString(0)), cmd.ColumnString(1));
  return cmd.Result();
}

int QeProjectDb_Jobrun_DeleteFolder(uint32_t handle, int64_t key) {
  SQeProjectDbRow_jobrun run;
  int status = QeProjectDb_Jobrun_GetOne(handle, key, run);
  if (status != 0) return status;
  if (run.iKey == 0) return kStatusNotFound;
  SQeProjectDbRow_project project;
  status = QeProjectDb_Proj_GetOne(handle, run.iProjKeyRef, project);
  if (status != 0) return status;
  // An empty name would make the path name the project's folder or the
  // project root, which hold other runs and projects.
  if (project.iKey == 0 || TrimSeparators(project.wszFolderName).IsEmpty() ||
      TrimSeparators(run.wszFolderName).IsEmpty()) {
    return kStatusNotFound;
  }
  return QeProjectDb_Sys_DeleteFolder(
      QeProjectDb_Jobrun_MakeAbsPath(handle, project.wszFolderName, run.wszFolderName));
}
