// Job programs with their property blobs, and the last state per task class.
#include "projectdb/records_support.h"
#include "qe/core/lite_variant.h"

namespace qe::test {
namespace {

using Property = SQeProjectDbRow_jobprogram::_property;

class RecordsProgramTest : public RecordApiTest {
 protected:
  void SetUp() override {
    RecordApiTest::SetUp();
    jobdef_ = AddJobdef(AddProject());
  }
  int64_t AddTask(int64_t program, int state, int64_t parent = 0) {
    SQeProjectDbJobTaskState taskState;
    taskState.iState = state;
    int64_t key = 0;
    EXPECT_EQ(QeProjectDb_Jobtask_Insert(h_, program, parent, 0, 0, L"C", taskState, nullptr, &key),
              0);
    return key;
  }
  int64_t jobdef_ = 0;
};

TEST_F(RecordsProgramTest, InsertReadAndLatestIsTheGreatestKey) {
  // A job definition without programs leaves the outputs untouched.
  SQeProjectDbRow_jobprogram row(5, 6, L"keep", CQeByteArray());
  EXPECT_EQ(QeProjectDb_Jobprogram_GetLatest(h_, jobdef_, row), 0);
  EXPECT_EQ(row.wszSummary, L"keep");
  int state = 0x55;
  EXPECT_EQ(QeProjectDb_Jobprogram_GetLatestTaskStateoOr(h_, jobdef_, state), 0);
  EXPECT_EQ(state, 0x55);

  int64_t first = 0, key = 77;
  ASSERT_EQ(QeProjectDb_Jobprogram_Insert(h_, jobdef_, kQuoteName, &first), 0);
  const int64_t second = AddJobprogram(jobdef_);
  EXPECT_EQ(QeProjectDb_Jobprogram_GetOne(h_, first, row), 0);
  EXPECT_EQ(row.wszSummary, kQuoteName);
  EXPECT_EQ(row.iJobdefKeyRef, jobdef_);
  EXPECT_EQ(QeProjectDb_Jobprogram_GetLatest(h_, jobdef_, row), 0);
  EXPECT_EQ(row.iKey, second);
  EXPECT_EQ(QeProjectDb_Jobprogram_Insert(h_, 999, L"no jobdef", &key), 19);
  EXPECT_EQ(key, 0);
}

TEST_F(RecordsProgramTest, PropertiesKeepEarlierPairsAndNewValuesWin) {
  const int64_t program = AddJobprogram(jobdef_);
  CQeStringW value(L"untouched");
  EXPECT_EQ(QeProjectDb_Jobprogram_GetProperty(h_, program, L"never", value), eQeNotFound);
  EXPECT_EQ(value, L"untouched");

  ASSERT_EQ(QeProjectDb_Jobprogram_InsertOrUpdateProperties(
                h_, program, {Property(L"a", L"1"), Property(kQuoteName, kOtherName)}),
            0);
  ASSERT_EQ(
      QeProjectDb_Jobprogram_InsertOrUpdateProperties(
          h_, program, {Property(L"b", L"2"), Property(L"a", L"first"), Property(L"a", L"last")}),
      0);
  const std::pair<CQeStringW, CQeStringW> stored[] = {
      {L"a", L"last"}, {L"b", L"2"}, {kQuoteName, kOtherName}};
  for (const auto& [name, expected] : stored) {
    EXPECT_EQ(QeProjectDb_Jobprogram_GetProperty(h_, program, name, value), 0);
    EXPECT_EQ(value, expected);
  }
  EXPECT_EQ(QeProjectDb_Jobprogram_GetProperty(h_, program, L"A", value), eQeNotFound);
  EXPECT_EQ(QeProjectDb_Jobprogram_GetProperty(h_, program, L"", value), eQeNotFound);

  // The blob is a lite-variant document with the pairs in its root level.
  SQeProjectDbRow_jobprogram row;
  ASSERT_EQ(QeProjectDb_Jobprogram_GetOne(h_, program, row), 0);
  CQeLiteVariantR reader(row.pProperties);
  ASSERT_EQ(reader.LevelBegin(L""), 0);
  EXPECT_EQ(reader.Get(L"b", CQeStringW()), L"2");
}

TEST_F(RecordsProgramTest, PropertiesOfAMissingProgramOrADamagedBlob) {
  CQeStringW value(L"untouched");
  EXPECT_EQ(QeProjectDb_Jobprogram_GetProperty(h_, 4242, L"a", value), eQeNotFound);
  EXPECT_EQ(QeProjectDb_Jobprogram_InsertOrUpdateProperties(h_, 4242, {Property(L"a", L"1")}),
            eQeFailed);
  const CQeByteArray damaged("\x01\x02garbage", 9);
  int64_t program = 0;
  ASSERT_EQ(QeProjectDb_Jobprogram_Insert(h_, jobdef_, L"s", &damaged, &program), 0);
  EXPECT_EQ(QeProjectDb_Jobprogram_GetProperty(h_, program, L"a", value), eQeNotFound);
  EXPECT_EQ(QeProjectDb_Jobprogram_InsertOrUpdateProperties(h_, program, {Property(L"a", L"1")}),
            eQeUnusableFile);
  SQeProjectDbRow_jobprogram row;
  ASSERT_EQ(QeProjectDb_Jobprogram_GetOne(h_, program, row), 0);
  EXPECT_EQ(row.pProperties, damaged);
  EXPECT_EQ(value, L"untouched");
}

TEST_F(RecordsProgramTest, DuplicateCopiesTheRowButNotItsTasks) {
  int64_t program = 0, copy = 0, untouched = 9;
  ASSERT_EQ(QeProjectDb_Jobprogram_Insert(h_, jobdef_, kQuoteName, &program), 0);
  ASSERT_EQ(QeProjectDb_Jobprogram_InsertOrUpdateProperties(h_, program, {Property(L"k", L"v")}),
            0);
  AddTask(program, 0);
  ASSERT_EQ(QeProjectDb_Jobprogram_Duplicate(h_, program, &copy), 0);
  EXPECT_GT(copy, program);
  SQeProjectDbRow_jobprogram a, b;
  QeProjectDb_Jobprogram_GetOne(h_, program, a);
  QeProjectDb_Jobprogram_GetOne(h_, copy, b);
  EXPECT_EQ(b.wszSummary, a.wszSummary);
  EXPECT_EQ(b.pProperties, a.pProperties);
  EXPECT_EQ(b.iJobdefKeyRef, jobdef_);
  EXPECT_EQ(Count("jobtask"), 1);
  EXPECT_NE(QeProjectDb_Jobprogram_Duplicate(h_, 4242, &untouched), 0);
  EXPECT_EQ(untouched, 9);
}

TEST_F(RecordsProgramTest, LatestTaskStateIsTheOrOfTheNewestProgramOnly) {
  AddTask(AddJobprogram(jobdef_), 0x100);
  const int64_t newest = AddJobprogram(jobdef_);
  AddTask(newest, 0x6, AddTask(newest, 0x1));
  int result = 0;
  EXPECT_EQ(QeProjectDb_Jobprogram_GetLatestTaskStateoOr(h_, jobdef_, result), 0);
  EXPECT_EQ(result, 0x7);
  AddJobprogram(jobdef_);  // newest program without tasks
  EXPECT_EQ(QeProjectDb_Jobprogram_GetLatestTaskStateoOr(h_, jobdef_, result), 0);
  EXPECT_EQ(result, 0);
}

TEST_F(RecordsProgramTest, ClassLastStateIsReplacedPerClass) {
  const CQeByteArray data("\x00\x01\x02", 3);
  SQeProjectDbJobTaskState state(7, 3, kQuoteName, data, CQeByteArray());
  int64_t first = 0, second = 0;
  ASSERT_EQ(QeProjectDb_Jobclasslaststate_InsertOrUpdate(h_, kOtherName, state, &first), 0);
  state.iVersion = 8;
  ASSERT_EQ(QeProjectDb_Jobclasslaststate_InsertOrUpdate(h_, kOtherName, state, &second), 0);
  EXPECT_NE(first, second);
  EXPECT_EQ(Count("jobclasslaststate"), 1);

  SQeProjectDbJobTaskState read;
  read.wszNotes = L"kept";
  ASSERT_EQ(QeProjectDb_Jobclasslaststate_GetOne(h_, kOtherName, read), 0);
  EXPECT_EQ(std::make_tuple(read.iVersion, read.iState), std::make_tuple(8, 3));
  EXPECT_EQ(read.wszName, kQuoteName);
  EXPECT_EQ(read.pData, data);
  EXPECT_EQ(read.wszNotes, L"kept");
  SQeProjectDbJobTaskState none(1, 2, L"none", CQeByteArray(), CQeByteArray());
  EXPECT_EQ(QeProjectDb_Jobclasslaststate_GetOne(h_, L"unknown'class", none), 0);
  EXPECT_EQ(none.wszName, L"none");
}

}  // namespace
}  // namespace qe::test
