// A whole acquisition as the host records it, read back; runs left running
// and closed by QeProjectDb_Jobrun_RemoveRunningFlag.
#include "projectdb/records_support.h"

namespace qe::test {
namespace {

namespace fs = std::filesystem;

// 5 time points x 4 wells x 25 fields, one second apart, in two files.
constexpr int kFrames = 500, kWells = 4, kFields = 25;
constexpr double kStart = 2460400.25, kSecond = 1.0 / 86400.0;

class RecordsAcquisitionTest : public RecordApiTest {
 protected:
  void SetUp() override {
    RecordApiTest::SetUp();
    project_ = AddProject(L"Screening 2024", L"Screening 2024");
    jobdef_ = AddJobdef(project_, L"Plate scan");
  }
  int64_t project_ = 0, jobdef_ = 0;
};

TEST_F(RecordsAcquisitionTest, ARealisticRunIsWrittenAndReadBack) {
  CQeStringW runFolder;
  const int64_t run = AddRun(project_, jobdef_, 1, L"Plate 'A' 50% confluent", &runFolder);
  ASSERT_GT(run, 0);
  int64_t files[2] = {}, loops[3] = {}, wells[kWells] = {};
  for (int f = 0; f < 2; ++f) {  // frame counts are filled at the end
    const CQeStringW name = CQeStringW::Formatted(L"Plate_A_part%d.tif", f + 1);
    ASSERT_EQ(QeProjectDb_File_Insert(h_, run, name, 1024, 1024, 1, 1, 16, 0, &files[f]), 0);
  }
  // Loops: time (outer), well, field (inner).
  for (int order = 0; order < 3; ++order) {
    ASSERT_EQ(QeProjectDb_Runloop_Insert(h_, run, 0, order, order, 100 + order, &loops[order]), 0);
  }
  const int64_t plate = AddInfo("plateinfo", run);
  for (int w = 0; w < kWells; ++w) wells[w] = AddInfo("wellinfo", run, w);
  const int64_t focus = AddTagdef("in focus"), bubble = AddTagdef("air bubble");

  std::vector<SQeProjectDbRow_loopindex> indices;
  std::vector<SQeProjectDbRow_frameplateinfo> plateLinks;
  std::vector<SQeProjectDbRow_framewellinfo> wellLinks;
  std::vector<SQeProjectDbRow_frametag> tags;
  for (int i = 0; i < kFrames; ++i) {
    const int well = (i / kFields) % kWells;
    ASSERT_EQ(QeProjectDb_Frame_Insert(h_, run, 0, i, kStart + i * kSecond, files[i * 2 / kFrames],
                                       i % (kFrames / 2), nullptr),
              0);
    indices.emplace_back(0, run, i, loops[0], i / (kWells * kFields));
    indices.emplace_back(0, run, i, loops[1], well);
    indices.emplace_back(0, run, i, loops[2], i % kFields);
    plateLinks.emplace_back(0, run, plate, i);
    wellLinks.emplace_back(0, run, wells[well], i);
    tags.emplace_back(0, run, focus, i);
    if (i % 50 == 7) tags.emplace_back(0, run, bubble, i);
  }
  ASSERT_EQ(QeProjectDb_Loopindex_InsertMany(h_, indices), 0);
  ASSERT_EQ(QeProjectDb_Frameplateinfo_InsertMany(h_, plateLinks), 0);
  ASSERT_EQ(QeProjectDb_Framewellinfo_InsertMany(h_, wellLinks), 0);
  ASSERT_EQ(QeProjectDb_Frametag_InsertMany(h_, tags), 0);
  for (const int64_t file : files) ASSERT_EQ(QeProjectDb_File_Update(h_, file, kFrames / 2), 0);
  const double end = kStart + kFrames * kSecond;
  ASSERT_EQ(QeProjectDb_Jobrun_UpdateFinish(h_, run, 2, end, L"Finished"), 0);

  // Read back through the record functions...
  const auto runRow = Get<SQeProjectDbRow_jobrun>(run);
  EXPECT_EQ(runRow.wszName, L"Plate 'A' 50% confluent");
  EXPECT_EQ(std::make_tuple(runRow.iFinishFlags, runRow.dFTime), std::make_tuple(int64_t{2}, end));
  CQeStringW path;
  ASSERT_EQ(QeProjectDb_Jobrun_GetAbsPath(h_, run, path), 0);
  EXPECT_EQ(path, runFolder);
  EXPECT_EQ(Get<SQeProjectDbRow_file>(files[1]).iFrameCount, kFrames / 2);

  // ...and by what the rows say together. Frame 437: time 4, well 1, field
  // 12, in the second file at 187.
  EXPECT_EQ(Count("frame", Eq("iJobrunKeyRef", run)), kFrames);
  EXPECT_EQ(Count("loopindex", Eq("iJobrunKeyRef", run)), 3 * kFrames);
  EXPECT_EQ(Text("SELECT group_concat(iLoopIndex, ',') FROM (SELECT l.iLoopIndex FROM loopindex l "
                 "JOIN runloop r ON r.iKey=l.iRunloopKeyRef WHERE l.iFrameIndex=437 ORDER BY "
                 "r.iOrder)"),
            L"4,1,12");
  EXPECT_EQ(Int("SELECT iFileFrameIndex FROM frame WHERE iFrameIndex=437"), 187);
  EXPECT_EQ(Text("SELECT w.wszName FROM framewellinfo f JOIN wellinfo w ON "
                 "w.iKey=f.iWellinfoKeyRef WHERE f.iFrameIndex=437"),
            L"W1");
  EXPECT_EQ(Count("frameplateinfo", Eq("iPlateinfoKeyRef", plate)), kFrames);
  EXPECT_EQ(Count("framewellinfo", Eq("iWellinfoKeyRef", wells[3])), kFrames / kWells);
  EXPECT_EQ(Count("frametag", Eq("iTagdefKeyRef", bubble)), 10);

  // Deleting the run takes everything it recorded with it, but not its folder.
  EXPECT_EQ(QeProjectDb_Jobrun_Delete(h_, run), 0);
  for (const char* table : {"frame", "file", "runloop", "loopindex", "frametag", "frameplateinfo",
                            "framewellinfo", "plateinfo", "wellinfo"}) {
    EXPECT_EQ(Count(table), 0) << table;
  }
  EXPECT_TRUE(fs::is_directory(qe::ToFsPath(runFolder)));
}

// The low byte of a running run becomes 4 and the host's higher bits stay;
// the finish time is that of the last frame by time, or NULL without frames;
// unset frame counts of its files are repaired.
TEST_F(RecordsAcquisitionTest, RemoveRunningFlagClosesRunsWithAndWithoutFrames) {
  const int64_t crashed = AddRun(project_, jobdef_, 1), finished = AddRun(project_, jobdef_, 2);
  const int64_t bare = AddRun(project_, jobdef_, 0x3F01);
  int64_t counted = 0, uncounted = 0, other = 0;
  ASSERT_EQ(QeProjectDb_File_Insert(h_, crashed, L"a.tif", 8, 8, 1, 1, 8, 99, &counted), 0);
  ASSERT_EQ(QeProjectDb_File_Insert(h_, crashed, L"b.tif", 8, 8, 1, 1, 8, 0, &uncounted), 0);
  ASSERT_EQ(QeProjectDb_File_Insert(h_, finished, L"d.tif", 8, 8, 1, 1, 8, 0, &other), 0);
  ASSERT_EQ(QeProjectDb_Frame_Insert(h_, crashed, 0, 0, kStart, counted, 0, nullptr), 0);
  ASSERT_EQ(QeProjectDb_Frame_Insert(h_, crashed, 0, 1, kStart + 10, uncounted, 0, nullptr), 0);
  ASSERT_EQ(QeProjectDb_Frame_Insert(h_, crashed, 0, 2, kStart + 5, uncounted, 1, nullptr), 0);
  ASSERT_EQ(QeProjectDb_Frame_Insert(h_, finished, 0, 0, kStart, other, 0, nullptr), 0);
  ASSERT_EQ(Exec("UPDATE jobrun SET dFTime=2460000.5 WHERE " + Eq("iKey", finished)), SQLITE_OK);

  EXPECT_EQ(QeProjectDb_Jobrun_RemoveRunningFlag(h_), 0);
  const auto row = Get<SQeProjectDbRow_jobrun>(crashed);
  EXPECT_EQ(std::make_tuple(row.iFinishFlags, row.dFTime),
            std::make_tuple(int64_t{4}, kStart + 10));
  EXPECT_EQ(Col("jobrun", "iFinishFlags", bare), 0x3F04);
  EXPECT_TRUE(IsNull("jobrun", "dFTime", bare));
  EXPECT_EQ(Col("file", "iFrameCount", counted), 99) << "a count already set stays";
  EXPECT_EQ(Col("file", "iFrameCount", uncounted), 2);
  EXPECT_EQ(Col("file", "iFrameCount", other), 0) << "files of finished runs are not repaired";
  EXPECT_EQ(Get<SQeProjectDbRow_jobrun>(finished).dFTime, 2460000.5);
  EXPECT_EQ(Col("jobrun", "iFinishFlags", finished), 2);
}

}  // namespace
}  // namespace qe::test
