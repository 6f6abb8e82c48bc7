// Every subcommand, and every labware subcommand, refuses a wrong call with
// exit status 2, and fails with 1 on files beside the database (plate files,
// thumbnail databases, pictures) that are missing, damaged or unwritable,
// leaving them as they were. Good calls and missing or damaged databases:
// conventions_test.cpp.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "support/temp_dir.h"
#include "tools/demo_fixture.h"
#include "tools/tool_runner.h"

namespace qe::test {
namespace {

struct UsageCall {
  std::vector<std::string> args;  // "DB" is replaced by the demo database
  const char* says;               // a part of the message
};

std::vector<std::string> WithDatabase(std::vector<std::string> args, const std::string& db) {
  for (std::string& arg : args) {
    if (arg == "DB") arg = db;
  }
  return args;
}

const std::vector<UsageCall>& UsageCalls() {
  static const std::vector<UsageCall> calls = {
      {{"create"}, "expected one FILE"},
      {{"create", "a.db", "b.db"}, "expected one FILE"},
      {{"info"}, "expected one FILE"},
      {{"info", "DB", "--json=1"}, "takes no value"},
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
      {{"demo", "a", "b"}, "at most one FOLDER"},
      {{"sys", "--jdn", "noon"}, "noon"},
  };
  return calls;
}

TEST(Subcommands, WrongCallsExitWithTwoAndSayWhatIsWrong) {
  const DemoRun& demo = SharedDemo();
  ASSERT_EQ(demo.result.exit, 0) << demo.result.err;
  for (const UsageCall& call : UsageCalls()) {
    const ToolResult result = RunTool(WithDatabase(call.args, demo.database));
    const std::string name = call.args[0];
    EXPECT_EQ(result.exit, 2) << name << ": " << result.err;
    EXPECT_TRUE(result.err.starts_with("projectdb " + name + ": ")) << result.err;
    EXPECT_NE(result.err.find(call.says), std::string::npos) << result.err;
    EXPECT_EQ(result.out, "") << name;
  }
}

// Keeps the table above complete: a new subcommand needs its wrong call.
TEST(Subcommands, EverySubcommandHasAWrongCallAbove) {
  std::set<std::string> covered;
  std::set<std::string> labware;
  for (const UsageCall& call : UsageCalls()) {
    covered.insert(call.args[0]);
    if (call.args[0] == "labware" && call.args.size() > 1) labware.insert(call.args[1]);
  }
  std::istringstream overview(RunTool({"--help"}).out);
  bool inList = false;
  int listed = 0;
  for (std::string line; std::getline(overview, line);) {
    if (line == "commands:") {
      inList = true;
    } else if (inList && line.starts_with("  ") && line.size() > 2 && line[2] != ' ') {
      const std::string name = line.substr(2, line.find(' ', 2) - 2);
      EXPECT_TRUE(covered.contains(name)) << name;
      ++listed;
    }
  }
  EXPECT_GE(listed, 12);
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

  const std::string missing = tmp_.File("missing.xml");
  const ToolResult gone = RunTool({"labware", "import", fresh, missing});
  EXPECT_EQ(gone.exit, 1);
  EXPECT_NE(gone.err.find(missing), std::string::npos) << gone.err;
  EXPECT_NE(gone.err.find("no such file"), std::string::npos) << gone.err;

  const std::string notXml = tmp_.File("plates.xml");
  std::ofstream(notXml) << "<Wellplates><unclosed";
  const ToolResult broken = RunTool({"labware", "import", fresh, notXml});
  EXPECT_EQ(broken.exit, 1);
  EXPECT_NE(broken.err.find(notXml), std::string::npos) << broken.err;
  EXPECT_EQ(QueryNumber(fresh, "SELECT count(*) FROM wellplatedef"), plates);
  EXPECT_EQ(ReadFile(notXml), "<Wellplates><unclosed");
}

TEST_F(BesideTheDatabase, AThumbnailCacheThatIsNoThumbnailDatabaseIsLeftAlone) {
  // The thumbnail database makes again whatever is not one of its version;
  // the tool must not hand it the project database or a user's file.
  const std::string notes = tmp_.File("notes.txt");
  std::ofstream(notes) << "my notes";
  const std::string copy = tmp_.File("copy.db");
  std::filesystem::copy_file(demo_.database, copy);
  const std::string before = ReadFile(copy);
  for (const std::string& cache : {notes, copy}) {
    const ToolResult result = RunTool({"thumbs", demo_.database, "1", "--cache", cache});
    EXPECT_EQ(result.exit, 1) << cache;
    EXPECT_NE(result.err.find(cache), std::string::npos) << result.err;
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
  const std::string nowhere = tmp_.File("no folder/out");
  const ToolResult xml = RunTool({"labware", "export", demo_.database, nowhere + ".xml"});
  EXPECT_EQ(xml.exit, 1);
  EXPECT_NE(xml.err.find(nowhere + ".xml"), std::string::npos) << xml.err;
  const ToolResult png = RunTool({"labware", "show", demo_.database,
                                  "3ec602441e234546ad6c917172441998", "--png", nowhere + ".png"});
  EXPECT_EQ(png.exit, 1);
  EXPECT_NE(png.err.find(nowhere + ".png"), std::string::npos) << png.err;
  const ToolResult sheet = RunTool({"thumbs", demo_.database, "1", "--cache",
                                    tmp_.File("thumbs.db"), "--sheet", nowhere + ".png"});
  EXPECT_EQ(sheet.exit, 1);
  EXPECT_NE(sheet.err.find(nowhere + ".png"), std::string::npos) << sheet.err;
  EXPECT_FALSE(std::filesystem::exists(tmp_.File("no folder")));
}

TEST_F(BesideTheDatabase, RowsThatDoNotExistAreNamed) {
  const ToolResult project = RunTool({"runs", demo_.database, "--project", "99"});
  EXPECT_EQ(project.exit, 1);
  EXPECT_NE(project.err.find("99"), std::string::npos) << project.err;
  const ToolResult run = RunTool({"thumbs", demo_.database, "99", "--cache", tmp_.File("t.db")});
  EXPECT_EQ(run.exit, 1);
  EXPECT_NE(run.err.find("no run '99'"), std::string::npos) << run.err;
  const ToolResult uuid =
      RunTool({"labware", "show", demo_.database, "00000000000000000000000000000000"});
  EXPECT_EQ(uuid.exit, 1);
  EXPECT_NE(uuid.err.find("00000000000000000000000000000000"), std::string::npos) << uuid.err;
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
