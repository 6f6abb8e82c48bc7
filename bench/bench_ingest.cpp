// Writing acquisition rows: the record API against the raw SQLite C API
// inserting the same rows with one prepared statement.
//
//  Ingest/<kind>/lib|raw       batches of rows in one transaction
//  Autocommit/Frame_Insert/... one frame per statement, as an acquisition
//                              writes them without a transaction
//  IngestScale/Frame_Insert/rows:N   the whole of N frames in one
//                              transaction, to see how the cost per row
//                              grows with the table
//
// Every benchmark starts from its own copy of the same small database and
// reports rows per second; the raw baseline runs on a connection with the
// library's settings (WAL, synchronous NORMAL, foreign keys on).
#include <benchmark/benchmark.h>

#include <chrono>
#include <functional>
#include <vector>

#include "qe/projectdb/db.h"
#include "qe/projectdb/records.h"
#include "support/bench_util.h"
#include "support/datasets.h"

namespace {

using namespace qe::bench;
using Clock = std::chrono::steady_clock;

const SAcquisitionKeys& Keys();

// The template every benchmark copies.
const std::filesystem::path& Template() {
  static const std::filesystem::path path = [] {
    const auto p = ScratchDir() / "template.db";
    (void)Keys();
    return p;
  }();
  return path;
}

const SAcquisitionKeys& Keys() {
  static const SAcquisitionKeys keys = CreateAcquisitionDb(ScratchDir() / "template.db");
  return keys;
}

std::filesystem::path FreshCopy() {
  const auto path = NewScratchPath("ingest", ".db");
  CopyFile(Template(), path);
  return path;
}

double Seconds(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// One kind of row: how the library writes a batch of n rows starting at
// number first, and the raw statement with its bindings for row number i.
struct SKind {
  const char* name;
  std::function<int(uint32_t h, int64_t first, int n)> lib;
  const char* rawSql;
  std::function<void(sqlite3_stmt* stmt, int64_t i)> rawBind;
};

// Frame numbers become frame indices (unique within the run).
int Frame(int64_t i) { return static_cast<int>(i); }

const std::vector<SKind>& Kinds() {
  static const std::vector<SKind> kinds = {
      {"Frame_Insert",
       [](uint32_t h, int64_t first, int n) {
         const SAcquisitionKeys& k = Keys();
         int status = QeProjectDb_Db_TransactionBegin(h);
         for (int64_t i = first; i < first + n && status == 0; ++i) {
           int64_t key = 0;
           status = QeProjectDb_Frame_Insert(h, k.run, k.task, Frame(i), 2460000.5 + i * 1e-5,
                                             k.file, Frame(i), &key);
         }
         const int commit = QeProjectDb_Db_TransactionCommit(h);
         return status != 0 ? status : commit;
       },
       "INSERT INTO frame (iJobrunKeyRef, iJobtaskKeyRef, iFrameIndex, dCTime, iFileKeyRef, "
       "iFileFrameIndex) VALUES (?, ?, ?, ?, ?, ?)",
       [](sqlite3_stmt* s, int64_t i) {
         const SAcquisitionKeys& k = Keys();
         sqlite3_bind_int64(s, 1, k.run);
         sqlite3_bind_int64(s, 2, k.task);
         sqlite3_bind_int(s, 3, Frame(i));
         sqlite3_bind_double(s, 4, 2460000.5 + i * 1e-5);
         sqlite3_bind_int64(s, 5, k.file);
         sqlite3_bind_int(s, 6, Frame(i));
       }},
      {"Loopindex_InsertMany",
       [](uint32_t h, int64_t first, int n) {
         const SAcquisitionKeys& k = Keys();
         std::vector<SQeProjectDbRow_loopindex> rows;
         rows.reserve(n);
         for (int64_t i = first; i < first + n; ++i) {
           rows.emplace_back(0, k.run, Frame(i), k.runloop, Frame(i % 96));
         }
         return QeProjectDb_Loopindex_InsertMany(h, rows);
       },
       "INSERT INTO loopindex (iJobrunKeyRef, iFrameIndex, iRunloopKeyRef, iLoopIndex) VALUES (?, "
       "?, ?, ?)",
       [](sqlite3_stmt* s, int64_t i) {
         const SAcquisitionKeys& k = Keys();
         sqlite3_bind_int64(s, 1, k.run);
         sqlite3_bind_int(s, 2, Frame(i));
         sqlite3_bind_int64(s, 3, k.runloop);
         sqlite3_bind_int(s, 4, Frame(i % 96));
       }},
      {"Frametag_InsertMany",
       [](uint32_t h, int64_t first, int n) {
         const SAcquisitionKeys& k = Keys();
         std::vector<SQeProjectDbRow_frametag> rows;
         rows.reserve(n);
         for (int64_t i = first; i < first + n; ++i) {
           rows.emplace_back(0, k.run, k.firstLabel + i % kLabels, Frame(i));
         }
         return QeProjectDb_Frametag_InsertMany(h, rows);
       },
       "INSERT INTO frametag (iJobrunKeyRef, iTagdefKeyRef, iFrameIndex) VALUES (?, ?, ?)",
       [](sqlite3_stmt* s, int64_t i) {
         const SAcquisitionKeys& k = Keys();
         sqlite3_bind_int64(s, 1, k.run);
         sqlite3_bind_int64(s, 2, k.firstLabel + i % kLabels);
         sqlite3_bind_int(s, 3, Frame(i));
       }},
      {"Frameprop_InsertMany",
       [](uint32_t h, int64_t first, int n) {
         const SAcquisitionKeys& k = Keys();
         std::vector<SQeProjectDbRow_frameprop> rows;
         rows.reserve(n);
         for (int64_t i = first; i < first + n; ++i) {
           rows.emplace_back(0, k.run, k.assayrun, k.firstQuantity + i % kQuantities, Frame(i),
                             i * 0.25);
         }
         return QeProjectDb_Frameprop_InsertMany(h, rows);
       },
       "INSERT INTO frameprop (iJobrunKeyRef, iAssayrunKeyRef, iPropdefKeyRef, iFrameIndex, "
       "dValue) VALUES (?, ?, ?, ?, ?)",
       [](sqlite3_stmt* s, int64_t i) {
         const SAcquisitionKeys& k = Keys();
         sqlite3_bind_int64(s, 1, k.run);
         sqlite3_bind_int64(s, 2, k.assayrun);
         sqlite3_bind_int64(s, 3, k.firstQuantity + i % kQuantities);
         sqlite3_bind_int(s, 4, Frame(i));
         sqlite3_bind_double(s, 5, i * 0.25);
       }},
      {"Binobj_InsertMany",
       [](uint32_t h, int64_t first, int n) {
         const SAcquisitionKeys& k = Keys();
         std::vector<SQeProjectDbRow_binobj> rows;
         rows.reserve(n);
         for (int64_t i = first; i < first + n; ++i) {
           const int x = static_cast<int>(i % 1000);
           rows.emplace_back(0, k.binframe, 0, Frame(i), x, x, x + 12, x + 9, 87);
         }
         return QeProjectDb_Binobj_InsertMany(h, rows);
       },
       "INSERT INTO binobj (iBinframeKeyRef, iTraceKeyRef, iBinObjId, iBBoxL, iBBoxT, iBBoxR, "
       "iBBoxB, iPixelCount) VALUES (?, ?, ?, ?, ?, ?, ?, ?)",
       [](sqlite3_stmt* s, int64_t i) {
         const SAcquisitionKeys& k = Keys();
         const int x = static_cast<int>(i % 1000);
         sqlite3_bind_int64(s, 1, k.binframe);
         sqlite3_bind_null(s, 2);
         sqlite3_bind_int(s, 3, Frame(i));
         sqlite3_bind_int(s, 4, x);
         sqlite3_bind_int(s, 5, x);
         sqlite3_bind_int(s, 6, x + 12);
         sqlite3_bind_int(s, 7, x + 9);
         sqlite3_bind_int(s, 8, 87);
       }},
  };
  return kinds;
}

// n rows through the raw API in one transaction (or one per row without).
void RawInsert(sqlite3* db, RawStmt& insert, const SKind& kind, int64_t first, int n,
               bool transaction) {
  if (transaction) sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
  for (int64_t i = first; i < first + n; ++i) {
    kind.rawBind(insert.Get(), i);
    if (sqlite3_step(insert.Get()) != SQLITE_DONE) Fail(sqlite3_errmsg(db));
    benchmark::DoNotOptimize(sqlite3_last_insert_rowid(db));
    sqlite3_reset(insert.Get());
  }
  if (transaction) {
    if (sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
      Fail(sqlite3_errmsg(db));
    }
  }
}

int BatchRows() { return Size(5000, 2000); }

void LibBatch(benchmark::State& state, size_t which) {
  const SKind& kind = Kinds().at(which);
  LibConnection connection(FreshCopy());
  const int n = BatchRows();
  int64_t next = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    Check(kind.lib(connection.Handle(), next, n), kind.name);
    state.SetIterationTime(Seconds(start));
    next += n;
  }
  state.SetItemsProcessed(next);
}

void RawBatch(benchmark::State& state, size_t which) {
  const SKind& kind = Kinds().at(which);
  RawDb db(FreshCopy());
  RawStmt insert(db.Db(), kind.rawSql);
  const int n = BatchRows();
  int64_t next = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    RawInsert(db.Db(), insert, kind, next, n, true);
    state.SetIterationTime(Seconds(start));
    next += n;
  }
  state.SetItemsProcessed(next);
}

