// Merging a project database into an empty one: QeProjectDb_Db_MergeDb
// against a raw copy of the same tables ("INSERT OR IGNORE INTO main.<t>
// SELECT * FROM src.<t>" for every table, in one transaction, keeping the
// keys, with foreign keys off as the merge has them).
//
//  Merge/lib|raw    a source of 20 runs with about 200 000 rows (frames,
//                   labels, quantity values and loop indices, 2 500 each
//                   per run); rows per second of source rows
//
// Each iteration starts from a fresh copy of the same empty target, made
// with the timers paused.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "qe/projectdb/db.h"
#include "qe/projectdb/merge.h"
#include "qe/projectdb/schema.h"
#include "support/bench_util.h"
#include "support/datasets.h"

namespace {

using namespace qe::bench;
using Clock = std::chrono::steady_clock;

const std::filesystem::path& Source() {
  static const std::filesystem::path path = ScreenDb({10, 20, Size(2500, 250), /*loops=*/true});
  return path;
}

const std::filesystem::path& EmptyTarget() {
  static const std::filesystem::path path = [] {
    const auto p = ScratchDir() / "empty-target.db";
    Check(QeProjectDb_Db_Create(CQeStringW::FromUtf8(p.string())), "creating the target");
    return p;
  }();
  return path;
}

std::string TableName(const SQeSqliteTableDef& table) { return CQeStringW(table.wszName).ToUtf8(); }

// Rows of every table of the source but the version table.
int64_t SourceRows() {
  static const int64_t rows = [] {
    RawDb db(Source(), true);
    int64_t total = 0;
    for (uint32_t i = 0; i < kQeProjectDbTableCount; ++i) {
      const std::string name = TableName(*g_QeProjectDbTables[i]);
      if (name != "vesion") total += db.Int("SELECT count(*) FROM " + name + ";");
    }
    return total;
  }();
  return rows;
}

std::filesystem::path FreshTarget() {
  const auto path = NewScratchPath("target", ".db");
  CopyFile(EmptyTarget(), path);
  return path;
}

void Lib(benchmark::State& state) {
  const CQeStringW source = CQeStringW::FromUtf8(Source().string());
  for (auto _ : state) {
    state.PauseTiming();
    const auto target = FreshTarget();
    state.ResumeTiming();
    const auto start = Clock::now();
    Check(QeProjectDb_Db_MergeDb(CQeStringW::FromUtf8(target.string()), source), "merging");
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
  }
  state.SetItemsProcessed(state.iterations() * SourceRows());
}

void Raw(benchmark::State& state) {
  std::string copy = "BEGIN;\n";
  for (uint32_t i = 0; i < kQeProjectDbTableCount; ++i) {
    const std::string name = TableName(*g_QeProjectDbTables[i]);
    if (name == "vesion") continue;
    copy += "INSERT OR IGNORE INTO main." + name + " SELECT * FROM src." + name + ";\n";
  }
  copy += "COMMIT;\n";
  for (auto _ : state) {
    state.PauseTiming();
    const auto target = FreshTarget();
    state.ResumeTiming();
    const auto start = Clock::now();
    {
      RawDb db(target);
      db.Exec("PRAGMA foreign_keys=0; ATTACH DATABASE '" + Source().string() + "' AS src;");
      db.Exec(copy);
      db.Exec("DETACH DATABASE src;");
    }
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
  }
  state.SetItemsProcessed(state.iterations() * SourceRows());
}

BENCHMARK(Lib)->Name("Merge/lib")->Iterations(2)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(Raw)->Name("Merge/raw")->Iterations(2)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  (void)Source();
  (void)EmptyTarget();
  benchmark::AddCustomContext("merge_source_rows", std::to_string(SourceRows()));
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
