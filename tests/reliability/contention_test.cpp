// Contention: writers on separate connections (in two processes, or on two
// threads of this one) and two threads sharing one connection write batches
// into the same project database at once. Afterwards every row of every
// writer is there exactly once, and every key a batch insert wrote back
// names its own row.
//
// With --fail-fast a writer's connection gives up at once on a lock held by
// the other (instead of waiting up to 60 s), so the batch inserts go through
// their restart protocol (roll back, 30 ms pause, start again) many times.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <iostream>
#include <sstream>
#include <thread>

#include "qe/projectdb/connection.h"
#include "qe/projectdb/db.h"
#include "reliability/acquisition.h"
#include "reliability/child_process.h"
#include "reliability/db_check.h"
#include "support/temp_dir.h"

namespace {

using namespace qe::reliability;
using qe::test::CRawDb;

constexpr int kBatches = 200;

// Every batch of every writer has all its rows once, and nothing else is
// there. steps: the steps the writers wrote.
void ExpectEveryRowOnce(const std::string& path, const std::vector<int64_t>& firstBatches,
                        const std::string& steps = "FLTP") {
  EXPECT_EQ(CheckFile(path), "ok");
  CRawDb db(path);
  for (char step : steps) {
    const auto found = RowsPerBatch(db, step);
    EXPECT_EQ(found.size(), firstBatches.size() * kBatches) << TableOfStep(step);
    for (int64_t first : firstBatches) {
      for (int64_t batch = first; batch < first + kBatches; ++batch) {
        const auto rows = found.find(batch);
        EXPECT_EQ(rows == found.end() ? 0 : rows->second, RowsPerStep(step))
            << TableOfStep(step) << " batch " << batch;
      }
    }
  }
  // Property values have no unique constraint that would hide a second copy.
  EXPECT_EQ(db.Int("SELECT count(*) FROM (SELECT 1 FROM frameprop GROUP BY iFrameIndex, "
                   "iPropdefKeyRef HAVING count(*) > 1);"),
            0);
}

struct SWriterResult {
  int64_t busyCalls = 0;
  int64_t frameRetries = 0;
  int64_t keyMismatches = 0;
};

SWriterResult ParseDone(const std::vector<std::string>& lines) {
  SWriterResult result;
  for (const std::string& line : lines) {
    std::istringstream in(line);
    std::string tag;
    if (in >> tag && tag == "D")
      in >> result.busyCalls >> result.frameRetries >> result.keyMismatches;
  }
  return result;
}

void RunTwoProcesses(const char* mode) {
  qe::test::TempDir dir;
  const std::string path = dir.File("shared.db");
  ASSERT_EQ(CreateAcquisitionDb(path), 0);
  std::vector<std::string> first{
      "acquire", path, std::to_string(kBatchSpan), std::to_string(kBatches), "--verify-keys", mode};
  std::vector<std::string> second = first;
  second[2] = std::to_string(2 * kBatchSpan);
  CWriterProcess one(first), two(second);
  ASSERT_TRUE(one.Started() && two.Started());
  std::vector<std::string> linesOne, linesTwo;
  const int statusOne = one.Finish(linesOne);
  const int statusTwo = two.Finish(linesTwo);
  ASSERT_TRUE(ExitedWith(statusOne, 0))
      << DescribeStatus(statusOne) << (linesOne.empty() ? "" : ": " + linesOne.back());
  ASSERT_TRUE(ExitedWith(statusTwo, 0))
      << DescribeStatus(statusTwo) << (linesTwo.empty() ? "" : ": " + linesTwo.back());
  ExpectEveryRowOnce(path, {kBatchSpan, 2 * kBatchSpan});
  const SWriterResult a = ParseDone(linesOne), b = ParseDone(linesTwo);
  EXPECT_EQ(a.keyMismatches + b.keyMismatches, 0);
  std::cout << mode << ": busy calls " << a.busyCalls + b.busyCalls << ", frame retries "
            << a.frameRetries + b.frameRetries << std::endl;
}

TEST(ContentionProcesses, TwoWritersWaitingOnTheLockLoseAndDuplicateNothing) {
  RunTwoProcesses("--wait");
}

TEST(ContentionProcesses, TwoWritersRestartingTheirBatchesLoseAndDuplicateNothing) {
  RunTwoProcesses("--fail-fast");
}

int CountBusy(void* counter, int /*attempts*/) {
  static_cast<std::atomic<int64_t>*>(counter)->fetch_add(1);
  return 0;
}

// A writer thread on its own connection to path.
void WriteOnOwnConnection(const std::string& path, int64_t first, std::atomic<int64_t>* busy,
                          SWriterResult* result, int* status) {
  const uint32_t h = QeProjectDb_Db_Connect(CQeStringW::FromUtf8(path));
  SAcquisitionRun run;
  *status = h == 0 ? -10 : ReadAcquisitionRun(h, run);
  if (*status != 0) return;
  sqlite3_busy_handler(CQeProjectDbConnectionManager::GetConnection(h), CountBusy, busy);
  CAcquisitionWriter writer(h, run, true);
  for (int64_t batch = first; *status == 0 && batch < first + kBatches; ++batch) {
    *status = writer.WriteBatch(batch, [](char) {});
  }
  result->frameRetries = writer.FrameRetries();
  result->keyMismatches = writer.KeyMismatches();
  QeProjectDb_Db_Disconnect(h);
}

TEST(ContentionThreads, TwoConnectionsRestartingTheirBatchesLoseAndDuplicateNothing) {
  qe::test::TempDir dir;
  const std::string path = dir.File("shared.db");
  ASSERT_EQ(CreateAcquisitionDb(path), 0);
  std::atomic<int64_t> busy{0};
  SWriterResult a, b;
  int statusA = -1, statusB = -1;
  std::thread one(WriteOnOwnConnection, path, kBatchSpan, &busy, &a, &statusA);
  std::thread two(WriteOnOwnConnection, path, 2 * kBatchSpan, &busy, &b, &statusB);
  one.join();
  two.join();
  ASSERT_EQ(statusA, 0);
  ASSERT_EQ(statusB, 0);
  EXPECT_EQ(a.keyMismatches + b.keyMismatches, 0);
  ExpectEveryRowOnce(path, {kBatchSpan, 2 * kBatchSpan});
  std::cout << "threads: busy calls " << busy.load() << ", frame retries "
            << a.frameRetries + b.frameRetries << std::endl;
}

// Two threads on one handle share its connection, its statement cache and
// its transaction: a batch that starts while the other thread's batch owns
// the transaction joins it. The host's own frame transaction cannot be
// shared that way, so these threads write the batch inserts only.
TEST(ContentionThreads, TwoThreadsSharingOneHandleLoseAndDuplicateNothing) {
  qe::test::TempDir dir;
  const std::string path = dir.File("shared.db");
  ASSERT_EQ(CreateAcquisitionDb(path), 0);
  const uint32_t h = QeProjectDb_Db_Connect(CQeStringW::FromUtf8(path));
  ASSERT_NE(h, 0u);
  SAcquisitionRun run;
  ASSERT_EQ(ReadAcquisitionRun(h, run), 0);
  auto write = [&](int64_t first, int* status, int64_t* mismatches) {
    CAcquisitionWriter writer(h, run, true);
    for (int64_t batch = first; *status == 0 && batch < first + kBatches; ++batch) {
      *status = writer.WriteBatch(
          batch, [](char) {}, "LTP");
    }
    *mismatches = writer.KeyMismatches();
  };
  int statusA = 0, statusB = 0;
  int64_t mismatchesA = 0, mismatchesB = 0;
  std::thread one(write, kBatchSpan, &statusA, &mismatchesA);
  std::thread two(write, 2 * kBatchSpan, &statusB, &mismatchesB);
  one.join();
  two.join();
  QeProjectDb_Db_Disconnect(h);
  EXPECT_EQ(statusA, 0);
  EXPECT_EQ(statusB, 0);
  EXPECT_EQ(mismatchesA + mismatchesB, 0);
  ExpectEveryRowOnce(path, {kBatchSpan, 2 * kBatchSpan}, "LTP");
}

}  // namespace
