// projectdb info: the lines and the JSON document for usable, older, newer,
// missing and damaged files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "support/temp_dir.h"
#include "tools/demo_fixture.h"
#include "tools/tool_runner.h"

namespace qe::test {
namespace {

class Info : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(demo_.result.exit, 0) << demo_.result.err; }

  // A copy of the demo database with its stored schema version changed.
  std::string CopyAtVersion(const std::string& name, int version) {
    ChangedCopy(tmp_.File(name),
                "UPDATE vesion SET iVersion=" + std::to_string(version) + " WHERE wszName='main';");
    return tmp_.File(name);
  }

  const DemoRun& demo_ = SharedDemo();
  TempDir tmp_;
};

TEST_F(Info, JsonDescribesAUsableFile) {
  const ToolResult result = RunTool({"info", demo_.database, "--json"});
  ASSERT_EQ(result.exit, 0) << result.err;
  EXPECT_EQ(result.err, "");
  const nlohmann::json info = nlohmann::json::parse(result.out);
  EXPECT_EQ(info["file"], demo_.database);
  EXPECT_EQ(info["usable"], true);
  EXPECT_EQ(info["result"], 0);
  EXPECT_FALSE(info.contains("problem"));
  EXPECT_EQ(info["openStatus"], 0);
  EXPECT_EQ(info["networkFileSystem"], false);
  EXPECT_EQ(info["journalMode"], "wal");
  EXPECT_EQ(info["options"]["journal_mode"], "wal");
  EXPECT_EQ(info["options"]["synchronous"], "normal");
  EXPECT_EQ(info["options"]["folderformat"], 1);
  EXPECT_EQ(info["schemaVersion"], 77);
  EXPECT_EQ(info["schemaVersionState"], "current");
  EXPECT_EQ(info["currentSchemaVersion"], 77);
  EXPECT_EQ(info["plateVersion"], 6);

  // The same facts as the lines without --json.
  const ToolResult text = RunTool({"info", demo_.database});
  ASSERT_EQ(text.exit, 0);
  EXPECT_NE(text.out.find("schema version         77, current"), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("journal mode           wal"), std::string::npos) << text.out;
}

TEST_F(Info, AnOlderFileIsUsableAndANewerOneIsNot) {
  const nlohmann::json o = RunJson({"info", "--json", CopyAtVersion("older.db", 70)});
  EXPECT_EQ(o["usable"], true);
  EXPECT_EQ(o["schemaVersion"], 70);
  EXPECT_EQ(o["schemaVersionState"], "older");

  const std::string newerFile = CopyAtVersion("newer.db", 78);
  const ToolResult newer = RunTool({"info", newerFile, "--json"});
  ExpectFails(newer, 1, newerFile);
  const nlohmann::json n = nlohmann::json::parse(newer.out);
  EXPECT_EQ(n["usable"], false);
  EXPECT_EQ(n["result"], -1);
  EXPECT_EQ(n["schemaVersionState"], "newer");
  EXPECT_NE(n["problem"].get<std::string>().find("newer version"), std::string::npos) << n;
}

TEST_F(Info, JsonOfAFileThatCannotBeUsedSaysWhy) {
  const std::string missing = tmp_.File("missing.db");
  const ToolResult gone = RunTool({"info", missing, "--json"});
  ExpectFails(gone, 1, missing);
  const nlohmann::json g = nlohmann::json::parse(gone.out);
  EXPECT_EQ(g["usable"], false);
  EXPECT_EQ(g["problem"], "no such file");
  EXPECT_FALSE(g.contains("schemaVersion"));
  EXPECT_FALSE(std::filesystem::exists(missing));

  const std::string corrupt = tmp_.File("corrupt.db");
  std::ofstream(corrupt, std::ios::binary) << "SQLite format 3" << std::string(4096, '\x01');
  const nlohmann::json d = RunJson({"info", corrupt, "--json"}, 1);
  EXPECT_EQ(d["usable"], false);
  EXPECT_NE(d["problem"].get<std::string>().find("not a project database"), std::string::npos) << d;
}

}  // namespace
}  // namespace qe::test
