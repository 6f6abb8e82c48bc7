#include <gtest/gtest.h>

#include <map>

#include "qe/sqlite/duplicate.h"
#include "qe/sqlite/insert.h"
#include "qe/sqlite/null_values.h"
#include "qe/sqlite/path.h"
#include "qe/sqlite/select.h"
#include "qe/sqlite/sql_text.h"
#include "qe/sqlite/update_delete.h"
#include "sample_tables.h"

using namespace qe::test;

namespace {

struct ParentRow {
  int64_t iKey = 0;
  CQeStringW wszName;
  double dValue = 0;
  CQeByteArray pData;
  int32_t iCount = 0;
};

}  // namespace

class BuilderTest : public SqliteFileTest {
 protected:
  int64_t InsertParent(const CQeStringW& name, double value = 0.5, int count = 1) {
    CQeSqliteInsert insert(db_, kParentTable);
    int64_t key = insert.Row({name, value, CQeSqliteValue::Blob("\x01\x00\x02", 3), count});
    EXPECT_EQ(insert.Result(), 0) << insert.ErrorMessage().ToUtf8();
    return key;
  }
  bool ReadParent(int64_t key, ParentRow& row) {
    CQeSqliteSelect select(db_, kParentTable, key);
    return select.Row({&row.iKey, &row.wszName, &row.dValue, &row.pData, &row.iCount});
  }
};

TEST_F(BuilderTest, InsertSelectRoundTripAndRefusedOutputs) {
  for (const wchar_t* text : {L"O'Neil", L"100% %s %I64d", L"Zürich 東京 😀"}) {
    const int64_t key = InsertParent(text, 1.25, 7);
    ParentRow row;
    ASSERT_TRUE(ReadParent(key, row));
    EXPECT_EQ(row.iKey, key);
    EXPECT_EQ(row.wszName, text);
    EXPECT_EQ(row.dValue, 1.25);
    EXPECT_EQ(row.pData, CQeByteArray("\x01\x00\x02", 3));
    EXPECT_EQ(row.iCount, 7);
    // The same text found through a WHERE text built with the escape function.
    CQeSqliteSelect where(db_, kParentTable, QeMakeStringVector(1, L"iKey"),
                          QeSqlite_FormatSql(L"wszName=%s", QeSqlite_QuotedText(text)));
    int64_t found = 0;
    EXPECT_TRUE(where.Row({&found}));
    EXPECT_EQ(found, key);
    EXPECT_FALSE(where.Row({&found}));
  }
  // A missing row, a text into a double and too few outputs write nothing.
  int64_t iKey = -1;
  double wrong = -1;
  CQeSqliteSelect missing(db_, kParentTable, int64_t{999});
  EXPECT_FALSE(missing.Row({&iKey, nullptr, nullptr, nullptr, nullptr}));
  EXPECT_EQ(missing.Result(), 0);
  CQeSqliteSelect mismatch(db_, kParentTable, int64_t{1});
  EXPECT_FALSE(mismatch.Row({&iKey, &wrong, nullptr, nullptr, nullptr}));
  EXPECT_EQ(mismatch.Result(), 20);
  CQeSqliteSelect tooFew(db_, kParentTable, int64_t{1});
  EXPECT_FALSE(tooFew.Row({&iKey}));
  EXPECT_EQ(tooFew.Result(), 25);
  EXPECT_EQ(iKey, -1);
  EXPECT_EQ(CQeSqliteSelect(db_, kParentTable, L"wszName='unterminated").Result(), 1);
}

