// Tags of projects and job definitions through the batch insert every
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

TEST_F(RecordsTagLinksTest, TagsByOwnerAppendAndABatchIsAllOrNothing) {
  std::vector<SQeProjectDbRow_jobdeftag> links{{0, jobdef_, red_}, {0, jobdef_, green_}};
  EXPECT_EQ(QeProjectDb_Jobdeftag_InsertMany(h_, links), 0);
  std::vector<SQeProjectDbRow_jobdeftag> read{SQeProjectDbRow_jobdeftag(-1, -1, -1)};
  EXPECT_EQ(QeProjectDb_Jobdeftag_GetManyTags(h_, jobdef_, read), 0);
  ASSERT_EQ(read.size(), 3u);
  EXPECT_EQ(std::make_tuple(read[0].iKey, read[2].iKey, read[2].iTagdefKeyRef),
            std::make_tuple(int64_t{-1}, links[1].iKey, green_));

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
