// Files of every stored version, upgraded to 77, against a new file: the same
// schema, a sound file, and the rows carried over.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "qe/labware/insert_object_database.h"
#include "qe/projectdb/db.h"
#include "qe/projectdb/schema.h"
#include "qe/projectdb/schema_history.h"
#include "qe/projectdb/upgrade.h"
#include "support/projectdb/old_version_db.h"
#include "support/projectdb/schema_dump.h"
#include "support/temp_dir.h"

namespace qe::test {
namespace {

std::vector<int64_t> StoredVersions() {
  std::vector<int64_t> versions;
  for (int64_t v = 10; v <= 76; ++v) {
    if (QeProjectDb_SchemaHistory_IsKnownVersion(v)) versions.push_back(v);
  }
  return versions;
}

std::string Utf8(const std::wstring& text) { return CQeStringW(text).ToUtf8(); }

class UpgradeEveryVersion : public ::testing::TestWithParam<int64_t> {
 protected:
  void SetUp() override {
    fresh_ = dir_.File("fresh.db");
    ASSERT_EQ(QeProjectDb_Db_Create(CQeStringW::FromUtf8(fresh_)), 0);
  }
  TempDir dir_{FixtureFolderBase()};
  std::string fresh_;
};

// Step 48 to 60 makes each analysis attached to a task a task of its own:
// fixture analysis k is attached to task k from version 11 on (step 10 to
// 11 gives older files no attachment).
long long AnalysisTasks(int64_t v) { return v >= 11 && v <= 48 ? kFixtureRows : 0; }

// Row counts after the upgrade of a fixture of version v: every table keeps
// its rows and a table that a later step creates starts empty, except where
// a step discards, converts or fills rows.
long long ExpectedRows(const std::string& table, int64_t v) {
  const long long all = kFixtureRows;
  if (table == "vesion") return 2;  // "main", and "plate" (from step 28 to 29 on)
  if (table == "settings") return 2;
  if (table == "dbinfo") return 1;
  // One program per job definition from step 17 to 18 on.
  if (table == "jobprogram") return all;
  if (table == "jobtask") return all + AnalysisTasks(v);
  // Step 28 to 29 turns each well-plate definition into a configuration and
  // a name and imports every built-in plate (the fixture's uuids are not
  // among them) with its geometry.
  if (table == "wellplatename" && v < 29) {
    return all + static_cast<long long>(CQeInsertObjectDatabase::m_vectWellplateNames.size());
  }
  if (table == "wellplateconfiguration" && v < 29) {
    std::set<CQeStringW> geometries;
    for (const auto& name : CQeInsertObjectDatabase::m_vectWellplateNames) {
      geometries.insert(name.wszConfigUuid);
    }
    return all + static_cast<long long>(geometries.size());
  }
  // Built from the loop indexes of the one plate loop and the one well loop.
  if ((table == "frameplateinfo" || table == "framewellinfo") && v < 22) return 1;
  // Step 64 to 65 discards job property definitions; 71 to 72 turns the two
  // descriptions of each into two enumeration values.
  if (table == "jobpropdef" && v < 65) return 0;
  if (table == "jobpropenumvalue" && v < 72) return v < 65 ? 0 : 2 * all;
  // Bit 2 of jobdef.iState (rows 2 and 3) became a toolbar row at 41; files
  // older than 14 had every state reset to 0 by step 13 to 14.
  if (table == "toolbarjobdef" && v < 41) return v < 14 ? 0 : 2;
  // Step 36 to 37 empties the object properties (and replaces each used
  // property definition by one per analysis run: one each here).
  if (table == "binobjprop" && v < 37) return 0;
  return QeProjectDb_SchemaHistory_FindTable(v, CQeStringW::FromUtf8(table)) ? all : 0;
}

void ExpectSchemaOfANewFile(const std::string& path, const std::string& fresh, int64_t v) {
  EXPECT_EQ(DescribeSchema(path), DescribeSchema(fresh));
  CRawDb db(path);
  EXPECT_EQ(db.Text("PRAGMA integrity_check"), "ok");
  EXPECT_EQ(db.Int("SELECT iVersion FROM vesion WHERE wszName='main'"), 77);
  std::set<std::string> orphans;
  for (const auto& row : db.Rows("PRAGMA foreign_key_check")) orphans.insert(row[0]);
  EXPECT_EQ(orphans, std::set<std::string>{}) << v;
}

void ExpectRowsCarriedOver(const std::string& path, int64_t v) {
  CRawDb db(path);
  for (const SQeSqliteTableDef* table : g_QeProjectDbTables) {
    const std::string name = CQeStringW(table->wszName).ToUtf8();
    EXPECT_EQ(db.Int("SELECT count(*) FROM " + name), ExpectedRows(name, v)) << name;
  }
  // Sampled values of every row; a frame property is found through its
  // frame's run and index; a run's program belongs to the run's job
  // definition; the finish time of a run without frames is its start.
  for (int k = 1; k <= kFixtureRows; ++k) {
    const std::string key = std::to_string(k);
    EXPECT_EQ(
        db.Rows("SELECT p.wszFolderName, r.wszFolderName, f.wszFileName, r.wszName, r.wszUuid, "
                "(SELECT v.dValue FROM frame x JOIN frameprop v ON x.iJobrunKeyRef = "
                "v.iJobrunKeyRef AND x.iFrameIndex = v.iFrameIndex WHERE x.iKey=p.iKey), "
                "g.iJobdefKeyRef, r.dFTime = r.dCTime FROM project p, jobrun r, file f, jobprogram "
                "g WHERE p.iKey=" +
                key + " AND r.iKey=p.iKey AND f.iKey=p.iKey AND g.iKey=r.iJobprogramKeyRef"),
        (std::vector<std::vector<std::string>>{
            {Utf8(FixtureProjectFolder(k)), Utf8(FixtureRunFolder(k)), Utf8(FixtureFileName(k)),
             Utf8(FixtureText(L"jobrun", L"wszName", k)), Utf8(FixtureUuid(L"jobrun", k)),
             key + ".5", key, "1"}}));
  }
  // Columns that steps fill with constants, checked on files older than
  // the step.
  const struct {
    int64_t below;
    const char* sql;
    long long value;
  } kConstants[] = {
      {17, "SELECT sum(iNestLevel = iOrder) FROM runloop", kFixtureRows},
      {38, "SELECT sum(iFinishFlags) FROM jobrun", 0},
      {61, "SELECT count(*) FROM jobtask WHERE pDependencyExpression IS NULL",
       kFixtureRows + AnalysisTasks(v)},
      {77, "SELECT count(*) FROM toupload WHERE runState = '0'", ExpectedRows("toupload", v)},
  };
  for (const auto& c : kConstants) {
    if (v < c.below) {
      EXPECT_EQ(db.Int(c.sql), c.value) << c.sql;
    }
  }
  // The tag set of the user tag is the name of its old parent tag.
  EXPECT_EQ(db.Text("SELECT wszTagsetName FROM tagdef WHERE iKey=3"), "$$$frame$$$");
  EXPECT_EQ(db.Int("SELECT count(*) FROM tagdef WHERE wszTagsetName IS NULL"), 2);
  // The definition frame property 1 uses is in the quantity set (from 37 on
  // it is the one named after analysis run 1).
  EXPECT_EQ(db.Text("SELECT d.wszPropsetName FROM propdef d JOIN frameprop p ON p.iPropdefKeyRef = "
                    "d.iKey WHERE p.iKey=1"),
            "$$$quantity$$$");
  EXPECT_EQ(db.Int("SELECT count(*) FROM propdef WHERE wszPropsetName='$$$quantity$$$'"), 1);
}

// One upgrade per version, checked twice: the schema equals that of a new
// file (tables, columns, types, keys, uniques, collations, defaults,
// indexes) in a sound file, and the rows came along.
TEST_P(UpgradeEveryVersion, EndsAsANewFileWithItsRows) {
  const int64_t v = GetParam();
  const std::string path = dir_.File("old.db");
  ASSERT_EQ(BuildProjectDbAtVersion(CQeStringW::FromUtf8(path).str(), v), 0);
  ASSERT_EQ(QeProjectDb_Db_Upgrade(CQeStringW::FromUtf8(path), nullptr), 0);
  ExpectSchemaOfANewFile(path, fresh_, v);
  ExpectRowsCarriedOver(path, v);
}

INSTANTIATE_TEST_SUITE_P(StoredVersions, UpgradeEveryVersion, ::testing::ValuesIn(StoredVersions()),
                         [](const ::testing::TestParamInfo<int64_t>& info) {
                           return "v" + std::to_string(info.param);
                         });

}  // namespace
}  // namespace qe::test
