// Helpers shared by the subcommands of the projectdb tool, so that every
// subcommand reads its arguments, names its files and reports its errors the
// same way:
//  - "projectdb <command>: <message>" on stderr for every error, with the
//    file named in single quotes; usage errors end in "; see projectdb
//    <command> --help".
//  - Exit status kExitOk (0), kExitFailure (1), kExitUsage (2) (command.h).
//  - Options are "--name value" or "--name=value"; "--" ends the options.
//  - Listing commands print JSON with --json through PrintJson (one
//    document on stdout, texts as UTF-8, invalid bytes replaced).
//  - Times for people are JDN values shown in the local time zone and the
//    user's locale (TimeText).
#pragma once

#include <cstdint>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "command.h"
#include "qe/core/string.h"
#include "qe/projectdb/records/jobrun.h"

struct sqlite3;

namespace qe::cli {

// Prints "projectdb <command>: <message>; see projectdb <command> --help"
// and returns kExitUsage.
int UsageError(const char* command, const std::string& message);
// Prints "projectdb <command>: <message>" and returns kExitFailure.
int Failure(const char* command, const std::string& message);

// 'path' for messages.
std::string Quoted(const std::string& path);

// One option a command accepts: "--name", with or without a value.
struct OptionSpec {
  const char* name;  // with the leading "--"
  bool takesValue;
};

struct ParsedArgs {
  std::vector<std::string> positional;
  std::map<std::string, std::string> values;  // options with a value, by name
  std::vector<std::string> flags;             // options without a value, in order

  bool Has(const std::string& name) const;
  // The value of an option, or fallback when it was not given.
  std::string Value(const std::string& name, const std::string& fallback = "") const;
};

// Splits args into positional arguments and the options of specs. An
// unknown option, a missing value or a value given to a flag prints a usage
// error for command and returns false. A lone "-" is positional.
bool ParseArgs(const char* command, const std::vector<std::string>& args,
               const std::vector<OptionSpec>& specs, ParsedArgs& out);

// A positive decimal key (a row's iKey); false for anything else.
bool ParseKey(const std::string& text, int64_t& key);

// Why a project database file cannot be used for reading (or, with write,
// for writing), in words ("no such file", "the file is read-only", "not a
// project database, or a damaged one", ...), or empty when it looks usable.
// Reads the file without changing it.
std::string DatabaseProblem(const std::string& path, bool write);

// The tool's one owner of a project database connection. Every subcommand
// opens its file through it, so a file that cannot be used is reported the
// same way everywhere, and the connection is closed when the object goes
// away (or by Close).
class Database {
 public:
  Database() = default;
  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  // Opens path read-only (write false) or read-write, closing a connection
  // opened before. A file that cannot be used (DatabaseProblem) is never
  // opened: prints "projectdb <command>: cannot open '<path>': <reason>"
  // and returns false.
  bool Open(const char* command, const std::string& path, bool write);
  void Close();
  // 0 while nothing is open.
  uint32_t handle() const { return handle_; }
  // The SQLite connection of the handle; null while nothing is open.
  sqlite3* db() const;

 private:
  uint32_t handle_ = 0;
};

// The run named by text: its key (digits) or its uuid. Returns 0 and fills
// row; -13 when there is no such run; another status when reading failed.
int FindRun(uint32_t handle, const std::string& text, SQeProjectDbRow_jobrun& row);

// A JDN time in the local zone and the user's locale; empty for 0 (no time).
CQeStringW TimeText(double jdn);

// Writes one JSON document to stdout, indented by two blanks.
void PrintJson(const nlohmann::ordered_json& document);

}  // namespace qe::cli
