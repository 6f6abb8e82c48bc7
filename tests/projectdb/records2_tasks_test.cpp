// Job task trees: insert, order, copy into another program, and deletion
// that spares tasks a run depends on.
#include <list>
#include <map>
#include <vector>

#include "projectdb/records2_support.h"
#include "qe/projectdb/records/assayrun.h"
#include "qe/projectdb/records/jobprogram.h"
#include "qe/projectdb/records/jobtask.h"

namespace qe::test {
namespace {

class TaskTest : public RecordsTest {
 protected:
  void SetUp() override {
    RecordsTest::SetUp();
    project_ = MakeProject();
    jobdef_ = MakeJobdef(project_);
    QeProjectDb_Jobprogram_Insert(h_, jobdef_, L"p", &program_);
  }
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
  bool Exists(int64_t task) {
    return Count(L"jobtask", CQeStringW::Formatted(L"iKey=%I64d", task));
  }

  int64_t project_ = 0, jobdef_ = 0, program_ = 0;
};

TEST_F(TaskTest, ZeroKeysAreStoredAsNullAndFieldsRoundTrip) {
  const int64_t top = Task(0, 1, kQuoteName);
  EXPECT_TRUE(IsNull(L"jobtask", L"iJobtaskKeyRef", top));
  int64_t orphan = 0;
  ASSERT_EQ(QeProjectDb_Jobtask_Insert(h_, 0, 0, 0, 0, L"C", SQeProjectDbJobTaskState(), nullptr,
                                       &orphan),
            0);
  EXPECT_TRUE(IsNull(L"jobtask", L"iJobprogramKeyRef", orphan));
  EXPECT_TRUE(IsNull(L"jobtask", L"pDependencyExpression", orphan));

  SQeProjectDbRow_jobtask row;
  ASSERT_EQ(QeProjectDb_Jobtask_GetOne(h_, top, row), 0);
  EXPECT_EQ(row.iJobprogramKeyRef, program_);
  EXPECT_EQ(row.iJobtaskKeyRef, 0);
  EXPECT_EQ(row.iBlockNumber, 11);
  EXPECT_EQ(row.wszClassName, kQuoteName);
  EXPECT_EQ(row.wszName, kQuoteName + L" task");
  EXPECT_EQ(row.wszNotes, kQuoteName);
  EXPECT_EQ(row.pConnectionData, CQeByteArray("c", 1));
  EXPECT_EQ(row.pDependencyExpression, CQeByteArray("e", 1));

  int64_t key = 5;
  EXPECT_EQ(QeProjectDb_Jobtask_Insert(h_, program_, 4242, 0, 0, L"C", SQeProjectDbJobTaskState(),
                                       nullptr, &key),
            19);
  EXPECT_EQ(key, 0);
}

TEST_F(TaskTest, UpdateChangesPlacementClassStateAndNotesOnly) {
  const int64_t task = Task(0, 1);
  SQeProjectDbJobTaskState state(99, 0x40, L"new name", CQeByteArray("x", 1), CQeByteArray());
  state.wszNotes = kOtherName;
  state.wszNotesDetailed = L"détail";
  ASSERT_EQ(QeProjectDb_Jobtask_Update(h_, task, 7, 8, L"D", state), 0);
  SQeProjectDbRow_jobtask row;
  QeProjectDb_Jobtask_GetOne(h_, task, row);
  EXPECT_EQ(row.iBlockNumber, 7);
  EXPECT_EQ(row.iOrder, 8);
  EXPECT_EQ(row.wszClassName, L"D");
  EXPECT_EQ(row.iState, 0x40);
  EXPECT_EQ(row.wszNotes, kOtherName);
  EXPECT_EQ(row.wszNotesDetailed, L"détail");
  EXPECT_EQ(row.iVersion, 1);
  EXPECT_EQ(row.wszName, L"C task");
  EXPECT_EQ(row.pData, CQeByteArray("d", 1));
}

TEST_F(TaskTest, GetManyPutsTopLevelFirstThenByParentAndOrder) {
  const int64_t a = Task(0, 2);
  const int64_t b = Task(0, 1);
  const int64_t a2 = Task(a, 2);
  const int64_t a1 = Task(a, 1);
  const int64_t b1 = Task(b, 1);
  QeProjectDb_Jobtask_Insert(h_, 0, 0, 0, 0, L"C", {}, nullptr, nullptr);  // no program
  std::list<SQeProjectDbRow_jobtask> rows(1);
  ASSERT_EQ(QeProjectDb_Jobtask_GetMany(h_, program_, rows), 0);
  std::vector<int64_t> keys;
  for (const auto& row : rows) keys.push_back(row.iKey);
  EXPECT_EQ(keys, (std::vector<int64_t>{0, b, a, a1, a2, b1}));

  const int64_t odd = Task(b, 3, kOtherName);
  std::list<SQeProjectDbRow_jobtask> ofClass;
  ASSERT_EQ(QeProjectDb_Jobtask_GetAllWithClass(h_, program_, kOtherName, ofClass), 0);
  ASSERT_EQ(ofClass.size(), 1u);
  EXPECT_EQ(ofClass.front().iKey, odd);
}

TEST_F(TaskTest, ThreeLevelTreeIsCopiedWithTheSameStructure) {
  const int64_t root = Task(0, 1);
  const int64_t second = Task(0, 2);
  const int64_t child = Task(root, 1);
  Task(child, 1);
  Task(root, 2);
  Task(second, 1, kQuoteName);
  int64_t target = 0;
  ASSERT_EQ(QeProjectDb_Jobprogram_Duplicate(h_, program_, &target), 0);

  std::map<int64_t, int64_t> map{{-1, -1}};
  ASSERT_EQ(QeProjectDb_Jobtask_DuplicateMany(h_, program_, target, &map), 0);
  ASSERT_EQ(map.size(), 6u);
  std::list<SQeProjectDbRow_jobtask> source, copy;
  QeProjectDb_Jobtask_GetMany(h_, program_, source);
  QeProjectDb_Jobtask_GetMany(h_, target, copy);
  ASSERT_EQ(copy.size(), 6u);
  for (const auto& old : source) {
    ASSERT_TRUE(map.count(old.iKey));
    SQeProjectDbRow_jobtask now;
    ASSERT_EQ(QeProjectDb_Jobtask_GetOne(h_, map[old.iKey], now), 0);
    EXPECT_EQ(now.iJobprogramKeyRef, target);
    EXPECT_EQ(now.iJobtaskKeyRef, old.iJobtaskKeyRef ? map[old.iJobtaskKeyRef] : 0);
    EXPECT_EQ(now.iOrder, old.iOrder);
    EXPECT_EQ(now.iBlockNumber, old.iBlockNumber);
    EXPECT_EQ(now.wszClassName, old.wszClassName);
    EXPECT_EQ(now.wszNotes, old.wszNotes);
    EXPECT_EQ(now.pData, old.pData);
    EXPECT_EQ(now.pDependencyExpression, old.pDependencyExpression);
  }
  EXPECT_EQ(Count(L"jobtask", CQeStringW::Formatted(L"iJobtaskKeyRef=%I64d", map[child])), 1);

  // A failed copy reports 1 and leaves the caller's map alone.
  std::map<int64_t, int64_t> untouched{{1, 2}};
  EXPECT_EQ(QeProjectDb_Jobtask_DuplicateMany(h_, program_, 4242, &untouched), 1);
  EXPECT_EQ(untouched, (std::map<int64_t, int64_t>{{1, 2}}));
}

TEST_F(TaskTest, DeleteTakesTheSubtreeAndDeleteManyTheProgram) {
  const int64_t root = Task(0, 1);
  const int64_t child = Task(root, 1);
  const int64_t other = Task(0, 2);
  ASSERT_EQ(QeProjectDb_Jobtask_Delete(h_, root), 0);
  EXPECT_FALSE(Exists(child));
  EXPECT_TRUE(Exists(other));
  ASSERT_EQ(QeProjectDb_Jobtask_DeleteMany(h_, program_), 0);
  EXPECT_EQ(Count(L"jobtask"), 0);
}

// A task is tied to a run when a frame, run loop or assay run of any run
// refers to it or to a task below it.
TEST_F(TaskTest, DeleteIfNotInJobrunSparesTasksThatRunsReferTo) {
  const int64_t run = MakeJobrun(project_, jobdef_, program_);
  const int64_t byFrame = Task(0, 1);
  const int64_t byLoop = Task(0, 2);
  const int64_t byAssay = Task(0, 3);
  const int64_t byCapture = Task(0, 4);
  const int64_t parent = Task(0, 5);
  const int64_t deepChild = Task(Task(parent, 1), 1);
  const int64_t loose = Task(0, 6);
  const int64_t looseChild = Task(loose, 1);
  const int64_t frame = MakeFrame(run, byFrame, 0);
  MakeRunloop(run, byLoop, 0);
  MakeFrame(run, deepChild, 1);
  ASSERT_EQ(QeProjectDb_Assayrun_Insert(h_, run, byAssay, byCapture, L"u1", L"a", 0, nullptr), 0);

  for (const int64_t task : {byFrame, byLoop, byAssay, byCapture, parent}) {
    EXPECT_EQ(QeProjectDb_Jobtask_DeleteIfNotInJobrun(h_, task), 0);
    EXPECT_TRUE(Exists(task)) << task;
  }
  EXPECT_EQ(Count(L"frame", CQeStringW::Formatted(L"iKey=%I64d", frame)), 1);
  EXPECT_EQ(Count(L"assayrun"), 1);

  EXPECT_EQ(QeProjectDb_Jobtask_DeleteIfNotInJobrun(h_, loose), 0);
  EXPECT_FALSE(Exists(loose));
  EXPECT_FALSE(Exists(looseChild));
  EXPECT_EQ(QeProjectDb_Jobtask_DeleteIfNotInJobrun(h_, 4242), 0);

  // Once the run is gone, nothing ties the tasks any more.
  ASSERT_EQ(QeSqlite_Execute(db(), L"DELETE FROM jobrun;", nullptr, false), 0);
  EXPECT_EQ(QeProjectDb_Jobtask_DeleteIfNotInJobrun(h_, parent), 0);
  EXPECT_FALSE(Exists(parent));
  EXPECT_FALSE(Exists(deepChild));
}

}  // namespace
}  // namespace qe::test
