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

struct Item {
  CQeStringW name;
  int64_t iKey = 0;
};

// The batch insert as record functions write it: ignore busy errors when
// owning the transaction, stop on busy, wait 30 ms and start over.
int InsertMany(sqlite3* db, std::vector<Item>& items, int* attempts) {
  for (;;) {
    ++*attempts;
    bool busy = false;
    int result = 0;
    {
      CQeSqliteInsertTransacted insert(db, kParentTable);
      if (insert.IsTransactionOwner()) insert.IgnoreBusyError();
      for (Item& item : items) {
        item.iKey = insert.Row({item.name, 1.0, CQeByteArray(), 0});
        if (insert.IsBusy()) {
          busy = true;
          break;
        }
      }
      if (!busy) result = insert.Result();
    }
    if (!busy) return result;
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
  }
}

std::vector<Item> Batch(int n, const wchar_t* prefix) {
  std::vector<Item> items;
  for (int i = 0; i < n; ++i) items.push_back({CQeStringW::Formatted(L"%s %d", prefix, i)});
  return items;
}

}  // namespace

class TransactedTest : public SqliteFileTest {};

TEST_F(TransactedTest, OwnsATransactionOnlyWhenNoneIsOpen) {
  sqlite3* observer = OpenSecond();
  {
    CQeSqliteInsertTransacted insert(db_, kParentTable);
    EXPECT_TRUE(insert.IsTransactionOwner());
    EXPECT_GT(insert.Row({L"a", 1.0, CQeByteArray(), 0}), 0);
    EXPECT_EQ(sqlite3_get_autocommit(db_), 0);
    EXPECT_EQ(QueryRows(observer, "SELECT COUNT(*) FROM parent"), (Rows{{"0"}}));
  }
  EXPECT_EQ(sqlite3_get_autocommit(db_), 1);
  EXPECT_EQ(QueryRows(observer, "SELECT COUNT(*) FROM parent"), (Rows{{"1"}}));

  Exec(L"BEGIN TRANSACTION;");
  {
    CQeSqliteInsertTransacted insert(db_, kParentTable);
    EXPECT_FALSE(insert.IsTransactionOwner());
    EXPECT_GT(insert.Row({L"b", 1.0, CQeByteArray(), 0}), 0);
  }
  EXPECT_EQ(sqlite3_get_autocommit(db_), 0);  // still the caller's transaction
  Exec(L"ROLLBACK TRANSACTION;");
  EXPECT_EQ(QueryRows(db_, "SELECT wszName FROM parent"), (Rows{{"a"}}));
  EXPECT_EQ(QeSqlite_Close(observer), 0);
}

TEST_F(TransactedTest, AFailedRowRollsTheWholeBatchBack) {
  std::vector<Item> items = Batch(5, L"item");
  items[3].name = L"ITEM 1";  // the same name as item 1 under NOCASE
  int attempts = 0;
  EXPECT_EQ(InsertMany(db_, items, &attempts), 19);
  EXPECT_EQ(attempts, 1);
  EXPECT_EQ(QueryRows(db_, "SELECT COUNT(*) FROM parent"), (Rows{{"0"}}));
  EXPECT_EQ(sqlite3_get_autocommit(db_), 1);

  items[3].name = L"item 3";
  EXPECT_EQ(InsertMany(db_, items, &attempts), 0);
  EXPECT_EQ(QueryRows(db_, "SELECT COUNT(*) FROM parent"), (Rows{{"5"}}));
  EXPECT_EQ(
      QueryRows(db_, "SELECT wszName FROM parent WHERE iKey=" + std::to_string(items[4].iKey)),
      (Rows{{"item 4"}}));
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
    EXPECT_TRUE(insert.IsTransactionOwner());
    EXPECT_EQ(insert.Row({L"x", 1.0, CQeByteArray(), 0}), 0);
    EXPECT_TRUE(insert.IsBusy());
    EXPECT_EQ(insert.Result(), 5);
  }
  EXPECT_EQ(sqlite3_get_autocommit(db_), 1);

  std::atomic<bool> sawBusy{false};
  std::atomic<bool> released{false};
  std::thread releaser([&] {
    while (!sawBusy.load()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(QeSqlite_Execute(holder, L"COMMIT TRANSACTION;", nullptr, false), 0);
    released = true;
  });
  sqlite3_busy_handler(
      db_,
      [](void* flag, int) -> int {
        static_cast<std::atomic<bool>*>(flag)->store(true);
        return 0;  // give up at once: the batch caller retries
      },
      &sawBusy);

  std::vector<Item> items = Batch(50, L"batch");
  int attempts = 0;
  EXPECT_EQ(InsertMany(db_, items, &attempts), 0);
  releaser.join();
  EXPECT_TRUE(released);
  EXPECT_GE(attempts, 2);
  EXPECT_EQ(QueryRows(db_, "SELECT COUNT(*) FROM parent WHERE wszName LIKE 'batch %'"),
            (Rows{{"50"}}));
  EXPECT_EQ(QueryRows(db_, "SELECT COUNT(*) FROM parent WHERE wszName='held'"), (Rows{{"1"}}));
  for (const Item& item : items) EXPECT_GT(item.iKey, 0);
  sqlite3_busy_handler(db_, nullptr, nullptr);
  EXPECT_EQ(QeSqlite_Close(holder), 0);
}
