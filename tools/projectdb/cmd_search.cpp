// projectdb search: runs a search-box text on a project database.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "cli_util.h"
#include "command.h"
#include "qe/projectdb/schema.h"
#include "qe/projectdb/search.h"
#include "qe/projectdb/sys.h"
#include "qe/sqlite/cmd.h"
#include "qe/sqlite/sql_text.h"

namespace {

constexpr const char* kHelp =
    "usage: projectdb search FILE TEXT... [--sql] [--json]\n"
    "\n"
    "Searches the project database FILE the way the search box does and prints\n"
    "the runs found: job definition, run and time (local zone, user's locale).\n"
    "Several TEXT arguments are joined with blanks. When part of the text could\n"
    "not be read, \"search stopped at: ...\" names it on stderr and the search\n"
    "runs with what was read.\n"
    "\n"
    "options:\n"
    "  --sql   print the SQL the text gives instead of running it\n"
    "  --json  print the runs found as one JSON array of objects, with keys\n"
    "          and the time also as a JDN number\n"
    "\n"
    "examples:\n"
    "  projectdb search my.db \"cell nucleus\"\n"
    "  projectdb search my.db 'label:dapi -label:gfp last:10'\n"
    "  projectdb search my.db 'date>1.3.2024 9:30 job:screen*' --sql\n"
    "\n"
    "The language: docs/search-language.md.\n";

struct FoundRun {
  CQeStringW jobdef;
  CQeStringW run;
  CQeStringW time;
  long long jobdefKey = 0;
  long long runKey = 0;
  double jdn = 0.0;  // 0 when the row has no time
};

// The name in the row of a table with that key, or "#key" when it has none.
CQeStringW NameOf(sqlite3* db, const SQeSqliteTableDef& table, long long key) {
  const int name = QeProjectDb_Schema_FindColumn(&table, L"wszName");
  CQeSqliteCmd cmd(db,
                   QeSqlite_FormatSql(L"SELECT %s FROM %s WHERE %s=?", table.pColumns[name].wszName,
                                      table.wszName, table.pColumns[0].wszName));
  cmd.Bind(1, key);
  CQeStringW text;
  if (cmd.Next()) text = cmd.ColumnString(0);
  if (text.IsEmpty()) text.Format(L"#%I64d", static_cast<int64_t>(key));
  return text;
}

void PrintTable(const std::vector<FoundRun>& runs) {
  size_t widthJobdef = std::wstring(L"job definition").size();
  size_t widthRun = std::wstring(L"run").size();
  for (const FoundRun& found : runs) {
    widthJobdef = std::max(widthJobdef, found.jobdef.str().size());
    widthRun = std::max(widthRun, found.run.str().size());
  }
  auto line = [&](const CQeStringW& jobdef, const CQeStringW& run, const CQeStringW& time) {
    std::wstring text = jobdef.str();
    text.resize(widthJobdef + 2, L' ');
    text += run.str();
    text.resize(widthJobdef + 2 + widthRun + 2, L' ');
    text += time.str();
    while (!text.empty() && text.back() == L' ') text.pop_back();
    qe::cli::PrintLine(CQeStringW(text));
  };
  line(L"job definition", L"run", L"time");
  for (const FoundRun& found : runs) line(found.jobdef, found.run, found.time);
}

int RunSearch(const std::vector<std::string>& args) {
  // Only "--" starts an option: a search text may begin with "-" ("-label:gfp").
  bool printSql = false;
  bool json = false;
  std::vector<std::string> positional;
  for (const std::string& arg : args) {
    if (arg == "--sql") {
      printSql = true;
    } else if (arg == "--json") {
      json = true;
    } else if (arg.starts_with("--")) {
      return qe::cli::UsageError("search", "unknown option '" + arg + "'");
    } else {
      positional.push_back(arg);
    }
  }
  if (positional.size() < 2) {
    return qe::cli::UsageError("search", "needs a database file and a search text");
  }
  std::string text;
  for (size_t i = 1; i < positional.size(); ++i) text += (i > 1 ? " " : "") + positional[i];

  SQeProjectDbSearchParser parser(CQeStringW::FromUtf8(text));
  int stop = 0;
  const bool matched = parser.MatchQuery(&stop);
  const CQeStringW rest = parser.wszQuery.Mid(stop);
  if (!matched) {
    qe::cli::PrintError("search", "nothing to search for; search stopped at: " + rest.ToUtf8());
    return qe::cli::kExitFailure;
  }
  if (!rest.IsEmpty()) qe::cli::PrintError("search", "search stopped at: " + rest.ToUtf8());
  const CQeStringW sql = parser.MakeSqlQuery();
  if (printSql) {
    qe::cli::PrintLine(sql);
    return qe::cli::kExitOk;
  }

  qe::cli::Database database;
  if (!database.Open("search", positional[0], false)) return qe::cli::kExitFailure;
  sqlite3* db = database.db();

  std::vector<FoundRun> runs;
  {
    CQeSqliteCmd cmd(db, sql);
    while (cmd.Next()) {
      FoundRun found;
      found.jobdefKey = cmd.ColumnInt64(0);
      found.runKey = cmd.ColumnInt64(1);
      found.jobdef = NameOf(db, g_QeProjectDbTable_jobdef, found.jobdefKey);
      found.run = NameOf(db, g_QeProjectDbTable_jobrun, found.runKey);
      if (!cmd.IsNull(2)) {
        found.jdn = cmd.ColumnDouble(2);
        found.time = QeProjectDb_Sys_JdnFormat(found.jdn);
      }
      runs.push_back(found);
    }
    if (cmd.Result() != 0) {
      qe::cli::PrintError("search", "the search in '" + positional[0] + "' failed (SQLite status " +
                                        std::to_string(cmd.Result()) +
                                        "): " + cmd.ErrorMessage().ToUtf8());
      return qe::cli::kExitFailure;
    }
  }
  if (json) {
    nlohmann::ordered_json out = nlohmann::ordered_json::array();
    for (const FoundRun& found : runs) {
      out.push_back({{"jobDefinition", found.jobdefKey},
                     {"jobDefinitionName", found.jobdef.ToUtf8()},
                     {"run", found.runKey},
                     {"runName", found.run.ToUtf8()},
                     {"time", found.time.ToUtf8()},
                     {"timeJdn", found.jdn}});
    }
    qe::cli::PrintJson(out);
    return qe::cli::kExitOk;
  }
  PrintTable(runs);
  std::printf("%zu run%s found\n", runs.size(), runs.size() == 1 ? "" : "s");
  return qe::cli::kExitOk;
}

}  // namespace

QE_CLI_COMMAND("search", "search a project database with the search-box language", kHelp,
               &RunSearch);
