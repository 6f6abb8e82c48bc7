#include "qe/sqlite/connection.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>

#include "qe/sqlite/backup.h"
#include "qe/sqlite/cmd.h"
#include "sample_tables.h"

using namespace qe::test;

TEST(SqliteOpen, FlagsAndCorruptFiles) {
  TempDir dir;
  const std::string file = dir.File("Ünïcode 'name'.db");
  const CQeStringW path = CQeStringW::FromUtf8(file);
  sqlite3* db = reinterpret_cast<sqlite3*>(1);
  int code = -1;
  EXPECT_EQ(QeSqlite_OpenEncrypted(path, &db, 2, 0, nullptr, &code), 14);  // no create
  EXPECT_EQ(db, nullptr);
  EXPECT_FALSE(std::filesystem::exists(file));
  ASSERT_EQ(QeSqlite_OpenEncrypted(path, &db, 0x40006, 0, nullptr, &code), 0);
  EXPECT_EQ(QeSqlite_Execute(db, L"CREATE TABLE t (a); INSERT INTO t VALUES (1);", nullptr, false),
            0);
  EXPECT_EQ(QeSqlite_Close(db), 0);
  ASSERT_EQ(QeSqlite_OpenEncrypted(path, &db, 1, 0, nullptr, &code), 0);
  EXPECT_EQ(QeSqlite_Execute(db, L"INSERT INTO t VALUES (2);", &code, false), 8);  // read-only
  EXPECT_EQ(QeSqlite_Close(db), 0);
  EXPECT_EQ(QeSqlite_OpenEncrypted(path, &db, 3, 0, nullptr, &code), 21);  // flags
  EXPECT_EQ(QeSqlite_OpenEncrypted(path, &db, 2, 6, "secret", &code), 21);
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
  const wchar_t* three =
      L"INSERT INTO parent (wszName) VALUES ('a');\n"
      L"INSERT INTO nowhere VALUES (1);\n"
      L"INSERT INTO parent (wszName) VALUES ('b''c');\n";
  int code = -1;
  EXPECT_EQ(QeSqlite_Execute(db_, three, &code, false), 1);
  EXPECT_EQ(QueryRows(db_, "SELECT wszName FROM parent"), (Rows{{"a"}}));
  // Going on after failures reports the first one ("a" exists).
  EXPECT_EQ(QeSqlite_Execute(db_, three, &code, true), 19);
  EXPECT_EQ(QeSqlite_ReadOneStringW(db_, L"SELECT wszName FROM parent WHERE iKey=2", &code),
            L"b'c");
  EXPECT_EQ(QeSqlite_ReadOneInt64(db_, L"SELECT dValue FROM parent", &code, 42), 42);  // NULL
  EXPECT_EQ(QeSqlite_ReadOneInt64(db_, L"SELECT nope FROM parent", &code), 0);
  EXPECT_EQ(code, 1);
}

TEST_F(ExecuteTest, CommandBindsStepsAndReportsFailures) {
  CQeSqliteCmd insert(db_, L"INSERT INTO parent (pData, iCount) VALUES (?, ?)");
  ASSERT_TRUE(insert.Bind(1, "a\0b", 3));
  ASSERT_TRUE(insert.Bind(2, int64_t{1} << 40));
  int64_t key = 0;
  EXPECT_TRUE(insert.Next(key));
  EXPECT_EQ(key, 1);
  EXPECT_FALSE(insert.Bind(9, 1));
  CQeSqliteCmd read(db_, L"SELECT pData, iCount FROM parent");
  ASSERT_TRUE(read.Next());
  EXPECT_EQ(read.ColumnBytes(0), CQeByteArray("a\0b", 3));
  EXPECT_EQ(read.ColumnInt64(1), int64_t{1} << 40);
  EXPECT_FALSE(read.Next());
  EXPECT_FALSE(read.Next());  // stays at the end, no restart
  EXPECT_EQ(CQeSqliteCmd(db_, L"SELEC 1").Result(), 1);
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

// A copy stopped by its progress callback leaves the target as it was.
TEST_F(ExecuteTest, AStoppedBackupLeavesTheTargetAsItWas) {
  Exec(L"INSERT INTO parent (wszName, pData) VALUES ('a', zeroblob(100000));");
  sqlite3* stopped = nullptr;
  ASSERT_EQ(QeSqlite_OpenEncrypted(dir_.FileW("stopped.db"), &stopped, 6, 0, nullptr, nullptr), 0);
  EXPECT_EQ(QeSqlite_Execute(stopped, L"CREATE TABLE mine (a);", nullptr, false), 0);
  auto stop = [](void*, int, int) { return false; };
  EXPECT_EQ(QeSqlite_BackupRunning(db_, stopped, 10, 0, stop, nullptr), 9);
  EXPECT_EQ(QueryRows(stopped, "SELECT name FROM sqlite_master"), (Rows{{"mine"}}));
  EXPECT_EQ(QeSqlite_Backup(db_, db_), 21);
  EXPECT_EQ(QeSqlite_Close(stopped), 0);
}
