#include "reliability/programs/writer_commands.h"

#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include "qe/projectdb/connection.h"
#include "qe/projectdb/db.h"
#include "qe/projectdb/merge.h"
#include "qe/projectdb/records.h"
#include "qe/projectdb/upgrade.h"
#include "qe/sqlite/cmd.h"
#include "reliability/acquisition.h"

namespace qe::reliability {
namespace {

constexpr int kUsage = 2;
constexpr int kNoNamespace = 77;

CQeStringW W(const std::string& text) { return CQeStringW::FromUtf8(text); }

// Every later write past limit bytes of any file fails with EFBIG instead of
// killing the process. "none" sets no limit.
void LimitFileSize(const std::string& limit) {
  if (limit == "none") return;
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit current{};
  getrlimit(RLIMIT_FSIZE, &current);
  current.rlim_cur = static_cast<rlim_t>(std::strtoull(limit.c_str(), nullptr, 10));
  setrlimit(RLIMIT_FSIZE, &current);
}

int ReportStatus(int status) {
  Report("S " + std::to_string(status));
  return 0;
}

// Root passes every permission check. In a user namespace without a mapping
// for root it keeps owning its files, but the capability to override
// permissions no longer applies to them.
bool DropRootOverride() {
  if (geteuid() != 0) return true;
  if (unshare(CLONE_NEWUSER) == 0) return true;
  Report(std::string("U ") + std::strerror(errno));
  return false;
}

int64_t ReadKey(uint32_t h, const wchar_t* sql) {
  CQeSqliteCmd select(CQeProjectDbConnectionManager::GetConnection(h), sql);
  return select.Next() ? select.ColumnInt64(0) : 0;
}

}  // namespace

int FaultCreate(const std::vector<std::string>& args) {
  if (args.size() != 2) return kUsage;
  LimitFileSize(args[1]);
  return ReportStatus(QeProjectDb_Db_Create(W(args[0])));
}

int FaultInsert(const std::vector<std::string>& args) {
  if (args.size() != 3) return kUsage;
  LimitFileSize(args[1]);
  const int rows = std::atoi(args[2].c_str());
  const uint32_t h = QeProjectDb_Db_Connect(W(args[0]));
  SAcquisitionRun run;
  if (h == 0 || ReadAcquisitionRun(h, run) != 0) {
    Report("C 0");
    QeProjectDb_Db_Disconnect(h);
    return 0;
  }
  std::vector<SQeProjectDbRow_frameprop> batch;
  for (int i = 0; i < rows; ++i) {
    batch.emplace_back(0, run.run, 0, run.props[i % kProps], kFaultFirstFrame + i / kProps,
                       static_cast<double>(i));
  }
  const int status = QeProjectDb_Frameprop_InsertMany(h, batch);
  QeProjectDb_Db_Disconnect(h);
  return ReportStatus(status);
}

int FaultUpgrade(const std::vector<std::string>& args) {
  if (args.size() != 2) return kUsage;
  LimitFileSize(args[1]);
  return ReportStatus(QeProjectDb_Db_Upgrade(W(args[0]), nullptr));
}

int FaultMerge(const std::vector<std::string>& args) {
  if (args.size() != 3) return kUsage;
  LimitFileSize(args[2]);
  SQeProjectDbMergeReport report;
  const int status = QeProjectDb_Db_MergeDbEx(W(args[0]), W(args[1]), nullptr, &report);
  Report("F " + std::to_string(report.iFilesCopied) + " " + std::to_string(report.iFileFailures));
  return ReportStatus(status);
}

int ReadOnlyProject(const std::vector<std::string>& args) {
  if (args.size() != 1) return kUsage;
  if (!DropRootOverride()) return kNoNamespace;
  const uint32_t h = QeProjectDb_Db_Connect(W(args[0]));
  int64_t key = -1;
  const int status = QeProjectDb_Proj_Insert(h, L"Blocked", L"", L"blocked", &key);
  QeProjectDb_Db_Disconnect(h);
  Report("S " + std::to_string(status) + " " + std::to_string(key));
  return 0;
}

int ReadOnlyRun(const std::vector<std::string>& args) {
  if (args.size() != 1) return kUsage;
  if (!DropRootOverride()) return kNoNamespace;
  const uint32_t h = QeProjectDb_Db_Connect(W(args[0]));
  const int64_t project = ReadKey(h, L"SELECT max(iKey) FROM project;");
  const int64_t jobdef = ReadKey(h, L"SELECT max(iKey) FROM jobdef;");
  const int64_t program = ReadKey(h, L"SELECT max(iKey) FROM jobprogram;");
  SQeProjectDbRow_project row;
  QeProjectDb_Proj_GetOne(h, project, row);
  SQeProjectDbRow_jobrun run;
  run.iKey = -1;
  const int status =
      QeProjectDb_Jobrun_Insert(h, project, QeProjectDb_Proj_MakeAbsPath(h, row.wszFolderName),
                                jobdef, program, 1, L"Blocked run", L"", &run, nullptr);
  QeProjectDb_Db_Disconnect(h);
  Report("S " + std::to_string(status) + " " + std::to_string(run.iKey));
  return 0;
}

}  // namespace qe::reliability
