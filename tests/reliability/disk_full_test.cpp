// A full disk during create, batch insert, upgrade and merge. The writer
// runs the operation in a child process whose files may not grow past a
// limit (RLIMIT_FSIZE with SIGXFSZ ignored: a write past it fails like a
// write to a full disk). Each operation runs under a ladder of limits, from
// too small for anything to large enough for all of it; at every step the
// call returns a status instead of crashing, and the file afterwards is
// sound and holds what was committed before (and, after a success, all of
// what the call wrote). The operation then succeeds without the limit.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>

#include "qe/projectdb/connection.h"
#include "qe/projectdb/db.h"
#include "qe/projectdb/merge.h"
#include "qe/projectdb/records.h"
#include "qe/projectdb/upgrade.h"
#include "reliability/acquisition.h"
#include "reliability/child_process.h"
#include "reliability/db_check.h"
#include "support/projectdb/old_version_db.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using namespace qe::reliability;

constexpr int64_t kKiB = 1024;
constexpr int64_t kNoConnection = 1 << 30;  // the insert's writer could not connect

CQeStringW W(const std::string& text) { return CQeStringW::FromUtf8(text); }

// Runs the writer's fault command; returns the operation's status (or
// kNoConnection). A crash or any other end is a test failure. lines (may be
// null) receives what the writer printed.
int64_t RunFault(const std::vector<std::string>& args,
                 std::vector<std::string>* printed = nullptr) {
  int status = 0;
  const auto lines = RunWriter(args, &status);
  if (printed) *printed = lines;
  EXPECT_TRUE(ExitedWith(status, 0)) << args[0] << " limit: " << DescribeStatus(status);
  for (const std::string& line : lines) {
    std::istringstream in(line);
    std::string tag;
    int64_t value = 0;
    in >> tag >> value;
    if (tag == "S") return value;
    if (tag == "C") return kNoConnection;
  }
  ADD_FAILURE() << args[0] << ": no status reported";
  return -1;
}

// The limits tried: every step of the ladder from 0 to at most top.
std::vector<int64_t> Ladder(int64_t top) {
  std::vector<int64_t> limits{0, 1 * kKiB, 4 * kKiB, 16 * kKiB, 32 * kKiB, 40 * kKiB};
  // Half steps off the page size cut a write short instead of refusing it
  // whole.
  for (int64_t limit = 64 * kKiB; limit < top; limit *= 2) {
    limits.push_back(limit);
    limits.push_back(limit + limit / 2 + 700);
  }
  limits.push_back(top);
  return limits;
}

// A copy of a database file (with no write-ahead log beside it) in a
// folder of its own.
std::string CopyOf(const std::string& file, const fs::path& folder) {
  fs::create_directories(folder);
  const fs::path target = folder / fs::path(file).filename();
  fs::copy_file(file, target, fs::copy_options::overwrite_existing);
  return target.string();
}

// Runs status(limit) for every limit and prints how the ladder went. The
// largest limit must be enough for the operation and some smaller one not.
template <typename Status>
std::vector<int64_t> RunLadder(const char* operation, const std::vector<int64_t>& limits,
                               Status status) {
  std::vector<int64_t> statuses;
  std::map<int64_t, int> failures;
  for (int64_t limit : limits) {
    SCOPED_TRACE("limit " + std::to_string(limit));
    statuses.push_back(status(limit));
    if (statuses.back() != 0) ++failures[statuses.back()];
  }
  EXPECT_EQ(statuses.back(), 0) << "the largest limit is enough for " << operation;
  EXPECT_FALSE(failures.empty());
  std::cout << operation << ": " << limits.size() << " limits, failures:";
  for (const auto& [code, count] : failures) {
    std::cout << " " << (code == kNoConnection ? "no connection" : std::to_string(code)) << " ("
              << count << "x)";
  }
  std::cout << std::endl;
  return statuses;
}

