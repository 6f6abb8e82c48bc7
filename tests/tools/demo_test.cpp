// projectdb demo: the database, files and pictures it leaves behind, and the
// searches and plate maps the README shows on it.
#include <gtest/gtest.h>

#include <filesystem>
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
  TempDir tmp_;
};

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

TEST_F(Demo, TheDatabaseHoldsTheWholeAcquisition) {
  EXPECT_EQ(Count("pragma_integrity_check WHERE integrity_check='ok'"), 1);
  EXPECT_EQ(Count("pragma_foreign_key_check"), 0);
  EXPECT_EQ(Count("jobtask WHERE iJobtaskKeyRef IS NOT NULL"), 4);  // a tree, not a list
  EXPECT_EQ(Count("file WHERE iBitsPerComponent=16 AND iFrameCount=8"), 96);
  EXPECT_EQ(Count("frame WHERE iFileKeyRef IS NOT NULL AND iJobtaskKeyRef IS NOT NULL"), 768);
  EXPECT_EQ(Count("loopindex"), 3 * 768);
  EXPECT_EQ(Count("framewellinfo"), 768);
  const long long positives =
      Count("frametag JOIN tagdef ON tagdef.iKey=iTagdefKeyRef WHERE tagdef.wszName='positive'");
  EXPECT_GT(positives, 0);
  EXPECT_LT(positives, 768);
  EXPECT_EQ(positives % 8, 0);  // whole wells
  EXPECT_GE(Count("frameprop"), 768 + 384);
  EXPECT_EQ(QueryNumber(demo_.database, "SELECT sum(iCount) FROM binframe"), Count("binobj"));
  EXPECT_GT(Count("binobj"), 384);
  EXPECT_EQ(QueryNumber(demo_.folder + "/thumbs.db", "SELECT count(*) FROM thumbnail"), 768);
}

TEST_F(Demo, EveryFrameIsAPageOfARealTiffFile) {
  int files = 0;
  for (const auto& entry : fs::recursive_directory_iterator(demo_.folder + "/Projects")) {
    if (entry.path().extension() != ".tif") continue;
    ++files;
    int status = 0;
    const SQeImageInfo info = InfoOf(entry.path(), 7, &status);
    ASSERT_EQ(status, 0) << entry.path();
    EXPECT_EQ(info.uiFrameCount, 8u);
    EXPECT_EQ(info.uiBitsPerComponent, 16u);
  }
  EXPECT_EQ(files, 96);
}

TEST_F(Demo, ThePicturesAreValidAndTheMapsShowAPattern) {
  for (const char* name : {"contact-sheet.png", "plate-map-nuclei.png", "plate-map-positive.png"}) {
    EXPECT_NE(demo_.result.out.find(name), std::string::npos) << name;
    const fs::path file = fs::path(demo_.folder) / name;
    int status = 0;
    const SQeImageInfo info = InfoOf(file, 0, &status);
    ASSERT_EQ(status, 0) << name;
    EXPECT_GT(info.uiWidth, 800u) << name;
    EXPECT_GT(info.uiHeight, 600u) << name;
    EXPECT_GT(fs::file_size(file), 20000u) << name;
  }
  // Wells differ: many colours on the map, not one.
  const nlohmann::json numbers =
      RunJson({"plate-map", demo_.database, "1", "--property", "Positive cells", "--out",
               tmp_.File("check.png"), "--json"});
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

// A copy whose wells 3, 10, 17, ... lost their values: they are left out.
TEST_F(Demo, APlateMapLeavesOutWellsWithoutValues) {
  const std::string copy = tmp_.File("gaps.db");
  ChangedCopy(copy,
              "DELETE FROM frameprop WHERE iFrameIndex IN (SELECT fw.iFrameIndex FROM "
              "framewellinfo fw JOIN wellinfo w ON w.iKey=fw.iWellinfoKeyRef WHERE "
              "w.iWellIndex % 7 = 3);");
  const nlohmann::json numbers = RunJson({"plate-map", copy, "1", "--property", "Nuclei count",
                                          "--out", tmp_.File("gaps.png"), "--json"});
  EXPECT_EQ(numbers["plate"]["wells"], 96);
  EXPECT_EQ(numbers["wellsWithData"], 82);
  for (const auto& well : numbers["wells"]) EXPECT_NE(well["index"].get<int>() % 7, 3);
  EXPECT_GT(fs::file_size(tmp_.File("gaps.png")), 0u);
}

}  // namespace
}  // namespace qe::test
