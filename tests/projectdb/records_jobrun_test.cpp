// Job runs: folder names under both folder formats, updates that leave the
// modification time, the parent stamps of the temporary triggers, deletion
// of row and folder.
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
  }
  int Insert(const CQeStringW& name, SQeProjectDbRow_jobrun* row, CQeStringW* folder,
             int64_t program = -1) {
    return QeProjectDb_Jobrun_Insert(h_, project_, QeProjectDb_Proj_MakeAbsPath(h_, L"Project"),
                                     jobdef_, program < 0 ? AddJobprogram(jobdef_) : program, 1,
                                     name, L"notes", row, folder);
  }
  int64_t project_ = 0, jobdef_ = 0;
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
    const std::string stamp =
        QeProjectDb_Sys_JdnFormatForFile(row.dCTime, true, true, true).ToUtf8();
    EXPECT_TRUE(std::regex_match(stamp, std::regex(R"(\d{8}_\d{6}_\d{3})"))) << stamp;
    const bool byJobdef = std::string(setting) == "SELECT 1";
    const std::string stored =
        byJobdef ? "Zell_Scan_2_0__ü_\\" + stamp : stamp + "__Well_A1__50__Ölfilm";
    EXPECT_EQ(Get<SQeProjectDbRow_jobrun>(row.iKey).wszFolderName.ToUtf8(), stored);
    const fs::path onDisk = Root() / "Project" / (byJobdef ? "Zell_Scan_2_0__ü_/" + stamp : stored);
    EXPECT_TRUE(fs::is_directory(onDisk));
    EXPECT_EQ(folder.ToUtf8(), onDisk.string() + "/");
  }
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
  EXPECT_EQ(QeProjectDb_Jobrun_UpdateFinish(h_, row.iKey, 0x200, 2460100.25, L"Stopped"), 0);
  const auto after = Get<SQeProjectDbRow_jobrun>(row.iKey);
  EXPECT_EQ(after.wszName + L"|" + after.wszDesc + L"|" + after.wszFinishMessage,
            kQuoteName + L"|it's noted|Stopped");
  EXPECT_EQ(std::make_tuple(after.iJobprogramKeyRef, after.iJobdefKeyRef, after.iFinishFlags,
                            after.dFTime, after.dMTime),
            std::make_tuple(program2, jobdef2, int64_t{0x200}, 2460100.25, row.dMTime));
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
  EXPECT_EQ(QeProjectDb_Jobrun_Delete(h_, keep.iKey), 0);
  EXPECT_EQ(Count("jobrun"), 1);
  EXPECT_TRUE(fs::is_directory(qe::ToFsPath(keepFolder)));
  // A run whose folder name is empty (which would name the whole project
  // folder) deletes nothing.
  ASSERT_EQ(Exec("UPDATE jobrun SET wszFolderName=''"), SQLITE_OK);
  EXPECT_EQ(QeProjectDb_Jobrun_DeleteFolder(h_, drop.iKey), -13);
  EXPECT_TRUE(fs::is_directory(Root() / "Project"));
}

}  // namespace
}  // namespace qe::test
