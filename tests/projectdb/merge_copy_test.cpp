// Merging a source in which every table holds rows: into an empty target,
// the same source a second time, and into a target with rows of its own.
#include <fstream>
#include <map>
#include <set>

#include "projectdb/merge_support.h"
#include "qe/projectdb/schema.h"

namespace qe::test {
namespace {

std::string Utf8(const wchar_t* text) { return CQeStringW(text).ToUtf8(); }

bool NotMerged(const std::string& table) { return table == "vesion" || table == "dbinfo"; }

// Tables whose rows a second merge of the same source copies again: those
// without unique columns, and those whose unique columns hold a foreign key
// to such a table (the copy has a new parent, so it is a new row).
std::set<std::string> CopiedAgainTables() {
  std::set<std::string> copied;
  for (bool changed = true; changed;) {
    changed = false;
    for (const SQeSqliteTableDef* def : g_QeProjectDbTables) {
      const std::string name = Utf8(def->wszName);
      if (NotMerged(name) || copied.count(name)) continue;
      bool again = def->nUniqueColumns == 0;
      for (uint32_t u = 0; u < def->nUniqueColumns; ++u) {
        const int c = QeProjectDb_Schema_FindColumn(def, def->pUniqueColumns[u]);
        const SQeSqliteColDef& col = def->pColumns[c];
        if (col.iKeyKind == eQeSqliteKeyForeign && copied.count(Utf8(col.pForeignKey->wszTable))) {
          again = true;
        }
      }
      if (again) changed = copied.insert(name).second;
    }
  }
  return copied;
}

class MergeCopyTest : public MergeTest {
 protected:
  void SetUp() override {
    MergeTest::SetUp();
    CreateDb(SourceFile());
    source_ = Populate(SourceFile());
    CreateDb(TargetFile());
  }
  SMergeSource source_;
};

// Into an empty target: the same rows, every foreign key leading to the
// same row as in the source whatever keys the rows got (NULL references
// stay NULL, tasks find parents copied after them), the same tree of
// project folders, run folders (both formats) and files.
TEST_F(MergeCopyTest, IntoAnEmptyTargetEveryRowArrivesWithItsRelationsFoldersAndFiles) {
  for (const SQeSqliteTableDef* def : g_QeProjectDbTables) {
    ASSERT_GT(Count(SourceFile(), Utf8(def->wszName)), 0) << Utf8(def->wszName);
  }
  SQeProjectDbMergeReport report;
  ASSERT_EQ(Merge(&report), 0) << report.wszMessage.ToUtf8();
  EXPECT_TRUE(report.wszMessage.IsEmpty());
  EXPECT_EQ(report.tables.size(), kQeProjectDbTableCount);
  CRawDb source(SourceFile().string(), SQLITE_OPEN_READONLY);
  CRawDb target(TargetFile().string(), SQLITE_OPEN_READONLY);
  for (const SQeSqliteTableDef* def : g_QeProjectDbTables) {
    if (!NotMerged(Utf8(def->wszName))) {
      EXPECT_EQ(Canonical(source, def->wszName), Canonical(target, def->wszName))
          << Utf8(def->wszName);
    }
  }
  const char* kParent =
      "SELECT quote(p.wszClassName) FROM jobtask c LEFT JOIN jobtask p ON c.iJobtaskKeyRef=p.iKey "
      "WHERE c.wszClassName=";
  EXPECT_EQ(target.Text(kParent + std::string("'Early'")), "'Late'");
  EXPECT_EQ(target.Text(kParent + std::string("'Child'")), "'Root'");
  EXPECT_EQ(target.Text(kParent + std::string("'Root'")), "NULL");
  EXPECT_EQ(target.Text("SELECT n.wszModel FROM wellplatename o, wellplatename n WHERE "
                        "o.iWellplatenameKeyRef=n.iKey"),
            "M'1");
  // The version and the file's identity are the target's own; the new
  // file's settings and system tags stood for the source's.
  EXPECT_EQ(target.Int("SELECT count(*) FROM vesion"), 1);
  EXPECT_EQ(target.Int("SELECT count(*) FROM dbinfo"), 1);
  EXPECT_NE(target.Text("SELECT wszUuid FROM dbinfo"), source.Text("SELECT wszUuid FROM dbinfo"));
  for (const auto& table : report.tables) {
    const std::string name = table.wszTable.ToUtf8();
    EXPECT_EQ(table.iReusedRows, name == "settings" ? 3 : name == "tagdef" ? 2 : 0) << name;
    EXPECT_EQ(table.bSkipped, NotMerged(name)) << name;
  }
  EXPECT_EQ(ConsistencyProblems(TargetFile()), kNone);

  EXPECT_EQ(FilesUnder(SourceDir() / "Projects"), FilesUnder(TargetProjects()));
  EXPECT_EQ(report.iFilesCopied, source_.files);
  EXPECT_EQ(report.iFilesMissing, 0);
  EXPECT_EQ(report.iFoldersCreated, 2 + 3);  // two projects, three runs
  EXPECT_TRUE(report.renamedFolders.empty());
  // Contents arrive unchanged; the stored names (with backslashes) lead to them.
  const auto rows = target.Rows(
      "SELECT project.wszFolderName, replace(jobrun.wszFolderName, '\\', '/'), file.wszFileName "
      "FROM file, jobrun, project WHERE file.iJobrunKeyRef=jobrun.iKey AND "
      "jobrun.iProjKeyRef=project.iKey");
  ASSERT_EQ(rows.size(), static_cast<size_t>(source_.files));
  for (const auto& row : rows) {
    const auto relative = std::filesystem::path(row[0]) / row[1] / row[2];
    std::string left, right;
    std::getline(std::ifstream(SourceDir() / "Projects" / relative), left);
    std::getline(std::ifstream(TargetProjects() / relative), right);
    EXPECT_FALSE(left.empty()) << relative;
    EXPECT_EQ(left, right) << relative;
  }
}

TEST_F(MergeCopyTest, MergingTheSameSourceAgainReusesRowsAndMakesNoFolderTwice) {
  ASSERT_EQ(Merge(), 0);
  const auto treeAfterFirst = FilesUnder(TargetProjects());
  std::map<std::string, long long> countsAfterFirst;
  for (const SQeSqliteTableDef* def : g_QeProjectDbTables) {
    countsAfterFirst[Utf8(def->wszName)] = Count(TargetFile(), Utf8(def->wszName));
  }

  SQeProjectDbMergeReport report;
  ASSERT_EQ(Merge(&report), 0) << report.wszMessage.ToUtf8();
  const std::set<std::string> again = CopiedAgainTables();
  EXPECT_TRUE(again.count("jobprogram") && again.count("jobpropdef") && again.count("file") &&
              !again.count("frame") && !again.count("jobrun"));
  for (const auto& table : report.tables) {
    const std::string name = table.wszTable.ToUtf8();
    const long long sourceRows = Count(SourceFile(), name);
    if (NotMerged(name)) continue;
    EXPECT_EQ(table.iSourceRows, sourceRows) << name;
    if (again.count(name)) {
      EXPECT_EQ(table.iCopiedRows, sourceRows) << name;
      EXPECT_EQ(Count(TargetFile(), name), countsAfterFirst[name] + sourceRows) << name;
    } else {
      EXPECT_EQ(table.iReusedRows, sourceRows) << name;
      EXPECT_EQ(Count(TargetFile(), name), countsAfterFirst[name]) << name;
    }
  }
  // The duplicated file rows name files that are there already: nothing is
  // copied or created again.
  EXPECT_EQ(FilesUnder(TargetProjects()), treeAfterFirst);
  EXPECT_EQ(report.iFoldersCreated, 0);
  EXPECT_EQ(report.iFilesCopied, 0);
  EXPECT_EQ(report.iFilesPresent, source_.files);
  EXPECT_EQ(ConsistencyProblems(TargetFile()), kNone);
}

TEST_F(MergeCopyTest, IntoATargetWithRowsOfItsOwn) {
  Populate(TargetFile());
  std::map<std::string, std::vector<std::string>> before;
  {
    CRawDb target(TargetFile().string(), SQLITE_OPEN_READONLY);
    for (const SQeSqliteTableDef* def : g_QeProjectDbTables) {
      before[Utf8(def->wszName)] = Canonical(target, def->wszName, {"project.wszFolderName"});
    }
  }
  SQeProjectDbMergeReport report;
  ASSERT_EQ(Merge(&report), 0) << report.wszMessage.ToUtf8();

  CRawDb source(SourceFile().string(), SQLITE_OPEN_READONLY);
  CRawDb target(TargetFile().string(), SQLITE_OPEN_READONLY);
  for (const SQeSqliteTableDef* def : g_QeProjectDbTables) {
    const std::string name = Utf8(def->wszName);
    if (NotMerged(name)) continue;
    // The target's own rows are all still there, unchanged, and so is every
    // source row (a row reused from the target counts as there).
    // Project folders may have been renamed (checked below).
    const std::set<std::string> ignored = {"project.wszFolderName"};
    const std::vector<std::string> after = Canonical(target, def->wszName, ignored);
    const std::multiset<std::string> rows(after.begin(), after.end());
    for (const std::string& row : before[name]) EXPECT_TRUE(rows.count(row)) << name << ": " << row;
    for (const std::string& row : Canonical(source, def->wszName, ignored)) {
      EXPECT_TRUE(rows.count(row)) << name << ": " << row;
    }
  }
  // Rows both files share by their unique values exist once.
  EXPECT_EQ(target.Int("SELECT count(*) FROM jobclasslaststate WHERE wszUniqueName='Class.Unique'"),
            1);
  EXPECT_EQ(target.Int("SELECT count(*) FROM propdef"), 1);
  EXPECT_EQ(target.Int("SELECT count(*) FROM tagdef"), 3);
  EXPECT_EQ(target.Int("SELECT count(*) FROM settings"), 3);
  // Both files have projects in folders of the same names: the source's
  // get free variants, and their runs and files go there.
  EXPECT_EQ(report.renamedFolders.size(), 2u);
  EXPECT_EQ(target.Int("SELECT count(*) FROM project WHERE wszFolderName='Second (2)'"), 1);
  EXPECT_EQ(report.iFilesCopied, source_.files);
  EXPECT_TRUE(std::filesystem::is_directory(TargetProjects() / "Second (2)"));
  EXPECT_EQ(FilesUnder(TargetProjects() / "Second (2)"),
            FilesUnder(SourceDir() / "Projects/Second"));
  EXPECT_EQ(ConsistencyProblems(TargetFile()), kNone);
}

}  // namespace
}  // namespace qe::test
