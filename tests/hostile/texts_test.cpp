// Every hostile text through each way a text reaches SQL or the file system:
// bound parameters stored and read back, equality lookups (texts escaped
// into SQL), the name-uniqueness prefix lookup, tag sets, option names and
// savepoints, search text, file and folder names, labware documents (lite
// variant and XML) and the thumbnail database with its diagnostic lines.
#include <gtest/gtest.h>

#include <cstdio>
#include <cwctype>
#include <filesystem>
#include <fstream>

#include "hostile/hostile_support.h"
#include "qe/core/diag.h"
#include "qe/core/lite_variant.h"
#include "qe/labware/wellplate.h"
#include "qe/picture/image_format.h"
#include "qe/projectdb/connection.h"
#include "qe/projectdb/db.h"
#include "qe/projectdb/merge.h"
#include "qe/projectdb/records.h"
#include "qe/projectdb/records/labware_catalogue.h"
#include "qe/projectdb/search.h"
#include "qe/projectdb/sys.h"
#include "qe/thumbdb/thumbdb.h"

namespace qe::hostile {
namespace {

namespace fs = std::filesystem;
using Parser = SQeProjectDbSearchParser;
constexpr int kCantOpen = 14;  // SQLite's status for a file it cannot open

// Runs SQL made by the search on the fixture database to its end.
void RunsToTheEnd(Ctx& c, const CQeStringW& sql) {
  if (sql.IsEmpty()) return;
  sqlite3_stmt* stmt = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(c.Db(), sql.ToUtf8().c_str(), -1, &stmt, nullptr), SQLITE_OK)
      << sqlite3_errmsg(c.Db());
  int step;
  while ((step = sqlite3_step(stmt)) == SQLITE_ROW) {
  }
  EXPECT_EQ(step, SQLITE_DONE) << sqlite3_errmsg(c.Db());
  sqlite3_finalize(stmt);
}

TEST(HostileLog, IsInstalledBeforeSqliteStarts) { EXPECT_EQ(LogConfigResult(), SQLITE_OK); }

TEST(HostileTexts, BoundParametersStoreAndReadBack) {
  Ctx c;
  c.ForEachText([&](const CQeStringW& s) {
    SQeProjectDbRow_jobrun run;
    const int status = QeProjectDb_Jobrun_Insert(c.h, c.projKey, c.projectFolder, c.jobdefKey,
                                                 c.programKey, 1, s, s, &run, nullptr);
    c.Status(status, {0, -9});  // -9: a run folder name the file system refuses
    c.MayChange("jobrun");
    c.MayChange("jobdef", c.jobdefKey);
    c.MayChange("project", c.projKey);
    if (status == 0) {
      c.Ok(QeProjectDb_Jobrun_UpdateFinish(c.h, run.iKey, 2, 3.5, s));
      SQeProjectDbRow_jobrun back;
      c.Ok(QeProjectDb_Jobrun_GetOne(c.h, run.iKey, back));
      c.RoundTrip(back.wszName, s, "run name");
      c.RoundTrip(back.wszDesc, s, "run notes");
      c.RoundTrip(back.wszFinishMessage, s, "finish message");
    }
    // A task's class is then looked up by an escaped equality.
    SQeProjectDbJobTaskState state(1, 2, s, CQeByteArray("x", 1), CQeByteArray());
    int64_t task = 0;
    c.Ok(QeProjectDb_Jobtask_Insert(c.h, c.programKey, 0, 0, 1, s, state, nullptr, &task),
         {"jobtask"});
    std::list<SQeProjectDbRow_jobtask> tasks;
    c.Ok(QeProjectDb_Jobtask_GetAllWithClass(c.h, c.programKey, s, tasks));
    ASSERT_EQ(tasks.size(), 1u);
    EXPECT_EQ(tasks.front().iKey, task);
    c.RoundTrip(tasks.front().wszName, s, "task name");
  });
}

TEST(HostileTexts, EqualityLookupsFindExactlyTheirRow) {
  Ctx c;
  std::vector<SQeProjectDbRow_jobpropenumvalue> none;
  ASSERT_EQ(QeProjectDb_Jobpropdef_InsertOrUpdate(c.h, c.programKey, L"mode", 1, 1, 1, none, 0,
                                                  nullptr, nullptr),
            0);
  c.ForEachText([&](const CQeStringW& s) {
    int64_t key = 0;
    c.Ok(QeProjectDb_Propdef_Insert(c.h, s, s, s, s, &key), {"propdef"});
    EXPECT_EQ(QeProjectDb_Propdef_GetOne(c.h, s, s, s), key);
    SQeProjectDbRow_propdef propdef;
    c.Ok(QeProjectDb_Propdef_GetOne(c.h, s, key, propdef));
    c.RoundTrip(propdef.wszUnit, s, "unit");
    // A definition stored, found and deleted by its key text; "mode" stays.
    std::vector<SQeProjectDbRow_jobpropenumvalue> values = {{0, 0, s}};
    c.Ok(QeProjectDb_Jobpropdef_InsertOrUpdate(c.h, c.programKey, s, 2.5, 1, 1, values, 0, nullptr,
                                               &key));
    SQeProjectDbRow_jobpropdef def;
    c.Ok(QeProjectDb_Jobpropdef_GetOne(c.h, c.programKey, s, def));
    EXPECT_EQ(def.iKey, key);
    ASSERT_EQ(def.vEnumValues.size(), 1u);
    c.RoundTrip(def.vEnumValues[0].wszPropenumvalue, s, "enumeration value");
    c.Ok(QeProjectDb_Jobpropdef_Delete(c.h, c.programKey, s));
    c.Status(QeProjectDb_Jobpropdef_GetOne(c.h, c.programKey, s, def), {-13});
    // Program properties live in a lite-variant document: a name too long
    // for it is refused and writes nothing.
    const int stored = QeProjectDb_Jobprogram_InsertOrUpdateProperties(c.h, c.programKey, {{s, s}});
    CQeStringW value = L"untouched";
    const int read = QeProjectDb_Jobprogram_GetProperty(c.h, c.programKey, s, value);
    if (WideToUtf8(s.str()).size() > 65535) {
      c.Status(stored, {-9});
      c.Status(read, {-13});
    } else {
      c.Ok(stored);
      c.MayChange("jobprogram", c.programKey);
      c.Status(read, {s.IsEmpty() ? -13 : 0});  // pairs with an empty name are ignored
      if (!s.IsEmpty()) c.RoundTrip(value, s, "property value");
    }
    EXPECT_EQ(QeProjectDb_Jobprogram_GetProperty(c.h, c.programKey, L"speed", value), 0);
    EXPECT_TRUE(value == L"fast");
  });
}

// Names sharing a prefix are found with instr, never LIKE, so a long name
// or one holding wildcards is judged correctly. The name is given as the
// database keeps it: a name that changes on the way in (U+FFFE, lone
// surrogates) is not matched by its original. A name with leading blanks
// is not matched either (its prefix is trimmed, the stored name is not): a
// known fault, left to the library.
TEST(HostileTexts, NameUniquenessSeesEveryTakenName) {
  Ctx c;
  c.ForEachText([&](const CQeStringW& s) {
    // Asked with the caller's text, not the stored form: characters SQLite
    // replaces and leading blanks must not hide a taken name.
    const CQeStringW& name = s;
    CQeStringW unique;
    EXPECT_TRUE(QeProjectDb_Jobdef_IsNameUnique(c.h, name, unique));
    EXPECT_TRUE(unique == Stored(name));
    int64_t key = 0;
    c.Ok(QeProjectDb_Jobdef_Insert(c.h, c.projKey, 1, 0, name, name, 0, &key), {"jobdef"});
    c.MayChange("project", c.projKey);
    EXPECT_FALSE(QeProjectDb_Jobdef_IsNameUnique(c.h, name, unique));
    EXPECT_FALSE(unique == name);
    const CQeStringW suggested = unique;
    EXPECT_TRUE(QeProjectDb_Jobdef_IsNameUnique(c.h, suggested, unique));
  });
}

TEST(HostileTexts, TagSetsHoldExactlyTheirTags) {
  Ctx c;
  c.ForEachText([&](const CQeStringW& s) {
    int64_t key = 0;
    c.Ok(QeProjectDb_Tagdef_Insert(c.h, s, s, s, &key), {"tagdef"});
    SQeProjectDbRow_tagdef row;
    c.Ok(QeProjectDb_Tagdef_GetOne(c.h, s, key, row));
    c.RoundTrip(row.wszTagsetName, s, "tag set");
    c.RoundTrip(row.wszName, s, "tag name");
    EXPECT_EQ(QeProjectDb_Tagdef_GetOne(c.h, s, s), s.IsEmpty() ? 0 : key);  // never for ""
    std::vector<SQeProjectDbRow_tagdef> set;
    c.Ok(QeProjectDb_Tagdef_GetMany(c.h, s, set));
    ASSERT_EQ(set.size(), s.IsEmpty() ? 0u : 1u);  // the empty set name names no set
    EXPECT_TRUE(set.empty() || set[0].iKey == key);
  });
}

// Option names and savepoint names are words of SQL itself: anything that
// is not a plain identifier is refused.
TEST(HostileTexts, OptionAndSavepointNames) {
  Ctx c;
  c.ForEachText([&](const CQeStringW& s) {
    EXPECT_TRUE(QeProjectDb_Db_GetOptStr(c.h, s).IsEmpty());
    c.Status(QeProjectDb_Db_SetOptStr(c.h, s, L"normal"), {-13});
    c.Status(QeProjectDb_Db_SetOptStr(c.h, L"synchronous", s), {-13, 1});
    EXPECT_TRUE(QeProjectDb_Db_GetOptStr(c.h, L"synchronous") == L"normal");
    const int set = QeProjectDb_Db_SavepointSet(c.h, s);
    c.Status(set, {0, -9});
    if (set == 0) {
      c.Ok(QeProjectDb_Proj_Update(c.h, c.projKey, L"changed", L"x"));
      c.Ok(QeProjectDb_Db_SavepointRollback(c.h, s));
      c.Ok(QeProjectDb_Db_SavepointRelease(c.h, s));
    }
  });
}

TEST(HostileTexts, SearchTextsMakeSqlThatRuns) {
  Ctx c;
  c.ForEachText([&](const CQeStringW& s) {
    for (const CQeStringW& text : {s, CQeStringW(L"label:") + s, L"job=\"" + s + L"\""}) {
      Parser parser(text);
      int stop = -1;
      const bool matched = parser.MatchQuery(&stop);
      const CQeStringW sql = parser.MakeSqlQuery();
      EXPECT_EQ(matched, !sql.IsEmpty());
      RunsToTheEnd(c, sql);
    }
    for (auto comparator : {Parser::eComparatorContains, Parser::eComparatorEquals}) {
      const CQeStringW where = Parser::MakeSqlWhereForWords(L"jobrun.wszName", comparator, {s});
      if (!where.IsEmpty()) RunsToTheEnd(c, L"SELECT 1 FROM jobrun WHERE " + where);
    }
  });
}

TEST(HostileTexts, FileAndFolderNames) {
  Ctx c;
  c.ForEachText([&](const CQeStringW& s) {
    // A project database named by the text: made, inspected, connected to,
    // and merged with another (the merge attaches it by name).
    const CQeStringW path = c.PathIn(s) + L".db", source = c.PathIn(s) + L"-source.db";
    c.MayLog({kCantOpen});
    const int created = QeProjectDb_Db_Create(path);
    c.Status(created, {0, kCantOpen});
    if (created == 0) {
      SQeProjectDbFileInfo info;
      c.Ok(QeProjectDb_Db_GetInfo(path, &info));
      EXPECT_EQ(info.iVersion, 77);
      const uint32_t h = QeProjectDb_Db_Connect(path);
      ASSERT_NE(h, 0u);
      c.RoundTrip(QeProjectDb_Db_Filename(h), path, "file name of the connection");
      QeProjectDb_Db_Disconnect(h);
      ASSERT_EQ(QeProjectDb_Db_Create(source), 0);
      // The merge reads both separators in a path, so a name with a
      // backslash names another file, one that does not exist.
      const int merged = QeProjectDb_Db_MergeDb(path, source);
      s.Find(L'\\') < 0 ? c.Ok(merged) : c.Status(merged, {-9, kCantOpen});
    }
    Ctx::Forget(path);
    Ctx::Forget(source);
    // A project folder named by the text, under the project root.
    int64_t key = 0;
    const int status = QeProjectDb_Proj_Insert(c.h, s, s, s, &key);
    c.Status(status, {0, -9});  // -9: nothing left to name a folder by, or too long
    c.MayChange("project");
    if (status == 0) {
      SQeProjectDbRow_project row;
      c.Ok(QeProjectDb_Proj_GetOne(c.h, key, row));
      c.RoundTrip(row.wszName, s, "project name");
      EXPECT_TRUE(fs::is_directory(QeProjectDb_Proj_MakeAbsPath(c.h, s).ToUtf8()));
    }
    // Deleting a folder named by the text removes it and nothing beside it.
    const fs::path folder = c.PathIn(s).ToUtf8(), keep = fs::path(c.Folder()) / "keep";
    fs::create_directories(keep);
    std::error_code error;
    if (fs::create_directories(folder / "inner", error)) {
      std::ofstream(folder / "inner" / "file.txt") << "x";
    }
    EXPECT_EQ(QeProjectDb_Sys_DeleteFolder(c.PathIn(s)), 0);
    EXPECT_FALSE(fs::exists(folder / "inner", error));
    EXPECT_TRUE(fs::exists(keep));
  });
}

// A plate named by the text is stored, found by uuid and by model, read
// from its lite-variant geometry, exported to an XML file named by the text
// and imported again, then marked removed by uuid.
TEST(HostileTexts, LabwareNamesSurviveDocumentsAndLookups) {
  Ctx c;
  c.ForEachText([&](const CQeStringW& s) {
    c.MayChange("wellplateconfiguration");
    c.MayChange("wellplatename");
    const CQeWellplate plate(s, kQeCustomWellplatesCompany, s, s, eQeNamingModeRowColumn,
                             eQeNamingLetters, eQeNamingNumbers, 3, 2, 9000, 9000, 40000, 30000,
                             5000, 5000, CQeLayoutElement(SQeShape(3000.0)));
    c.Ok(QeProjectDb_Wellplate_SaveAsCustomToDb(c.h, plate));
    SQeProjectDbRow_wellplatedef row, custom;
    bool found = false;
    c.Ok(QeProjectDb_Wellplatedef_GetOne(c.h, s, row, found));
    ASSERT_TRUE(found);
    c.Ok(QeProjectDb_Wellplatedef_FindCustom(c.h, s, custom, found));
    EXPECT_TRUE(found);
    EXPECT_EQ(custom.iKey, row.iKey);
    CQeWellplate loaded;
    CQeLiteVariantR reader(row.pData);
    ASSERT_EQ(loaded.LoadFromLiteVariant(reader), 0);
    c.RoundTrip(loaded.GetModelName(), s, "model in the stored geometry");
    const CQeStringW file = c.PathIn(s);
    int exported = -1, imported = -1;
    const int status =
        QeProjectDb_Wellplatedef_ExportUserPlateDefs(c.h, file, true, &exported, nullptr);
    c.Status(status, {0, -9});  // -9: a file name the file system refuses
    if (status == 0) {
      EXPECT_EQ(exported, 1);
      c.Ok(QeProjectDb_Wellplatedef_ImportUserPlateDefs(c.h, file, &imported, nullptr));
      EXPECT_EQ(imported, 1);
      Ctx::Forget(file);
    }
    c.Ok(QeProjectDb_Wellplatename_RemoveCustom(c.h, s));
    std::list<SQeProjectDbRow_wellplatedef> plates;
    c.Ok(QeProjectDb_Wellplatedef_GetAll(c.h, plates));
    ASSERT_EQ(plates.size(), status == 0 ? 2u : 1u);
    std::vector<int64_t> keys;
    for (const auto& p : plates) {
      c.RoundTrip(p.wszModel, s, "model");
      EXPECT_EQ(p.iRemoved, p.iKey == row.iKey ? 1 : 0);
      keys.push_back(p.iKey);
    }
    c.Ok(QeProjectDb_Wellplatename_Delete(c.h, keys));  // the next text's file holds its own only
  });
}

// Run uuids in the thumbnail database: stored by parameter, cleared by an
// escaped equality; the file's diagnostic line shows its name as it is.
TEST(HostileTexts, ThumbnailRunsAndDiagnosticLines) {
  Ctx c;
  CQeImageFormatManager formats;
  const std::string thumbPath = c.Folder() + "/thumbs.db";
  CQeProjectThumbDb thumbs(CQeStringW::FromUtf8(thumbPath), &formats, 4);
  sqlite3* db = thumbs.DbOpenConnection();
  ASSERT_NE(db, nullptr);
  ASSERT_EQ(
      CQeProjectThumb::StoreThumbDataToDb(db, L"other run", 0, 0, 128, 0, 1.0, CQeByteArray()), 0);
  c.ForEachText([&](const CQeStringW& s) {
    EXPECT_EQ(
        CQeProjectThumb::StoreThumbDataToDb(db, s, 0, 0, 128, 0, 1.0, CQeByteArray("jpeg", 4)), 0);
    c.RoundTrip(ReadTexts(db, "SELECT wszJobrunUuid FROM jobrunuuid ORDER BY iKey").back(), s,
                "run uuid");
    EXPECT_EQ(thumbs.Clear(s), 0);
    EXPECT_EQ(ReadTexts(db, "SELECT wszJobrunUuid FROM jobrunuuid").size(), 1u);
    std::vector<CQeStringW> lines;
    const CQeStringW path = c.PathIn(s) + L".thumbs";
    {
      CQeDiagSinkScope sink([&](const CQeStringW& line) { lines.push_back(line); });
      c.MayLog({kCantOpen});
      CQeProjectThumbDb::DbCloseConnection(CQeProjectThumbReader::DbConnect(path));
    }
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const CQeStringW& line) {
      return line.Find(L"  at '" + path + L"'") >= 0;
    })) << "no line names the file as given";
    Ctx::Forget(path);
  });
  CQeProjectThumbDb::DbCloseConnection(db);
}

// The figures of a whole run, printed at its end (docs/reliability.md).
class CFiguresPrinter : public ::testing::Environment {
 public:
  void TearDown() override {
    const SFigures& f = Figures();
    std::printf(
        "hostile figures: %d texts, %lld rounds (a text through one way in); %d damaged files, %d "
        "calls\n",
        static_cast<int>(HostileTexts().size()), static_cast<long long>(f.rounds), f.corruptFiles,
        f.corruptCalls);
  }
};

::testing::Environment* const kFiguresPrinter =
    ::testing::AddGlobalTestEnvironment(new CFiguresPrinter);

}  // namespace
}  // namespace qe::hostile
