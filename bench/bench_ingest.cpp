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

// Frame numbers become frame indices (unique within the run).
int Frame(int64_t i) { return static_cast<int>(i); }

// The kinds of rows. Each says how row number i looks, how the library
// writes a batch of them and how the raw API binds one to its statement.
// Rows are made before the clock starts, for both sides.
struct Frames {
  using Row = SQeProjectDbRow_frame;
  static constexpr const char* kName = "Frame_Insert";
  static constexpr const char* kSql =
      "INSERT INTO frame (iJobrunKeyRef, iJobtaskKeyRef, iFrameIndex, dCTime, iFileKeyRef, "
      "iFileFrameIndex) VALUES (?, ?, ?, ?, ?, ?)";
  static Row Make(int64_t i) {
    const SAcquisitionKeys& k = Keys();
    return Row(0, k.run, k.task, Frame(i), 2460000.5 + i * 1e-5, k.file, Frame(i));
  }
  // One Frame_Insert per row; in a transaction when asked.
  static int Lib(uint32_t h, std::vector<Row>& rows, bool transaction = true) {
    int status = transaction ? QeProjectDb_Db_TransactionBegin(h) : 0;
    for (Row& r : rows) {
      if (status != 0) break;
      status = QeProjectDb_Frame_Insert(h, r.iJobrunKeyRef, r.iJobtaskKeyRef, r.iFrameIndex,
                                        r.dCTime, r.iFileKeyRef, r.iFileFrameIndex, &r.iKey);
    }
    if (!transaction) return status;
    const int commit = QeProjectDb_Db_TransactionCommit(h);
    return status != 0 ? status : commit;
  }
  static void Bind(sqlite3_stmt* s, const Row& r) {
    sqlite3_bind_int64(s, 1, r.iJobrunKeyRef);
    sqlite3_bind_int64(s, 2, r.iJobtaskKeyRef);
    sqlite3_bind_int(s, 3, r.iFrameIndex);
    sqlite3_bind_double(s, 4, r.dCTime);
    sqlite3_bind_int64(s, 5, r.iFileKeyRef);
    sqlite3_bind_int(s, 6, r.iFileFrameIndex);
  }
};

struct LoopIndices {
  using Row = SQeProjectDbRow_loopindex;
  static constexpr const char* kName = "Loopindex_InsertMany";
  static constexpr const char* kSql =
      "INSERT INTO loopindex (iJobrunKeyRef, iFrameIndex, iRunloopKeyRef, iLoopIndex) VALUES (?, "
      "?, ?, ?)";
  static Row Make(int64_t i) {
    const SAcquisitionKeys& k = Keys();
    return Row(0, k.run, Frame(i), k.runloop, Frame(i % 96));
  }
  static int Lib(uint32_t h, std::vector<Row>& rows) {
    return QeProjectDb_Loopindex_InsertMany(h, rows);
  }
  static void Bind(sqlite3_stmt* s, const Row& r) {
    sqlite3_bind_int64(s, 1, r.iJobrunKeyRef);
    sqlite3_bind_int(s, 2, r.iFrameIndex);
    sqlite3_bind_int64(s, 3, r.iRunloopKeyRef);
    sqlite3_bind_int(s, 4, r.iLoopIndex);
  }
};

struct FrameTags {
  using Row = SQeProjectDbRow_frametag;
  static constexpr const char* kName = "Frametag_InsertMany";
  static constexpr const char* kSql =
      "INSERT INTO frametag (iJobrunKeyRef, iTagdefKeyRef, iFrameIndex) VALUES (?, ?, ?)";
  static Row Make(int64_t i) {
    const SAcquisitionKeys& k = Keys();
    return Row(0, k.run, k.firstLabel + i % kLabels, Frame(i));
  }
  static int Lib(uint32_t h, std::vector<Row>& rows) {
    return QeProjectDb_Frametag_InsertMany(h, rows);
  }
  static void Bind(sqlite3_stmt* s, const Row& r) {
    sqlite3_bind_int64(s, 1, r.iJobrunKeyRef);
    sqlite3_bind_int64(s, 2, r.iTagdefKeyRef);
    sqlite3_bind_int(s, 3, r.iFrameIndex);
  }
};

struct FrameProps {
  using Row = SQeProjectDbRow_frameprop;
  static constexpr const char* kName = "Frameprop_InsertMany";
  static constexpr const char* kSql =
      "INSERT INTO frameprop (iJobrunKeyRef, iAssayrunKeyRef, iPropdefKeyRef, iFrameIndex, "
      "dValue) VALUES (?, ?, ?, ?, ?)";
  static Row Make(int64_t i) {
    const SAcquisitionKeys& k = Keys();
    return Row(0, k.run, k.assayrun, k.firstQuantity + i % kQuantities, Frame(i), i * 0.25);
  }
  static int Lib(uint32_t h, std::vector<Row>& rows) {
    return QeProjectDb_Frameprop_InsertMany(h, rows);
  }
  static void Bind(sqlite3_stmt* s, const Row& r) {
    sqlite3_bind_int64(s, 1, r.iJobrunKeyRef);
    sqlite3_bind_int64(s, 2, r.iAssayrunKeyRef);
    sqlite3_bind_int64(s, 3, r.iPropdefKeyRef);
    sqlite3_bind_int(s, 4, r.iFrameIndex);
    sqlite3_bind_double(s, 5, r.dValue);
  }
};

