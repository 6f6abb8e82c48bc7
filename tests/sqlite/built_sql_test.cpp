// The builders' SQL texts are made once per definition and reused, and a
// definition that changes at the same address gets a new text; the
// statement cache keeps working with many more texts than it holds.
#include "sqlite/built_sql.h"

#include <gtest/gtest.h>

#include "qe/sqlite/cmd.h"
#include "qe/sqlite/insert.h"
#include "qe/sqlite/path.h"
#include "qe/sqlite/select.h"
#include "qe/sqlite/update_delete.h"
#include "sample_tables.h"

using qe::test::kParentTable;

class BuiltSqlTest : public qe::test::SqliteFileTest {};

TEST_F(BuiltSqlTest, BuildersOfOneDefinitionShareTheirText) {
  CQeSqliteInsert first(db_, kParentTable);
  const size_t entries = qe::sqlite_detail::BuiltSqlCount();
  CQeSqliteInsert second(db_, kParentTable);
  EXPECT_EQ(qe::sqlite_detail::BuiltSqlCount(), entries);
  EXPECT_EQ(&first.Sql(), &second.Sql());
  EXPECT_EQ(first.Sql(),
            L"INSERT INTO parent (wszName, dValue, pData, iCount) VALUES (?, ?, ?, ?)");
  // Another conflict clause, column list or builder is another text.
  CQeSqliteInsert ignore(db_, kParentTable, L"or ignore");
  EXPECT_EQ(ignore.Sql(),
            L"INSERT or ignore INTO parent (wszName, dValue, pData, iCount) VALUES (?, ?, ?, ?)");
  CQeSqliteInsert named(db_, kParentTable, QeMakeStringVector(1, L"iCount"));
  EXPECT_EQ(named.Sql(), L"INSERT INTO parent (iCount) VALUES (?)");
  CQeSqliteSelect select(db_, kParentTable, 7);
  EXPECT_EQ(select.Sql(), L"SELECT iKey, wszName, dValue, pData, iCount FROM parent WHERE iKey=?");
  CQeSqliteUpdate update(db_, kParentTable, QeMakeStringVector(1, L"dValue"));
  EXPECT_EQ(update.Sql(), L"UPDATE parent SET dValue=? WHERE iKey=?");
}

TEST_F(BuiltSqlTest, ADefinitionChangedInPlaceGetsItsNewText) {
  Exec(L"CREATE TABLE t1 (iKey INTEGER PRIMARY KEY, a INTEGER, b INTEGER);");
  SQeSqliteColDef columns[] = {
      {eQeSqliteKeyPrimary, eQeSqliteInt64, eQeSqliteIndexNone, L"iKey", nullptr, nullptr, nullptr},
      {eQeSqliteKeyPlain, eQeSqliteInt32, eQeSqliteIndexNone, L"a", nullptr, nullptr, nullptr}};
  SQeSqliteTableDef table = {L"t1", 2, columns, 0, nullptr, nullptr};
  {
    CQeSqliteInsert insert(db_, table);
    EXPECT_EQ(insert.Sql(), L"INSERT INTO t1 (a) VALUES (?)");
    EXPECT_NE(insert.Row({5}), 0);
  }
  columns[1].wszName = L"b";
  CQeSqliteInsert insert(db_, table);
  EXPECT_EQ(insert.Sql(), L"INSERT INTO t1 (b) VALUES (?)");
  EXPECT_NE(insert.Row({6}), 0);
  EXPECT_EQ(Count(L"SELECT count(*) FROM t1 WHERE a=5 AND b IS NULL"), 1);
  EXPECT_EQ(Count(L"SELECT count(*) FROM t1 WHERE b=6 AND a IS NULL"), 1);
}

TEST_F(BuiltSqlTest, TheStatementCacheServesManyMoreTextsThanItKeeps) {
  for (int round = 0; round < 2; ++round) {
    for (int i = 0; i < 1500; ++i) {
      CQeSqliteCmd cmd(db_, CQeStringW::Formatted(L"SELECT %d + %d", i, round));
      ASSERT_TRUE(cmd.Next());
      EXPECT_EQ(cmd.ColumnInt(0), i + round);
    }
  }
  EXPECT_EQ(QeSqlite_CachedStatementCount(db_), 256);
  // The newest texts are the ones kept: running one again reuses its statement.
  sqlite3_stmt* kept = nullptr;
  {
    CQeSqliteCmd cmd(db_, L"SELECT 1499 + 1");
    kept = cmd.Statement();
    EXPECT_EQ(QeSqlite_CachedStatementCount(db_), 255);
  }
  CQeSqliteCmd again(db_, L"SELECT 1499 + 1");
  EXPECT_EQ(again.Statement(), kept);
}
