// Thumbnails: 128-pixel pictures of 16-bit gray TIFF frames.
//
//  Thumbs/cold/lib     every frame posted to a new thumbnail database: each
//                      is read from its file, shrunk, encoded and stored
//  Thumbs/cold/vips    vipsthumbnail making 128-pixel JPEGs of the same files
//                      (one process for all of them, its own threads)
//  Thumbs/warm/lib     every frame posted again: answered from the database
//
// Throughput is frames per second over the whole set; times are wall-clock
// from the first post (or the start of vipsthumbnail) to the last picture.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "qe/picture/image_format.h"
#include "qe/thumbdb/project_thumb_db.h"
#include "support/bench_util.h"
#include "support/datasets.h"

extern char** environ;

namespace {

using namespace qe::bench;
using Clock = std::chrono::steady_clock;

const std::vector<std::filesystem::path>& Frames() {
  static const std::vector<std::filesystem::path> frames =
      TiffFrames(Size(500, 100), Size(1024, 512));
  return frames;
}

// Counts deliveries and checks that each one has a picture.
class Counter : public IQeProjectThumbReadyCallback {
 public:
  void Reset() {
    std::lock_guard lock(mutex_);
    count_ = 0;
    failed_ = 0;
  }
  void ThumbnailReady(CQeRefCountPtr<CQeProjectThumb> request, bool) override {
    std::lock_guard lock(mutex_);
    if (request->Result() != 0 || !request->PicBuf().pData) ++failed_;
    ++count_;
    changed_.notify_all();
  }
  void PreviewReady(CQeRefCountPtr<CQeProjectThumb>, bool) override {}
  void WaitFor(size_t count) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return count_ >= count; });
    if (failed_ != 0) Fail(std::to_string(failed_) + " thumbnails failed");
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  size_t count_ = 0;
  size_t failed_ = 0;
};

// Posts every frame (waiting while the reading queue is full) and waits for
// every picture.
void PostAll(CQeProjectThumbDb& thumbs, Counter& counter) {
  counter.Reset();
  const auto& frames = Frames();
  for (size_t i = 0; i < frames.size(); ++i) {
    const std::wstring file = frames[i].wstring();
    for (;;) {
      const int status =
          thumbs.PostThumbRequest(L"0123456789abcdef0123456789abcdef", static_cast<int>(i),
                                  file.c_str(), 0, &counter, static_cast<int64_t>(i));
      if (status == 0) break;
      if (status != -9) Check(status, "posting a thumbnail request");
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  counter.WaitFor(frames.size());
}

double Seconds(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

void LibCold(benchmark::State& state) {
  CQeImageFormatManager manager;
  Counter counter;
  for (auto _ : state) {
    const std::wstring path = NewScratchPath("thumbs", ".db").wstring();
    CQeProjectThumbDb thumbs(path.c_str(), &manager, static_cast<int>(Frames().size()));
    const auto start = Clock::now();
    PostAll(thumbs, counter);
    state.SetIterationTime(Seconds(start));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(Frames().size()));
}

void LibWarm(benchmark::State& state) {
  CQeImageFormatManager manager;
  Counter counter;
  const std::wstring path = NewScratchPath("thumbs", ".db").wstring();
  CQeProjectThumbDb thumbs(path.c_str(), &manager, static_cast<int>(Frames().size()));
  PostAll(thumbs, counter);  // fills the database
  for (auto _ : state) {
    const auto start = Clock::now();
    PostAll(thumbs, counter);
    state.SetIterationTime(Seconds(start));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(Frames().size()));
}

// Runs vipsthumbnail on every frame, JPEG quality 80 as the library's.
void RunVips(const std::filesystem::path& out) {
  std::vector<std::string> args = {"vipsthumbnail", "--size", "128", "-o",
                                   (out / "%s.jpg[Q=80]").string()};
  for (const auto& frame : Frames()) args.push_back(frame.string());
  std::vector<char*> argv;
  for (auto& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawnp(&pid, "vipsthumbnail", nullptr, nullptr, argv.data(), environ) != 0) {
    Fail("cannot start vipsthumbnail (install libvips-tools)");
  }
  int status = 0;
  waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) Fail("vipsthumbnail failed");
}

void VipsCold(benchmark::State& state) {
  for (auto _ : state) {
    const auto out = NewScratchPath("vips");
    std::filesystem::create_directories(out);
    const auto start = Clock::now();
    RunVips(out);
    state.SetIterationTime(Seconds(start));
    std::filesystem::remove_all(out);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(Frames().size()));
}

BENCHMARK(LibCold)
    ->Name("Thumbs/cold/lib")
    ->Iterations(2)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(VipsCold)
    ->Name("Thumbs/cold/vips")
    ->Iterations(2)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(LibWarm)
    ->Name("Thumbs/warm/lib")
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  // Made before any timing; the files are then in the page cache for all.
  (void)Frames();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
