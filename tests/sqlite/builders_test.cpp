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

const wchar_t* const kAwkwardTexts[] = {
    L"O'Neil",
    L"''",
    L"say \"hi\"",
    L"100% %s %d %I64d",
    L"Zürich Ærø Łódź 東京 😀",
    L"a;DROP TABLE parent;--",
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
    bool found = select.Row({&row.iKey, &row.wszName, &row.dValue, &row.pData, &row.iCount});
    EXPECT_EQ(select.Result(), 0) << select.ErrorMessage().ToUtf8();
    return found;
  }
};

TEST_F(BuilderTest, InsertAndSelectRoundTripAwkwardTexts) {
  std::vector<int64_t> keys;
  for (const wchar_t* text : kAwkwardTexts) keys.push_back(InsertParent(text, 1.25, 7));
  for (size_t i = 0; i < keys.size(); ++i) {
    ParentRow row;
    ASSERT_TRUE(ReadParent(keys[i], row));
    EXPECT_EQ(row.iKey, keys[i]);
    EXPECT_EQ(row.wszName, kAwkwardTexts[i]);
    EXPECT_EQ(row.dValue, 1.25);
    EXPECT_EQ(row.pData, CQeByteArray("\x01\x00\x02", 3));
    EXPECT_EQ(row.iCount, 7);
  }
  // The same texts found through a WHERE text built with the escape function.
  for (const wchar_t* text : kAwkwardTexts) {
    CQeSqliteSelect select(db_, kParentTable, L"iKey",
                           QeSqlite_FormatSql(L"wszName=%s", QeSqlite_QuotedText(text)));
    int64_t key = 0;
    EXPECT_TRUE(select.Row({&key})) << qe::WideToUtf8(text);
    EXPECT_FALSE(select.Row({&key}));
  }
  EXPECT_EQ(QueryRows(db_, "SELECT COUNT(*) FROM parent"), (Rows{{"6"}}));
}

TEST_F(BuilderTest, SelectFormsAndOutputsUntouchedAfterTheLastRow) {
  int64_t a = InsertParent(L"a", 1.0, 1);
  int64_t b = InsertParent(L"b", 2.0, 2);
  InsertParent(L"c", 3.0, 3);

  CQeSqliteSelect all(db_, kParentTable);
  int rows = 0;
  ParentRow row;
  while (all.Row({&row.iKey, &row.wszName, &row.dValue, &row.pData, &row.iCount})) ++rows;
  EXPECT_EQ(rows, 3);
  EXPECT_EQ(row.wszName, L"c");  // left as the last row set it
  EXPECT_EQ(all.Result(), 0);

  CQeSqliteSelect where(db_, kParentTable, L"iCount>=2 ORDER BY iCount DESC");
  ASSERT_TRUE(where.Row({&row.iKey, nullptr, nullptr, nullptr, &row.iCount}));
  EXPECT_EQ(row.iCount, 3);

  CQeSqliteSelect columns(db_, kParentTable, QeMakeStringVector(2, L"iCount", L"wszName"), b);
  int32_t count = -1;
  CQeStringW name;
  ASSERT_TRUE(columns.Row({&count, &name}));
  EXPECT_EQ(count, 2);
  EXPECT_EQ(name, L"b");

  CQeSqliteSelect byWhere(db_, kParentTable, QeMakeStringVector(1, L"dValue"), L"iKey<3");
  double sum = 0, value = 0;
  while (byWhere.Row({&value})) sum += value;
  EXPECT_EQ(sum, 3.0);

  CQeSqliteSelect missing(db_, kParentTable, int64_t{999});
  int64_t key = -7;
  EXPECT_FALSE(missing.Row({&key, nullptr, nullptr, nullptr, nullptr}));
  EXPECT_EQ(key, -7);
  EXPECT_EQ(missing.Result(), 0);
  (void)a;
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
  EXPECT_EQ(iKey, -1);

  CQeSqliteSelect unknown(db_, kParentTable, L"nope", L"");
  EXPECT_EQ(unknown.Result(), 1);
  EXPECT_FALSE(unknown.Row({&iKey}));
  EXPECT_EQ(unknown.Result(), 1);

  CQeSqliteSelect badWhere(db_, kParentTable, L"wszName='unterminated");
  EXPECT_EQ(badWhere.Result(), 1);
}

