// The SQL functions on a raw SQLite connection: results, NULL handling,
// error texts and the aggregates' algorithms on their edge cases.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cmath>
#include <optional>
#include <string>
#include <variant>

#include "qe/projectdb/sql_functions.h"

namespace {

using Value = std::variant<std::monostate, int64_t, double, std::string>;

class SqlFuncTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(sqlite3_open(":memory:", &db_), SQLITE_OK);
    QeProjectDb_SqlFunc_RegisterReadWrite(db_);
    Exec("CREATE TABLE t(g INTEGER, x);");
  }
  void TearDown() override { sqlite3_close(db_); }

  void Exec(const std::string& sql) {
    char* error = nullptr;
    ASSERT_EQ(sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK) << error;
  }

  // Fills table t with the given SQL value list, one row each.
  void Fill(const std::string& values) {
    Exec("DELETE FROM t;");
    if (!values.empty()) Exec("INSERT INTO t(g, x) VALUES " + values + ";");
  }

  // The first column of the first row; error_ gets the error text of a
  // failing statement.
  Value Eval(const std::string& sql) {
    error_.clear();
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
      error_ = sqlite3_errmsg(db_);
      return {};
    }
    Value v;
    const int rc = sqlite3_step(stmt);
    if (rc == SQLITE_ROW) {
      switch (sqlite3_column_type(stmt, 0)) {
        case SQLITE_INTEGER:
          v = static_cast<int64_t>(sqlite3_column_int64(stmt, 0));
          break;
        case SQLITE_FLOAT:
          v = sqlite3_column_double(stmt, 0);
          break;
        case SQLITE_TEXT:
          v = std::string(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
          break;
        default:
          break;
      }
    } else if (rc != SQLITE_DONE) {
      error_ = sqlite3_errmsg(db_);
    }
    sqlite3_finalize(stmt);
    return v;
  }

  sqlite3* db_ = nullptr;
  std::string error_;
};

bool IsNull(const Value& v) { return std::holds_alternative<std::monostate>(v); }

// --- Scalars ---

TEST_F(SqlFuncTest, BitwiseAndOfIntegers) {
  EXPECT_EQ(Eval("SELECT bitwiseand(6, 3);"), Value(int64_t{2}));
  EXPECT_EQ(Eval("SELECT bitwiseand(-1, 9223372036854775807);"),
            Value(int64_t{9223372036854775807}));
}

TEST_F(SqlFuncTest, BitwiseAndRefusesOtherTypes) {
  Eval("SELECT bitwiseand(6, '3');");
  EXPECT_EQ(error_, "Wrong parameter type");
  Eval("SELECT bitwiseand(NULL, 3);");
  EXPECT_EQ(error_, "Wrong parameter type");
  Eval("SELECT bitwiseand(6.0, 3);");
  EXPECT_EQ(error_, "Wrong parameter type");
}

TEST_F(SqlFuncTest, BitsetMaskedTakesMaskedBitsFromB) {
  EXPECT_EQ(Eval("SELECT bitsetmasked(240, 15, 12);"), Value(int64_t{252}));
  EXPECT_EQ(Eval("SELECT bitsetmasked(255, 0, 1);"), Value(int64_t{254}));
  EXPECT_EQ(Eval("SELECT bitsetmasked(0, -1, -1);"), Value(int64_t{-1}));
  Eval("SELECT bitsetmasked(1, 2, 'x');");
  EXPECT_EQ(error_, "Wrong parameter type");
}

TEST_F(SqlFuncTest, ScalarsCalledWithTheWrongArgumentCountFailToPrepare) {
  Eval("SELECT bitwiseand(1, 2, 3);");
  EXPECT_NE(error_.find("bitwiseand"), std::string::npos) << error_;
}

TEST_F(SqlFuncTest, SetFirstChar) {
  EXPECT_EQ(Eval("SELECT setfirstchar('abc', 'X');"), Value(std::string("Xbc")));
  EXPECT_EQ(Eval("SELECT setfirstchar('abc', '');"), Value(std::string("abc")));
  EXPECT_EQ(Eval("SELECT setfirstchar('abc', NULL);"), Value(std::string("abc")));
  EXPECT_TRUE(IsNull(Eval("SELECT setfirstchar('', 'X');")));
  EXPECT_TRUE(IsNull(Eval("SELECT setfirstchar(NULL, 'X');")));
  // Characters, not bytes: a two-byte letter replaces a one-byte one whole.
  EXPECT_EQ(Eval("SELECT setfirstchar('élan', 'Ö');"), Value(std::string("Ölan")));
  EXPECT_EQ(Eval("SELECT setfirstchar('abc', 'Zürich');"), Value(std::string("Zbc")));
}

