// Prepared statements are cached per connection and handed out to one
// command at a time.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <thread>

#include "qe/sqlite/cmd.h"
#include "qe/sqlite/insert.h"
#include "sample_tables.h"
#include "sqlite/built_sql.h"

using namespace qe::test;

class StatementCacheTest : public SqliteFileTest {};

TEST_F(StatementCacheTest, AStatementIsReusedByTheNextCommandInAnotherThread) {
  const CQeStringW sql = L"SELECT COUNT(*) FROM parent WHERE iCount=?";
  sqlite3_stmt* first = nullptr;
  std::thread([&] {
    CQeSqliteCmd cmd(db_, sql);
    cmd.Bind(1, 5);
    ASSERT_TRUE(cmd.Next());
    first = cmd.Statement();
  }).join();
  ASSERT_NE(first, nullptr);
  const int idle = QeSqlite_CachedStatementCount(db_);
  std::thread([&] {
    CQeSqliteCmd cmd(db_, sql);
    EXPECT_EQ(cmd.Statement(), first);
    EXPECT_EQ(QeSqlite_CachedStatementCount(db_), idle - 1);  // handed out exclusively
    // Bindings of the earlier user were cleared: the parameter is NULL now.
    ASSERT_TRUE(cmd.Next());
    EXPECT_EQ(cmd.ColumnInt(0), 0);
    // A second command of the same text while the first is in use gets its own statement.
    CQeSqliteCmd other(db_, sql);
    EXPECT_NE(other.Statement(), first);
  }).join();
  EXPECT_EQ(QeSqlite_CachedStatementCount(db_), idle + 1);
}

TEST_F(StatementCacheTest, ADefinitionChangedAtTheSameAddressGetsANewText) {
  // The builders' texts are made once per definition; one changed at the
  // same address gets a new text.
  Exec(L"CREATE TABLE t1 (iKey INTEGER PRIMARY KEY, a INTEGER, b INTEGER);");
  SQeSqliteColDef columns[] = {
      {eQeSqliteKeyPrimary, eQeSqliteInt64, eQeSqliteIndexNone, L"iKey", nullptr, nullptr, nullptr},
      {eQeSqliteKeyPlain, eQeSqliteInt32, eQeSqliteIndexNone, L"a", nullptr, nullptr, nullptr}};
  SQeSqliteTableDef table = {L"t1", 2, columns, 0, nullptr, nullptr};
  EXPECT_NE(CQeSqliteInsert(db_, table).Row({5}), 0);
  const size_t entries = qe::sqlite_detail::BuiltSqlCount();
  EXPECT_NE(CQeSqliteInsert(db_, table).Row({5}), 0);
  EXPECT_EQ(qe::sqlite_detail::BuiltSqlCount(), entries);
  columns[1].wszName = L"b";
  EXPECT_NE(CQeSqliteInsert(db_, table).Row({6}), 0);
  EXPECT_EQ(Count(L"SELECT count(*) FROM t1 WHERE (a=5 AND b IS NULL) OR (b=6 AND a IS NULL)"), 3);
}
