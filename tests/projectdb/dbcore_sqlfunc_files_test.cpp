// The merge's file-system functions on real folders (the merge tests run
// them end to end): an existing target file is kept, a missing source is
// reported, and without merge files nothing is made.
#include "projectdb/dbcore_support.h"
#include "qe/projectdb/sql_functions.h"

namespace qe::test {
namespace {

// The integer a SELECT of one function call gives; INT32_MIN on failure.
int Call(sqlite3* db, const std::string& call) {
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(db, ("SELECT " + call).c_str(), -1, &stmt, nullptr);
  const int result = sqlite3_step(stmt) == SQLITE_ROW ? sqlite3_column_int(stmt, 0) : INT32_MIN;
  sqlite3_finalize(stmt);
  return result;
}

TEST_F(DbCoreTest, MergeFunctionsCopyFromTheSourceProjectRootAndKeepTargets) {
  SQeProjectDbMergeFiles files;
  files.wszMainDbFile = WFile("target/main.db");
  files.wszSourceDbFile = WFile("source/hcs_projects.db");
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
  QeProjectDb_SqlFunc_RegisterMerge(db, nullptr);
  EXPECT_EQ(Call(db, "createprojectfolder('P')"), -4);
  EXPECT_EQ(Call(db, "copyfile('P', 'R', 'f')"), -4);
  EXPECT_FALSE(std::filesystem::exists(Dir() / "target"));
  QeProjectDb_SqlFunc_RegisterMerge(db, &files);
  // The source file's name selects its project root folder.
  std::filesystem::create_directories(Dir() / "source/HCS Projects/P l'été/2024/Run");
  std::ofstream(Dir() / "source/HCS Projects/P l'été/2024/Run/img 1.tif") << "pixels";
  ASSERT_EQ(Call(db, "createjobrunfolder('P l''été', '2024\\Run')"), 0);
  EXPECT_EQ(Call(db, "copyfile('P l''été', '2024\\Run', 'img 1.tif')"), 0);
  EXPECT_EQ(ReadBytes(File("target/Projects/P l'été/2024/Run/img 1.tif")), "pixels");
  std::ofstream(Dir() / "source/HCS Projects/P l'été/2024/Run/img 1.tif") << "changed";
  EXPECT_NE(Call(db, "copyfile('P l''été', '2024\\Run', 'img 1.tif')"), 0);
  EXPECT_EQ(ReadBytes(File("target/Projects/P l'été/2024/Run/img 1.tif")), "pixels");
  EXPECT_NE(Call(db, "copyfile('P l''été', '2024\\Run', 'missing.tif')"), 0);
  sqlite3_close(db);
}

}  // namespace
}  // namespace qe::test
