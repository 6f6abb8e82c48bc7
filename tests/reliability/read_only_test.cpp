// Folders that cannot be written: a project root folder or a project folder
// without write permission, and a project root or project folder that is a
// regular file. Inserting a project or a run then gives the folder error
// (-9) and writes no row.
//
// Root passes every permission check, so for root the writer program enters
// a user namespace of its own first, where the permission bits hold for it
// as for anybody else (see programs/writer_commands.cpp). Where user
// namespaces are not allowed, the permission tests are skipped as root.
#include <gtest/gtest.h>
#include <unistd.h>

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

// Takes the write permission of a folder away for as long as it lives.
class CReadOnlyFolder {
 public:
  explicit CReadOnlyFolder(fs::path folder) : folder_(std::move(folder)) {
    fs::permissions(folder_,
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
  }
  ~CReadOnlyFolder() {
    std::error_code ignored;
    fs::permissions(folder_, fs::perms::owner_write, fs::perm_options::add, ignored);
  }
  CReadOnlyFolder(const CReadOnlyFolder&) = delete;
  CReadOnlyFolder& operator=(const CReadOnlyFolder&) = delete;

 private:
  fs::path folder_;
};

class ReadOnlyFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = dir_.File("project.db");
    ASSERT_EQ(CreateAcquisitionDb(path_), 0);
  }

  fs::path ProjectRoot() const { return dir_.path() / "Projects"; }
  fs::path ProjectFolder() const { return ProjectRoot() / "reliability"; }

  // Runs the writer's read-only command; status and key it reported, or
  // skips the test when root cannot give up its permission override.
  void RunInsert(const char* command, int64_t* status, int64_t* key) {
    int wait = 0;
    const auto lines = RunWriter({command, path_}, &wait);
    for (const std::string& line : lines) {
      if (line.rfind("U ", 0) == 0) GTEST_SKIP() << "root without a user namespace: " << line;
    }
    ASSERT_TRUE(ExitedWith(wait, 0)) << DescribeStatus(wait);
    ASSERT_FALSE(lines.empty());
    std::istringstream in(lines.back());
    std::string tag;
    in >> tag >> *status >> *key;
    ASSERT_EQ(tag, "S");
  }

  qe::test::TempDir dir_;
  std::string path_;
};

TEST_F(ReadOnlyFolder, ProjectRootWithoutWritePermissionGivesTheFolderErrorAndNoRow) {
  int64_t status = 0, key = 0;
  {
    CReadOnlyFolder readOnly(ProjectRoot());
    RunInsert("project", &status, &key);
  }
  if (IsSkipped()) return;
  EXPECT_EQ(status, kFolderError);
  EXPECT_EQ(key, -1) << "the key out-parameter stays untouched";
  EXPECT_EQ(CountRows(path_, "project"), 1);
  EXPECT_FALSE(fs::exists(ProjectRoot() / "blocked"));
  EXPECT_EQ(CheckFile(path_), "ok");
}

// Runs of one job definition share a folder named after it in the project
// folder; a new job definition's first run must make that folder there.
TEST_F(ReadOnlyFolder, ProjectFolderWithoutWritePermissionGivesTheFolderErrorAndNoRun) {
  {
    const uint32_t h = QeProjectDb_Db_Connect(W(path_));
    ASSERT_NE(h, 0u);
    int64_t jobdef = 0, program = 0;
    ASSERT_EQ(QeProjectDb_Jobdef_Insert(h, 1, 0, 0, L"Fresh", L"", 0, &jobdef), 0);
    ASSERT_EQ(QeProjectDb_Jobprogram_Insert(h, jobdef, L"program", &program), 0);
    QeProjectDb_Db_Disconnect(h);
  }
  int64_t status = 0, key = 0;
  {
    CReadOnlyFolder readOnly(ProjectFolder());
    RunInsert("run", &status, &key);
  }
  if (IsSkipped()) return;
  EXPECT_EQ(status, kFolderError);
  EXPECT_EQ(key, -1) << "the out-record stays untouched";
  EXPECT_EQ(CountRows(path_, "jobrun"), 1);
  EXPECT_FALSE(fs::exists(ProjectFolder() / "Fresh"));
  EXPECT_EQ(CheckFile(path_), "ok");
}

// The folder of the job definition's runs exists but cannot be written.
TEST_F(ReadOnlyFolder, RunsFolderWithoutWritePermissionGivesTheFolderErrorAndNoRun) {
  int64_t status = 0, key = 0;
  {
    CReadOnlyFolder readOnly(ProjectFolder() / "Acquisition");
    RunInsert("run", &status, &key);
  }
  if (IsSkipped()) return;
  EXPECT_EQ(status, kFolderError);
  EXPECT_EQ(key, -1);
  EXPECT_EQ(CountRows(path_, "jobrun"), 1);
}

// The same failures without permissions: a file stands where the folder
// must be made, which stops root too.
TEST_F(ReadOnlyFolder, ProjectRootThatIsAFileGivesTheFolderErrorAndNoRow) {
  fs::remove_all(ProjectRoot());
  std::ofstream(ProjectRoot()) << "not a folder";
  const uint32_t h = QeProjectDb_Db_Connect(W(path_));
  ASSERT_NE(h, 0u);
  int64_t key = -1;
  EXPECT_EQ(QeProjectDb_Proj_Insert(h, L"Blocked", L"", L"blocked", &key), kFolderError);
  EXPECT_EQ(key, -1);
  QeProjectDb_Db_Disconnect(h);
  EXPECT_EQ(CountRows(path_, "project"), 1);
}

TEST_F(ReadOnlyFolder, ProjectFolderThatIsAFileGivesTheFolderErrorAndNoRun) {
  fs::remove_all(ProjectFolder());
  std::ofstream(ProjectFolder()) << "not a folder";
  const uint32_t h = QeProjectDb_Db_Connect(W(path_));
  ASSERT_NE(h, 0u);
  SAcquisitionRun run;
  ASSERT_EQ(ReadAcquisitionRun(h, run), 0);
  SQeProjectDbRow_jobrun existing;
  ASSERT_EQ(QeProjectDb_Jobrun_GetOne(h, run.run, existing), 0);
  SQeProjectDbRow_jobrun row;
  row.iKey = -1;
  EXPECT_EQ(QeProjectDb_Jobrun_Insert(h, existing.iProjKeyRef, W(ProjectFolder().string() + "/"),
                                      existing.iJobdefKeyRef, existing.iJobprogramKeyRef, 1,
                                      L"Blocked run", L"", &row, nullptr),
            kFolderError);
  EXPECT_EQ(row.iKey, -1);
  QeProjectDb_Db_Disconnect(h);
  EXPECT_EQ(CountRows(path_, "jobrun"), 1);
}

}  // namespace
