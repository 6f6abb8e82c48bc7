// Inspecting files, options, transactions, savepoints and backup.
#include "qe/projectdb/db.h"

#include "projectdb/dbcore_support.h"
#include "qe/projectdb/connection.h"
#include "qe/projectdb/schema.h"
#include "qe/sqlite/connection.h"

namespace qe::test {
namespace {

class DbTest : public DbCoreTest {
 protected:
  void SetUp() override {
    ASSERT_EQ(QeProjectDb_Db_Create(WFile("p.db")), 0);
    handle_ = QeProjectDb_Db_Connect(WFile("p.db"));
    ASSERT_NE(handle_, 0u);
  }
  void TearDown() override { QeProjectDb_Db_Disconnect(handle_); }

  sqlite3* db() const { return CQeProjectDbConnectionManager::GetConnection(handle_); }
  int Exec(const char* sql) { return sqlite3_exec(db(), sql, nullptr, nullptr, nullptr); }
  long long Count(const wchar_t* table) {
    return QeSqlite_ReadOneInt64(db(), CQeStringW(L"SELECT count(*) FROM ") + table + L";",
                                 nullptr);
  }
  std::string Pragma(const wchar_t* sql) {
    return QeSqlite_ReadOneStringW(db(), sql, nullptr).ToUtf8();
  }

