// Folders that cannot be written: a project root or runs folder without
// write permission. Inserting a project or a run then gives the folder
// error (-9) and writes no row. (A project root that is a regular file is
// covered with the project records.)
//
// Root passes every permission check, so for root the writer program enters
// a user namespace of its own first, where the permission bits hold for it
// as for anybody else. Where user namespaces are not allowed, the permission
// tests are skipped as root.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "reliability/acquisition.h"
#include "reliability/child_process.h"
#include "reliability/db_check.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using namespace qe::reliability;

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
    ASSERT_TRUE(ExitedWith(wait, 0)) << "wait status " << wait;
    // "S <status> <key>": the key out-parameter stays untouched.
    EXPECT_EQ(lines, std::vector<std::string>{"S -9 -1"});
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

// The folder of the job definition's runs exists but cannot be written.
TEST_F(ReadOnlyFolder, RunsFolderWithoutWritePermissionGivesTheFolderErrorAndNoRun) {
  ExpectRefused(ProjectFolder() / "Acquisition", "run", "jobrun",
                ProjectFolder() / "Acquisition" / "Blocked run");
}

}  // namespace