TEST_F(SqlFuncTest, UuidIs32LowercaseHexDigitsAndNewEachCall) {
  const Value a = Eval("SELECT uuid();");
  const Value b = Eval("SELECT uuid();");
  ASSERT_TRUE(std::holds_alternative<std::string>(a));
  const std::string& text = std::get<std::string>(a);
  ASSERT_EQ(text.size(), 32u);
  EXPECT_EQ(text.find_first_not_of("0123456789abcdef"), std::string::npos) << text;
  EXPECT_NE(a, b);
}

TEST_F(SqlFuncTest, JdnNowIsTheCurrentJulianDay) {
  const Value v = Eval("SELECT jdnnow();");
  ASSERT_TRUE(std::holds_alternative<double>(v));
  // SQLite's own julianday('now') is the same scale (UTC).
  const Value sqlite_now = Eval("SELECT julianday('now');");
  EXPECT_NEAR(std::get<double>(v), std::get<double>(sqlite_now), 1.0 / 24 / 60);
}

// --- pathlastpart (registered on its own) ---

TEST_F(SqlFuncTest, PathLastPart) {
  Eval("SELECT pathlastpart('a');");
  EXPECT_FALSE(error_.empty()) << "not registered on an ordinary connection";
  QeProjectDb_SqlFunc_RegisterPathLastPart(db_);
  EXPECT_EQ(Eval("SELECT pathlastpart('\\proj\\run 1\\');"), Value(std::string("run 1")));
  EXPECT_EQ(Eval("SELECT pathlastpart('run');"), Value(std::string("run")));
  EXPECT_EQ(Eval("SELECT pathlastpart('a\\b/c');"), Value(std::string("c")));
  EXPECT_TRUE(IsNull(Eval("SELECT pathlastpart('\\');")));
  EXPECT_TRUE(IsNull(Eval("SELECT pathlastpart('');")));
  EXPECT_TRUE(IsNull(Eval("SELECT pathlastpart(NULL);")));
}

// --- Simple aggregates ---

TEST_F(SqlFuncTest, BitwiseOrSkipsNonIntegers) {
  Fill("(1, 1), (1, 4), (1, '8'), (1, 16.0), (1, NULL)");
  EXPECT_EQ(Eval("SELECT bitwiseor(x) FROM t;"), Value(int64_t{5}));
  Fill("");
  EXPECT_EQ(Eval("SELECT bitwiseor(x) FROM t;"), Value(int64_t{0}));
}

TEST_F(SqlFuncTest, CountStrCountsNonEmptyValues) {
  Fill("(1, 'a'), (1, ''), (1, NULL), (1, 3)");
  EXPECT_EQ(Eval("SELECT count_str(x) FROM t;"), Value(int64_t{2}));
  Fill("");
  EXPECT_EQ(Eval("SELECT count_str(x) FROM t;"), Value(int64_t{0}));
}

TEST_F(SqlFuncTest, VarianceAndStdevAreSampleStatistics) {
  Fill("(1, 2), (1, 4), (1, 4), (1, 4), (1, 5), (1, 5), (1, 7), (1, 9), (1, NULL)");
  const Value var = Eval("SELECT variance(x) FROM t;");
  ASSERT_TRUE(std::holds_alternative<double>(var));
  EXPECT_DOUBLE_EQ(std::get<double>(var), 32.0 / 7.0);
  EXPECT_DOUBLE_EQ(std::get<double>(Eval("SELECT stdev(x) FROM t;")), std::sqrt(32.0 / 7.0));
}

TEST_F(SqlFuncTest, VarianceBelowTwoValuesIsZeroNotNull) {
  Fill("(1, 42)");
  EXPECT_EQ(Eval("SELECT variance(x) FROM t;"), Value(0.0));
  EXPECT_EQ(Eval("SELECT stdev(x) FROM t;"), Value(0.0));
  Fill("");
  EXPECT_EQ(Eval("SELECT variance(x) FROM t;"), Value(0.0));
  EXPECT_EQ(Eval("SELECT stdev(x) FROM t;"), Value(0.0));
  Fill("(1, NULL), (1, NULL)");
  EXPECT_EQ(Eval("SELECT variance(x) FROM t;"), Value(0.0));
}

