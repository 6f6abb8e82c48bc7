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
//   create DB LIMIT | insert DB LIMIT ROWS | upgrade DB LIMIT
//   merge TARGET SOURCE LIMIT
//       The operation with every file limited to LIMIT bytes (RLIMIT_FSIZE,
//       SIGXFSZ ignored: a write past it fails as on a full disk). Prints
//       "S <status>" (LIMIT "none": no limit) ("C 0" instead when insert cannot connect; merge
//       first prints "F <files copied> <file copies failed>").
//   project DB | run DB
//       Inserts a project (or a run of the database's project) whose folder
//       the parent made read-only. Run as root, it first enters a user
//       namespace of its own (without a mapping for root), where the
//       permission bits hold for it too; exit 77 when that is impossible.
//       Prints "S <status> <key>".
//
// Exit: 0 done, 2 usage, 3 wrong keys written back, 4 cannot connect or read
// the run, 5 a batch failed, 77 no user namespace.
#include <sqlite3.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "qe/projectdb/connection.h"
#include "reliability/acquisition.h"
#include "reliability/programs/writer_commands.h"

namespace {

using namespace qe::reliability;

int CountBusy(void* counter, int /*attempts*/) {
  ++*static_cast<int64_t*>(counter);
  return 0;
}

int Acquire(const std::vector<std::string>& args) {
  if (args.size() < 3) return 2;
  const int64_t first = std::atoll(args[1].c_str());
  const int64_t count = std::atoll(args[2].c_str());
  bool failFast = false, verifyKeys = false;
  for (size_t i = 3; i < args.size(); ++i) {
    failFast |= args[i] == "--fail-fast";
    verifyKeys |= args[i] == "--verify-keys";
  }
  const uint32_t h = QeProjectDb_Db_Connect(CQeStringW::FromUtf8(args[0]));
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

}  // namespace

namespace qe::reliability {

void Report(const std::string& line) {
  const std::string text = line + "\n";
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = write(STDOUT_FILENO, text.data() + done, text.size() - done);
    if (n <= 0) return;
    done += static_cast<size_t>(n);
  }
}

}  // namespace qe::reliability

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string command = argv[1];
  const std::vector<std::string> args(argv + 2, argv + argc);
  namespace rel = qe::reliability;
  if (command == "acquire") return Acquire(args);
  if (command == "create") return rel::FaultCreate(args);
  if (command == "insert") return rel::FaultInsert(args);
  if (command == "upgrade") return rel::FaultUpgrade(args);
  if (command == "merge") return rel::FaultMerge(args);
  if (command == "project") return rel::ReadOnlyProject(args);
  if (command == "run") return rel::ReadOnlyRun(args);
  return 2;
}
