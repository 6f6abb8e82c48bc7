// Connecting and disconnecting, the handle registry, journal modes, the
// temporary triggers, progress handlers and the paths of a connection.
#include <atomic>
#include <thread>

#include "projectdb/dbcore_support.h"

namespace qe::test {
namespace {

class ConnectionTest : public DbCoreTest {
 protected:
  void SetUp() override { Create(); }
};

TEST(RegistryTest, HandlesAreReusedFirstInFirstOutAndNeverShared) {
  sqlite3* dbs[4] = {};
  for (sqlite3*& db : dbs) ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
  CQeProjectDbConnectionManager registry;
  EXPECT_TRUE(registry.Get(0).IsNull());
  EXPECT_EQ(registry.Add(dbs[0]), 1u);
  EXPECT_EQ(registry.Add(dbs[1]), 2u);
  EXPECT_EQ(registry.Delete(1), dbs[0]);
  EXPECT_EQ(registry.Add(dbs[2]), 1u);
  EXPECT_EQ(registry.Add(dbs[3]), 3u);
  // Freed handles come back oldest first; 0, a second delete and unknown
  // handles are ignored (never queued).
  EXPECT_EQ(registry.Delete(3), dbs[3]);
  EXPECT_EQ(registry.Delete(1), dbs[2]);
  EXPECT_EQ(registry.Delete(1), nullptr);
  EXPECT_EQ(registry.Delete(0), nullptr);
  EXPECT_EQ(registry.Delete(77), nullptr);
  EXPECT_EQ(registry.Add(dbs[0]), 3u);
  EXPECT_EQ(registry.Add(dbs[0]), 1u);
  EXPECT_EQ(registry.Add(dbs[0]), 4u);
  for (uint32_t h = 1; h <= 4; ++h) registry.Delete(h);

  std::atomic<bool> shared{false};
  std::vector<std::thread> threads;
  for (sqlite3* db : dbs) {
    threads.emplace_back([&registry, &shared, db] {
      for (int i = 0; i < 2000; ++i) {
        const uint32_t handle = registry.Add(db);
        if (handle == 0 || registry.Get(handle).Db() != db) shared = true;
        if (registry.Delete(handle) != db) shared = true;
      }
    });
  }
  for (std::thread& t : threads) t.join();
  EXPECT_FALSE(shared);
  for (sqlite3* db : dbs) sqlite3_close(db);
}

class CountingHandler : public IQeProjectDbProgressHandler {
 public:
  explicit CountingHandler(int result = 0) : result_(result) {}
  int OnProgress() override {
    ++calls;
    return result_;
  }
  int calls = 0;

