// Job definitions: insert, import, updates and the modification time, type
// filter, names, toolbar and task-list membership, and the project stamps
// of the connection's temporary triggers.
#include "projectdb/records_support.h"

namespace qe::test {
namespace {

class RecordsJobdefTest : public RecordApiTest {
 protected:
  void SetUp() override {
    RecordApiTest::SetUp();
    project_ = AddProject();
  }
  SQeProjectDbRow_jobdef Get(int64_t key) {
    SQeProjectDbRow_jobdef row;
    EXPECT_EQ(QeProjectDb_Jobdef_GetOne(h_, key, row), 0);
    return row;
  }
  double ProjectMTime() {
    return Double("SELECT dMTime FROM project WHERE " + Eq("iKey", project_));
  }
  int64_t project_ = 0;
};

TEST_F(RecordsJobdefTest, InsertStoresEveryFieldAndAFreshUuid) {
  int64_t key = -1;
  ASSERT_EQ(QeProjectDb_Jobdef_Insert(h_, project_, 3, 4, kQuoteName, L"desc ü", 5, &key), 0);
  const SQeProjectDbRow_jobdef row = Get(key);
  EXPECT_EQ(row.iKey, key);
  EXPECT_EQ(row.iProjKeyRef, project_);
  EXPECT_EQ(row.iDefType, 3);
  EXPECT_EQ(row.iState, 4);
  EXPECT_EQ(row.iProgress, 5);
  EXPECT_EQ(row.wszName, kQuoteName);
  EXPECT_EQ(row.wszDesc, L"desc ü");
  EXPECT_EQ(row.dCTime, row.dMTime);
  EXPECT_EQ(row.wszUuid.GetLength(), 32);
  EXPECT_NE(Get(AddJobdef(project_)).wszUuid, row.wszUuid);

  EXPECT_EQ(QeProjectDb_Jobdef_Insert(h_, project_ + 100, 0, 0, L"x", L"", 0, &key),
            SQLITE_CONSTRAINT);
  EXPECT_EQ(key, 0);
}

TEST_F(RecordsJobdefTest, ImportKeepsTheUuidAndWritesFreshTimesAndTheKey) {
  SQeProjectDbRow_jobdef row(999, project_, 7, 8, 1.0, 2.0, L"0123456789abcdef0123456789abcdef",
                             L"Imported", L"from elsewhere", 9);
  ASSERT_EQ(QeProjectDb_Jobdef_Import(h_, row), 0);
  EXPECT_NE(row.iKey, 999);
  EXPECT_GT(row.dCTime, 2400000.0);
  EXPECT_EQ(row.dCTime, row.dMTime);
  const SQeProjectDbRow_jobdef stored = Get(row.iKey);
  EXPECT_EQ(stored.wszUuid, L"0123456789abcdef0123456789abcdef");
  EXPECT_EQ(stored.iDefType, 7);
  EXPECT_EQ(stored.iState, 8);
  EXPECT_EQ(stored.iProgress, 9);
  EXPECT_EQ(stored.dCTime, row.dCTime);
  EXPECT_EQ(stored.wszName, L"Imported");
  // The same uuid twice breaks the table's uniqueness.
  SQeProjectDbRow_jobdef again = row;
  EXPECT_EQ(QeProjectDb_Jobdef_Import(h_, again), SQLITE_CONSTRAINT);
  EXPECT_EQ(again.iKey, 0);
}

TEST_F(RecordsJobdefTest, UpdateStampsTheTimeUpdateStateDoesNot) {
  const int64_t key = AddJobdef(project_);
  const std::string setTimes =
      "UPDATE jobdef SET dCTime=2460000.5, dMTime=2460000.5 WHERE " + Eq("iKey", key);
  ASSERT_EQ(Exec(setTimes), SQLITE_OK);
  EXPECT_EQ(QeProjectDb_Jobdef_UpdateState(h_, key, 42), 0);
  EXPECT_EQ(Get(key).iState, 42);
  EXPECT_EQ(Get(key).dMTime, 2460000.5);

  EXPECT_EQ(QeProjectDb_Jobdef_Update(h_, key, 1, 50, L"It's new", L"d", 6), 0);
  const SQeProjectDbRow_jobdef row = Get(key);
  EXPECT_EQ(row.iState, 1);
  EXPECT_EQ(row.iProgress, 50);
  EXPECT_EQ(row.wszName, L"It's new");
  EXPECT_EQ(row.iDefType, 6);
  EXPECT_GT(row.dMTime, 2460000.5);
  EXPECT_EQ(row.dCTime, 2460000.5);

  ASSERT_EQ(Exec(setTimes), SQLITE_OK);
  EXPECT_EQ(QeProjectDb_Jobdef_UpdateMTime(h_, key), 0);
  EXPECT_GT(Get(key).dMTime, 2460000.5);
}

TEST_F(RecordsJobdefTest, GetAllDefTypeFiltersAndAppends) {
  AddJobdef(project_, L"a", 1);
  AddJobdef(project_, L"b", 2);
  AddJobdef(project_, L"c", 2);
  std::vector<SQeProjectDbRow_jobdef> rows(1);
  EXPECT_EQ(QeProjectDb_Jobdef_GetAllDefType(h_, 2, rows), 0);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].iKey, 0);
  EXPECT_EQ(rows[1].wszName, L"b");
  EXPECT_EQ(rows[2].wszName, L"c");
  EXPECT_EQ(QeProjectDb_Jobdef_GetAll(h_, rows), 0);
  EXPECT_EQ(rows.size(), 6u);
}