  uint32_t handle_ = 0;
};

// --- GetInfo ---

TEST_F(DbCoreTest, InfoOfANewFile) {
  ASSERT_EQ(QeProjectDb_Db_Create(WFile("p.db")), 0);
  SQeProjectDbFileInfo info;
  EXPECT_EQ(QeProjectDb_Db_GetInfo(WFile("p.db"), &info), 0);
  EXPECT_EQ(info.wszPath, WFile("p.db"));
  EXPECT_EQ(info.wszJournalMode, L"wal");
  EXPECT_EQ(info.wszJournalModeOption, L"wal");
  EXPECT_EQ(info.wszSynchronousOption, L"normal");
  EXPECT_FALSE(info.bNetworkPath);
  EXPECT_EQ(info.iOpenResult, 0);
  EXPECT_EQ(info.iFolderFormat, 1);
  EXPECT_EQ(info.iVersionResult, 0);
  EXPECT_EQ(info.iVersion, 77);
  EXPECT_EQ(info.iPlateVersionResult, 0);
  EXPECT_EQ(info.iPlateVersion, 0);
  EXPECT_EQ(QeProjectDb_Db_GetInfo(WFile("p.db"), nullptr), 0);
}

TEST_F(DbCoreTest, InfoOfMissingAndEmptyPaths) {
  SQeProjectDbFileInfo info;
  EXPECT_EQ(QeProjectDb_Db_GetInfo(L"", &info), -1);
  EXPECT_TRUE(info.wszPath.IsEmpty());
  EXPECT_EQ(QeProjectDb_Db_GetInfo(WFile("missing.db"), &info), SQLITE_CANTOPEN);
  EXPECT_EQ(info.wszPath, WFile("missing.db"));
  EXPECT_EQ(info.iOpenResult, SQLITE_CANTOPEN);
  EXPECT_FALSE(std::filesystem::exists(File("missing.db")));
}

TEST_F(DbCoreTest, InfoOfANewerFileIsMinusOneWithEveryFieldFilled) {
  ASSERT_EQ(QeProjectDb_Db_Create(WFile("p.db")), 0);
  {
    RawDb raw(File("p.db"));
    ASSERT_EQ(raw.Exec("UPDATE vesion SET iVersion = 78 WHERE wszName = 'main';"
                       "INSERT INTO vesion(wszName, iVersion) VALUES ('plate', 12);"),
              SQLITE_OK);
  }
  SQeProjectDbFileInfo info;
  EXPECT_EQ(QeProjectDb_Db_GetInfo(WFile("p.db"), &info), -1);
  EXPECT_EQ(info.iVersion, 78);
  EXPECT_EQ(info.iPlateVersion, 12);
  EXPECT_EQ(info.wszJournalMode, L"wal");
  EXPECT_EQ(info.wszSynchronousOption, L"normal");
  EXPECT_EQ(info.iFolderFormat, 1);
}

TEST_F(DbCoreTest, InfoOfAFileWithoutTablesReportsTheFailedReads) {
  {
    RawDb raw(File("plain.db"), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    ASSERT_EQ(raw.Exec("CREATE TABLE other(x);"), SQLITE_OK);
  }
  SQeProjectDbFileInfo info;
  EXPECT_EQ(QeProjectDb_Db_GetInfo(WFile("plain.db"), &info), 0);
  EXPECT_EQ(info.iVersionResult, SQLITE_ERROR);
  EXPECT_EQ(info.iVersion, 0);
  EXPECT_EQ(info.iPlateVersionResult, SQLITE_ERROR);
  EXPECT_TRUE(info.wszJournalModeOption.IsEmpty());
  EXPECT_EQ(info.wszJournalMode, L"delete");
}

TEST_F(DbCoreTest, InfoOfAReadOnlyFileIsUnusable) {
  ASSERT_EQ(QeProjectDb_Db_Create(WFile("p.db")), 0);
  MakeReadOnly(File("p.db"));
  SQeProjectDbFileInfo info;
  EXPECT_EQ(QeProjectDb_Db_GetInfo(WFile("p.db"), &info), -10);
  EXPECT_TRUE(info.wszPath.IsEmpty());
}

TEST_F(DbCoreTest, InfoOfANetworkFile) {
  ScopedEnvForNetwork network(Dir().string());
  // Created on the network: truncate, which is usable.
  ASSERT_EQ(QeProjectDb_Db_Create(WFile("net.db")), 0);
  SQeProjectDbFileInfo info;
  EXPECT_EQ(QeProjectDb_Db_GetInfo(WFile("net.db"), &info), 0);
  EXPECT_TRUE(info.bNetworkPath);
  EXPECT_EQ(info.wszJournalModeOption, L"truncate");
  // A WAL file moved onto the network is not.
  {
    RawDb raw(File("net.db"));
    ASSERT_EQ(raw.Text("PRAGMA journal_mode=WAL;"), "wal");
  }
  EXPECT_EQ(QeProjectDb_Db_GetInfo(WFile("net.db"), &info), -10);
  EXPECT_EQ(info.iVersion, 77);
}

TEST_F(DbCoreTest, InfoOnANonAsciiPathWithAnApostrophe) {
  const std::string name = "Ärger's Daten – 測試.db";
  ASSERT_EQ(QeProjectDb_Db_Create(WFile(name)), 0);
  SQeProjectDbFileInfo info;
  EXPECT_EQ(QeProjectDb_Db_GetInfo(WFile(name), &info), 0);
  EXPECT_EQ(info.iVersion, 77);
  const uint32_t h = QeProjectDb_Db_Connect(WFile(name));
  ASSERT_NE(h, 0u);
  EXPECT_EQ(QeProjectDb_Db_Filename(h), WFile(name));
  QeProjectDb_Db_Disconnect(h);
}

// --- Options ---

TEST_F(DbTest, OptionsOfANewFile) {
  EXPECT_EQ(QeProjectDb_Db_GetOptStr(handle_, L"journal_mode"), L"wal");
  EXPECT_EQ(QeProjectDb_Db_GetOptStr(handle_, L"synchronous"), L"normal");
  EXPECT_EQ(QeProjectDb_Db_GetOptInt32(handle_, L"folderformat"), 1);
  // Names and type tags must both match.
  EXPECT_TRUE(QeProjectDb_Db_GetOptStr(handle_, L"folderformat").IsEmpty());
  EXPECT_EQ(QeProjectDb_Db_GetOptInt32(handle_, L"journal_mode"), 0);
  EXPECT_TRUE(QeProjectDb_Db_GetOptStr(handle_, L"O'Neil").IsEmpty());
}

TEST_F(DbTest, SetOptStrAppliesThePragmaAndStoresTheRow) {
  EXPECT_EQ(QeProjectDb_Db_SetOptStr(handle_, L"synchronous", L"full"), 0);
  EXPECT_EQ(Pragma(L"PRAGMA synchronous;"), "2");
  EXPECT_EQ(QeProjectDb_Db_GetOptStr(handle_, L"synchronous"), L"full");
  EXPECT_EQ(Count(L"settings"), 3);

  EXPECT_EQ(QeProjectDb_Db_SetOptStr(handle_, L"journal_mode", L"truncate"), 0);
  EXPECT_EQ(Pragma(L"PRAGMA journal_mode;"), "truncate");
  EXPECT_EQ(QeProjectDb_Db_GetOptStr(handle_, L"journal_mode"), L"truncate");
}

TEST_F(DbTest, SetOptStrKeepsTheCallersSpellingOfTheName) {
  EXPECT_EQ(QeProjectDb_Db_SetOptStr(handle_, L"JOURNAL_MODE", L"truncate"), 0);
  EXPECT_EQ(Pragma(L"PRAGMA journal_mode;"), "truncate");
  EXPECT_EQ(QeProjectDb_Db_GetOptStr(handle_, L"JOURNAL_MODE"), L"truncate");
  EXPECT_EQ(QeProjectDb_Db_GetOptStr(handle_, L"journal_mode"), L"wal");
  EXPECT_EQ(Count(L"settings"), 4);
  // Connecting looks the option up by its exact name.
  QeProjectDb_Db_Disconnect(handle_);
  handle_ = QeProjectDb_Db_Connect(WFile("p.db"));
  ASSERT_NE(handle_, 0u);
  EXPECT_EQ(Pragma(L"PRAGMA journal_mode;"), "wal");
}

TEST_F(DbTest, UnknownOptionNamesAreRefused) {
  EXPECT_EQ(QeProjectDb_Db_SetOptStr(handle_, L"folderformat", L"2"), -13);
  EXPECT_EQ(QeProjectDb_Db_SetOptStr(handle_, L"page_size", L"1024"), -13);
  EXPECT_EQ(QeProjectDb_Db_SetOptStr(handle_, L"", L"wal"), -13);
  EXPECT_EQ(QeProjectDb_Db_SetOptInt32(handle_, L"journal_mode", 1), -13);
  EXPECT_EQ(QeProjectDb_Db_SetOptInt32(handle_, L"synchronous", 1), -13);
  EXPECT_EQ(Count(L"settings"), 3);
}

TEST_F(DbTest, AFailingPragmaStoresNothing) {
  ASSERT_EQ(QeProjectDb_Db_TransactionBegin(handle_), 0);
  // SQLite cannot leave WAL inside a transaction.
  EXPECT_EQ(QeProjectDb_Db_SetOptStr(handle_, L"journal_mode", L"truncate"), SQLITE_ERROR);
  ASSERT_EQ(QeProjectDb_Db_TransactionRollback(handle_), 0);
  EXPECT_EQ(QeProjectDb_Db_GetOptStr(handle_, L"journal_mode"), L"wal");

  // A value that is not one word is never run.
  EXPECT_EQ(QeProjectDb_Db_SetOptStr(handle_, L"synchronous", L"full; DROP TABLE project"),
            SQLITE_ERROR);
  EXPECT_EQ(QeProjectDb_Db_SetOptStr(handle_, L"synchronous", L"'full'"), SQLITE_ERROR);
  EXPECT_EQ(QeProjectDb_Db_SetOptStr(handle_, L"synchronous", L""), SQLITE_ERROR);
  EXPECT_EQ(QeProjectDb_Db_GetOptStr(handle_, L"synchronous"), L"normal");
  EXPECT_EQ(Count(L"project"), 0);
  EXPECT_EQ(QeProjectDb_Db_SetOptStr(handle_, L"synchronous", L"3"), 0);
  EXPECT_EQ(Pragma(L"PRAGMA synchronous;"), "3");
}

TEST_F(DbTest, FolderFormatOption) {
  EXPECT_EQ(QeProjectDb_Db_SetOptInt32(handle_, L"folderformat", 0), 0);
  EXPECT_EQ(QeProjectDb_Db_GetOptInt32(handle_, L"folderformat"), 0);
  EXPECT_EQ(QeProjectDb_Db_SetOptInt32(handle_, L"folderformat", -7), 0);
  EXPECT_EQ(QeProjectDb_Db_GetOptInt32(handle_, L"folderformat"), -7);
  EXPECT_EQ(Count(L"settings"), 3);
  EXPECT_EQ(QeProjectDb_Db_SetOptInt32(handle_, L"FolderFormat", 2), 0);
  EXPECT_EQ(QeProjectDb_Db_GetOptInt32(handle_, L"FolderFormat"), 2);
  EXPECT_EQ(QeProjectDb_Db_GetOptInt32(handle_, L"folderformat"), -7);
  EXPECT_EQ(QeProjectDb_Db_GetOptInt32(handle_, L"missing"), 0);
}

// --- Transactions and savepoints ---

TEST_F(DbTest, Transactions) {
  EXPECT_EQ(QeProjectDb_Db_TransactionCommit(handle_), -9);
  EXPECT_EQ(QeProjectDb_Db_TransactionRollback(handle_), -9);
  ASSERT_EQ(QeProjectDb_Db_TransactionBegin(handle_), 0);
  EXPECT_EQ(QeProjectDb_Db_TransactionBegin(handle_), -9);
  ASSERT_EQ(Exec("INSERT INTO project(wszUuid) VALUES ('a');"), SQLITE_OK);
  ASSERT_EQ(QeProjectDb_Db_TransactionRollback(handle_), 0);
  EXPECT_EQ(Count(L"project"), 0);
  ASSERT_EQ(QeProjectDb_Db_TransactionBegin(handle_), 0);
  ASSERT_EQ(Exec("INSERT INTO project(wszUuid) VALUES ('b');"), SQLITE_OK);
  ASSERT_EQ(QeProjectDb_Db_TransactionCommit(handle_), 0);
  RawDb other(File("p.db"));
  EXPECT_EQ(other.Text("SELECT wszUuid FROM project;"), "b");
}

TEST_F(DbTest, NestedSavepoints) {
  ASSERT_EQ(QeProjectDb_Db_SavepointSet(handle_, L"outer"), 0);
  ASSERT_EQ(Exec("INSERT INTO project(wszUuid) VALUES ('1');"), SQLITE_OK);
  ASSERT_EQ(QeProjectDb_Db_SavepointSet(handle_, L"inner"), 0);
  ASSERT_EQ(Exec("INSERT INTO project(wszUuid) VALUES ('2');"), SQLITE_OK);
  ASSERT_EQ(QeProjectDb_Db_SavepointSet(handle_, L"Zwischenstand_ä"), 0);
  ASSERT_EQ(Exec("INSERT INTO project(wszUuid) VALUES ('3');"), SQLITE_OK);
  ASSERT_EQ(QeProjectDb_Db_SavepointRollback(handle_, L"inner"), 0);
  EXPECT_EQ(Count(L"project"), 1);
  // The rolled-back savepoint stays open; it can take new work.
  ASSERT_EQ(Exec("INSERT INTO project(wszUuid) VALUES ('4');"), SQLITE_OK);
  ASSERT_EQ(QeProjectDb_Db_SavepointRelease(handle_, L"inner"), 0);
  EXPECT_EQ(QeProjectDb_Db_SavepointRelease(handle_, L"inner"), -9);
  ASSERT_EQ(QeProjectDb_Db_SavepointRelease(handle_, L"outer"), 0);
  RawDb other(File("p.db"));
  EXPECT_EQ(other.Rows("SELECT wszUuid FROM project ORDER BY iKey;"),
            (std::vector<std::vector<std::string>>{{"1"}, {"4"}}));
}

TEST_F(DbTest, BadSavepointNamesFail) {
  EXPECT_EQ(QeProjectDb_Db_SavepointSet(handle_, L"two words"), -9);
  EXPECT_EQ(QeProjectDb_Db_SavepointSet(handle_, L""), -9);
  EXPECT_EQ(QeProjectDb_Db_SavepointSet(handle_, L"x; DROP TABLE project"), -9);
  EXPECT_EQ(QeProjectDb_Db_SavepointSet(handle_, L"it's"), -9);
  EXPECT_EQ(QeProjectDb_Db_SavepointSet(handle_, L"1abc"), -9);
  EXPECT_EQ(QeProjectDb_Db_SavepointRelease(handle_, L"never_set"), -9);
  EXPECT_EQ(QeProjectDb_Db_SavepointRollback(handle_, L"never_set"), -9);
  EXPECT_EQ(Count(L"project"), 0);
  EXPECT_EQ(Pragma(L"SELECT count(*) FROM sqlite_master WHERE name='project';"), "1");
  // No transaction was left open by the failures.
  EXPECT_EQ(sqlite3_get_autocommit(db()), 1);
}

// --- Backup ---

TEST_F(DbTest, BackupCopiesTheWholeDatabase) {
  ASSERT_EQ(Exec("INSERT INTO project(wszUuid, wszName) VALUES ('u', 'l''été');"), SQLITE_OK);
  sqlite3* target = nullptr;
  ASSERT_EQ(sqlite3_open(File("copy.db").c_str(), &target), SQLITE_OK);
  EXPECT_EQ(QeProjectDb_Db_Backup(handle_, target), 0);
  sqlite3_close(target);

  RawDb copy(File("copy.db"));
  EXPECT_EQ(copy.Text("SELECT wszName FROM project;"), "l'été");
  EXPECT_EQ(copy.Int("SELECT count(*) FROM sqlite_master WHERE type='table';"), 47);
  EXPECT_EQ(copy.Text("PRAGMA encoding;"), "UTF-16le");
  EXPECT_EQ(copy.Text("PRAGMA integrity_check;"), "ok");
  // The copy is a project database of its own.
  SQeProjectDbFileInfo info;
  EXPECT_EQ(QeProjectDb_Db_GetInfo(WFile("copy.db"), &info), 0);
  EXPECT_EQ(info.iVersion, 77);
  EXPECT_NE(QeProjectDb_Db_Backup(handle_, nullptr), 0);
}

}  // namespace
}  // namespace qe::test