 private:
  int result_;
};

TEST_F(ConnectionTest, ProgressHandlersAreCalledOnceEachAndCanInterrupt) {
  const char* kLong =
      "WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c WHERE i < 300000) "
      "SELECT count(*) FROM c;";
  Handle h(QeProjectDb_Db_Connect(WFile("p.db")));
  ASSERT_NE(h, 0u);
  CQeProjectDbConnectionManager& registry = CQeProjectDbConnectionManager::GetInstance();
  CountingHandler a, b, stop(1);
  registry.AddProgressHandler(h, &a);
  registry.AddProgressHandler(h, &a);
  registry.AddProgressHandler(h, &b);
  ASSERT_EQ(ExecOnHandle(h, kLong), SQLITE_OK);
  EXPECT_GT(a.calls, 0);
  EXPECT_EQ(a.calls, b.calls) << "a handler added twice is called once per callback";
  registry.AddProgressHandler(h, &stop);
  EXPECT_EQ(ExecOnHandle(h, kLong), SQLITE_INTERRUPT);
  EXPECT_EQ(stop.calls, 1);
  for (CountingHandler* handler : {&stop, &a, &b}) registry.RemoveProgressHandler(h, handler);
  const int before = a.calls + b.calls;
  ASSERT_EQ(ExecOnHandle(h, kLong), SQLITE_OK);
  EXPECT_EQ(a.calls + b.calls, before) << "removing the last handler uninstalls the callback";
}

// Whether a call of a function compiles on the connection of a handle.
bool Prepares(uint32_t handle, const std::string& call) {
  sqlite3_stmt* stmt = nullptr;
  const int rc = sqlite3_prepare_v2(CQeProjectDbConnectionManager::GetConnection(handle),
                                    ("SELECT " + call).c_str(), -1, &stmt, nullptr);
  sqlite3_finalize(stmt);
  return rc == SQLITE_OK;
}

TEST_F(ConnectionTest, ReadOnlyFilesOnlyForReadingWithTheReadOnlyFunctions) {
  {
    Handle writer(QeProjectDb_Db_Connect(WFile("p.db")));
    ASSERT_NE(writer, 0u);
    EXPECT_TRUE(Prepares(writer, "bitwiseand(1, 2)"));
    EXPECT_FALSE(Prepares(writer, "copyfile('a', 'b', 'c')"));  // the merge's own
  }
  EXPECT_EQ(QeProjectDb_Db_Connect(WFile("missing.db")), 0u);
  EXPECT_FALSE(std::filesystem::exists(File("missing.db"))) << "connect never creates a file";
  MakeReadOnly(File("p.db"));
  EXPECT_EQ(QeProjectDb_Db_Connect(WFile("p.db")), 0u);
  Handle reader(QeProjectDb_Db_ConnectForRead(WFile("p.db")));
  ASSERT_NE(reader, 0u);
  EXPECT_EQ(ExecOnHandle(reader, "INSERT INTO project(wszUuid) VALUES ('x');"), SQLITE_READONLY);
  EXPECT_EQ(OnHandle(reader, L"SELECT median(iVersion) FROM vesion;"), "77");
  EXPECT_FALSE(Prepares(reader, "bitwiseand(1, 2)"));
}

// A handle disconnected (twice), 0, and one never handed out: each runs on
// a null connection, fails and touches no file.
TEST_F(ConnectionTest, DisconnectedAndUnknownHandlesFailWithoutTouchingAnyFile) {
  const uint32_t a = QeProjectDb_Db_Connect(WFile("p.db"));
  Handle h(QeProjectDb_Db_Connect(WFile("p.db")));
  ASSERT_NE(a, 0u);
  QeProjectDb_Db_Disconnect(a);
  QeProjectDb_Db_Disconnect(a);
  ASSERT_EQ(ExecOnHandle(h, "PRAGMA wal_checkpoint(TRUNCATE);"), SQLITE_OK);
  const std::string before = ReadBytes(File("p.db"));
  for (const uint32_t unknown : {a, 0u, h + 1000}) {
    SCOPED_TRACE(unknown);
    EXPECT_TRUE(QeProjectDb_Db_Filename(unknown).IsEmpty());
    EXPECT_NE(QeProjectDb_Db_SetOptStr(unknown, L"synchronous", L"full"), 0);
    EXPECT_EQ(QeProjectDb_Db_TransactionBegin(unknown), -9);
    EXPECT_NE(QeProjectDb_Db_Backup(unknown, CQeProjectDbConnectionManager::GetConnection(h)), 0);
    QeProjectDb_Db_Disconnect(unknown);
  }
  EXPECT_EQ(ReadBytes(File("p.db")), before);
  EXPECT_EQ(QeProjectDb_Db_GetOptInt32(h, L"folderformat"), 1);
}

TEST_F(ConnectionTest, JournalModeFromTheSettingsAndTheDrive) {
  const struct {
    const char* settings;
    bool network;
    const char* journal;
  } cases[] = {
      {"", false, "wal"},
      {"", true, "truncate"},  // the settings say "wal"
      {"UPDATE settings SET varValue='truncate' WHERE wszName='journal_mode';", false, "truncate"},
      // A stored value that is not a word is never run as SQL.
      {"UPDATE settings SET varValue='wal; DROP TABLE project' "
       "WHERE wszName='journal_mode';",
       false, nullptr}};
  int n = 0;
  for (const auto& c : cases) {
    const std::string name = "j" + std::to_string(++n) + ".db";
    SCOPED_TRACE(name);
    Create(name);
    ASSERT_EQ(RawDb(File(name)).Exec(c.settings), SQLITE_OK);
    ScopedEnv network("QE_PROJECTDB_NETWORK_PATHS", c.network ? Dir().c_str() : nullptr);
    Handle h(QeProjectDb_Db_Connect(WFile(name)));
    if (!c.journal) {
      EXPECT_EQ(h, 0u);
      EXPECT_EQ(RawDb(File(name)).Int("SELECT count(*) FROM sqlite_master WHERE name='project'"),
                1);
      continue;
    }
    ASSERT_NE(h, 0u);
    EXPECT_EQ(OnHandle(h, L"PRAGMA journal_mode;"), c.journal);
  }
}

TEST_F(ConnectionTest, TriggersStampParentsModificationTimes) {
  Handle h(QeProjectDb_Db_Connect(WFile("p.db")));
  ASSERT_NE(h, 0u);
  ASSERT_EQ(ExecOnHandle(h,
                         "INSERT INTO project(iKey, wszUuid, dMTime) VALUES (1, 'p', 1.0);"
                         "INSERT INTO jobdef(iKey, iProjKeyRef, wszUuid, dMTime) "
                         "VALUES (1, 1, 'd', 5.0);"),
            SQLITE_OK);
  EXPECT_EQ(OnHandle(h, L"SELECT dMTime FROM project;"), "5.0");
  ASSERT_EQ(ExecOnHandle(h,
                         "INSERT INTO jobrun(iKey, iProjKeyRef, iJobdefKeyRef, wszUuid) "
                         "VALUES (1, 1, 1, 'r'); UPDATE jobrun SET dMTime = 7.0;"),
            SQLITE_OK);
  EXPECT_EQ(OnHandle(h, L"SELECT dMTime FROM jobdef;"), "7.0");
  EXPECT_EQ(OnHandle(h, L"SELECT dMTime FROM project;"), "7.0");
  ASSERT_EQ(ExecOnHandle(h, "DELETE FROM jobdef;"), SQLITE_OK);
  EXPECT_NEAR(std::stod(OnHandle(h, L"SELECT dMTime FROM project;")),
              std::stod(OnHandle(h, L"SELECT julianday('now');")), 0.01);
  // The triggers belong to the connection, not to the file.
  EXPECT_EQ(RawDb(File("p.db")).Int("SELECT count(*) FROM sqlite_master WHERE type='trigger';"), 0);
}

TEST_F(ConnectionTest, PathsOfAConnectionToANonAsciiFileName) {
  const std::string name = "hcs_projects l'été 日本.db";
  Create(name);
  Handle h(QeProjectDb_Db_Connect(WFile(name)));
  ASSERT_NE(h, 0u);
  const CQeStringW folder = CQeStringW::FromUtf8(Dir().string() + "/");
  EXPECT_EQ(QeProjectDb_Db_Filename(h), WFile(name));
  EXPECT_EQ(QeProjectDb_Db_Folder(h), folder);
  EXPECT_EQ(QeProjectDb_Db_ProjectRootFolder(h), folder + L"HCS Projects/");
  EXPECT_EQ(QeProjectDb_Db_ProjectFolderName(L"D:\\data\\job_projects.db"), L"Job Projects/");
}

}  // namespace
}  // namespace qe::test
