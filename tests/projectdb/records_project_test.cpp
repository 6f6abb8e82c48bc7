// Projects: the unique folder variant, reads, latest, failures and deletion.
#include <fstream>

#include "projectdb/records_support.h"

namespace qe::test {
namespace {

namespace fs = std::filesystem;
using RecordsProjectTest = RecordApiTest;
using Project = SQeProjectDbRow_project;

TEST_F(RecordsProjectTest, AFolderInUseGivesTheUniqueVariantAndTheRowStoresIt) {
  fs::create_directories(Root() / "Empty");
  EXPECT_EQ(Get<Project>(AddProject(L"E", L"Empty")).wszFolderName, L"Empty") << "reused";
  const int64_t first = AddProject(kQuoteName, L"Cells");
  std::ofstream(Root() / "Cells" / "image.tif") << "x";
  const int64_t second = AddProject(L"B", L"Cells");
  std::ofstream(Root() / "Cells (3)") << "x";  // a file in the way counts as in use
  const int64_t third = AddProject(L"C", L"Cells");
  EXPECT_EQ(Get<Project>(first).wszName, kQuoteName);
  EXPECT_EQ(Get<Project>(first).wszFolderName, L"Cells");
  EXPECT_EQ(Get<Project>(second).wszFolderName, L"Cells (2)");
  EXPECT_EQ(Get<Project>(third).wszFolderName, L"Cells (4)");
  EXPECT_TRUE(fs::is_directory(Root() / "Cells (4)"));
}

TEST_F(RecordsProjectTest, GetOneOfAMissingKeyLeavesTheRecordAndGetAllAppends) {
  AddProject(L"One", L"One");
  AddProject(L"Two", L"Two");
  Project row(5, 1.0, 2.0, L"u", L"n", L"d", L"f");
  EXPECT_EQ(QeProjectDb_Proj_GetOne(h_, 999, row), 0);
  EXPECT_EQ(row.wszFolderName, L"f");
  std::vector<Project> rows{row};
  EXPECT_EQ(QeProjectDb_Proj_GetAll(h_, rows), 0);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].wszName + rows[1].wszName + rows[2].wszName, L"nOneTwo");
}

TEST_F(RecordsProjectTest, GetLatestFollowsTheModificationTimeNotTheKey) {
  const int64_t older = AddProject(L"Older", L"Older");
  const int64_t newer = AddProject(L"Newer", L"Newer");
  ASSERT_EQ(Exec("UPDATE project SET dMTime=2460000.5 WHERE " + Eq("iKey", newer)), 0);
  ASSERT_EQ(Exec("UPDATE project SET dMTime=2460001.5 WHERE " + Eq("iKey", older)), 0);
  EXPECT_EQ(QeProjectDb_Proj_GetLatest(h_), older);
  // Update stamps the time, so the updated project becomes the latest.
  EXPECT_EQ(QeProjectDb_Proj_Update(h_, newer, L"Renamed '1'", L"new desc"), 0);
  EXPECT_EQ(QeProjectDb_Proj_GetLatest(h_), newer);
  EXPECT_EQ(Get<Project>(newer).wszName, L"Renamed '1'");
}

TEST_F(RecordsProjectTest, RefusedInsertsLeaveNoRow) {
  int64_t key = 77;
  EXPECT_EQ(QeProjectDb_Proj_Insert(h_, L"P", L"", L"\\/", &key), -9);
  EXPECT_EQ(key, 77);
  // The project root is a file: no folder can be made below it.
  fs::remove_all(Root());
  std::ofstream(Root()) << "not a folder";
  EXPECT_NE(QeProjectDb_Proj_Insert(h_, L"P", L"", L"New", &key), 0);
  EXPECT_EQ(key, 77);
  EXPECT_EQ(Count("project"), 0);
}

TEST_F(RecordsProjectTest, DeleteCascadesButKeepsTheFolder) {
  const int64_t project = AddProject(L"Gone", L"Gone");
  ASSERT_GT(AddRun(project, AddJobdef(project)), 0);
  EXPECT_EQ(QeProjectDb_Proj_Delete(h_, project), 0);
  EXPECT_EQ(Count("project") + Count("jobdef") + Count("jobprogram") + Count("jobrun"), 0);
  EXPECT_TRUE(fs::is_directory(Root() / "Gone"));
}

}  // namespace
}  // namespace qe::test
