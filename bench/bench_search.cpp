// Search: for each specifier, the library's part (reading the search text
// and making its SQL) plus running that SQL, against a hand-written indexed
// query that returns the same rows, on one read-only connection to a screen
// of runs × 500 frames, each frame with a label and a quantity value.
//
//  Search/<specifier>/lib|hand/runs:N    N = 20, 200 and 2000 runs (10 000,
//                                        100 000 and 1 000 000 frames)
//
// Before timing, each pair is checked to return the same rows, and the
// query plan of each is searched for full scans of the frame-sized tables
// (frame, frametag, frameprop, loopindex); the benchmark's label names them
// ("scans: frametag") or says "no frame-table scan".
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <regex>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "qe/projectdb/search.h"
#include "support/bench_util.h"
#include "support/datasets.h"

namespace {

using namespace qe::bench;

struct SQuery {
  const char* specifier;
  const wchar_t* text;  // typed into the search box
  std::string hand;     // the hand-written SQL for the same rows
};

// Name conditions of the hand-written queries.
const char* kAnalysis = "'%Analysis 01%'";

std::string Assay(const std::string& like) {
  return "SELECT jobdef.iKey, jobrun.iKey, ifnull(jobrun.dMTime, jobdef.dMTime) FROM jobrun "
         "JOIN jobdef ON jobdef.iKey = jobrun.iJobdefKeyRef WHERE jobrun.iKey IN (SELECT "
         "iJobrunKeyRef FROM assayrun WHERE wszName LIKE " +
         like + ")";
}
std::string Job(const std::string& like) {
  return "SELECT jobdef.iKey, jobrun.iKey, ifnull(jobrun.dMTime, jobdef.dMTime) FROM jobrun "
         "JOIN jobdef ON jobdef.iKey = jobrun.iJobdefKeyRef WHERE jobdef.wszName LIKE " +
         like + " OR jobrun.wszName LIKE " + like;
}
std::string Keyword(const std::string& like) {
  return "SELECT jobdef.iKey, jobrun.iKey, ifnull(jobrun.dMTime, jobdef.dMTime) FROM jobdeftag "
         "JOIN jobdef ON jobdef.iKey = jobdeftag.iJobdefKeyRef JOIN jobrun ON "
         "jobrun.iJobdefKeyRef = jobdef.iKey WHERE jobdeftag.iTagdefKeyRef IN (SELECT iKey FROM "
         "tagdef WHERE wszName LIKE " +
         like + ")";
}
// Runs that have a frame row in table whose definition column matches.
std::string PerFrame(const std::string& table, const std::string& column,
                     const std::string& dictionary, const std::string& like) {
  return "SELECT jobrun.iJobdefKeyRef, jobrun.iKey, jobrun.dMTime FROM jobrun WHERE jobrun.iKey "
         "IN (SELECT " +
         table + ".iJobrunKeyRef FROM " + table + " INDEXED BY idx_" + table + "_" + column +
         " WHERE " + table + "." + column + " IN (SELECT iKey FROM " + dictionary +
         " WHERE wszName LIKE " + like + "))";
}
std::string Plate(const std::string& condition) {
  return "SELECT jobdef.iKey, jobrun.iKey, ifnull(jobrun.dMTime, jobdef.dMTime) FROM plateinfo "
         "JOIN jobrun ON jobrun.iKey = plateinfo.iJobrunKeyRef JOIN jobdef ON jobdef.iKey = "
         "jobrun.iJobdefKeyRef WHERE " +
         condition;
}
std::string Newest(const char* order) {
  return "SELECT jobdef.iKey, jobrun.iKey, ifnull(jobrun.dMTime, jobdef.dMTime) AS t FROM jobrun "
         "JOIN jobdef ON jobdef.iKey = jobrun.iJobdefKeyRef ORDER BY t " +
         std::string(order) + " LIMIT 10";
}

const std::vector<SQuery>& Queries() {
  static const std::vector<SQuery> queries = {
      {"words", L"\"Analysis 01\"",
       Assay(kAnalysis) + " UNION " + Job(kAnalysis) + " UNION " + Keyword(kAnalysis) + " UNION " +
           PerFrame("frametag", "iTagdefKeyRef", "tagdef", kAnalysis) + " UNION " +
           Plate("plateinfo.wszName LIKE " + std::string(kAnalysis) +
                 " OR plateinfo.wszBarcode LIKE " + kAnalysis) +
           " UNION " + PerFrame("frameprop", "iPropdefKeyRef", "propdef", kAnalysis)},
      {"assay", L"assay:\"Analysis 01\"", Assay(kAnalysis)},
      {"date", L"date:25.2.2023",
       "SELECT jobdef.iKey, jobrun.iKey, ifnull(jobrun.dMTime, jobdef.dMTime) FROM jobrun JOIN "
       "jobdef ON jobdef.iKey = jobrun.iJobdefKeyRef WHERE jobrun.dMTime BETWEEN 2460000.5 AND "
       "2460001.49999999 OR jobdef.dMTime BETWEEN 2460000.5 AND 2460001.49999999"},
      {"first", L"first:10", Newest("ASC")},
      {"job", L"job:\"Screen 000\"", Job("'%Screen 000%'")},
      {"keyword", L"keyword:\"Keyword 0\"", Keyword("'%Keyword 0%'")},
      {"label", L"label:\"Label 07\"",
       PerFrame("frametag", "iTagdefKeyRef", "tagdef", "'%Label 07%'")},
      {"last", L"last:10", Newest("DESC")},
      {"plate", L"plate=BC-00001",
       Plate("plateinfo.wszName = 'BC-00001' OR plateinfo.wszBarcode = 'BC-00001'")},
      {"quantity", L"quantity:\"Quantity 02\"",
       PerFrame("frameprop", "iPropdefKeyRef", "propdef", "'%Quantity 02%'")},
  };
  return queries;
}

// The library's part of a search: the text read into items, made into SQL.
std::string LibrarySql(const wchar_t* text) {
  SQeProjectDbSearchParser parser{CQeStringW(text)};
  if (!parser.MatchQuery(nullptr)) Fail("the search text did not parse");
  return parser.MakeSqlQuery().ToUtf8();
}

using Row = std::tuple<int64_t, int64_t, double>;

// Prepares and runs sql to its end; the rows when wanted.
size_t Run(sqlite3* db, const std::string& sql, std::vector<Row>* rows = nullptr) {
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
    Fail(std::string(sqlite3_errmsg(db)) + " in: " + sql);
  }
  size_t count = 0;
  int result;
  while ((result = sqlite3_step(stmt)) == SQLITE_ROW) {
    ++count;
    if (rows) {
      rows->emplace_back(sqlite3_column_int64(stmt, 0), sqlite3_column_int64(stmt, 1),
                         sqlite3_column_double(stmt, 2));
    }
  }
  sqlite3_finalize(stmt);
  if (result != SQLITE_DONE) Fail(std::string(sqlite3_errmsg(db)) + " in: " + sql);
  return count;
}

