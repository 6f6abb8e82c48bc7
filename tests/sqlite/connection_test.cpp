#include "qe/sqlite/connection.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>

#include "qe/sqlite/backup.h"
#include "qe/sqlite/cmd.h"
#include "qe/sqlite/insert.h"
#include "sample_tables.h"

using namespace qe::test;

TEST(SqliteOpen, FlagsUriLikeNamesAndCorruptFiles) {
  TempDir dir;
  const std::string file = dir.File("Ünïcode 'name'.db");
  const CQeStringW path = CQeStringW::FromUtf8(file);
  sqlite3* db = reinterpret_cast<sqlite3*>(1);
  int code = -1;
  EXPECT_EQ(QeSqlite_OpenEncrypted(path, &db, 2, 0, nullptr, &code), 14);  // no create
  EXPECT_EQ(code, 14);
  EXPECT_EQ(db, nullptr);
  EXPECT_FALSE(std::filesystem::exists(file));

  ASSERT_EQ(QeSqlite_OpenEncrypted(path, &db, 0x40006, 0, nullptr, &code), 0);
  EXPECT_EQ(code, 0);
  EXPECT_EQ(QeSqlite_Execute(db, L"CREATE TABLE t (a); INSERT INTO t VALUES (1);", nullptr, false),
            0);
  EXPECT_EQ(QeSqlite_Filename(db), path);
  EXPECT_EQ(QeSqlite_Close(db), 0);

  ASSERT_EQ(QeSqlite_OpenEncrypted(path, &db, 1, 0, nullptr, &code), 0);
  EXPECT_EQ(QeSqlite_ReadOneInt64(db, L"SELECT a FROM t", &code), 1);
  EXPECT_EQ(QeSqlite_Execute(db, L"INSERT INTO t VALUES (2);", &code, false), 8);  // read-only
  EXPECT_EQ(code, 8);
  EXPECT_EQ(QeSqlite_Close(db), 0);

  for (int bad : {0, 3, 5, 0x40000, 0x80002}) {
    EXPECT_EQ(QeSqlite_OpenEncrypted(path, &db, bad, 0, nullptr, &code), 21) << bad;
  }
  const char key[] = "secret";
  EXPECT_EQ(QeSqlite_OpenEncrypted(path, &db, 2, 6, key, &code), 21);
  EXPECT_EQ(QeSqlite_OpenEncrypted(path, nullptr, 2, 0, nullptr, &code), 21);
  EXPECT_EQ(QeSqlite_Close(nullptr), 0);
  // Names that look like URIs are file names.
  const auto old = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  EXPECT_EQ(QeSqlite_OpenEncrypted(L"file:x.db?mode=memory", &db, 6, 0, nullptr, nullptr), 0);
  EXPECT_EQ(QeSqlite_Execute(db, L"CREATE TABLE t (a);", nullptr, false), 0);
  EXPECT_EQ(QeSqlite_Close(db), 0);
  EXPECT_TRUE(std::filesystem::exists(dir.path() / "file:x.db?mode=memory"));
  std::filesystem::current_path(old);

  // SQLite reads the header lazily: a corrupt file opens, its first read
  // fails, and it stays as it was.
  const std::string corrupt = dir.File("corrupt.db");
  std::ofstream(corrupt, std::ios::binary) << std::string(4096, 'x');
  ASSERT_EQ(QeSqlite_OpenEncrypted(CQeStringW::FromUtf8(corrupt), &db, 2, 0, nullptr, nullptr), 0);
  EXPECT_TRUE(QeSqlite_ReadOneStringW(db, L"SELECT name FROM sqlite_master", &code).IsEmpty());
  EXPECT_EQ(code, 26);  // not a database
  EXPECT_EQ(QeSqlite_Close(db), 0);
  EXPECT_EQ(std::filesystem::file_size(corrupt), 4096u);
}

class ExecuteTest : public SqliteFileTest {};

