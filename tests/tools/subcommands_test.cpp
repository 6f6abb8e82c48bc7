// What every projectdb subcommand shares: --help, exit status 2 and a
// message on a wrong call, a good call, and exit status 1 naming a missing
// or damaged file that is left as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>

#include "support/temp_dir.h"
#include "tools/demo_fixture.h"
#include "tools/tool_runner.h"

namespace qe::test {
namespace {

struct UsageCall {
  std::vector<std::string> args;  // "DB": the demo database, "NEW": a path nothing may make
  const char* says;               // a part of the message
};

const std::vector<UsageCall> kUsageCalls = {
    {{"create"}, "expected one FILE"},
    {{"info", "DB", "--json=yes"}, "--json takes no value"},
    {{"upgrade"}, "FILE"},
    {{"merge", "DB"}, "expected TARGET and SOURCE"},
    {{"projects"}, "expected one FILE"},
    {{"runs", "DB", "--project", "first"}, "--project"},
    {{"search", "DB"}, "search text"},
    {{"thumbs", "DB", "1"}, "--cache"},
    {{"labware", "list", "DB", "--wide"}, "unknown option '--wide'"},
    {{"labware", "show", "DB"}, "show expects FILE and UUID"},
    {{"labware", "refresh"}, "refresh expects one FILE"},
    {{"labware", "import", "DB"}, "import expects FILE and PLATES.xml"},
    {{"labware", "export", "DB"}, "export expects FILE and OUT.xml"},
    {{"plate-map", "DB", "1", "--out", "map.png"}, "--property"},
    {{"demo", "NEW", "--image-size", "7"}, "--image-size"},
    {{"sys", "--jdn", "noon"}, "noon"},
};

// A new subcommand needs its --help and its wrong call in the table above.
TEST(Subcommands, EachHasItsHelpAndAWrongCallExitsWithTwo) {
  const DemoRun& demo = SharedDemo();
  ASSERT_EQ(demo.result.exit, 0) << demo.result.err;
  TempDir tmp;
  std::set<std::string> covered, labware;
  for (const UsageCall& call : kUsageCalls) {
    std::vector<std::string> args = call.args;
    for (std::string& arg : args) {
      arg = arg == "DB" ? demo.database : arg == "NEW" ? tmp.File("new") : arg;
    }
    const ToolResult result = RunTool(args);
    ExpectFails(result, 2, call.says);
    EXPECT_TRUE(result.err.starts_with("projectdb " + args[0] + ": ")) << result.err;
    EXPECT_EQ(result.out, "") << args[0];
    covered.insert(args[0]);
    if (args[0] == "labware") labware.insert(args[1]);
  }
  EXPECT_FALSE(std::filesystem::exists(tmp.File("new")));
  EXPECT_EQ(labware, (std::set<std::string>{"list", "show", "refresh", "import", "export"}));
  const std::vector<std::string> listed = ListedCommands();
  for (const std::string& name : listed) {
    EXPECT_TRUE(covered.contains(name)) << name;
    const ToolResult help = RunTool({name, "--help"});
    EXPECT_EQ(help.exit, 0) << name;
    EXPECT_TRUE(help.out.starts_with("usage: projectdb " + name)) << name << ": " << help.out;
  }
}

// A call of each subcommand that reads a project database, with FILE in
// place of the database ("TMP/" names the temporary folder).
const std::vector<std::vector<std::string>> kFileCalls = {
    {"info", "FILE", "--json"},
    {"projects", "FILE", "--json"},
    {"runs", "FILE", "--json"},
    {"search", "FILE", "label:positive", "--json"},
    {"thumbs", "FILE", "1", "--cache", "TMP/thumbs.db"},
    {"labware", "list", "FILE", "--json"},
    {"labware", "show", "FILE", "3ec602441e234546ad6c917172441998"},
    {"labware", "export", "FILE", "TMP/plates.xml"},
    {"plate-map", "FILE", "1", "--property", "Nuclei count", "--out", "TMP/map.png", "--json"},
    {"upgrade", "FILE"},  // already at the current version: nothing to do
};

TEST(Subcommands, ReadersWorkOnTheDemoAndNameAFileTheyCannotUse) {
  const DemoRun& demo = SharedDemo();
  ASSERT_EQ(demo.result.exit, 0) << demo.result.err;
  TempDir tmp;
  const std::string missing = tmp.File("no such.db"), corrupt = tmp.File("corrupt.db");
  const std::string garbage = "SQLite format 3" + std::string(4096, 'x');
  std::ofstream(corrupt, std::ios::binary) << garbage;
  for (const std::vector<std::string>& call : kFileCalls) {
    for (const std::string& file : {demo.database, missing, corrupt}) {
      std::vector<std::string> args;
      for (const std::string& arg : call) {
        args.push_back(arg == "FILE"             ? file
                       : arg.starts_with("TMP/") ? tmp.File(arg.substr(4))
                                                 : arg);
      }
      const ToolResult result = RunTool(args);
      if (file == demo.database) {
        EXPECT_EQ(result.exit, 0) << call[0] << ": " << result.err;
        EXPECT_NE(result.out, "") << call[0];
        if (call.back() == "--json") {
          EXPECT_FALSE(nlohmann::json::parse(result.out, nullptr, false).is_discarded()) << call[0];
        }
      } else {
        ExpectFails(result, 1, file);
        EXPECT_TRUE(result.err.starts_with("projectdb " + call[0] + ": ")) << result.err;
      }
    }
  }
  EXPECT_FALSE(std::filesystem::exists(missing));
  EXPECT_EQ(ReadFile(corrupt), garbage);
}

// The subcommands that write into a database, on a new one.
TEST(Subcommands, WritersWorkOnANewDatabaseAndNameAFileTheyCannotUse) {
  const DemoRun& demo = SharedDemo();
  ASSERT_EQ(demo.result.exit, 0) << demo.result.err;
  TempDir tmp;
  const std::string fresh = tmp.File("fresh.db"), plates = tmp.File("plates.xml");
  ASSERT_EQ(RunTool({"create", fresh}).exit, 0);
  EXPECT_EQ(RunTool({"labware", "refresh", fresh}).exit, 0);
  ASSERT_EQ(RunTool({"labware", "export", demo.database, plates, "--custom"}).exit, 0);
  EXPECT_EQ(RunTool({"labware", "import", fresh, plates}).exit, 0);
  const ToolResult merge = RunTool({"merge", fresh, demo.database});
  EXPECT_EQ(merge.exit, 0) << merge.err;
  EXPECT_EQ(QueryNumber(fresh, "SELECT count(*) FROM frame"), 768);

  const std::string missing = tmp.File("missing.db"), corrupt = tmp.File("corrupt.db");
  std::ofstream(corrupt, std::ios::binary) << std::string(3000, '\x7f');
  for (const std::string& bad : {missing, corrupt}) {
    for (const std::vector<std::string>& call :
         std::vector<std::vector<std::string>>{{"labware", "refresh", bad},
                                               {"labware", "import", fresh, bad},
                                               {"merge", fresh, bad},
                                               {"merge", bad, fresh}}) {
      ExpectFails(RunTool(call), 1, bad);
    }
  }
  ExpectFails(RunTool({"create", corrupt}), 1, corrupt);
  EXPECT_FALSE(std::filesystem::exists(missing));
  EXPECT_EQ(ReadFile(corrupt), std::string(3000, '\x7f'));
}

// The thumbnail database makes again whatever is not one of its version; the
// tool must not hand it the project database or a user's file.
TEST(Subcommands, AThumbnailCacheThatIsNoThumbnailDatabaseIsLeftAlone) {
  const DemoRun& demo = SharedDemo();
  ASSERT_EQ(demo.result.exit, 0) << demo.result.err;
  TempDir tmp;
  const std::string notes = tmp.File("notes.txt"), copy = tmp.File("copy.db");
  std::ofstream(notes) << "my notes";
  std::filesystem::copy_file(demo.database, copy);
  const std::string before = ReadFile(copy);
  for (const std::string& cache : {notes, copy}) {
    ExpectFails(RunTool({"thumbs", demo.database, "1", "--cache", cache}), 1,
                "not a thumbnail database");
  }
  EXPECT_EQ(ReadFile(notes), "my notes");
  EXPECT_EQ(ReadFile(copy), before);
}

}  // namespace
}  // namespace qe::test
