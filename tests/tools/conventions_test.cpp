// What every projectdb subcommand shares: --help, exit status 0 / 1 / 2,
// errors on stderr that name the file, JSON that parses.
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

#include "support/temp_dir.h"
#include "tools/demo_fixture.h"
#include "tools/tool_runner.h"

namespace qe::test {
namespace {

TEST(Conventions, TheOverviewListsEverySubcommandAndEachHasItsHelp) {
  const std::vector<std::string> names = ListedCommands();
  const std::set<std::string> listed(names.begin(), names.end());
  for (const char* expected : {"create", "demo", "info", "labware", "plate-map", "projects", "runs",
                               "search", "sys", "thumbs"}) {
    EXPECT_TRUE(listed.contains(expected)) << expected;
  }
  for (const std::string& name : names) {
    for (const char* flag : {"--help", "-h"}) {
      const ToolResult help = RunTool({name, flag});
      EXPECT_EQ(help.exit, 0) << name;
      EXPECT_TRUE(help.out.starts_with("usage: projectdb " + name)) << name << ": " << help.out;
      EXPECT_EQ(help.err, "") << name;
    }
  }
}

TEST(Conventions, UsageErrorsExitWithTwoAndSaySoOnStderr) {
  EXPECT_EQ(RunTool({}).exit, 2);
  const ToolResult unknown = RunTool({"no-such-command"});
  ExpectFails(unknown, 2, "no-such-command");
  EXPECT_EQ(unknown.out, "");
  EXPECT_EQ(RunTool({"--version"}).exit, 0);
  EXPECT_EQ(RunTool({"sys"}).exit, 0);

  for (const std::string& name : ListedCommands()) {
    const ToolResult bad = RunTool({name, "--no-such-option"});
    EXPECT_EQ(bad.exit, 2) << name << ": " << bad.err;
    EXPECT_TRUE(bad.err.starts_with("projectdb " + name + ": ")) << name << ": " << bad.err;
    EXPECT_EQ(bad.out, "") << name;
  }
}

// A call of each subcommand that reads a project database, with FILE in
// place of the database.
struct FileCall {
  const char* name;
  std::vector<std::string> args;  // "FILE" is replaced, "TMP/" names the temporary folder
};

std::vector<std::string> Expand(const FileCall& call, const std::string& file, const TempDir& tmp) {
  std::vector<std::string> args{call.name};
  for (const std::string& arg : call.args) {
    args.push_back(arg == "FILE" ? file : arg.starts_with("TMP/") ? tmp.File(arg.substr(4)) : arg);
  }
  return args;
}

const std::vector<FileCall>& FileCalls() {
  static const std::vector<FileCall> calls = {
      {"info", {"FILE"}},
      {"projects", {"FILE"}},
      {"runs", {"FILE"}},
      {"search", {"FILE", "label:positive"}},
      {"thumbs", {"FILE", "1", "--cache", "TMP/thumbs.db"}},
      {"labware", {"list", "FILE"}},
      {"labware", {"show", "FILE", "3ec602441e234546ad6c917172441998"}},
      {"labware", {"export", "FILE", "TMP/plates.xml"}},
      {"plate-map", {"FILE", "1", "--property", "Nuclei count", "--out", "TMP/map.png"}},
      // Already at the current version: nothing to do.
      {"upgrade", {"FILE"}},
  };
  return calls;
}

TEST(Conventions, EveryReaderWorksOnTheDemoDatabase) {
  const DemoRun& demo = SharedDemo();
  ASSERT_EQ(demo.result.exit, 0) << demo.result.err;
  TempDir tmp;
  for (const FileCall& call : FileCalls()) {
    const ToolResult good = RunTool(Expand(call, demo.database, tmp));
    EXPECT_EQ(good.exit, 0) << call.name << ": " << good.err;
    EXPECT_NE(good.out, "") << call.name;
  }
}

TEST(Conventions, AMissingFileFailsWithOneAndIsNamed) {
  TempDir tmp;
  const std::string missing = tmp.File("no such.db");
  for (const FileCall& call : FileCalls()) {
    const ToolResult result = RunTool(Expand(call, missing, tmp));
    ExpectFails(result, 1, missing);
    EXPECT_TRUE(result.err.starts_with(std::string("projectdb ") + call.name + ": ")) << call.name;
  }
  EXPECT_FALSE(std::filesystem::exists(missing));
  // A file where its folder should be.
  std::ofstream(tmp.File("plain")) << "a file";
  ExpectFails(RunTool({"create", tmp.File("plain/new.db")}), 1, "plain/new.db");
}

TEST(Conventions, AFileThatIsNoDatabaseFailsWithOneAndStaysAsItWas) {
  TempDir tmp;
  const std::string corrupt = tmp.File("corrupt.db");
  const std::string garbage(4096, 'x');
  std::ofstream(corrupt, std::ios::binary) << "SQLite format 3" << garbage;
  for (const FileCall& call : FileCalls()) {
    ExpectFails(RunTool(Expand(call, corrupt, tmp)), 1, corrupt);
  }
  ExpectFails(RunTool({"create", corrupt}), 1, corrupt);
  EXPECT_EQ(ReadFile(corrupt), "SQLite format 3" + garbage);
}

// The subcommands that write into a database, on a new one.
TEST(Conventions, WritersWorkOnANewDatabaseAndNameFilesTheyCannotUse) {
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
                                               {"labware", "import", bad, plates},
                                               {"merge", fresh, bad},
                                               {"merge", bad, fresh}}) {
      ExpectFails(RunTool(call), 1, bad);
    }
  }
  EXPECT_FALSE(std::filesystem::exists(missing));
  EXPECT_EQ(ReadFile(corrupt), std::string(3000, '\x7f'));
}

