// projectdb runs: the job runs of a database (or of one project) with their
// folders, times, state and what they recorded.
#include <cstdio>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "command.h"
#include "qe/projectdb/records/jobdef.h"
#include "qe/projectdb/records/jobrun.h"
#include "qe/projectdb/records/project.h"
#include "qe/projectdb/sys.h"
#include "records_cli.h"

namespace {

constexpr const char* kHelp =
    "usage: projectdb runs FILE [--project KEY] [--json]\n"
    "\n"
    "Lists the job runs of the project database FILE, opened read-only: key,\n"
    "project, job definition, name, run folder (below the project root folder\n"
    "beside FILE), start and finish time, state, and the numbers of image files\n"
    "and frames recorded. Times are shown in the user's locale (LC_ALL, LC_TIME,\n"
    "LANG) and time zone (TZ). A run still marked running shows \"running\"; one\n"
    "that was closed after it was left running shows \"interrupted\".\n"
    "\n"
    "options:\n"
    "  --project KEY  only the runs of the project with that key (see\n"
    "                 projectdb projects)\n"
    "  --json         one JSON array of objects instead of the table, with the\n"
    "                 times also as JDN numbers, the finish flags and message,\n"
    "                 and the absolute run folders\n";

constexpr int64_t kRunningBit = 1;
constexpr int64_t kFinishCodeInterrupted = 4;

struct RunLine {
  SQeProjectDbRow_jobrun row;
  CQeStringW project;
  CQeStringW jobdef;
  CQeStringW folder;  // relative to the project root, native separators
  int64_t files = 0;
  int64_t frames = 0;
};

CQeStringW StateOf(int64_t flags) {
  if (flags & kRunningBit) return L"running";
  const int64_t code = flags & 0xFF;
  if (code == kFinishCodeInterrupted) return L"interrupted";
  return CQeStringW::Formatted(L"finished (code %I64d)", code);
}

void PrintJson(uint32_t handle, const std::vector<RunLine>& lines) {
  nlohmann::ordered_json out = nlohmann::ordered_json::array();
  for (const RunLine& line : lines) {
    const SQeProjectDbRow_jobrun& r = line.row;
    CQeStringW absolute;
    QeProjectDb_Jobrun_GetAbsPath(handle, r.iKey, absolute);
    out.push_back({{"key", r.iKey},
                   {"uuid", r.wszUuid.ToUtf8()},
                   {"project", r.iProjKeyRef},
                   {"projectName", line.project.ToUtf8()},
                   {"jobDefinition", r.iJobdefKeyRef},
                   {"jobDefinitionName", line.jobdef.ToUtf8()},
                   {"jobProgram", r.iJobprogramKeyRef},
                   {"name", r.wszName.ToUtf8()},
                   {"notes", r.wszDesc.ToUtf8()},
                   {"folderName", r.wszFolderName.ToUtf8()},
                   {"folder", absolute.ToUtf8()},
                   {"started", qe::cli::TimeText(r.dCTime).ToUtf8()},
                   {"startedJdn", r.dCTime},
                   {"finished", qe::cli::TimeText(r.dFTime).ToUtf8()},
                   {"finishedJdn", r.dFTime},
                   {"state", StateOf(r.iFinishFlags).ToUtf8()},
                   {"finishFlags", r.iFinishFlags},
                   {"finishMessage", r.wszFinishMessage.ToUtf8()},
                   {"files", line.files},
                   {"frames", line.frames}});
  }
  std::printf("%s\n",
              out.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace).c_str());
}

void PrintText(const std::vector<RunLine>& lines) {
  qe::cli::TextTable table({L"key", L"project", L"job definition", L"name", L"folder", L"started",
                            L"finished", L"state", L"files", L"frames"},
                           {true, false, false, false, false, false, false, false, true, true});
  for (const RunLine& line : lines) {
    const SQeProjectDbRow_jobrun& r = line.row;
    table.Add({qe::cli::Number(r.iKey), line.project, line.jobdef, r.wszName, line.folder,
               qe::cli::TimeText(r.dCTime), qe::cli::TimeText(r.dFTime), StateOf(r.iFinishFlags),
               qe::cli::Number(line.files), qe::cli::Number(line.frames)});
  }
  table.Print();
  std::printf("%zu run%s\n", lines.size(), lines.size() == 1 ? "" : "s");
}

int RunRuns(const std::vector<std::string>& args) {
  qe::cli::ParsedArgs parsed;
  if (!qe::cli::ParseArgs("runs", args, {{"--json", false}, {"--project", true}}, parsed)) {
    return qe::cli::kExitUsage;
  }
  const bool json = parsed.Has("--json");
  int64_t onlyProject = 0;
  if (parsed.Has("--project") && !qe::cli::ParseKey(parsed.Value("--project"), onlyProject)) {
    return qe::cli::UsageError("runs", "--project needs a project key, a positive number");
  }
  const std::vector<std::string>& files = parsed.positional;
  if (files.size() != 1 || files[0].empty()) {
    return qe::cli::UsageError("runs", "expected one FILE");
  }
  // Listing never writes, so a file in use by the host can be read.
  qe::cli::Database connection;
  if (!connection.Open("runs", files[0], false)) return qe::cli::kExitFailure;
  const uint32_t h = connection.handle();
  if (onlyProject != 0 && !QeProjectDb_Proj_IsExisting(h, onlyProject)) {
    qe::cli::PrintError("runs", "no project with key " + std::to_string(onlyProject));
    return qe::cli::kExitFailure;
  }
  std::vector<SQeProjectDbRow_jobrun> runs;
  const int status = QeProjectDb_Jobrun_GetAll(h, runs);
  if (status != 0) {
    qe::cli::PrintError("runs", "cannot read the runs of '" + files[0] + "' (status " +
                                    std::to_string(status) + ")");
    return qe::cli::kExitFailure;
  }

  std::map<int64_t, SQeProjectDbRow_project> projects;
  std::map<int64_t, CQeStringW> jobdefs;
  std::vector<RunLine> lines;
  for (const SQeProjectDbRow_jobrun& run : runs) {
    if (onlyProject != 0 && run.iProjKeyRef != onlyProject) continue;
    if (!projects.contains(run.iProjKeyRef)) {
      QeProjectDb_Proj_GetOne(h, run.iProjKeyRef, projects[run.iProjKeyRef]);
    }
    if (!jobdefs.contains(run.iJobdefKeyRef)) {
      SQeProjectDbRow_jobdef jobdef;
      QeProjectDb_Jobdef_GetOne(h, run.iJobdefKeyRef, jobdef);
      jobdefs[run.iJobdefKeyRef] = jobdef.wszName;
    }
    const SQeProjectDbRow_project& project = projects[run.iProjKeyRef];
    RunLine line;
    line.row = run;
    line.project = project.wszName;
    line.jobdef = jobdefs[run.iJobdefKeyRef];
    line.folder = project.wszFolderName + L"/" + run.wszFolderName;
    line.folder.Replace(L"\\", L"/");
    line.files = qe::cli::CountRows(connection, L"file", L"iJobrunKeyRef", run.iKey);
    line.frames = qe::cli::CountRows(connection, L"frame", L"iJobrunKeyRef", run.iKey);
    lines.push_back(line);
  }
  if (json) {
    PrintJson(h, lines);
  } else {
    PrintText(lines);
  }
  return qe::cli::kExitOk;
}

}  // namespace

QE_CLI_COMMAND("runs", "list the job runs of a database with folders, times, state and counts",
               kHelp, &RunRuns);
