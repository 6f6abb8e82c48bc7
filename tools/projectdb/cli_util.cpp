#include "cli_util.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "qe/projectdb/connection.h"
#include "qe/projectdb/db.h"
#include "qe/projectdb/schema.h"
#include "qe/projectdb/sys.h"
#include "qe/sqlite/cmd.h"
#include "qe/sqlite/sql_text.h"

namespace qe::cli {

int UsageError(const char* command, const std::string& message) {
  PrintError(command, message + "; see projectdb " + command + " --help");
  return kExitUsage;
}

int Failure(const char* command, const std::string& message) {
  PrintError(command, message);
  return kExitFailure;
}

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

bool ParsedArgs::Has(const std::string& name) const {
  return values.contains(name) || std::find(flags.begin(), flags.end(), name) != flags.end();
}

std::string ParsedArgs::Value(const std::string& name, const std::string& fallback) const {
  const auto found = values.find(name);
  return found == values.end() ? fallback : found->second;
}

bool ParseArgs(const char* command, const std::vector<std::string>& args,
               const std::vector<OptionSpec>& specs, ParsedArgs& out) {
  bool optionsEnded = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      out.positional.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    const size_t equals = arg.find('=');
    const std::string name = arg.substr(0, equals);
    const auto spec = std::find_if(specs.begin(), specs.end(),
                                   [&](const OptionSpec& s) { return name == s.name; });
    if (spec == specs.end()) {
      UsageError(command, "unknown option '" + name + "'");
      return false;
    }
    if (!spec->takesValue) {
      if (equals != std::string::npos) {
        UsageError(command, name + " takes no value");
        return false;
      }
      out.flags.push_back(name);
    } else if (equals != std::string::npos) {
      out.values[name] = arg.substr(equals + 1);
    } else if (i + 1 < args.size()) {
      out.values[name] = args[++i];
    } else {
      UsageError(command, name + " needs a value");
      return false;
    }
  }
  return true;
}

bool ParseKey(const std::string& text, int64_t& key) {
  if (text.empty() ||
      !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return false;
  }
  errno = 0;
  const long long value = std::strtoll(text.c_str(), nullptr, 10);
  if (errno != 0 || value <= 0) return false;
  key = value;
  return true;
}

std::string DatabaseProblem(const std::string& path, bool write) {
  std::error_code ec;
  const std::filesystem::file_status status = std::filesystem::status(path, ec);
  if (!std::filesystem::exists(status)) return "no such file";
  if (std::filesystem::is_directory(status)) return "it is a folder, not a database file";
  struct stat info {};
  const bool readOnly = ::stat(path.c_str(), &info) == 0 && (info.st_mode & 0222) == 0;
  if (readOnly && write) return "the file is read-only";

  SQeProjectDbFileInfo fileInfo;
  const int result = QeProjectDb_Db_GetInfo(CQeStringW::FromUtf8(path), &fileInfo);
  if (result == 0 || (readOnly && fileInfo.wszPath.IsEmpty())) return "";
  if (result == -1) {
    return "written by a newer version of this library (schema version " +
           std::to_string(fileInfo.iVersion) + ")";
  }
  if (fileInfo.iOpenResult != 0) {
    return "the file cannot be opened (SQLite status " + std::to_string(fileInfo.iOpenResult) + ")";
  }
  if (fileInfo.bNetworkPath && fileInfo.wszJournalMode.CompareNoCase(L"wal") == 0) {
    return "a database in WAL mode on a network file system";
  }
  return "not a project database, or a damaged one";
}

Database::~Database() { Close(); }

bool Database::Open(const char* command, const std::string& path, bool write) {
  Close();
  const std::string problem = DatabaseProblem(path, write);
  if (!problem.empty()) {
    PrintError(command, "cannot open " + Quoted(path) + ": " + problem);
    return false;
  }
  const CQeStringW file = CQeStringW::FromUtf8(path);
  handle_ = write ? QeProjectDb_Db_Connect(file) : QeProjectDb_Db_ConnectForRead(file);
  if (handle_ == 0) {
    PrintError(command, "cannot open " + Quoted(path) + " as a project database");
    return false;
  }
  return true;
}

void Database::Close() {
  QeProjectDb_Db_Disconnect(handle_);
  handle_ = 0;
}

sqlite3* Database::db() const { return CQeProjectDbConnectionManager::GetConnection(handle_); }

int FindRun(uint32_t handle, const std::string& text, SQeProjectDbRow_jobrun& row) {
  int64_t key = 0;
  if (!ParseKey(text, key)) {
    // A uuid: look its key up, then read the row through the record API.
    sqlite3* db = CQeProjectDbConnectionManager::GetConnection(handle);
    const SQeSqliteTableDef& jobrun = g_QeProjectDbTable_jobrun;
    const int uuid = QeProjectDb_Schema_FindColumn(&jobrun, L"wszUuid");
    CQeSqliteCmd cmd(
        db, QeSqlite_FormatSql(L"SELECT %s FROM %s WHERE %s=?;", jobrun.pColumns[0].wszName,
                               jobrun.wszName, jobrun.pColumns[uuid].wszName));
    cmd.Bind(1, CQeStringW::FromUtf8(text));
    if (cmd.Next()) key = cmd.ColumnInt64(0);
    if (cmd.Result() != 0) return cmd.Result();
    if (key == 0) return -13;
  }
  SQeProjectDbRow_jobrun found;
  const int status = QeProjectDb_Jobrun_GetOne(handle, key, found);
  if (status != 0) return status;
  if (found.iKey == 0) return -13;
  row = found;
  return 0;
}

CQeStringW TimeText(double jdn) {
  return jdn > 0.0 ? QeProjectDb_Sys_JdnFormatShort(jdn) : CQeStringW();
}

void PrintJson(const nlohmann::ordered_json& document) {
  std::printf(
      "%s\n",
      document.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace).c_str());
}

}  // namespace qe::cli
