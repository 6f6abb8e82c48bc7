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
             int64_t flags = 1, uint32_t handle = 0, int64_t program = -1) {
    return QeProjectDb_Jobrun_Insert(handle ? handle : h_, project_, ProjectFolder(), jobdef_,
                                     program < 0 ? program_ : program, flags, name, L"notes", row,
                                     folder);
  }
  static std::string Stamp(double jdn) {
    return QeProjectDb_Sys_JdnFormatForFile(jdn, true, true, true).ToUtf8();
  }

  int64_t project_ = 0, jobdef_ = 0, program_ = 0;
};

// Folder format 1 groups runs under the cleaned job definition name (stored
// with a backslash, made with '/'); any other value, or none, puts the stamp
// first and the cleaned run name after it.
TEST_F(RecordsJobrunTest, RunFolderNamesUnderBothFolderFormats) {
  for (const char* setting :
       {"SELECT 1", "UPDATE settings SET varValue=2 WHERE wszName='folderformat'",
        "DELETE FROM settings WHERE wszName='folderformat'"}) {
    SCOPED_TRACE(setting);
    ASSERT_EQ(Exec(setting), SQLITE_OK);
    SQeProjectDbRow_jobrun row;
    CQeStringW folder;
    ASSERT_EQ(Insert(L"Well A1, 50% Ölfilm", &row, &folder), 0);
    const std::string stamp = Stamp(row.dCTime);
    EXPECT_TRUE(std::regex_match(stamp, std::regex(R"(\d{8}_\d{6}_\d{3})"))) << stamp;
    const bool byJobdef = std::string(setting) == "SELECT 1";
    const std::string stored =
        byJobdef ? "Zell_Scan_2_0__ü_\\" + stamp : stamp + "__Well_A1__50__Ölfilm";
    EXPECT_EQ(row.wszFolderName.ToUtf8(), stored);
    EXPECT_EQ(Get<SQeProjectDbRow_jobrun>(row.iKey).wszFolderName, row.wszFolderName);
    const fs::path onDisk = Root() / "Project" / (byJobdef ? "Zell_Scan_2_0__ü_/" + stamp : stored);
    EXPECT_TRUE(fs::is_directory(onDisk));
    EXPECT_EQ(folder.ToUtf8(), onDisk.string() + "/");
  }
}

TEST_F(RecordsJobrunTest, InsertWithoutOutputsStillMakesFolderAndRowAndPathsFindIt) {
  ASSERT_EQ(Insert(L"quiet", nullptr, nullptr), 0);
  std::vector<SQeProjectDbRow_jobrun> rows;
  ASSERT_EQ(QeProjectDb_Jobrun_GetAll(h_, rows), 0);
  ASSERT_EQ(rows.size(), 1u);
  const SQeProjectDbRow_jobrun& row = rows[0];
  EXPECT_EQ(row.wszName + L"|" + row.wszDesc, L"quiet|notes");
  EXPECT_EQ(std::make_tuple(row.iFinishFlags, row.iJobprogramKeyRef, row.dFTime, row.dMTime),
            std::make_tuple(int64_t{1}, program_, 0.0, row.dCTime));
  EXPECT_TRUE(row.wszFinishMessage.IsEmpty());
  EXPECT_EQ(row.wszUuid.GetLength(), 32);

  CQeStringW path;
  ASSERT_EQ(QeProjectDb_Jobrun_GetAbsPath(h_, row.iKey, path), 0);
  EXPECT_TRUE(fs::is_directory(qe::ToFsPath(path)));
  EXPECT_EQ(QeProjectDb_Jobrun_MakeAbsPath(h_, L"Project", row.wszFolderName), path);
  EXPECT_EQ(QeProjectDb_Jobrun_MakeAbsPath(h_, L"P/", L"a\\b/"),
            QeProjectDb_Db_ProjectRootFolder(h_) + L"P/a/b/");
  EXPECT_EQ(QeProjectDb_Jobrun_GetAbsPath(h_, row.iKey + 1, path), -13);
  EXPECT_EQ(path, QeProjectDb_Db_ProjectRootFolder(h_));
}

