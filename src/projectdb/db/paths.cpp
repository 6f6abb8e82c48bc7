// Paths of a connection: its file, its folder and the project root beside it.
#include "projectdb/db/path_util.h"
#include "qe/projectdb/connection.h"
#include "qe/sqlite/connection.h"

using qe::projectdb::FileNameOf;
using qe::projectdb::FolderOf;

CQeStringW QeProjectDb_Db_Filename(uint32_t handle) {
  return QeSqlite_Filename(CQeProjectDbConnectionManager::GetConnection(handle));
}

CQeStringW QeProjectDb_Db_Folder(uint32_t handle) {
  return FolderOf(QeProjectDb_Db_Filename(handle));
}

CQeStringW QeProjectDb_Db_ProjectRootFolder(uint32_t handle) {
  const CQeStringW file = QeProjectDb_Db_Filename(handle);
  if (file.IsEmpty()) return CQeStringW();
  return FolderOf(file) + QeProjectDb_Db_ProjectFolderName(FileNameOf(file));
}

CQeStringW QeProjectDb_Db_ProjectFolderName(const CQeStringW& fileName) {
  const CQeStringW name = FileNameOf(fileName);
  if (name.Find(L"hcs_projects") == 0) return L"HCS Projects/";
  if (name.Find(L"job_projects") == 0) return L"Job Projects/";
  return L"Projects/";
}