// An acquisition database with batches and image files of kImageSize bytes.
constexpr int64_t kImageSize = 600 * kKiB;
void Fill(const std::string& path, int batches, int files) {
  ASSERT_EQ(CreateAcquisitionDb(path), 0);
  const uint32_t h = QeProjectDb_Db_Connect(W(path));
  SAcquisitionRun run;
  ASSERT_EQ(ReadAcquisitionRun(h, run), 0);
  CAcquisitionWriter writer(h, run, false);
  for (int64_t batch = 0; batch < batches; ++batch) {
    ASSERT_EQ(writer.WriteBatch(batch, [](char) {}), 0);
  }
  CQeStringW folder;
  ASSERT_EQ(QeProjectDb_Jobrun_GetAbsPath(h, run.run, folder), 0);
  for (int file = 0; file < files; ++file) {
    const std::string name = "image" + std::to_string(file) + ".tif";
    std::ofstream(fs::path(folder.ToUtf8()) / name) << std::string(kImageSize, char('a' + file));
    int64_t key = 0;
    ASSERT_EQ(QeProjectDb_File_Insert(h, run.run, W(name), 64, 64, 1, 1, 8, 1, &key), 0);
  }
  QeProjectDb_Db_Disconnect(h);
}

TEST(DiskFull, CreateReturnsAStatusAndLeavesNoHalfMadeDatabase) {
  qe::test::TempDir dir;
  RunLadder("create", Ladder(8192 * kKiB), [&](int64_t limit) {
    const fs::path folder = dir.path() / ("limit" + std::to_string(limit));
    fs::create_directories(folder);
    const std::string path = (folder / "project.db").string();
    const int64_t status = RunFault({"create", path, std::to_string(limit)});
    if (status != 0) {
      // Nothing of the schema was committed, so the file takes a new create.
      if (fs::exists(path)) {
        EXPECT_EQ(CheckFile(path), "ok");
        EXPECT_EQ(CountRows(path, "sqlite_master", "type='table'"), 0);
      }
      EXPECT_EQ(QeProjectDb_Db_Create(W(path)), 0);
    }
    SQeProjectDbFileInfo info;
    EXPECT_EQ(QeProjectDb_Db_GetInfo(W(path), &info), 0);
    EXPECT_EQ(info.iVersion, 77);
    EXPECT_EQ(CheckFile(path), "ok");
    EXPECT_EQ(CountRows(path, "tagdef"), 2);
    EXPECT_EQ(CountRows(path, "settings"), 3);
    return status;
  });
}

TEST(DiskFull, BatchInsertFailsWholeAndKeepsWhatWasCommitted) {
  qe::test::TempDir dir;
  const std::string base = dir.File("base.db");
  Fill(base, 20, 0);
  const std::map<std::string, std::string> before{
      {"frameprop", "iFrameIndex < " + std::to_string(kFaultFirstFrame)}};
  const std::string committed = Digest(base, before);
  constexpr int kRows = 5000;
  const auto statuses = RunLadder("batch insert", Ladder(16384 * kKiB), [&](int64_t limit) {
    const std::string path = CopyOf(base, dir.path() / ("limit" + std::to_string(limit)));
    const int64_t status = RunFault({"insert", path, std::to_string(limit), std::to_string(kRows)});
    EXPECT_EQ(CheckFile(path), "ok");
    EXPECT_EQ(Digest(path, before), committed);
    const std::string batch = "iFrameIndex >= " + std::to_string(kFaultFirstFrame);
    EXPECT_EQ(CountRows(path, "frameprop", batch), status == 0 ? kRows : 0);
    // Without the limit the same batch goes in.
    const uint32_t h = QeProjectDb_Db_Connect(W(path));
    std::vector<SQeProjectDbRow_frameprop> rows(
        1, SQeProjectDbRow_frameprop(0, 1, 0, 1, kFaultFirstFrame - 1, 1.0));
    EXPECT_EQ(QeProjectDb_Frameprop_InsertMany(h, rows), 0);
    QeProjectDb_Db_Disconnect(h);
    return status;
  });
  EXPECT_GT(std::count_if(statuses.begin(), statuses.end(),
                          [](int64_t s) { return s != 0 && s != kNoConnection; }),
            0)
      << "some limits let the writer connect and fail the batch";
}