TEST_F(RecordsJobrunTest, InsertFailures) {
  // A folder that cannot be made: nothing written, outputs untouched.
  std::ofstream(Root() / "Project" / "Zell_Scan_2_0__ü_") << "x";
  SQeProjectDbRow_jobrun row(7, 0, 0, 0, 0, 0, 0, 0, L"", L"untouched", L"", L"", L"");
  CQeStringW folder = L"untouched";
  EXPECT_NE(Insert(L"R", &row, &folder), 0);
  EXPECT_EQ(Insert(L"R", &row, &folder, 1, 0xFFFF), 21);
  EXPECT_EQ(row.iKey, 7);
  EXPECT_EQ(folder, L"untouched");
  EXPECT_EQ(Count("jobrun"), 0);

  // A refused row after the folder was made: outputs still filled. Job
  // program 0 is written as 0, which names no program.
  fs::remove(Root() / "Project" / "Zell_Scan_2_0__ü_");
  EXPECT_EQ(Insert(L"R", &row, &folder, 1, 0, 0), SQLITE_CONSTRAINT);
  EXPECT_EQ(row.iKey, 0);
  EXPECT_EQ(row.wszName, L"R");
  EXPECT_FALSE(row.wszFolderName.IsEmpty());
  EXPECT_TRUE(fs::is_directory(qe::ToFsPath(folder)));
  EXPECT_EQ(Count("jobrun"), 0);
}

TEST_F(RecordsJobrunTest, ConstructorsFromAJobdef) {
  const SQeProjectDbRow_jobdef typed(11, 22, 3, 0, 1.0, 2.0, L"u", L"Def", L"Desc", 0);
  const SQeProjectDbRow_jobrun a(typed, 33, 1);
  EXPECT_EQ(std::make_tuple(a.iKey, a.iProjKeyRef, a.iJobdefKeyRef, a.iJobprogramKeyRef,
                            a.iFinishFlags, a.dCTime),
            std::make_tuple(0, 22, 11, 33, 1, 0.0));
  EXPECT_EQ(a.wszName + L"|" + a.wszDesc + L"|" + a.wszUuid, L"Def|Desc|");
  const SQeProjectDbRow_jobdef untyped(11, 22, 0, 0, 1.0, 2.0, L"u", L"Def", L"Desc", 0);
  EXPECT_TRUE(SQeProjectDbRow_jobrun(untyped, 33, 1).wszDesc.IsEmpty());
  const SQeProjectDbRow_jobrun b(untyped, 33, 1, L"Named", L"Given");
  EXPECT_EQ(b.wszName + L"|" + b.wszDesc, L"Named|Given");
}

