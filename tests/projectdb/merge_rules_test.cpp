// The rules of the merge row by row: references to rows that were never
// there, rows that are the file's own, and the built-in labware catalogue.
#include "projectdb/merge_support.h"
#include "qe/labware/insert_object_database.h"
#include "qe/projectdb/connection.h"
#include "qe/projectdb/db.h"
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
  ASSERT_EQ(CRawDb(SourceFile().string())
                .Exec("INSERT INTO project (wszUuid, wszFolderName) VALUES ('p', 'P');"
                      "INSERT INTO jobdef (iProjKeyRef, wszUuid) VALUES (1, 'd');"
                      "INSERT INTO jobrun (iProjKeyRef, iJobdefKeyRef, iJobprogramKeyRef, "
                      "wszUuid, wszFolderName) VALUES (1, 1, 4242, 'r', 'R');"
                      "INSERT INTO plateinfo (iJobrunKeyRef, iWellplatenameKeyRef, wszName) "
                      "VALUES (1, 9999, 'lost plate');"),
            SQLITE_OK);
  ASSERT_EQ(Merge(), 0);
  CRawDb target(TargetFile().string(), SQLITE_OPEN_READONLY);
  EXPECT_EQ(target.Rows("SELECT quote(p.iWellplatenameKeyRef), quote(r.iJobprogramKeyRef), "
                        "r.wszUuid FROM plateinfo p JOIN jobrun r ON p.iJobrunKeyRef=r.iKey"),
            (std::vector<std::vector<std::string>>{{"NULL", "NULL", "r"}}));
  EXPECT_TRUE(std::filesystem::is_directory(TargetProjects() / "P" / "R"));
  EXPECT_EQ(ConsistencyProblems(TargetFile()), kNone);
}

// Settings and system tags are reused; version and identity not copied.
TEST_F(MergeRulesTest, TwoNewFilesLeaveTheTargetAsItWas) {
  const std::string before = Dump(TargetFile());
  ASSERT_EQ(Merge(), 0);
  EXPECT_EQ(Dump(TargetFile()), before);
}

// Both files hold the built-in catalogue; the source also has a plate of
// its own.
TEST_F(MergeRulesTest, OverlappingBuiltInLabwareIsKeptOnce) {
  ASSERT_EQ(CQeInsertObjectDatabase::Init(), 0);
  for (const auto& path : {TargetFile(), SourceFile()}) {
    const uint32_t h = QeProjectDb_Db_Connect(PathW(path));
    ASSERT_EQ(QeProjectDb_Wellplatedef_JobsUpgradeSystemPlateDefs(h, 6), 0);
    QeProjectDb_Db_Disconnect(h);
  }
  ASSERT_EQ(CRawDb(SourceFile().string())
                .Exec("INSERT INTO wellplateconfiguration (wszUuid, iRowCount, iColCount) "
                      "VALUES ('mine', 2, 3); INSERT INTO wellplatename (wszUuid, "
                      "iWellplateconfigKeyRef, wszModel) VALUES ('mine-name', "
                      "last_insert_rowid(), 'Mine');"),
            SQLITE_OK);
  const std::vector<std::string> tables = {"wellplateconfiguration", "wellplatename"};
  std::vector<long long> before;
  for (const std::string& table : tables) before.push_back(Count(TargetFile(), table));
  ASSERT_GT(before[1], 400);
  ASSERT_EQ(Merge(), 0);
  for (size_t i = 0; i < tables.size(); ++i) {
    EXPECT_EQ(Count(TargetFile(), tables[i]), before[i] + 1) << tables[i];
  }
  EXPECT_EQ(ConsistencyProblems(TargetFile()), kNone);
}

}  // namespace
}  // namespace qe::test