TEST(DiskFull, UpgradeStopsAtAStepThatCompletedAndResumesLater) {
  qe::test::TempDir dir(qe::test::FixtureFolderBase());
  const std::string base = dir.File("old.db");
  constexpr int64_t kOldVersion = 10;
  ASSERT_EQ(qe::test::BuildProjectDbAtVersion(fs::path(base).wstring(), kOldVersion), 0);
  const std::string old = Digest(base);
  const int64_t size = static_cast<int64_t>(fs::file_size(base));
  std::vector<int64_t> limits{0, 4 * kKiB, size / 2, size, size + 16 * kKiB};
  for (int64_t limit = size * 2; limit < 64 * size; limit *= 2) limits.push_back(limit);
  limits.push_back(64 * size + 65536 * kKiB);
  std::set<int64_t> stops;  // versions failed upgrades left
  RunLadder("upgrade", limits, [&](int64_t limit) {
    const std::string path = CopyOf(base, dir.path() / ("limit" + std::to_string(limit)));
    const int64_t status = RunFault({"upgrade", path, std::to_string(limit)});
    EXPECT_EQ(CheckFile(path), "ok");
    SQeProjectDbFileInfo info;
    EXPECT_EQ(QeProjectDb_Db_GetInfo(W(path), &info), 0);
    EXPECT_GE(info.iVersion, kOldVersion);
    EXPECT_LE(info.iVersion, 77);
    if (status == 0) {
      EXPECT_EQ(info.iVersion, 77);
    }
    if (info.iVersion == kOldVersion) {
      EXPECT_EQ(Digest(path), old);
    }
    if (status != 0) stops.insert(info.iVersion);
    // Every step records the version it reached, so the upgrade resumes.
    if (info.iVersion < 77) {
      EXPECT_EQ(QeProjectDb_Db_Upgrade(W(path), nullptr), 0);
    }
    EXPECT_EQ(CheckFile(path), "ok");
    EXPECT_EQ(CountRows(path, "project"), qe::test::kFixtureRows);
    EXPECT_EQ(CountRows(path, "vesion", "wszName='main' AND iVersion=77"), 1);
    return status;
  });
  std::cout << "upgrade: failed upgrades left the versions";
  for (int64_t version : stops) std::cout << " " << version;
  std::cout << std::endl;
}

// A source with runs, frames and image files, merged into a target that has
// its own.
TEST(DiskFull, MergeFailsWholeAndLeavesTheTargetAsItWas) {
  qe::test::TempDir dir;
  const std::string source = (dir.path() / "source" / "source.db").string();
  const fs::path target = dir.path() / "target";
  fs::create_directories(fs::path(source).parent_path());
  fs::create_directories(target);
  constexpr int kImages = 3;
  Fill(source, 12, kImages);
  Fill((target / "target.db").string(), 5, 0);
  const std::string before = Digest((target / "target.db").string()), sourceRows = Digest(source);
  const long long frames =
      CountRows((target / "target.db").string(), "frame") + CountRows(source, "frame");
  int copyFailures = 0;
  RunLadder("merge", Ladder(8192 * kKiB), [&](int64_t limit) {
    const fs::path folder = dir.path() / ("limit" + std::to_string(limit));
    fs::copy(target, folder, fs::copy_options::recursive);
    const std::string path = (folder / "target.db").string();
    std::vector<std::string> lines;
    const int64_t status = RunFault({"merge", path, source, std::to_string(limit)}, &lines);
    EXPECT_EQ(CheckFile(path), "ok");
    if (status != 0) {
      EXPECT_EQ(Digest(path), before);
    } else {
      EXPECT_EQ(CountRows(path, "frame"), frames);
    }
    // Files copied into the target are whole or absent, never cut short; a
    // merge that succeeds counts the copies that failed.
    int images = 0;
    for (const auto& entry : fs::recursive_directory_iterator(folder / "Projects")) {
      if (!entry.is_regular_file()) continue;
      ++images;
      EXPECT_EQ(entry.file_size(), kImageSize) << entry.path();
    }
    int copied = -1, failed = -1;
    for (const std::string& line : lines) {
      if (line.rfind("F ", 0) == 0) std::istringstream(line.substr(2)) >> copied >> failed;
    }
    EXPECT_EQ(copied, images);
    if (status == 0) {
      EXPECT_EQ(copied + failed, kImages);
      copyFailures += failed > 0;
    }
    return status;
  });
  EXPECT_EQ(Digest(source), sourceRows) << "the source is never changed";
  std::cout << "merge: " << copyFailures << " merges succeeded without some image files"
            << std::endl;
}

}  // namespace
