#include <gtest/gtest.h>
#include <sqlite3.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "qe/sqlite/connection.h"
#include "qe/sqlite/insert_transacted.h"
#include "sample_tables.h"

using namespace qe::test;

namespace {

// The batch insert as record functions write it: ignore busy errors when
// owning the transaction, stop on busy, wait 30 ms and start over.
int InsertMany(sqlite3* db, const std::vector<CQeStringW>& names, int* attempts) {
  for (;;) {
    ++*attempts;
    bool busy = false;
    int result = 0;
    {
      CQeSqliteInsertTransacted insert(db, kParentTable);
      if (insert.IsTransactionOwner()) insert.IgnoreBusyError();
      for (const CQeStringW& name : names) {
        insert.Row({name, 1.0, CQeByteArray(), 0});
        if ((busy = insert.IsBusy())) break;
      }
      if (!busy) result = insert.Result();
    }
    if (!busy) return result;
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
  }
}

std::vector<CQeStringW> Batch(int n, const wchar_t* prefix) {
  std::vector<CQeStringW> names;
  for (int i = 0; i < n; ++i) names.push_back(CQeStringW::Formatted(L"%s %d", prefix, i));
  return names;
}

}  // namespace

class TransactedTest : public SqliteFileTest {};

TEST_F(TransactedTest, OwnsATransactionOnlyWhenNoneIsOpenAndFailsAsAWhole) {
  Exec(L"BEGIN TRANSACTION;");
  {
    CQeSqliteInsertTransacted insert(db_, kParentTable);
    EXPECT_FALSE(insert.IsTransactionOwner());
    EXPECT_GT(insert.Row({L"b", 1.0, CQeByteArray(), 0}), 0);
  }
  EXPECT_EQ(sqlite3_get_autocommit(db_), 0);  // still the caller's transaction
  Exec(L"ROLLBACK TRANSACTION;");

  std::vector<CQeStringW> names = Batch(5, L"item");
  names[3] = L"ITEM 1";  // the same name as item 1 under NOCASE
  int attempts = 0;
  EXPECT_EQ(InsertMany(db_, names, &attempts), 19);
  EXPECT_EQ(attempts, 1);
  EXPECT_EQ(QueryRows(db_, "SELECT COUNT(*) FROM parent"), (Rows{{"0"}}));
  EXPECT_EQ(sqlite3_get_autocommit(db_), 1);
  names[3] = L"item 3";
  EXPECT_EQ(InsertMany(db_, names, &attempts), 0);
  EXPECT_EQ(QueryRows(db_, "SELECT COUNT(*) FROM parent"), (Rows{{"5"}}));
}

TEST_F(TransactedTest, ABusyDatabaseMakesTheBatchStartOverUntilItIsFree) {
  sqlite3* holder = OpenSecond();
  ASSERT_EQ(QeSqlite_Execute(holder,
                             L"BEGIN IMMEDIATE TRANSACTION;"
                             L"INSERT INTO parent (wszName) VALUES ('held');",
                             nullptr, false),
            0);
  {
    // Without ignoring busy errors the status says so, and nothing is written.
    CQeSqliteInsertTransacted insert(db_, kParentTable);
    EXPECT_EQ(insert.Row({L"x", 1.0, CQeByteArray(), 0}), 0);
    EXPECT_TRUE(insert.IsBusy());
    EXPECT_EQ(insert.Result(), 5);
  }
  EXPECT_EQ(sqlite3_get_autocommit(db_), 1);

  std::atomic<bool> sawBusy{false};
  std::thread releaser([&] {
    while (!sawBusy.load()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(QeSqlite_Execute(holder, L"COMMIT TRANSACTION;", nullptr, false), 0);
  });
  sqlite3_busy_handler(
      db_,
      [](void* flag, int) -> int {
        static_cast<std::atomic<bool>*>(flag)->store(true);
        return 0;  // give up at once: the batch caller retries
      },
      &sawBusy);
  int attempts = 0;
  EXPECT_EQ(InsertMany(db_, Batch(50, L"batch"), &attempts), 0);
  releaser.join();
  EXPECT_GE(attempts, 2);
  EXPECT_EQ(QueryRows(db_, "SELECT COUNT(*) FROM parent WHERE wszName LIKE 'batch %'"),
            (Rows{{"50"}}));
  sqlite3_busy_handler(db_, nullptr, nullptr);
  EXPECT_EQ(QeSqlite_Close(holder), 0);
}