int AutocommitRows() { return Size(500, 200); }

void LibAutocommit(benchmark::State& state) {
  const SAcquisitionKeys& k = Keys();
  LibConnection connection(FreshCopy());
  const uint32_t h = connection.Handle();
  const int n = AutocommitRows();
  int64_t next = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    for (int64_t i = next; i < next + n; ++i) {
      int64_t key = 0;
      Check(QeProjectDb_Frame_Insert(h, k.run, k.task, Frame(i), 2460000.5 + i * 1e-5, k.file,
                                     Frame(i), &key),
            "Frame_Insert");
    }
    state.SetIterationTime(Seconds(start));
    next += n;
  }
  state.SetItemsProcessed(next);
}

void RawAutocommit(benchmark::State& state) {
  const SKind& kind = Kinds().front();
  RawDb db(FreshCopy());
  RawStmt insert(db.Db(), kind.rawSql);
  const int n = AutocommitRows();
  int64_t next = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    RawInsert(db.Db(), insert, kind, next, n, false);
    state.SetIterationTime(Seconds(start));
    next += n;
  }
  state.SetItemsProcessed(next);
}

// All of range(0) frames into an empty table, in one transaction.
void LibScale(benchmark::State& state) {
  const SKind& kind = Kinds().front();
  const int rows = static_cast<int>(state.range(0));
  for (auto _ : state) {
    LibConnection connection(FreshCopy());
    const auto start = Clock::now();
    Check(kind.lib(connection.Handle(), 0, rows), kind.name);
    state.SetIterationTime(Seconds(start));
  }
  state.SetItemsProcessed(state.iterations() * rows);
}

