// Merging a source in which every table holds rows into an empty target,
// and the same source a second time.
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
      bool again = def->nUniqueColumns == 0;
      for (uint32_t u = 0; u < def->nUniqueColumns; ++u) {
        const SQeSqliteColDef& col =
            def->pColumns[QeProjectDb_Schema_FindColumn(def, def->pUniqueColumns[u])];
        again = again || (col.iKeyKind == eQeSqliteKeyForeign &&
                          copied.count(Utf8(col.pForeignKey->wszTable)));
      }
      if (again && !NotMerged(name)) changed = copied.insert(name).second || changed;
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
  CRawDb source(SourceFile().string(), SQLITE_OPEN_READONLY);
  CRawDb target(TargetFile().string(), SQLITE_OPEN_READONLY);
  for (const SQeSqliteTableDef* def : g_QeProjectDbTables) {
    if (!NotMerged(Utf8(def->wszName))) {
      EXPECT_EQ(Canonical(source, def->wszName), Canonical(target, def->wszName))
          << Utf8(def->wszName);
    }
  }
  const std::string parent =
      "SELECT quote(p.wszClassName) FROM jobtask c LEFT JOIN jobtask p ON c.iJobtaskKeyRef=p.iKey "
      "WHERE c.wszClassName=";
  EXPECT_EQ(target.Text(parent + "'Early'"), "'Late'");
  EXPECT_EQ(target.Text(parent + "'Root'"), "NULL");
  // The version and the file's identity are the target's own; the new
  // file's settings and system tags stood for the source's.
  EXPECT_EQ(target.Int("SELECT count(*) FROM vesion"), 1);
  EXPECT_NE(target.Text("SELECT wszUuid FROM dbinfo"), source.Text("SELECT wszUuid FROM dbinfo"));
  for (const auto& table : report.tables) {
    const std::string name = table.wszTable.ToUtf8();
    EXPECT_EQ(table.iReusedRows, name == "settings" ? 3 : name == "tagdef" ? 2 : 0) << name;
  }
  EXPECT_EQ(ConsistencyProblems(TargetFile()), kNone);

  EXPECT_EQ(FilesUnder(SourceDir() / "Projects"), FilesUnder(TargetProjects()));
  EXPECT_EQ(report.iFilesCopied, source_.files);
  EXPECT_EQ(report.iFoldersCreated, 2 + 3);  // two projects, three runs
  // Contents arrive unchanged.
  for (const std::string& name : FilesUnder(TargetProjects())) {
    std::string left, right;
    std::getline(std::ifstream(SourceDir() / "Projects" / name), left);
    std::getline(std::ifstream(TargetProjects() / name), right);
    EXPECT_EQ(left, right) << name;
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
  for (const auto& table : report.tables) {
    const std::string name = table.wszTable.ToUtf8();
    if (NotMerged(name)) continue;
    const long long sourceRows = Count(SourceFile(), name);
    EXPECT_EQ(again.count(name) ? table.iCopiedRows : table.iReusedRows, sourceRows) << name;
    EXPECT_EQ(Count(TargetFile(), name),
              countsAfterFirst[name] + (again.count(name) ? sourceRows : 0))
        << name;
  }
  // The duplicated file rows name files that are there already: nothing is
  // copied or created again.
  EXPECT_EQ(FilesUnder(TargetProjects()), treeAfterFirst);
  EXPECT_EQ(report.iFoldersCreated, 0);
  EXPECT_EQ(report.iFilesCopied, 0);
  EXPECT_EQ(ConsistencyProblems(TargetFile()), kNone);
}

}  // namespace
}  // namespace qe::test
