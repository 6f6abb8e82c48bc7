// Crash safety: an acquisition writer in a child process is killed with
// SIGKILL at random moments, again and again on the same file. After every
// kill the file must be sound, hold every step the writer reported as
// committed, and hold no part of a step that was not committed whole.
//
// The moments come from a seeded generator; the seed is printed, and
// QE_RELIABILITY_SEED=<seed> repeats a run.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <cstdlib>
#include <iostream>
#include <map>
#include <random>
#include <set>
#include <sstream>

#include "qe/projectdb/connection.h"
#include "qe/projectdb/db.h"
#include "reliability/acquisition.h"
#include "reliability/child_process.h"
#include "reliability/db_check.h"
#include "support/projectdb/schema_dump.h"
#include "support/temp_dir.h"

namespace {

using namespace qe::reliability;
using qe::test::CRawDb;

constexpr int kKills = 50;

uint64_t Seed() {
  if (const char* text = std::getenv("QE_RELIABILITY_SEED"); text && *text) {
    return std::strtoull(text, nullptr, 10);
  }
  return std::random_device{}();
}

// What the writers reported: (step, batch) pairs.
using Reports = std::set<std::pair<char, int64_t>>;

void Collect(const std::vector<std::string>& lines, Reports& reports) {
  for (const std::string& line : lines) {
    std::istringstream in(line);
    char step = 0;
    int64_t batch = 0;
    if (in >> step >> batch && FindStep(step)) reports.emplace(step, batch);
  }
}

// Checks the file after a kill; returns the steps found committed.
size_t ExpectConsistent(const std::string& path, const Reports& reports, int kill) {
  EXPECT_EQ(CheckFile(path), "ok") << "after kill " << kill;
  CRawDb db(path);
  std::map<char, std::map<int64_t, int64_t>> found;
  size_t steps = 0;
  for (const SStep& step : kSteps) {
    found[step.name] = RowsPerBatch(db, step);
    for (const auto& [batch, rows] : found[step.name]) {
      EXPECT_EQ(rows, step.rows) << step.table << " holds part of batch " << batch << " after kill "
                                 << kill;
    }
    steps += found[step.name].size();
  }
  for (const auto& [step, batch] : reports) {
    EXPECT_EQ(found[step].count(batch), 1u)
        << "reported step " << step << " of batch " << batch << " lost after kill " << kill;
  }
  // Each step of a batch starts after the previous one committed.
  for (size_t i = 1; i < std::size(kSteps); ++i) {
    const char step = kSteps[i].name, before = kSteps[i - 1].name;
    for (const auto& [batch, rows] : found[step]) {
      EXPECT_EQ(found[before].count(batch), 1u)
          << "step " << step << " of batch " << batch << " without step " << before;
    }
  }
  return steps;
}

class CrashTest : public ::testing::TestWithParam<const char*> {};

TEST_P(CrashTest, KilledWriterKeepsEveryCommittedBatchAndNoPartOfAnother) {
  const std::string journal = GetParam();
  const uint64_t seed = Seed();
  std::cout << "seed " << seed << " (QE_RELIABILITY_SEED repeats it), journal " << journal
            << std::endl;
  std::mt19937_64 random(seed);

  qe::test::TempDir dir;
  const std::string path = dir.File("crash.db");
  ASSERT_EQ(CreateAcquisitionDb(path), 0);
  {
    const uint32_t h = QeProjectDb_Db_Connect(CQeStringW::FromUtf8(path));
    ASSERT_NE(h, 0u);
    ASSERT_EQ(QeProjectDb_Db_SetOptStr(h, L"journal_mode", CQeStringW::FromUtf8(journal)), 0);
    QeProjectDb_Db_Disconnect(h);
  }

  Reports reports;
  size_t committedSteps = 0;
  for (int kill = 0; kill < kKills; ++kill) {
    CWriterProcess child({"acquire", path, std::to_string(kill * kBatchSpan), "0"});
    ASSERT_TRUE(child.Started());
    std::vector<std::string> lines;
    // One kill in five may land while the writer connects (and recovers the
    // file from the kill before); the others land while it writes.
    const bool early = random() % 5 == 0;
    if (!early) {
      std::string ready;
      ASSERT_TRUE(child.ReadLine(ready));
      ASSERT_EQ(ready, "R");
      lines.push_back(ready);
    }
    // Commits in the rollback-journal mode wait for the disk; the writer gets
    // longer there to reach the same number of commits.
    const int window = early ? 20000 : (journal == "wal" ? 60000 : 150000);
    std::uniform_int_distribution<int> delay(0, window);
    child.ReadFor(std::chrono::microseconds(delay(random)), lines);
    child.Kill();
    const int status = child.Finish(lines);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
        << "the writer ended by itself (wait status " << status << ") before kill " << kill
        << (lines.empty() ? "" : ": " + lines.back());
    Collect(lines, reports);
    committedSteps = ExpectConsistent(path, reports, kill);
    if (HasFailure()) return;
  }

  // The file is still a working project database: a writer connects and
  // finishes a batch.
  int status = 0;
  Collect(RunWriter({"acquire", path, std::to_string(kKills * kBatchSpan), "1"}, &status), reports);
  EXPECT_TRUE(ExitedWith(status, 0)) << "wait status " << status;
  ExpectConsistent(path, reports, kKills);

  std::cout << "kills " << kKills << ", steps reported " << reports.size() << ", steps found "
            << committedSteps << std::endl;
}

INSTANTIATE_TEST_SUITE_P(Journal, CrashTest, ::testing::Values("wal", "truncate"));

}  // namespace
