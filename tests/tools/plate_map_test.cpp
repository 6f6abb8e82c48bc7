// projectdb plate-map on the demo's run: the picture, the numbers and the
// ways a call can go wrong.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "qe/core/refcount.h"
#include "qe/picture/image_format.h"
#include "qe/picture/pic_buf.h"
#include "support/temp_dir.h"
#include "tools/demo_fixture.h"

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
  const ToolResult result = Map({"1", "--property", "nuclei COUNT", "--out", out, "--json"});
  ASSERT_EQ(result.exit, 0) << result.err;
  const nlohmann::json numbers = nlohmann::json::parse(result.out);
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
  const ToolResult runs = RunTool({"runs", demo_.database, "--json"});
  const std::string uuid = nlohmann::json::parse(runs.out)[0]["uuid"];
  const ToolResult result =
      Map({uuid, "--property", "Positive cells", "--set", "Cells", "--out", tmp_.File("p.png")});
  EXPECT_EQ(result.exit, 0) << result.err;
}

TEST_F(PlateMap, WrongCallsSayWhatIsWrong) {
  const std::string out = tmp_.File("never.png");
  // Usage: missing arguments.
  EXPECT_EQ(Map({"1", "--out", out}).exit, 2);
  EXPECT_EQ(Map({"1", "--property", "Nuclei count"}).exit, 2);
  EXPECT_EQ(Map({"--property", "Nuclei count", "--out", out}).exit, 2);
  // Failures: no such run, property or set, named in the message.
  const ToolResult run = Map({"99", "--property", "Nuclei count", "--out", out});
  EXPECT_EQ(run.exit, 1);
  EXPECT_NE(run.err.find("no run '99'"), std::string::npos) << run.err;
  const ToolResult property = Map({"1", "--property", "Nuclei colour", "--out", out});
  EXPECT_EQ(property.exit, 1);
  EXPECT_NE(property.err.find("Nuclei colour"), std::string::npos) << property.err;
  // The message lists what the run has.
  EXPECT_NE(property.err.find("Cells/Positive cells"), std::string::npos) << property.err;
  EXPECT_EQ(Map({"1", "--property", "Nuclei count", "--set", "Cells", "--out", out}).exit, 1);
  // A picture that cannot be written.
  const ToolResult write =
      Map({"1", "--property", "Nuclei count", "--out", tmp_.File("no folder/x.png")});
  EXPECT_EQ(write.exit, 1);
  EXPECT_NE(write.err.find("no folder/x.png"), std::string::npos) << write.err;
  EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(PlateMap, WellsWithoutValuesAreLeftOutAndDrawnEmpty) {
  // A copy whose wells 3, 10, 17, ... lost their values.
  const std::string copy = tmp_.File("gaps.db");
  std::filesystem::copy_file(demo_.database, copy);
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(copy.c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db,
                         "DELETE FROM frameprop WHERE iFrameIndex IN (SELECT fw.iFrameIndex FROM "
                         "framewellinfo fw JOIN wellinfo w ON w.iKey=fw.iWellinfoKeyRef WHERE "
                         "w.iWellIndex % 7 = 3);",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(db);
  const std::string out = tmp_.File("gaps.png");
  const ToolResult result =
      RunTool({"plate-map", copy, "1", "--property", "Nuclei count", "--out", out, "--json"});
  ASSERT_EQ(result.exit, 0) << result.err;
  const nlohmann::json numbers = nlohmann::json::parse(result.out);
  EXPECT_EQ(numbers["wellsWithData"], 82);
  for (const auto& well : numbers["wells"]) EXPECT_NE(well["index"].get<int>() % 7, 3);
  CQePicBufOwner picture;
  EXPECT_TRUE(ReadPng(out, picture));

  // No values at all: nothing to draw.
  ASSERT_EQ(sqlite3_open(copy.c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db, "DELETE FROM framewellinfo;", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(db);
  const ToolResult none = RunTool(
      {"plate-map", copy, "1", "--property", "Nuclei count", "--out", tmp_.File("none.png")});
  EXPECT_EQ(none.exit, 1);
  EXPECT_NE(none.err.find("linked to a well"), std::string::npos) << none.err;
  EXPECT_FALSE(std::filesystem::exists(tmp_.File("none.png")));
}

TEST_F(PlateMap, ARunWithoutAPlateOrADatabaseWithoutTheRunHasNoMap) {
  const std::string copy = tmp_.File("no plate.db");
  std::filesystem::copy_file(demo_.database, copy);
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(copy.c_str(), &db), SQLITE_OK);
  ASSERT_EQ(
      sqlite3_exec(db, "PRAGMA foreign_keys=ON; DELETE FROM plateinfo;", nullptr, nullptr, nullptr),
      SQLITE_OK);
  sqlite3_close(db);
  const ToolResult noPlate =
      RunTool({"plate-map", copy, "1", "--property", "Nuclei count", "--out", tmp_.File("x.png")});
  EXPECT_EQ(noPlate.exit, 1);
  EXPECT_NE(noPlate.err.find("used no well plate"), std::string::npos) << noPlate.err;

  // A new database holds no run at all.
  const std::string empty = tmp_.File("empty.db");
  ASSERT_EQ(RunTool({"create", empty}).exit, 0);
  const ToolResult result =
      RunTool({"plate-map", empty, "1", "--property", "x", "--out", tmp_.File("x.png")});
  EXPECT_EQ(result.exit, 1);
  EXPECT_NE(result.err.find("no run '1'"), std::string::npos) << result.err;
  EXPECT_FALSE(std::filesystem::exists(tmp_.File("x.png")));
}

}  // namespace
}  // namespace qe::test