TEST_F(BuilderTest, InsertNullValuesColumnListsAndConflictClauses) {
  int64_t parent = InsertParent(L"same");
  auto nulls = QeSqliteNullValueVector_Create(
      kChildTable, {{L"iOtherKeyRef", 0}, {L"iChildKeyRef", 0}, {L"wszCompany", L""}});
  CQeSqliteInsert insert(db_, kChildTable);
  // Without the null values, key 0 names no parent row and is refused.
  EXPECT_EQ(insert.Row({parent, 0, 0, L"", 1}), 0);
  EXPECT_EQ(insert.Result(), 19);
  CQeSqliteInsert insert2(db_, kChildTable);
  int64_t child = insert2.Row(nulls, {parent, 0, 0, L"", 1});
  insert2.Row(nulls, {parent, parent, child, L"Acme", 2});
  EXPECT_EQ(insert2.Result(), 0);
  EXPECT_EQ(QueryRows(db_, "SELECT iOtherKeyRef, iChildKeyRef, wszCompany FROM child"),
            (Rows{{"<null>", "<null>", "<null>"},
                  {std::to_string(parent), std::to_string(child), "Acme"}}));
  // Named columns: the others take their defaults; a wrong count writes nothing.
  CQeSqliteInsert some(db_, kChildTable, QeMakeStringVector(2, L"iOrder", L"iParentKeyRef"));
  EXPECT_GT(some.Row({3, parent}), 0);
  EXPECT_EQ(some.Row({4}), 0);
  EXPECT_EQ(some.Result(), 25);
  EXPECT_EQ(QueryRows(db_, "SELECT wszCompany FROM child WHERE iOrder>2"), (Rows{{"Unknown"}}));
  EXPECT_EQ(QeSqliteNullValueVector_Create(kChildTable, {{L"iNope", 0}}).Status(), 1);

  // A failed row is reported, and the next rows still run; OR IGNORE skips it.
  CQeSqliteInsert plain(db_, kParentTable);
  EXPECT_EQ(plain.Row({L"SAME", 1.0, CQeByteArray(), 0}), 0);  // NOCASE
  EXPECT_GT(plain.Row({L"other", 1.0, CQeByteArray(), 0}), 0);
  EXPECT_EQ(plain.Result(), 19);
  CQeSqliteInsert ignore(db_, kParentTable, L"OR IGNORE");
  EXPECT_EQ(ignore.Row({L"same", 2.0, CQeByteArray(), 0}), 0);
  EXPECT_EQ(ignore.Result(), 0);
}

TEST_F(BuilderTest, UpdateAndDeleteByKeyAndByColumns) {
  int64_t p1 = InsertParent(L"p");
  int64_t p2 = InsertParent(L"q");
  CQeSqliteInsert insert(db_, kChildTable);
  auto nulls = QeSqliteNullValueVector_Create(kChildTable, {{L"iOtherKeyRef", 0}});
  for (int order = 1; order <= 3; ++order) insert.Row(nulls, {p1, 0, nullptr, L"A", order});
  const int64_t child = insert.Row({p2, p1, nullptr, L"A", 1});
  ASSERT_EQ(insert.Result(), 0);

  CQeSqliteUpdate update(db_, kChildTable, QeMakeStringVector(2, L"iOtherKeyRef", L"wszCompany"));
  EXPECT_EQ(update.Row(child, nulls, {0, L"It's 100%"}), 0);
  EXPECT_EQ(QueryRows(db_, "SELECT iOtherKeyRef, wszCompany FROM child WHERE iKey=" +
                               std::to_string(child)),
            (Rows{{"<null>", "It's 100%"}}));
  CQeSqliteUpdate all(db_, kParentTable);
  EXPECT_EQ(all.Row(p1, {L"Q", 1.0, CQeByteArray(), 1}), 19);  // "q" exists, NOCASE
  EXPECT_EQ(all.Row(p1, {L"renamed", 9.5, CQeByteArray(), 4}), 0);
  ParentRow row;
  ASSERT_TRUE(ReadParent(p1, row));
  EXPECT_EQ(row.wszName, L"renamed");
  EXPECT_TRUE(row.pData.IsEmpty());

  CQeSqliteDelete byColumns(db_, kChildTable,
                            QeMakeStringVector(2, L"iParentKeyRef", L"wszCompany"));
  EXPECT_EQ(byColumns.Row({p1, L"a"}), 0);  // NOCASE column
  EXPECT_EQ(byColumns.Changes(), 3);
  EXPECT_EQ(byColumns.Row(int64_t{1}), 21);  // key form on a column delete
  CQeSqliteDelete byKey(db_, kParentTable);
  EXPECT_EQ(byKey.Row(p2), 0);
  EXPECT_EQ(QueryRows(db_, "SELECT COUNT(*) FROM child"), (Rows{{"0"}}));  // cascaded
}

TEST_F(BuilderTest, DuplicateWithOverrides) {
  int64_t source = InsertParent(L"orig'inal", 4.5, 3);
  std::map<CQeStringW, CQeStringW> overrides = {
      {L"wszName", QeSqlite_QuotedText(L"copy of 'orig'")}, {L"iCount", L"iCount + 10"}};
  CQeSqliteDuplicate duplicate(db_, kParentTable, overrides, L"iKey=?", nullptr);
  int64_t copy = duplicate.Row(source);
  ParentRow row;
  ASSERT_TRUE(ReadParent(copy, row));
  EXPECT_EQ(row.wszName, L"copy of 'orig'");
  EXPECT_EQ(row.pData, CQeByteArray("\x01\x00\x02", 3));
  EXPECT_EQ(row.iCount, 13);
  CQeSqliteDuplicate plain(db_, kParentTable, {}, L"", nullptr);  // the unique name fails
  EXPECT_EQ(plain.Row(source), 0);
  EXPECT_EQ(plain.Result(), 19);
}