TEST_F(ExecuteTest, ExecuteStopsAtTheFirstFailureAndReadOneReadsOneValue) {
  int code = -1;
  EXPECT_EQ(QeSqlite_Execute(db_,
                             L"INSERT INTO parent (wszName) VALUES ('a');\n"
                             L"INSERT INTO nowhere VALUES (1);\n"
                             L"INSERT INTO parent (wszName) VALUES ('b');\n",
                             &code, false),
            1);
  EXPECT_EQ(code, 1);
  EXPECT_EQ(QueryRows(db_, "SELECT wszName FROM parent"), (Rows{{"a"}}));

  EXPECT_EQ(QeSqlite_Execute(db_,
                             L"INSERT INTO parent (wszName) VALUES ('a');\n"  // 19
                             L"INSERT INTO nowhere VALUES (1);\n"             // 1
                             L"INSERT INTO parent (wszName) VALUES ('c');\n",
                             &code, true),
            19);
  EXPECT_EQ(QueryRows(db_, "SELECT wszName FROM parent ORDER BY 1"), (Rows{{"a"}, {"c"}}));

  EXPECT_EQ(QeSqlite_Execute(db_, L"", &code, false), 0);
  EXPECT_EQ(QeSqlite_Execute(db_, L"  -- nothing\n", &code, false), 0);
  EXPECT_EQ(QeSqlite_Execute(db_, L"SELECT * FROM parent; SELECT 1;", &code, false), 0);
  EXPECT_EQ(QeSqlite_Execute(nullptr, L"SELECT 1", &code, false), 21);

  // One value: the first column of the first row.
  Exec(L"INSERT INTO parent (wszName, iCount) VALUES ('Grüße ''x''', 5);");
  EXPECT_EQ(QeSqlite_ReadOneStringW(db_, L"SELECT wszName FROM parent WHERE iCount=5", &code),
            L"Grüße 'x'");
  EXPECT_EQ(code, 0);
  EXPECT_EQ(QeSqlite_ReadOneInt64(db_, L"SELECT iCount FROM parent WHERE iCount=5", &code), 5);
  EXPECT_TRUE(QeSqlite_ReadOneStringW(db_, L"SELECT wszName FROM parent WHERE 0", &code).IsEmpty());
  EXPECT_EQ(code, 0);
  EXPECT_EQ(QeSqlite_ReadOneInt64(db_, L"SELECT iCount FROM parent WHERE 0", &code, 42), 42);
  EXPECT_EQ(QeSqlite_ReadOneInt64(db_, L"SELECT dValue FROM parent", &code, 42), 42);  // NULL
  EXPECT_EQ(QeSqlite_ReadOneInt64(db_, L"SELECT nope FROM parent", &code), 0);
  EXPECT_EQ(code, 1);
  EXPECT_EQ(QeSqlite_ReadOneInt64(db_, L"SELECT 1", nullptr), 1);
}

TEST_F(ExecuteTest, CommandBindsStepsAndReportsFailures) {
  CQeSqliteCmd insert(db_,
                      L"INSERT INTO parent (wszName, dValue, pData, iCount) VALUES (?, ?, ?, ?)");
  const char bytes[] = "a\0b";
  ASSERT_TRUE(insert.Bind(1, L"n1"));
  ASSERT_TRUE(insert.Bind(2, 0.25));
  ASSERT_TRUE(insert.Bind(3, bytes, 3));
  ASSERT_TRUE(insert.Bind(4, 7));
  int64_t key = 0;
  EXPECT_TRUE(insert.Next(key));
  EXPECT_EQ(key, 1);
  insert.Bind(1, CQeStringW(L"n2"));
  insert.Bind(3, CQeByteArray());
  insert.Bind(4, int64_t{1} << 40);
  EXPECT_TRUE(insert.Next(&key));
  EXPECT_EQ(key, 2);
  EXPECT_FALSE(insert.Bind(9, 1));
  EXPECT_EQ(insert.Result(), 25);

  CQeSqliteCmd read(db_, L"SELECT iKey, wszName, dValue, pData, iCount FROM parent ORDER BY iKey");
  EXPECT_EQ(read.ColumnCount(), 5);
  ASSERT_TRUE(read.Next());
  EXPECT_EQ(read.ColumnInt64(0), 1);
  EXPECT_EQ(read.ColumnString(1), L"n1");
  EXPECT_EQ(read.ColumnDouble(2), 0.25);
  EXPECT_EQ(read.ColumnBytes(3), CQeByteArray(bytes, 3));
  ASSERT_TRUE(read.Next());
  int64_t big = 0;
  read.Column(4, big);
  EXPECT_EQ(big, int64_t{1} << 40);
  EXPECT_FALSE(read.IsNull(3));  // an empty blob is not NULL
  EXPECT_EQ(read.ColumnBytes(3).GetSize(), 0);
  EXPECT_FALSE(read.Next());
  EXPECT_FALSE(read.Next());  // stays at the end, no restart
  read.Reset();
  EXPECT_TRUE(read.Next());
  EXPECT_EQ(read.Result(), 0);

  CQeSqliteCmd bad(db_, L"SELEC 1");
  EXPECT_EQ(bad.Result(), 1);
  EXPECT_FALSE(bad.ErrorMessage().IsEmpty());
  EXPECT_FALSE(bad.Next());
  CQeSqliteCmd none(nullptr, L"SELECT 1");
  EXPECT_EQ(none.Result(), 21);
  EXPECT_FALSE(none.Next());
}

