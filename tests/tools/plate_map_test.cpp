// projectdb plate-map on the demo's run: the picture, the numbers and the
// ways a call can go wrong.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "qe/core/refcount.h"
#include "qe/picture/image_format.h"
#include "qe/picture/pic_buf.h"
#include "support/temp_dir.h"
#include "tools/demo_fixture.h"
#include "tools/tool_runner.h"

namespace qe::test {
namespace {

class PlateMap : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(demo_.result.exit, 0) << demo_.result.err; }
  ToolResult Map(std::vector<std::string> extra) const {
    std::vector<std::string> args{"plate-map", demo_.database};
    args.insert(args.end(), extra.begin(), extra.end());
    return RunTool(args);
  }
  const DemoRun& demo_ = SharedDemo();
  TempDir tmp_;
};

// Reads a PNG into an 8-bit RGB picture; false when it cannot be read.
bool ReadPng(const std::string& file, CQePicBufOwner& picture) {
  CQeImageFormatManager manager;
  CQeRefCountPtr<IQeImageFormatHandler> handler;
  CQeRefCountPtr<IQeInputImageFile> input;
  const std::wstring name = std::filesystem::path(file).wstring();
  SQeImageInfo info{};
  return manager.GetHandlerForFormatName(L"PNG", handler) == 0 &&
         handler->OpenInputFile(name.c_str(), input) == 0 && input->GetImageInfo(0, info) == 0 &&
         CQePicBufAPI::Reinit(picture.Get(), info.uiWidth, info.uiHeight, 8, 3) == 0 &&
         input->ReadFrame(0, picture.Get()) == 0;
}

TEST_F(PlateMap, WritesAPictureOfTheSizeItReportsWithEveryWell) {
  const std::string out = tmp_.File("nuclei.png");
  const nlohmann::json numbers = RunJson(
      {"plate-map", demo_.database, "1", "--property", "nuclei COUNT", "--out", out, "--json"});
  EXPECT_EQ(numbers["property"]["name"], "Nuclei count");
  EXPECT_EQ(numbers["plate"]["wells"], 96);
  EXPECT_EQ(numbers["wellsWithData"], 96);
  ASSERT_EQ(numbers["wells"].size(), 96u);
  EXPECT_EQ(numbers["wells"][0]["name"], "A1");
  EXPECT_EQ(numbers["wells"][95]["name"], "H12");
  EXPECT_EQ(numbers["wells"][0]["values"], 4);  // one per field

  CQePicBufOwner picture;
  ASSERT_TRUE(ReadPng(out, picture));
  EXPECT_EQ(static_cast<int>(picture->uiWidth), numbers["width"].get<int>());
  EXPECT_EQ(static_cast<int>(picture->uiHeight), numbers["height"].get<int>());
  // A 127.76 x 85.48 mm plate keeps its proportions (with room for labels
  // and the colour scale).
  EXPECT_GT(picture->uiWidth, picture->uiHeight);
}

TEST_F(PlateMap, TheTextSummaryNamesTheExtremes) {
  const ToolResult result = Map({"1", "--property", "Nuclei count", "--out", tmp_.File("n.png")});
  ASSERT_EQ(result.exit, 0) << result.err;
  for (const char* line :
       {"picture", "wells with data  96 of 96", "lowest", "highest", "Greiner Bio-One"}) {
    EXPECT_NE(result.out.find(line), std::string::npos) << line << "\n" << result.out;
  }
}

TEST_F(PlateMap, TheRunCanBeNamedByItsUuid) {
  const std::string uuid = RunJson({"runs", demo_.database, "--json"})[0]["uuid"];
  const ToolResult result =
      Map({uuid, "--property", "Positive cells", "--set", "Cells", "--out", tmp_.File("p.png")});
  EXPECT_EQ(result.exit, 0) << result.err;
}

// Usage errors, missing runs and unwritable pictures: subcommands_test.cpp.
TEST_F(PlateMap, APropertyOrSetTheRunLacksIsNamedWithWhatItHas) {
  const std::string out = tmp_.File("never.png");
  const ToolResult property = Map({"1", "--property", "Nuclei colour", "--out", out});
  ExpectFails(property, 1, "Nuclei colour");
  EXPECT_NE(property.err.find("Cells/Positive cells"), std::string::npos) << property.err;
  EXPECT_EQ(Map({"1", "--property", "Nuclei count", "--set", "Cells", "--out", out}).exit, 1);
  EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(PlateMap, WellsWithoutValuesAreLeftOutAndDrawnEmpty) {
  // A copy whose wells 3, 10, 17, ... lost their values.
  const std::string copy = tmp_.File("gaps.db");
  ChangedCopy(copy,
              "DELETE FROM frameprop WHERE iFrameIndex IN (SELECT fw.iFrameIndex FROM "
              "framewellinfo fw JOIN wellinfo w ON w.iKey=fw.iWellinfoKeyRef WHERE "
              "w.iWellIndex % 7 = 3);");
  const std::string out = tmp_.File("gaps.png");
  const nlohmann::json numbers =
      RunJson({"plate-map", copy, "1", "--property", "Nuclei count", "--out", out, "--json"});
  EXPECT_EQ(numbers["wellsWithData"], 82);
  for (const auto& well : numbers["wells"]) EXPECT_NE(well["index"].get<int>() % 7, 3);
  CQePicBufOwner picture;
  EXPECT_TRUE(ReadPng(out, picture));

  // No values at all: nothing to draw.
  const std::string unlinked = tmp_.File("unlinked.db");
  ChangedCopy(unlinked, "DELETE FROM framewellinfo;");
  ExpectFails(RunTool({"plate-map", unlinked, "1", "--property", "Nuclei count", "--out",
                       tmp_.File("none.png")}),
              1, "linked to a well");
  EXPECT_FALSE(std::filesystem::exists(tmp_.File("none.png")));
}

TEST_F(PlateMap, ARunWithoutAPlateOrADatabaseWithoutTheRunHasNoMap) {
  const std::string copy = tmp_.File("no plate.db");
  ChangedCopy(copy, "PRAGMA foreign_keys=ON; DELETE FROM plateinfo;");
  ExpectFails(
      RunTool({"plate-map", copy, "1", "--property", "Nuclei count", "--out", tmp_.File("x.png")}),
      1, "used no well plate");
  // A new database holds no run at all.
  const std::string empty = tmp_.File("empty.db");
  ASSERT_EQ(RunTool({"create", empty}).exit, 0);
  ExpectFails(RunTool({"plate-map", empty, "1", "--property", "x", "--out", tmp_.File("x.png")}), 1,
              "no run '1'");
  EXPECT_FALSE(std::filesystem::exists(tmp_.File("x.png")));
}

}  // namespace
}  // namespace qe::test
