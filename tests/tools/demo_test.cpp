// projectdb demo: the database, files and pictures it leaves behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>

#include "qe/core/refcount.h"
#include "qe/picture/image_format.h"
#include "support/temp_dir.h"
#include "tools/demo_fixture.h"

namespace qe::test {
namespace {

namespace fs = std::filesystem;

class Demo : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(demo_.result.exit, 0) << demo_.result.err; }
  long long Count(const std::string& sqlFrom) const {
    return QueryNumber(demo_.database, "SELECT count(*) FROM " + sqlFrom);
  }
  const DemoRun& demo_ = SharedDemo();
};

// The run folder: the one folder holding TIFF files.
fs::path RunFolder(const std::string& folder) {
  for (const auto& entry : fs::recursive_directory_iterator(folder + "/Projects")) {
    if (entry.path().extension() == ".tif") return entry.path().parent_path();
  }
  return {};
}

SQeImageInfo InfoOf(const fs::path& file, int frame, int* status) {
  CQeImageFormatManager manager;
  CQeRefCountPtr<IQeImageFormatHandler> handler;
  CQeRefCountPtr<IQeInputImageFile> input;
  SQeImageInfo info{};
  *status = manager.GetHandlerForFileName(file.wstring().c_str(), handler);
  if (*status == 0) *status = handler->OpenInputFile(file.wstring().c_str(), input);
  if (*status == 0) *status = input->GetImageInfo(frame, info);
  return info;
}

TEST_F(Demo, PrintsEveryStepAndWhereThePicturesAre) {
  for (int step = 1; step <= 8; ++step) {
    EXPECT_NE(demo_.result.out.find("[" + std::to_string(step) + "/8]"), std::string::npos) << step;
  }
  for (const char* file : {"demo.db", "thumbs.db", "contact-sheet.png", "plate-map-nuclei.png",
                           "plate-map-positive.png"}) {
    EXPECT_NE(demo_.result.out.find(file), std::string::npos) << file;
  }
  EXPECT_NE(demo_.result.out.find("$ projectdb search"), std::string::npos);
}

TEST_F(Demo, TheDatabaseHoldsTheWholeAcquisition) {
  EXPECT_EQ(QueryNumber(demo_.database,
                        "SELECT count(*) FROM pragma_integrity_check "
                        "WHERE integrity_check='ok'"),
            1);
  EXPECT_EQ(QueryNumber(demo_.database, "SELECT count(*) FROM pragma_foreign_key_check"), 0);
  EXPECT_EQ(Count("project"), 1);
  EXPECT_EQ(Count("jobdef"), 1);
  EXPECT_EQ(Count("jobprogram"), 1);
  EXPECT_EQ(Count("jobtask"), 6);
  EXPECT_EQ(Count("jobtask WHERE iJobtaskKeyRef IS NOT NULL"), 4);  // a tree, not a list
  EXPECT_EQ(Count("jobrun WHERE iFinishFlags=0 AND dFTime>dCTime"), 1);
  EXPECT_EQ(Count("file WHERE iBitsPerComponent=16 AND iFrameCount=8"), 96);
  EXPECT_EQ(Count("frame"), 768);
  EXPECT_EQ(Count("frame WHERE iFileKeyRef IS NULL OR iJobtaskKeyRef IS NULL"), 0);
  EXPECT_EQ(Count("runloop"), 3);
  EXPECT_EQ(Count("loopindex"), 3 * 768);
  EXPECT_EQ(Count("plateinfo WHERE wszBarcode='DEMO-0001'"), 1);
  EXPECT_EQ(Count("wellinfo"), 96);
  EXPECT_EQ(Count("frameplateinfo"), 768);
  EXPECT_EQ(Count("framewellinfo"), 768);
  // Loop indices say which well, field and channel each frame is.
  EXPECT_EQ(QueryNumber(demo_.database,
                        "SELECT count(DISTINCT iLoopIndex) FROM loopindex JOIN runloop ON "
                        "runloop.iKey=iRunloopKeyRef WHERE runloop.iOrder=0"),
            96);
  const long long controls = Count(
      "frametag JOIN tagdef ON tagdef.iKey=iTagdefKeyRef "
      "WHERE tagdef.wszName='control'");
  const long long positives = Count(
      "frametag JOIN tagdef ON tagdef.iKey=iTagdefKeyRef "
      "WHERE tagdef.wszName='positive'");
  EXPECT_EQ(controls, 16 * 8);
  EXPECT_GT(positives, 0);
  EXPECT_LT(positives, 768);
  EXPECT_EQ(positives % 8, 0);  // whole wells
  EXPECT_EQ(Count("frameprop WHERE iAssayrunKeyRef IS NULL"), 0);
  EXPECT_GE(Count("frameprop"), 768 + 384);
  EXPECT_EQ(Count("jobrunpropstat WHERE iCount>0 AND dStatMin<=dStatMax"), Count("jobrunpropstat"));
  EXPECT_GE(Count("jobrunpropstat"), 6);
  EXPECT_EQ(Count("assayrun"), 1);
  EXPECT_EQ(Count("binlayer"), 1);
  EXPECT_EQ(Count("binframe"), 384);
  EXPECT_GT(Count("binobj"), 384);
  EXPECT_EQ(QueryNumber(demo_.database, "SELECT sum(iCount) FROM binframe"), Count("binobj"));
  EXPECT_EQ(Count("binobjprop"), 3 * Count("binobj"));
  EXPECT_GT(Count("wellplatename"), 100);  // the built-in catalogue
}

