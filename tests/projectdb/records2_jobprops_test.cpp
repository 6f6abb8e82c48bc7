// Job property definitions of a program and their enumeration values.
#include <vector>

#include "projectdb/records2_support.h"
#include "qe/core/status.h"
#include "qe/projectdb/records/jobprogram.h"
#include "qe/projectdb/records/jobpropdef.h"

namespace qe::test {
namespace {

using EnumValues = std::vector<SQeProjectDbRow_jobpropenumvalue>;

EnumValues Values(std::initializer_list<const wchar_t*> texts) {
  EnumValues values;
  for (const wchar_t* text : texts) values.emplace_back(0, 0, text);
  return values;
}

std::vector<CQeStringW> Texts(const EnumValues& values) {
  std::vector<CQeStringW> texts;
  for (const auto& value : values) texts.push_back(value.wszPropenumvalue);
  return texts;
}

class JobPropTest : public RecordsTest {
 protected:
  void SetUp() override {
    RecordsTest::SetUp();
    QeProjectDb_Jobprogram_Insert(h_, MakeJobdef(MakeProject()), L"p", &program_);
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

TEST_F(JobPropTest, UpdatingAPropertyKeyGivesANewKeyAndReplacesItsValues) {
  const int64_t first = Define(kQuoteName, Values({L"a", L"b'c", L"ü"}));
  const int64_t second = Define(kQuoteName, Values({L"z"}), 2.5);
  EXPECT_NE(first, second);
  EXPECT_EQ(Count(L"jobpropdef"), 1);
  EXPECT_EQ(Count(L"jobpropenumvalue"), 1);

  SQeProjectDbRow_jobpropdef row;
  row.vEnumValues = Values({L"stale"});
  ASSERT_EQ(QeProjectDb_Jobpropdef_GetOne(h_, program_, kQuoteName, row), 0);
  EXPECT_EQ(row.iKey, second);
  EXPECT_EQ(row.dPropdefvalue, 2.5);
  EXPECT_EQ(row.iPropdeftype, 2);
  EXPECT_EQ(row.iPropdefvisibility, 3);
  EXPECT_EQ(row.iPropdefflags, 4);
  EXPECT_EQ(row.pDependencyExpression, CQeByteArray("x", 1));
  EXPECT_EQ(Texts(row.vEnumValues), (std::vector<CQeStringW>{L"z"}));
  EXPECT_EQ(row.vEnumValues[0].iJobpropdefKeyRef, second);
}

TEST_F(JobPropTest, LookupsByNameAndKey) {
  const int64_t key = Define(kOtherName, Values({L"one", L"two"}));
  SQeProjectDbRow_jobpropdef row;
  row.wszPropkey = L"kept";
  EXPECT_EQ(QeProjectDb_Jobpropdef_GetOne(h_, program_, L"it's", row), eQeNotFound);
  EXPECT_EQ(QeProjectDb_Jobpropdef_GetOne(h_, program_ + 1, kOtherName, row), eQeNotFound);
  EXPECT_EQ(row.wszPropkey, L"kept");
  ASSERT_EQ(QeProjectDb_Jobpropdef_GetOne(h_, key, row), 0);
  EXPECT_EQ(row.wszPropkey, kOtherName);
  EXPECT_EQ(Texts(row.vEnumValues), (std::vector<CQeStringW>{L"one", L"two"}));

  std::vector<SQeProjectDbRow_jobpropdef> all(1);
  ASSERT_EQ(QeProjectDb_Jobpropdef_GetAll(h_, program_, all), 0);
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[1].vEnumValues.size(), 2u);

  EXPECT_EQ(QeProjectDb_Jobpropdef_Delete(h_, program_, kOtherName), 0);
  EXPECT_EQ(Count(L"jobpropdef"), 0);
  EXPECT_EQ(Count(L"jobpropenumvalue"), 0);
}

TEST_F(JobPropTest, SetAllKeepsTheVectorAndDeletesTheRest) {
  const int64_t dropped = Define(L"dropped", Values({L"v"}));
  Define(L"kept", Values({}));
  std::vector<SQeProjectDbRow_jobpropdef> rows{
      SQeProjectDbRow_jobpropdef(0, 0, L"kept", 9, 0, 0, 0, CQeByteArray(), Values({L"n"})),
      SQeProjectDbRow_jobpropdef(0, 0, kQuoteName, 8, 0, 0, 0, CQeByteArray())};
  ASSERT_EQ(QeProjectDb_Jobpropdef_SetAll(h_, program_, rows), 0);
  EXPECT_NE(rows[0].iKey, 0);
  EXPECT_NE(rows[1].iKey, 0);
  EXPECT_EQ(Count(L"jobpropdef"), 2);
  SQeProjectDbRow_jobpropdef row;
  EXPECT_EQ(QeProjectDb_Jobpropdef_GetOne(h_, program_, L"dropped", row), eQeNotFound);
  EXPECT_EQ(Count(L"jobpropenumvalue", CQeStringW::Formatted(L"iJobpropdefKeyRef=%I64d", dropped)),
            0);
  ASSERT_EQ(QeProjectDb_Jobpropdef_GetOne(h_, rows[0].iKey, row), 0);
  EXPECT_EQ(row.dPropdefvalue, 9);
  EXPECT_EQ(Texts(row.vEnumValues), (std::vector<CQeStringW>{L"n"}));

  // Another program's definitions are not touched; an empty vector deletes all.
  int64_t other = 0;
  QeProjectDb_Jobprogram_Duplicate(h_, program_, &other);
  EnumValues none;
  QeProjectDb_Jobpropdef_InsertOrUpdate(h_, other, L"x", 0, 0, 0, none, 0, nullptr, nullptr);
  std::vector<SQeProjectDbRow_jobpropdef> empty;
  ASSERT_EQ(QeProjectDb_Jobpropdef_SetAll(h_, program_, empty), 0);
  EXPECT_EQ(Count(L"jobpropdef"), 1);
}

TEST_F(JobPropTest, EnumerationSetAllStopsAtADuplicate) {
  const int64_t def = Define(L"e", Values({L"old"}));
  EnumValues values = Values({L"a", L"b", L"a", L"c"});
  values[3].iKey = 77;
  EXPECT_EQ(QeProjectDb_Jobpropenumvalue_SetAll(h_, def, values), 19);
  EnumValues stored;
  ASSERT_EQ(QeProjectDb_Jobpropenumvalue_GetAll(h_, def, stored), 0);
  EXPECT_EQ(Texts(stored), (std::vector<CQeStringW>{L"a", L"b"}));
  EXPECT_EQ(values[1].iKey, stored[1].iKey);
  EXPECT_EQ(values[3].iKey, 77);  // never reached

  EnumValues empty;
  EXPECT_EQ(QeProjectDb_Jobpropenumvalue_SetAll(h_, def, empty), 0);
  EXPECT_EQ(Count(L"jobpropenumvalue"), 0);
}

}  // namespace
}  // namespace qe::test
