// reliability_writer: the child process of the reliability tests. It does
// one job on a project database and reports on stdout, one line per event,
// written straight to the file descriptor (no buffering), so that a parent
// that kills it knows exactly what it had reported.
//
//   acquire DB FIRST COUNT [--fail-fast] [--verify-keys]
//       Writes batches FIRST, FIRST+1, ... (COUNT of them, 0: until killed;
//       see reliability/acquisition.h). Prints "R" once connected, "<step>
//       <batch>" after each step's commit returned, and at the end "D
//       <busy calls> <frame retries> <key mismatches>". --fail-fast replaces
//       the 60 s busy timeout by a handler that counts and gives up at once,
//       so every lock conflict goes through the restart protocol.
//   insert DB LIMIT ROWS
//       Inserts ROWS frame properties in one batch with every file limited
//       to LIMIT bytes (RLIMIT_FSIZE, SIGXFSZ ignored: a write past it fails
//       as on a full disk). Prints "S <status>" ("C 0" when it cannot
//       connect).
//   project DB | run DB
//       Inserts a project (or a run of the database's project) whose folder
//       the parent made read-only. Run as root, it first enters a user
//       namespace of its own (without a mapping for root), where the
//       permission bits hold for it too. Prints "S <status> <key>", or
//       "U <reason>" and exits 77 when that is impossible.
//
// Exit: 0 done, 2 usage, 3 wrong keys written back, 4 cannot connect or read
// the run, 5 a batch failed, 77 no user namespace.
#include <sched.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "qe/projectdb/connection.h"
#include "qe/projectdb/db.h"
#include "qe/projectdb/records.h"
#include "reliability/acquisition.h"

namespace {

using namespace qe::reliability;
using Args = std::vector<std::string>;

constexpr int kUsage = 2;

CQeStringW W(const std::string& text) { return CQeStringW::FromUtf8(text); }

// Writes line and a newline to stdout at once: one write of less than
// PIPE_BUF bytes to a pipe is never split.
void Report(const std::string& line) {
  const std::string text = line + "\n";
  if (write(STDOUT_FILENO, text.data(), text.size()) < 0) std::abort();
}

int CountBusy(void* counter, int /*attempts*/) {
  ++*static_cast<int64_t*>(counter);
  return 0;
}

int Acquire(const Args& args) {
  if (args.size() < 3) return kUsage;
  const int64_t first = std::atoll(args[1].c_str());
  const int64_t count = std::atoll(args[2].c_str());
  bool failFast = false, verifyKeys = false;
  for (size_t i = 3; i < args.size(); ++i) {
    failFast |= args[i] == "--fail-fast";
    verifyKeys |= args[i] == "--verify-keys";
  }
  const uint32_t h = QeProjectDb_Db_Connect(W(args[0]));
  SAcquisitionRun run;
  if (h == 0 || ReadAcquisitionRun(h, run) != 0) {
    Report("E connect");
    return 4;
  }
  int64_t busyCalls = 0;
  if (failFast) {
    sqlite3_busy_handler(CQeProjectDbConnectionManager::GetConnection(h), CountBusy, &busyCalls);
  }
  Report("R");
  CAcquisitionWriter writer(h, run, verifyKeys);
  for (int64_t batch = first; count == 0 || batch < first + count; ++batch) {
    const int status = writer.WriteBatch(
        batch, [batch](char step) { Report(std::string(1, step) + " " + std::to_string(batch)); });
    if (status != 0) {
      Report("E " + std::to_string(status) + " " + std::to_string(batch));
      QeProjectDb_Db_Disconnect(h);
      return 5;
    }
  }
  QeProjectDb_Db_Disconnect(h);
  Report("D " + std::to_string(busyCalls) + " " + std::to_string(writer.FrameRetries()) + " " +
         std::to_string(writer.KeyMismatches()));
  return writer.KeyMismatches() == 0 ? 0 : 3;
}

// Inserts ROWS frame properties in one batch with every later write past
// LIMIT bytes of any file failing with EFBIG instead of killing the process.
int Insert(const Args& args) {
  if (args.size() != 3) return kUsage;
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit limit{};
  getrlimit(RLIMIT_FSIZE, &limit);
  limit.rlim_cur = static_cast<rlim_t>(std::strtoull(args[1].c_str(), nullptr, 10));
  setrlimit(RLIMIT_FSIZE, &limit);
  const uint32_t h = QeProjectDb_Db_Connect(W(args[0]));
  SAcquisitionRun run;
  if (h == 0 || ReadAcquisitionRun(h, run) != 0) {
    Report("C 0");
    QeProjectDb_Db_Disconnect(h);
    return 0;
  }
  std::vector<SQeProjectDbRow_frameprop> rows;
  for (int i = 0; i < std::atoi(args[2].c_str()); ++i) {
    rows.emplace_back(0, run.run, 0, run.props[i % kProps], kFaultFirstFrame + i / kProps,
                      static_cast<double>(i));
  }
  const int status = QeProjectDb_Frameprop_InsertMany(h, rows);
  QeProjectDb_Db_Disconnect(h);
  Report("S " + std::to_string(status));
  return 0;
}

// Root passes every permission check. In a user namespace without a mapping
// for root it keeps owning its files, but the capability to override
// permissions no longer applies to them.
int ReadOnly(const std::string& command, const Args& args) {
  if (args.size() != 1) return kUsage;
  if (geteuid() == 0 && unshare(CLONE_NEWUSER) != 0) {
    Report(std::string("U ") + std::strerror(errno));
    return 77;
  }
  const uint32_t h = QeProjectDb_Db_Connect(W(args[0]));
  int64_t key = -1;
  int status = 0;
  if (command == "project") {
    status = QeProjectDb_Proj_Insert(h, L"Blocked", L"", L"blocked", &key);
  } else {
    // The acquisition database's first and only project, job definition and program.
    SQeProjectDbRow_project row;
    QeProjectDb_Proj_GetOne(h, 1, row);
    SQeProjectDbRow_jobrun run;
    run.iKey = -1;
    status = QeProjectDb_Jobrun_Insert(h, 1, QeProjectDb_Proj_MakeAbsPath(h, row.wszFolderName), 1,
                                       1, 1, L"Blocked run", L"", &run, nullptr);
    key = run.iKey;
  }
  QeProjectDb_Db_Disconnect(h);
  Report("S " + std::to_string(status) + " " + std::to_string(key));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return kUsage;
  const std::string command = argv[1];
  const Args args(argv + 2, argv + argc);
  if (command == "acquire") return Acquire(args);
  if (command == "insert") return Insert(args);
  if (command == "project" || command == "run") return ReadOnly(command, args);
  return kUsage;
}
