// Upgrading a version-10 project database to the current version with
// QeProjectDb_Db_Upgrade (every step, the index check and the compaction)
// against VACUUM of the same file on a plain connection: the cost of
// rewriting the file once.
//
//  Upgrade/lib|vacuum    a version-10 file of about 100 MB (frames with
//                        tags, property values, loop indices, image files)
//
// Each iteration works on a fresh copy of the cached file, made with the
// timers paused.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "qe/projectdb/upgrade.h"
#include "support/bench_util.h"
#include "support/datasets.h"

namespace {

using namespace qe::bench;
using Clock = std::chrono::steady_clock;

const std::filesystem::path& Version10() {
  static const std::filesystem::path path =
      Version10Db(static_cast<int64_t>(Size(100, 10)) * 1000 * 1000);
  return path;
}

std::filesystem::path FreshCopy() {
  const auto path = NewScratchPath("upgrade", ".db");
  CopyFile(Version10(), path);
  return path;
}

void Lib(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    const auto path = FreshCopy();
    state.ResumeTiming();
    const auto start = Clock::now();
    Check(QeProjectDb_Db_Upgrade(CQeStringW::FromUtf8(path.string()), nullptr), "upgrading");
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    state.PauseTiming();
    {
      RawDb db(path, true);
      if (db.Int("SELECT iVersion FROM vesion WHERE wszName='main';") != 77) {
        Fail("the upgraded file is not at version 77");
      }
    }
    RemoveDbFiles(path);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations());
}

void Vacuum(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    const auto path = FreshCopy();
    state.ResumeTiming();
    const auto start = Clock::now();
    {
      RawDb db(path);
      db.Exec("VACUUM;");
    }
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    state.PauseTiming();
    RemoveDbFiles(path);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations());
}

BENCHMARK(Lib)->Name("Upgrade/lib")->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(Vacuum)
    ->Name("Upgrade/vacuum")
    ->Iterations(2)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  (void)Version10();
  benchmark::AddCustomContext("upgrade_file_bytes",
                              std::to_string(std::filesystem::file_size(Version10())));
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
