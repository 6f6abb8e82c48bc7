// Job definitions: insert, import, updates and the modification time,
// type filter, names, toolbar and task-list membership, and the project
// stamps of the connection's temporary triggers.
#include "projectdb/records_support.h"

namespace qe::test {
namespace {

class RecordsJobdefTest : public RecordApiTest {
 protected:
  void SetUp() override {
    RecordApiTest::SetUp();
    project_ = AddProject();
  }
  double ProjectMTime() {
    return Double("SELECT dMTime FROM project WHERE iKey=" + std::to_string(project_));
  }
  void SetTimes(int64_t jobdef, double time) {
    // Set with the triggers' help: the project follows the job definition.
    ASSERT_EQ(Exec("UPDATE jobdef SET dCTime=" + std::to_string(time) +
                   ", dMTime=" + std::to_string(time) + " WHERE iKey=" + std::to_string(jobdef)),
              SQLITE_OK);
  }

  int64_t project_ = 0;
};

TEST_F(RecordsJobdefTest, InsertStoresEveryFieldAndAFreshUuid) {
  int64_t key = -1;
  ASSERT_EQ(QeProjectDb_Jobdef_Insert(h_, project_, 3, 4, kAwkwardText, L"desc ü", 5, &key), 0);
  SQeProjectDbRow_jobdef row;
  ASSERT_EQ(QeProjectDb_Jobdef_GetOne(h_, key, row), 0);
  EXPECT_EQ(row.iKey, key);
  EXPECT_EQ(row.iProjKeyRef, project_);
  EXPECT_EQ(row.iDefType, 3);
  EXPECT_EQ(row.iState, 4);
  EXPECT_EQ(row.iProgress, 5);
  EXPECT_EQ(row.wszName, kAwkwardText);
  EXPECT_EQ(row.wszDesc, L"desc ü");
  EXPECT_EQ(row.dCTime, row.dMTime);
  EXPECT_EQ(row.wszUuid.GetLength(), 32);

  SQeProjectDbRow_jobdef second;
  QeProjectDb_Jobdef_GetOne(h_, AddJobdef(project_), second);
  EXPECT_NE(second.wszUuid, row.wszUuid);
}

TEST_F(RecordsJobdefTest, InsertIntoAMissingProjectFailsWithKeyZero) {
  int64_t key = -1;
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

  SQeProjectDbRow_jobdef stored;
  ASSERT_EQ(QeProjectDb_Jobdef_GetOne(h_, row.iKey, stored), 0);
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
  SetTimes(key, 2460000.5);

  EXPECT_EQ(QeProjectDb_Jobdef_UpdateState(h_, key, 42), 0);
  SQeProjectDbRow_jobdef row;
  ASSERT_EQ(QeProjectDb_Jobdef_GetOne(h_, key, row), 0);
  EXPECT_EQ(row.iState, 42);
  EXPECT_EQ(row.dMTime, 2460000.5);

  EXPECT_EQ(QeProjectDb_Jobdef_Update(h_, key, 1, 50, L"It's new", L"d", 6), 0);
  ASSERT_EQ(QeProjectDb_Jobdef_GetOne(h_, key, row), 0);
  EXPECT_EQ(row.iState, 1);
  EXPECT_EQ(row.iProgress, 50);
  EXPECT_EQ(row.wszName, L"It's new");
  EXPECT_EQ(row.iDefType, 6);
  EXPECT_GT(row.dMTime, 2460000.5);
  EXPECT_EQ(row.dCTime, 2460000.5);

  SetTimes(key, 2460000.5);
  EXPECT_EQ(QeProjectDb_Jobdef_UpdateMTime(h_, key), 0);
  ASSERT_EQ(QeProjectDb_Jobdef_GetOne(h_, key, row), 0);
  EXPECT_GT(row.dMTime, 2460000.5);
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
  const int64_t other = AddProject(L"Other", L"Other");
  AddJobdef(other, L"Scan 'A'");
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
  ASSERT_EQ(Exec("UPDATE project SET dMTime=2450000.5"), SQLITE_OK);
  const int64_t key = AddJobdef(project_);
  SQeProjectDbRow_jobdef row;
  ASSERT_EQ(QeProjectDb_Jobdef_GetOne(h_, key, row), 0);
  EXPECT_EQ(ProjectMTime(), row.dMTime);

  ASSERT_EQ(Exec("UPDATE project SET dMTime=2450000.5"), SQLITE_OK);
  EXPECT_EQ(QeProjectDb_Jobdef_UpdateState(h_, key, 3), 0);
  EXPECT_EQ(ProjectMTime(), 2450000.5) << "a state change is no modification";
  EXPECT_EQ(QeProjectDb_Jobdef_UpdateMTime(h_, key), 0);
  ASSERT_EQ(QeProjectDb_Jobdef_GetOne(h_, key, row), 0);
  EXPECT_EQ(ProjectMTime(), row.dMTime);

  ASSERT_EQ(Exec("UPDATE project SET dMTime=2450000.5"), SQLITE_OK);
  EXPECT_EQ(QeProjectDb_Jobdef_Delete(h_, key), 0);
  EXPECT_GT(ProjectMTime(), 2450000.5);
}

}  // namespace
}  // namespace qe::test
