// Job programs with their property blobs, the last task state, and their
// property definitions with enumeration values.
#include "projectdb/records_support.h"

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
}

TEST_F(RecordsProgramTest, ADamagedBlobIsNeitherReadNorOverwritten) {
  const CQeByteArray damaged("\x01\x02garbage", 9);
  int64_t program = 0;
  ASSERT_EQ(QeProjectDb_Jobprogram_Insert(h_, jobdef_, L"s", &damaged, &program), 0);
  CQeStringW value(L"untouched");
  EXPECT_EQ(QeProjectDb_Jobprogram_GetProperty(h_, program, L"a", value), eQeNotFound);
  EXPECT_EQ(QeProjectDb_Jobprogram_InsertOrUpdateProperties(h_, program, {Property(L"a", L"1")}),
            eQeUnusableFile);
  EXPECT_EQ(Get<SQeProjectDbRow_jobprogram>(program).pProperties, damaged);
  EXPECT_EQ(QeProjectDb_Jobprogram_InsertOrUpdateProperties(h_, 4242, {Property(L"a", L"1")}),
            eQeFailed);
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

using EnumValues = std::vector<SQeProjectDbRow_jobpropenumvalue>;
using Texts = std::vector<CQeStringW>;

EnumValues Values(std::initializer_list<const wchar_t*> texts) {
  EnumValues values;
  for (const wchar_t* text : texts) values.emplace_back(0, 0, text);
  return values;
}

Texts TextsOf(const EnumValues& values) {
  Texts texts;
  for (const auto& value : values) texts.push_back(value.wszPropenumvalue);
  return texts;
}

class RecordsJobPropTest : public RecordsProgramTest {
 protected:
  void SetUp() override {
    RecordsProgramTest::SetUp();
    program_ = AddJobprogram(jobdef_);
  }
  int64_t Define(const CQeStringW& name, EnumValues values, double value = 1.5) {
    int64_t key = 0;
    EXPECT_EQ(QeProjectDb_Jobpropdef_InsertOrUpdate(h_, program_, name, value, 2, 3, values, 4,
                                                    nullptr, &key),
              0);
    return key;
  }
  int64_t program_ = 0;
};

TEST_F(RecordsJobPropTest, UpdatingAPropertyKeyGivesANewKeyAndReplacesItsValues) {
  const int64_t first = Define(kQuoteName, Values({L"a", L"b'c", L"ü"}));
  const int64_t second = Define(kQuoteName, Values({L"z"}), 2.5);
  EXPECT_NE(first, second);
  EXPECT_EQ(Count("jobpropdef") + Count("jobpropenumvalue"), 2);
  SQeProjectDbRow_jobpropdef row;
  row.vEnumValues = Values({L"stale"});
  ASSERT_EQ(QeProjectDb_Jobpropdef_GetOne(h_, program_, kQuoteName, row), 0);
  EXPECT_EQ(std::make_tuple(row.iKey, row.dPropdefvalue), std::make_tuple(second, 2.5));
  EXPECT_EQ(TextsOf(row.vEnumValues), Texts{L"z"});
}

TEST_F(RecordsJobPropTest, SetAllKeepsTheVectorAndDeletesTheRest) {
  const int64_t dropped = Define(L"dropped", Values({L"v"}));
  Define(L"kept", Values({}));
  std::vector<SQeProjectDbRow_jobpropdef> rows{
      SQeProjectDbRow_jobpropdef(0, 0, L"kept", 9, 0, 0, 0, CQeByteArray(), Values({L"n"})),
      SQeProjectDbRow_jobpropdef(0, 0, kQuoteName, 8, 0, 0, 0, CQeByteArray())};
  ASSERT_EQ(QeProjectDb_Jobpropdef_SetAll(h_, program_, rows), 0);
  EXPECT_EQ(Count("jobpropdef"), 2);
  EXPECT_EQ(Count("jobpropenumvalue", Eq("iJobpropdefKeyRef", dropped)), 0);
  SQeProjectDbRow_jobpropdef row;
  ASSERT_EQ(QeProjectDb_Jobpropdef_GetOne(h_, rows[0].iKey, row), 0);
  EXPECT_EQ(TextsOf(row.vEnumValues), Texts{L"n"});
  rows.clear();  // an empty vector deletes all
  ASSERT_EQ(QeProjectDb_Jobpropdef_SetAll(h_, program_, rows), 0);
  EXPECT_EQ(Count("jobpropdef"), 0);
}

TEST_F(RecordsJobPropTest, EnumerationSetAllStopsAtADuplicate) {
  const int64_t def = Define(L"e", Values({L"old"}));
  EnumValues values = Values({L"a", L"b", L"a", L"c"});
  values[3].iKey = 77;
  EXPECT_EQ(QeProjectDb_Jobpropenumvalue_SetAll(h_, def, values), 19);
  EnumValues stored;
  ASSERT_EQ(QeProjectDb_Jobpropenumvalue_GetAll(h_, def, stored), 0);
  EXPECT_EQ(TextsOf(stored), (Texts{L"a", L"b"}));
  EXPECT_EQ(values[3].iKey, 77);  // never reached
}

}  // namespace
}  // namespace qe::test
