// projectdb create: a new, empty project database file.
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "cli_util.h"
#include "command.h"
#include "qe/projectdb/db.h"

namespace {

constexpr const char* kHelp =
    "usage: projectdb create FILE\n"
    "\n"
    "Creates a project database at FILE with every table of the current schema\n"
    "(version 77) and the rows of a new file: the schema version, the options\n"
    "journal_mode (wal, or truncate on a network file system), synchronous\n"
    "(normal) and folderformat (1), the two system tags and a new database UUID.\n"
    "Also creates the folder \"Projects\" beside FILE. A file that already holds\n"
    "these tables is left as it is and the command fails.\n";

int RunCreate(const std::vector<std::string>& args) {
  if (args.size() == 1 && args[0].starts_with("--")) {
    return qe::cli::UsageError("create", "unknown option '" + args[0] + "'");
  }
  if (args.size() != 1 || args[0].empty()) {
    qe::cli::PrintError("create", "expected one FILE; see projectdb create --help");
    return qe::cli::kExitUsage;
  }
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(args[0], ec);
  const std::string path = ec ? args[0] : absolute.string();
  const int status = QeProjectDb_Db_Create(CQeStringW::FromUtf8(path));
  if (status != 0) {
    // Status 1 is what SQLite reports for a table that exists already.
    const char* reason = status == 1    ? " (the file already holds tables of that name)"
                         : status == 14 ? " (cannot open the file)"
                         : status == 26 ? " (the file is not a database)"
                                        : "";
    qe::cli::PrintError("create",
                        "cannot create '" + path + "': status " + std::to_string(status) + reason);
    return qe::cli::kExitFailure;
  }
  std::printf("created %s\n", path.c_str());
  return qe::cli::kExitOk;
}

}  // namespace

QE_CLI_COMMAND("create", "create a new project database file with the current schema", kHelp,
               &RunCreate);
