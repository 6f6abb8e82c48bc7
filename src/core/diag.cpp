#include "qe/core/diag.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace {

struct Place {
  const char* file = nullptr;
  int line = 0;
};
thread_local Place t_place;

std::mutex diag_sink_mutex;
QeDiagSink diag_sink;                    // guarded by diag_sink_mutex; empty = stderr
std::atomic<bool> diag_sink_set{false};  // mirrors !diag_sink.empty() for the cheap check

bool StderrWanted() {
  const char* value = std::getenv("QE_DIAG");
  return value && *value;
}

const char* BaseName(const char* path) {
  const char* slash = std::strrchr(path, '/');
  return slash ? slash + 1 : path;
}

}  // namespace

QeDiagSink QeDiag_SetSink(QeDiagSink sink) {
  std::lock_guard<std::mutex> lock(diag_sink_mutex);
  QeDiagSink previous = std::move(diag_sink);
  diag_sink = std::move(sink);
  diag_sink_set = static_cast<bool>(diag_sink);
  return previous;
}

void DiagOutputExW_hlp(const char* source_file, int line) { t_place = Place{source_file, line}; }

namespace qe::detail {

bool DiagWanted() { return diag_sink_set.load() || StderrWanted(); }

void DiagForgetPlace() { t_place = Place{}; }

void DiagEmit(const CQeStringW& message) {
  CQeStringW line;
  if (t_place.file) {
    line.Format(L"%s:%d: ", CQeStringW::FromUtf8(BaseName(t_place.file)), t_place.line);
  }
  line += message;
  DiagForgetPlace();
  std::lock_guard<std::mutex> lock(diag_sink_mutex);
  if (diag_sink) {
    try {
      diag_sink(line);
    } catch (...) {
      // Nothing depends on diagnostics; a failing sink must not fail the caller.
    }
  } else if (StderrWanted()) {
    std::string utf8 = line.ToUtf8() + '\n';
    std::fwrite(utf8.data(), 1, utf8.size(), stderr);
  }
}

}  // namespace qe::detail
