// Every subcommand, and every labware subcommand, refuses a wrong call with
// exit status 2, and fails with 1 on files beside the database (plate files,
// thumbnail databases, pictures) that are missing, damaged or unwritable,
// leaving them as they were. Good calls and missing or damaged databases:
// conventions_test.cpp.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
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

const std::vector<UsageCall>& UsageCalls() {
  static const std::vector<UsageCall> calls = {
      {{"create"}, "expected one FILE"},
      {{"create", "a.db", "b.db"}, "expected one FILE"},
      {{"info"}, "expected one FILE"},
      {{"info", "--json"}, "expected one FILE"},
      {{"info", "DB", "DB", "--json"}, "expected one FILE"},
      {{"info", "DB", "--json=yes"}, "--json takes no value"},
      {{"upgrade"}, "FILE"},
      {{"merge", "DB"}, "expected TARGET and SOURCE"},
      {{"projects"}, "expected one FILE"},
      {{"runs", "DB", "--project", "first"}, "--project"},
      {{"search", "DB"}, "search text"},
      {{"thumbs", "DB", "1"}, "--cache"},
      {{"labware"}, "expected a subcommand"},
      {{"labware", "list"}, "list expects one FILE"},
      {{"labware", "list", "DB", "--wide"}, "unknown option '--wide'"},
      {{"labware", "show", "DB"}, "show expects FILE and UUID"},
      {{"labware", "show", "DB", "3ec602441e234546ad6c917172441998", "--png"}, "--png"},
      {{"labware", "refresh"}, "refresh expects one FILE"},
      {{"labware", "import", "DB"}, "import expects FILE and PLATES.xml"},
      {{"labware", "export", "DB"}, "export expects FILE and OUT.xml"},
      {{"labware", "export", "DB", "out.xml", "--all"}, "unknown option '--all'"},
      {{"plate-map", "DB", "1", "--out", "map.png"}, "--property"},
      {{"plate-map", "DB", "1", "--property", "Nuclei count"}, "--out"},
      {{"plate-map", "DB", "--property", "Nuclei count", "--out", "map.png"}, "RUN"},
      {{"demo", "NEW", "b"}, "at most one FOLDER"},
      {{"demo", "NEW", "--image-size", "7"}, "--image-size"},
      {{"sys", "--jdn", "noon"}, "noon"},
  };
  return calls;
}

TEST(Subcommands, WrongCallsExitWithTwoAndSayWhatIsWrong) {
  const DemoRun& demo = SharedDemo();
  ASSERT_EQ(demo.result.exit, 0) << demo.result.err;
  TempDir tmp;
  for (const UsageCall& call : UsageCalls()) {
    std::vector<std::string> args = call.args;
    for (std::string& arg : args) {
      arg = arg == "DB" ? demo.database : arg == "NEW" ? tmp.File("new") : arg;
    }
    const ToolResult result = RunTool(args);
    ExpectFails(result, 2, call.says);
    EXPECT_TRUE(result.err.starts_with("projectdb " + args[0] + ": ")) << result.err;
    EXPECT_EQ(result.out, "") << args[0];
  }
  EXPECT_FALSE(std::filesystem::exists(tmp.File("new")));
}

// Keeps the table above complete: a new subcommand needs its wrong call.
TEST(Subcommands, EverySubcommandHasAWrongCallAbove) {
  std::set<std::string> covered, labware;
  for (const UsageCall& call : UsageCalls()) {
    covered.insert(call.args[0]);
    if (call.args[0] == "labware" && call.args.size() > 1) labware.insert(call.args[1]);
  }
  const std::vector<std::string> listed = ListedCommands();
  EXPECT_GE(listed.size(), 12u);
  for (const std::string& name : listed) EXPECT_TRUE(covered.contains(name)) << name;
  EXPECT_EQ(labware, (std::set<std::string>{"list", "show", "refresh", "import", "export"}));
}

class BesideTheDatabase : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(demo_.result.exit, 0) << demo_.result.err; }
  const DemoRun& demo_ = SharedDemo();
  TempDir tmp_;
};

