// Job definitions: insert, import, updates and the modification time, type
// filter, names, toolbar and task-list membership, and the project stamps
// of the connection's temporary triggers.
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

TEST_F(RecordsJobdefTest, InsertAndImportStoreEveryFieldWithTheirOwnOrAFreshUuid) {
  int64_t key = -1;
  ASSERT_EQ(QeProjectDb_Jobdef_Insert(h_, project_, 3, 4, kQuoteName, L"desc ü", 5, &key), 0);
  const Jobdef row = Get<Jobdef>(key);
  EXPECT_EQ(std::make_tuple(row.iKey, row.iProjKeyRef, row.iDefType, row.iState, row.iProgress),
            std::make_tuple(key, project_, 3, 4, 5));
  EXPECT_EQ(row.wszName, kQuoteName);
  EXPECT_EQ(row.wszDesc, L"desc ü");
  EXPECT_EQ(row.dCTime, row.dMTime);
  EXPECT_EQ(row.wszUuid.GetLength(), 32);
  EXPECT_NE(Get<Jobdef>(AddJobdef(project_)).wszUuid, row.wszUuid);
  EXPECT_EQ(QeProjectDb_Jobdef_Insert(h_, project_ + 100, 0, 0, L"x", L"", 0, &key),
            SQLITE_CONSTRAINT);
  EXPECT_EQ(key, 0);

  // Import keeps the uuid but writes fresh times and the new key.
  Jobdef imported(999, project_, 7, 8, 1.0, 2.0, L"0123456789abcdef0123456789abcdef", L"Imported",
                  L"from elsewhere", 9);
  ASSERT_EQ(QeProjectDb_Jobdef_Import(h_, imported), 0);
  EXPECT_NE(imported.iKey, 999);
  EXPECT_GT(imported.dCTime, 2400000.0);
  EXPECT_EQ(imported.dCTime, imported.dMTime);
  const Jobdef stored = Get<Jobdef>(imported.iKey);
  EXPECT_EQ(stored.wszUuid, L"0123456789abcdef0123456789abcdef");
  EXPECT_EQ(std::make_tuple(stored.iDefType, stored.iState, stored.iProgress, stored.dCTime),
            std::make_tuple(7, 8, 9, imported.dCTime));
  EXPECT_EQ(stored.wszName, L"Imported");
  // The same uuid twice breaks the table's uniqueness.
  EXPECT_EQ(QeProjectDb_Jobdef_Import(h_, imported), SQLITE_CONSTRAINT);
  EXPECT_EQ(imported.iKey, 0);
}

// UpdateState is no modification: neither the job definition's time nor,
// through the connection's triggers, its project's moves.
TEST_F(RecordsJobdefTest, UpdateStampsTheTimeUpdateStateDoesNot) {
  const int64_t key = AddJobdef(project_);
  const std::string reset =
      "UPDATE jobdef SET dCTime=2460000.5, dMTime=2460000.5; UPDATE project SET dMTime=2450000.5";
  ASSERT_EQ(Exec(reset), SQLITE_OK);
  EXPECT_EQ(QeProjectDb_Jobdef_UpdateState(h_, key, 42), 0);
  EXPECT_EQ(std::make_tuple(Get<Jobdef>(key).iState, Get<Jobdef>(key).dMTime, ProjectMTime()),
            std::make_tuple(42, 2460000.5, 2450000.5));

  EXPECT_EQ(QeProjectDb_Jobdef_Update(h_, key, 1, 50, L"It's new", L"d", 6), 0);
  const Jobdef row = Get<Jobdef>(key);
  EXPECT_EQ(std::make_tuple(row.iState, row.iProgress, row.iDefType, row.dCTime),
            std::make_tuple(1, 50, 6, 2460000.5));
  EXPECT_EQ(row.wszName, L"It's new");
  EXPECT_GT(row.dMTime, 2460000.5);
  EXPECT_EQ(ProjectMTime(), row.dMTime);
  ASSERT_EQ(Exec(reset), SQLITE_OK);
  EXPECT_EQ(QeProjectDb_Jobdef_UpdateMTime(h_, key), 0);
  EXPECT_GT(Get<Jobdef>(key).dMTime, 2460000.5);
}

TEST_F(RecordsJobdefTest, GetAllDefTypeFiltersAndAppends) {
  AddJobdef(project_, L"a", 1);
  AddJobdef(project_, L"b", 2);
  AddJobdef(project_, L"c", 2);
  std::vector<Jobdef> rows(1);
  EXPECT_EQ(QeProjectDb_Jobdef_GetAllDefType(h_, 2, rows), 0);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].iKey, 0);
  EXPECT_EQ(rows[1].wszName + rows[2].wszName, L"bc");
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

}  // namespace
}  // namespace qe::test
