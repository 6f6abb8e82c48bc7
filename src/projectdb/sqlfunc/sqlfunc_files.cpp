// The file-system functions that the merge's generated triggers call to
// create project and run folders and copy run files into the target
// database's project root.
#include <filesystem>
#include <system_error>

#include "projectdb/db/path_util.h"
#include "projectdb/sqlfunc/sqlfunc_internal.h"
#include "qe/core/files.h"
#include "qe/core/status.h"
#include "qe/projectdb/connection.h"
#include "qe/projectdb/sql_functions.h"

namespace qe::sqlfunc {

namespace {
const SQeProjectDbMergeFiles* MergeFiles(sqlite3_context* ctx) {
  return static_cast<const SQeProjectDbMergeFiles*>(sqlite3_user_data(ctx));
}

// M/Projects, the project root of the merge target.
CQeStringW TargetRoot(const SQeProjectDbMergeFiles& files) {
  return projectdb::JoinPath(projectdb::FolderOf(files.wszMainDbFile), L"Projects");
}

// The project root beside the source file, named after the source file.
CQeStringW SourceRoot(const SQeProjectDbMergeFiles& files) {
  return projectdb::FolderOf(files.wszSourceDbFile) +
         QeProjectDb_Db_ProjectFolderName(projectdb::FileNameOf(files.wszSourceDbFile));
}

int CreateFolder(const SQeProjectDbMergeFiles& files, const CQeStringW& path) {
  std::error_code ec;
  const bool existed = std::filesystem::is_directory(qe::ToFsPath(path), ec);
  const int result = QE_CreateDirectory(path, 1, 0);
  if (files.pObserver) files.pObserver->OnMergeFolder(path, !existed && result == 0, result);
  return result;
}

// parts[0]/parts[1]/... under root.
CQeStringW Under(CQeStringW root, int argc, sqlite3_value** argv) {
  for (int i = 0; i < argc; ++i) root = projectdb::JoinPath(root, ValueText(argv[i]));
  return root;
}
}  // namespace

void CreateProjectFolder(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  const SQeProjectDbMergeFiles* files = MergeFiles(ctx);
  if (!files || argc != 1) return sqlite3_result_int(ctx, eQeMissingArgument);
  sqlite3_result_int(ctx, CreateFolder(*files, Under(TargetRoot(*files), argc, argv)));
}

void CreateJobrunFolder(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  const SQeProjectDbMergeFiles* files = MergeFiles(ctx);
  if (!files || argc != 2) return sqlite3_result_int(ctx, eQeMissingArgument);
  sqlite3_result_int(ctx, CreateFolder(*files, Under(TargetRoot(*files), argc, argv)));
}

// With five arguments the first two name the project and run folders in the
// source, the last three the target's names and the file.
void CopyFile(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  const SQeProjectDbMergeFiles* files = MergeFiles(ctx);
  if (!files || (argc != 3 && argc != 5)) return sqlite3_result_int(ctx, eQeMissingArgument);
  sqlite3_value** targetArgs = argc == 5 ? argv + 2 : argv;
  CQeStringW source = Under(SourceRoot(*files), argc == 5 ? 2 : 3, argv);
  if (argc == 5) source = projectdb::JoinPath(source, ValueText(argv[4]));
  const CQeStringW target = Under(TargetRoot(*files), 3, targetArgs);
  const int result = QE_CopyFile(source, target, 1, 0, 0, 0);
  if (files->pObserver) files->pObserver->OnMergeCopy(source, target, result);
  sqlite3_result_int(ctx, result);
}

}  // namespace qe::sqlfunc
