// A whole acquisition as the host records it, read back; runs left running
// and closed by QeProjectDb_Jobrun_RemoveRunningFlag.
#include "projectdb/records_support.h"

namespace qe::test {
namespace {

namespace fs = std::filesystem;

constexpr int kFrames = 500;
constexpr int kWells = 4;
constexpr int kTimePoints = 5;
constexpr int kFields = kFrames / (kWells * kTimePoints);  // 25 fields per well and time
constexpr double kStart = 2460400.25;
constexpr double kFrameSpacing = 1.0 / 86400.0;  // one second

class RecordsAcquisitionTest : public RecordApiTest {
 protected:
  void SetUp() override {
    RecordApiTest::SetUp();
    project_ = AddProject(L"Screening 2024", L"Screening 2024");
    jobdef_ = AddJobdef(project_, L"Plate scan");
  }
  std::string RunWhere(int64_t run) { return "iJobrunKeyRef=" + std::to_string(run); }

  int64_t project_ = 0;
  int64_t jobdef_ = 0;
};

TEST_F(RecordsAcquisitionTest, ARealisticRunIsWrittenAndReadBack) {
  CQeStringW runFolder;
  const int64_t run = AddRun(project_, jobdef_, 1, L"Plate 'A' 50% confluent", &runFolder);
  ASSERT_GT(run, 0);
  ASSERT_TRUE(fs::is_directory(qe::ToFsPath(runFolder)));

  // Two image files of 250 frames each; their counts are filled at the end.
  int64_t files[2] = {};
  ASSERT_EQ(
      QeProjectDb_File_Insert(h_, run, L"Plate_A_part1.tif", 1024, 1024, 1, 1, 16, 0, &files[0]),
      0);
  ASSERT_EQ(
      QeProjectDb_File_Insert(h_, run, L"Plate_A_part2.tif", 1024, 1024, 1, 1, 16, 0, &files[1]),
      0);

  // Loops: time (outer), well, field (inner).
  int64_t loops[3] = {};
  for (int order = 0; order < 3; ++order) {
    ASSERT_EQ(QeProjectDb_Runloop_Insert(h_, run, 0, order, order, 100 + order, &loops[order]), 0);
  }
  const int64_t plate = AddPlateinfo(run);
  int64_t wells[kWells] = {};
  for (int w = 0; w < kWells; ++w) wells[w] = AddWellinfo(run, w);
  const int64_t focus = AddTagdef("in focus");
  const int64_t bubble = AddTagdef("air bubble");

  std::vector<SQeProjectDbRow_loopindex> indices;
  std::vector<SQeProjectDbRow_frameplateinfo> plateLinks;
  std::vector<SQeProjectDbRow_framewellinfo> wellLinks;
  std::vector<SQeProjectDbRow_frametag> tags;
  for (int i = 0; i < kFrames; ++i) {
    const int time = i / (kWells * kFields);
    const int well = (i / kFields) % kWells;
    const int field = i % kFields;
    const int64_t file = files[i < kFrames / 2 ? 0 : 1];
    int64_t frameKey = 0;
    ASSERT_EQ(QeProjectDb_Frame_Insert(h_, run, 0, i, kStart + i * kFrameSpacing, file,
                                       i % (kFrames / 2), &frameKey),
              0);
    indices.emplace_back(0, run, i, loops[0], time);
    indices.emplace_back(0, run, i, loops[1], well);
    indices.emplace_back(0, run, i, loops[2], field);
    plateLinks.emplace_back(0, run, plate, i);
    wellLinks.emplace_back(0, run, wells[well], i);
    tags.emplace_back(0, run, focus, i);
    if (i % 50 == 7) tags.emplace_back(0, run, bubble, i);
  }
  ASSERT_EQ(QeProjectDb_Loopindex_InsertMany(h_, indices), 0);
  ASSERT_EQ(QeProjectDb_Frameplateinfo_InsertMany(h_, plateLinks), 0);
  ASSERT_EQ(QeProjectDb_Framewellinfo_InsertMany(h_, wellLinks), 0);
  ASSERT_EQ(QeProjectDb_Frametag_InsertMany(h_, tags), 0);
  ASSERT_EQ(QeProjectDb_File_Update(h_, files[0], kFrames / 2), 0);
  ASSERT_EQ(QeProjectDb_File_Update(h_, files[1], kFrames / 2), 0);
  const double end = kStart + kFrames * kFrameSpacing;
  ASSERT_EQ(QeProjectDb_Jobrun_UpdateFinish(h_, run, 2, end, L"Finished"), 0);

  // Read back through the record functions...
  SQeProjectDbRow_jobrun runRow;
  ASSERT_EQ(QeProjectDb_Jobrun_GetOne(h_, run, runRow), 0);
  EXPECT_EQ(runRow.wszName, L"Plate 'A' 50% confluent");
  EXPECT_EQ(runRow.iFinishFlags, 2);
  EXPECT_EQ(runRow.dFTime, end);
  CQeStringW path;
  ASSERT_EQ(QeProjectDb_Jobrun_GetAbsPath(h_, run, path), 0);
  EXPECT_EQ(path, runFolder);
  SQeProjectDbRow_file fileRow;
  ASSERT_EQ(QeProjectDb_File_GetOne(h_, files[1], fileRow), 0);
  EXPECT_EQ(fileRow.wszFileName, L"Plate_A_part2.tif");
  EXPECT_EQ(fileRow.iFrameCount, kFrames / 2);
  std::vector<SQeProjectDbRow_runloop> loopRows;
  ASSERT_EQ(QeProjectDb_Runloop_GetMany(h_, run, loopRows), 0);
  ASSERT_EQ(loopRows.size(), 3u);
  EXPECT_EQ(loopRows[2].iLoopType, 102);

  // ...and by what the rows say together.
  EXPECT_EQ(Count("frame", RunWhere(run)), kFrames);
  EXPECT_EQ(Count("frame", "iFileKeyRef=" + std::to_string(files[0])), kFrames / 2);
  EXPECT_EQ(Count("loopindex", RunWhere(run)), 3 * kFrames);
  for (const auto& row : indices) ASSERT_GT(row.iKey, 0);
  // Frame 437: time 4, well 1, field 12, in the second file at 187.
  EXPECT_EQ(Text("SELECT group_concat(iLoopIndex, ',') FROM (SELECT l.iLoopIndex FROM loopindex l "
                 "JOIN runloop r ON r.iKey=l.iRunloopKeyRef WHERE l.iFrameIndex=437 ORDER BY "
                 "r.iOrder)"),
            L"4,1,12");
  EXPECT_EQ(Int("SELECT iFileFrameIndex FROM frame WHERE iFrameIndex=437"), 187);
  EXPECT_EQ(Text("SELECT w.wszName FROM framewellinfo f JOIN wellinfo w ON "
                 "w.iKey=f.iWellinfoKeyRef WHERE f.iFrameIndex=437"),
            L"W1");
  EXPECT_EQ(Count("frameplateinfo", "iPlateinfoKeyRef=" + std::to_string(plate)), kFrames);
  EXPECT_EQ(Count("framewellinfo", "iWellinfoKeyRef=" + std::to_string(wells[3])),
            kFrames / kWells);
  EXPECT_EQ(Count("frametag", "iTagdefKeyRef=" + std::to_string(bubble)), 10);
  EXPECT_EQ(Count("frametag", "iTagdefKeyRef=" + std::to_string(focus)), kFrames);

  // The finished run is not touched by the crash recovery.
  EXPECT_EQ(QeProjectDb_Jobrun_RemoveRunningFlag(h_), 0);
  ASSERT_EQ(QeProjectDb_Jobrun_GetOne(h_, run, runRow), 0);
  EXPECT_EQ(runRow.iFinishFlags, 2);
  EXPECT_EQ(runRow.dFTime, end);

  // Deleting the run takes everything it recorded with it.
  EXPECT_EQ(QeProjectDb_Jobrun_Delete(h_, run), 0);
  for (const char* table : {"frame", "file", "runloop", "loopindex", "frametag", "frameplateinfo",
                            "framewellinfo", "plateinfo", "wellinfo"}) {
    EXPECT_EQ(Count(table), 0) << table;
  }
  EXPECT_TRUE(fs::is_directory(qe::ToFsPath(runFolder)));
}

TEST_F(RecordsAcquisitionTest, RemoveRunningFlagWithNothingRunningChangesNothing) {
  const int64_t run = AddRun(project_, jobdef_, 0x100);
  ASSERT_EQ(Exec("UPDATE jobrun SET dFTime=2460000.5"), SQLITE_OK);
  EXPECT_EQ(QeProjectDb_Jobrun_RemoveRunningFlag(h_), 0);
  EXPECT_EQ(Int("SELECT iFinishFlags FROM jobrun WHERE iKey=" + std::to_string(run)), 0x100);
  EXPECT_EQ(Double("SELECT dFTime FROM jobrun WHERE iKey=" + std::to_string(run)), 2460000.5);
}

TEST_F(RecordsAcquisitionTest, ARunningRunWithoutFramesGetsCodeFourAndNoFinishTime) {
  const int64_t run = AddRun(project_, jobdef_, 0x3F01);
  EXPECT_EQ(QeProjectDb_Jobrun_RemoveRunningFlag(h_), 0);
  // The low byte becomes 4; the host's higher bits stay.
  EXPECT_EQ(Int("SELECT iFinishFlags FROM jobrun WHERE iKey=" + std::to_string(run)), 0x3F04);
  EXPECT_TRUE(IsNull("jobrun", "dFTime", run));
  SQeProjectDbRow_jobrun row;
  ASSERT_EQ(QeProjectDb_Jobrun_GetOne(h_, run, row), 0);
  EXPECT_EQ(row.dFTime, 0.0);
  std::vector<SQeProjectDbRow_jobrun> running;
  EXPECT_EQ(QeProjectDb_Jobrun_GetManyWithFinishFlag(h_, jobdef_, 1, 1, running), 0);
  EXPECT_TRUE(running.empty());
}

TEST_F(RecordsAcquisitionTest, ARunningRunWithFramesTakesItsLastFrameAndRepairsFileCounts) {
  const int64_t crashed = AddRun(project_, jobdef_, 1);
  const int64_t finished = AddRun(project_, jobdef_, 2);
  int64_t counted = 0, uncounted = 0, empty = 0, other = 0;
  ASSERT_EQ(QeProjectDb_File_Insert(h_, crashed, L"a.tif", 8, 8, 1, 1, 8, 99, &counted), 0);
  ASSERT_EQ(QeProjectDb_File_Insert(h_, crashed, L"b.tif", 8, 8, 1, 1, 8, 0, &uncounted), 0);
  ASSERT_EQ(QeProjectDb_File_Insert(h_, crashed, L"c.tif", 8, 8, 1, 1, 8, 0, &empty), 0);
  ASSERT_EQ(QeProjectDb_File_Insert(h_, finished, L"d.tif", 8, 8, 1, 1, 8, 0, &other), 0);
  int64_t key = 0;
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(QeProjectDb_Frame_Insert(h_, crashed, 0, i, kStart + i, counted, i, &key), 0);
  }
  // The last frame by time is not the last by index.
  ASSERT_EQ(QeProjectDb_Frame_Insert(h_, crashed, 0, 3, kStart + 10, uncounted, 0, &key), 0);
  ASSERT_EQ(QeProjectDb_Frame_Insert(h_, crashed, 0, 4, kStart + 5, uncounted, 1, &key), 0);
  ASSERT_EQ(QeProjectDb_Frame_Insert(h_, finished, 0, 0, kStart, other, 0, &key), 0);

