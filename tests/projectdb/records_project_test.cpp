// Projects: rows, folders on disk, the unique folder variant, latest, names
// and deletion.
#include <fstream>

#include "projectdb/records_support.h"

namespace qe::test {
namespace {

namespace fs = std::filesystem;
using RecordsProjectTest = RecordApiTest;
using Project = SQeProjectDbRow_project;

TEST_F(RecordsProjectTest, InsertMakesTheFolderAndStoresTheRow) {
  int64_t key = -1;
  ASSERT_EQ(QeProjectDb_Proj_Insert(h_, kQuoteName, L"Beschreibung 'x'", L"Zellen ü", &key), 0);
  EXPECT_TRUE(fs::is_directory(Root() / "Zellen ü"));
  const Project row = Get<Project>(key);
  EXPECT_EQ(row.iKey, key);
  EXPECT_EQ(row.wszName, kQuoteName);
  EXPECT_EQ(row.wszDesc, L"Beschreibung 'x'");
  EXPECT_EQ(row.wszFolderName, L"Zellen ü");
  EXPECT_EQ(row.wszUuid.GetLength(), 32);
  EXPECT_GT(row.dCTime, 2400000.0);
  EXPECT_EQ(row.dCTime, row.dMTime);
  EXPECT_TRUE(QeProjectDb_Proj_IsExisting(h_, key));
  EXPECT_FALSE(QeProjectDb_Proj_IsExisting(h_, key + 1));
}

TEST_F(RecordsProjectTest, AFolderInUseGivesTheUniqueVariantAndTheRowStoresIt) {
  fs::create_directories(Root() / "Empty");
  EXPECT_EQ(Get<Project>(AddProject(L"E", L"Empty")).wszFolderName, L"Empty") << "reused";
  const int64_t first = AddProject(L"A", L"Cells");
  std::ofstream(Root() / "Cells" / "image.tif") << "x";
  const int64_t second = AddProject(L"B", L"Cells");
  std::ofstream(Root() / "Cells (3)") << "x";  // a file in the way counts as in use
  const int64_t third = AddProject(L"C", L"Cells");
  EXPECT_EQ(Get<Project>(first).wszFolderName, L"Cells");
  EXPECT_EQ(Get<Project>(second).wszFolderName, L"Cells (2)");
  EXPECT_EQ(Get<Project>(third).wszFolderName, L"Cells (4)");
  EXPECT_TRUE(fs::is_directory(Root() / "Cells (2)"));
  EXPECT_TRUE(fs::is_directory(Root() / "Cells (4)"));
  EXPECT_FALSE(fs::exists(Root() / "Empty (2)"));
}

TEST_F(RecordsProjectTest, FolderCheckAndAbsolutePaths) {
  CQeStringW out = L"old";
  const CQeStringW fresh(dir_.FileW("fresh"));
  EXPECT_EQ(QeProjectDb_Proj_CheckFolderPath(fresh, out), 0);
  EXPECT_EQ(out, fresh + L"/");
  fs::create_directories(dir_.path() / "full" / "sub");
  EXPECT_EQ(QeProjectDb_Proj_CheckFolderPath(CQeStringW(dir_.FileW("full")) + L"/", out), 0);
  EXPECT_EQ(out, CQeStringW(dir_.FileW("full (2)")) + L"/");
  EXPECT_FALSE(fs::exists(dir_.path() / "full (2)")) << "the check makes nothing";
  EXPECT_EQ(QeProjectDb_Proj_CheckFolderPath(L"", out), -9);
  EXPECT_TRUE(out.IsEmpty());
  const CQeStringW root = QeProjectDb_Db_ProjectRootFolder(h_);
  EXPECT_EQ(QeProjectDb_Proj_MakeAbsPath(h_, L"My Project"), root + L"My Project/");
  EXPECT_EQ(QeProjectDb_Proj_MakeAbsPath(h_, L"a\\b\\"), root + L"a/b/");
}

TEST_F(RecordsProjectTest, InsertFailures) {
  // Before the insert runs, the key stays as it was.
  int64_t key = 77;
  EXPECT_EQ(QeProjectDb_Proj_Insert(h_, L"P", L"", L"", &key), -9);
  EXPECT_EQ(QeProjectDb_Proj_Insert(h_, L"P", L"", L"\\/", &key), -9);
  EXPECT_EQ(QeProjectDb_Proj_Insert(0, L"P", L"", L"New", &key), 21);
  EXPECT_EQ(key, 77);
  // A refused insert keeps the folder it made and zeroes the key.
  ASSERT_EQ(Exec("CREATE TEMP TRIGGER refuse BEFORE INSERT ON project "
                 "BEGIN SELECT RAISE(ABORT, 'refused'); END;"),
            SQLITE_OK);
  EXPECT_EQ(QeProjectDb_Proj_Insert(h_, L"P", L"", L"Kept", &key), SQLITE_CONSTRAINT);
  EXPECT_EQ(key, 0);
  EXPECT_TRUE(fs::is_directory(Root() / "Kept"));
  ASSERT_EQ(Exec("DROP TRIGGER refuse"), SQLITE_OK);
  // The project root is a file: no folder can be made below it.
  fs::remove_all(Root());
  std::ofstream(Root()) << "not a folder";
  key = 77;
  EXPECT_NE(QeProjectDb_Proj_Insert(h_, L"P", L"", L"New", &key), 0);
  EXPECT_EQ(key, 77);
  EXPECT_EQ(Count("project"), 0);
}

TEST_F(RecordsProjectTest, GetOneOfAMissingKeyLeavesTheRecordAndGetAllAppends) {
  AddProject(L"One", L"One");
  AddProject(L"Two", L"Two");
  Project row(5, 1.0, 2.0, L"u", L"n", L"d", L"f");
  EXPECT_EQ(QeProjectDb_Proj_GetOne(h_, 999, row), 0);
  EXPECT_EQ(row.iKey, 5);
  EXPECT_EQ(row.wszFolderName, L"f");
  std::vector<Project> rows{row};
  EXPECT_EQ(QeProjectDb_Proj_GetAll(h_, rows), 0);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].wszName + rows[1].wszName + rows[2].wszName, L"nOneTwo");
}