TEST_F(Demo, EveryFrameIsAPageOfARealTiffFile) {
  const fs::path folder = RunFolder(demo_.folder);
  ASSERT_FALSE(folder.empty());
  int files = 0;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.path().extension() != ".tif") continue;
    ++files;
    int status = 0;
    const SQeImageInfo info = InfoOf(entry.path(), 7, &status);
    ASSERT_EQ(status, 0) << entry.path();
    EXPECT_EQ(info.uiFrameCount, 8u);
    EXPECT_EQ(info.uiBitsPerComponent, 16u);
    EXPECT_EQ(info.uiWidth, 64u);
    EXPECT_EQ(info.uiComponents, 1u);
  }
  EXPECT_EQ(files, 96);
  EXPECT_TRUE(fs::exists(folder / "A1.tif"));
  EXPECT_TRUE(fs::exists(folder / "H12.tif"));
}

TEST_F(Demo, TheThumbnailDatabaseHoldsEveryFrame) {
  const std::string thumbs = demo_.folder + "/thumbs.db";
  EXPECT_EQ(QueryNumber(thumbs, "SELECT count(*) FROM thumbnail"), 768);
  EXPECT_EQ(QueryNumber(thumbs, "SELECT count(*) FROM jobrunuuid"), 1);
}

TEST_F(Demo, ThePicturesAreValidAndTheMapsShowAPattern) {
  for (const char* name : {"contact-sheet.png", "plate-map-nuclei.png", "plate-map-positive.png"}) {
    const fs::path file = fs::path(demo_.folder) / name;
    int status = 0;
    const SQeImageInfo info = InfoOf(file, 0, &status);
    ASSERT_EQ(status, 0) << name;
    EXPECT_GT(info.uiWidth, 800u) << name;
    EXPECT_GT(info.uiHeight, 600u) << name;
    EXPECT_GT(fs::file_size(file), 20000u) << name;
  }
  // Wells differ: many colours on the map, not one.
  TempDir tmp;
  const nlohmann::json numbers =
      RunJson({"plate-map", demo_.database, "1", "--property", "Positive cells", "--out",
               tmp.File("check.png"), "--json"});
  std::set<double> means;
  for (const auto& well : numbers["wells"]) means.insert(well["mean"].get<double>());
  EXPECT_GT(means.size(), 10u);
  EXPECT_LT(*means.begin(), 10.0);   // untreated wells do not respond
  EXPECT_GT(*means.rbegin(), 90.0);  // saturated wells do
}

TEST_F(Demo, SearchesFindTheRunByItsLabelsAndNotByOthers) {
  const ToolResult positive = RunTool({"search", demo_.database, "label:positive"});
  EXPECT_EQ(positive.exit, 0) << positive.err;
  EXPECT_NE(positive.out.find("1 run found"), std::string::npos) << positive.out;
  const ToolResult none = RunTool({"search", demo_.database, "label:negative"});
  EXPECT_EQ(none.exit, 0);
  EXPECT_NE(none.out.find("0 runs found"), std::string::npos) << none.out;
}

TEST(DemoFolder, AFolderInUseOrAFileIsRefusedAndLeftAlone) {
  TempDir tmp;
  std::ofstream(tmp.File("keep.txt")) << "mine";
  ExpectFails(RunTool({"demo", tmp.path().string()}), 1, tmp.path().string());
  EXPECT_EQ(ReadFile(tmp.File("keep.txt")), "mine");
  EXPECT_FALSE(fs::exists(tmp.File("demo.db")));

  const ToolResult file = RunTool({"demo", tmp.File("keep.txt")});
  EXPECT_EQ(file.exit, 1);
  EXPECT_EQ(ReadFile(tmp.File("keep.txt")), "mine");
}

}  // namespace
}  // namespace qe::test
