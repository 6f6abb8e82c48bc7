// Files, frames, run loops, loop indices and frame links of one run: the
// null-key rules, frame index conflicts, loop order and tag removal.
#include "projectdb/records_support.h"

namespace qe::test {
namespace {

class RecordsFrameTest : public RecordRunTest {
 protected:
  int64_t AddFile() {
    int64_t key = 0;
    EXPECT_EQ(QeProjectDb_File_Insert(h_, run_, L"img.tif", 512, 256, 1, 1, 16, 0, &key), 0);
    return key;
  }
  int64_t AddTask() {
    int64_t key = 0;
    EXPECT_EQ(QeProjectDb_Jobtask_Insert(h_, program_, 0, 0, 0, L"Loop", {}, nullptr, &key), 0);
    return key;
  }
};

TEST_F(RecordsFrameTest, FilesRoundTripAndTheirFrameCountUpdates) {
  const CQeStringW name = L"sub\\O'Neil 50%_ü.tif";
  int64_t key = 0;
  ASSERT_EQ(QeProjectDb_File_Insert(h_, run_, name, 2048, 1536, 3, 1, 16, 0, &key), 0);
  EXPECT_EQ(QeProjectDb_File_Update(h_, key, 12), 0);
  const auto row = Get<SQeProjectDbRow_file>(key);
  EXPECT_EQ(row.wszFileName, name);
  EXPECT_EQ(std::make_tuple(row.iKey, row.iJobrunKeyRef, row.iWidth, row.iHeight, row.iPlanes,
                            row.iComponents, row.iBitsPerComponent, row.iFrameCount),
            std::make_tuple(key, run_, 2048, 1536, 3, 1, 16, 12));
  EXPECT_EQ(QeProjectDb_File_Insert(h_, run_ + 9, name, 1, 1, 1, 1, 8, 0, &key), SQLITE_CONSTRAINT);
  EXPECT_EQ(key, 0);
}

TEST_F(RecordsFrameTest, ZeroKeysAreNullForFramesAndLoopsButZeroForLoopIndices) {
  int64_t bare = 0, linked = 0, loop = 0;
  ASSERT_EQ(QeProjectDb_Frame_Insert(h_, run_, 0, 0, 2460000.5, 0, 0, &bare), 0);
  EXPECT_TRUE(IsNull("frame", "iJobtaskKeyRef", bare));
  EXPECT_TRUE(IsNull("frame", "iFileKeyRef", bare));
  const int64_t task = AddTask();
  const int64_t file = AddFile();
  ASSERT_EQ(QeProjectDb_Frame_Insert(h_, run_, task, 1, 2460000.6, file, 3, &linked), 0);
  EXPECT_EQ(Col("frame", "iJobtaskKeyRef", linked), task);
  EXPECT_EQ(Col("frame", "iFileKeyRef", linked), file);

  // Update follows the same rule, both ways.
  EXPECT_EQ(QeProjectDb_Frame_Update(h_, linked, run_, 0, 7, 2460001.0, 0, 4), 0);
  EXPECT_TRUE(IsNull("frame", "iJobtaskKeyRef", linked));
  EXPECT_TRUE(IsNull("frame", "iFileKeyRef", linked));
  EXPECT_EQ(Col("frame", "iFrameIndex", linked), 7);
  EXPECT_EQ(Col("frame", "iFileFrameIndex", linked), 4);
  EXPECT_EQ(QeProjectDb_Frame_Update(h_, bare, run_, task, 0, 2460001.0, file, 0), 0);
  EXPECT_EQ(Col("frame", "iFileKeyRef", bare), file);

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
  EXPECT_EQ(Col("loopindex", "iRunloopKeyRef IS NULL", key), 0);
  EXPECT_EQ(Col("loopindex", "iRunloopKeyRef", key), 0);
}

TEST_F(RecordsFrameTest, AFrameIndexConflictFailsIsIgnoredOrReplaced) {
  int64_t first = 0, key = 9;
  ASSERT_EQ(QeProjectDb_Frame_Insert(h_, run_, 0, 5, 2460000.5, AddFile(), 0, &first), 0);
  EXPECT_EQ(QeProjectDb_Frame_Insert(h_, run_, 0, 5, 2460009.5, 0, 1, &key), SQLITE_CONSTRAINT);
  EXPECT_EQ(key, 0);
  key = 9;
  EXPECT_EQ(QeProjectDb_Frame_InsertOrIgnore(h_, run_, 0, 5, 2460009.5, 0, 1, &key), 0);
  EXPECT_EQ(key, 0);
  EXPECT_EQ(Count("frame"), 1);
  EXPECT_EQ(Col("frame", "dCTime=2460000.5", first), 1);

  EXPECT_EQ(QeProjectDb_Frame_InsertOrReplace(h_, run_, 0, 5, 2460009.5, 0, 1, &key), 0);
  EXPECT_GT(key, first);
  EXPECT_EQ(Count("frame"), 1);
  EXPECT_EQ(Col("frame", "dCTime=2460009.5", key), 1);
  EXPECT_TRUE(IsNull("frame", "iFileKeyRef", key));
  // Another index is no conflict.
  EXPECT_EQ(QeProjectDb_Frame_InsertOrIgnore(h_, run_, 0, 6, 2460010.5, 0, 0, &key), 0);
  EXPECT_GT(key, 0);
}

TEST_F(RecordsFrameTest, RunLoopsComeBackInLoopOrder) {
  int64_t keys[3] = {}, duplicate = 0;
  ASSERT_EQ(QeProjectDb_Runloop_Insert(h_, run_, 0, 2, 2, 30, &keys[0]), 0);
  ASSERT_EQ(QeProjectDb_Runloop_Insert(h_, run_, 0, 0, 0, 10, &keys[1]), 0);
  ASSERT_EQ(QeProjectDb_Runloop_Insert(h_, run_, 0, 1, 1, 20, &keys[2]), 0);
  EXPECT_EQ(QeProjectDb_Runloop_Insert(h_, run_, 0, 1, 1, 20, &duplicate), SQLITE_CONSTRAINT);

  std::vector<SQeProjectDbRow_runloop> loops{SQeProjectDbRow_runloop(-1, 0, 0, 0, 0, 0)};
  EXPECT_EQ(QeProjectDb_Runloop_GetMany(h_, run_, loops), 0);
  ASSERT_EQ(loops.size(), 4u);
  EXPECT_EQ(std::make_tuple(loops[0].iKey, loops[1].iKey, loops[2].iKey, loops[3].iKey),
            std::make_tuple(int64_t{-1}, keys[1], keys[2], keys[0]));
  EXPECT_EQ(std::make_tuple(loops[3].iLoopType, loops[3].iNestLevel), std::make_tuple(30, 2));
  const auto one = Get<SQeProjectDbRow_runloop>(keys[2]);
  EXPECT_EQ(std::make_tuple(one.iOrder, one.iJobrunKeyRef), std::make_tuple(1, run_));
}

TEST_F(RecordsFrameTest, FrameTagsAddIgnoreDuplicatesAndRemove) {
  const int64_t red = AddTagdef("red"), blue = AddTagdef("blue");
  int64_t single = 0;
  ASSERT_EQ(QeProjectDb_Frametag_Insert(h_, run_, red, 0, &single), 0);
  std::vector<SQeProjectDbRow_frametag> tags{{0, run_, red, 1}, {0, run_, blue, 1}};
  ASSERT_EQ(QeProjectDb_Frametag_InsertMany(h_, tags), 0);
  EXPECT_GT(tags[0].iKey, single);

  std::vector<SQeProjectDbRow_frametag> again{{7, run_, red, 1}, {7, run_, red, 2}};
  EXPECT_EQ(QeProjectDb_Frametag_InsertOrIgnoreMany(h_, again), 0);
  EXPECT_EQ(again[0].iKey, 0);
  EXPECT_GT(again[1].iKey, 0);
  EXPECT_EQ(Count("frametag", "iFrameIndex=1 AND " + Eq("iTagdefKeyRef", red)), 1);
  EXPECT_EQ(Count("frametag"), 4);

  const std::vector<SQeProjectDbRow_frametag> nothing{{0, run_, blue, 99}, {0, run_ + 5, red, 1}};
  EXPECT_EQ(QeProjectDb_Frametag_RemoveMany(h_, nothing), 0);
  EXPECT_EQ(QeProjectDb_Frametag_RemoveMany(h_, {}), 0);
  EXPECT_EQ(Count("frametag"), 4);
  const std::vector<SQeProjectDbRow_frametag> some{{0, run_, red, 1}, {0, run_, red, 0}};
  EXPECT_EQ(QeProjectDb_Frametag_RemoveMany(h_, some), 0);
  EXPECT_EQ(Count("frametag"), 2);
  EXPECT_EQ(Count("frametag", Eq("iTagdefKeyRef", blue)), 1);
}

TEST_F(RecordsFrameTest, PlateWellAndSlideLinks) {
  const int64_t plate = AddInfo("plateinfo", run_), well = AddInfo("wellinfo", run_);
  const int64_t slide = AddInfo("slideinfo", run_);
  int64_t key = 0;
  EXPECT_EQ(QeProjectDb_Frameplateinfo_Insert(h_, run_, plate, 0, &key), 0);
  EXPECT_GT(key, 0);
  EXPECT_EQ(QeProjectDb_Framewellinfo_Insert(h_, run_, well, 0, &key), 0);
  EXPECT_EQ(QeProjectDb_Frameslideinfo_Insert(h_, run_, slide, 0, &key), 0);
  EXPECT_EQ(QeProjectDb_Frameslideinfo_Insert(h_, run_, slide, 0, &key), SQLITE_CONSTRAINT);
  EXPECT_EQ(QeProjectDb_Framewellinfo_Insert(h_, run_, well + 10, 1, &key), SQLITE_CONSTRAINT);
  std::vector<SQeProjectDbRow_frameslideinfo> slides{{0, run_, slide, 1}, {0, run_, slide, 2}};
  EXPECT_EQ(QeProjectDb_Frameslideinfo_InsertMany(h_, slides), 0);
  EXPECT_EQ(Col("frameslideinfo", "iFrameIndex", slides[1].iKey), 2);
  EXPECT_EQ(Count("frameslideinfo"), 3);
}

}  // namespace
}  // namespace qe::test
