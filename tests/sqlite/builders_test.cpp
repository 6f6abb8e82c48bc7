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
    const uint8_t bytes[] = {1, 0, 2};
    int64_t key = insert.Row({name, value, CQeSqliteValue::Blob(bytes, 3), count});
    EXPECT_EQ(insert.Result(), 0) << insert.ErrorMessage().ToUtf8();
    return key;
  }
  bool ReadParent(int64_t key, ParentRow& row) {
    CQeSqliteSelect select(db_, kParentTable, key);
    return select.Row({&row.iKey, &row.wszName, &row.dValue, &row.pData, &row.iCount});
  }
};

TEST_F(BuilderTest, InsertSelectRoundTripAndSelectForms) {
  const wchar_t* const texts[] = {L"O'Neil", L"100% %s %I64d", L"Zürich 東京 😀"};
  for (const wchar_t* text : texts) {
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
  CQeSqliteSelect columns(db_, kParentTable, QeMakeStringVector(2, L"iCount", L"wszName"),
                          int64_t{2});
  int32_t count = -1;
  CQeStringW name;
  ASSERT_TRUE(columns.Row({&count, &name}));
  EXPECT_EQ(name, L"100% %s %I64d");
  // A missing row leaves the outputs untouched and is no failure.
  CQeSqliteSelect missing(db_, kParentTable, int64_t{999});
  int64_t key = -7;
  EXPECT_FALSE(missing.Row({&key, nullptr, nullptr, nullptr, nullptr}));
  EXPECT_EQ(key, -7);
  EXPECT_EQ(missing.Result(), 0);
}

TEST_F(BuilderTest, SelectRefusesMismatchedOutputsWithoutWriting) {
  int64_t key = InsertParent(L"x");
  CQeSqliteSelect select(db_, kParentTable, key);
  int64_t iKey = -1;
  double wrong = -1;
  EXPECT_FALSE(select.Row({&iKey, &wrong, nullptr, nullptr, nullptr}));  // text into a double
  EXPECT_EQ(select.Result(), 20);
  EXPECT_EQ(iKey, -1);
  CQeSqliteSelect tooFew(db_, kParentTable, key);
  EXPECT_FALSE(tooFew.Row({&iKey}));
  EXPECT_EQ(tooFew.Result(), 25);
  EXPECT_EQ(CQeSqliteSelect(db_, kParentTable, L"wszName='unterminated").Result(), 1);
}

TEST_F(BuilderTest, InsertNullValuesColumnListsAndConflictClauses) {
  int64_t parent = InsertParent(L"same");
  auto nulls = QeSqliteNullValueVector_Create(
      kChildTable, {{L"iOtherKeyRef", 0}, {L"iChildKeyRef", 0}, {L"wszCompany", L""}});
  ASSERT_EQ(nulls.Status(), 0);
  CQeSqliteInsert insert(db_, kChildTable);
  // Without the null values, key 0 names no parent row and is refused.
  EXPECT_EQ(insert.Row({parent, 0, 0, L"", 1}), 0);
  EXPECT_EQ(insert.Result(), 19);
  CQeSqliteInsert insert2(db_, kChildTable);
  int64_t child = insert2.Row(nulls, {parent, 0, 0, L"", 1});
  int64_t grandchild = insert2.Row(nulls, {parent, parent, child, L"Acme", 2});
  EXPECT_EQ(insert2.Result(), 0);
  EXPECT_EQ(
      QueryRows(db_, "SELECT iKey, iOtherKeyRef, iChildKeyRef, wszCompany FROM child"),
      (Rows{{std::to_string(child), "<null>", "<null>", "<null>"},
            {std::to_string(grandchild), std::to_string(parent), std::to_string(child), "Acme"}}));
  // Named columns: the others take their defaults; a wrong count writes nothing.
  CQeSqliteInsert some(db_, kChildTable, QeMakeStringVector(2, L"iOrder", L"iParentKeyRef"));
  int64_t third = some.Row({3, parent});
  EXPECT_EQ(some.Row({4}), 0);
  EXPECT_EQ(some.Result(), 25);
  EXPECT_EQ(QueryRows(db_, "SELECT wszCompany, iOrder FROM child WHERE iKey>" +
                               std::to_string(grandchild)),
            (Rows{{"Unknown", "3"}}));
  EXPECT_GT(third, 0);
  EXPECT_EQ(QeSqliteNullValueVector_Create(kChildTable, 3, L"iOtherKeyRef", 0).Status(), 25);
  EXPECT_EQ(QeSqliteNullValueVector_Create(kChildTable, {{L"iNope", 0}}).Status(), 1);

  CQeSqliteInsert ignore(db_, kParentTable, L"OR IGNORE");
  EXPECT_EQ(ignore.Row({L"SAME", 2.0, CQeByteArray(), 0}), 0);  // NOCASE
  EXPECT_EQ(ignore.Result(), 0);
  EXPECT_EQ(ignore.Changes(), 0);
  EXPECT_EQ(CQeSqliteInsert(db_, kParentTable, L"wszName").Result(), 1);
  // A failed row is reported, and the next rows still run.
  CQeSqliteInsert plain(db_, kParentTable);
  EXPECT_EQ(plain.Row({L"same", 1.0, CQeByteArray(), 0}), 0);
  EXPECT_GT(plain.Row({L"other", 1.0, CQeByteArray(), 0}), 0);
  EXPECT_EQ(plain.Result(), 19);
  CQeSqliteInsert replace(db_, kParentTable, L"or replace");
  EXPECT_GT(replace.Row({L"same", 3.0, CQeByteArray(), 0}), parent);
  EXPECT_EQ(QueryRows(db_, "SELECT dValue FROM parent WHERE wszName='same'"), (Rows{{"3.0"}}));
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
  EXPECT_EQ(update.Changes(), 1);
  EXPECT_EQ(QueryRows(db_, "SELECT iOtherKeyRef, wszCompany FROM child WHERE iKey=" +
                               std::to_string(child)),
            (Rows{{"<null>", "It's 100%"}}));
  CQeSqliteUpdate all(db_, kParentTable);
  EXPECT_EQ(all.Row(12345, {L"ghost", 1.0, CQeByteArray(), 1}), 0);  // no row, no failure
  EXPECT_EQ(all.Changes(), 0);
  EXPECT_EQ(all.Row(p1, {L"Q", 1.0, CQeByteArray(), 1}), 19);  // "q" exists, NOCASE
  EXPECT_EQ(all.Row(p1, {L"renamed", 9.5, CQeByteArray(), 4}), 0);
  EXPECT_EQ(all.Result(), 19);
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
  EXPECT_EQ(byKey.Changes(), 1);
  EXPECT_EQ(QueryRows(db_, "SELECT COUNT(*) FROM child"), (Rows{{"0"}}));  // cascaded
}

TEST_F(BuilderTest, DuplicateWithOverrides) {
  int64_t source = InsertParent(L"orig'inal", 4.5, 3);
  std::map<CQeStringW, CQeStringW> overrides = {
      {L"wszName", QeSqlite_QuotedText(L"copy of 'orig'")}, {L"iCount", L"iCount + 10"}};
  CQeSqliteDuplicate duplicate(db_, kParentTable, overrides, L"iKey=?", nullptr);
  int64_t copy = duplicate.Row(source);
  ASSERT_GT(copy, source) << duplicate.ErrorMessage().ToUtf8();
  ParentRow row;
  ASSERT_TRUE(ReadParent(copy, row));
  EXPECT_EQ(row.wszName, L"copy of 'orig'");
  EXPECT_EQ(row.dValue, 4.5);
  EXPECT_EQ(row.pData, CQeByteArray("\x01\x00\x02", 3));
  EXPECT_EQ(row.iCount, 13);
  // Without overrides the unique name makes the copy fail; OR IGNORE skips it.
  CQeSqliteDuplicate plain(db_, kParentTable, {}, L"", nullptr);
  EXPECT_EQ(plain.Row(source), 0);
  EXPECT_EQ(plain.Result(), 19);
  CQeSqliteDuplicate ignoring(db_, kParentTable, {}, L"iKey=?", L"OR IGNORE");
  EXPECT_EQ(ignoring.Row(source), 0);
  EXPECT_EQ(ignoring.Result(), 12);
  EXPECT_EQ(CQeSqliteDuplicate(db_, kParentTable, {{L"iKey", L"5"}}, L"iKey=?", nullptr).Result(),
            1);
  EXPECT_EQ(QueryRows(db_, "SELECT COUNT(*) FROM parent"), (Rows{{"2"}}));
}
