// Diagnostic trace lines. Nothing in the system depends on them.
//
// Use:  QE_DIAG(L"Upgrade (phase 1) %s", ok ? L"OK" : L"FAILED");
// which is DiagOutputExW_hlp(__FILE__, __LINE__) followed by
// DiagOutputExW(format, values...). The place set by DiagOutputExW_hlp is
// per thread and used by the next DiagOutputExW of that thread.
//
// A line is "<file name>:<line>: <message>" (the file's last path component;
// just the message when no place was set). It goes to the sink: by default
// to stderr, and only when the environment variable QE_DIAG is set and not
// empty; a sink set with QeDiag_SetSink receives every line instead (tests
// capture lines this way).
//
// Thread-safe. The sink and its replacement are guarded by diag_sink_mutex
// (a leaf lock, in diag.cpp). The sink is called while that mutex is held,
// on purpose: lines never interleave, and once QeDiag_SetSink returns the
// old sink is never called again, so a sink may capture locals of a test.
// A sink therefore must not write diagnostics itself.
#pragma once

#include <functional>

#include "qe/core/string.h"

using QeDiagSink = std::function<void(const CQeStringW& line)>;

// Installs sink (an empty function restores the default stderr sink) and
// returns the one it replaces (empty for the default).
QeDiagSink QeDiag_SetSink(QeDiagSink sink);

// Remembers the source place for the calling thread's next DiagOutputExW.
void DiagOutputExW_hlp(const char* source_file, int line);

namespace qe::detail {
// True when a line would go anywhere (a sink is set, or QE_DIAG is set), so
// that disabled diagnostics cost no formatting.
bool DiagWanted();
// Sends one message with the thread's remembered place, then forgets the place.
void DiagEmit(const CQeStringW& message);
void DiagForgetPlace();
}  // namespace qe::detail

// Writes one trace line; format and values as CQeStringW::Format.
template <typename... Args>
void DiagOutputExW(const wchar_t* format, const Args&... args) {
  if (!qe::detail::DiagWanted()) {
    qe::detail::DiagForgetPlace();
    return;
  }
  qe::detail::DiagEmit(CQeStringW::Formatted(format, args...));
}

#define QE_DIAG(...) (DiagOutputExW_hlp(__FILE__, __LINE__), DiagOutputExW(__VA_ARGS__))

// Installs a sink for the life of the object and restores the previous one.
class CQeDiagSinkScope {
 public:
  explicit CQeDiagSinkScope(QeDiagSink sink) : previous_(QeDiag_SetSink(std::move(sink))) {}
  ~CQeDiagSinkScope() { QeDiag_SetSink(std::move(previous_)); }
  CQeDiagSinkScope(const CQeDiagSinkScope&) = delete;
  CQeDiagSinkScope& operator=(const CQeDiagSinkScope&) = delete;

 private:
  QeDiagSink previous_;
};