TEST(Conventions, ListingsPrintJsonThatParses) {
  const DemoRun& demo = SharedDemo();
  ASSERT_EQ(demo.result.exit, 0) << demo.result.err;
  const nlohmann::json p = RunJson({"projects", demo.database, "--json"});
  ASSERT_EQ(p.size(), 1u);
  EXPECT_EQ(p[0]["name"], "Demo screen");
  EXPECT_EQ(p[0]["frames"], 768);

  const nlohmann::json r = RunJson({"runs", demo.database, "--json"});
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0]["files"], 96);
  EXPECT_EQ(r[0]["frames"], 768);
  EXPECT_GT(r[0]["finishedJdn"].get<double>(), r[0]["startedJdn"].get<double>());

  const nlohmann::json found = RunJson({"search", demo.database, "label:positive", "--json"});
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0]["runName"], "Nuclei screen plate 1");
  EXPECT_EQ(RunJson({"search", demo.database, "label:none", "--json"}), nlohmann::json::array());

  const nlohmann::json stored = RunJson({"labware", "list", demo.database, "--json"});
  EXPECT_GT(stored["labware"].size(), 500u);
  EXPECT_EQ(stored["catalogueVersions"]["plate"], 6);
}

TEST(Conventions, TimesFollowTheUsersLocale) {
  const DemoRun& demo = SharedDemo();
  ASSERT_EQ(demo.result.exit, 0) << demo.result.err;
  auto started = [&](const char* locale) {
    const nlohmann::json runs =
        RunJson({"runs", demo.database, "--json"}, 0, {{"LC_ALL", locale}, {"TZ", "UTC"}});
    return runs[0]["started"].get<std::string>();
  };
  const std::string english = started("en_US.UTF-8");
  const std::string german = started("de_DE.UTF-8");
  EXPECT_NE(english, german);
  // German dates are day.month.year.
  EXPECT_NE(german.find('.'), std::string::npos) << german;
}

}  // namespace
}  // namespace qe::test
