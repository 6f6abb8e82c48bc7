#include "reliability/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

extern char** environ;

namespace qe::reliability {

const char* WriterPath() { return QE_RELIABILITY_WRITER; }

CWriterProcess::CWriterProcess(const std::vector<std::string>& args) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return;
  std::vector<std::string> argvText{WriterPath()};
  argvText.insert(argvText.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : argvText) argv.push_back(arg.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  // dup2 clears close-on-exec on the copy, so only stdout stays open.
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
  pid_t pid = -1;
  if (posix_spawn(&pid, WriterPath(), &actions, nullptr, argv.data(), environ) == 0) pid_ = pid;
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  fd_ = fds[0];
}

CWriterProcess::~CWriterProcess() {
  Kill();
  std::vector<std::string> rest;
  Finish(rest);
  if (fd_ >= 0) close(fd_);
}

bool CWriterProcess::Fill(std::chrono::microseconds timeout) {
  if (ended_ || fd_ < 0) return false;
  pollfd poller{fd_, POLLIN, 0};
  const timespec wait{static_cast<time_t>(timeout.count() / 1000000),
                      static_cast<long>(timeout.count() % 1000000 * 1000)};
  const int ready = ppoll(&poller, 1, timeout.count() < 0 ? nullptr : &wait, nullptr);
  if (ready <= 0) return ready == 0 || errno == EINTR;
  char chunk[4096];
  const ssize_t n = read(fd_, chunk, sizeof chunk);
  if (n < 0 && errno == EINTR) return true;
  if (n <= 0) ended_ = true;
  if (n > 0) buffer_.append(chunk, static_cast<size_t>(n));
  return n > 0;
}

bool CWriterProcess::TakeLine(std::string& line) {
  const size_t end = buffer_.find('\n');
  if (end == std::string::npos) return false;
  line = buffer_.substr(0, end);
  buffer_.erase(0, end + 1);
  return true;
}

bool CWriterProcess::ReadLine(std::string& line) {
  while (!TakeLine(line)) {
    if (!Fill(std::chrono::microseconds(-1))) return false;
  }
  return true;
}

void CWriterProcess::ReadFor(std::chrono::microseconds duration, std::vector<std::string>& lines) {
  const auto deadline = std::chrono::steady_clock::now() + duration;
  std::string line;
  for (;;) {
    while (TakeLine(line)) lines.push_back(line);
    const auto left = std::chrono::duration_cast<std::chrono::microseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0 || !Fill(left)) return;
  }
}

void CWriterProcess::Kill() {
  if (pid_ > 0) kill(pid_, SIGKILL);
}

int CWriterProcess::Finish(std::vector<std::string>& lines) {
  std::string line;
  while (ReadLine(line)) lines.push_back(line);
  // Lines are written whole in one write each; a rest would not be a report.
  buffer_.clear();
  int status = -1;
  while (pid_ > 0 && waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
  pid_ = -1;
  return status;
}

std::vector<std::string> RunWriter(const std::vector<std::string>& args, int* status) {
  CWriterProcess child(args);
  std::vector<std::string> lines;
  *status = child.Finish(lines);
  return lines;
}

bool ExitedWith(int status, int code) {
  return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == code;
}

}  // namespace qe::reliability
