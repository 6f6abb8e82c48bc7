// The files of a merge: checking source and target before anything is
// changed, the SQL functions the triggers call, and free folder names for
// copied projects and runs.
#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "projectdb/db/path_util.h"
#include "projectdb/merge/merge_internal.h"
#include "projectdb/sqlfunc/sqlfunc_internal.h"
#include "qe/core/files.h"
#include "qe/core/status.h"
#include "qe/projectdb/merge.h"
#include "qe/projectdb/schema.h"
#include "qe/projectdb/sql_functions.h"
#include "qe/sqlite/cmd.h"
#include "qe/sqlite/connection.h"

namespace {

// Variants "name (2)" up to this number are tried.
constexpr int kMaxFolderVariant = 10000;

constexpr char16_t kNoFreeName[] = u"No free folder name";

CQeStringW AbsolutePath(const CQeStringW& path) {
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(qe::ToFsPath(path), ec);
  return ec ? path : CQeStringW(qe::Utf8ToWide(absolute.lexically_normal().string()));
}

// The schema version stored in the file ("main" row of `vesion`), read
// through a read-only connection of its own; 0 when the file has none.
int ReadVersion(const CQeStringW& path, int64_t& version) {
  sqlite3* db = nullptr;
  int result = QeSqlite_OpenEncrypted(path, &db, eQeSqliteOpenReadOnly, 0, nullptr, nullptr);
  if (result != 0) return result;
  version =
      QeSqlite_ReadOneInt64(db, L"SELECT iVersion FROM vesion WHERE wszName='main';", &result, 0);
  QeSqlite_Close(db);
  return result;
}

CQeStringW WithoutTrailingSeparators(CQeStringW name) {
  while (!name.IsEmpty() && qe::projectdb::IsSeparator(name.GetLastChar())) name.DeleteRight(1);
  return name;
}

CQeStringW Variant(const CQeStringW& base, int number) {
  return number == 1 ? base : CQeStringW::Formatted(L"%s (%d)", base, number);
}

CQeProjectDbMergeWalker* WalkerOf(sqlite3_context* ctx) {
  return static_cast<CQeProjectDbMergeWalker*>(sqlite3_user_data(ctx));
}

void MergeProjectFolder(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  CQeProjectDbMergeWalker* walker = WalkerOf(ctx);
  if (!walker || argc != 1) return qe::sqlfunc::ResultError(ctx, qe::sqlfunc::kWrongCount);
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  try {
    CQeStringW name;
    if (walker->FreeProjectFolder(qe::sqlfunc::ValueText(argv[0]), name) != 0) {
      return qe::sqlfunc::ResultError(ctx, kNoFreeName);
    }
    qe::sqlfunc::ResultText(ctx, name);
  } catch (...) {
    sqlite3_result_error_nomem(ctx);
  }
}

void MergeJobrunFolder(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  CQeProjectDbMergeWalker* walker = WalkerOf(ctx);
  if (!walker || argc != 2) return qe::sqlfunc::ResultError(ctx, qe::sqlfunc::kWrongCount);
  // Without a project in the target the run gets no folder: keep its name.
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
    return sqlite3_result_value(ctx, argv[1]);
  }
  try {
    CQeStringW name;
    if (walker->FreeJobrunFolder(qe::sqlfunc::ValueText(argv[0]), qe::sqlfunc::ValueText(argv[1]),
                                 name) != 0) {
      return qe::sqlfunc::ResultError(ctx, kNoFreeName);
    }
    qe::sqlfunc::ResultText(ctx, name);
  } catch (...) {
    sqlite3_result_error_nomem(ctx);
  }
}

}  // namespace

namespace qe::merge {

bool PathExists(const CQeStringW& path) {
  std::error_code ec;
  return std::filesystem::exists(qe::ToFsPath(path), ec);
}

bool RegisterFunctions(sqlite3* db, CQeProjectDbMergeWalker* walker) {
  QeProjectDb_SqlFunc_RegisterMerge(db, walker);
  if (sqlite3_create_function_v2(db, "mergeprojectfolder", 1, SQLITE_UTF16, walker,
                                 MergeProjectFolder, nullptr, nullptr, nullptr) != SQLITE_OK ||
      sqlite3_create_function_v2(db, "mergejobrunfolder", 2, SQLITE_UTF16, walker,
                                 MergeJobrunFolder, nullptr, nullptr, nullptr) != SQLITE_OK) {
    return false;
  }
  // Preparing a statement that names every function proves they exist.
  sqlite3_stmt* stmt = nullptr;
  const int result =
      sqlite3_prepare_v2(db,
                         "SELECT createprojectfolder(NULL), createjobrunfolder(NULL, NULL), "
                         "copyfile(NULL, NULL, NULL), copyfile(NULL, NULL, NULL, NULL, NULL);",
                         -1, &stmt, nullptr);
  sqlite3_finalize(stmt);
  return result == SQLITE_OK;
}

}  // namespace qe::merge

