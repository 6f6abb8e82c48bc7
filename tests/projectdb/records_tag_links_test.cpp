// Tags of projects and job definitions, and the batch insert every
// InsertMany shares: all or nothing, keys written back, and a fresh start
// while another connection holds the write lock.
#include <atomic>
#include <chrono>
#include <thread>

#include "projectdb/records_support.h"

namespace qe::test {
namespace {

class RecordsTagLinksTest : public RecordApiTest {
 protected:
  void SetUp() override {
    RecordApiTest::SetUp();
    project_ = AddProject();
    jobdef_ = AddJobdef(project_);
    red_ = AddTagdef("red");
    green_ = AddTagdef("green");
  }
  int64_t project_ = 0, jobdef_ = 0, red_ = 0, green_ = 0;
};

TEST_F(RecordsTagLinksTest, ProjectAndJobdefTagsByOwnerAndByTag) {
  const int64_t other = AddProject(L"Other", L"Other");
  int64_t key = 0;
  EXPECT_EQ(QeProjectDb_Projtag_Insert(h_, project_, red_, &key), 0);
  EXPECT_GT(key, 0);
  EXPECT_EQ(QeProjectDb_Projtag_Insert(h_, project_, green_, nullptr), 0);
  EXPECT_EQ(QeProjectDb_Projtag_Insert(h_, other, red_, nullptr), 0);
  EXPECT_EQ(QeProjectDb_Projtag_Insert(h_, project_, red_, &key), SQLITE_CONSTRAINT);
  EXPECT_EQ(key, 0);

  std::vector<SQeProjectDbRow_projtag> rows{SQeProjectDbRow_projtag(-1, -1, -1)};
  EXPECT_EQ(QeProjectDb_Projtag_GetManyTags(h_, project_, rows), 0);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].iKey, -1);
  EXPECT_EQ(rows[1].iTagdefKeyRef, red_);
  EXPECT_EQ(rows[2].iTagdefKeyRef, green_);
  rows.clear();
  EXPECT_EQ(QeProjectDb_Projtag_GetManyProjs(h_, red_, rows), 0);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].iProjKeyRef, project_);
  EXPECT_EQ(rows[1].iProjKeyRef, other);
  EXPECT_EQ(QeProjectDb_Projtag_DeleteMany(h_, project_), 0);
  EXPECT_EQ(Count("projtag"), 1);
  EXPECT_EQ(QeProjectDb_Projtag_DeleteMany(h_, project_), 0);

  EXPECT_EQ(QeProjectDb_Jobdeftag_Insert(h_, jobdef_, green_, &key), 0);
  std::vector<SQeProjectDbRow_jobdeftag> links;
  EXPECT_EQ(QeProjectDb_Jobdeftag_GetManyTags(h_, jobdef_, links), 0);
  ASSERT_EQ(links.size(), 1u);
  EXPECT_EQ(std::make_tuple(links[0].iKey, links[0].iJobdefKeyRef, links[0].iTagdefKeyRef),
            std::make_tuple(key, jobdef_, green_));
  EXPECT_EQ(QeProjectDb_Jobdeftag_GetManyJobdefs(h_, green_, links), 0);
  EXPECT_EQ(links.size(), 2u);
  EXPECT_EQ(QeProjectDb_Jobdeftag_DeleteMany(h_, jobdef_), 0);
  EXPECT_EQ(Count("jobdeftag"), 0);
}

TEST_F(RecordsTagLinksTest, InsertManyWritesEveryKeyBackOrKeepsNoneOfTheBatch) {
  std::vector<SQeProjectDbRow_jobdeftag> rows{{0, jobdef_, red_}, {0, jobdef_, green_}};
  EXPECT_EQ(QeProjectDb_Jobdeftag_InsertMany(h_, rows), 0);
  for (const auto& row : rows)
    EXPECT_EQ(Col("jobdeftag", "iTagdefKeyRef", row.iKey), row.iTagdefKeyRef);
  std::vector<SQeProjectDbRow_projtag> none;
  EXPECT_EQ(QeProjectDb_Projtag_InsertMany(h_, none), 0);

  std::vector<SQeProjectDbRow_projtag> clash{
      {0, project_, red_}, {0, project_, green_}, {0, project_, red_}};
  EXPECT_EQ(QeProjectDb_Projtag_InsertMany(h_, clash), SQLITE_CONSTRAINT);
  EXPECT_EQ(clash[2].iKey, 0);
  EXPECT_EQ(Count("projtag"), 0);
}

TEST_F(RecordsTagLinksTest, ABusyDatabaseRestartsTheBatchUntilEveryRowIsIn) {
  std::vector<SQeProjectDbRow_projtag> rows;
  for (int i = 0; i < 40; ++i) {
    rows.emplace_back(-5, AddProject(CQeStringW::Formatted(L"P%d", i), L"P"),
                      i % 2 ? red_ : green_);
  }
  const uint32_t other = QeProjectDb_Db_Connect(DbPath());
  ASSERT_NE(other, 0u);
  sqlite3* holder = CQeProjectDbConnectionManager::GetConnection(other);
  ASSERT_EQ(QeSqlite_Execute(holder,
                             L"BEGIN IMMEDIATE TRANSACTION;"
                             L"INSERT INTO tagdef (wszTagsetName, wszName) VALUES ('t', 'held');",
                             nullptr, false),
            0);
  // The write lock is released only once the batch has met it, so the
  // batch must have given up at least once and started over.
  std::atomic<int> busyCalls{0};
  std::thread releaser([&] {
    while (busyCalls.load() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    EXPECT_EQ(QeSqlite_Execute(holder, L"COMMIT TRANSACTION;", nullptr, false), 0);
  });
  sqlite3_busy_handler(
      db(),
      [](void* calls, int) -> int {
        static_cast<std::atomic<int>*>(calls)->fetch_add(1);
        return 0;
      },
      &busyCalls);
  const int result = QeProjectDb_Projtag_InsertMany(h_, rows);
  releaser.join();
  sqlite3_busy_timeout(db(), 60000);

  EXPECT_EQ(result, 0);
  EXPECT_GE(busyCalls.load(), 1);
  EXPECT_EQ(Count("projtag"), 40);
  for (const auto& row : rows) EXPECT_EQ(Col("projtag", "iProjKeyRef", row.iKey), row.iProjKeyRef);
  EXPECT_EQ(Count("tagdef", "wszName='held'"), 1);
  QeProjectDb_Db_Disconnect(other);
}

}  // namespace
}  // namespace qe::test
