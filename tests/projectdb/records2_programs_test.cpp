// Job programs with their property blobs, their property definitions with
// enumeration values, and the last state per task class.
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
  EXPECT_EQ(Get<SQeProjectDbRow_jobprogram>(first).wszSummary, kQuoteName);
  EXPECT_EQ(Get<SQeProjectDbRow_jobprogram>(first).iJobdefKeyRef, jobdef_);
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
  CQeLiteVariantR reader(Get<SQeProjectDbRow_jobprogram>(program).pProperties);
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
  EXPECT_EQ(Get<SQeProjectDbRow_jobprogram>(program).pProperties, damaged);
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
  const auto a = Get<SQeProjectDbRow_jobprogram>(program);
  const auto b = Get<SQeProjectDbRow_jobprogram>(copy);
  EXPECT_EQ(std::tie(b.iJobdefKeyRef, b.wszSummary, b.pProperties),
            std::tie(a.iJobdefKeyRef, a.wszSummary, a.pProperties));
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
  EXPECT_EQ(std::make_tuple(read.iVersion, read.iState, read.pData), std::make_tuple(8, 3, data));
  EXPECT_EQ(read.wszName + read.wszNotes, kQuoteName + L"kept");
  SQeProjectDbJobTaskState none(1, 2, L"none", CQeByteArray(), CQeByteArray());
  EXPECT_EQ(QeProjectDb_Jobclasslaststate_GetOne(h_, L"unknown'class", none), 0);
  EXPECT_EQ(none.wszName, L"none");
}

// ---- Property definitions and their enumeration values ----

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
    const CQeByteArray expression("x", 1);
    int64_t key = 0;
    EXPECT_EQ(QeProjectDb_Jobpropdef_InsertOrUpdate(h_, program_, name, value, 2, 3, values, 4,
                                                    &expression, &key),
              0);
    return key;
  }
  int64_t program_ = 0;
};

TEST_F(RecordsJobPropTest, UpdatingAPropertyKeyGivesANewKeyAndReplacesItsValues) {
  const int64_t first = Define(kQuoteName, Values({L"a", L"b'c", L"ü"}));
  const int64_t second = Define(kQuoteName, Values({L"z"}), 2.5);
  EXPECT_NE(first, second);
  EXPECT_EQ(Count("jobpropdef"), 1);
  EXPECT_EQ(Count("jobpropenumvalue"), 1);

  SQeProjectDbRow_jobpropdef row;
  row.vEnumValues = Values({L"stale"});
  ASSERT_EQ(QeProjectDb_Jobpropdef_GetOne(h_, program_, kQuoteName, row), 0);
  EXPECT_EQ(std::make_tuple(row.iKey, row.dPropdefvalue, row.iPropdeftype, row.iPropdefvisibility,
                            row.iPropdefflags),
            std::make_tuple(second, 2.5, 2, 3, 4));
  EXPECT_EQ(row.pDependencyExpression, CQeByteArray("x", 1));
  EXPECT_EQ(TextsOf(row.vEnumValues), Texts{L"z"});
  EXPECT_EQ(row.vEnumValues[0].iJobpropdefKeyRef, second);
}

TEST_F(RecordsJobPropTest, LookupsByNameAndKey) {
  const int64_t key = Define(kOtherName, Values({L"one", L"two"}));
  SQeProjectDbRow_jobpropdef row;
  row.wszPropkey = L"kept";
  EXPECT_EQ(QeProjectDb_Jobpropdef_GetOne(h_, program_, L"it's", row), eQeNotFound);
  EXPECT_EQ(QeProjectDb_Jobpropdef_GetOne(h_, program_ + 1, kOtherName, row), eQeNotFound);
  EXPECT_EQ(row.wszPropkey, L"kept");
  ASSERT_EQ(QeProjectDb_Jobpropdef_GetOne(h_, key, row), 0);
  EXPECT_EQ(row.wszPropkey, kOtherName);
  EXPECT_EQ(TextsOf(row.vEnumValues), (Texts{L"one", L"two"}));

  std::vector<SQeProjectDbRow_jobpropdef> all(1);
  ASSERT_EQ(QeProjectDb_Jobpropdef_GetAll(h_, program_, all), 0);
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[1].vEnumValues.size(), 2u);
  EXPECT_EQ(QeProjectDb_Jobpropdef_Delete(h_, program_, kOtherName), 0);
  EXPECT_EQ(Count("jobpropdef") + Count("jobpropenumvalue"), 0);
}

TEST_F(RecordsJobPropTest, SetAllKeepsTheVectorAndDeletesTheRest) {
  const int64_t dropped = Define(L"dropped", Values({L"v"}));
  Define(L"kept", Values({}));
  std::vector<SQeProjectDbRow_jobpropdef> rows{
      SQeProjectDbRow_jobpropdef(0, 0, L"kept", 9, 0, 0, 0, CQeByteArray(), Values({L"n"})),
      SQeProjectDbRow_jobpropdef(0, 0, kQuoteName, 8, 0, 0, 0, CQeByteArray())};
  ASSERT_EQ(QeProjectDb_Jobpropdef_SetAll(h_, program_, rows), 0);
  EXPECT_NE(rows[0].iKey, 0);
  EXPECT_NE(rows[1].iKey, 0);
  EXPECT_EQ(Count("jobpropdef"), 2);
  SQeProjectDbRow_jobpropdef row;
  EXPECT_EQ(QeProjectDb_Jobpropdef_GetOne(h_, program_, L"dropped", row), eQeNotFound);
  EXPECT_EQ(Count("jobpropenumvalue", Eq("iJobpropdefKeyRef", dropped)), 0);
  ASSERT_EQ(QeProjectDb_Jobpropdef_GetOne(h_, rows[0].iKey, row), 0);
  EXPECT_EQ(row.dPropdefvalue, 9);
  EXPECT_EQ(TextsOf(row.vEnumValues), Texts{L"n"});

  // Another program's definitions are not touched; an empty vector deletes all.
  const int64_t other = AddJobprogram(jobdef_);
  EnumValues none;
  QeProjectDb_Jobpropdef_InsertOrUpdate(h_, other, L"x", 0, 0, 0, none, 0, nullptr, nullptr);
  rows.clear();
  ASSERT_EQ(QeProjectDb_Jobpropdef_SetAll(h_, program_, rows), 0);
  EXPECT_EQ(Count("jobpropdef"), 1);
}

TEST_F(RecordsJobPropTest, EnumerationSetAllStopsAtADuplicate) {
  const int64_t def = Define(L"e", Values({L"old"}));
  EnumValues values = Values({L"a", L"b", L"a", L"c"});
  values[3].iKey = 77;
  EXPECT_EQ(QeProjectDb_Jobpropenumvalue_SetAll(h_, def, values), 19);
  EnumValues stored;
  ASSERT_EQ(QeProjectDb_Jobpropenumvalue_GetAll(h_, def, stored), 0);
  EXPECT_EQ(TextsOf(stored), (Texts{L"a", L"b"}));
  EXPECT_EQ(values[1].iKey, stored[1].iKey);
  EXPECT_EQ(values[3].iKey, 77);  // never reached
  values.clear();
  EXPECT_EQ(QeProjectDb_Jobpropenumvalue_SetAll(h_, def, values), 0);
  EXPECT_EQ(Count("jobpropenumvalue"), 0);
}

}  // namespace
}  // namespace qe::test