  EXPECT_EQ(QeProjectDb_Jobrun_RemoveRunningFlag(h_), 0);
  SQeProjectDbRow_jobrun row;
  ASSERT_EQ(QeProjectDb_Jobrun_GetOne(h_, crashed, row), 0);
  EXPECT_EQ(row.iFinishFlags, 4);
  EXPECT_EQ(row.dFTime, kStart + 10);
  SQeProjectDbRow_file file;
  ASSERT_EQ(QeProjectDb_File_GetOne(h_, counted, file), 0);
  EXPECT_EQ(file.iFrameCount, 99) << "a count already set stays";
  ASSERT_EQ(QeProjectDb_File_GetOne(h_, uncounted, file), 0);
  EXPECT_EQ(file.iFrameCount, 2);
  ASSERT_EQ(QeProjectDb_File_GetOne(h_, empty, file), 0);
  EXPECT_EQ(file.iFrameCount, 0);
  ASSERT_EQ(QeProjectDb_File_GetOne(h_, other, file), 0);
  EXPECT_EQ(file.iFrameCount, 0) << "files of finished runs are not repaired";
  ASSERT_EQ(QeProjectDb_Jobrun_GetOne(h_, finished, row), 0);
  EXPECT_EQ(row.iFinishFlags, 2);
}

}  // namespace
}  // namespace qe::test
