// Files, frames, run loops, loop indices and frame links of one run: the
// null-key rules, frame index conflicts, loop order and tag removal.
#include "projectdb/records_support.h"

namespace qe::test {
namespace {

class RecordsFrameTest : public RecordApiTest {
 protected:
  void SetUp() override {
    RecordApiTest::SetUp();
    const int64_t project = AddProject();
    run_ = AddRun(project, AddJobdef(project));
    ASSERT_GT(run_, 0);
  }
  int64_t AddFile(const CQeStringW& name = L"img.tif") {
    int64_t key = 0;
    EXPECT_EQ(QeProjectDb_File_Insert(h_, run_, name, 512, 256, 1, 1, 16, 0, &key), 0);
    return key;
  }
  int64_t AddTask() {
    const int64_t program =
        Int("SELECT iJobprogramKeyRef FROM jobrun WHERE iKey=" + std::to_string(run_));
    return InsertSql("INSERT INTO jobtask (iJobprogramKeyRef, wszClassName) VALUES (" +
                     std::to_string(program) + ", 'Loop')");
  }
  int64_t run_ = 0;
};

TEST_F(RecordsFrameTest, FilesRoundTripAndTheirFrameCountUpdates) {
  const CQeStringW name = L"sub\\O'Neil 50%_ü.tif";
  int64_t key = 0;
  ASSERT_EQ(QeProjectDb_File_Insert(h_, run_, name, 2048, 1536, 3, 1, 16, 0, &key), 0);
  EXPECT_EQ(QeProjectDb_File_Update(h_, key, 12), 0);
  SQeProjectDbRow_file row;
  ASSERT_EQ(QeProjectDb_File_GetOne(h_, key, row), 0);
  EXPECT_EQ(row.iKey, key);
  EXPECT_EQ(row.iJobrunKeyRef, run_);
  EXPECT_EQ(row.wszFileName, name);
  EXPECT_EQ(row.iWidth, 2048);
  EXPECT_EQ(row.iHeight, 1536);
  EXPECT_EQ(row.iPlanes, 3);
  EXPECT_EQ(row.iComponents, 1);
  EXPECT_EQ(row.iBitsPerComponent, 16);
  EXPECT_EQ(row.iFrameCount, 12);

  int64_t missing = 5;
  EXPECT_EQ(QeProjectDb_File_Insert(h_, run_ + 9, name, 1, 1, 1, 1, 8, 0, &missing),
            SQLITE_CONSTRAINT);
  EXPECT_EQ(missing, 0);
}

TEST_F(RecordsFrameTest, ZeroTaskAndFileKeysAreStoredAsNull) {
  int64_t bare = 0;
  ASSERT_EQ(QeProjectDb_Frame_Insert(h_, run_, 0, 0, 2460000.5, 0, 0, &bare), 0);
  EXPECT_TRUE(IsNull("frame", "iJobtaskKeyRef", bare));
  EXPECT_TRUE(IsNull("frame", "iFileKeyRef", bare));

  const int64_t task = AddTask();
  const int64_t file = AddFile();
  int64_t linked = 0;
  ASSERT_EQ(QeProjectDb_Frame_Insert(h_, run_, task, 1, 2460000.6, file, 3, &linked), 0);
  EXPECT_EQ(Int("SELECT iJobtaskKeyRef FROM frame WHERE iKey=" + std::to_string(linked)), task);
  EXPECT_EQ(Int("SELECT iFileKeyRef FROM frame WHERE iKey=" + std::to_string(linked)), file);

  // Update follows the same rule, both ways.
  EXPECT_EQ(QeProjectDb_Frame_Update(h_, linked, run_, 0, 7, 2460001.0, 0, 4), 0);
  EXPECT_TRUE(IsNull("frame", "iJobtaskKeyRef", linked));
  EXPECT_TRUE(IsNull("frame", "iFileKeyRef", linked));
  EXPECT_EQ(Int("SELECT iFrameIndex FROM frame WHERE iKey=" + std::to_string(linked)), 7);
  EXPECT_EQ(Int("SELECT iFileFrameIndex FROM frame WHERE iKey=" + std::to_string(linked)), 4);
  EXPECT_EQ(QeProjectDb_Frame_Update(h_, bare, run_, task, 0, 2460001.0, file, 0), 0);
  EXPECT_EQ(Int("SELECT iFileKeyRef FROM frame WHERE iKey=" + std::to_string(bare)), file);

  int64_t loop = 0;
  ASSERT_EQ(QeProjectDb_Runloop_Insert(h_, run_, 0, 0, 0, 1, &loop), 0);
  EXPECT_TRUE(IsNull("runloop", "iJobtaskKeyRef", loop));
}

TEST_F(RecordsFrameTest, ALoopIndexKeepsARunLoopKeyOfZero) {
  int64_t key = 5;
  // Written as 0, not NULL, so the foreign key refuses it...
  EXPECT_EQ(QeProjectDb_Loopindex_Insert(h_, run_, 0, 0, 3, &key), SQLITE_CONSTRAINT);
  EXPECT_EQ(key, 0);
  // ...and without foreign keys the 0 is what lands in the row.
  ASSERT_EQ(Exec("PRAGMA foreign_keys=0"), SQLITE_OK);
  ASSERT_EQ(QeProjectDb_Loopindex_Insert(h_, run_, 0, 0, 3, &key), 0);
  ASSERT_EQ(Exec("PRAGMA foreign_keys=1"), SQLITE_OK);
  EXPECT_FALSE(IsNull("loopindex", "iRunloopKeyRef", key));
  EXPECT_EQ(Int("SELECT iRunloopKeyRef FROM loopindex WHERE iKey=" + std::to_string(key)), 0);
}

TEST_F(RecordsFrameTest, AFrameIndexConflictFailsIsIgnoredOrReplaced) {
  const int64_t file = AddFile();
  int64_t first = 0;
  ASSERT_EQ(QeProjectDb_Frame_Insert(h_, run_, 0, 5, 2460000.5, file, 0, &first), 0);

  int64_t key = 9;
  EXPECT_EQ(QeProjectDb_Frame_Insert(h_, run_, 0, 5, 2460009.5, 0, 1, &key), SQLITE_CONSTRAINT);
  EXPECT_EQ(key, 0);

  key = 9;
  EXPECT_EQ(QeProjectDb_Frame_InsertOrIgnore(h_, run_, 0, 5, 2460009.5, 0, 1, &key), 0);
  EXPECT_EQ(key, 0);
  EXPECT_EQ(Count("frame"), 1);
  EXPECT_EQ(Double("SELECT dCTime FROM frame WHERE iKey=" + std::to_string(first)), 2460000.5);

  EXPECT_EQ(QeProjectDb_Frame_InsertOrReplace(h_, run_, 0, 5, 2460009.5, 0, 1, &key), 0);
  EXPECT_GT(key, first);
  EXPECT_EQ(Count("frame"), 1);
  EXPECT_EQ(Count("frame", "iKey=" + std::to_string(first)), 0);
  EXPECT_EQ(Double("SELECT dCTime FROM frame WHERE iKey=" + std::to_string(key)), 2460009.5);
  EXPECT_TRUE(IsNull("frame", "iFileKeyRef", key));

  // Another index, or the same index in another run, is no conflict.
  EXPECT_EQ(QeProjectDb_Frame_InsertOrIgnore(h_, run_, 0, 6, 2460010.5, 0, 0, &key), 0);
  EXPECT_GT(key, 0);
}

TEST_F(RecordsFrameTest, RunLoopsComeBackInLoopOrder) {
  int64_t keys[3] = {};
  ASSERT_EQ(QeProjectDb_Runloop_Insert(h_, run_, 0, 2, 2, 30, &keys[0]), 0);
  ASSERT_EQ(QeProjectDb_Runloop_Insert(h_, run_, 0, 0, 0, 10, &keys[1]), 0);
  ASSERT_EQ(QeProjectDb_Runloop_Insert(h_, run_, 0, 1, 1, 20, &keys[2]), 0);
  int64_t duplicate = 0;
  EXPECT_EQ(QeProjectDb_Runloop_Insert(h_, run_, 0, 1, 1, 20, &duplicate), SQLITE_CONSTRAINT);

  std::vector<SQeProjectDbRow_runloop> loops{SQeProjectDbRow_runloop(-1, 0, 0, 0, 0, 0)};
  EXPECT_EQ(QeProjectDb_Runloop_GetMany(h_, run_, loops), 0);
  ASSERT_EQ(loops.size(), 4u);
  EXPECT_EQ(loops[0].iKey, -1);
  EXPECT_EQ(loops[1].iKey, keys[1]);
  EXPECT_EQ(loops[2].iKey, keys[2]);
  EXPECT_EQ(loops[3].iKey, keys[0]);
  EXPECT_EQ(loops[3].iLoopType, 30);
  EXPECT_EQ(loops[3].iNestLevel, 2);

  SQeProjectDbRow_runloop one;
  EXPECT_EQ(QeProjectDb_Runloop_GetOne(h_, keys[2], one), 0);
  EXPECT_EQ(one.iOrder, 1);
  EXPECT_EQ(one.iJobrunKeyRef, run_);
}

TEST_F(RecordsFrameTest, FrameTagsAddIgnoreDuplicatesAndRemove) {
  const int64_t red = AddTagdef("red");
  const int64_t blue = AddTagdef("blue");
  int64_t single = 0;
  ASSERT_EQ(QeProjectDb_Frametag_Insert(h_, run_, red, 0, &single), 0);

  std::vector<SQeProjectDbRow_frametag> tags{{0, run_, red, 1}, {0, run_, blue, 1}};
  ASSERT_EQ(QeProjectDb_Frametag_InsertMany(h_, tags), 0);
  EXPECT_GT(tags[0].iKey, single);

  std::vector<SQeProjectDbRow_frametag> again{{7, run_, red, 1}, {7, run_, red, 2}};
  EXPECT_EQ(QeProjectDb_Frametag_InsertOrIgnoreMany(h_, again), 0);
  EXPECT_EQ(again[0].iKey, 0);
  EXPECT_GT(again[1].iKey, 0);
  EXPECT_EQ(Count("frametag", "iFrameIndex=1 AND iTagdefKeyRef=" + std::to_string(red)), 1);
  EXPECT_EQ(Count("frametag"), 4);

  // The plain batch fails on the duplicate and keeps none of its rows.
  std::vector<SQeProjectDbRow_frametag> dup{{0, run_, blue, 3}, {0, run_, red, 1}};
  EXPECT_EQ(QeProjectDb_Frametag_InsertMany(h_, dup), SQLITE_CONSTRAINT);
  EXPECT_EQ(Count("frametag"), 4);

  const std::vector<SQeProjectDbRow_frametag> nothing{{0, run_, blue, 99}, {0, run_ + 5, red, 1}};
  EXPECT_EQ(QeProjectDb_Frametag_RemoveMany(h_, nothing), 0);
  EXPECT_EQ(Count("frametag"), 4);
  EXPECT_EQ(QeProjectDb_Frametag_RemoveMany(h_, {}), 0);

  const std::vector<SQeProjectDbRow_frametag> some{{0, run_, red, 1}, {0, run_, red, 0}};
  EXPECT_EQ(QeProjectDb_Frametag_RemoveMany(h_, some), 0);
  EXPECT_EQ(Count("frametag"), 2);
  EXPECT_EQ(Count("frametag", "iTagdefKeyRef=" + std::to_string(blue)), 1);
}

TEST_F(RecordsFrameTest, PlateWellAndSlideLinks) {
  const int64_t plate = AddPlateinfo(run_);
  const int64_t well = AddWellinfo(run_, 0);
  const int64_t slide = AddSlideinfo(run_);
  int64_t key = 0;
  EXPECT_EQ(QeProjectDb_Frameplateinfo_Insert(h_, run_, plate, 0, &key), 0);
  EXPECT_GT(key, 0);
  EXPECT_EQ(QeProjectDb_Framewellinfo_Insert(h_, run_, well, 0, &key), 0);
  EXPECT_EQ(QeProjectDb_Frameslideinfo_Insert(h_, run_, slide, 0, &key), 0);
  EXPECT_EQ(QeProjectDb_Frameslideinfo_Insert(h_, run_, slide, 0, &key), SQLITE_CONSTRAINT);
  EXPECT_EQ(QeProjectDb_Framewellinfo_Insert(h_, run_, well + 10, 1, &key), SQLITE_CONSTRAINT);

  std::vector<SQeProjectDbRow_frameslideinfo> slides{{0, run_, slide, 1}, {0, run_, slide, 2}};
  EXPECT_EQ(QeProjectDb_Frameslideinfo_InsertMany(h_, slides), 0);
  EXPECT_EQ(
      Int("SELECT iFrameIndex FROM frameslideinfo WHERE iKey=" + std::to_string(slides[1].iKey)),
      2);
  EXPECT_EQ(Count("frameslideinfo"), 3);
}

}  // namespace
}  // namespace qe::test
