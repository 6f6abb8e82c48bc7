// A newly created file: its tables, columns, constraints, indexes and fixed
// rows, how its foreign keys, unique constraints, collations and defaults
// behave, and creation over files that are not new.
#include <algorithm>
#include <optional>
#include <set>

#include "projectdb/dbcore_support.h"
#include "qe/projectdb/schema.h"

namespace qe::test {
namespace {

std::string Utf8(const wchar_t* text) { return qe::WideToUtf8(text); }

class SchemaTest : public DbCoreTest {
 protected:
  void SetUp() override {
    Create();
    db_.emplace(File("p.db"));
    ASSERT_EQ(db_->Exec("PRAGMA foreign_keys=1;"), SQLITE_OK);
  }
  std::optional<RawDb> db_;
};

// Tables, columns, types, defaults, foreign keys, indexes, the unique
// constraint and collations as the records say; each table reachable by name.
TEST_F(SchemaTest, TheFileHoldsWhatTheRecordsSay) {
  const char* kDeclaredTypes[] = {"", "INTEGER", "INTEGER", "REAL", "", "TEXT", "BLOB"};
  std::set<std::string> expected_tables, tables;
  for (const auto& row : db_->Rows("SELECT name FROM sqlite_master WHERE type='table';")) {
    tables.insert(row[0]);
  }
  for (const SQeSqliteTableDef* table : g_QeProjectDbTables) {
    const std::string name = Utf8(table->wszName);
    SCOPED_TRACE(name);
    expected_tables.insert(name);
    EXPECT_EQ(QeProjectDb_Schema_FindTable(table->wszName), table);
    const Rows info = db_->Rows("PRAGMA table_info(" + name + ");");
    ASSERT_EQ(info.size(), table->nColumns);
    const std::string sql = db_->Text("SELECT sql FROM sqlite_master WHERE name='" + name + "';");
    Rows expected_keys, expected_unique, unique;
    std::set<Rows::value_type> expected_indexes, indexes;  // column, unique
    for (uint32_t i = 0; i < table->nColumns; ++i) {
      const SQeSqliteColDef& col = table->pColumns[i];
      const std::string column = Utf8(col.wszName);
      EXPECT_EQ(info[i][1], column);
      EXPECT_EQ(info[i][2], kDeclaredTypes[col.iType]);
      EXPECT_EQ(info[i][4], col.wszDefault ? "'" + Utf8(col.wszDefault) + "'" : "NULL");
      EXPECT_EQ(info[i][5], i == 0 ? "1" : "0");
      if (const SQeSqliteForeignKeyDef* fk = col.pForeignKey) {
        const bool set_null = std::wstring(fk->wszOnDelete) == L"ON DELETE SET NULL";
        expected_keys.push_back(
            {column, Utf8(fk->wszTable), "iKey", "CASCADE", set_null ? "SET NULL" : "CASCADE"});
      }
      if (i == 0) continue;
      if (col.iIndexKind != eQeSqliteIndexNone) {
        expected_indexes.insert({column, col.iIndexKind == eQeSqliteIndexUnique ? "1" : "0"});
      }
      const size_t at = sql.find(" " + column + " ");
      ASSERT_NE(at, std::string::npos) << column;
      const std::string declaration = sql.substr(at, sql.find_first_of(",)", at) - at);
      EXPECT_EQ(declaration.find("COLLATE NOCASE") != std::string::npos,
                col.wszCollation != nullptr)
          << declaration;
    }
    std::sort(expected_keys.begin(), expected_keys.end());
    EXPECT_EQ(db_->Rows("SELECT \"from\", \"table\", \"to\", on_update, on_delete FROM "
                        "pragma_foreign_key_list('" +
                        name + "') ORDER BY \"from\";"),
              expected_keys);
    for (const auto& index : db_->Rows("PRAGMA index_list(" + name + ");")) {
      const Rows columns = db_->Rows("SELECT name FROM pragma_index_info('" + index[1] + "');");
      if (index[3] == "u") {  // the table's UNIQUE constraint
        unique = columns;
      } else {
        ASSERT_EQ(columns.size(), 1u);
        indexes.insert({columns[0][0], index[2]});
      }
    }
    EXPECT_EQ(indexes, expected_indexes);
    for (uint32_t i = 0; i < table->nUniqueColumns; ++i) {
      expected_unique.push_back({Utf8(table->pUniqueColumns[i])});
    }
    EXPECT_EQ(unique, expected_unique);
    EXPECT_EQ(sql.find("ON CONFLICT ABORT") != std::string::npos, table->nUniqueColumns > 0);
  }
  EXPECT_EQ(tables, expected_tables);
  EXPECT_EQ(tables.size(), 47u);
  EXPECT_EQ(g_QeProjectDbTables[0], &g_QeProjectDbTable_vesion);
  EXPECT_EQ(QeProjectDb_Schema_FindTable(L"Project"), nullptr);
  EXPECT_EQ(QeProjectDb_Schema_FindColumn(&g_QeProjectDbTable_jobrun, L"wszFinishMessage"), 12);
}

TEST_F(SchemaTest, ANewFileIsSoundUtf16AndHoldsOnlyItsFixedRows) {
  EXPECT_EQ(db_->Text("PRAGMA integrity_check;"), "ok");
  EXPECT_TRUE(db_->Rows("PRAGMA foreign_key_check;").empty());
  EXPECT_EQ(db_->Text("PRAGMA encoding;"), "UTF-16le");
  EXPECT_EQ(db_->Text("PRAGMA journal_mode;"), "wal");
  EXPECT_TRUE(std::filesystem::is_directory(Dir() / "Projects"));

  EXPECT_EQ(db_->Rows("SELECT wszName, iVersion FROM vesion;"), (Rows{{"main", "77"}}));
  EXPECT_EQ(db_->Rows("SELECT wszName, wszType, varValue FROM settings ORDER BY iKey;"),
            (Rows{{"journal_mode", "stringw", "wal"},
                  {"synchronous", "stringw", "normal"},
                  {"folderformat", "int32", "1"}}));
  EXPECT_EQ(db_->Rows("SELECT wszName FROM tagdef ORDER BY iKey;"),
            (Rows{{"$$$proj$$$"}, {"$$$frame$$$"}}));
  const std::string uuid = db_->Text("SELECT wszUuid FROM dbinfo WHERE wszName='dbuuid';");
  EXPECT_EQ(uuid.size(), 32u);
  long long rows = 0;
  for (const SQeSqliteTableDef* table : g_QeProjectDbTables) {
    rows += db_->Int("SELECT count(*) FROM " + Utf8(table->wszName) + ";");
  }
  EXPECT_EQ(rows, 1 + 3 + 2 + 1) << "every other table is empty";
  Create("q.db");
  EXPECT_NE(RawDb(File("q.db")).Text("SELECT wszUuid FROM dbinfo;"), uuid);
}

TEST_F(SchemaTest, DeletingAProgramKeepsItsTasksWithoutReference) {
  ASSERT_EQ(
      db_->Exec("INSERT INTO project(iKey, wszUuid) VALUES (1, 'p');"
                "INSERT INTO jobdef(iKey, iProjKeyRef, wszUuid) VALUES (1, 1, 'd');"
                "INSERT INTO jobprogram(iKey, iJobdefKeyRef) VALUES (1, 1);"
                "INSERT INTO jobtask(iKey, iJobprogramKeyRef) VALUES (1, 1);"
                "INSERT INTO jobtask(iKey, iJobprogramKeyRef, iJobtaskKeyRef) VALUES (2, 1, 1);"
                "DELETE FROM jobprogram WHERE iKey = 1;"),
      SQLITE_OK);
  EXPECT_EQ(db_->Rows("SELECT iKey, iJobprogramKeyRef, iJobtaskKeyRef FROM jobtask ORDER BY iKey;"),
            (Rows{{"1", "NULL", "NULL"}, {"2", "NULL", "1"}}));
  // The parent task reference cascades: deleting a parent deletes its children.
  ASSERT_EQ(db_->Exec("DELETE FROM jobtask WHERE iKey = 1;"), SQLITE_OK);
  EXPECT_EQ(db_->Int("SELECT count(*) FROM jobtask;"), 0);
}

TEST_F(SchemaTest, DeletingARunDeletesEverythingBelowIt) {
  // table, columns, values: rows below run 1 along every chain of tables that
  // hangs from a run, beside a second run, a property definition and the tags.
  const char* rows[][3] = {
      {"project", "iKey, wszUuid", "1, 'p'"},
      {"jobdef", "iKey, iProjKeyRef, wszUuid", "1, 1, 'd'"},
      {"jobrun", "iKey, iProjKeyRef, iJobdefKeyRef, wszUuid", "1, 1, 1, 'r1'), (2, 1, 1, 'r2'"},
      {"file", "iKey, iJobrunKeyRef", "1, 1"},
      {"frame", "iJobrunKeyRef, iFrameIndex, iFileKeyRef", "1, 0, 1), (2, 0, NULL"},
      {"runloop", "iKey, iJobrunKeyRef, iOrder", "1, 1, 0"},
      {"loopindex", "iJobrunKeyRef, iFrameIndex, iRunloopKeyRef", "1, 0, 1"},
      {"propdef", "iKey, wszName", "1, 'area'"},
      {"assayrun", "iKey, iJobrunKeyRef, wszUuid", "1, 1, 'a'"},
      {"frameprop", "iJobrunKeyRef, iAssayrunKeyRef, iPropdefKeyRef, iFrameIndex", "1, 1, 1, 0"},
      {"frametag", "iJobrunKeyRef, iTagdefKeyRef, iFrameIndex", "1, 2, 0"},
      {"plateinfo", "iKey, iJobrunKeyRef", "1, 1"},
      {"binlayer", "iKey, iJobrunKeyRef, iAssayrunKeyRef, wszUuid", "1, 1, 1, 'b'"},
      {"binframe", "iKey, iJobrunKeyRef, iBinlayerKeyRef, iFrameIndex", "1, 1, 1, 0"},
      {"trace", "iKey, iJobrunKeyRef, iTraceId", "1, 1, 7"},
      {"binobj", "iKey, iBinframeKeyRef, iTraceKeyRef, iBinObjId", "1, 1, 1, 1"},
      {"binobjprop", "iBinobjKeyRef, iPropdefKeyRef, iJobrunKeyRef", "1, 1, 1"}};
  for (const auto& [table, columns, values] : rows) {
    ASSERT_EQ(db_->Exec(std::string("INSERT INTO ") + table + "(" + columns + ") VALUES (" +
                        values + ");"),
              SQLITE_OK)
        << table << ": " << sqlite3_errmsg(db_->Get());
  }
  ASSERT_EQ(db_->Exec("DELETE FROM jobrun WHERE iKey = 1;"), SQLITE_OK);
  for (const auto& [table, columns, values] : rows) {
    const std::string name = table;
    if (name == "project" || name == "jobdef" || name == "propdef") continue;
    EXPECT_EQ(db_->Int("SELECT count(*) FROM " + name + ";"),
              name == "jobrun" || name == "frame" ? 1 : 0)
        << name;
  }
  EXPECT_EQ(db_->Rows("SELECT iJobrunKeyRef FROM frame;"), (Rows{{"2"}}));
  EXPECT_EQ(db_->Int("SELECT count(*) FROM propdef;") + db_->Int("SELECT count(*) FROM tagdef;"),
            3);
  // Deleting the project takes the job definition and the remaining run.
  ASSERT_EQ(db_->Exec("DELETE FROM project;"), SQLITE_OK);
  EXPECT_EQ(db_->Int("SELECT (SELECT count(*) FROM jobdef) + (SELECT count(*) FROM jobrun) + "
                     "(SELECT count(*) FROM frame);"),
            0);
}

TEST_F(SchemaTest, KeysUniqueConstraintsCollationsAndDefaultsInUse) {
  // Property names are one name in any letter case.
  const char* kArea = "INSERT INTO propdef(wszPropsetName, wszName, wszUnit) VALUES ";
  ASSERT_EQ(db_->Exec(std::string(kArea) + "('Shape', 'Area', 'µm²');"), SQLITE_OK);
  EXPECT_EQ(db_->Exec(std::string(kArea) + "('SHAPE', 'area', 'µm²');"), SQLITE_CONSTRAINT);
  EXPECT_EQ(db_->Int("SELECT count(*) FROM propdef WHERE wszName = 'AREA';"), 1);
  // Labware names default to "Unknown", and compare without letter case too.
  ASSERT_EQ(db_->Exec("INSERT INTO slidedef(wszUuid) VALUES ('s');"), SQLITE_OK);
  EXPECT_EQ(db_->Rows("SELECT wszCompany, wszType, wszModel FROM slidedef"),
            (Rows{{"Unknown", "Unknown", "Unknown"}}));
  EXPECT_EQ(db_->Exec("INSERT INTO slidedef(wszUuid, wszCompany) VALUES ('s', 'UNKNOWN');"),
            SQLITE_CONSTRAINT);
}

// --- Creation over files that are not new ---

TEST_F(DbCoreTest, CreateOnAnExistingSchemaFailsAndChangesNothing) {
  Create();
  ASSERT_EQ(RawDb(File("p.db")).Exec("INSERT INTO project(wszUuid, wszName) VALUES ('u', 'kept');"),
            SQLITE_OK);
  EXPECT_EQ(QeProjectDb_Db_Create(WFile("p.db")), SQLITE_ERROR);
  EXPECT_EQ(RawDb(File("p.db")).Text("SELECT count(*) || project.wszName FROM settings, project;"),
            "3kept");

  // A file with one table of the schema keeps just that table.
  ASSERT_EQ(RawDb(File("q.db"), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE)
                .Exec("CREATE TABLE jobtask(x);"),
            SQLITE_OK);
  EXPECT_EQ(QeProjectDb_Db_Create(WFile("q.db")), SQLITE_ERROR);
  EXPECT_EQ(RawDb(File("q.db")).Int("SELECT count(*) FROM sqlite_master;"), 1);
}

}  // namespace
}  // namespace qe::test
