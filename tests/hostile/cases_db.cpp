// Cases: files and connections (paths whose names are hostile texts),
// options, savepoints, merge, upgrade, schema lookups, search and the
// date, name and path helpers.
#include <gtest/gtest.h>

#include <cwctype>
#include <filesystem>
#include <fstream>

#include "hostile/hostile_support.h"
#include "qe/projectdb/connection.h"
#include "qe/projectdb/db.h"
#include "qe/projectdb/merge.h"
#include "qe/projectdb/records/project.h"
#include "qe/projectdb/schema.h"
#include "qe/projectdb/schema_history.h"
#include "qe/projectdb/search.h"
#include "qe/projectdb/sys.h"
#include "qe/projectdb/upgrade.h"
#include "support/projectdb/old_version_db.h"
#include "support/scoped_env.h"

namespace qe::hostile {
namespace {

namespace fs = std::filesystem;
using Parser = SQeProjectDbSearchParser;

constexpr int kCantOpen = 14;  // SQLite's status for a file it cannot open

fs::path Fs(const CQeStringW& path) { return fs::path(path.ToUtf8()); }

bool IsFile(const CQeStringW& path) {
  std::error_code error;
  return fs::is_regular_file(Fs(path), error);
}

// Runs SQL made by the search on the fixture database to its end.
void RunsToTheEnd(Ctx& c, const CQeStringW& sql) {
  if (sql.IsEmpty()) return;
  sqlite3_stmt* stmt = nullptr;
  const std::string utf8 = sql.ToUtf8();
  ASSERT_EQ(sqlite3_prepare_v2(c.Db(), utf8.c_str(), -1, &stmt, nullptr), SQLITE_OK)
      << sqlite3_errmsg(c.Db()) << " in " << utf8.substr(0, 300);
  int step;
  while ((step = sqlite3_step(stmt)) == SQLITE_ROW) {
  }
  EXPECT_EQ(step, SQLITE_DONE) << sqlite3_errmsg(c.Db());
  sqlite3_finalize(stmt);
}

using MakeSubquery = CQeStringW (*)(Parser::EQeComparator, const std::vector<CQeStringW>&);

// Two new project databases named by texts of the call; the second merged
// into the first.
template <typename Merge>
void MergeNamedFiles(Ctx& c, Merge merge) {
  const CQeStringW target = c.PathIn(0) + L".db", source = c.PathIn(1) + L".db";
  const int created = QeProjectDb_Db_Create(target) | QeProjectDb_Db_Create(source);
  c.MayLog({kCantOpen});
  const int status = merge(target, source);
  if (created == 0 && c.Hostile().Find(L'\\') < 0) {
    c.Ok(status);
  } else {
    // The merge reads both separators in a path, so a file name with a
    // backslash names another file, one that does not exist.
    c.Status(status, {-9, kCantOpen});  // a name the file system refuses
  }
  Ctx::Forget(target);
  Ctx::Forget(source);
}

// A free folder name from a walker open on two new files (see above).
template <typename Free>
void FreeFolder(Ctx& c, const CQeStringW& name, Free free) {
  MergeNamedFiles(c, [&](const CQeStringW& target, const CQeStringW& source) {
    CQeProjectDbMergeWalker walker;
    if (const int status = walker.Open(target, source); status != 0) return status;
    CQeStringW out;
    const int status = free(walker, out);
    c.Status(status, {0, -9});
    if (status == 0) c.RoundTrip(out, name, "a free folder name");
    return walker.Finish();
  });
}

class CProgress : public CQeProgressDialog {
 public:
  void SetPos(int32_t percent) override { last = percent; }
  int last = -1;
};

const int kRegistered = [] {
  // ---- Connecting and files ----
  using Connect = uint32_t (*)(const CQeStringW&);
  for (auto [name, connect] : {std::pair<const char*, Connect>{"Connect", QeProjectDb_Db_Connect},
                               {"ConnectForRead", QeProjectDb_Db_ConnectForRead}}) {
    Case(std::string("QeProjectDb_Db_") + name, 1, [connect](Ctx& c) {
      const CQeStringW path = c.PathIn(0);
      c.MayLog({kCantOpen});
      EXPECT_EQ(connect(path), 0u);  // no such file, and none made
      EXPECT_FALSE(IsFile(path));
    });
  }
  Case("QeProjectDb_Db_ProjectFolderName", 1, [](Ctx& c) {
    const CQeStringW name = QeProjectDb_Db_ProjectFolderName(c.T(0));
    EXPECT_TRUE(name == L"Projects/" || name == L"HCS Projects/" || name == L"Job Projects/");
  });
  Case("QeProjectDb_Db_Create", 1, [](Ctx& c) {
    // A file named by the text: made, inspected, connected to.
    const CQeStringW path = c.PathIn(0) + L".db";
    c.MayLog({kCantOpen});
    const int status = QeProjectDb_Db_Create(path);
    c.Status(status, {0, kCantOpen});
    if (status != 0) return;
    SQeProjectDbFileInfo info;
    c.Ok(QeProjectDb_Db_GetInfo(path, &info));
    EXPECT_EQ(info.iVersion, 77);
    EXPECT_TRUE(info.wszPath == path);
    const uint32_t h = QeProjectDb_Db_Connect(path);
    ASSERT_NE(h, 0u);
    c.RoundTrip(QeProjectDb_Db_Filename(h), path, "file name of the connection");
    QeProjectDb_Db_Disconnect(h);
    const uint32_t r = QeProjectDb_Db_ConnectForRead(path);
    EXPECT_NE(r, 0u);
    QeProjectDb_Db_Disconnect(r);
    Ctx::Forget(path);
  });
  Case("QeProjectDb_Db_GetInfo", 1, [](Ctx& c) {
    const CQeStringW path = c.PathIn(0);
    SQeProjectDbFileInfo info;
    // The empty text names the folder itself, which opens but cannot be
    // read (10).
    c.Status(QeProjectDb_Db_GetInfo(path, &info), {kCantOpen, SQLITE_IOERR});
    EXPECT_FALSE(IsFile(path));
  });
  Case("QeProjectDb_Db_Upgrade", 1, [](Ctx& c) {
    const CQeStringW path = c.PathIn(0) + L".db";
    CProgress progress;
    c.MayLog({kCantOpen});
    if (qe::test::BuildProjectDbAtVersion(path.str(), 70) != 0) {
      c.Status(QeProjectDb_Db_Upgrade(path, &progress), {kCantOpen});
      return;
    }
    c.Ok(QeProjectDb_Db_Upgrade(path, &progress));
    EXPECT_EQ(progress.last, 100);
    SQeProjectDbFileInfo info;
    c.Ok(QeProjectDb_Db_GetInfo(path, &info));
    EXPECT_EQ(info.iVersion, 77);
    Ctx::Forget(path);
  });
  // ---- Options ----
  Case("QeProjectDb_Db_GetOptStr", 1,
       [](Ctx& c) { EXPECT_TRUE(QeProjectDb_Db_GetOptStr(c.h, c.T(0)).IsEmpty()); });
  Case("QeProjectDb_Db_SetOptStr", 2, [](Ctx& c) {
    // The name under test is refused; a hostile value of a known name
    // is refused as not being one word.
    const CQeStringW name = c.IsHostile(0) ? c.T(0) : CQeStringW(L"synchronous");
    const CQeStringW value = c.IsHostile(1) ? c.T(1) : CQeStringW(L"normal");
    c.Status(QeProjectDb_Db_SetOptStr(c.h, name, value), {-13, 1});
    EXPECT_TRUE(QeProjectDb_Db_GetOptStr(c.h, L"synchronous") == L"normal");
  });
  Case("QeProjectDb_Db_GetOptInt32", 1,
       [](Ctx& c) { EXPECT_EQ(QeProjectDb_Db_GetOptInt32(c.h, c.T(0)), 0); });
  Case("QeProjectDb_Db_SetOptInt32", 1, [](Ctx& c) {
    c.Status(QeProjectDb_Db_SetOptInt32(c.h, c.T(0), 5), {-13});
    EXPECT_EQ(QeProjectDb_Db_GetOptInt32(c.h, L"folderformat"), 1);
  });
  // ---- Savepoints: a name that is not a plain identifier is refused ----
  Case("QeProjectDb_Db_SavepointSet", 1, [](Ctx& c) {
    const CQeStringW name = c.T(0);
    const int set = QeProjectDb_Db_SavepointSet(c.h, name);
    c.Status(set, {0, -9});
    if (set == 0) c.Ok(QeProjectDb_Db_SavepointRelease(c.h, name));
  });
  Case("QeProjectDb_Db_SavepointRelease", 1, [](Ctx& c) {
    c.Status(QeProjectDb_Db_SavepointRelease(c.h, c.T(0)), {-9});  // none is open
    c.MayLog({SQLITE_ERROR});  // "no such savepoint" from a name SQLite read
  });
  Case("QeProjectDb_Db_SavepointRollback", 1, [](Ctx& c) {
    const CQeStringW name = c.T(0);
    const int set = QeProjectDb_Db_SavepointSet(c.h, name);
    if (set == 0) {
      c.Ok(QeProjectDb_Proj_Update(c.h, c.f.projKey, L"changed", L"x"));
      c.Ok(QeProjectDb_Db_SavepointRollback(c.h, name));
      c.Ok(QeProjectDb_Db_SavepointRelease(c.h, name));
    } else {
      c.Status(QeProjectDb_Db_SavepointRollback(c.h, name), {-9});
    }
  });
  // ---- Merge ----
  Case("QeProjectDb_Db_MergeDb", 2, [](Ctx& c) { MergeNamedFiles(c, QeProjectDb_Db_MergeDb); });
  Case("QeProjectDb_Db_MergeDbEx", 2, [](Ctx& c) {
    MergeNamedFiles(c, [](const CQeStringW& target, const CQeStringW& source) {
      SQeProjectDbMergeReport report;
      const int status = QeProjectDb_Db_MergeDbEx(target, source, nullptr, &report);
      EXPECT_EQ(status == 0, report.wszMessage.IsEmpty());
      return status;
    });
  });
  Case("CQeProjectDbMergeWalker::Open", 2, [](Ctx& c) {
    MergeNamedFiles(c, [](const CQeStringW& target, const CQeStringW& source) {
      CQeProjectDbMergeWalker walker;
      const int status = walker.Open(target, source);
      walker.Finish();
      return status;
    });
  });
  Case("CQeProjectDbMergeWalker::FreeProjectFolder", 1, [](Ctx& c) {
    FreeFolder(c, c.t[0],
               [&](auto& walker, auto& out) { return walker.FreeProjectFolder(c.t[0], out); });
  });
  Case("CQeProjectDbMergeWalker::FreeJobrunFolder", 2, [](Ctx& c) {
    FreeFolder(c, c.t[1], [&](auto& walker, auto& out) {
      return walker.FreeJobrunFolder(c.t[0], c.t[1], out);
    });
  });
  Case("CQeProjectDbMergeWalker::Abort", 1, [](Ctx& c) {
    const CQeStringW message = c.T(0);
    const CQeStringW target = CQeStringW::FromUtf8(c.Folder()) + L"/target.db";
    const CQeStringW source = CQeStringW::FromUtf8(c.Folder()) + L"/source.db";
    ASSERT_EQ(QeProjectDb_Db_Create(target) | QeProjectDb_Db_Create(source), 0);
    {
      SQeProjectDbMergeReport report;
      CQeProjectDbMergeWalker walker(nullptr, &report);
      ASSERT_EQ(walker.Open(target, source), 0);
      walker.Abort(-9, message);
      EXPECT_EQ(walker.Finish(), -9);
      c.RoundTrip(report.wszMessage, message, "message");
    }
    Ctx::Forget(target);
    Ctx::Forget(source);
  });
  Case("CQeProjectDbMergeWalker::OnMergeFolder", 1, [](Ctx& c) {
    SQeProjectDbMergeReport report;
    CQeProjectDbMergeWalker walker(nullptr, &report);
    walker.OnMergeFolder(c.T(0), true, 0);
    walker.OnMergeFolder(c.T(0), false, -9);
    EXPECT_EQ(report.iFoldersCreated, 1);
    EXPECT_EQ(report.iFolderFailures, 1);
  });
  Case("CQeProjectDbMergeWalker::OnMergeCopy", 2, [](Ctx& c) {
    SQeProjectDbMergeReport report;
    CQeProjectDbMergeWalker walker(nullptr, &report);
    const CQeStringW source = c.T(0);
    walker.OnMergeCopy(source, c.T(1), -13);
    ASSERT_EQ(report.missingFiles.size(), 1u);
    c.RoundTrip(report.missingFiles[0], source, "missing file");
  });
  // ---- Not called with hostile texts ----
  Excluded("IQeProjectDbMergeProgress::OnMergeTableStart",
           "implemented by the host; the library passes its own table names");
  Excluded("IQeProjectDbMergeFilesObserver::OnMergeFolder",
           "an observer interface; the walker's implementation is a case");
  Excluded("IQeProjectDbMergeFilesObserver::OnMergeCopy",
           "an observer interface; the walker's implementation is a case");
  Excluded("CQeProjectDbMergeWalker::Fail", "private; reached through Abort");
  Excluded("CQeProjectDbMergeWalker::CheckFiles", "private; reached through Open");
  Excluded("CQeProjectDbMergeWalker::ReadCount", "private; runs the library's own SQL");
  Excluded("CQeProjectDbMergeWalker::FolderInUse",
           "private; reached through FreeProjectFolder and FreeJobrunFolder");
  // ---- Schema ----
  Case("QeProjectDb_Schema_FindTable", 1,
       [](Ctx& c) { EXPECT_EQ(QeProjectDb_Schema_FindTable(c.T(0)), nullptr); });
  Case("QeProjectDb_Schema_FindColumn", 1, [](Ctx& c) {
    EXPECT_EQ(QeProjectDb_Schema_FindColumn(QeProjectDb_Schema_FindTable(L"jobrun"), c.T(0)), -1);
  });
  Case("QeProjectDb_SchemaHistory_FindTable", 1,
       [](Ctx& c) { EXPECT_EQ(QeProjectDb_SchemaHistory_FindTable(40, c.T(0)), nullptr); });
  // ---- Search ----
  Case("SQeProjectDbSearchParser::SQeProjectDbSearchParser", 1, [](Ctx& c) {
    for (const CQeStringW& text : {c.T(0), CQeStringW(L"label:") + c.Hostile(),
                                   CQeStringW(L"job=\"") + c.Hostile() + L"\""}) {
      Parser parser(text);
      int stop = -1;
      const bool matched = parser.MatchQuery(&stop);
      const CQeStringW sql = parser.MakeSqlQuery();
      EXPECT_EQ(matched, !sql.IsEmpty());
      RunsToTheEnd(c, sql);
    }
  });
  for (auto [name, make] : std::initializer_list<std::pair<const char*, MakeSubquery>>{
           {"Assay", Parser::MakeSqlSubquery_Assay},
           {"Job", Parser::MakeSqlSubquery_Job},
           {"Keyword", Parser::MakeSqlSubquery_Keyword},
           {"Label", Parser::MakeSqlSubquery_Label},
           {"Plate", Parser::MakeSqlSubquery_Plate},
           {"Quantity", Parser::MakeSqlSubquery_Quantity}}) {
    Case(std::string("SQeProjectDbSearchParser::MakeSqlSubquery_") + name, 2, [make](Ctx& c) {
      for (auto comparator : {Parser::eComparatorContains, Parser::eComparatorEquals}) {
        RunsToTheEnd(c, make(comparator, c.t));
      }
    });
  }
  Case("SQeProjectDbSearchParser::MakeSqlWhereForWords", 2, [](Ctx& c) {
    // The column is the library's own "table.column"; the words are typed.
    for (auto comparator : {Parser::eComparatorContains, Parser::eComparatorEquals}) {
      const CQeStringW where = Parser::MakeSqlWhereForWords(L"jobrun.wszName", comparator, c.t);
      if (!where.IsEmpty()) RunsToTheEnd(c, L"SELECT 1 FROM jobrun WHERE " + where);
    }
  });
  Excluded("SQeProjectDbSearchParser::MakeSqlWhereForDate",
           "the column is the library's own table.column name, never a typed text");
  Case("SQeProjectDbSearchParser::Concatenate", 3, [](Ctx& c) {
    const CQeStringW separator = c.T(0), a = c.T(1), b = c.T(2);
    const CQeStringW joined = Parser::Concatenate(separator, a, b, nullptr);
    CQeStringW expected = a;
    if (!a.IsEmpty() && !b.IsEmpty()) expected += separator;
    expected += b;
    EXPECT_TRUE(joined == expected);
  });
  Case("SQeProjectDbSearchParser::ConcatenateList", 2, [](Ctx& c) {
    const CQeStringW separator = c.T(0), a = c.T(1);
    EXPECT_TRUE(Parser::ConcatenateList(separator, {a, L"x"}) ==
                (a.IsEmpty() ? CQeStringW(L"x") : a + separator + L"x"));
  });
  Excluded("SQeProjectDbSearchParser::AsWideText(const CQeStringW& text)", "private");
  Excluded("SQeProjectDbSearchParser::AsWideText(const wchar_t* text)", "private");
  // ---- Dates, names and paths ----
  Case("QeProjectDb_Sys_JdnParse", 1,
       [](Ctx& c) { EXPECT_EQ(QeProjectDb_Sys_JdnParse(c.T(0)), -1.0); });
  Case("QeProjectDb_Sys_ReplaceNonAlnum", 1, [](Ctx& c) {
    const CQeStringW text = c.T(0);
    const CQeStringW out = QeProjectDb_Sys_ReplaceNonAlnum(text, L'_');
    ASSERT_EQ(out.GetLength(), text.GetLength());
    for (int i = 0; i < out.GetLength(); ++i) {
      EXPECT_TRUE(out.GetAt(i) == text.GetAt(i) || out.GetAt(i) == L'_') << i;
    }
    EXPECT_EQ(out.Find(L'\''), -1);
    EXPECT_EQ(out.Find(L'\\'), -1);
  });
  Case("QeProjectDb_Sys_GetNamePrefix", 1, [](Ctx& c) {
    const CQeStringW prefix = QeProjectDb_Sys_GetNamePrefix(c.T(0));
    if (prefix.IsEmpty()) return;
    EXPECT_FALSE(iswdigit(prefix.GetLastChar()));
    EXPECT_FALSE(iswspace(prefix.GetLastChar()));
  });
  Case("QeProjectDb_Sys_IsNameUnique", 2, [](Ctx& c) {
    const CQeStringW name = c.T(0), other = c.T(1);
    CQeStringW suggestion;
    EXPECT_TRUE(QeProjectDb_Sys_IsNameUnique(name, {other}, suggestion));
    EXPECT_TRUE(suggestion == name);
    EXPECT_FALSE(QeProjectDb_Sys_IsNameUnique(name, {other, name}, suggestion));
    EXPECT_FALSE(suggestion == name);
    EXPECT_FALSE(suggestion == other);
  });
  Case("QeProjectDb_Sys_GetDefStoragePath", 1, [](Ctx& c) {
    const std::string root = c.Folder() + "/storage";
    qe::test::ScopedEnv env("QE_STORAGE_ROOT", root.c_str());
    const CQeStringW path = QeProjectDb_Sys_GetDefStoragePath(c.T(0));
    EXPECT_EQ(path.Left(static_cast<int>(root.size())).ToUtf8(), root);
    EXPECT_EQ(path.GetLastChar(), L'/');
  });
  Case("QeProjectDb_Sys_IsNetworkPath", 1,
       [](Ctx& c) { EXPECT_FALSE(QeProjectDb_Sys_IsNetworkPath(c.PathIn(0))); });
  Case("QeProjectDb_Sys_DeleteFolder", 1, [](Ctx& c) {
    // A folder named by the text, with a file in it; its neighbour stays.
    const CQeStringW path = c.PathIn(0);
    const fs::path keep = fs::path(c.Folder()) / "keep";
    fs::create_directories(keep);
    std::error_code error;
    const bool made = fs::create_directories(Fs(path) / "inner", error);
    if (made) std::ofstream(Fs(path) / "inner" / "file.txt") << "x";
    EXPECT_EQ(QeProjectDb_Sys_DeleteFolder(path), 0);
    if (made) {
      EXPECT_FALSE(fs::exists(Fs(path)));
    }
    EXPECT_TRUE(fs::exists(keep));
  });
  return 0;
}();

}  // namespace
}  // namespace qe::hostile
