// Merges that must not happen or that fail part way: the target keeps every
// row, and the caller learns why. Also a missing image file, which is only
// reported.
#include <fstream>

#include "projectdb/merge_support.h"

namespace qe::test {
namespace {

class MergeFailureTest : public MergeTest {
 protected:
  void SetUp() override {
    MergeTest::SetUp();
    CreateDb(SourceFile());
    source_ = Populate(SourceFile());
    CreateDb(TargetFile());
  }
  int MergeFiles(const std::filesystem::path& target, const std::filesystem::path& source) {
    return QeProjectDb_Db_MergeDbEx(PathW(target), PathW(source), nullptr, nullptr);
  }
  SMergeSource source_;
};

TEST_F(MergeFailureTest, AFailureInALateTableLeavesTheTargetRowsAsTheyWere) {
  Populate(TargetFile());
  ASSERT_EQ(CRawDb(TargetFile().string())
                .Exec("CREATE TRIGGER refuse BEFORE INSERT ON jobpropenumvalue "
                      "BEGIN SELECT RAISE(ABORT, 'refused'); END;"),
            SQLITE_OK);
  const std::string before = Dump(TargetFile());
  SQeProjectDbMergeReport report;
  EXPECT_EQ(Merge(&report), 19);  // the constraint status of the abort
  EXPECT_EQ(report.wszFailedTable.ToUtf8(), "jobpropenumvalue");
  EXPECT_NE(report.wszMessage.ToUtf8().find("refused"), std::string::npos);
  EXPECT_EQ(Dump(TargetFile()), before);
  // Once the cause is gone the same merge goes through.
  ASSERT_EQ(CRawDb(TargetFile().string()).Exec("DROP TRIGGER refuse;"), SQLITE_OK);
  EXPECT_EQ(Merge(), 0);
  EXPECT_EQ(ConsistencyProblems(TargetFile()), kNone);
}

// Refused before anything is written: a file into itself (any spelling of
// its path), a missing source, and
// files not both at the current version (an older one with a hint to
// upgrade). Neither file changes.
TEST_F(MergeFailureTest, RefusedMergesChangeNothing) {
  const std::string target = Dump(TargetFile());
  const std::string source = Dump(SourceFile());
  EXPECT_EQ(MergeFiles(SourceFile(), SourceDir() / "." / "source.db"), -9);
  EXPECT_EQ(MergeFiles(TargetFile(), SourceDir() / "missing.db"), 14);
  EXPECT_FALSE(std::filesystem::exists(SourceDir() / "missing.db"));
  EXPECT_EQ(Dump(SourceFile()), source);
  ASSERT_EQ(
      CRawDb(SourceFile().string()).Exec("UPDATE vesion SET iVersion=76 WHERE wszName='main'"),
      SQLITE_OK);
  SQeProjectDbMergeReport report;
  EXPECT_EQ(Merge(&report), -9);
  EXPECT_EQ(report.iSourceVersion, 76);
  EXPECT_NE(report.wszMessage.ToUtf8().find("upgrade"), std::string::npos);
  EXPECT_EQ(Dump(TargetFile()), target);
}

TEST_F(MergeFailureTest, AMissingImageFileIsReportedAndTheMergeGoesOn) {
  std::filesystem::path removed;
  for (const auto& entry :
       std::filesystem::recursive_directory_iterator(SourceDir() / "Projects")) {
    if (entry.path().filename() == "img2.tif") removed = entry.path();
  }
  ASSERT_TRUE(std::filesystem::remove(removed));
  SQeProjectDbMergeReport report;
  ASSERT_EQ(Merge(&report), 0);
  EXPECT_EQ(report.iFilesCopied, source_.files - 1);
  ASSERT_EQ(report.missingFiles.size(), 1u);
  EXPECT_EQ(std::filesystem::path(report.missingFiles[0].ToUtf8()), removed);
  // The row is merged all the same.
  EXPECT_EQ(Count(TargetFile(), "file"), source_.files);
}

}  // namespace
}  // namespace qe::test
