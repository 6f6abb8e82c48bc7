// The SQL functions on a raw SQLite connection: results, NULL handling,
// error texts and the aggregates' algorithms on their edge cases.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdio>
#include <string>

#include "qe/projectdb/sql_functions.h"

namespace {

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
  // The first column of every row as "<type> <value>" (reals to 9 digits),
  // joined by "|"; "!<error text>" for a failing statement.
  std::string Eval(const std::string& sql) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
      return std::string("!") + sqlite3_errmsg(db_);
    }
    std::string out;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
      char real[32];
      std::snprintf(real, sizeof real, "%.9g", sqlite3_column_double(stmt, 0));
      const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
      const int type = sqlite3_column_type(stmt, 0);
      out += std::string(out.empty() ? "" : "|") +
             (type == SQLITE_NULL      ? "null"
              : type == SQLITE_FLOAT   ? std::string("real ") + real
              : type == SQLITE_INTEGER ? std::string("integer ") + text
                                       : std::string("text ") + text);
    }
    if (rc != SQLITE_DONE) out = std::string("!") + sqlite3_errmsg(db_);
    sqlite3_finalize(stmt);
    return out;
  }

  sqlite3* db_ = nullptr;
};

TEST_F(SqlFuncTest, ResultsAndErrorsOnTheirEdgeCases) {
  const char* kWrongType = "!Wrong parameter type";
  const struct {
    const char* rows;  // values of t.x, or nullptr for a statement without rows
    const char* call;
    const char* expected;  // "!..." is a text the error must contain
  } cases[] = {
      {nullptr, "bitwiseand(-1, 9223372036854775807)", "integer 9223372036854775807"},
      {nullptr, "bitwiseand(6, '3')", kWrongType},
      {nullptr, "bitwiseand(1, 2, 3)", "!bitwiseand"},  // refused when prepared
      {nullptr, "bitsetmasked(240, 15, 12)", "integer 252"},
      {nullptr, "bitsetmasked(1, 2, 'x')", kWrongType},
      {nullptr, "setfirstchar('', 'X')", "null"},
      // Characters, not bytes: a two-byte letter replaces a one-byte one whole.
      {nullptr, "setfirstchar('élan', 'Ö')", "text Ölan"},
      {"1, 4, '8', 16.0, NULL", "bitwiseor(x)", "integer 5"},
      {"'a', '', NULL, 3", "count_str(x)", "integer 2"},
      {"2, 4, 4, 4, 5, 5, 7, 9, NULL", "variance(x)", "real 4.57142857"},
      {"2, 4, 4, 4, 5, 5, 7, 9, NULL", "stdev(x)", "real 2.13808994"},
      // A naive sum-of-squares formula loses every digit here.
      {"1000000000.0, 1000000001.0, 1000000002.0", "variance(x)", "real 1"},
      {"4, 2, 3, 1", "median(x)", "real 2.5"},
      // The first value fixes the mode: 2.7 after an integer is read as 2.
      {"1, 2.7", "median(x)", "real 1.5"},
      {"2.7, 1", "median(x)", "real 1.85"},
      {"'7', 9", "median(x)", "real 8"},  // numeric text counts as a number
      {"NULL, 4, NULL", "median(x)", "integer 4"},
      {"1, 2, 3, 4, 5", "lower_quartile(x)", "integer 2"},  // targets 1.25 and 3.75
      {"-5, -5, -5, 100", "median(x)", "integer -5"},       // t = 2 inside the run of -5
      {"-5, -5, -5, 100", "upper_quartile(x)", "real 47.5"},
      {"1, 1, 2, 2", "mode(x)", "null"},
      {"1, 2, 3, 3", "mode(x)", "integer 3"},  // a later, higher count ends a tie
  };
  for (const auto& c : cases) {
    if (c.rows) Fill(c.rows);
    const std::string sql = std::string("SELECT ") + c.call + (c.rows ? " FROM t;" : ";");
    SCOPED_TRACE(sql + (c.rows ? std::string(" over ") + c.rows : ""));
    const std::string got = Eval(sql);
    if (c.expected[0] == '!') {
      EXPECT_NE(got.find(c.expected + 1), std::string::npos) << got;
    } else {
      EXPECT_EQ(got, c.expected);
    }
  }
  // Empty groups and NULLs only; then each group starts afresh.
  for (const char* rows : {"", "NULL, NULL"}) {
    Fill(rows);
    EXPECT_EQ(Eval("SELECT mode(x) FROM t;"), "null") << rows;
    EXPECT_EQ(Eval("SELECT upper_quartile(x) FROM t;"), "null") << rows;
  }
  Exec("CREATE TABLE g(g, x); INSERT INTO g VALUES (1, 1), (1, 3), (2, 10), (2, 10), (2, 20);");
  EXPECT_EQ(Eval("SELECT median(x) FROM g GROUP BY g;"), "real 2|integer 10");
  EXPECT_EQ(Eval("SELECT mode(x) FROM g GROUP BY g;"), "null|integer 10");
  EXPECT_EQ(Eval("SELECT variance(x) FROM g GROUP BY g;"), "real 2|real 33.3333333");
}

TEST_F(SqlFuncTest, UuidJdnNowAndPathLastPart) {
  const std::string a = Eval("SELECT uuid();");
  EXPECT_EQ(a.size(), 5u + 32u) << a;
  EXPECT_NE(a, Eval("SELECT uuid();"));
  // SQLite's own julianday('now') is the same scale (UTC).
  EXPECT_EQ(Eval("SELECT abs(jdnnow() - julianday('now')) < 1.0 / 24 / 60;"), "integer 1");
  EXPECT_EQ(Eval("SELECT pathlastpart('a');")[0], '!') << "not registered on an ordinary one";
  QeProjectDb_SqlFunc_RegisterPathLastPart(db_);
  EXPECT_EQ(Eval("SELECT pathlastpart('\\proj\\run 1\\');"), "text run 1");
  EXPECT_EQ(Eval("SELECT pathlastpart('a\\b/c');"), "text c");
  EXPECT_EQ(Eval("SELECT pathlastpart('\\');"), "null");
}

// Ascending input would degenerate a plain search tree.
TEST_F(SqlFuncTest, OrderStatisticsOverManySortedValues) {
  Exec(
      "WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c WHERE i < 100000) "
      "INSERT INTO t(x) SELECT i FROM c;");
  EXPECT_EQ(Eval("SELECT median(x) FROM t;"), "real 50000.5");
  EXPECT_EQ(Eval("SELECT lower_quartile(x) FROM t;"), "real 25000.5");
}

}  // namespace
