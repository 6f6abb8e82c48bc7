// The merge's file-system functions on real folders: where they create
// folders and copy files, with stored names that use backslashes, and their
// results without merge files.
#include "projectdb/dbcore_support.h"
#include "qe/projectdb/sql_functions.h"

namespace qe::test {
namespace {

class MergeFunctionsTest : public DbCoreTest {
 protected:
  void SetUp() override {
    files_.wszMainDbFile = WFile("target/main.db");
    files_.wszSourceDbFile = WFile("source/hcs_projects.db");
    ASSERT_EQ(sqlite3_open(":memory:", &db_), SQLITE_OK);
    QeProjectDb_SqlFunc_RegisterMerge(db_, &files_);
  }
  void TearDown() override { sqlite3_close(db_); }

  // The integer a SELECT of one function call gives; INT32_MIN on failure.
  static int Call(sqlite3* db, const std::string& call) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, ("SELECT " + call).c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
      return INT32_MIN;
    }
    const int result = sqlite3_step(stmt) == SQLITE_ROW ? sqlite3_column_int(stmt, 0) : INT32_MIN;
    sqlite3_finalize(stmt);
    return result;
  }
  int Call(const std::string& call) { return Call(db_, call); }

  SQeProjectDbMergeFiles files_;
  sqlite3* db_ = nullptr;
};

TEST_F(MergeFunctionsTest, CreateFoldersUnderTheTargetProjectRoot) {
  EXPECT_EQ(Call("createprojectfolder('Project l''été')"), 0);
  EXPECT_TRUE(std::filesystem::is_directory(Dir() / "target/Projects/Project l'été"));
  // Folder format 1 stores run folders as "<date>\<name>".
  EXPECT_EQ(Call("createjobrunfolder('Project l''été', '20240131\\Run 1')"), 0);
  EXPECT_TRUE(
      std::filesystem::is_directory(Dir() / "target/Projects/Project l'été/20240131/Run 1"));
}

TEST_F(MergeFunctionsTest, CopyFileFromTheSourceProjectRoot) {
  // The source file's name selects its project root folder.
  std::filesystem::create_directories(Dir() / "source/HCS Projects/P/2024/Run");
  std::ofstream(Dir() / "source/HCS Projects/P/2024/Run/img 1.tif") << "pixels";
  ASSERT_EQ(Call("createjobrunfolder('P', '2024\\Run')"), 0);
  EXPECT_EQ(Call("copyfile('P', '2024\\Run', 'img 1.tif')"), 0);
  EXPECT_EQ(ReadBytes(File("target/Projects/P/2024/Run/img 1.tif")), "pixels");
  // An existing target is kept, and a missing source reported.
  EXPECT_NE(Call("copyfile('P', '2024\\Run', 'img 1.tif')"), 0);
  EXPECT_NE(Call("copyfile('P', '2024\\Run', 'missing.tif')"), 0);
  EXPECT_FALSE(std::filesystem::exists(Dir() / "target/Projects/P/2024/Run/missing.tif"));
}

TEST_F(MergeFunctionsTest, OnlyTheMergeConnectionWithItsFilesActs) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
  QeProjectDb_SqlFunc_RegisterMerge(db, nullptr);
  EXPECT_EQ(Call(db, "createprojectfolder('P')"), -4);
  EXPECT_EQ(Call(db, "copyfile('P', 'R', 'f')"), -4);
  sqlite3_close(db);
  EXPECT_FALSE(std::filesystem::exists(Dir() / "target"));
}

}  // namespace
}  // namespace qe::test
