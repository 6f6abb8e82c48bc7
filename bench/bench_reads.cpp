// Reading records: GetOne by key and GetMany of a run through the record
// API against raw prepared lookups of the same rows on a connection with
// the library's settings.
//
//  Read/File_GetOne/lib|raw         one file row by key, keys spread over
//                                   a table of 100 000 files
//  Read/Binlayer_GetMany/lib|raw    the 200 binary layers of one run
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "qe/projectdb/records.h"
#include "support/bench_util.h"
#include "support/datasets.h"

namespace {

using namespace qe::bench;

constexpr int kLayers = 200;

struct SReadDb {
  std::filesystem::path path;
  SAcquisitionKeys keys;
  int files = 0;
};

// One run with many files and binary layers, built once per program.
const SReadDb& ReadDb() {
  static const SReadDb db = [] {
    SReadDb made;
    made.path = ScratchDir() / "reads.db";
    made.keys = CreateAcquisitionDb(made.path);
    made.files = Size(100000, 20000);
    RawDb raw(made.path);
    const std::string run = std::to_string(made.keys.run);
    raw.Exec("BEGIN; WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < " +
             std::to_string(made.files) +
             ") INSERT INTO file (iJobrunKeyRef, wszFileName, iWidth, iHeight, iPlanes, "
             "iComponents, iBitsPerComponent, iFrameCount) SELECT " +
             run +
             ", printf('Image %06d w%02d f%02d.tif', x, x % 96, x % 9), 1024, 1024, 1, 1, 16, 1 "
             "FROM n;");
    raw.Exec("WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < " +
             std::to_string(kLayers) +
             ") INSERT INTO binlayer (iJobrunKeyRef, iAssayrunKeyRef, wszUuid, wszName, "
             "wszCompName, wszFileTag, iColor) SELECT " +
             run + ", " + std::to_string(made.keys.assayrun) +
             ", printf('%032x', x), printf('Layer %03d', x), 'Nuclei', printf('L%03d', x), "
             "x * 4099 FROM n; COMMIT; PRAGMA wal_checkpoint(TRUNCATE);");
    return made;
  }();
  return db;
}

// Keys in an order that jumps around the table; the same for lib and raw.
std::vector<int64_t> LookupKeys() {
  const SReadDb& db = ReadDb();
  const int64_t first = db.keys.file + 1;
  std::vector<int64_t> keys(4096);
  uint32_t x = 12345;
  for (auto& key : keys) {
    x = x * 1664525u + 1013904223u;
    key = first + static_cast<int64_t>((x >> 8) % static_cast<uint32_t>(db.files));
  }
  return keys;
}

// What a C API caller would read a file row into.
struct SRawFile {
  int64_t key = 0;
  int64_t run = 0;
  std::string name;
  int width = 0;
  int height = 0;
  int planes = 0;
  int components = 0;
  int bits = 0;
  int frames = 0;
};

std::string Text(sqlite3_stmt* stmt, int column) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
  return text ? std::string(text, static_cast<size_t>(sqlite3_column_bytes(stmt, column)))
              : std::string();
}

void LibGetOne(benchmark::State& state) {
  const std::vector<int64_t> keys = LookupKeys();
  LibConnection connection(ReadDb().path);
  const uint32_t h = connection.Handle();
  size_t i = 0;
  for (auto _ : state) {
    SQeProjectDbRow_file row;
    if (QeProjectDb_File_GetOne(h, keys[i++ & 4095], row) != 0 || row.iKey == 0) {
      Fail("File_GetOne");
    }
    benchmark::DoNotOptimize(row);
  }
  state.SetItemsProcessed(state.iterations());
}

void RawGetOne(benchmark::State& state) {
  const std::vector<int64_t> keys = LookupKeys();
  RawDb db(ReadDb().path);
  RawStmt select(db.Db(),
                 "SELECT iKey, iJobrunKeyRef, wszFileName, iWidth, iHeight, iPlanes, iComponents, "
                 "iBitsPerComponent, iFrameCount FROM file WHERE iKey=?");
  sqlite3_stmt* s = select.Get();
  size_t i = 0;
  for (auto _ : state) {
    SRawFile row;
    sqlite3_bind_int64(s, 1, keys[i++ & 4095]);
    if (sqlite3_step(s) != SQLITE_ROW) Fail("raw file lookup");
    row.key = sqlite3_column_int64(s, 0);
    row.run = sqlite3_column_int64(s, 1);
    row.name = Text(s, 2);
    row.width = sqlite3_column_int(s, 3);
    row.height = sqlite3_column_int(s, 4);
    row.planes = sqlite3_column_int(s, 5);
    row.components = sqlite3_column_int(s, 6);
    row.bits = sqlite3_column_int(s, 7);
    row.frames = sqlite3_column_int(s, 8);
    sqlite3_reset(s);
    benchmark::DoNotOptimize(row);
  }
  state.SetItemsProcessed(state.iterations());
}

struct SRawLayer {
  int64_t key = 0;
  int64_t run = 0;
  int64_t assayrun = 0;
  std::string uuid;
  std::string name;
  std::string compName;
  std::string fileTag;
  int color = 0;
};

void LibGetMany(benchmark::State& state) {
  LibConnection connection(ReadDb().path);
  const uint32_t h = connection.Handle();
  const int64_t run = ReadDb().keys.run;
  for (auto _ : state) {
    std::vector<SQeProjectDbRow_binlayer> rows;
    if (QeProjectDb_Binlayer_GetMany(h, run, rows) != 0 || rows.size() != kLayers + 1) {
      Fail("Binlayer_GetMany");
    }
    benchmark::DoNotOptimize(rows);
  }
  state.SetItemsProcessed(state.iterations() * (kLayers + 1));
}

void RawGetMany(benchmark::State& state) {
  RawDb db(ReadDb().path);
  RawStmt select(db.Db(),
                 "SELECT iKey, iJobrunKeyRef, iAssayrunKeyRef, wszUuid, wszName, wszCompName, "
                 "wszFileTag, iColor FROM binlayer WHERE iJobrunKeyRef=?");
  sqlite3_stmt* s = select.Get();
  const int64_t run = ReadDb().keys.run;
  for (auto _ : state) {
    std::vector<SRawLayer> rows;
    sqlite3_bind_int64(s, 1, run);
    while (sqlite3_step(s) == SQLITE_ROW) {
      SRawLayer row;
      row.key = sqlite3_column_int64(s, 0);
      row.run = sqlite3_column_int64(s, 1);
      row.assayrun = sqlite3_column_int64(s, 2);
      row.uuid = Text(s, 3);
      row.name = Text(s, 4);
      row.compName = Text(s, 5);
      row.fileTag = Text(s, 6);
      row.color = sqlite3_column_int(s, 7);
      rows.push_back(std::move(row));
    }
    sqlite3_reset(s);
    if (rows.size() != kLayers + 1) Fail("raw layer lookup");
    benchmark::DoNotOptimize(rows);
  }
  state.SetItemsProcessed(state.iterations() * (kLayers + 1));
}

BENCHMARK(LibGetOne)->Name("Read/File_GetOne/lib")->MinTime(0.5);
BENCHMARK(RawGetOne)->Name("Read/File_GetOne/raw")->MinTime(0.5);
BENCHMARK(LibGetMany)->Name("Read/Binlayer_GetMany/lib")->MinTime(0.5);
BENCHMARK(RawGetMany)->Name("Read/Binlayer_GetMany/raw")->MinTime(0.5);

}  // namespace

int main(int argc, char** argv) {
  (void)ReadDb();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
