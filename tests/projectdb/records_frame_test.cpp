// Frames, run loops, loop indices and frame tags of one run: the null-key
// rules, frame index conflicts and tag removal.
#include "projectdb/records_support.h"

namespace qe::test {
namespace {

using RecordsFrameTest = RecordRunTest;

TEST_F(RecordsFrameTest, ZeroKeysAreNullForFramesAndLoopsButZeroForLoopIndices) {
  int64_t frame = 0, loop = 0, task = 0, file = 0;
  ASSERT_EQ(QeProjectDb_Frame_Insert(h_, run_, 0, 0, 2460000.5, 0, 0, &frame), 0);
  EXPECT_TRUE(IsNull("frame", "iJobtaskKeyRef", frame));
  EXPECT_TRUE(IsNull("frame", "iFileKeyRef", frame));
  ASSERT_EQ(QeProjectDb_Jobtask_Insert(h_, program_, 0, 0, 0, L"Loop", {}, nullptr, &task), 0);
  ASSERT_EQ(QeProjectDb_File_Insert(h_, run_, L"img.tif", 512, 256, 1, 1, 16, 0, &file), 0);
  // Update follows the same rule, both ways.
  EXPECT_EQ(QeProjectDb_Frame_Update(h_, frame, run_, task, 7, 2460001.0, file, 4), 0);
  EXPECT_EQ(Col("frame", "iFileKeyRef", frame), file);
  EXPECT_EQ(QeProjectDb_Frame_Update(h_, frame, run_, 0, 7, 2460001.0, 0, 4), 0);
  EXPECT_TRUE(IsNull("frame", "iJobtaskKeyRef", frame));
  ASSERT_EQ(QeProjectDb_Runloop_Insert(h_, run_, 0, 0, 0, 1, &loop), 0);
  EXPECT_TRUE(IsNull("runloop", "iJobtaskKeyRef", loop));
  // A run loop key of 0 is written as 0, not NULL, so the foreign key
  // refuses it; without foreign keys the 0 is what lands in the row.
  int64_t key = 5;
  EXPECT_EQ(QeProjectDb_Loopindex_Insert(h_, run_, 0, 0, 3, &key), SQLITE_CONSTRAINT);
  EXPECT_EQ(key, 0);
  ASSERT_EQ(Exec("PRAGMA foreign_keys=0"), SQLITE_OK);
  ASSERT_EQ(QeProjectDb_Loopindex_Insert(h_, run_, 0, 0, 3, &key), 0);
  ASSERT_EQ(Exec("PRAGMA foreign_keys=1"), SQLITE_OK);
  EXPECT_EQ(Col("loopindex", "iRunloopKeyRef IS 0", key), 1);
}

TEST_F(RecordsFrameTest, AFrameIndexConflictFailsIsIgnoredOrReplaced) {
  int64_t first = 0, key = 9;
  ASSERT_EQ(QeProjectDb_Frame_Insert(h_, run_, 0, 5, 2460000.5, 0, 0, &first), 0);
  EXPECT_EQ(QeProjectDb_Frame_Insert(h_, run_, 0, 5, 2460009.5, 0, 1, &key), SQLITE_CONSTRAINT);
  EXPECT_EQ(key, 0);
  key = 9;
  EXPECT_EQ(QeProjectDb_Frame_InsertOrIgnore(h_, run_, 0, 5, 2460009.5, 0, 1, &key), 0);
  EXPECT_EQ(key, 0);
  EXPECT_EQ(Col("frame", "dCTime=2460000.5", first), 1);
  EXPECT_EQ(QeProjectDb_Frame_InsertOrReplace(h_, run_, 0, 5, 2460009.5, 0, 1, &key), 0);
  EXPECT_GT(key, first);
  EXPECT_EQ(Count("frame"), 1);
  EXPECT_EQ(Col("frame", "dCTime=2460009.5", key), 1);
}

TEST_F(RecordsFrameTest, FrameTagsIgnoreDuplicatesAndRemoveOnlyWhatMatches) {
  const int64_t red = AddTagdef("red"), blue = AddTagdef("blue");
  std::vector<SQeProjectDbRow_frametag> tags{{0, run_, red, 1}, {0, run_, blue, 1}};
  ASSERT_EQ(QeProjectDb_Frametag_InsertMany(h_, tags), 0);
  std::vector<SQeProjectDbRow_frametag> again{{7, run_, red, 1}, {7, run_, red, 2}};
  EXPECT_EQ(QeProjectDb_Frametag_InsertOrIgnoreMany(h_, again), 0);
  EXPECT_EQ(again[0].iKey, 0);
  EXPECT_GT(again[1].iKey, 0);
  EXPECT_EQ(Count("frametag"), 3);
  const std::vector<SQeProjectDbRow_frametag> nothing{{0, run_, blue, 99}, {0, run_ + 5, red, 1}};
  EXPECT_EQ(QeProjectDb_Frametag_RemoveMany(h_, nothing), 0);
  EXPECT_EQ(Count("frametag"), 3);
  const std::vector<SQeProjectDbRow_frametag> some{{0, run_, red, 1}, {0, run_, red, 0}};
  EXPECT_EQ(QeProjectDb_Frametag_RemoveMany(h_, some), 0);
  EXPECT_EQ(Count("frametag", Eq("iTagdefKeyRef", red)), 1);
  EXPECT_EQ(Count("frametag", Eq("iTagdefKeyRef", blue)), 1);
}

}  // namespace
}  // namespace qe::test
