// Prepared statements are cached per connection and handed out to one
// command at a time; the builders' SQL texts are made once per definition,
// and a definition changed at the same address gets a new text.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <thread>
#include <vector>

#include "qe/sqlite/cmd.h"
#include "qe/sqlite/insert.h"
#include "qe/sqlite/path.h"
#include "qe/sqlite/select.h"
#include "qe/sqlite/update_delete.h"
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
    EXPECT_NE(other.Statement(), nullptr);
  }).join();
  EXPECT_EQ(QeSqlite_CachedStatementCount(db_), idle + 1);
}

TEST_F(StatementCacheTest, ThreadsInsertingOnOneConnectionGetTheirOwnKeys) {
  constexpr int kThreads = 4, kRows = 150;
  std::vector<std::vector<std::pair<int64_t, CQeStringW>>> inserted(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kRows; ++i) {
        CQeStringW name = CQeStringW::Formatted(L"thread %d row %d", t, i);
        CQeSqliteInsert insert(db_, kParentTable);
        int64_t key = insert.Row({name, static_cast<double>(i), CQeByteArray(), t});
        EXPECT_EQ(insert.Result(), 0);
        inserted[t].emplace_back(key, name);
      }
    });
  }
  for (auto& thread : threads) thread.join();
  for (const auto& rows : inserted) {
    for (const auto& [key, name] : rows) {
      CQeSqliteSelect select(db_, kParentTable, QeMakeStringVector(1, L"wszName"), key);
      CQeStringW stored;
      ASSERT_TRUE(select.Row({&stored}));
      EXPECT_EQ(stored, name);
    }
  }
  EXPECT_EQ(Count(L"SELECT COUNT(*) FROM parent"), kThreads * kRows);
}

TEST_F(StatementCacheTest, TheCacheKeepsTheNewestTextsAndCloseEmptiesIt) {
  for (int round = 0; round < 2; ++round) {
    for (int i = 0; i < 1500; ++i) {
      CQeSqliteCmd cmd(db_, CQeStringW::Formatted(L"SELECT %d + %d", i, round));
      ASSERT_TRUE(cmd.Next());
      EXPECT_EQ(cmd.ColumnInt(0), i + round);
    }
  }
  EXPECT_EQ(QeSqlite_CachedStatementCount(db_), 256);
  // Running one of the newest texts again reuses its statement.
  sqlite3_stmt* kept = nullptr;
  {
    CQeSqliteCmd cmd(db_, L"SELECT 1499 + 1");
    kept = cmd.Statement();
    EXPECT_EQ(QeSqlite_CachedStatementCount(db_), 255);
  }
  EXPECT_EQ(CQeSqliteCmd(db_, L"SELECT 1499 + 1").Statement(), kept);

  sqlite3* second = OpenSecond();
  { CQeSqliteCmd cmd(second, L"SELECT 1"); }
  EXPECT_EQ(QeSqlite_CachedStatementCount(second), 1);
  EXPECT_EQ(QeSqlite_Close(second), 0);
  EXPECT_EQ(QeSqlite_CachedStatementCount(second), 0);
}

TEST_F(StatementCacheTest, CachedStatementsFollowSchemaChanges) {
  Exec(L"CREATE TABLE t (a); INSERT INTO t VALUES (1);");
  {
    CQeSqliteCmd cmd(db_, L"SELECT * FROM t");
    ASSERT_TRUE(cmd.Next());
  }
  Exec(L"DROP TABLE t; CREATE TABLE t (a, b); INSERT INTO t VALUES (2, 3);");
  CQeSqliteCmd cmd(db_, L"SELECT * FROM t");
  ASSERT_TRUE(cmd.Next());
  EXPECT_EQ(cmd.ColumnCount(), 2);
  EXPECT_EQ(cmd.ColumnInt(1), 3);
}

TEST_F(StatementCacheTest, BuildersOfOneDefinitionShareTheirText) {
  CQeSqliteInsert first(db_, kParentTable);
  const size_t entries = qe::sqlite_detail::BuiltSqlCount();
  CQeSqliteInsert second(db_, kParentTable);
  EXPECT_EQ(qe::sqlite_detail::BuiltSqlCount(), entries);
  EXPECT_EQ(&first.Sql(), &second.Sql());
  EXPECT_EQ(first.Sql(),
            L"INSERT INTO parent (wszName, dValue, pData, iCount) VALUES (?, ?, ?, ?)");
  // Another conflict clause, column list or builder is another text.
  EXPECT_EQ(CQeSqliteInsert(db_, kParentTable, L"or ignore").Sql(),
            L"INSERT or ignore INTO parent (wszName, dValue, pData, iCount) VALUES (?, ?, ?, ?)");
  EXPECT_EQ(CQeSqliteInsert(db_, kParentTable, QeMakeStringVector(1, L"iCount")).Sql(),
            L"INSERT INTO parent (iCount) VALUES (?)");
  EXPECT_EQ(CQeSqliteSelect(db_, kParentTable, 7).Sql(),
            L"SELECT iKey, wszName, dValue, pData, iCount FROM parent WHERE iKey=?");
  EXPECT_EQ(CQeSqliteUpdate(db_, kParentTable, QeMakeStringVector(1, L"dValue")).Sql(),
            L"UPDATE parent SET dValue=? WHERE iKey=?");

  Exec(L"CREATE TABLE t1 (iKey INTEGER PRIMARY KEY, a INTEGER, b INTEGER);");
  SQeSqliteColDef columns[] = {
      {eQeSqliteKeyPrimary, eQeSqliteInt64, eQeSqliteIndexNone, L"iKey", nullptr, nullptr, nullptr},
      {eQeSqliteKeyPlain, eQeSqliteInt32, eQeSqliteIndexNone, L"a", nullptr, nullptr, nullptr}};
  SQeSqliteTableDef table = {L"t1", 2, columns, 0, nullptr, nullptr};
  EXPECT_NE(CQeSqliteInsert(db_, table).Row({5}), 0);
  columns[1].wszName = L"b";  // the same definition, changed in place
  CQeSqliteInsert insert(db_, table);
  EXPECT_EQ(insert.Sql(), L"INSERT INTO t1 (b) VALUES (?)");
  EXPECT_NE(insert.Row({6}), 0);
  EXPECT_EQ(Count(L"SELECT count(*) FROM t1 WHERE (a=5 AND b IS NULL) OR (b=6 AND a IS NULL)"), 2);
}
