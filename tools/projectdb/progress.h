// Progress of long work in the projectdb tool (upgrade, merge, thumbs, demo).
//
// On a terminal (stderr is a tty) a bar is redrawn in place:
//   thumbnails  [##########..........]  50%  384/768
// Otherwise (a pipe, a file, a test) plain lines are written, one at the
// start, one at each further quarter and one at the end, so logs stay short:
//   thumbnails: 0/768
//   thumbnails: 192/768 (25%)
//   ...
//   thumbnails: done, 768/768
// Progress always goes to stderr, so that stdout keeps only results.
//
// Threads: Step, Set and Finish may be called from any thread (thumbnail
// callbacks run on reader threads); one mutex (mutex_) guards every member
// that changes. It is a leaf lock, held while one line is written.
#pragma once

#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>

namespace qe::cli {

class Progress {
 public:
  // what names the work ("thumbnails"); total is the number of steps, 0
  // when unknown (then only the count is shown). Writes the first line.
  Progress(std::string what, int64_t total);
  // Finishes the display when Finish was not called.
  ~Progress();
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;

  // One or more steps done.
  void Step(int64_t steps = 1);
  // Sets the count of steps done (never goes back).
  void Set(int64_t done);
  // Sets the share done in percent (0 to 100), for work that reports
  // percentages such as the schema upgrade.
  void SetPercent(int percent);
  // Ends the display: the bar (or a last line) shows the final count,
  // followed by a line break.
  void Finish();

  // Whether progress is drawn as a bar: stderr is a terminal and TERM is not
  // "dumb".
  static bool OnTerminal();
  // Overrides OnTerminal for the tests of this helper; out receives the
  // output instead of stderr.
  Progress(std::string what, int64_t total, bool terminal, std::FILE* out);

 private:
  void Show(bool force);  // mutex_ held

  const std::string what_;
  const int64_t total_;
  const bool terminal_;
  std::FILE* const out_;
  std::mutex mutex_;
  int64_t done_ = 0;           // guarded by mutex_
  int lastQuarter_ = 0;        // guarded by mutex_: plain lines written so far
  int lastDrawnPercent_ = -1;  // guarded by mutex_: percentage the bar shows
  int64_t lastDrawnDone_ = -1;
  bool finished_ = false;  // guarded by mutex_
};

}  // namespace qe::cli
