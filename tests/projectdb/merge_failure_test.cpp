// Merges that must not happen or that fail part way: the target keeps every
// row, and the caller learns why. Also a missing image file, which is only
// reported.
#include <fstream>

#include "projectdb/merge_support.h"
#include "qe/core/diag.h"

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
  int MergeFiles(const std::filesystem::path& target, const std::filesystem::path& source,
                 SQeProjectDbMergeReport* report = nullptr) {
    return QeProjectDb_Db_MergeDbEx(PathW(target), PathW(source), nullptr, report);
  }
  SMergeSource source_;
};

TEST_F(MergeFailureTest, AFailureInALateTableLeavesTheTargetRowsAsTheyWere) {
  Populate(TargetFile());
  {
    CRawDb target(TargetFile().string());
    ASSERT_EQ(target.Exec("CREATE TRIGGER refuse BEFORE INSERT ON jobpropenumvalue "
                          "BEGIN SELECT RAISE(ABORT, 'refused'); END;"),
              SQLITE_OK);
  }
  const std::string before = Dump(TargetFile());
  SQeProjectDbMergeReport report;
  EXPECT_EQ(Merge(&report), 19);  // the constraint status of the abort
  EXPECT_EQ(report.wszFailedTable.ToUtf8(), "jobpropenumvalue");
  EXPECT_NE(report.wszMessage.ToUtf8().find("refused"), std::string::npos);
  EXPECT_GT(report.tables.size(), 40u);
  EXPECT_EQ(Dump(TargetFile()), before);

  // Once the cause is gone the same merge goes through.
  {
    CRawDb target(TargetFile().string());
    ASSERT_EQ(target.Exec("DROP TRIGGER refuse;"), SQLITE_OK);
  }
  EXPECT_EQ(Merge(), 0);
  EXPECT_EQ(ConsistencyProblems(TargetFile()), kNone);
}

// Refused before anything is written: a file into itself (any spelling of
// its path), missing or empty paths, a file that is not a (project)
// database, and files not both at version 77 (a newer one with -1, an
// older one with a hint to upgrade). Neither file changes.
TEST_F(MergeFailureTest, RefusedMergesChangeNothing) {
  const std::string target = Dump(TargetFile());
  const std::string source = Dump(SourceFile());
  SQeProjectDbMergeReport report;
  EXPECT_EQ(MergeFiles(SourceFile(), SourceFile(), &report), -9);
  EXPECT_FALSE(report.wszMessage.IsEmpty());
  EXPECT_EQ(MergeFiles(SourceFile(), SourceDir() / "." / "source.db"), -9);
  EXPECT_EQ(MergeFiles(TargetFile(), SourceDir() / "missing.db"), 14);
  EXPECT_FALSE(std::filesystem::exists(SourceDir() / "missing.db"));
  EXPECT_EQ(MergeFiles(TargetDir() / "missing.db", SourceFile()), -9);
  EXPECT_EQ(QeProjectDb_Db_MergeDb(L"", PathW(SourceFile())), -1);
  EXPECT_EQ(QeProjectDb_Db_MergeDb(PathW(TargetFile()), L""), -1);
  std::ofstream(SourceDir() / "notes.db") << "not a database";
  EXPECT_EQ(MergeFiles(TargetFile(), SourceDir() / "notes.db"), -9);
  const std::filesystem::path other = SourceDir() / "other.db";
  ASSERT_EQ(CRawDb(other.string(), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE)
                .Exec("CREATE TABLE t (x);"),
            SQLITE_OK);
  EXPECT_EQ(MergeFiles(TargetFile(), other), -9);
  EXPECT_EQ(MergeFiles(other, SourceFile()), -9);
  EXPECT_EQ(Dump(SourceFile()), source);
  for (const auto& [version, status] : {std::pair{78, -1}, {76, -9}}) {
    ASSERT_EQ(CRawDb(SourceFile().string())
                  .Exec("UPDATE vesion SET iVersion=" + std::to_string(version) +
                        " WHERE wszName='main'"),
              SQLITE_OK);
    EXPECT_EQ(Merge(&report), status);
    EXPECT_EQ(report.iSourceVersion, version);
  }
  EXPECT_NE(report.wszMessage.ToUtf8().find("upgrade"), std::string::npos);
  EXPECT_EQ(Dump(TargetFile()), target);
}

TEST_F(MergeFailureTest, AMissingImageFileIsReportedAndTheMergeGoesOn) {
  // Remove one image file of the source.
  std::filesystem::path removed;
  for (const auto& entry :
       std::filesystem::recursive_directory_iterator(SourceDir() / "Projects")) {
    if (entry.path().filename() == "img2.tif") removed = entry.path();
  }
  ASSERT_FALSE(removed.empty());
  std::filesystem::remove(removed);

  std::vector<std::string> lines;
  SQeProjectDbMergeReport report;
  {
    CQeDiagSinkScope sink([&](const CQeStringW& line) { lines.push_back(line.ToUtf8()); });
    ASSERT_EQ(Merge(&report), 0);
  }
  EXPECT_EQ(report.iFilesMissing, 1);
  EXPECT_EQ(report.iFilesCopied, source_.files - 1);
  ASSERT_EQ(report.missingFiles.size(), 1u);
  EXPECT_EQ(std::filesystem::path(report.missingFiles[0].ToUtf8()), removed);
  bool reported = false;
  for (const std::string& line : lines) {
    reported = reported || (line.find("missing") != std::string::npos &&
                            line.find("img2.tif") != std::string::npos);
  }
  EXPECT_TRUE(reported);
  // The row is merged all the same.
  EXPECT_EQ(Count(TargetFile(), "file", "wszFileName='img2.tif'"), 1);
  EXPECT_EQ(Count(TargetFile(), "file"), source_.files);
}

}  // namespace
}  // namespace qe::test
