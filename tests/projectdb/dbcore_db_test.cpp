// Inspecting files, options, transactions, savepoints and backup.
#include <fmt/format.h>

#include "projectdb/dbcore_support.h"

namespace qe::test {
namespace {

class DbTest : public DbCoreTest {
 protected:
  void SetUp() override {
    Create();
    handle_ = QeProjectDb_Db_Connect(WFile("p.db"));
    ASSERT_NE(handle_, 0u);
  }
  void TearDown() override { QeProjectDb_Db_Disconnect(handle_); }

  int Exec(const char* sql) { return ExecOnHandle(handle_, sql); }
  std::string Read(const wchar_t* sql) { return OnHandle(handle_, sql); }

  uint32_t handle_ = 0;
};

// The fields after the path, in order: journal mode in effect, stored
// journal_mode and synchronous, network flag, open result, folder format,
// schema version read status and value, plate version read status and value.
std::string Fields(const SQeProjectDbFileInfo& i) {
  return fmt::format("{}|{}|{}|{:d}|{}|{}|{}|{}|{}|{}", i.wszJournalMode.ToUtf8(),
                     i.wszJournalModeOption.ToUtf8(), i.wszSynchronousOption.ToUtf8(),
                     i.bNetworkPath, i.iOpenResult, i.iFolderFormat, i.iVersionResult, i.iVersion,
                     i.iPlateVersionResult, i.iPlateVersion);
}

TEST_F(DbCoreTest, InfoOfNewNewerAndMissingFiles) {
  Create();
  SQeProjectDbFileInfo info;
  EXPECT_EQ(QeProjectDb_Db_GetInfo(WFile("p.db"), &info), 0);
  EXPECT_EQ(Fields(info), "wal|wal|normal|0|0|1|0|77|0|0");
  // A newer file gives -1 with every field filled.
  ASSERT_EQ(RawDb(File("p.db"))
                .Exec("UPDATE vesion SET iVersion = 78 WHERE wszName = 'main';"
                      "INSERT INTO vesion(wszName, iVersion) VALUES ('plate', 12);"),
            SQLITE_OK);
  EXPECT_EQ(QeProjectDb_Db_GetInfo(WFile("p.db"), &info), -1);
  EXPECT_EQ(Fields(info), "wal|wal|normal|0|0|1|0|78|0|12");
  SQeProjectDbFileInfo none;
  EXPECT_EQ(QeProjectDb_Db_GetInfo(WFile("missing.db"), &none), SQLITE_CANTOPEN);
  EXPECT_EQ(Fields(none), "|||0|14|0|0|0|0|0");
  EXPECT_FALSE(std::filesystem::exists(File("missing.db")));
}

// A file created on a network drive stores and runs "truncate", which is
// usable there; in WAL it is not.
TEST_F(DbCoreTest, InfoOfANetworkFileIsUnusableInWal) {
  ScopedEnv network("QE_PROJECTDB_NETWORK_PATHS", Dir().c_str());
  Create("net.db");
  SQeProjectDbFileInfo info;
  EXPECT_EQ(QeProjectDb_Db_GetInfo(WFile("net.db"), &info), 0);
  EXPECT_EQ(Fields(info), "delete|truncate|normal|1|0|1|0|77|0|0");
  ASSERT_EQ(RawDb(File("net.db")).Text("PRAGMA journal_mode=WAL;"), "wal");
  EXPECT_EQ(QeProjectDb_Db_GetInfo(WFile("net.db"), &info), -10);
  EXPECT_EQ(Fields(info), "wal|truncate|normal|1|0|1|0|77|0|0");
}

TEST_F(DbTest, OptionsAreSetWithTheirPragmaAndRefusedOnesStoreNothing) {
  EXPECT_EQ(QeProjectDb_Db_SetOptStr(handle_, L"synchronous", L"full"), 0);
  EXPECT_EQ(Read(L"PRAGMA synchronous;"), "2");
  EXPECT_EQ(QeProjectDb_Db_GetOptStr(handle_, L"synchronous"), L"full");
  EXPECT_EQ(QeProjectDb_Db_SetOptInt32(handle_, L"folderformat", -7), 0);
  EXPECT_EQ(QeProjectDb_Db_GetOptInt32(handle_, L"folderformat"), -7);
  // Names are exact: another spelling is another option.
  EXPECT_EQ(QeProjectDb_Db_SetOptStr(handle_, L"JOURNAL_MODE", L"truncate"), 0);
  EXPECT_EQ(Read(L"PRAGMA journal_mode;"), "truncate");
  EXPECT_EQ(QeProjectDb_Db_GetOptStr(handle_, L"journal_mode"), L"wal");

  EXPECT_EQ(QeProjectDb_Db_SetOptStr(handle_, L"folderformat", L"2"), -13);
  EXPECT_EQ(QeProjectDb_Db_SetOptStr(handle_, L"page_size", L"2"), -13);
  EXPECT_EQ(QeProjectDb_Db_SetOptInt32(handle_, L"journal_mode", 1), -13);
  // A value that is not one word is never run.
  EXPECT_EQ(QeProjectDb_Db_SetOptStr(handle_, L"synchronous", L"full; DROP TABLE project"),
            SQLITE_ERROR);
  EXPECT_EQ(Read(L"SELECT count(*) FROM project;"), "0");
  EXPECT_EQ(Read(L"SELECT count(*) FROM settings;"), "4");
  EXPECT_EQ(QeProjectDb_Db_GetOptStr(handle_, L"synchronous"), L"full");
}

TEST_F(DbTest, TransactionsAndNestedSavepoints) {
  ASSERT_EQ(QeProjectDb_Db_TransactionBegin(handle_), 0);
  EXPECT_EQ(QeProjectDb_Db_TransactionBegin(handle_), -9);
  ASSERT_EQ(Exec("INSERT INTO project(wszUuid) VALUES ('a');"), SQLITE_OK);
  ASSERT_EQ(QeProjectDb_Db_TransactionRollback(handle_), 0);
  EXPECT_EQ(Read(L"SELECT count(*) FROM project;"), "0");

  ASSERT_EQ(QeProjectDb_Db_SavepointSet(handle_, L"outer"), 0);
  ASSERT_EQ(Exec("INSERT INTO project(wszUuid) VALUES ('1');"), SQLITE_OK);
  ASSERT_EQ(QeProjectDb_Db_SavepointSet(handle_, L"inner"), 0);
  ASSERT_EQ(Exec("INSERT INTO project(wszUuid) VALUES ('2');"), SQLITE_OK);
  ASSERT_EQ(QeProjectDb_Db_SavepointSet(handle_, L"Zwischenstand_ä"), 0);
  ASSERT_EQ(QeProjectDb_Db_SavepointRollback(handle_, L"inner"), 0);
  // The rolled-back savepoint stays open; it can take new work.
  ASSERT_EQ(Exec("INSERT INTO project(wszUuid) VALUES ('4');"), SQLITE_OK);
  ASSERT_EQ(QeProjectDb_Db_SavepointRelease(handle_, L"inner"), 0);
  EXPECT_EQ(QeProjectDb_Db_SavepointRelease(handle_, L"inner"), -9);
  for (const wchar_t* name : {L"two words", L"", L"x; DROP TABLE project", L"it's"}) {
    EXPECT_EQ(QeProjectDb_Db_SavepointSet(handle_, name), -9) << qe::WideToUtf8(name);
  }
  ASSERT_EQ(QeProjectDb_Db_SavepointRelease(handle_, L"outer"), 0);
  EXPECT_EQ(RawDb(File("p.db")).Rows("SELECT wszUuid FROM project ORDER BY iKey;"),
            (Rows{{"1"}, {"4"}}));
  EXPECT_EQ(QeProjectDb_Db_SavepointRollback(handle_, L"never_set"), -9);
  EXPECT_EQ(sqlite3_get_autocommit(CQeProjectDbConnectionManager::GetConnection(handle_)), 1)
      << "no transaction was left open";
}

TEST_F(DbTest, BackupCopiesTheWholeDatabase) {
  ASSERT_EQ(Exec("INSERT INTO project(wszUuid, wszName) VALUES ('u', 'l''été');"), SQLITE_OK);
  {
    RawDb target(File("copy.db"), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    EXPECT_EQ(QeProjectDb_Db_Backup(handle_, target.Get()), 0);
  }
  RawDb copy(File("copy.db"));
  EXPECT_EQ(copy.Text("SELECT wszName FROM project;"), "l'été");
  EXPECT_EQ(copy.Text("PRAGMA integrity_check;"), "ok");
  EXPECT_EQ(copy.Text("PRAGMA encoding;"), "UTF-16le");
}

}  // namespace
}  // namespace qe::test
