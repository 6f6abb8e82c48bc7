// The SQL functions on a raw SQLite connection: results, NULL handling,
// error texts and the aggregates' algorithms on their edge cases.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cmath>
#include <string>
#include <variant>

#include "qe/projectdb/sql_functions.h"

namespace {

using Value = std::variant<std::monostate, int64_t, double, std::string>;
const Value kNull;
constexpr const char* kWrongType = "Wrong parameter type";

std::string Show(const Value& v) {
  if (const auto* i = std::get_if<int64_t>(&v)) return "int " + std::to_string(*i);
  if (const auto* d = std::get_if<double>(&v)) return "real " + std::to_string(*d);
  if (const auto* s = std::get_if<std::string>(&v)) return "text '" + *s + "'";
  return "NULL";
}

class SqlFuncTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(sqlite3_open(":memory:", &db_), SQLITE_OK);
    QeProjectDb_SqlFunc_RegisterReadWrite(db_);
    Exec("CREATE TABLE t(x);");
  }
  void TearDown() override { sqlite3_close(db_); }

  void Exec(const std::string& sql) {
    ASSERT_EQ(sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK)
        << sqlite3_errmsg(db_);
  }
  // Table t holds the comma-separated SQL values, one row each, in order.
  void Fill(const std::string& values) {
    Exec("DELETE FROM t;");
    std::string rows;
    for (char c : values) rows += c == ',' ? std::string("), (") : std::string(1, c);
    if (!values.empty()) Exec("INSERT INTO t(x) VALUES (" + rows + ");");
  }
  // The first column of the first row; error_ gets the error text of a
  // failing statement.
  Value Eval(const std::string& sql) {
    error_.clear();
    sqlite3_stmt* stmt = nullptr;
    Value v;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
      error_ = sqlite3_errmsg(db_);
    } else if (const int rc = sqlite3_step(stmt); rc != SQLITE_ROW) {
      if (rc != SQLITE_DONE) error_ = sqlite3_errmsg(db_);
    } else if (sqlite3_column_type(stmt, 0) == SQLITE_INTEGER) {
      v = static_cast<int64_t>(sqlite3_column_int64(stmt, 0));
    } else if (sqlite3_column_type(stmt, 0) == SQLITE_FLOAT) {
      v = sqlite3_column_double(stmt, 0);
    } else if (sqlite3_column_type(stmt, 0) == SQLITE_TEXT) {
      v = std::string(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
    }
    sqlite3_finalize(stmt);
    return v;
  }

  sqlite3* db_ = nullptr;
  std::string error_;
};

struct SCase {
  const char* rows;  // values of t.x, or nullptr for a statement without rows
  const char* sql;
  Value expected;
  const char* error = nullptr;  // a text the error must contain
};

TEST_F(SqlFuncTest, ResultsAndErrorsOnTheirEdgeCases) {
  const SCase cases[] = {
      {nullptr, "bitwiseand(6, 3)", int64_t{2}},
      {nullptr, "bitwiseand(-1, 9223372036854775807)", int64_t{9223372036854775807}},
      {nullptr, "bitwiseand(6, '3')", kNull, kWrongType},
      {nullptr, "bitwiseand(6.0, 3)", kNull, kWrongType},
      {nullptr, "bitwiseand(1, 2, 3)", kNull, "bitwiseand"},  // refused when prepared
      {nullptr, "bitsetmasked(240, 15, 12)", int64_t{252}},
      {nullptr, "bitsetmasked(0, -1, -1)", int64_t{-1}},
      {nullptr, "bitsetmasked(1, 2, 'x')", kNull, kWrongType},
      {nullptr, "setfirstchar('abc', 'X')", std::string("Xbc")},
      {nullptr, "setfirstchar('abc', '')", std::string("abc")},
      {nullptr, "setfirstchar('', 'X')", kNull},
      // Characters, not bytes: a two-byte letter replaces a one-byte one whole.
      {nullptr, "setfirstchar('élan', 'Ö')", std::string("Ölan")},
      {nullptr, "setfirstchar('abc', 'Zürich')", std::string("Zbc")},
      {"1, 4, '8', 16.0, NULL", "bitwiseor(x)", int64_t{5}},
      {"'a', '', NULL, 3", "count_str(x)", int64_t{2}},
      {"2, 4, 4, 4, 5, 5, 7, 9, NULL", "variance(x)", 32.0 / 7.0},
      {"2, 4, 4, 4, 5, 5, 7, 9, NULL", "stdev(x)", std::sqrt(32.0 / 7.0)},
      {"42", "variance(x)", 0.0},
      {"", "variance(x)", 0.0},
      {"NULL, NULL", "variance(x)", 0.0},
      // A naive sum-of-squares formula loses every digit here.
      {"1000000000.0, 1000000001.0, 1000000002.0", "variance(x)", 1.0},
      {"4, 2, 3, 1", "median(x)", 2.5},
      {"3, 1, 2", "median(x)", int64_t{2}},
      {"2.0, 2.0, 7", "median(x)", 2.0},
      // The first value fixes the mode: 2.7 after an integer is read as 2.
      {"1, 2.7", "median(x)", 1.5},
      {"2.7, 1", "median(x)", 1.85},
      {"'7', 9", "median(x)", 8.0},  // numeric text counts as a number
      {"NULL, 4, NULL", "median(x)", int64_t{4}},
      {"40, 10, 30, 20", "lower_quartile(x)", 15.0},
      {"1, 2, 3, 4, 5", "lower_quartile(x)", int64_t{2}},  // targets 1.25 and 3.75
      {"-5, -5, -5, 100", "median(x)", int64_t{-5}},       // t = 2 inside the run of -5
      {"-5, -5, -5, 100", "upper_quartile(x)", 47.5},
      {"1, 1, 2, 2", "mode(x)", kNull},
      {"1, 1, 2", "mode(x)", int64_t{1}},
      {"NULL, '3', 3", "mode(x)", int64_t{3}},
      {"1, 2, 3, 3", "mode(x)", int64_t{3}},  // a later, higher count ends a tie
  };
  for (const SCase& c : cases) {
    if (c.rows) Fill(c.rows);
    const std::string sql = std::string("SELECT ") + c.sql + (c.rows ? " FROM t;" : ";");
    SCOPED_TRACE(sql + (c.rows ? std::string(" over ") + c.rows : ""));
    const Value v = Eval(sql);
    if (c.error) {
      EXPECT_NE(error_.find(c.error), std::string::npos) << error_;
    } else if (std::holds_alternative<double>(c.expected)) {
      ASSERT_TRUE(std::holds_alternative<double>(v)) << Show(v);
      EXPECT_DOUBLE_EQ(std::get<double>(v), std::get<double>(c.expected));
    } else {
      EXPECT_EQ(v, c.expected) << Show(v) << " " << error_;
    }
  }
  for (const char* rows : {"", "NULL, NULL"}) {
    Fill(rows);
    for (const char* f : {"mode", "median", "lower_quartile", "upper_quartile"}) {
      EXPECT_EQ(Eval(std::string("SELECT ") + f + "(x) FROM t;"), kNull) << f << " " << rows;
    }
  }
}