void Register() {
  const int batches = Size(40, 10);
  for (size_t i = 0; i < Kinds().size(); ++i) {
    const std::string name = std::string("Ingest/") + Kinds()[i].name;
    for (auto [suffix, fn] : {std::pair{"/lib", &LibBatch}, std::pair{"/raw", &RawBatch}}) {
      benchmark::RegisterBenchmark((name + suffix).c_str(),
                                   [fn = fn, i](benchmark::State& state) { fn(state, i); })
          ->Iterations(batches)
          ->UseManualTime()
          ->Unit(benchmark::kMillisecond);
    }
  }
  const int autocommitBatches = Size(10, 5);
  benchmark::RegisterBenchmark("Autocommit/Frame_Insert/lib", &LibAutocommit)
      ->Iterations(autocommitBatches)
      ->UseManualTime()
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("Autocommit/Frame_Insert/raw", &RawAutocommit)
      ->Iterations(autocommitBatches)
      ->UseManualTime()
      ->Unit(benchmark::kMillisecond);
  const int base = Size(10000, 1000);
  for (int factor : {1, 10, 100}) {
    benchmark::RegisterBenchmark("IngestScale/Frame_Insert", &LibScale)
        ->Arg(static_cast<int64_t>(base) * factor)
        ->ArgName("rows")
        ->Iterations(1)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
  }
}

}  // namespace

int main(int argc, char** argv) {
  (void)Template();
  Register();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
