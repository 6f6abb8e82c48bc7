// Folders that cannot be written: a project root, project folder or runs
// folder without write permission, and a project root or project folder
// that is a regular file. Inserting a project or a run then gives the
// folder error (-9) and writes no row.
//
// Root passes every permission check, so for root the writer program enters
// a user namespace of its own first, where the permission bits hold for it
// as for anybody else. Where user namespaces are not allowed, the permission
// tests are skipped as root.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "qe/projectdb/connection.h"
#include "qe/projectdb/db.h"
#include "qe/projectdb/records.h"
#include "reliability/acquisition.h"
#include "reliability/child_process.h"
#include "reliability/db_check.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using namespace qe::reliability;

constexpr int kFolderError = -9;

CQeStringW W(const std::string& text) { return CQeStringW::FromUtf8(text); }

class ReadOnlyFolder : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(CreateAcquisitionDb(path_), 0); }

  fs::path ProjectRoot() const { return dir_.path() / "Projects"; }
  fs::path ProjectFolder() const { return ProjectRoot() / "reliability"; }

  // Takes the write permission of folder away and runs the writer's command
  // (see programs/writer_main.cpp): its status is the folder error, the key
  // stays untouched, no row of table is added and no folder made.
  void ExpectRefused(const fs::path& folder, const char* command, const char* table,
                     const fs::path& notMade) {
    const auto write = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    fs::permissions(folder, write, fs::perm_options::remove);
    int wait = 0;
    const auto lines = RunWriter({command, path_}, &wait);
    fs::permissions(folder, fs::perms::owner_write, fs::perm_options::add);
    for (const std::string& line : lines) {
      if (line.rfind("U ", 0) == 0) GTEST_SKIP() << "root without a user namespace: " << line;
    }
    ASSERT_TRUE(ExitedWith(wait, 0)) << DescribeStatus(wait);
    ASSERT_FALSE(lines.empty());
    std::istringstream in(lines.back());
    std::string tag;
    int64_t status = 0, key = 0;
    in >> tag >> status >> key;
    ASSERT_EQ(tag, "S");
    EXPECT_EQ(status, kFolderError);
    EXPECT_EQ(key, -1) << "the key out-parameter stays untouched";
    EXPECT_EQ(CountRows(path_, table), 1);
    EXPECT_FALSE(fs::exists(notMade));
    EXPECT_EQ(CheckFile(path_), "ok");
  }

  qe::test::TempDir dir_;
  std::string path_ = dir_.File("project.db");
};

TEST_F(ReadOnlyFolder, ProjectRootWithoutWritePermissionGivesTheFolderErrorAndNoRow) {
  ExpectRefused(ProjectRoot(), "project", "project", ProjectRoot() / "blocked");
}

// Runs of one job definition share a folder named after it in the project
// folder; a new job definition's first run must make that folder there.
TEST_F(ReadOnlyFolder, ProjectFolderWithoutWritePermissionGivesTheFolderErrorAndNoRun) {
  const uint32_t h = QeProjectDb_Db_Connect(W(path_));
  ASSERT_NE(h, 0u);
  int64_t jobdef = 0, program = 0;
  ASSERT_EQ(QeProjectDb_Jobdef_Insert(h, 1, 0, 0, L"Fresh", L"", 0, &jobdef), 0);
  ASSERT_EQ(QeProjectDb_Jobprogram_Insert(h, jobdef, L"program", &program), 0);
  QeProjectDb_Db_Disconnect(h);
  ExpectRefused(ProjectFolder(), "run", "jobrun", ProjectFolder() / "Fresh");
}

// The folder of the job definition's runs exists but cannot be written.
TEST_F(ReadOnlyFolder, RunsFolderWithoutWritePermissionGivesTheFolderErrorAndNoRun) {
  ExpectRefused(ProjectFolder() / "Acquisition", "run", "jobrun",
                ProjectFolder() / "Acquisition" / "Blocked run");
}

// The same failures without permissions: a file stands where the folder
// must be made, which stops root too.
TEST_F(ReadOnlyFolder, ProjectRootOrFolderThatIsAFileGivesTheFolderErrorAndNoRow) {
  const uint32_t h = QeProjectDb_Db_Connect(W(path_));
  ASSERT_NE(h, 0u);
  SAcquisitionRun run;
  ASSERT_EQ(ReadAcquisitionRun(h, run), 0);
  SQeProjectDbRow_jobrun existing, row;
  ASSERT_EQ(QeProjectDb_Jobrun_GetOne(h, run.run, existing), 0);
  fs::remove_all(ProjectFolder());
  std::ofstream(ProjectFolder()) << "not a folder";
  row.iKey = -1;
  EXPECT_EQ(QeProjectDb_Jobrun_Insert(h, existing.iProjKeyRef, W(ProjectFolder().string() + "/"),
                                      existing.iJobdefKeyRef, existing.iJobprogramKeyRef, 1,
                                      L"Blocked run", L"", &row, nullptr),
            kFolderError);
  EXPECT_EQ(row.iKey, -1);
  fs::remove_all(ProjectRoot());
  std::ofstream(ProjectRoot()) << "not a folder";
  int64_t key = -1;
  EXPECT_EQ(QeProjectDb_Proj_Insert(h, L"Blocked", L"", L"blocked", &key), kFolderError);
  EXPECT_EQ(key, -1);
  QeProjectDb_Db_Disconnect(h);
  EXPECT_EQ(CountRows(path_, "project"), 1);
  EXPECT_EQ(CountRows(path_, "jobrun"), 1);
}

}  // namespace
