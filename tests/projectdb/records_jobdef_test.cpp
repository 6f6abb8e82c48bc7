// Job definitions: import, the modification time of updates and of their
// project (the connection's temporary triggers), toolbar and task-list
// membership.
#include "projectdb/records_support.h"

namespace qe::test {
namespace {

using Jobdef = SQeProjectDbRow_jobdef;

class RecordsJobdefTest : public RecordApiTest {
 protected:
  void SetUp() override {
    RecordApiTest::SetUp();
    project_ = AddProject();
  }
  double ProjectMTime() { return Get<SQeProjectDbRow_project>(project_).dMTime; }
  int64_t project_ = 0;
};

TEST_F(RecordsJobdefTest, ImportKeepsTheUuidButWritesFreshTimesAndKey) {
  Jobdef imported(999, project_, 7, 8, 1.0, 2.0, L"0123456789abcdef0123456789abcdef", kQuoteName,
                  L"from elsewhere", 9);
  ASSERT_EQ(QeProjectDb_Jobdef_Import(h_, imported), 0);
  EXPECT_NE(imported.iKey, 999);
  EXPECT_GT(imported.dCTime, 2400000.0);
  const Jobdef stored = Get<Jobdef>(imported.iKey);
  EXPECT_EQ(stored.wszUuid + stored.wszName, L"0123456789abcdef0123456789abcdef" + kQuoteName);
  EXPECT_EQ(std::make_tuple(stored.iDefType, stored.iState, stored.iProgress, stored.dMTime),
            std::make_tuple(7, 8, 9, imported.dCTime));
  // The same uuid twice breaks the table's uniqueness.
  EXPECT_EQ(QeProjectDb_Jobdef_Import(h_, imported), SQLITE_CONSTRAINT);
  EXPECT_EQ(imported.iKey, 0);
}

// UpdateState is no modification: neither the job definition's time nor,
// through the connection's triggers, its project's moves.
TEST_F(RecordsJobdefTest, UpdateStampsTheTimeUpdateStateDoesNot) {
  const int64_t key = AddJobdef(project_);
  ASSERT_EQ(Exec("UPDATE jobdef SET dCTime=2460000.5, dMTime=2460000.5;"
                 "UPDATE project SET dMTime=2450000.5"),
            SQLITE_OK);
  EXPECT_EQ(QeProjectDb_Jobdef_UpdateState(h_, key, 42), 0);
  EXPECT_EQ(std::make_tuple(Get<Jobdef>(key).iState, Get<Jobdef>(key).dMTime, ProjectMTime()),
            std::make_tuple(42, 2460000.5, 2450000.5));
  EXPECT_EQ(QeProjectDb_Jobdef_Update(h_, key, 1, 50, L"It's new", L"d", 6), 0);
  const Jobdef row = Get<Jobdef>(key);
  EXPECT_EQ(std::make_tuple(row.iState, row.iProgress, row.dCTime),
            std::make_tuple(1, 50, 2460000.5));
  EXPECT_GT(row.dMTime, 2460000.5);
  EXPECT_EQ(ProjectMTime(), row.dMTime);
}

TEST_F(RecordsJobdefTest, ToolbarAndTaskListMembershipIsIdempotent) {
  const int64_t a = AddJobdef(project_, L"a");
  const int64_t b = AddJobdef(project_, L"b");
  EXPECT_EQ(QeProjectDb_Toolbarjobdef_Insert(h_, a), 0);
  EXPECT_EQ(QeProjectDb_Toolbarjobdef_Insert(h_, a), 0);
  EXPECT_EQ(QeProjectDb_TaskListjobdef_Insert(h_, b), 0);
  EXPECT_EQ(QeProjectDb_TaskListjobdef_Insert(h_, b), 0);
  EXPECT_EQ(Count("toolbarjobdef") + Count("tasklistjobdef"), 2);
  EXPECT_TRUE(QeProjectDb_Toolbarjobdef_Exists(h_, a));
  EXPECT_FALSE(QeProjectDb_TaskListjobdef_Exists(h_, a)) << "the two lists are separate";
  EXPECT_EQ(QeProjectDb_Toolbarjobdef_Delete(h_, a), 0);
  EXPECT_EQ(QeProjectDb_Toolbarjobdef_Delete(h_, a), 0);
  EXPECT_EQ(QeProjectDb_Jobdef_Delete(h_, b), 0);
  EXPECT_FALSE(QeProjectDb_TaskListjobdef_Exists(h_, b));
}

}  // namespace
}  // namespace qe::test