TEST_F(SqlFuncTest, UuidJdnNowAndPathLastPart) {
  const Value a = Eval("SELECT uuid();");
  ASSERT_TRUE(std::holds_alternative<std::string>(a));
  EXPECT_EQ(std::get<std::string>(a).size(), 32u);
  EXPECT_NE(a, Eval("SELECT uuid();"));
  // SQLite's own julianday('now') is the same scale (UTC).
  EXPECT_NEAR(std::get<double>(Eval("SELECT jdnnow();")),
              std::get<double>(Eval("SELECT julianday('now');")), 1.0 / 24 / 60);
  Eval("SELECT pathlastpart('a');");
  EXPECT_FALSE(error_.empty()) << "not registered on an ordinary connection";
  QeProjectDb_SqlFunc_RegisterPathLastPart(db_);
  EXPECT_EQ(Eval("SELECT pathlastpart('\\proj\\run 1\\');"), Value(std::string("run 1")));
  EXPECT_EQ(Eval("SELECT pathlastpart('a\\b/c');"), Value(std::string("c")));
  EXPECT_EQ(Eval("SELECT pathlastpart('\\');"), kNull);
}

TEST_F(SqlFuncTest, AggregatesWorkPerGroup) {
  Exec("CREATE TABLE g(g, x); INSERT INTO g VALUES (1, 1), (1, 3), (2, 10), (2, 10), (2, 20);");
  sqlite3_stmt* stmt = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db_, "SELECT median(x), mode(x), variance(x) FROM g GROUP BY g;", -1,
                               &stmt, nullptr),
            SQLITE_OK);
  ASSERT_EQ(sqlite3_step(stmt), SQLITE_ROW);
  EXPECT_DOUBLE_EQ(sqlite3_column_double(stmt, 0), 2.0);
  EXPECT_EQ(sqlite3_column_type(stmt, 1), SQLITE_NULL);  // 1 and 3 tie
  EXPECT_DOUBLE_EQ(sqlite3_column_double(stmt, 2), 2.0);
  ASSERT_EQ(sqlite3_step(stmt), SQLITE_ROW);
  EXPECT_EQ(sqlite3_column_type(stmt, 0), SQLITE_INTEGER);
  EXPECT_EQ(sqlite3_column_int64(stmt, 0), 10);
  EXPECT_EQ(sqlite3_column_int64(stmt, 1), 10);
  EXPECT_EQ(sqlite3_step(stmt), SQLITE_DONE);
  sqlite3_finalize(stmt);
}

// Ascending input would degenerate a plain search tree.
TEST_F(SqlFuncTest, OrderStatisticsOverManySortedValues) {
  Exec(
      "WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c WHERE i < 100000) "
      "INSERT INTO t(x) SELECT i FROM c;");
  EXPECT_EQ(Eval("SELECT median(x) FROM t;"), Value(50000.5));
  EXPECT_EQ(Eval("SELECT lower_quartile(x) FROM t;"), Value(25000.5));
}

}  // namespace
