// Job runs: folder names under both folder formats, the folder on disk,
// reads, updates that leave the modification time, the parent stamps of
// the temporary triggers, deletion of row and folder.
#include <fstream>
#include <regex>

#include "projectdb/records_support.h"

namespace qe::test {
namespace {

namespace fs = std::filesystem;

class RecordsJobrunTest : public RecordApiTest {
 protected:
  void SetUp() override {
    RecordApiTest::SetUp();
    project_ = AddProject(L"Project", L"Project");
    jobdef_ = AddJobdef(project_, L"Zell-Scan 2.0 'ü'");
    program_ = AddJobprogram(jobdef_);
  }
  CQeStringW ProjectFolder() { return QeProjectDb_Proj_MakeAbsPath(h_, L"Project"); }
  int Insert(const CQeStringW& name, SQeProjectDbRow_jobrun* row, CQeStringW* folder,
             int64_t flags = 1) {
    return QeProjectDb_Jobrun_Insert(h_, project_, ProjectFolder(), jobdef_, program_, flags, name,
                                     L"notes", row, folder);
  }
  static std::string Stamp(double jdn) {
    return QeProjectDb_Sys_JdnFormatForFile(jdn, true, true, true).ToUtf8();
  }

  int64_t project_ = 0;
  int64_t jobdef_ = 0;
  int64_t program_ = 0;
};

TEST_F(RecordsJobrunTest, FolderFormatOneGroupsRunsUnderTheJobdefName) {
  SQeProjectDbRow_jobrun row;
  CQeStringW folder;
  ASSERT_EQ(Insert(L"Run 1", &row, &folder), 0);
  ASSERT_GT(row.iKey, 0);
  const std::string stamp = Stamp(row.dCTime);
  EXPECT_TRUE(std::regex_match(stamp, std::regex(R"(\d{8}_\d{6}_\d{3})"))) << stamp;
  // Stored in the file format's form, with a backslash.
  EXPECT_EQ(row.wszFolderName.ToUtf8(), "Zell_Scan_2_0__ü_\\" + stamp);
  EXPECT_EQ(Text("SELECT wszFolderName FROM jobrun WHERE iKey=" + std::to_string(row.iKey)),
            row.wszFolderName);
  // On disk with native separators.
  const fs::path onDisk = Root() / "Project" / "Zell_Scan_2_0__ü_" / stamp;
  EXPECT_TRUE(fs::is_directory(onDisk));
  EXPECT_EQ(folder.ToUtf8(), onDisk.string() + "/");
  EXPECT_EQ(folder.Find(L'\\'), -1);
}

TEST_F(RecordsJobrunTest, OtherFolderFormatsPutTheStampFirstAndTheRunName) {
  for (const char* setting : {"UPDATE settings SET varValue=2 WHERE wszName='folderformat'",
                              "DELETE FROM settings WHERE wszName='folderformat'"}) {
    SCOPED_TRACE(setting);
    ASSERT_EQ(Exec(setting), SQLITE_OK);
    SQeProjectDbRow_jobrun row;
    CQeStringW folder;
    ASSERT_EQ(Insert(L"Well A1, 50% Ölfilm", &row, &folder), 0);
    const std::string expected = Stamp(row.dCTime) + "__Well_A1__50__Ölfilm";
    EXPECT_EQ(row.wszFolderName.ToUtf8(), expected);
    EXPECT_TRUE(fs::is_directory(Root() / "Project" / expected));
    EXPECT_EQ(folder.ToUtf8(), (Root() / "Project" / expected).string() + "/");
  }
}

TEST_F(RecordsJobrunTest, InsertWithoutOutputsStillMakesFolderAndRow) {
  ASSERT_EQ(Insert(L"quiet", nullptr, nullptr), 0);
  std::vector<SQeProjectDbRow_jobrun> rows;
  ASSERT_EQ(QeProjectDb_Jobrun_GetAll(h_, rows), 0);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].wszName, L"quiet");
  EXPECT_EQ(rows[0].wszDesc, L"notes");
  EXPECT_EQ(rows[0].iFinishFlags, 1);
  EXPECT_EQ(rows[0].iJobprogramKeyRef, program_);
  EXPECT_EQ(rows[0].dFTime, 0.0);
  EXPECT_EQ(rows[0].dCTime, rows[0].dMTime);
  EXPECT_TRUE(rows[0].wszFinishMessage.IsEmpty());
  EXPECT_EQ(rows[0].wszUuid.GetLength(), 32);
  CQeStringW path;
  ASSERT_EQ(QeProjectDb_Jobrun_GetAbsPath(h_, rows[0].iKey, path), 0);
  EXPECT_TRUE(fs::is_directory(qe::ToFsPath(path)));
}