TEST_F(RecordsProjectTest, GetLatestFollowsTheModificationTimeNotTheKey) {
  EXPECT_EQ(QeProjectDb_Proj_GetLatest(h_), 0);
  const int64_t older = AddProject(L"Older", L"Older");
  const int64_t newer = AddProject(L"Newer", L"Newer");
  ASSERT_EQ(Exec("UPDATE project SET dMTime=2460000.5 WHERE " + Eq("iKey", newer)), 0);
  ASSERT_EQ(Exec("UPDATE project SET dMTime=2460001.5 WHERE " + Eq("iKey", older)), 0);
  EXPECT_EQ(QeProjectDb_Proj_GetLatest(h_), older);
  // Update stamps the time, so the updated project becomes the latest.
  EXPECT_EQ(QeProjectDb_Proj_Update(h_, newer, L"Renamed '1'", L"new desc"), 0);
  EXPECT_EQ(QeProjectDb_Proj_GetLatest(h_), newer);
  const Project row = Get<Project>(newer);
  EXPECT_EQ(row.wszName + L"|" + row.wszDesc + L"|" + row.wszFolderName,
            L"Renamed '1'|new desc|Newer");
  EXPECT_GT(row.dMTime, 2460001.5);
  // An unknown key changes nothing and is no failure.
  EXPECT_EQ(QeProjectDb_Proj_Update(h_, newer + 10, L"X", L"Y"), 0);
  EXPECT_EQ(Count("project", "wszName='X'"), 0);
}

TEST_F(RecordsProjectTest, NameUniquenessWithApostrophesWildcardsAndBackslashes) {
  CQeStringW unique;
  for (const wchar_t* name :
       {L"Screen", L"O'Neil's", L"50% done", L"a_b", L"C:\\data", L"Zählung"}) {
    SCOPED_TRACE(CQeStringW(name).ToUtf8());
    EXPECT_TRUE(QeProjectDb_Proj_IsNameUnique(h_, name, unique));
    EXPECT_EQ(unique, name);
    AddProject(name, L"folder");
    EXPECT_FALSE(QeProjectDb_Proj_IsNameUnique(h_, name, unique));
    EXPECT_EQ(unique, CQeStringW(name) + L" 1");
  }
  AddProject(L"Screen 1", L"s1");
  EXPECT_FALSE(QeProjectDb_Proj_IsNameUnique(h_, L"Screen", unique));
  EXPECT_EQ(unique, L"Screen 2");
  // A wildcard in the name matches only itself.
  EXPECT_TRUE(QeProjectDb_Proj_IsNameUnique(h_, L"axb", unique));
  EXPECT_TRUE(QeProjectDb_Proj_IsNameUnique(h_, L"50 percent done", unique));
}

TEST_F(RecordsProjectTest, DeleteCascadesButKeepsTheFolder) {
  const int64_t project = AddProject(L"Gone", L"Gone");
  ASSERT_GT(AddRun(project, AddJobdef(project)), 0);
  EXPECT_EQ(QeProjectDb_Proj_Delete(h_, project), 0);
  EXPECT_FALSE(QeProjectDb_Proj_IsExisting(h_, project));
  EXPECT_EQ(Count("jobdef") + Count("jobprogram") + Count("jobrun"), 0);
  EXPECT_TRUE(fs::is_directory(Root() / "Gone"));
}

}  // namespace
}  // namespace qe::test
