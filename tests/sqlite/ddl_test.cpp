#include "qe/sqlite/ddl.h"

#include <gtest/gtest.h>

#include "qe/sqlite/cmd.h"
#include "qe/sqlite/connection.h"
#include "sample_tables.h"

using namespace qe::test;

class DdlTest : public SqliteFileTest {};

// What SQLite reports of the tables made from the sample definitions (and
// then enforces).
TEST_F(DdlTest, DefinitionsReadBackFromTheFile) {
  // cid, name, type, notnull, dflt_value, pk
  EXPECT_EQ(QueryRows(db_, "PRAGMA table_info(child)"),
            (Rows{{"0", "iKey", "INTEGER", "0", "<null>", "1"},
                  {"1", "iParentKeyRef", "INTEGER", "0", "<null>", "0"},
                  {"2", "iOtherKeyRef", "INTEGER", "0", "<null>", "0"},
                  {"3", "iChildKeyRef", "INTEGER", "0", "<null>", "0"},
                  {"4", "wszCompany", "TEXT", "0", "'Unknown'", "0"},
                  {"5", "iOrder", "INTEGER", "0", "<null>", "0"}}));
  EXPECT_EQ(QueryRows(db_, "SELECT group_concat(type, ' ') FROM pragma_table_info('parent')"),
            (Rows{{"INTEGER TEXT REAL BLOB INTEGER"}}));
  EXPECT_EQ(QueryRows(db_,
                      "SELECT \"table\", \"from\", \"to\", on_update, on_delete "
                      "FROM pragma_foreign_key_list('child') ORDER BY \"from\""),
            (Rows{{"child", "iChildKeyRef", "iKey", "CASCADE", "CASCADE"},
                  {"parent", "iOtherKeyRef", "iKey", "CASCADE", "SET NULL"},
                  {"parent", "iParentKeyRef", "iKey", "CASCADE", "CASCADE"}}));
  // name, unique, origin ("c" = CREATE INDEX, "u" = UNIQUE constraint)
  EXPECT_EQ(QueryRows(db_,
                      "SELECT name, \"unique\", origin FROM pragma_index_list('child') "
                      "ORDER BY name"),
            (Rows{{"idx_child_iChildKeyRef", "0", "c"},
                  {"idx_child_iParentKeyRef", "0", "c"},
                  {"sqlite_autoindex_child_1", "1", "u"}}));
  EXPECT_EQ(QueryRows(db_,
                      "SELECT name, \"unique\", origin FROM pragma_index_list('parent') "
                      "ORDER BY name"),
            (Rows{{"idx_parent_wszName", "1", "c"}, {"sqlite_autoindex_parent_1", "1", "u"}}));
  EXPECT_EQ(QueryRows(db_, "SELECT name FROM pragma_index_info('sqlite_autoindex_child_1')"),
            (Rows{{"iParentKeyRef"}, {"iOrder"}}));
  Rows sql = QueryRows(db_, "SELECT sql FROM sqlite_master WHERE name='child'");
  ASSERT_EQ(sql.size(), 1u);
  for (const char* part : {"wszCompany TEXT COLLATE NOCASE DEFAULT 'Unknown'",
                           "UNIQUE (iParentKeyRef, iOrder) ON CONFLICT ABORT"}) {
    EXPECT_NE(sql[0][0].find(part), std::string::npos) << sql[0][0];
  }
}

TEST_F(DdlTest, ExVerbsRenamedTablesAndMissingIndexes) {
  EXPECT_EQ(QeSqlite_CreateColumnIndexSqlCommand(kParentTable, L"wszName", true),
            L"CREATE UNIQUE INDEX IF NOT EXISTS idx_parent_wszName ON parent (wszName);\n");
  EXPECT_TRUE(QeSqlite_CreateColumnIndexSqlCommand(kChildTable, L"iOrder").IsEmpty());
  // Running the full DDL again fails; IF NOT EXISTS and TEMP verbs work.
  EXPECT_EQ(QeSqlite_Execute(db_, QeSqlite_CreateTableSqlCommand(kParentTable), nullptr, false), 1);
  Exec(QeSqlite_CreateTableExSqlCommand(L"CREATE TABLE IF NOT EXISTS", kParentTable));
  Exec(QeSqlite_CreateTableExSqlCommand(L"CREATE TEMP TABLE", kParentTable, L"tparent"));
  EXPECT_EQ(Count(L"SELECT COUNT(*) FROM sqlite_temp_master WHERE name='tparent'"), 1);
  // A schema-qualified copy, as the merge makes it; its indexes land in that schema.
  SQeSqliteTableDef old = kChildTable;
  old.wszName = L"main.child_old";
  Exec(QeSqlite_CreateTableWithIndexesSqlCommand(old));
  EXPECT_EQ(QueryRows(db_,
                      "SELECT name FROM sqlite_master WHERE tbl_name='child_old' AND "
                      "type='index' AND name LIKE 'idx%' ORDER BY name"),
            (Rows{{"idx_child_old_iChildKeyRef"}, {"idx_child_old_iParentKeyRef"}}));
  // The index check recreates only what is missing, and may run twice.
  Exec(L"DROP INDEX idx_child_iChildKeyRef;");
  CQeStringW check = QeSqlite_CheckTableIndexesSqlCommand(kChildTable);
  Exec(check);
  Exec(check);
  EXPECT_EQ(
      Count(L"SELECT COUNT(*) FROM sqlite_master WHERE type='index' AND name LIKE 'idx_child_i%'"),
      2);
}
