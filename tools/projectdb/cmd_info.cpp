// projectdb info: what a project database file is, without opening it for use.
#include <cstdio>
#include <string>

#include "cli_util.h"
#include "command.h"
#include "qe/projectdb/db.h"
#include "qe/projectdb/schema.h"

namespace {

constexpr const char* kHelp =
    "usage: projectdb info FILE\n"
    "\n"
    "Inspects FILE read-only and prints what a host checks before it connects:\n"
    "the journal mode in effect and the stored options, whether the file lies\n"
    "on a network file system, and the schema and plate catalogue versions with\n"
    "the status of reading each. The exit status is 0 only for a usable file;\n"
    "an older schema version is usable after an upgrade and exits 0 as well.\n";

// A status in words: the library's own codes and the SQLite codes a file
// inspection meets.
std::string Describe(int status) {
  switch (status) {
    case 0:
      return "ok";
    case -1:
      return "empty path, or a file newer than this library";
    case -10:
      return "unusable file";
    case 1:
      return "SQL error, e.g. a missing table";
    case 5:
      return "database is busy";
    case 11:
      return "database file is damaged";
    case 14:
      return "cannot open the file";
    case 26:
      return "not a database";
    default:
      return status > 0 ? "SQLite error" : "failed";
  }
}

void Field(const char* label, const std::string& value) {
  std::printf("%-22s %s\n", label, value.c_str());
}

std::string WithStatus(const std::string& value, int status) {
  if (status == 0) return value;
  return value + " (read status " + std::to_string(status) + ": " + Describe(status) + ")";
}

int RunInfo(const std::vector<std::string>& args) {
  if (args.size() == 1 && args[0].starts_with("--")) {
    return qe::cli::UsageError("info", "unknown option '" + args[0] + "'");
  }
  if (args.size() != 1 || args[0].empty()) {
    qe::cli::PrintError("info", "expected one FILE; see projectdb info --help");
    return qe::cli::kExitUsage;
  }
  SQeProjectDbFileInfo info;
  const int result = QeProjectDb_Db_GetInfo(CQeStringW::FromUtf8(args[0]), &info);
  if (result != 0) {
    const std::string problem = qe::cli::DatabaseProblem(args[0], false);
    qe::cli::PrintError(
        "info", qe::cli::Quoted(args[0]) + ": " + (problem.empty() ? Describe(result) : problem));
  }
  Field("file", args[0]);
  Field("result", std::to_string(result) + " (" + Describe(result) + ")");
  Field("open status", std::to_string(info.iOpenResult) + " (" + Describe(info.iOpenResult) + ")");
  // Nothing else was read from a file that did not open.
  if (info.wszPath.IsEmpty() || info.iOpenResult != 0) {
    return result == 0 ? qe::cli::kExitOk : qe::cli::kExitFailure;
  }
  Field("network file system", info.bNetworkPath ? "yes" : "no");
  Field("journal mode", info.wszJournalMode.ToUtf8());
  Field("option journal_mode", info.wszJournalModeOption.ToUtf8());
  Field("option synchronous", info.wszSynchronousOption.ToUtf8());
  Field("option folderformat", std::to_string(info.iFolderFormat));
  std::string version = std::to_string(info.iVersion);
  if (info.iVersionResult == 0 && info.iVersion > 0) {
    version += info.iVersion < kQeProjectDbSchemaVersion   ? ", older: needs an upgrade"
               : info.iVersion > kQeProjectDbSchemaVersion ? ", newer than this library"
                                                           : ", current";
  }
  Field("schema version", WithStatus(version, info.iVersionResult));
  Field("plate version", WithStatus(std::to_string(info.iPlateVersion), info.iPlateVersionResult));
  return result == 0 ? qe::cli::kExitOk : qe::cli::kExitFailure;
}

}  // namespace

QE_CLI_COMMAND("info", "inspect a project database file: journal mode, options, versions", kHelp,
               &RunInfo);