TEST_F(RecordsJobrunTest, AFolderThatCannotBeMadeWritesNothing) {
  // A file where the job definition's folder would go.
  std::ofstream(Root() / "Project" / "Zell_Scan_2_0__ü_") << "x";
  SQeProjectDbRow_jobrun row(7, 0, 0, 0, 0, 0, 0, 0, L"", L"untouched", L"", L"", L"");
  CQeStringW folder = L"untouched";
  EXPECT_NE(Insert(L"R", &row, &folder), 0);
  EXPECT_EQ(row.iKey, 7);
  EXPECT_EQ(folder, L"untouched");
  EXPECT_EQ(Count("jobrun"), 0);
  EXPECT_EQ(QeProjectDb_Jobrun_Insert(0, project_, ProjectFolder(), jobdef_, program_, 1, L"R", L"",
                                      &row, &folder),
            21);
}

TEST_F(RecordsJobrunTest, AFailedInsertStillReportsTheRecordAndFolder) {
  SQeProjectDbRow_jobrun row;
  CQeStringW folder;
  // Job program 0 is written as 0, which names no program.
  EXPECT_EQ(QeProjectDb_Jobrun_Insert(h_, project_, ProjectFolder(), jobdef_, 0, 1, L"R", L"", &row,
                                      &folder),
            SQLITE_CONSTRAINT);
  EXPECT_EQ(row.iKey, 0);
  EXPECT_EQ(row.wszName, L"R");
  EXPECT_FALSE(row.wszFolderName.IsEmpty());
  EXPECT_TRUE(fs::is_directory(qe::ToFsPath(folder)));
  EXPECT_EQ(Count("jobrun"), 0);
}

TEST_F(RecordsJobrunTest, ConstructorsFromAJobdef) {
  const SQeProjectDbRow_jobdef typed(11, 22, 3, 0, 1.0, 2.0, L"u", L"Def", L"Desc", 0);
  const SQeProjectDbRow_jobrun a(typed, 33, 1);
  EXPECT_EQ(a.iKey, 0);
  EXPECT_EQ(a.iProjKeyRef, 22);
  EXPECT_EQ(a.iJobdefKeyRef, 11);
  EXPECT_EQ(a.iJobprogramKeyRef, 33);
  EXPECT_EQ(a.iFinishFlags, 1);
  EXPECT_EQ(a.wszName, L"Def");
  EXPECT_EQ(a.wszDesc, L"Desc");
  EXPECT_EQ(a.dCTime, 0.0);
  EXPECT_TRUE(a.wszUuid.IsEmpty());
  const SQeProjectDbRow_jobdef untyped(11, 22, 0, 0, 1.0, 2.0, L"u", L"Def", L"Desc", 0);
  EXPECT_TRUE(SQeProjectDbRow_jobrun(untyped, 33, 1).wszDesc.IsEmpty());
  const SQeProjectDbRow_jobrun b(untyped, 33, 1, L"Named", L"Given");
  EXPECT_EQ(b.wszName, L"Named");
  EXPECT_EQ(b.wszDesc, L"Given");
}