TEST_F(BuilderTest, InsertNullValuesColumnsAndFailures) {
  int64_t parent = InsertParent(L"p");
  auto nulls = QeSqliteNullValueVector_Create(
      kChildTable, {{L"iOtherKeyRef", 0}, {L"iChildKeyRef", 0}, {L"wszCompany", L""}});
  ASSERT_EQ(nulls.Status(), 0);

  CQeSqliteInsert insert(db_, kChildTable);
  // Without the null values, key 0 names no parent row and is refused.
  EXPECT_EQ(insert.Row({parent, 0, 0, L"", 1}), 0);
  EXPECT_EQ(insert.Result(), 19);

  CQeSqliteInsert insert2(db_, kChildTable);
  int64_t child = insert2.Row(nulls, {parent, 0, 0, L"", 1});
  EXPECT_GT(child, 0);
  EXPECT_EQ(insert2.Result(), 0);
  int64_t grandchild = insert2.Row(nulls, {parent, parent, child, L"Acme", 2});
  EXPECT_EQ(insert2.Result(), 0);
  EXPECT_EQ(
      QueryRows(db_, "SELECT iKey, iOtherKeyRef, iChildKeyRef, wszCompany FROM child"),
      (Rows{{std::to_string(child), "<null>", "<null>", "<null>"},
            {std::to_string(grandchild), std::to_string(parent), std::to_string(child), "Acme"}}));

  // Named columns: the others take their defaults.
  CQeSqliteInsert some(db_, kChildTable, QeMakeStringVector(2, L"iOrder", L"iParentKeyRef"));
  int64_t third = some.Row({3, parent});
  EXPECT_GT(third, 0);
  EXPECT_EQ(
      QueryRows(db_, "SELECT wszCompany, iOrder FROM child WHERE iKey=" + std::to_string(third)),
      (Rows{{"Unknown", "3"}}));

  // A wrong count writes nothing.
  EXPECT_EQ(some.Row({4}), 0);
  EXPECT_EQ(some.Result(), 25);
  EXPECT_EQ(QueryRows(db_, "SELECT COUNT(*) FROM child"), (Rows{{"3"}}));

  // Spelled with a count, as callers of the older interface write it.
  auto counted =
      QeSqliteNullValueVector_Create(kChildTable, 2, L"iOtherKeyRef", 0, L"iChildKeyRef", 0);
  EXPECT_EQ(counted.Status(), 0);
  EXPECT_EQ(QeSqliteNullValueVector_Create(kChildTable, 3, L"iOtherKeyRef", 0).Status(), 25);
  auto unknown = QeSqliteNullValueVector_Create(kChildTable, {{L"iNope", 0}});
  EXPECT_EQ(unknown.Status(), 1);
  CQeSqliteInsert withUnknown(db_, kChildTable);
  EXPECT_EQ(withUnknown.Row(unknown, {parent, 0, 0, L"", 9}), 0);
  EXPECT_EQ(withUnknown.Result(), 1);
}

TEST_F(BuilderTest, ConflictClauses) {
  int64_t first = InsertParent(L"same", 1.0);
  CQeSqliteInsert ignore(db_, kParentTable, L"OR IGNORE");
  EXPECT_EQ(ignore.Row({L"SAME", 2.0, CQeByteArray(), 0}), 0);
  EXPECT_EQ(ignore.Result(), 0);
  EXPECT_EQ(ignore.Changes(), 0);

  CQeSqliteInsert replace(db_, kParentTable, L"or replace");
  int64_t second = replace.Row({L"same", 3.0, CQeByteArray(), 0});
  EXPECT_GT(second, first);
  EXPECT_EQ(QueryRows(db_, "SELECT iKey, dValue FROM parent"),
            (Rows{{std::to_string(second), "3.0"}}));

  CQeSqliteInsert bogus(db_, kParentTable, L"wszName");
  EXPECT_EQ(bogus.Result(), 1);
  EXPECT_EQ(bogus.Row({L"n", 1.0, CQeByteArray(), 0}), 0);

  // A failed row is reported, and the next rows still run.
  CQeSqliteInsert plain(db_, kParentTable);
  EXPECT_EQ(plain.Row({L"same", 1.0, CQeByteArray(), 0}), 0);
  EXPECT_GT(plain.Row({L"other", 1.0, CQeByteArray(), 0}), 0);
  EXPECT_EQ(plain.Result(), 19);
}

