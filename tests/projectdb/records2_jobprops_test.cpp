// Job property definitions of a program and their enumeration values.
#include "projectdb/records_support.h"

namespace qe::test {
namespace {

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

class RecordsJobPropTest : public RecordApiTest {
 protected:
  void SetUp() override {
    RecordApiTest::SetUp();
    program_ = AddJobprogram(AddJobdef(AddProject()));
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
  const int64_t other = AddJobprogram(Col("jobprogram", "iJobdefKeyRef", program_));
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