TEST_F(BesideTheDatabase, APlateFileThatIsMissingOrNoPlateFileImportsNothing) {
  const std::string fresh = tmp_.File("fresh.db");
  ASSERT_EQ(RunTool({"create", fresh}).exit, 0);
  const long long plates = QueryNumber(fresh, "SELECT count(*) FROM wellplatedef");
  const std::string missing = tmp_.File("missing.xml"), notXml = tmp_.File("plates.xml");
  const ToolResult gone = RunTool({"labware", "import", fresh, missing});
  ExpectFails(gone, 1, missing);
  EXPECT_NE(gone.err.find("no such file"), std::string::npos) << gone.err;
  std::ofstream(notXml) << "<Wellplates><unclosed";
  ExpectFails(RunTool({"labware", "import", fresh, notXml}), 1, notXml);
  EXPECT_EQ(QueryNumber(fresh, "SELECT count(*) FROM wellplatedef"), plates);
  EXPECT_EQ(ReadFile(notXml), "<Wellplates><unclosed");
}

// The thumbnail database makes again whatever is not one of its version; the
// tool must not hand it the project database or a user's file.
TEST_F(BesideTheDatabase, AThumbnailCacheThatIsNoThumbnailDatabaseIsLeftAlone) {
  const std::string notes = tmp_.File("notes.txt"), copy = tmp_.File("copy.db");
  std::ofstream(notes) << "my notes";
  std::filesystem::copy_file(demo_.database, copy);
  const std::string before = ReadFile(copy);
  for (const std::string& cache : {notes, copy}) {
    const ToolResult result = RunTool({"thumbs", demo_.database, "1", "--cache", cache});
    ExpectFails(result, 1, cache);
    EXPECT_NE(result.err.find("not a thumbnail database"), std::string::npos) << result.err;
  }
  EXPECT_EQ(ReadFile(notes), "my notes");
  EXPECT_EQ(ReadFile(copy), before);
  EXPECT_EQ(RunTool({"thumbs", demo_.database, "1", "--cache", tmp_.path().string()}).exit, 1);

  // An empty file becomes the thumbnail database.
  const std::string empty = tmp_.File("empty.db");
  std::ofstream{empty};
  const ToolResult made = RunTool({"thumbs", demo_.database, "1", "--cache", empty});
  EXPECT_EQ(made.exit, 0) << made.err;
  EXPECT_EQ(QueryNumber(empty, "SELECT count(*) FROM thumbnail"), 768);
}

TEST_F(BesideTheDatabase, OutputsThatCannotBeWrittenAreNamed) {
  const std::string xml = tmp_.File("no folder/out.xml"), png = tmp_.File("no folder/out.png");
  ExpectFails(RunTool({"labware", "export", demo_.database, xml}), 1, xml);
  ExpectFails(RunTool({"labware", "show", demo_.database, "3ec602441e234546ad6c917172441998",
                       "--png", png}),
              1, png);
  ExpectFails(
      RunTool({"thumbs", demo_.database, "1", "--cache", tmp_.File("thumbs.db"), "--sheet", png}),
      1, png);
  ExpectFails(
      RunTool({"plate-map", demo_.database, "1", "--property", "Nuclei count", "--out", png}), 1,
      png);
  EXPECT_FALSE(std::filesystem::exists(tmp_.File("no folder")));
}

TEST_F(BesideTheDatabase, RowsThatDoNotExistAreNamed) {
  const std::string none = "00000000000000000000000000000000";
  ExpectFails(RunTool({"runs", demo_.database, "--project", "99"}), 1, "99");
  ExpectFails(RunTool({"thumbs", demo_.database, "99", "--cache", tmp_.File("t.db")}), 1,
              "no run '99'");
  ExpectFails(RunTool({"plate-map", demo_.database, "99", "--property", "Nuclei count", "--out",
                       tmp_.File("x.png")}),
              1, "no run '99'");
  ExpectFails(RunTool({"labware", "show", demo_.database, none}), 1, none);
  EXPECT_FALSE(std::filesystem::exists(tmp_.File("x.png")));
}

TEST_F(BesideTheDatabase, OptionsTakeTheirValueEitherWayAndASearchMayStartWithADash) {
  const ToolResult runs = RunTool({"runs", "--project=1", demo_.database, "--json"});
  EXPECT_EQ(runs.exit, 0) << runs.err;
  EXPECT_NE(runs.out.find("Nuclei screen plate 1"), std::string::npos) << runs.out;
  const ToolResult thumbs =
      RunTool({"thumbs", demo_.database, "1", "--cache=" + tmp_.File("t.db")});
  EXPECT_EQ(thumbs.exit, 0) << thumbs.err;
  // "-label:..." is a search word, not an option.
  const ToolResult search = RunTool({"search", demo_.database, "label:positive", "-label:missing"});
  EXPECT_EQ(search.exit, 0) << search.err;
  EXPECT_NE(search.out.find("1 run found"), std::string::npos) << search.out;
}

}  // namespace
}  // namespace qe::test
