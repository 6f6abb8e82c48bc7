#include <gtest/gtest.h>
#include <sqlite3.h>

#include <thread>
#include <vector>

#include "qe/sqlite/cmd.h"
#include "qe/sqlite/connection.h"
#include "qe/sqlite/insert.h"
#include "qe/sqlite/path.h"
#include "qe/sqlite/select.h"
#include "sample_tables.h"

using qe::test::kParentTable;

class StatementCacheTest : public qe::test::SqliteFileTest {};

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
  int idle = QeSqlite_CachedStatementCount(db_);
  EXPECT_GE(idle, 1);

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
  Exec(L"PRAGMA synchronous=OFF;");
  constexpr int kThreads = 4;
  constexpr int kRows = 150;
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

TEST_F(StatementCacheTest, TheCacheStaysBoundedAndCloseEmptiesIt) {
  for (int i = 0; i < 300; ++i) {
    CQeSqliteCmd cmd(db_, CQeStringW::Formatted(L"SELECT %d", i));
    ASSERT_TRUE(cmd.Next());
    EXPECT_EQ(cmd.ColumnInt(0), i);
  }
  EXPECT_EQ(QeSqlite_CachedStatementCount(db_), 256);
  sqlite3* second = OpenSecond();
  { CQeSqliteCmd cmd(second, L"SELECT 1"); }
  EXPECT_EQ(QeSqlite_CachedStatementCount(second), 1);
  EXPECT_EQ(QeSqlite_Close(second), 0);
  EXPECT_EQ(QeSqlite_CachedStatementCount(second), 0);
}

TEST_F(StatementCacheTest, CachedStatementsFollowSchemaChanges) {
  Exec(L"CREATE TABLE t (a);");
  Exec(L"INSERT INTO t VALUES (1);");
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