TEST_F(RecordsJobrunTest, GetLatestTakesTheNewestStartWithinTheProject) {
  SQeProjectDbRow_jobrun untouched(5, 0, 0, 0, 0, 0, 0, 0, L"", L"none", L"", L"", L"");
  EXPECT_EQ(QeProjectDb_Jobrun_GetLatest(h_, project_, untouched), 0);
  EXPECT_EQ(untouched.wszName, L"none");

  SQeProjectDbRow_jobrun first, second;
  ASSERT_EQ(Insert(L"first", &first, nullptr), 0);
  ASSERT_EQ(Insert(L"second", &second, nullptr), 0);
  ASSERT_EQ(Exec("UPDATE jobrun SET dCTime=dCTime+1 WHERE iKey=" + std::to_string(first.iKey)),
            SQLITE_OK);
  const int64_t otherProject = AddProject(L"Other", L"Other");
  const int64_t otherRun = AddRun(otherProject, AddJobdef(otherProject));
  ASSERT_EQ(Exec("UPDATE jobrun SET dCTime=dCTime+5 WHERE iKey=" + std::to_string(otherRun)),
            SQLITE_OK);

  SQeProjectDbRow_jobrun latest;
  EXPECT_EQ(QeProjectDb_Jobrun_GetLatest(h_, project_, latest), 0);
  EXPECT_EQ(latest.iKey, first.iKey);
  EXPECT_EQ(latest.wszName, L"first");
  EXPECT_EQ(latest.wszFolderName, first.wszFolderName);
}

TEST_F(RecordsJobrunTest, ListsByProgramByFlagsAndCounts) {
  EXPECT_EQ(QeProjectDb_Jobrun_CountForJobdef(h_, jobdef_), 0u);
  SQeProjectDbRow_jobrun running, done, other;
  ASSERT_EQ(Insert(L"running", &running, nullptr, 0x101), 0);
  ASSERT_EQ(Insert(L"done", &done, nullptr, 0x102), 0);
  const int64_t program2 = AddJobprogram(jobdef_);
  EXPECT_EQ(QeProjectDb_Jobrun_UpdateJobprogram(h_, done.iKey, program2), 0);
  EXPECT_EQ(QeProjectDb_Jobrun_CountForJobdef(h_, jobdef_), 2u);

  std::vector<SQeProjectDbRow_jobrun> rows;
  EXPECT_EQ(QeProjectDb_Jobrun_GetManyWithFinishFlag(h_, jobdef_, 1, 1, rows), 0);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].iKey, running.iKey);
  EXPECT_EQ(QeProjectDb_Jobrun_GetManyWithFinishFlag(h_, jobdef_, 0xFF00, 0x100, rows), 0);
  EXPECT_EQ(rows.size(), 3u);
  EXPECT_EQ(QeProjectDb_Jobrun_GetManyReferencingJobprogram(h_, program2, rows), 0);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[3].iKey, done.iKey);
}

TEST_F(RecordsJobrunTest, UpdatesChangeTheirColumnsOnlyAndNeverTheModificationTime) {
  SQeProjectDbRow_jobrun row;
  ASSERT_EQ(Insert(L"before", &row, nullptr), 0);
  const int64_t jobdef2 = AddJobdef(project_, L"second def");
  const int64_t program2 = AddJobprogram(jobdef2);
  EXPECT_EQ(QeProjectDb_Jobrun_Rename(h_, row.iKey, kAwkwardText), 0);
  EXPECT_EQ(QeProjectDb_Jobrun_UpdateNotes(h_, row.iKey, L"it's noted"), 0);
  EXPECT_EQ(QeProjectDb_Jobrun_UpdateJobprogram(h_, row.iKey, program2, jobdef2), 0);
  EXPECT_EQ(QeProjectDb_Jobrun_UpdateFinish(h_, row.iKey, 0x200, 2460100.25, L"Stopped: 'user'"),
            0);

  SQeProjectDbRow_jobrun after;
  ASSERT_EQ(QeProjectDb_Jobrun_GetOne(h_, row.iKey, after), 0);
  EXPECT_EQ(after.wszName, kAwkwardText);
  EXPECT_EQ(after.wszDesc, L"it's noted");
  EXPECT_EQ(after.iJobprogramKeyRef, program2);
  EXPECT_EQ(after.iJobdefKeyRef, jobdef2);
  EXPECT_EQ(after.iFinishFlags, 0x200);
  EXPECT_EQ(after.dFTime, 2460100.25);
  EXPECT_EQ(after.wszFinishMessage, L"Stopped: 'user'");
  EXPECT_EQ(after.dMTime, row.dMTime);
  EXPECT_EQ(after.dCTime, row.dCTime);
  EXPECT_EQ(after.wszFolderName, row.wszFolderName);
  EXPECT_EQ(after.wszUuid, row.wszUuid);
}

