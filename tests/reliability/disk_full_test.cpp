// A full disk during a batch insert. The writer runs the insert in a child
// process whose files may not grow past a limit (RLIMIT_FSIZE with SIGXFSZ
// ignored: a write past it fails like a write to a full disk), under a
// ladder of limits from too small for anything to large enough. At every
// rung the call returns a status instead of crashing; the file is sound,
// holds what was committed before, and the batch whole after status 0 and
// not at all otherwise; without the limit the file takes new rows.
#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <map>

#include "qe/projectdb/connection.h"
#include "qe/projectdb/db.h"
#include "qe/projectdb/records.h"
#include "reliability/acquisition.h"
#include "reliability/child_process.h"
#include "reliability/db_check.h"
#include "support/temp_dir.h"

namespace {

using namespace qe::reliability;

constexpr int64_t kKiB = 1024;

CQeStringW W(const std::string& text) { return CQeStringW::FromUtf8(text); }

// The limits tried: from 0 up, roughly doubling, to top. Half steps off the
// page size cut a write short instead of refusing it whole.
std::vector<int64_t> Ladder(int64_t top) {
  std::vector<int64_t> limits{0, 1 * kKiB, 4 * kKiB, 16 * kKiB, 32 * kKiB, 40 * kKiB};
  for (int64_t limit = 64 * kKiB; limit < top; limit *= 2) {
    limits.push_back(limit);
    limits.push_back(limit + limit / 2 + 700);
  }
  limits.push_back(top);
  return limits;
}

TEST(DiskFull, BatchInsertFailsWholeAndKeepsWhatWasCommitted) {
  qe::test::TempDir dir;
  const std::string base = dir.File("base.db");
  ASSERT_EQ(CreateAcquisitionDb(base), 0);
  {
    const uint32_t h = QeProjectDb_Db_Connect(W(base));
    SAcquisitionRun run;
    ASSERT_EQ(ReadAcquisitionRun(h, run), 0);
    CAcquisitionWriter writer(h, run, false);
    for (int64_t batch = 0; batch < 20; ++batch) {
      ASSERT_EQ(writer.WriteBatch(batch, [](char) {}), 0);
    }
    QeProjectDb_Db_Disconnect(h);
  }
  const std::string before = "iFrameIndex < " + std::to_string(kFaultFirstFrame);
  const long long committed = CountRows(base, "frameprop", before);
  constexpr int kRows = 5000;
  const std::vector<int64_t> limits = Ladder(16384 * kKiB);
  std::map<std::string, int> failures;  // status (or "no connection"): count
  for (int64_t limit : limits) {
    SCOPED_TRACE("limit " + std::to_string(limit));
    const std::string path = dir.File("limit" + std::to_string(limit) + ".db");
    std::filesystem::copy_file(base, path);  // the base has no write-ahead log beside it
    int wait = 0;
    const auto lines =
        RunWriter({"insert", path, std::to_string(limit), std::to_string(kRows)}, &wait);
    ASSERT_TRUE(ExitedWith(wait, 0)) << "wait status " << wait;
    ASSERT_EQ(lines.size(), 1u);
    const bool inserted = lines[0] == "S 0";
    if (!inserted) ++failures[lines[0] == "C 0" ? "no connection" : lines[0].substr(2)];
    EXPECT_TRUE(inserted || limit != limits.back()) << "the largest limit is enough";
    EXPECT_EQ(CheckFile(path), "ok");
    EXPECT_EQ(CountRows(path, "frameprop", before), committed);
    const std::string batch = "iFrameIndex >= " + std::to_string(kFaultFirstFrame);
    EXPECT_EQ(CountRows(path, "frameprop", batch), inserted ? kRows : 0);
    const uint32_t h = QeProjectDb_Db_Connect(W(path));
    std::vector<SQeProjectDbRow_frameprop> rows(
        1, SQeProjectDbRow_frameprop(0, 1, 0, 1, kFaultFirstFrame - 1, 1.0));
    EXPECT_EQ(QeProjectDb_Frameprop_InsertMany(h, rows), 0);
    QeProjectDb_Db_Disconnect(h);
  }
  EXPECT_GT(failures.size(), failures.count("no connection"))
      << "some limits let the writer connect and fail the batch";
  std::cout << "batch insert: " << limits.size() << " limits, failures:";
  for (const auto& [status, count] : failures) std::cout << " " << status << " (" << count << "x)";
  std::cout << std::endl;
}

}  // namespace