// What the query plan says about the frame-sized tables: "SCAN <table>"
// (a full scan), or a search of one by run key under a scan of all runs,
// which reads every frame row of every run through an index.
std::string FrameTableScans(sqlite3* db, const std::string& sql) {
  sqlite3_stmt* stmt = nullptr;
  const std::string explain = "EXPLAIN QUERY PLAN " + sql;
  if (sqlite3_prepare_v2(db, explain.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
    Fail(std::string(sqlite3_errmsg(db)) + " in: " + explain);
  }
  static const std::regex scan(R"(^SCAN (TABLE )?(frame|frametag|frameprop|loopindex)\b)");
  static const std::regex byRun(
      R"(^SEARCH (TABLE )?(frame|frametag|frameprop|loopindex) .*\(iJobrunKeyRef=\?\)$)");
  std::set<std::string> scans;
  std::set<std::string> everyRun;
  bool allRuns = false;
  while (sqlite3_step(stmt) == SQLITE_ROW) {
    const std::string detail = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 3));
    std::smatch match;
    if (std::regex_search(detail, match, scan)) scans.insert(match[2]);
    if (std::regex_search(detail, match, byRun)) everyRun.insert(match[2]);
    if (detail.rfind("SCAN jobrun", 0) == 0) allRuns = true;
  }
  sqlite3_finalize(stmt);
  std::string text;
  for (const std::string& table : scans) text += (text.empty() ? "scans:" : "") + (" " + table);
  if (allRuns) {
    for (const std::string& table : everyRun) {
      text += (text.empty() ? "" : "; ") + ("every run's " + table);
    }
  }
  return text.empty() ? "no frame-table scan" : text;
}

