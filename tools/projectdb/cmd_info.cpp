// projectdb info: what a project database file is, without opening it for use.
#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli_util.h"
#include "command.h"
#include "qe/projectdb/db.h"
#include "qe/projectdb/schema.h"

namespace {

constexpr const char* kHelp =
    "usage: projectdb info FILE [--json]\n"
    "\n"
    "Inspects FILE read-only and prints what a host checks before it connects:\n"
    "the journal mode in effect and the stored options, whether the file lies\n"
    "on a network file system, and the schema and plate catalogue versions with\n"
    "the status of reading each. The exit status is 0 only for a usable file;\n"
    "an older schema version is usable after an upgrade and exits 0 as well.\n"
    "\n"
    "options:\n"
    "  --json  one JSON object instead of the lines, also for a file that is not\n"
    "          usable (then with \"usable\": false and the reason in \"problem\";\n"
    "          the exit status is 1 and stderr names the file as without --json)\n";

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

// "current", "older" or "newer" than this library; empty when the version
// could not be read.
std::string VersionState(const SQeProjectDbFileInfo& info) {
  if (info.iVersionResult != 0 || info.iVersion <= 0) return "";
  if (info.iVersion < kQeProjectDbSchemaVersion) return "older";
  return info.iVersion > kQeProjectDbSchemaVersion ? "newer" : "current";
}

// Whether the file opened, so that the fields after the open status were read.
bool Opened(const SQeProjectDbFileInfo& info) {
  return !info.wszPath.IsEmpty() && info.iOpenResult == 0;
}

void PrintText(const std::string& file, int result, const SQeProjectDbFileInfo& info) {
  Field("file", file);
  Field("result", std::to_string(result) + " (" + Describe(result) + ")");
  Field("open status", std::to_string(info.iOpenResult) + " (" + Describe(info.iOpenResult) + ")");
  if (!Opened(info)) return;
  Field("network file system", info.bNetworkPath ? "yes" : "no");
  Field("journal mode", info.wszJournalMode.ToUtf8());
  Field("option journal_mode", info.wszJournalModeOption.ToUtf8());
  Field("option synchronous", info.wszSynchronousOption.ToUtf8());
  Field("option folderformat", std::to_string(info.iFolderFormat));
  std::string version = std::to_string(info.iVersion);
  const std::string state = VersionState(info);
  if (state == "older") version += ", older: needs an upgrade";
  if (state == "newer") version += ", newer than this library";
  if (state == "current") version += ", current";
  Field("schema version", WithStatus(version, info.iVersionResult));
  Field("plate version", WithStatus(std::to_string(info.iPlateVersion), info.iPlateVersionResult));
}

void PrintJson(const std::string& file, int result, const std::string& problem,
               const SQeProjectDbFileInfo& info) {
  nlohmann::ordered_json out = {{"file", file},
                                {"usable", result == 0},
                                {"result", result},
                                {"resultText", Describe(result)}};
  if (result != 0) out["problem"] = problem;
  out["openStatus"] = info.iOpenResult;
  if (Opened(info)) {
    const std::string state = VersionState(info);
    out["networkFileSystem"] = info.bNetworkPath;
    out["journalMode"] = info.wszJournalMode.ToUtf8();
    out["options"] = {{"journal_mode", info.wszJournalModeOption.ToUtf8()},
                      {"synchronous", info.wszSynchronousOption.ToUtf8()},
                      {"folderformat", info.iFolderFormat}};
    out["schemaVersion"] = info.iVersion;
    out["schemaVersionStatus"] = info.iVersionResult;
    out["schemaVersionState"] =
        state.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(state);
    out["currentSchemaVersion"] = kQeProjectDbSchemaVersion;
    out["plateVersion"] = info.iPlateVersion;
    out["plateVersionStatus"] = info.iPlateVersionResult;
  }
  qe::cli::PrintJson(out);
}

int RunInfo(const std::vector<std::string>& args) {
  qe::cli::ParsedArgs parsed;
  if (!qe::cli::ParseArgs("info", args, {{"--json", false}}, parsed)) return qe::cli::kExitUsage;
  if (parsed.positional.size() != 1 || parsed.positional[0].empty()) {
    return qe::cli::UsageError("info", "expected one FILE");
  }
  const std::string& file = parsed.positional[0];
  SQeProjectDbFileInfo info;
  const int result = QeProjectDb_Db_GetInfo(CQeStringW::FromUtf8(file), &info);
  std::string problem;
  if (result != 0) {
    problem = qe::cli::DatabaseProblem(file, false);
    if (problem.empty()) problem = Describe(result);
    qe::cli::PrintError("info", qe::cli::Quoted(file) + ": " + problem);
  }
  if (parsed.Has("--json")) {
    PrintJson(file, result, problem, info);
  } else {
    PrintText(file, result, info);
  }
  return result == 0 ? qe::cli::kExitOk : qe::cli::kExitFailure;
}

}  // namespace

QE_CLI_COMMAND("info", "inspect a project database file: journal mode, options, versions", kHelp,
               &RunInfo);
