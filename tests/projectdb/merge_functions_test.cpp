// The merge's file functions as the merge uses them: a copy from folders
// that have other names in the target, and the observer that counts what
// happened on disk.
#include <sqlite3.h>

#include <fstream>

#include "projectdb/merge_support.h"
#include "qe/projectdb/sql_functions.h"

namespace qe::test {
namespace {

struct SRecorder : IQeProjectDbMergeFilesObserver {
  void OnMergeFolder(const CQeStringW& path, bool created, int result) override {
    folders.push_back(path.ToUtf8() + (created ? " created " : " existed ") +
                      std::to_string(result));
  }
  void OnMergeCopy(const CQeStringW&, const CQeStringW& target, int result) override {
    copies.push_back(std::filesystem::path(target.ToUtf8()).filename().string() + " " +
                     std::to_string(result));
  }
  std::vector<std::string> folders;
  std::vector<std::string> copies;
};

class MergeFunctionsObserverTest : public MergeTest {
 protected:
  void SetUp() override {
    MergeTest::SetUp();
    files_.wszMainDbFile = PathW(TargetFile());
    files_.wszSourceDbFile = PathW(SourceFile());
    files_.pObserver = &recorder_;
    ASSERT_EQ(sqlite3_open(":memory:", &db_), SQLITE_OK);
    QeProjectDb_SqlFunc_RegisterMerge(db_, &files_);
  }
  void TearDown() override { sqlite3_close(db_); }

  int Call(const std::string& sql) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) return INT32_MIN;
    const int result = sqlite3_step(stmt) == SQLITE_ROW ? sqlite3_column_int(stmt, 0) : INT32_MIN;
    sqlite3_finalize(stmt);
    return result;
  }

  SQeProjectDbMergeFiles files_;
  SRecorder recorder_;
  sqlite3* db_ = nullptr;
};

TEST_F(MergeFunctionsObserverTest, CopyFromRenamedFoldersAndTellTheObserver) {
  std::filesystem::create_directories(SourceDir() / "Projects/P/Job/2024");
  std::ofstream(SourceDir() / "Projects/P/Job/2024/a'b.tif") << "pixels";

  EXPECT_EQ(Call("SELECT createjobrunfolder('P (2)', 'Job\\2024');"), 0);
  EXPECT_EQ(Call("SELECT createjobrunfolder('P (2)', 'Job\\2024');"), 0);
  EXPECT_EQ(Call("SELECT copyfile('P', 'Job\\2024', 'P (2)', 'Job\\2024', 'a''b.tif');"), 0);
  EXPECT_TRUE(std::filesystem::exists(TargetProjects() / "P (2)/Job/2024/a'b.tif"));
  EXPECT_NE(Call("SELECT copyfile('P', 'Job\\2024', 'P (2)', 'Job\\2024', 'a''b.tif');"), 0);
  EXPECT_EQ(Call("SELECT copyfile('P', 'Job\\2024', 'P (2)', 'Job\\2024', 'gone.tif');"), -13);
  EXPECT_EQ(Call("SELECT copyfile('P', 'R', 'P', 'R');"), INT32_MIN);  // no such function

  const std::string run = (TargetProjects() / "P (2)/Job/2024").string();
  EXPECT_EQ(recorder_.folders, (std::vector<std::string>{run + " created 0", run + " existed 0"}));
  EXPECT_EQ(recorder_.copies,
            (std::vector<std::string>{"a'b.tif 0", "a'b.tif -9", "gone.tif -13"}));
}

}  // namespace
}  // namespace qe::test