TEST_F(ExecuteTest, ClosingWithALiveCommandIsSafe) {
  Exec(L"INSERT INTO parent (wszName) VALUES ('a');");
  sqlite3* second = OpenSecond();
  {
    CQeSqliteCmd cmd(second, L"SELECT wszName FROM parent");
    ASSERT_TRUE(cmd.Next());
    EXPECT_EQ(QeSqlite_Close(second), 0);  // the connection lives on until the command ends
  }
  sqlite3* third = OpenSecond();
  EXPECT_EQ(QeSqlite_ReadOneStringW(third, L"SELECT wszName FROM parent", nullptr), L"a");
  EXPECT_EQ(QeSqlite_Close(third), 0);
}

namespace {
bool CountSteps(void* user, int remaining, int total) {
  auto* steps = static_cast<std::vector<std::pair<int, int>>*>(user);
  steps->emplace_back(remaining, total);
  return true;
}
bool StopAtOnce(void*, int, int) { return false; }
}  // namespace

TEST_F(ExecuteTest, BackupCopiesTheWholeDatabase) {
  Exec(L"BEGIN TRANSACTION;");
  {
    CQeSqliteInsert insert(db_, kParentTable);
    std::string blob(3000, 'z');
    for (int i = 0; i < 200; ++i) {
      insert.Row({CQeStringW::Formatted(L"row %d", i), i * 0.5,
                  CQeSqliteValue::Blob(blob.data(), static_cast<int>(blob.size())), i});
    }
    ASSERT_EQ(insert.Result(), 0);
  }
  Exec(L"COMMIT TRANSACTION;");
  sqlite3* target = nullptr;
  ASSERT_EQ(QeSqlite_OpenEncrypted(dir_.FileW("copy.db"), &target, 6, 0, nullptr, nullptr), 0);
  EXPECT_EQ(QeSqlite_Backup(db_, target), 0);
  EXPECT_EQ(QueryRows(target, "SELECT COUNT(*), SUM(iCount) FROM parent"),
            (Rows{{"200", "19900"}}));
  EXPECT_EQ(QueryRows(target, "PRAGMA encoding"), (Rows{{"UTF-16le"}}));

  sqlite3* running = nullptr;
  ASSERT_EQ(QeSqlite_OpenEncrypted(dir_.FileW("running.db"), &running, 6, 0, nullptr, nullptr), 0);
  std::vector<std::pair<int, int>> steps;
  EXPECT_EQ(QeSqlite_BackupRunning(db_, running, 50, 0, CountSteps, &steps), 0);
  EXPECT_GT(steps.size(), 3u);
  EXPECT_EQ(steps.back().first, 0);
  EXPECT_EQ(QueryRows(running, "SELECT COUNT(*) FROM parent"), (Rows{{"200"}}));

  // A copy stopped by its progress callback leaves the target as it was.
  sqlite3* stopped = nullptr;
  ASSERT_EQ(QeSqlite_OpenEncrypted(dir_.FileW("stopped.db"), &stopped, 6, 0, nullptr, nullptr), 0);
  EXPECT_EQ(QeSqlite_Execute(stopped, L"CREATE TABLE mine (a);", nullptr, false), 0);
  EXPECT_EQ(QeSqlite_BackupRunning(db_, stopped, 10, 0, StopAtOnce, nullptr), 9);
  EXPECT_EQ(QueryRows(stopped, "SELECT name FROM sqlite_master"), (Rows{{"mine"}}));

  EXPECT_EQ(QeSqlite_Backup(db_, nullptr), 21);
  EXPECT_EQ(QeSqlite_Backup(db_, db_), 21);
  EXPECT_EQ(QeSqlite_Close(target), 0);
  EXPECT_EQ(QeSqlite_Close(running), 0);
  EXPECT_EQ(QeSqlite_Close(stopped), 0);
}
