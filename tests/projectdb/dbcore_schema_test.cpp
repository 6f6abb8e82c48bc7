// A newly created file: its tables, columns, constraints, indexes and fixed
// rows, and how its foreign keys, unique constraints, collations and
// defaults behave.
#include <set>

#include "projectdb/dbcore_support.h"
#include "qe/core/files.h"
#include "qe/projectdb/db.h"
#include "qe/projectdb/schema.h"

namespace qe::test {
namespace {

class SchemaTest : public DbCoreTest {
 protected:
  void SetUp() override {
    ASSERT_EQ(QeProjectDb_Db_Create(WFile("p.db")), 0);
    db_ = std::make_unique<RawDb>(File("p.db"));
    ASSERT_TRUE(db_->ok());
    ASSERT_EQ(db_->Exec("PRAGMA foreign_keys=1;"), SQLITE_OK);
  }
  RawDb& db() { return *db_; }

  std::unique_ptr<RawDb> db_;
};

const char* DeclaredType(int type) {
  switch (type) {
    case eQeSqliteInt32:
    case eQeSqliteInt64:
      return "INTEGER";
    case eQeSqliteDouble:
      return "REAL";
    case eQeSqliteText:
      return "TEXT";
    case eQeSqliteBlob:
      return "BLOB";
    default:
      return "";
  }
}

TEST(SchemaListTest, FortySevenDistinctTablesReachableByName) {
  std::set<std::wstring> names;
  for (const SQeSqliteTableDef* table : g_QeProjectDbTables) {
    ASSERT_NE(table, nullptr);
    names.insert(table->wszName);
    EXPECT_EQ(QeProjectDb_Schema_FindTable(table->wszName), table);
    ASSERT_GE(table->nColumns, 2u);
    EXPECT_STREQ(table->pColumns[0].wszName, L"iKey");
    EXPECT_EQ(table->pColumns[0].iKeyKind, eQeSqliteKeyPrimary);
    for (uint32_t i = 0; i < table->nColumns; ++i) {
      const SQeSqliteColDef& col = table->pColumns[i];
      // Foreign keys and only they carry a target, and their names say so.
      EXPECT_EQ(col.iKeyKind == eQeSqliteKeyForeign, col.pForeignKey != nullptr) << col.wszName;
      if (col.pForeignKey) {
        EXPECT_TRUE(std::wstring(col.wszName).ends_with(L"KeyRef")) << col.wszName;
        EXPECT_NE(QeProjectDb_Schema_FindTable(col.pForeignKey->wszTable), nullptr);
      }
    }
    for (uint32_t i = 0; i < table->nUniqueColumns; ++i) {
      EXPECT_GE(QeProjectDb_Schema_FindColumn(table, table->pUniqueColumns[i]), 1)
          << table->pUniqueColumns[i];
    }
  }
  EXPECT_EQ(names.size(), 47u);
  EXPECT_EQ(g_QeProjectDbTables[0], &g_QeProjectDbTable_vesion);
  EXPECT_EQ(g_QeProjectDbTables[46], &g_QeProjectDbTable_trace);
  EXPECT_EQ(QeProjectDb_Schema_FindTable(L"propset"), nullptr);
  EXPECT_EQ(QeProjectDb_Schema_FindTable(L"Project"), nullptr);
  EXPECT_EQ(QeProjectDb_Schema_FindColumn(&g_QeProjectDbTable_jobrun, L"wszFinishMessage"), 12);
  EXPECT_EQ(QeProjectDb_Schema_FindColumn(nullptr, L"iKey"), -1);
}

TEST(SchemaListTest, ForeignKeyRecordsAreSharedPerTargetAndRule) {
  const SQeSqliteTableDef& task = g_QeProjectDbTable_jobtask;
  EXPECT_EQ(task.pColumns[1].pForeignKey, &g_QeProjectDbFk_jobprogram_SetNull);
  EXPECT_STREQ(task.pColumns[1].pForeignKey->wszOnDelete, L"ON DELETE SET NULL");
  EXPECT_EQ(g_QeProjectDbTable_jobrun.pColumns[3].pForeignKey, &g_QeProjectDbFk_jobprogram);
  EXPECT_EQ(g_QeProjectDbTable_frame.pColumns[1].pForeignKey,
            g_QeProjectDbTable_file.pColumns[1].pForeignKey);
}

TEST_F(SchemaTest, FileHoldsExactlyTheTablesOfTheSchema) {
  std::set<std::string> expected;
  for (const SQeSqliteTableDef* table : g_QeProjectDbTables) {
    expected.insert(CQeStringW(table->wszName).ToUtf8());
  }
  std::set<std::string> actual;
  for (const auto& row : db().Rows(
           "SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE 'sqlite_%';")) {
    actual.insert(row[0]);
  }
  EXPECT_EQ(actual, expected);
}

TEST_F(SchemaTest, ColumnsTypesDefaultsAndKeysMatchTheRecords) {
  for (const SQeSqliteTableDef* table : g_QeProjectDbTables) {
    const std::string name = CQeStringW(table->wszName).ToUtf8();
    const auto info = db().Rows("PRAGMA table_info(" + name + ");");
    ASSERT_EQ(info.size(), table->nColumns) << name;
    for (uint32_t i = 0; i < table->nColumns; ++i) {
      const SQeSqliteColDef& col = table->pColumns[i];
      SCOPED_TRACE(name + "." + CQeStringW(col.wszName).ToUtf8());
      EXPECT_EQ(info[i][1], CQeStringW(col.wszName).ToUtf8());
      EXPECT_EQ(info[i][2], DeclaredType(col.iType));
      EXPECT_EQ(info[i][4], col.wszDefault ? "'" + CQeStringW(col.wszDefault).ToUtf8() + "'"
                                           : std::string("NULL"));
      EXPECT_EQ(info[i][5], i == 0 ? "1" : "0");
    }
    // Every foreign key: its column, target, and delete and update rules.
    const auto keys = db().Rows("PRAGMA foreign_key_list(" + name + ");");
    size_t expected_keys = 0;
    for (uint32_t i = 0; i < table->nColumns; ++i) {
      const SQeSqliteForeignKeyDef* fk = table->pColumns[i].pForeignKey;
      if (!fk) continue;
      ++expected_keys;
      const std::string column = CQeStringW(table->pColumns[i].wszName).ToUtf8();
      bool found = false;
      for (const auto& key : keys) {
        if (key[3] != column) continue;
        found = true;
        EXPECT_EQ(key[2], CQeStringW(fk->wszTable).ToUtf8()) << column;
        EXPECT_EQ(key[4], "iKey");
        EXPECT_EQ(key[5], "CASCADE");
        EXPECT_EQ(key[6],
                  std::wstring(fk->wszOnDelete) == L"ON DELETE SET NULL" ? "SET NULL" : "CASCADE");
      }
      EXPECT_TRUE(found) << name << "." << column;
    }
    EXPECT_EQ(keys.size(), expected_keys) << name;
  }
}

TEST_F(SchemaTest, IndexesAndUniqueConstraintsMatchTheRecords) {
  for (const SQeSqliteTableDef* table : g_QeProjectDbTables) {
    const std::string name = CQeStringW(table->wszName).ToUtf8();
    SCOPED_TRACE(name);
    // Single-column indexes the records ask for, with their uniqueness.
    std::set<std::pair<std::string, std::string>> expected;
    for (uint32_t i = 1; i < table->nColumns; ++i) {
      const SQeSqliteColDef& col = table->pColumns[i];
      if (col.iIndexKind == eQeSqliteIndexNone) continue;
      expected.insert(
          {CQeStringW(col.wszName).ToUtf8(), col.iIndexKind == eQeSqliteIndexUnique ? "1" : "0"});
    }
    std::set<std::pair<std::string, std::string>> actual;
    std::vector<std::string> unique_constraint;
    for (const auto& index : db().Rows("PRAGMA index_list(" + name + ");")) {
      const auto columns = db().Rows("PRAGMA index_info('" + index[1] + "');");
      if (index[3] == "u") {  // the table's UNIQUE constraint
        EXPECT_TRUE(unique_constraint.empty());
        for (const auto& c : columns) unique_constraint.push_back(c[2]);
      } else {
        ASSERT_EQ(columns.size(), 1u);
        actual.insert({columns[0][2], index[2]});
      }
    }
    EXPECT_EQ(actual, expected);
    std::vector<std::string> expected_unique;
    for (uint32_t i = 0; i < table->nUniqueColumns; ++i) {
      expected_unique.push_back(CQeStringW(table->pUniqueColumns[i]).ToUtf8());
    }
    EXPECT_EQ(unique_constraint, expected_unique);
  }
}

TEST_F(SchemaTest, FileIsConsistentAndUtf16) {
  EXPECT_EQ(db().Text("PRAGMA integrity_check;"), "ok");
  EXPECT_TRUE(db().Rows("PRAGMA foreign_key_check;").empty());
  EXPECT_EQ(db().Text("PRAGMA encoding;"), "UTF-16le");
  EXPECT_EQ(db().Text("PRAGMA journal_mode;"), "wal");
  EXPECT_EQ(db().Int("PRAGMA page_size;"), 4096);
  EXPECT_TRUE(std::filesystem::is_directory(Dir() / "Projects"));
}

TEST_F(SchemaTest, FixedRowsOfANewFile) {
  EXPECT_EQ(db().Rows("SELECT wszName, iVersion FROM vesion;"),
            (std::vector<std::vector<std::string>>{{"main", "77"}}));
  EXPECT_EQ(db().Rows("SELECT wszName, wszType, varValue, typeof(varValue) FROM settings "
                      "ORDER BY iKey;"),
            (std::vector<std::vector<std::string>>{{"journal_mode", "stringw", "wal", "text"},
                                                   {"synchronous", "stringw", "normal", "text"},
                                                   {"folderformat", "int32", "1", "text"}}));
  EXPECT_EQ(db().Rows("SELECT wszTagsetName, wszName, wszDesc FROM tagdef ORDER BY iKey;"),
            (std::vector<std::vector<std::string>>{
                {"NULL", "$$$proj$$$", "System tag for project/job tags"},
                {"NULL", "$$$frame$$$", "System tag for frame tags"}}));
  const auto dbinfo = db().Rows("SELECT wszName, wszUuid FROM dbinfo;");
  ASSERT_EQ(dbinfo.size(), 1u);
  EXPECT_EQ(dbinfo[0][0], "dbuuid");
  EXPECT_EQ(dbinfo[0][1].size(), 32u);
  EXPECT_EQ(dbinfo[0][1].find_first_not_of("0123456789abcdef"), std::string::npos);
  // Every other table is empty.
  for (const SQeSqliteTableDef* table : g_QeProjectDbTables) {
    const std::wstring name = table->wszName;
    if (name == L"vesion" || name == L"settings" || name == L"tagdef" || name == L"dbinfo") {
      continue;
    }
    EXPECT_EQ(db().Int("SELECT count(*) FROM " + CQeStringW(name).ToUtf8() + ";"), 0);
  }
}

TEST_F(SchemaTest, TwoFilesGetDifferentDatabaseUuids) {
  ASSERT_EQ(QeProjectDb_Db_Create(WFile("q.db")), 0);
  RawDb other(File("q.db"));
  EXPECT_NE(db().Text("SELECT wszUuid FROM dbinfo;"), other.Text("SELECT wszUuid FROM dbinfo;"));
}

TEST_F(SchemaTest, DeletingAProgramKeepsItsTasksWithoutReference) {
  ASSERT_EQ(db().Exec("INSERT INTO project(iKey, wszUuid) VALUES (1, 'p');"
                      "INSERT INTO jobdef(iKey, iProjKeyRef, wszUuid) VALUES (1, 1, 'd');"
                      "INSERT INTO jobprogram(iKey, iJobdefKeyRef) VALUES (1, 1);"
                      "INSERT INTO jobtask(iKey, iJobprogramKeyRef) VALUES (1, 1);"
                      "INSERT INTO jobtask(iKey, iJobprogramKeyRef, iJobtaskKeyRef) "
                      "VALUES (2, 1, 1);"),
            SQLITE_OK);
  ASSERT_EQ(db().Exec("DELETE FROM jobprogram WHERE iKey = 1;"), SQLITE_OK);
  EXPECT_EQ(db().Rows("SELECT iKey, iJobprogramKeyRef, iJobtaskKeyRef FROM jobtask ORDER BY iKey;"),
            (std::vector<std::vector<std::string>>{{"1", "NULL", "NULL"}, {"2", "NULL", "1"}}));
  // The parent task reference cascades: deleting a parent deletes its children.
  ASSERT_EQ(db().Exec("DELETE FROM jobtask WHERE iKey = 1;"), SQLITE_OK);
  EXPECT_EQ(db().Int("SELECT count(*) FROM jobtask;"), 0);
}

TEST_F(SchemaTest, DeletingARunDeletesEverythingBelowIt) {
  ASSERT_EQ(
      db().Exec(
          "INSERT INTO project(iKey, wszUuid) VALUES (1, 'p');"
          "INSERT INTO jobdef(iKey, iProjKeyRef, wszUuid) VALUES (1, 1, 'd');"
          "INSERT INTO jobrun(iKey, iProjKeyRef, iJobdefKeyRef, wszUuid) VALUES (1, 1, 1, 'r1');"
          "INSERT INTO jobrun(iKey, iProjKeyRef, iJobdefKeyRef, wszUuid) VALUES (2, 1, 1, 'r2');"
          "INSERT INTO file(iKey, iJobrunKeyRef) VALUES (1, 1);"
          "INSERT INTO frame(iJobrunKeyRef, iFrameIndex, iFileKeyRef) VALUES (1, 0, 1);"
          "INSERT INTO frame(iJobrunKeyRef, iFrameIndex) VALUES (2, 0);"
          "INSERT INTO runloop(iKey, iJobrunKeyRef, iOrder) VALUES (1, 1, 0);"
          "INSERT INTO loopindex(iJobrunKeyRef, iFrameIndex, iRunloopKeyRef) VALUES (1, 0, 1);"
          "INSERT INTO propdef(iKey, wszName) VALUES (1, 'area');"
          "INSERT INTO assayrun(iKey, iJobrunKeyRef, wszUuid) VALUES (1, 1, 'a');"
          "INSERT INTO frameprop(iJobrunKeyRef, iAssayrunKeyRef, iPropdefKeyRef, iFrameIndex) "
          "VALUES (1, 1, 1, 0);"
          "INSERT INTO frametag(iJobrunKeyRef, iTagdefKeyRef, iFrameIndex) VALUES (1, 2, 0);"
          "INSERT INTO tagcolor(iJobrunKeyRef, iTagdefKeyRef) VALUES (1, 2);"
          "INSERT INTO plateinfo(iKey, iJobrunKeyRef) VALUES (1, 1);"
          "INSERT INTO frameplateinfo(iJobrunKeyRef, iPlateinfoKeyRef, iFrameIndex) "
          "VALUES (1, 1, 0);"
          "INSERT INTO wellinfo(iKey, iJobrunKeyRef) VALUES (1, 1);"
          "INSERT INTO framewellinfo(iJobrunKeyRef, iWellinfoKeyRef, iFrameIndex) "
          "VALUES (1, 1, 0);"
          "INSERT INTO slideinfo(iKey, iJobrunKeyRef) VALUES (1, 1);"
          "INSERT INTO frameslideinfo(iJobrunKeyRef, iSlideinfoKeyRef, iFrameIndex) "
          "VALUES (1, 1, 0);"
          "INSERT INTO binlayer(iKey, iJobrunKeyRef, iAssayrunKeyRef, wszUuid) "
          "VALUES (1, 1, 1, 'b');"
          "INSERT INTO binframe(iKey, iJobrunKeyRef, iBinlayerKeyRef, iFrameIndex) "
          "VALUES (1, 1, 1, 0);"
          "INSERT INTO trace(iKey, iJobrunKeyRef, iTraceId) VALUES (1, 1, 7);"
          "INSERT INTO binobj(iKey, iBinframeKeyRef, iTraceKeyRef, iBinObjId) VALUES (1, 1, 1, 1);"
          "INSERT INTO binobjprop(iBinobjKeyRef, iPropdefKeyRef, iJobrunKeyRef) VALUES (1, 1, 1);"
          "INSERT INTO jobrunpropstat(iJobrunKeyRef, iPropdefKeyRef) VALUES (1, 1);"),
      SQLITE_OK)
      << sqlite3_errmsg(db().get());
  ASSERT_EQ(db().Exec("DELETE FROM jobrun WHERE iKey = 1;"), SQLITE_OK);
  for (const char* table :
       {"file", "runloop", "loopindex", "assayrun", "frameprop", "frametag", "tagcolor",
        "plateinfo", "frameplateinfo", "wellinfo", "framewellinfo", "slideinfo", "frameslideinfo",
        "binlayer", "binframe", "trace", "binobj", "binobjprop", "jobrunpropstat"}) {
    EXPECT_EQ(db().Int(std::string("SELECT count(*) FROM ") + table + ";"), 0) << table;
  }
  // The other run, the property definition and the tags stay.
  EXPECT_EQ(db().Rows("SELECT iJobrunKeyRef FROM frame;"),
            (std::vector<std::vector<std::string>>{{"2"}}));
  EXPECT_EQ(db().Int("SELECT count(*) FROM propdef;"), 1);
  EXPECT_EQ(db().Int("SELECT count(*) FROM tagdef;"), 2);
  // Deleting the project takes the job definition and the remaining run.
  ASSERT_EQ(db().Exec("DELETE FROM project;"), SQLITE_OK);
  EXPECT_EQ(db().Int("SELECT count(*) FROM jobdef;") + db().Int("SELECT count(*) FROM jobrun;") +
                db().Int("SELECT count(*) FROM frame;"),
            0);
}

TEST_F(SchemaTest, ForeignKeysRefuseMissingParents) {
  EXPECT_EQ(db().Exec("INSERT INTO jobdef(iProjKeyRef, wszUuid) VALUES (99, 'd');"),
            SQLITE_CONSTRAINT);
  // NULL stands for "no reference".
  EXPECT_EQ(db().Exec("INSERT INTO jobdef(iProjKeyRef, wszUuid) VALUES (NULL, 'd');"), SQLITE_OK);
}

TEST_F(SchemaTest, DuplicateUuidAbortsAndKeepsTheFirstRow) {
  ASSERT_EQ(db().Exec("INSERT INTO project(wszUuid, wszName) VALUES ('u1', 'first');"), SQLITE_OK);
  EXPECT_EQ(db().Exec("INSERT INTO project(wszUuid, wszName) VALUES ('u1', 'second');"),
            SQLITE_CONSTRAINT);
  EXPECT_EQ(db().Rows("SELECT wszName FROM project;"),
            (std::vector<std::vector<std::string>>{{"first"}}));
  // ABORT undoes only the failing statement; the transaction goes on.
  ASSERT_EQ(db().Exec("BEGIN;"), SQLITE_OK);
  ASSERT_EQ(db().Exec("INSERT INTO project(wszUuid) VALUES ('u2');"), SQLITE_OK);
  EXPECT_EQ(db().Exec("INSERT INTO project(wszUuid) VALUES ('u1');"), SQLITE_CONSTRAINT);
  ASSERT_EQ(db().Exec("COMMIT;"), SQLITE_OK);
  EXPECT_EQ(db().Int("SELECT count(*) FROM project;"), 2);
}

TEST_F(SchemaTest, PropertyAndTagNamesIgnoreLetterCase) {
  ASSERT_EQ(db().Exec("INSERT INTO propdef(wszPropsetName, wszName, wszUnit) "
                      "VALUES ('Shape', 'Area', 'µm²');"),
            SQLITE_OK);
  EXPECT_EQ(db().Exec("INSERT INTO propdef(wszPropsetName, wszName, wszUnit) "
                      "VALUES ('SHAPE', 'area', 'µm²');"),
            SQLITE_CONSTRAINT);
  EXPECT_EQ(db().Exec("INSERT INTO propdef(wszPropsetName, wszName, wszUnit) "
                      "VALUES ('Shape', 'Perimeter', 'µm');"),
            SQLITE_OK);
  EXPECT_EQ(db().Int("SELECT count(*) FROM propdef WHERE wszName = 'AREA';"), 1);
  ASSERT_EQ(db().Exec("INSERT INTO tagdef(wszTagsetName, wszName) VALUES ('set', 'Good');"),
            SQLITE_OK);
  EXPECT_EQ(db().Exec("INSERT INTO tagdef(wszTagsetName, wszName) VALUES ('set', 'GOOD');"),
            SQLITE_CONSTRAINT);
}

TEST_F(SchemaTest, LabwareNamesDefaultToUnknown) {
  ASSERT_EQ(db().Exec("INSERT INTO wellplatename(wszUuid) VALUES ('w');"
                      "INSERT INTO dishname(wszUuid) VALUES ('d');"
                      "INSERT INTO slidedef(wszUuid) VALUES ('s');"),
            SQLITE_OK);
  for (const char* table : {"wellplatename", "dishname", "slidedef"}) {
    EXPECT_EQ(db().Rows(std::string("SELECT wszCompany, wszType, wszModel FROM ") + table + ";"),
              (std::vector<std::vector<std::string>>{{"Unknown", "Unknown", "Unknown"}}))
        << table;
  }
  // The naming columns compare without regard to letter case too.
  EXPECT_EQ(db().Exec("INSERT INTO slidedef(wszUuid, wszCompany) VALUES ('s', 'UNKNOWN');"),
            SQLITE_CONSTRAINT);
}

TEST_F(DbCoreTest, CreateOnAnExistingSchemaFailsAndChangesNothing) {
  ASSERT_EQ(QeProjectDb_Db_Create(WFile("p.db")), 0);
  {
    RawDb db(File("p.db"));
    ASSERT_EQ(db.Exec("INSERT INTO project(wszUuid, wszName) VALUES ('u', 'kept');"), SQLITE_OK);
  }
  EXPECT_EQ(QeProjectDb_Db_Create(WFile("p.db")), SQLITE_ERROR);
  RawDb db(File("p.db"));
  EXPECT_EQ(db.Int("SELECT count(*) FROM vesion;"), 1);
  EXPECT_EQ(db.Int("SELECT count(*) FROM settings;"), 3);
  EXPECT_EQ(db.Text("SELECT wszName FROM project;"), "kept");
}

TEST_F(DbCoreTest, CreateWithAPartlyMatchingSchemaLeavesNoTablesBehind) {
  {
    RawDb db(File("p.db"), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    ASSERT_EQ(db.Exec("CREATE TABLE jobtask(x);"), SQLITE_OK);
  }
  EXPECT_EQ(QeProjectDb_Db_Create(WFile("p.db")), SQLITE_ERROR);
  RawDb db(File("p.db"));
  EXPECT_EQ(db.Int("SELECT count(*) FROM sqlite_master WHERE type='table';"), 1);
}

TEST_F(DbCoreTest, CreateRefusesAnEmptyPathAndAMissingFolder) {
  EXPECT_EQ(QeProjectDb_Db_Create(L""), -1);
  EXPECT_EQ(QeProjectDb_Db_Create(WFile("no/such/folder/p.db")), 0)
      << "the Projects folder is created with its parents, and the file beside it";
  EXPECT_EQ(QeProjectDb_Db_Create(CQeStringW(L"/proc/no-such-dir/p.db")), SQLITE_CANTOPEN);
}

TEST_F(DbCoreTest, CreateOnANonAsciiPathWithAnApostrophe) {
  const std::string name = "Zürich l'équipe ünd 日本.db";
  ASSERT_EQ(QeProjectDb_Db_Create(WFile(name)), 0);
  EXPECT_TRUE(std::filesystem::exists(Dir() / std::filesystem::u8path(name)));
  RawDb db(File(name));
  EXPECT_EQ(db.Int("SELECT iVersion FROM vesion WHERE wszName='main';"), 77);
}

TEST_F(DbCoreTest, CreateOnANetworkPathStoresTruncate) {
  ScopedEnvForNetwork network(Dir().string());
  ASSERT_EQ(QeProjectDb_Db_Create(WFile("net.db")), 0);
  RawDb db(File("net.db"));
  EXPECT_EQ(db.Text("SELECT varValue FROM settings WHERE wszName='journal_mode';"), "truncate");
  // Only WAL is a property of the file; the others are set per connection.
  EXPECT_NE(db.Text("PRAGMA journal_mode;"), "wal");
}

}  // namespace
}  // namespace qe::test
