// Contention: writers on separate connections (in two processes, or on two
// threads of this one) and two threads sharing one connection write batches
// into the same project database at once. Afterwards every row of every
// writer is there exactly once, and every key a batch insert wrote back
// names its own row.
//
// With --fail-fast (and on the threads with connections of their own) a
// writer's connection gives up at once on a lock held by the other instead
// of waiting up to 60 s, so the batch inserts go through their restart
// protocol (roll back, 30 ms pause, start again) many times.
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

constexpr int kBatches = 200;

// Every batch of both writers (starting at kBatchSpan and 2 * kBatchSpan)
// has all its rows once, and nothing else is there. steps: the steps the
// writers wrote.
void ExpectEveryRowOnce(const std::string& path, const std::string& steps = "FLTP") {
  EXPECT_EQ(CheckFile(path), "ok");
  qe::test::CRawDb db(path);
  for (char name : steps) {
    const SStep& step = *FindStep(name);
    const auto found = RowsPerBatch(db, step);
    EXPECT_EQ(found.size(), 2u * kBatches) << step.table;
    for (int64_t first : {kBatchSpan, 2 * kBatchSpan}) {
      for (int64_t batch = first; batch < first + kBatches; ++batch) {
        const auto rows = found.find(batch);
        EXPECT_EQ(rows == found.end() ? 0 : rows->second, step.rows) << step.table << " " << batch;
      }
    }
  }
  // Property values have no unique constraint that would hide a second copy.
  EXPECT_EQ(db.Int("SELECT count(*) FROM (SELECT 1 FROM frameprop GROUP BY iFrameIndex, "
                   "iPropdefKeyRef HAVING count(*) > 1);"),
            0);
}

struct SWriter {
  int status = -1;
  int64_t busyCalls = 0, frameRetries = 0, keyMismatches = 0;
};

void RunTwoProcesses(const char* mode) {
  qe::test::TempDir dir;
  const std::string path = dir.File("shared.db");
  ASSERT_EQ(CreateAcquisitionDb(path), 0);
  SWriter total;
  {
    CWriterProcess one({"acquire", path, std::to_string(kBatchSpan), std::to_string(kBatches),
                        "--verify-keys", mode}),
        two({"acquire", path, std::to_string(2 * kBatchSpan), std::to_string(kBatches),
             "--verify-keys", mode});
    for (CWriterProcess* child : {&one, &two}) {
      std::vector<std::string> lines;
      const int status = child->Finish(lines);
      // Exit 0 only when every key written back named its own row.
      ASSERT_TRUE(ExitedWith(status, 0))
          << "wait status " << status << (lines.empty() ? "" : ": " + lines.back());
      SWriter w;
      std::istringstream(lines.back().substr(1)) >> w.busyCalls >> w.frameRetries;
      total.busyCalls += w.busyCalls;
      total.frameRetries += w.frameRetries;
    }
  }
  ExpectEveryRowOnce(path);
  std::cout << mode << ": busy calls " << total.busyCalls << ", frame retries "
            << total.frameRetries << std::endl;
}

TEST(ContentionProcesses, TwoWritersWaitingOnTheLockLoseAndDuplicateNothing) {
  RunTwoProcesses("--wait");
}

TEST(ContentionProcesses, TwoWritersRestartingTheirBatchesLoseAndDuplicateNothing) {
  RunTwoProcesses("--fail-fast");
}

int CountBusy(void* counter, int /*attempts*/) {
  ++*static_cast<int64_t*>(counter);
  return 0;
}

// Two threads write kBatches batches each, on connections of their own that
// give up at once on a lock, or on one shared handle. Threads on one handle
// share its connection, its statement cache and its transaction (a batch
// that starts while the other thread's batch owns the transaction joins
// it); the host's own frame transaction cannot be shared that way, so they
// write the batch inserts only.
void RunTwoThreads(bool shareHandle) {
  qe::test::TempDir dir;
  const std::string path = dir.File("shared.db");
  ASSERT_EQ(CreateAcquisitionDb(path), 0);
  const CQeStringW file = CQeStringW::FromUtf8(path);
  const uint32_t shared = shareHandle ? QeProjectDb_Db_Connect(file) : 0;
  SAcquisitionRun run;
  if (shareHandle) {
    ASSERT_EQ(ReadAcquisitionRun(shared, run), 0);
  }
  const std::string steps = shareHandle ? "LTP" : "FLTP";
  SWriter writers[2];
  auto write = [&](int64_t first, SWriter* w) {
    const uint32_t h = shareHandle ? shared : QeProjectDb_Db_Connect(file);
    SAcquisitionRun own;
    w->status = shareHandle ? 0 : h == 0 ? -10 : ReadAcquisitionRun(h, own);
    if (!shareHandle && w->status == 0) {
      sqlite3_busy_handler(CQeProjectDbConnectionManager::GetConnection(h), CountBusy,
                           &w->busyCalls);
    }
    CAcquisitionWriter writer(h, shareHandle ? run : own, true);
    for (int64_t batch = first; w->status == 0 && batch < first + kBatches; ++batch) {
      w->status = writer.WriteBatch(
          batch, [](char) {}, steps);
    }
    w->frameRetries = writer.FrameRetries();
    w->keyMismatches = writer.KeyMismatches();
    if (!shareHandle) QeProjectDb_Db_Disconnect(h);
  };
  std::thread one(write, kBatchSpan, &writers[0]), two(write, 2 * kBatchSpan, &writers[1]);
  one.join();
  two.join();
  QeProjectDb_Db_Disconnect(shared);
  for (const SWriter& w : writers) {
    EXPECT_EQ(w.status, 0);
    EXPECT_EQ(w.keyMismatches, 0);
  }
  ExpectEveryRowOnce(path, steps);
  std::cout << "threads: busy calls " << writers[0].busyCalls + writers[1].busyCalls
            << ", frame retries " << writers[0].frameRetries + writers[1].frameRetries << std::endl;
}

TEST(ContentionThreads, TwoConnectionsRestartingTheirBatchesLoseAndDuplicateNothing) {
  RunTwoThreads(false);
}

TEST(ContentionThreads, TwoThreadsSharingOneHandleLoseAndDuplicateNothing) { RunTwoThreads(true); }

}  // namespace
