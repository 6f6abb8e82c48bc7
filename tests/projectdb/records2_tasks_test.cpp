// Job task trees: null parents, order, copy into another program, and
// deletion that spares tasks a run depends on.
#include <list>
#include <map>

#include "projectdb/records_support.h"

namespace qe::test {
namespace {

using TaskRow = SQeProjectDbRow_jobtask;

class RecordsTaskTest : public RecordRunTest {
 protected:
  // A task of program_ whose fields all derive from order.
  int64_t Task(int64_t parent, int64_t order, const CQeStringW& cls = L"C") {
    SQeProjectDbJobTaskState state(order, static_cast<int>(order), cls + L" task",
                                   CQeByteArray("d", 1), CQeByteArray("c", 1));
    state.wszNotes = kQuoteName;
    const CQeByteArray expression("e", 1);
    int64_t key = 0;
    EXPECT_EQ(QeProjectDb_Jobtask_Insert(h_, program_, parent, 10 + order, order, cls, state,
                                         &expression, &key),
              0);
    return key;
  }
  bool Exists(int64_t task) { return Count("jobtask", Eq("iKey", task)) == 1; }
};

TEST_F(RecordsTaskTest, GetManyPutsTopLevelFirstThenByParentAndOrder) {
  const int64_t a = Task(0, 2), b = Task(0, 1);
  const int64_t a2 = Task(a, 2), a1 = Task(a, 1), b1 = Task(b, 1);
  int64_t orphan = 0;  // no program, no parent: both NULL
  ASSERT_EQ(QeProjectDb_Jobtask_Insert(h_, 0, 0, 0, 0, L"C", {}, nullptr, &orphan), 0);
  EXPECT_TRUE(IsNull("jobtask", "iJobprogramKeyRef", orphan));
  EXPECT_TRUE(IsNull("jobtask", "iJobtaskKeyRef", a));
  std::list<TaskRow> rows(1);
  ASSERT_EQ(QeProjectDb_Jobtask_GetMany(h_, program_, rows), 0);
  std::vector<int64_t> keys;
  for (const auto& row : rows) keys.push_back(row.iKey);
  EXPECT_EQ(keys, (std::vector<int64_t>{0, b, a, a1, a2, b1}));
}

TEST_F(RecordsTaskTest, ThreeLevelTreeIsCopiedWithTheSameStructure) {
  const int64_t root = Task(0, 1), child = Task(root, 1);
  Task(Task(0, 2), 1, kQuoteName);
  Task(child, 1);
  Task(root, 2);
  ASSERT_EQ(QeProjectDb_Jobprogram_InsertOrUpdateProperties(
                h_, program_, {SQeProjectDbRow_jobprogram::_property(L"k", kQuoteName)}),
            0);
  int64_t target = 0;
  ASSERT_EQ(QeProjectDb_Jobprogram_Duplicate(h_, program_, &target), 0);
  CQeStringW value;
  EXPECT_EQ(QeProjectDb_Jobprogram_GetProperty(h_, target, L"k", value), 0);
  EXPECT_EQ(value, kQuoteName);

  std::map<int64_t, int64_t> map{{-1, -1}};
  ASSERT_EQ(QeProjectDb_Jobtask_DuplicateMany(h_, program_, target, &map), 0);
  ASSERT_EQ(map.size(), 6u);
  std::list<TaskRow> source;
  QeProjectDb_Jobtask_GetMany(h_, program_, source);
  EXPECT_EQ(Count("jobtask", Eq("iJobprogramKeyRef", target)), 6);
  for (const auto& old : source) {
    ASSERT_TRUE(map.count(old.iKey));
    const auto now = Get<TaskRow>(map[old.iKey]);
    EXPECT_EQ(now.iJobprogramKeyRef, target);
    EXPECT_EQ(now.iJobtaskKeyRef, old.iJobtaskKeyRef ? map[old.iJobtaskKeyRef] : 0);
    EXPECT_EQ(std::make_tuple(now.iOrder, now.iBlockNumber),
              std::make_tuple(old.iOrder, old.iBlockNumber));
    EXPECT_EQ(now.wszClassName + now.wszNotes, old.wszClassName + old.wszNotes);
    EXPECT_EQ(std::tie(now.pData, now.pDependencyExpression),
              std::tie(old.pData, old.pDependencyExpression));
  }

  // A failed copy reports 1 and leaves the caller's map alone.
  std::map<int64_t, int64_t> untouched{{1, 2}};
  EXPECT_EQ(QeProjectDb_Jobtask_DuplicateMany(h_, program_, 4242, &untouched), 1);
  EXPECT_EQ(untouched, (std::map<int64_t, int64_t>{{1, 2}}));
}

// A task is tied to a run when a frame, run loop or assay run of any run
// refers to it or to a task below it; the run using its program does not.
TEST_F(RecordsTaskTest, DeletionTakesSubtreesAndSparesTasksThatRunsReferTo) {
  const int64_t byFrame = Task(0, 1), byLoop = Task(0, 2), byAssay = Task(0, 3);
  const int64_t byCapture = Task(0, 4), parent = Task(0, 5), loose = Task(0, 6);
  const int64_t deepChild = Task(Task(parent, 1), 1), looseChild = Task(loose, 1);
  ASSERT_EQ(QeProjectDb_Frame_Insert(h_, run_, byFrame, 0, 0, 0, 0, nullptr), 0);
  ASSERT_EQ(QeProjectDb_Frame_Insert(h_, run_, deepChild, 1, 0, 0, 0, nullptr), 0);
  ASSERT_EQ(QeProjectDb_Runloop_Insert(h_, run_, byLoop, 0, 0, 0, nullptr), 0);
  ASSERT_EQ(QeProjectDb_Assayrun_Insert(h_, run_, byAssay, byCapture, L"u1", L"a", 0, nullptr), 0);

  for (const int64_t task : {byFrame, byLoop, byAssay, byCapture, parent}) {
    EXPECT_EQ(QeProjectDb_Jobtask_DeleteIfNotInJobrun(h_, task), 0);
    EXPECT_TRUE(Exists(task)) << task;
  }
  EXPECT_EQ(QeProjectDb_Jobtask_DeleteIfNotInJobrun(h_, loose), 0);
  EXPECT_FALSE(Exists(loose));
  EXPECT_FALSE(Exists(looseChild));

  // Once the run is gone, nothing ties the tasks any more.
  ASSERT_EQ(QeProjectDb_Jobrun_Delete(h_, run_), 0);
  EXPECT_EQ(QeProjectDb_Jobtask_DeleteIfNotInJobrun(h_, parent), 0);
  EXPECT_FALSE(Exists(parent));
  EXPECT_FALSE(Exists(deepChild));
}

}  // namespace
}  // namespace qe::test
