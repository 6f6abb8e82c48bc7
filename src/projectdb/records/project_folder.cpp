// Where a project's folder goes: the unique-name check and the absolute path.
#include <filesystem>
#include <system_error>

#include "projectdb/db/path_util.h"
#include "projectdb/records/record_access.h"
#include "qe/core/files.h"
#include "qe/projectdb/connection.h"
#include "qe/projectdb/records/project.h"

namespace {

namespace fs = std::filesystem;

// How far "name (n)" counts before giving up; a folder holding that many
// variants of one name is not a case worth waiting for.
constexpr int kLastUniqueVariant = 100000;

// 1 when something exists at path, 0 when nothing does, -1 when the file
// system cannot tell (no permission to look, ...).
int Exists(const CQeStringW& path) {
  std::error_code error;
  const bool exists = fs::exists(qe::ToFsPath(path), error);
  if (error) return -1;
  return exists ? 1 : 0;
}

bool IsEmptyFolder(const CQeStringW& path) {
  std::error_code error;
  const fs::path fsPath = qe::ToFsPath(path);
  if (!fs::is_directory(fsPath, error) || error) return false;
  const bool empty = fs::is_empty(fsPath, error);
  return !error && empty;
}

}  // namespace

int QeProjectDb_Proj_CheckFolderPath(const CQeStringW& path, CQeStringW& out) {
  out.Empty();
  if (path.IsEmpty()) return qe::projectdb::kStatusFailed;
  const int exists = Exists(path);
  if (exists < 0) return qe::projectdb::kStatusFailed;
  if (exists == 0 || IsEmptyFolder(path)) {
    out = path;
    out.EndInSlash();
    return 0;
  }
  // The variant is made beside the folder: "name/" becomes "name (2)/".
  CQeStringW base = path;
  while (!base.IsEmpty() && qe::projectdb::IsSeparator(base.GetLastChar())) base.DeleteRight(1);
  if (base.IsEmpty()) return qe::projectdb::kStatusFailed;
  for (int n = 2; n <= kLastUniqueVariant; ++n) {
    CQeStringW candidate = CQeStringW::Formatted(L"%s (%d)", base, n);
    const int taken = Exists(candidate);
    if (taken < 0) return qe::projectdb::kStatusFailed;
    if (taken == 0) {
      out = candidate;
      out.EndInSlash();
      return 0;
    }
  }
  return qe::projectdb::kStatusFailed;
}

CQeStringW QeProjectDb_Proj_MakeAbsPath(uint32_t handle, const CQeStringW& folderName) {
  CQeStringW path = qe::projectdb::JoinPath(QeProjectDb_Db_ProjectRootFolder(handle), folderName);
  path.EndInSlash();
  return path;
}
