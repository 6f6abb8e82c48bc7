// projectdb projects: the projects of a database with their folders, times
// and what they hold.
#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "command.h"
#include "qe/projectdb/records/project.h"
#include "qe/projectdb/sys.h"
#include "records_cli.h"

namespace {

constexpr const char* kHelp =
    "usage: projectdb projects FILE [--json]\n"
    "\n"
    "Lists the projects of the project database FILE, opened read-only: key,\n"
    "name, folder (below the project root folder beside FILE), creation and\n"
    "last modification time, and how many job definitions, runs and frames\n"
    "each holds. Times are shown in the user's locale (LC_ALL, LC_TIME, LANG)\n"
    "and time zone (TZ).\n"
    "\n"
    "options:\n"
    "  --json  one JSON array of objects instead of the table, with the times\n"
    "          also as JDN numbers and the absolute project folders\n";

struct ProjectLine {
  SQeProjectDbRow_project row;
  int64_t jobdefs = 0;
  int64_t runs = 0;
  int64_t frames = 0;
};

void PrintJson(uint32_t handle, const std::vector<ProjectLine>& lines) {
  nlohmann::ordered_json out = nlohmann::ordered_json::array();
  for (const ProjectLine& line : lines) {
    const SQeProjectDbRow_project& p = line.row;
    out.push_back({{"key", p.iKey},
                   {"uuid", p.wszUuid.ToUtf8()},
                   {"name", p.wszName.ToUtf8()},
                   {"description", p.wszDesc.ToUtf8()},
                   {"folderName", p.wszFolderName.ToUtf8()},
                   {"folder", QeProjectDb_Proj_MakeAbsPath(handle, p.wszFolderName).ToUtf8()},
                   {"created", QeProjectDb_Sys_JdnFormatShort(p.dCTime).ToUtf8()},
                   {"createdJdn", p.dCTime},
                   {"modified", QeProjectDb_Sys_JdnFormatShort(p.dMTime).ToUtf8()},
                   {"modifiedJdn", p.dMTime},
                   {"jobDefinitions", line.jobdefs},
                   {"runs", line.runs},
                   {"frames", line.frames}});
  }
  std::printf("%s\n",
              out.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace).c_str());
}

void PrintText(const std::vector<ProjectLine>& lines) {
  qe::cli::TextTable table(
      {L"key", L"name", L"folder", L"created", L"modified", L"job defs", L"runs", L"frames"},
      {true, false, false, false, false, true, true, true});
  for (const ProjectLine& line : lines) {
    const SQeProjectDbRow_project& p = line.row;
    table.Add({qe::cli::Number(p.iKey), p.wszName, p.wszFolderName,
               QeProjectDb_Sys_JdnFormatShort(p.dCTime), QeProjectDb_Sys_JdnFormatShort(p.dMTime),
               qe::cli::Number(line.jobdefs), qe::cli::Number(line.runs),
               qe::cli::Number(line.frames)});
  }
  table.Print();
  std::printf("%zu project%s\n", lines.size(), lines.size() == 1 ? "" : "s");
}

int RunProjects(const std::vector<std::string>& args) {
  qe::cli::ParsedArgs parsed;
  if (!qe::cli::ParseArgs("projects", args, {{"--json", false}}, parsed)) {
    return qe::cli::kExitUsage;
  }
  const std::vector<std::string>& files = parsed.positional;
  if (files.size() != 1 || files[0].empty()) {
    return qe::cli::UsageError("projects", "expected one FILE");
  }
  const bool json = parsed.Has("--json");
  // Listing never writes, so a file in use by the host can be read.
  qe::cli::Database connection;
  if (!connection.Open("projects", files[0], false)) return qe::cli::kExitFailure;
  std::vector<SQeProjectDbRow_project> projects;
  const int status = QeProjectDb_Proj_GetAll(connection.handle(), projects);
  if (status != 0) {
    qe::cli::PrintError("projects", "cannot read the projects of '" + files[0] + "' (status " +
                                        std::to_string(status) + ")");
    return qe::cli::kExitFailure;
  }
  std::vector<ProjectLine> lines;
  for (const SQeProjectDbRow_project& project : projects) {
    ProjectLine line;
    line.row = project;
    line.jobdefs = qe::cli::CountRows(connection, L"jobdef", L"iProjKeyRef", project.iKey);
    line.runs = qe::cli::CountRows(connection, L"jobrun", L"iProjKeyRef", project.iKey);
    line.frames =
        qe::cli::CountRows(connection, L"frame JOIN jobrun ON frame.iJobrunKeyRef=jobrun.iKey",
                           L"jobrun.iProjKeyRef", project.iKey);
    lines.push_back(line);
  }
  if (json) {
    PrintJson(connection.handle(), lines);
  } else {
    PrintText(lines);
  }
  return qe::cli::kExitOk;
}

}  // namespace

QE_CLI_COMMAND("projects", "list the projects of a database with folders, times and counts", kHelp,
               &RunProjects);