TEST_F(RecordsJobrunTest, LatestByStartWithinTheProjectListsAndCounts) {
  SQeProjectDbRow_jobrun latest(5, 0, 0, 0, 0, 0, 0, 0, L"", L"none", L"", L"", L"");
  EXPECT_EQ(QeProjectDb_Jobrun_GetLatest(h_, project_, latest), 0);
  EXPECT_EQ(latest.wszName, L"none");
  EXPECT_EQ(QeProjectDb_Jobrun_CountForJobdef(h_, jobdef_), 0u);

  SQeProjectDbRow_jobrun running, done;
  ASSERT_EQ(Insert(L"running", &running, nullptr, 0x101), 0);
  ASSERT_EQ(Insert(L"done", &done, nullptr, 0x102), 0);
  ASSERT_EQ(Exec("UPDATE jobrun SET dCTime=dCTime+1 WHERE " + Eq("iKey", running.iKey)), 0);
  const int64_t otherProject = AddProject(L"Other", L"Other");
  const int64_t otherRun = AddRun(otherProject, AddJobdef(otherProject));
  ASSERT_EQ(Exec("UPDATE jobrun SET dCTime=dCTime+5 WHERE " + Eq("iKey", otherRun)), SQLITE_OK);
  EXPECT_EQ(QeProjectDb_Jobrun_GetLatest(h_, project_, latest), 0);
  EXPECT_EQ(latest.iKey, running.iKey);
  EXPECT_EQ(latest.wszFolderName, running.wszFolderName);

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

// The update functions leave the modification times of the run and its
// parents alone; a change of the run's time carries up to both parents
// (the connection's temporary triggers).
TEST_F(RecordsJobrunTest, UpdatesChangeTheirColumnsOnlyAndATimeChangeStampsTheParents) {
  SQeProjectDbRow_jobrun row;
  ASSERT_EQ(Insert(L"before", &row, nullptr), 0);
  const int64_t jobdef2 = AddJobdef(project_, L"second def");
  const int64_t program2 = AddJobprogram(jobdef2);
  ASSERT_EQ(Exec("UPDATE jobdef SET dMTime=2450000.5; UPDATE project SET dMTime=2450000.5;"),
            SQLITE_OK);
  EXPECT_EQ(QeProjectDb_Jobrun_Rename(h_, row.iKey, kQuoteName), 0);
  EXPECT_EQ(QeProjectDb_Jobrun_UpdateNotes(h_, row.iKey, L"it's noted"), 0);
  EXPECT_EQ(QeProjectDb_Jobrun_UpdateJobprogram(h_, row.iKey, program2, jobdef2), 0);
  EXPECT_EQ(QeProjectDb_Jobrun_UpdateFinish(h_, row.iKey, 0x200, 2460100.25, L"Stopped: 'user'"),
            0);
  const auto after = Get<SQeProjectDbRow_jobrun>(row.iKey);
  EXPECT_EQ(after.wszName + L"|" + after.wszDesc, kQuoteName + L"|it's noted");
  EXPECT_EQ(std::make_tuple(after.iJobprogramKeyRef, after.iJobdefKeyRef, after.iFinishFlags),
            std::make_tuple(program2, jobdef2, int64_t{0x200}));
  EXPECT_EQ(std::make_tuple(after.dFTime, after.dCTime, after.dMTime),
            std::make_tuple(2460100.25, row.dCTime, row.dMTime));
  EXPECT_EQ(after.wszFinishMessage, L"Stopped: 'user'");
  EXPECT_EQ(after.wszFolderName + after.wszUuid, row.wszFolderName + row.wszUuid);
  EXPECT_EQ(std::make_tuple(Get<SQeProjectDbRow_jobdef>(jobdef2).dMTime,
                            Get<SQeProjectDbRow_project>(project_).dMTime),
            std::make_tuple(2450000.5, 2450000.5));
  ASSERT_EQ(Exec("UPDATE jobrun SET dMTime=2460200.75 WHERE " + Eq("iKey", row.iKey)), SQLITE_OK);
  EXPECT_EQ(std::make_tuple(Get<SQeProjectDbRow_jobdef>(jobdef2).dMTime,
                            Get<SQeProjectDbRow_project>(project_).dMTime),
            std::make_tuple(2460200.75, 2460200.75));
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

  // An unknown run, or one whose folder name is empty (which would name the
  // whole project folder), deletes nothing.
  EXPECT_EQ(QeProjectDb_Jobrun_DeleteFolder(h_, drop.iKey + 10), -13);
  ASSERT_EQ(Exec("UPDATE jobrun SET wszFolderName=''"), SQLITE_OK);
  EXPECT_EQ(QeProjectDb_Jobrun_DeleteFolder(h_, drop.iKey), -13);
  EXPECT_TRUE(fs::is_directory(Root() / "Project"));
}

}  // namespace
}  // namespace qe::test