int CQeProjectDbMergeWalker::CheckFiles(const CQeStringW& target, const CQeStringW& source) {
  if (target.IsEmpty() || source.IsEmpty()) return Fail(eQeNoPathOrTooNew, L"empty file name");
  wszMainDbFile = AbsolutePath(target);
  wszSourceDbFile = AbsolutePath(source);
  std::error_code ec;
  const std::filesystem::path targetPath = qe::ToFsPath(wszMainDbFile);
  const std::filesystem::path sourcePath = qe::ToFsPath(wszSourceDbFile);
  if (!std::filesystem::is_regular_file(targetPath, ec)) {
    return Fail(eQeFailed, L"the target file does not exist");
  }
  if (!std::filesystem::is_regular_file(sourcePath, ec)) {
    return Fail(SQLITE_CANTOPEN, L"the source file does not exist");
  }
  if (std::filesystem::equivalent(targetPath, sourcePath, ec)) {
    return Fail(eQeFailed, L"the source is the target itself");
  }

  int result = ReadVersion(wszSourceDbFile, report_->iSourceVersion);
  if (result != 0 && report_->iSourceVersion == 0) {
    return Fail(result == SQLITE_CANTOPEN ? result : eQeFailed,
                L"the source is not a project database");
  }
  if (ReadVersion(wszMainDbFile, report_->iTargetVersion) != 0 || report_->iTargetVersion == 0) {
    return Fail(eQeFailed, L"the target is not a project database");
  }
  if (report_->iSourceVersion == 0) return Fail(eQeFailed, L"the source is not a project database");
  const int64_t current = kQeProjectDbSchemaVersion;
  if (report_->iSourceVersion > current || report_->iTargetVersion > current) {
    return Fail(
        eQeNoPathOrTooNew,
        CQeStringW::Formatted(L"schema version %I64d is newer than this library (%I64d)",
                              std::max(report_->iSourceVersion, report_->iTargetVersion), current));
  }
  if (report_->iSourceVersion != current || report_->iTargetVersion != current) {
    return Fail(eQeFailed, CQeStringW::Formatted(
                               L"schema versions differ from %I64d (target %I64d, source %I64d): "
                               L"upgrade the older file first",
                               current, report_->iTargetVersion, report_->iSourceVersion));
  }
  return 0;
}

bool CQeProjectDbMergeWalker::FolderInUse(const CQeStringW& sql, const CQeStringW& projectFolder,
                                          const CQeStringW& name, const CQeStringW& path) {
  if (qe::merge::PathExists(path)) return true;
  CQeSqliteCmd cmd(db_.get(), sql);
  int parameter = 1;
  if (!projectFolder.IsEmpty()) cmd.Bind(parameter++, projectFolder);
  cmd.Bind(parameter, name);
  return cmd.Next() && cmd.ColumnInt64(0) > 0;
}

int CQeProjectDbMergeWalker::FreeProjectFolder(const CQeStringW& name, CQeStringW& out) {
  out = name;
  const CQeStringW base = WithoutTrailingSeparators(name);
  if (base.IsEmpty()) return 0;
  const CQeStringW root =
      qe::projectdb::JoinPath(qe::projectdb::FolderOf(wszMainDbFile), L"Projects");
  for (int number = 1; number <= kMaxFolderVariant; ++number) {
    const CQeStringW candidate = Variant(base, number);
    if (FolderInUse(L"SELECT count(*) FROM main.project WHERE wszFolderName=?1;", CQeStringW(),
                    candidate, qe::projectdb::JoinPath(root, candidate))) {
      continue;
    }
    if (number > 1) {
      out = candidate;
      report_->renamedFolders.emplace_back(name, candidate);
    }
    return 0;
  }
  out.Empty();
  return eQeFailed;
}

int CQeProjectDbMergeWalker::FreeJobrunFolder(const CQeStringW& projectFolder,
                                              const CQeStringW& name, CQeStringW& out) {
  out = name;
  const CQeStringW base = WithoutTrailingSeparators(name);
  if (base.IsEmpty() || projectFolder.IsEmpty()) return 0;
  const CQeStringW project = qe::projectdb::JoinPath(
      qe::projectdb::JoinPath(qe::projectdb::FolderOf(wszMainDbFile), L"Projects"), projectFolder);
  for (int number = 1; number <= kMaxFolderVariant; ++number) {
    const CQeStringW candidate = Variant(base, number);
    if (FolderInUse(L"SELECT count(*) FROM main.jobrun, main.jobdef, main.project "
                    L"WHERE jobrun.iJobdefKeyRef=jobdef.iKey AND jobdef.iProjKeyRef=project.iKey "
                    L"AND project.wszFolderName=?1 AND jobrun.wszFolderName=?2;",
                    projectFolder, candidate, qe::projectdb::JoinPath(project, candidate))) {
      continue;
    }
    if (number > 1) {
      out = candidate;
      report_->renamedFolders.emplace_back(projectFolder + L"\\" + name,
                                           projectFolder + L"\\" + candidate);
    }
    return 0;
  }
  out.Empty();
  return eQeFailed;
}