TEST_F(SqlFuncTest, VarianceIsStableForLargeOffsets) {
  // A naive sum-of-squares formula loses every digit here.
  Fill("(1, 1000000000.0), (1, 1000000001.0), (1, 1000000002.0)");
  EXPECT_DOUBLE_EQ(std::get<double>(Eval("SELECT variance(x) FROM t;")), 1.0);
}

TEST_F(SqlFuncTest, AggregatesWorkPerGroup) {
  Fill("(1, 1), (1, 3), (2, 10), (2, 10), (2, 20)");
  sqlite3_stmt* stmt = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db_,
                               "SELECT g, median(x), mode(x), variance(x) FROM t GROUP BY g "
                               "ORDER BY g;",
                               -1, &stmt, nullptr),
            SQLITE_OK);
  ASSERT_EQ(sqlite3_step(stmt), SQLITE_ROW);
  EXPECT_DOUBLE_EQ(sqlite3_column_double(stmt, 1), 2.0);
  EXPECT_EQ(sqlite3_column_type(stmt, 2), SQLITE_NULL);  // 1 and 3 tie
  EXPECT_DOUBLE_EQ(sqlite3_column_double(stmt, 3), 2.0);
  ASSERT_EQ(sqlite3_step(stmt), SQLITE_ROW);
  EXPECT_EQ(sqlite3_column_type(stmt, 1), SQLITE_INTEGER);
  EXPECT_EQ(sqlite3_column_int64(stmt, 1), 10);
  EXPECT_EQ(sqlite3_column_int64(stmt, 2), 10);
  EXPECT_EQ(sqlite3_step(stmt), SQLITE_DONE);
  sqlite3_finalize(stmt);
}

// --- Order statistics ---

TEST_F(SqlFuncTest, MedianOfEvenAndOddCounts) {
  Fill("(1, 4), (1, 2), (1, 3), (1, 1)");
  EXPECT_EQ(Eval("SELECT median(x) FROM t;"), Value(2.5));
  Fill("(1, 3), (1, 1), (1, 2)");
  EXPECT_EQ(Eval("SELECT median(x) FROM t;"), Value(int64_t{2}));
}

TEST_F(SqlFuncTest, MedianOfEqualValuesKeepsTheIntegerType) {
  Fill("(1, 5), (1, 5), (1, 5)");
  EXPECT_EQ(Eval("SELECT median(x) FROM t;"), Value(int64_t{5}));
}

TEST_F(SqlFuncTest, MedianInRealMode) {
  Fill("(1, 1.0), (1, 2.0)");
  EXPECT_EQ(Eval("SELECT median(x) FROM t;"), Value(1.5));
  Fill("(1, 2.0), (1, 2.0), (1, 7)");
  EXPECT_EQ(Eval("SELECT median(x) FROM t;"), Value(2.0));
}

TEST_F(SqlFuncTest, FirstValueFixesIntegerModeAndTruncatesLaterReals) {
  Fill("(1, 1), (1, 2.7)");
  EXPECT_EQ(Eval("SELECT median(x) FROM t;"), Value(1.5));
  // The order of the rows decides: a real first means real mode.
  Fill("(1, 2.7), (1, 1)");
  EXPECT_EQ(Eval("SELECT median(x) FROM t;"), Value(1.85));
}

TEST_F(SqlFuncTest, NumericTextCountsAsANumber) {
  Fill("(1, '7'), (1, 9)");
  EXPECT_EQ(Eval("SELECT median(x) FROM t;"), Value(8.0));
  Fill("(1, NULL), (1, '3'), (1, 3)");
  EXPECT_EQ(Eval("SELECT mode(x) FROM t;"), Value(int64_t{3}));
}