TEST_F(BuilderTest, UpdateByKeyWithNullValues) {
  int64_t parent = InsertParent(L"p");
  int64_t other = InsertParent(L"q");
  CQeSqliteInsert insert(db_, kChildTable);
  int64_t child = insert.Row({parent, other, nullptr, L"Acme", 1});
  ASSERT_GT(child, 0);

  CQeSqliteUpdate update(db_, kChildTable, QeMakeStringVector(2, L"iOtherKeyRef", L"wszCompany"));
  auto nulls = QeSqliteNullValueVector_Create(kChildTable, {{L"iOtherKeyRef", 0}});
  EXPECT_EQ(update.Row(child, nulls, {0, L"It's 100%"}), 0);
  EXPECT_EQ(update.Changes(), 1);
  EXPECT_EQ(QueryRows(db_, "SELECT iOtherKeyRef, wszCompany FROM child"),
            (Rows{{"<null>", "It's 100%"}}));

  // All columns; an unknown key changes nothing and is no failure.
  CQeSqliteUpdate all(db_, kParentTable);
  EXPECT_EQ(all.Row(parent, {L"renamed", 9.5, CQeByteArray(), 4}), 0);
  EXPECT_EQ(all.Row(12345, {L"ghost", 1.0, CQeByteArray(), 1}), 0);
  EXPECT_EQ(all.Changes(), 0);
  ParentRow row;
  ASSERT_TRUE(ReadParent(parent, row));
  EXPECT_EQ(row.wszName, L"renamed");
  EXPECT_EQ(row.dValue, 9.5);
  EXPECT_TRUE(row.pData.IsEmpty());

  // A failing row reports its own status; the next one succeeds.
  EXPECT_EQ(all.Row(parent, {L"Q", 1.0, CQeByteArray(), 1}), 19);  // "q" exists, NOCASE
  EXPECT_EQ(all.Row(parent, {L"fine", 1.0, CQeByteArray(), 1}), 0);
  EXPECT_EQ(all.Result(), 19);
}

TEST_F(BuilderTest, DeleteByKeyAndByColumns) {
  int64_t p1 = InsertParent(L"p1");
  int64_t p2 = InsertParent(L"p2");
  CQeSqliteInsert insert(db_, kChildTable);
  auto nulls = QeSqliteNullValueVector_Create(kChildTable, {{L"iOtherKeyRef", 0}});
  for (int order = 1; order <= 3; ++order) insert.Row(nulls, {p1, 0, nullptr, L"A", order});
  insert.Row(nulls, {p2, 0, nullptr, L"A", 1});
  insert.Row(nulls, {p2, p1, nullptr, L"A", 2});
  ASSERT_EQ(insert.Result(), 0);

  CQeSqliteDelete byColumns(db_, kChildTable,
                            QeMakeStringVector(2, L"iParentKeyRef", L"wszCompany"));
  EXPECT_EQ(byColumns.Row({p1, L"a"}), 0);  // NOCASE column
  EXPECT_EQ(byColumns.Changes(), 3);
  // NULL matches NULL.
  CQeSqliteDelete byNull(db_, kChildTable, QeMakeStringVector(1, L"iOtherKeyRef"));
  EXPECT_EQ(byNull.Row({nullptr}), 0);
  EXPECT_EQ(byNull.Changes(), 1);
  EXPECT_EQ(QueryRows(db_, "SELECT iParentKeyRef, iOrder FROM child"),
            (Rows{{std::to_string(p2), "2"}}));
  EXPECT_EQ(byNull.Row(int64_t{1}), 21);  // key form on a column delete

  CQeSqliteDelete byKey(db_, kParentTable);
  EXPECT_EQ(byKey.Row(p2), 0);
  EXPECT_EQ(byKey.Changes(), 1);
  EXPECT_EQ(byKey.Row(p2), 0);
  EXPECT_EQ(byKey.Changes(), 0);
  EXPECT_EQ(QueryRows(db_, "SELECT COUNT(*) FROM child"), (Rows{{"0"}}));  // cascaded
  EXPECT_EQ(byKey.Row({p1}), 21);
  EXPECT_EQ(QueryRows(db_, "SELECT COUNT(*) FROM parent"), (Rows{{"1"}}));
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

  CQeSqliteDuplicate missing(db_, kParentTable, overrides, L"iKey=?", nullptr);
  EXPECT_EQ(missing.Row(999), 0);
  EXPECT_EQ(missing.Result(), 12);

  CQeSqliteDuplicate badOverride(db_, kParentTable, {{L"iKey", L"5"}}, L"iKey=?", nullptr);
  EXPECT_EQ(badOverride.Result(), 1);
  EXPECT_EQ(QueryRows(db_, "SELECT COUNT(*) FROM parent"), (Rows{{"2"}}));
}