struct SScreen {
  std::filesystem::path path;
  std::unique_ptr<RawDb> db;
};

SScreen& Screen(int runs) {
  static std::map<int, SScreen> screens;
  SScreen& screen = screens[runs];
  if (!screen.db) {
    screen.path = ScreenDb({std::max(1, runs / 20), runs, 500, false});
    screen.db = std::make_unique<RawDb>(screen.path, true);
  }
  return screen;
}

// The rows of the library's SQL and of the hand-written one must agree.
void CheckSameRows(sqlite3* db, const SQuery& query, int runs) {
  std::vector<Row> lib;
  std::vector<Row> hand;
  Run(db, LibrarySql(query.text), &lib);
  Run(db, query.hand, &hand);
  std::sort(lib.begin(), lib.end());
  std::sort(hand.begin(), hand.end());
  if (lib != hand || lib.empty()) {
    Fail(std::string("search ") + query.specifier + " over " + std::to_string(runs) +
         " runs: the library found " + std::to_string(lib.size()) + " rows, the hand-written " +
         "query " + std::to_string(hand.size()));
  }
}

void Lib(benchmark::State& state, size_t which) {
  const SQuery& query = Queries().at(which);
  const int runs = static_cast<int>(state.range(0));
  sqlite3* db = Screen(runs).db->Db();
  CheckSameRows(db, query, runs);
  state.SetLabel(FrameTableScans(db, LibrarySql(query.text)));
  for (auto _ : state) {
    benchmark::DoNotOptimize(Run(db, LibrarySql(query.text)));
  }
  state.SetItemsProcessed(state.iterations());
}

void Hand(benchmark::State& state, size_t which) {
  const SQuery& query = Queries().at(which);
  const int runs = static_cast<int>(state.range(0));
  sqlite3* db = Screen(runs).db->Db();
  state.SetLabel(FrameTableScans(db, query.hand));
  for (auto _ : state) {
    benchmark::DoNotOptimize(Run(db, query.hand));
  }
  state.SetItemsProcessed(state.iterations());
}

void Register() {
  const int base = Size(20, 2);
  for (size_t i = 0; i < Queries().size(); ++i) {
    const std::string name = std::string("Search/") + Queries()[i].specifier;
    for (auto [suffix, fn] : {std::pair{"/lib", &Lib}, std::pair{"/hand", &Hand}}) {
      auto* bench = benchmark::RegisterBenchmark(
          (name + suffix).c_str(), [fn = fn, i](benchmark::State& state) { fn(state, i); });
      bench->ArgName("runs")->MinTime(0.2)->Unit(benchmark::kMillisecond);
      for (int factor : {1, 10, 100}) bench->Arg(base * factor);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  // Dates typed in the search box are local days; the screen's times are UTC.
  setenv("TZ", "UTC", 1);
  Register();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  // Build the screens before any timing starts.
  for (int factor : {1, 10, 100}) (void)Screen(Size(20, 2) * factor);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
