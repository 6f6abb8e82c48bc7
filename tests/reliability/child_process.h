// The writer program (programs/writer_main.cpp) run as a child process:
// started with posix_spawn (a new program, never a fork of the threaded test
// process), its stdout a pipe that the test reads line by line.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace qe::reliability {

class CWriterProcess {
 public:
  // Starts the writer with args (its command and arguments).
  explicit CWriterProcess(const std::vector<std::string>& args);
  // Kills and reaps a child still running.
  ~CWriterProcess();
  CWriterProcess(const CWriterProcess&) = delete;
  CWriterProcess& operator=(const CWriterProcess&) = delete;

  bool Started() const { return pid_ > 0; }
  // The next whole line; false once the child closed its end (and no
  // line is left).
  bool ReadLine(std::string& line);
  // Collects the lines that arrive within duration (fewer when the child
  // closes its end before).
  void ReadFor(std::chrono::microseconds duration, std::vector<std::string>& lines);
  void Kill();
  // Reads every remaining line until the child closes its end, reaps it and
  // returns its wait status.
  int Finish(std::vector<std::string>& lines);

 private:
  // Reads once what is there (waiting at most timeout, negative: until data
  // or end); false at the end.
  bool Fill(std::chrono::microseconds timeout);
  bool TakeLine(std::string& line);

  pid_t pid_ = -1;
  int fd_ = -1;
  std::string buffer_;
  bool ended_ = false;
};

// The writer's path (set by the build).
const char* WriterPath();

// Runs the writer to its end and returns its lines; *status is the wait
// status.
std::vector<std::string> RunWriter(const std::vector<std::string>& args, int* status);

// True when a wait status says the child exited by itself with code.
bool ExitedWith(int status, int code);

}  // namespace qe::reliability
