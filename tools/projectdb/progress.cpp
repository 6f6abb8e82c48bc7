#include "progress.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace qe::cli {

namespace {

constexpr int kBarWidth = 30;

}  // namespace

bool Progress::OnTerminal() {
  const char* term = std::getenv("TERM");
  return isatty(fileno(stderr)) != 0 && !(term && std::strcmp(term, "dumb") == 0);
}

Progress::Progress(std::string what, int64_t total)
    : Progress(std::move(what), total, OnTerminal(), stderr) {}

Progress::Progress(std::string what, int64_t total, bool terminal, std::FILE* out)
    : what_(std::move(what)), total_(std::max<int64_t>(total, 0)), terminal_(terminal), out_(out) {
  // Results written so far come first when stdout and stderr share a file.
  std::fflush(stdout);
  std::lock_guard<std::mutex> lock(mutex_);
  Show(true);
}

Progress::~Progress() { Finish(); }

void Progress::Step(int64_t steps) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (finished_) return;
  done_ += std::max<int64_t>(steps, 0);
  Show(false);
}

void Progress::Set(int64_t done) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (finished_ || done <= done_) return;
  done_ = done;
  Show(false);
}

void Progress::SetPercent(int percent) {
  if (total_ <= 0) return;
  Set(total_ * std::clamp(percent, 0, 100) / 100);
}

void Progress::Finish() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (finished_) return;
  if (total_ > 0 && done_ < total_ && !terminal_) {
    // Work that ended early says how far it came.
    std::fprintf(out_, "%s: stopped at %lld/%lld\n", what_.c_str(), static_cast<long long>(done_),
                 static_cast<long long>(total_));
  } else if (terminal_) {
    Show(true);
    std::fputc('\n', out_);
  } else {
    std::fprintf(out_, "%s: done, %lld%s%s\n", what_.c_str(), static_cast<long long>(done_),
                 total_ > 0 ? "/" : "", total_ > 0 ? std::to_string(total_).c_str() : "");
  }
  std::fflush(out_);
  finished_ = true;
}

void Progress::Show(bool force) {
  const int percent =
      total_ > 0 ? static_cast<int>(std::min<int64_t>(done_, total_) * 100 / total_) : -1;
  if (terminal_) {
    // Redraw only when something visible changed.
    if (!force && percent == lastDrawnPercent_ && (total_ > 0 || done_ == lastDrawnDone_)) return;
    lastDrawnPercent_ = percent;
    lastDrawnDone_ = done_;
    if (total_ > 0) {
      const int filled = percent * kBarWidth / 100;
      std::string bar(static_cast<size_t>(filled), '#');
      bar.append(static_cast<size_t>(kBarWidth - filled), '.');
      std::fprintf(out_, "\r%s  [%s] %3d%%  %lld/%lld", what_.c_str(), bar.c_str(), percent,
                   static_cast<long long>(done_), static_cast<long long>(total_));
    } else {
      std::fprintf(out_, "\r%s  %lld", what_.c_str(), static_cast<long long>(done_));
    }
    std::fflush(out_);
    return;
  }
  if (force) {
    std::fprintf(out_, "%s: %lld%s%s\n", what_.c_str(), static_cast<long long>(done_),
                 total_ > 0 ? "/" : "", total_ > 0 ? std::to_string(total_).c_str() : "");
    std::fflush(out_);
    return;
  }
  // Plain lines at 25, 50 and 75 per cent; the end is Finish's line.
  if (total_ <= 0 || done_ >= total_) return;
  const int quarter = percent / 25;
  if (quarter > lastQuarter_) {
    lastQuarter_ = quarter;
    std::fprintf(out_, "%s: %lld/%lld (%d%%)\n", what_.c_str(), static_cast<long long>(done_),
                 static_cast<long long>(total_), percent);
    std::fflush(out_);
  }
}

}  // namespace qe::cli