TEST_F(RecordsJobdefTest, NamesAreUniqueOverEveryProject) {
  AddJobdef(AddProject(L"Other", L"Other"), L"Scan 'A'");
  CQeStringW unique;
  EXPECT_FALSE(QeProjectDb_Jobdef_IsNameUnique(h_, L"Scan 'A'", unique));
  EXPECT_EQ(unique, L"Scan 'A' 1");
  AddJobdef(project_, L"Scan 'A' 1");
  EXPECT_FALSE(QeProjectDb_Jobdef_IsNameUnique(h_, L"Scan 'A'", unique));
  EXPECT_EQ(unique, L"Scan 'A' 2");
  EXPECT_TRUE(QeProjectDb_Jobdef_IsNameUnique(h_, L"100%_\\ neu", unique));
}

TEST_F(RecordsJobdefTest, ToolbarAndTaskListMembershipIsIdempotent) {
  const int64_t a = AddJobdef(project_, L"a");
  const int64_t b = AddJobdef(project_, L"b");
  EXPECT_FALSE(QeProjectDb_Toolbarjobdef_Exists(h_, a));
  EXPECT_EQ(QeProjectDb_Toolbarjobdef_Insert(h_, a), 0);
  EXPECT_EQ(QeProjectDb_Toolbarjobdef_Insert(h_, a), 0);
  EXPECT_EQ(Count("toolbarjobdef"), 1);
  EXPECT_TRUE(QeProjectDb_Toolbarjobdef_Exists(h_, a));
  EXPECT_FALSE(QeProjectDb_TaskListjobdef_Exists(h_, a)) << "the two lists are separate";

  EXPECT_EQ(QeProjectDb_TaskListjobdef_Insert(h_, b), 0);
  EXPECT_EQ(QeProjectDb_TaskListjobdef_Insert(h_, b), 0);
  EXPECT_EQ(Count("tasklistjobdef"), 1);
  EXPECT_EQ(QeProjectDb_TaskListjobdef_Insert(h_, b + 100), SQLITE_CONSTRAINT);

  EXPECT_EQ(QeProjectDb_Toolbarjobdef_Delete(h_, a), 0);
  EXPECT_EQ(QeProjectDb_Toolbarjobdef_Delete(h_, a), 0);
  EXPECT_FALSE(QeProjectDb_Toolbarjobdef_Exists(h_, a));
  EXPECT_EQ(QeProjectDb_Jobdef_Delete(h_, b), 0);
  EXPECT_FALSE(QeProjectDb_TaskListjobdef_Exists(h_, b));
}

TEST_F(RecordsJobdefTest, TriggersStampTheProjectOnInsertTimeChangeAndDelete) {
  const std::string reset = "UPDATE project SET dMTime=2450000.5";
  ASSERT_EQ(Exec(reset), SQLITE_OK);
  const int64_t key = AddJobdef(project_);
  EXPECT_EQ(ProjectMTime(), Get(key).dMTime);

  ASSERT_EQ(Exec(reset), SQLITE_OK);
  EXPECT_EQ(QeProjectDb_Jobdef_UpdateState(h_, key, 3), 0);
  EXPECT_EQ(ProjectMTime(), 2450000.5) << "a state change is no modification";
  EXPECT_EQ(QeProjectDb_Jobdef_UpdateMTime(h_, key), 0);
  EXPECT_EQ(ProjectMTime(), Get(key).dMTime);

  ASSERT_EQ(Exec(reset), SQLITE_OK);
  EXPECT_EQ(QeProjectDb_Jobdef_Delete(h_, key), 0);
  EXPECT_GT(ProjectMTime(), 2450000.5);
}

}  // namespace
}  // namespace qe::test