TEST_F(SqlFuncTest, Quartiles) {
  Fill("(1, 40), (1, 10), (1, 30), (1, 20)");
  EXPECT_EQ(Eval("SELECT lower_quartile(x) FROM t;"), Value(15.0));
  EXPECT_EQ(Eval("SELECT upper_quartile(x) FROM t;"), Value(35.0));
  Fill("(1, 1), (1, 2), (1, 3), (1, 4), (1, 5)");
  // n = 5: targets 1.25 and 3.75 fall inside one value each.
  EXPECT_EQ(Eval("SELECT lower_quartile(x) FROM t;"), Value(int64_t{2}));
  EXPECT_EQ(Eval("SELECT upper_quartile(x) FROM t;"), Value(int64_t{4}));
}

TEST_F(SqlFuncTest, QuantilesOfNegativeAndDuplicateValues) {
  Fill("(1, -5), (1, -5), (1, -5), (1, 100)");
  // t = 2 falls inside the run of -5 (p = 0, c = 3).
  EXPECT_EQ(Eval("SELECT median(x) FROM t;"), Value(int64_t{-5}));
  EXPECT_EQ(Eval("SELECT upper_quartile(x) FROM t;"), Value(47.5));
}

TEST_F(SqlFuncTest, ModeTiesGiveNull) {
  Fill("(1, 1), (1, 1), (1, 2), (1, 2)");
  EXPECT_TRUE(IsNull(Eval("SELECT mode(x) FROM t;")));
  Fill("(1, 1), (1, 1), (1, 2)");
  EXPECT_EQ(Eval("SELECT mode(x) FROM t;"), Value(int64_t{1}));
  Fill("(1, 2.5), (1, 0.5), (1, 2.5), (1, 0.5), (1, 2.5)");
  EXPECT_EQ(Eval("SELECT mode(x) FROM t;"), Value(2.5));
  // A later, higher count replaces an earlier tie.
  Fill("(1, 1), (1, 2), (1, 3), (1, 3)");
  EXPECT_EQ(Eval("SELECT mode(x) FROM t;"), Value(int64_t{3}));
}

TEST_F(SqlFuncTest, OrderStatisticsOfEmptyGroupsAndNullsAreNull) {
  Fill("");
  for (const char* f : {"mode", "median", "lower_quartile", "upper_quartile"}) {
    EXPECT_TRUE(IsNull(Eval(std::string("SELECT ") + f + "(x) FROM t;"))) << f;
  }
  Fill("(1, NULL), (1, NULL)");
  for (const char* f : {"mode", "median", "lower_quartile", "upper_quartile"}) {
    EXPECT_TRUE(IsNull(Eval(std::string("SELECT ") + f + "(x) FROM t;"))) << f;
  }
  Fill("(1, NULL), (1, 4), (1, NULL)");
  EXPECT_EQ(Eval("SELECT median(x) FROM t;"), Value(int64_t{4}));
}

TEST_F(SqlFuncTest, OrderStatisticsOverManySortedValues) {
  // Ascending input would degenerate a plain search tree; this also checks
  // the walk over many nodes.
  Exec("DELETE FROM t;");
  Exec(
      "WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c WHERE i < 100000) "
      "INSERT INTO t(g, x) SELECT 1, i FROM c;");
  EXPECT_EQ(Eval("SELECT median(x) FROM t;"), Value(50000.5));
  EXPECT_EQ(Eval("SELECT lower_quartile(x) FROM t;"), Value(25000.5));
}

// --- Registration sets ---

TEST(SqlFuncRegistrationTest, ReadOnlyConnectionsLackTheWritingHelpers) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
  QeProjectDb_SqlFunc_RegisterReadOnly(db);
  auto prepares = [db](const char* sql) {
    sqlite3_stmt* stmt = nullptr;
    const int rc = sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
    sqlite3_finalize(stmt);
    return rc == SQLITE_OK;
  };
  for (const char* sql :
       {"SELECT uuid();", "SELECT jdnnow();", "SELECT bitwiseor(1);", "SELECT stdev(1);",
        "SELECT variance(1);", "SELECT count_str(1);", "SELECT mode(1);", "SELECT median(1);",
        "SELECT lower_quartile(1);", "SELECT upper_quartile(1);"}) {
    EXPECT_TRUE(prepares(sql)) << sql;
  }
  for (const char* sql : {"SELECT bitwiseand(1, 2);", "SELECT bitsetmasked(1, 2, 3);",
                          "SELECT setfirstchar('a', 'b');", "SELECT copyfile('a', 'b', 'c');"}) {
    EXPECT_FALSE(prepares(sql)) << sql;
  }
  sqlite3_close(db);
}

}  // namespace