TEST_F(RecordsJobrunTest, ARunsNewModificationTimeStampsItsJobdefAndProject) {
  SQeProjectDbRow_jobrun row;
  ASSERT_EQ(Insert(L"r", &row, nullptr), 0);
  ASSERT_EQ(Exec("UPDATE jobdef SET dMTime=2450000.5; UPDATE project SET dMTime=2450000.5;"),
            SQLITE_OK);
  // The record functions leave the parents alone...
  EXPECT_EQ(QeProjectDb_Jobrun_UpdateFinish(h_, row.iKey, 2, 2460000.0, L"done"), 0);
  EXPECT_EQ(Double("SELECT dMTime FROM jobdef WHERE iKey=" + std::to_string(jobdef_)), 2450000.5);
  // ...while a change of the run's time carries up to both.
  ASSERT_EQ(Exec("UPDATE jobrun SET dMTime=2460200.75 WHERE iKey=" + std::to_string(row.iKey)),
            SQLITE_OK);
  EXPECT_EQ(Double("SELECT dMTime FROM jobdef WHERE iKey=" + std::to_string(jobdef_)), 2460200.75);
  EXPECT_EQ(Double("SELECT dMTime FROM project WHERE iKey=" + std::to_string(project_)),
            2460200.75);
}

TEST_F(RecordsJobrunTest, AbsolutePaths) {
  SQeProjectDbRow_jobrun row;
  CQeStringW folder;
  ASSERT_EQ(Insert(L"r", &row, &folder), 0);
  CQeStringW path;
  EXPECT_EQ(QeProjectDb_Jobrun_GetAbsPath(h_, row.iKey, path), 0);
  EXPECT_EQ(path, folder);
  EXPECT_EQ(QeProjectDb_Jobrun_MakeAbsPath(h_, L"Project", row.wszFolderName), folder);
  EXPECT_EQ(QeProjectDb_Jobrun_MakeAbsPath(h_, L"P/", L"a\\b/"),
            QeProjectDb_Db_ProjectRootFolder(h_) + L"P/a/b/");

  EXPECT_EQ(QeProjectDb_Jobrun_GetAbsPath(h_, row.iKey + 1, path), -13);
  EXPECT_EQ(path, QeProjectDb_Db_ProjectRootFolder(h_));
}

TEST_F(RecordsJobrunTest, DeleteKeepsTheFolderAndDeleteFolderKeepsTheRow) {
  SQeProjectDbRow_jobrun keep, drop;
  CQeStringW keepFolder, dropFolder;
  ASSERT_EQ(Insert(L"keep", &keep, &keepFolder), 0);
  ASSERT_EQ(Exec("UPDATE settings SET varValue=0 WHERE wszName='folderformat'"), SQLITE_OK);
  ASSERT_EQ(Insert(L"drop", &drop, &dropFolder), 0);
  std::ofstream(qe::ToFsPath(dropFolder) / "frame.tif") << "pixels";

  EXPECT_EQ(QeProjectDb_Jobrun_DeleteFolder(h_, drop.iKey), 0);
  EXPECT_FALSE(fs::exists(qe::ToFsPath(dropFolder)));
  EXPECT_TRUE(fs::is_directory(qe::ToFsPath(keepFolder)));
  EXPECT_EQ(Count("jobrun"), 2);

  EXPECT_EQ(QeProjectDb_Jobrun_Delete(h_, keep.iKey), 0);
  EXPECT_EQ(Count("jobrun"), 1);
  EXPECT_TRUE(fs::is_directory(qe::ToFsPath(keepFolder)));
}

TEST_F(RecordsJobrunTest, DeleteFolderOfAnUnknownRunTouchesNothing) {
  SQeProjectDbRow_jobrun row;
  ASSERT_EQ(Insert(L"r", &row, nullptr), 0);
  EXPECT_EQ(QeProjectDb_Jobrun_DeleteFolder(h_, row.iKey + 1), -13);
  // A run whose folder name is empty would name the whole project folder.
  ASSERT_EQ(Exec("UPDATE jobrun SET wszFolderName=''"), SQLITE_OK);
  EXPECT_EQ(QeProjectDb_Jobrun_DeleteFolder(h_, row.iKey), -13);
  EXPECT_TRUE(fs::is_directory(Root() / "Project"));
  EXPECT_EQ(Count("jobrun"), 1);
}

}  // namespace
}  // namespace qe::test
