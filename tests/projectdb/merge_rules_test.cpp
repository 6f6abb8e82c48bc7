// The rules of the merge row by row: references to rows that were never
// there, rows that are the file's own, rows that match by a unique index,
// the built-in labware catalogue, and the source's project root folder.
#include "projectdb/merge_support.h"
#include "qe/labware/insert_object_database.h"
#include "qe/projectdb/connection.h"
#include "qe/projectdb/db.h"
#include "qe/projectdb/records/jobuser.h"
#include "qe/projectdb/records/labware_catalogue.h"

namespace qe::test {
namespace {

class MergeRulesTest : public MergeTest {
 protected:
  void SetUp() override {
    MergeTest::SetUp();
    CreateDb(SourceFile());
    CreateDb(TargetFile());
  }
};

TEST_F(MergeRulesTest, AReferenceToARowThatIsNotThereBecomesNull) {
  {
    CRawDb source(SourceFile().string());
    ASSERT_EQ(source.Exec("INSERT INTO project (wszUuid, wszFolderName) VALUES ('p', 'P');"
                          "INSERT INTO jobdef (iProjKeyRef, wszUuid) VALUES (1, 'd');"
                          "INSERT INTO jobrun (iProjKeyRef, iJobdefKeyRef, iJobprogramKeyRef, "
                          "wszUuid, wszFolderName) VALUES (1, 1, 4242, 'r', 'R');"
                          "INSERT INTO plateinfo (iJobrunKeyRef, iWellplatenameKeyRef, wszName) "
                          "VALUES (1, 9999, 'lost plate');"),
              SQLITE_OK);
  }
  ASSERT_EQ(Merge(), 0);
  CRawDb target(TargetFile().string(), SQLITE_OPEN_READONLY);
  EXPECT_EQ(target.Text("SELECT quote(iWellplatenameKeyRef) FROM plateinfo"), "NULL");
  EXPECT_EQ(target.Text("SELECT quote(iJobprogramKeyRef) FROM jobrun"), "NULL");
  EXPECT_EQ(target.Int("SELECT count(*) FROM plateinfo, jobrun WHERE "
                       "plateinfo.iJobrunKeyRef=jobrun.iKey AND jobrun.wszUuid='r'"),
            1);
  EXPECT_TRUE(std::filesystem::is_directory(TargetProjects() / "P" / "R"));
  EXPECT_EQ(ConsistencyProblems(TargetFile()), kNone);
}

TEST_F(MergeRulesTest, TwoNewFilesLeaveTheTargetAsItWas) {
  const std::string before = Dump(TargetFile());
  SQeProjectDbMergeReport report;
  ASSERT_EQ(Merge(&report), 0) << report.wszMessage.ToUtf8();
  // Settings and system tags were reused; version and identity not copied.
  EXPECT_EQ(Dump(TargetFile()), before);
  int64_t copied = 0;
  for (const auto& table : report.tables) copied += table.iCopiedRows;
  EXPECT_EQ(copied, 0);
}

TEST_F(MergeRulesTest, AUserNameTakenInTheTargetStandsForTheSourceUser) {
  // The same user name was created in two installations, so its uuid differs.
  for (const auto& [path, uuid] :
       {std::pair{TargetFile(), L"target-uuid"}, std::pair{SourceFile(), L"source-uuid"}}) {
    const uint32_t h = QeProjectDb_Db_Connect(PathW(path));
    ASSERT_EQ(QeProjectDb_Jobuser_Insert(h, uuid, L"Zoë O'Hara", L"pw"), 0);
    SQeProjectDbRow_jobuser user;
    ASSERT_EQ(QeProjectDb_Jobuser_GetOne(h, L"Zoë O'Hara", L"pw", user), 0);
    ASSERT_EQ(QeProjectDb_toupload_SaveRequest(h, L"project", CQeStringW(uuid) + L"-row",
                                               L"https://cloud", user),
              0);
    QeProjectDb_Db_Disconnect(h);
  }
  ASSERT_EQ(Merge(), 0);
  CRawDb target(TargetFile().string(), SQLITE_OPEN_READONLY);
  EXPECT_EQ(target.Int("SELECT count(*) FROM jobuser"), 1);
  EXPECT_EQ(target.Int("SELECT count(*) FROM toupload, jobuser WHERE "
                       "toupload.iUserKeyRef=jobuser.iKey AND jobuser.wszUuid='target-uuid'"),
            2);
}

TEST_F(MergeRulesTest, OverlappingBuiltInLabwareIsKeptOnce) {
  ASSERT_EQ(CQeInsertObjectDatabase::Init(), 0);
  for (const auto& path : {TargetFile(), SourceFile()}) {
    const uint32_t h = QeProjectDb_Db_Connect(PathW(path));
    ASSERT_EQ(QeProjectDb_Wellplatedef_JobsUpgradeSystemPlateDefs(h, 6), 0);
    ASSERT_EQ(QeProjectDb_Wellplatedef_JobsUpgradeSystemDishDefs(h, 2), 0);
    ASSERT_EQ(QeProjectDb_Wellplatedef_JobsUpgradeSystemSlideDefs(h, 2), 0);
    QeProjectDb_Db_Disconnect(h);
  }
  // The source also has a plate of its own that a run used.
  {
    CRawDb source(SourceFile().string());
    ASSERT_EQ(source.Exec("INSERT INTO wellplateconfiguration (wszUuid, iRowCount, iColCount) "
                          "VALUES ('mine', 2, 3);"
                          "INSERT INTO wellplatename (wszUuid, iWellplateconfigKeyRef, wszModel) "
                          "VALUES ('mine-name', last_insert_rowid(), 'Mine');"),
              SQLITE_OK);
  }
  const std::vector<std::string> tables = {"wellplateconfiguration", "wellplatename",
                                           "dishconfiguration", "dishname", "slidedef"};
  std::vector<long long> before;
  for (const std::string& table : tables) before.push_back(Count(TargetFile(), table));
  ASSERT_GT(before[1], 400);

  ASSERT_EQ(Merge(), 0);
  for (size_t i = 0; i < tables.size(); ++i) {
    const long long own = tables[i].rfind("wellplate", 0) == 0 ? 1 : 0;
    EXPECT_EQ(Count(TargetFile(), tables[i]), before[i] + own) << tables[i];
  }
  CRawDb target(TargetFile().string(), SQLITE_OPEN_READONLY);
  EXPECT_EQ(target.Int("SELECT count(*) FROM wellplatename n, wellplateconfiguration c WHERE "
                       "n.iWellplateconfigKeyRef=c.iKey AND n.wszUuid='mine-name' AND "
                       "c.wszUuid='mine'"),
            1);
  EXPECT_EQ(ConsistencyProblems(TargetFile()), kNone);
}

TEST_F(MergeRulesTest, ARunFolderTakenInTheTargetGetsAFreeName) {
  // The target is a copy of the source without one run, and something else
  // already sits where that run's folder would go.
  const SMergeSource source = Populate(SourceFile());
  std::filesystem::copy_file(SourceFile(), TargetFile(),
                             std::filesystem::copy_options::overwrite_existing);
  std::string uuid;
  std::string project;
  std::string run;
  {
    CRawDb target(TargetFile().string());
    uuid =
        target.Text("SELECT wszUuid FROM jobrun WHERE iKey=" + std::to_string(source.runFormat0));
    run = target.Text("SELECT wszFolderName FROM jobrun WHERE iKey=" +
                      std::to_string(source.runFormat0));
    project = target.Text("SELECT wszFolderName FROM project WHERE iKey=" +
                          std::to_string(source.project));
    ASSERT_EQ(target.Exec("PRAGMA foreign_keys=1; DELETE FROM jobrun WHERE iKey=" +
                          std::to_string(source.runFormat0)),
              SQLITE_OK);
  }
  std::filesystem::create_directories(TargetProjects() / project / run);

  SQeProjectDbMergeReport report;
  ASSERT_EQ(Merge(&report), 0) << report.wszMessage.ToUtf8();
  ASSERT_EQ(report.renamedFolders.size(), 1u);
  EXPECT_EQ(report.renamedFolders[0].second.ToUtf8(), project + "\\" + run + " (2)");
  CRawDb target(TargetFile().string(), SQLITE_OPEN_READONLY);
  EXPECT_EQ(target.Text("SELECT wszFolderName FROM jobrun WHERE wszUuid='" + uuid + "'"),
            run + " (2)");
  EXPECT_EQ(report.iFilesCopied, 1);
  EXPECT_TRUE(std::filesystem::exists(TargetProjects() / project / (run + " (2)") / "other.tif"));
  EXPECT_TRUE(std::filesystem::is_empty(TargetProjects() / project / run));
  EXPECT_EQ(ConsistencyProblems(TargetFile()), kNone);
}

TEST_F(MergeRulesTest, FilesAreFoundUnderTheSourceFilesOwnProjectRoot) {
  // A file named hcs_projects... keeps its projects in "HCS Projects".
  const std::filesystem::path source = SourceDir() / "hcs_projects.db";
  CreateDb(source);
  const SMergeSource populated = Populate(source);
  ASSERT_TRUE(std::filesystem::is_directory(SourceDir() / "HCS Projects"));
  SQeProjectDbMergeReport report;
  ASSERT_EQ(QeProjectDb_Db_MergeDbEx(PathW(TargetFile()), PathW(source), nullptr, &report), 0);
  EXPECT_EQ(report.iFilesCopied, populated.files);
  EXPECT_EQ(FilesUnder(SourceDir() / "HCS Projects"), FilesUnder(TargetProjects()));
}

}  // namespace
}  // namespace qe::test