struct BinaryObjects {
  using Row = SQeProjectDbRow_binobj;
  static constexpr const char* kName = "Binobj_InsertMany";
  static constexpr const char* kSql =
      "INSERT INTO binobj (iBinframeKeyRef, iTraceKeyRef, iBinObjId, iBBoxL, iBBoxT, iBBoxR, "
      "iBBoxB, iPixelCount) VALUES (?, ?, ?, ?, ?, ?, ?, ?)";
  static Row Make(int64_t i) {
    const int x = static_cast<int>(i % 1000);
    return Row(0, Keys().binframe, 0, Frame(i), x, x, x + 12, x + 9, 87);
  }
  static int Lib(uint32_t h, std::vector<Row>& rows) {
    return QeProjectDb_Binobj_InsertMany(h, rows);
  }
  // A trace key of 0 is stored as NULL, as the library does.
  static void Bind(sqlite3_stmt* s, const Row& r) {
    sqlite3_bind_int64(s, 1, r.iBinframeKeyRef);
    if (r.iTraceKeyRef == 0) {
      sqlite3_bind_null(s, 2);
    } else {
      sqlite3_bind_int64(s, 2, r.iTraceKeyRef);
    }
    sqlite3_bind_int(s, 3, r.iBinObjId);
    sqlite3_bind_int(s, 4, r.iBBoxL);
    sqlite3_bind_int(s, 5, r.iBBoxT);
    sqlite3_bind_int(s, 6, r.iBBoxR);
    sqlite3_bind_int(s, 7, r.iBBoxB);
    sqlite3_bind_int(s, 8, r.iPixelCount);
  }
};

template <typename Kind>
std::vector<typename Kind::Row> MakeRows(int64_t first, int n) {
  std::vector<typename Kind::Row> rows;
  rows.reserve(static_cast<size_t>(n));
  for (int64_t i = first; i < first + n; ++i) rows.push_back(Kind::Make(i));
  return rows;
}

// The rows through the raw API with one prepared statement, in one
// transaction (or one per row without), keys written back as the library
// does.
template <typename Kind>
void RawInsert(sqlite3* db, RawStmt& insert, std::vector<typename Kind::Row>& rows,
               bool transaction) {
  if (transaction) sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
  for (auto& row : rows) {
    Kind::Bind(insert.Get(), row);
    if (sqlite3_step(insert.Get()) != SQLITE_DONE) Fail(sqlite3_errmsg(db));
    row.iKey = sqlite3_last_insert_rowid(db);
    sqlite3_reset(insert.Get());
  }
  if (transaction && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
    Fail(sqlite3_errmsg(db));
  }
}

int BatchRows() { return Size(5000, 2000); }

template <typename Kind>
void LibBatch(benchmark::State& state) {
  LibConnection connection(FreshCopy());
  const int n = BatchRows();
  int64_t next = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto rows = MakeRows<Kind>(next, n);
    state.ResumeTiming();
    const auto start = Clock::now();
    Check(Kind::Lib(connection.Handle(), rows), Kind::kName);
    state.SetIterationTime(Seconds(start));
    next += n;
  }
  state.SetItemsProcessed(next);
}

template <typename Kind>
void RawBatch(benchmark::State& state) {
  RawDb db(FreshCopy());
  RawStmt insert(db.Db(), Kind::kSql);
  const int n = BatchRows();
  int64_t next = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto rows = MakeRows<Kind>(next, n);
    state.ResumeTiming();
    const auto start = Clock::now();
    RawInsert<Kind>(db.Db(), insert, rows, true);
    state.SetIterationTime(Seconds(start));
    next += n;
  }
  state.SetItemsProcessed(next);
}

int AutocommitRows() { return Size(500, 200); }

void LibAutocommit(benchmark::State& state) {
  LibConnection connection(FreshCopy());
  const int n = AutocommitRows();
  int64_t next = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto rows = MakeRows<Frames>(next, n);
    state.ResumeTiming();
    const auto start = Clock::now();
    Check(Frames::Lib(connection.Handle(), rows, false), "Frame_Insert");
    state.SetIterationTime(Seconds(start));
    next += n;
  }
  state.SetItemsProcessed(next);
}

void RawAutocommit(benchmark::State& state) {
  RawDb db(FreshCopy());
  RawStmt insert(db.Db(), Frames::kSql);
  const int n = AutocommitRows();
  int64_t next = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto rows = MakeRows<Frames>(next, n);
    state.ResumeTiming();
    const auto start = Clock::now();
    RawInsert<Frames>(db.Db(), insert, rows, false);
    state.SetIterationTime(Seconds(start));
    next += n;
  }
  state.SetItemsProcessed(next);
}

// All of range(0) frames into an empty table, in one transaction.
void LibScale(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    LibConnection connection(FreshCopy());
    auto rows = MakeRows<Frames>(0, n);
    state.ResumeTiming();
    const auto start = Clock::now();
    Check(Frames::Lib(connection.Handle(), rows), "Frame_Insert");
    state.SetIterationTime(Seconds(start));
  }
  state.SetItemsProcessed(state.iterations() * n);
}

template <typename Kind>
void RegisterPair(int batches) {
  const std::string name = std::string("Ingest/") + Kind::kName;
  benchmark::RegisterBenchmark((name + "/lib").c_str(), &LibBatch<Kind>)
      ->Iterations(batches)
      ->UseManualTime()
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark((name + "/raw").c_str(), &RawBatch<Kind>)
      ->Iterations(batches)
      ->UseManualTime()
      ->Unit(benchmark::kMillisecond);
}

void Register() {
  const int batches = Size(40, 10);
  RegisterPair<Frames>(batches);
  RegisterPair<LoopIndices>(batches);
  RegisterPair<FrameTags>(batches);
  RegisterPair<FrameProps>(batches);
  RegisterPair<BinaryObjects>(batches);
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
