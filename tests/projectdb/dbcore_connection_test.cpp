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

// --- The registry on its own ---

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (sqlite3*& db : dbs_) ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
  }
  void TearDown() override {
    for (sqlite3* db : dbs_) sqlite3_close(db);
  }
  sqlite3* dbs_[4] = {};
  CQeProjectDbConnectionManager registry_;
};

TEST_F(RegistryTest, HandlesAreReusedFirstInFirstOutAndNeverTwice) {
  EXPECT_TRUE(registry_.Get(0).IsNull());
  EXPECT_EQ(registry_.Add(dbs_[0]), 1u);
  EXPECT_EQ(registry_.Add(dbs_[1]), 2u);
  EXPECT_EQ(registry_.Delete(1), dbs_[0]);
  EXPECT_EQ(registry_.Add(dbs_[2]), 1u);
  EXPECT_EQ(registry_.Add(dbs_[3]), 3u);
  EXPECT_EQ(registry_.Get(1).Db(), dbs_[2]);
  EXPECT_EQ(registry_.Get(2).Db(), dbs_[1]);
  // Freed handles come back oldest first; 0, a second delete and unknown
  // handles are ignored (never queued).
  EXPECT_EQ(registry_.Delete(3), dbs_[3]);
  EXPECT_EQ(registry_.Delete(1), dbs_[2]);
  EXPECT_EQ(registry_.Delete(1), nullptr);
  EXPECT_EQ(registry_.Delete(0), nullptr);
  EXPECT_EQ(registry_.Delete(77), nullptr);
  EXPECT_TRUE(registry_.Get(77).IsNull());
  EXPECT_EQ(registry_.Add(dbs_[0]), 3u);
  EXPECT_EQ(registry_.Add(dbs_[0]), 1u);
  EXPECT_EQ(registry_.Add(dbs_[0]), 4u);
}

TEST_F(RegistryTest, ThreadsAddingAndDeletingNeverShareAHandle) {
  std::atomic<bool> shared{false};
  std::vector<std::thread> threads;
  for (sqlite3* db : dbs_) {
    threads.emplace_back([this, &shared, db] {
      for (int i = 0; i < 2000; ++i) {
        const uint32_t handle = registry_.Add(db);
        if (handle == 0 || registry_.Get(handle).Db() != db) shared = true;
        if (registry_.Delete(handle) != db) shared = true;
      }
    });
  }
  for (std::thread& t : threads) t.join();
  EXPECT_FALSE(shared);
  // Never more than four were in use at once, so no handle above 4 was made.
  for (int i = 0; i < 4; ++i) EXPECT_LE(registry_.Add(dbs_[0]), 4u);
  EXPECT_EQ(registry_.Add(dbs_[0]), 5u);
}

// --- Progress handlers ---

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
  registry.AddProgressHandler(h, nullptr);
  ASSERT_EQ(ExecOnHandle(h, kLong), SQLITE_OK);
  EXPECT_GT(a.calls, 0);
  EXPECT_EQ(a.calls, b.calls) << "a handler added twice is called once per callback";

  registry.AddProgressHandler(h, &stop);
  EXPECT_EQ(ExecOnHandle(h, kLong), SQLITE_INTERRUPT);
  EXPECT_EQ(stop.calls, 1);
  EXPECT_EQ(a.calls, b.calls) << "every handler runs even after one asked to stop";

  for (CountingHandler* handler : {&stop, &a, &b}) registry.RemoveProgressHandler(h, handler);
  const int before = a.calls + b.calls;
  ASSERT_EQ(ExecOnHandle(h, kLong), SQLITE_OK);
  EXPECT_EQ(a.calls + b.calls, before) << "removing the last handler uninstalls the callback";
  registry.AddProgressHandler(987654, &a);  // unknown handles are ignored
  registry.RemoveProgressHandler(987654, &a);
}

TEST(ConnectionStateTest, CallHandlerCallbacksReturnsTheFirstNonzeroResult) {
  CQeProjectDbConnectionState state(nullptr);
  CountingHandler zero, two(2), three(3);
  for (CountingHandler* handler : {&zero, &two, &three}) state.AddProgressHandler(handler);
  EXPECT_EQ(state.CallHandlerCallbacks(), 2);
  EXPECT_EQ(zero.calls + two.calls + three.calls, 3);
  state.RemoveProgressHandler(&two);
  EXPECT_EQ(state.CallHandlerCallbacks(), 3);
  state.RemoveProgressHandler(&three);
  state.RemoveProgressHandler(&three);
  EXPECT_EQ(state.Handlers().size(), 1u);
  EXPECT_EQ(state.CallHandlerCallbacks(), 0);
}

// --- Connecting ---

// Whether a call of a function compiles on the connection of a handle.
bool Prepares(uint32_t handle, const std::string& call) {
  sqlite3_stmt* stmt = nullptr;
  const int rc = sqlite3_prepare_v2(CQeProjectDbConnectionManager::GetConnection(handle),
                                    ("SELECT " + call).c_str(), -1, &stmt, nullptr);
  sqlite3_finalize(stmt);
  return rc == SQLITE_OK;
}

TEST_F(ConnectionTest, ReadOnlyFilesOnlyForReadingWithTheReadOnlyFunctions) {
  const char* both[] = {
      "uuid()",       "jdnnow()", "bitwiseor(1)", "stdev(1)",          "variance(1)",
      "count_str(1)", "mode(1)",  "median(1)",    "lower_quartile(1)", "upper_quartile(1)"};
  const char* writing[] = {"bitwiseand(1, 2)", "bitsetmasked(1, 2, 3)", "setfirstchar('a', 'b')"};
  {
    Handle writer(QeProjectDb_Db_Connect(WFile("p.db")));
    ASSERT_NE(writer, 0u);
    for (const char* call : both) EXPECT_TRUE(Prepares(writer, call)) << call;
    for (const char* call : writing) EXPECT_TRUE(Prepares(writer, call)) << call;
    EXPECT_FALSE(Prepares(writer, "copyfile('a', 'b', 'c')"));  // the merge's own
    EXPECT_EQ(OnHandle(writer, L"PRAGMA foreign_keys;"), "1");
    EXPECT_EQ(OnHandle(writer, L"PRAGMA recursive_triggers;"), "1");
  }
  EXPECT_EQ(QeProjectDb_Db_Connect(L""), 0u);
  EXPECT_EQ(QeProjectDb_Db_ConnectForRead(L""), 0u);
  EXPECT_EQ(QeProjectDb_Db_Connect(WFile("missing.db")), 0u);
  EXPECT_EQ(QeProjectDb_Db_ConnectForRead(WFile("missing.db")), 0u);
  EXPECT_FALSE(std::filesystem::exists(File("missing.db"))) << "connect never creates a file";

  MakeReadOnly(File("p.db"));
  EXPECT_EQ(QeProjectDb_Db_Connect(WFile("p.db")), 0u);
  Handle reader(QeProjectDb_Db_ConnectForRead(WFile("p.db")));
  ASSERT_NE(reader, 0u);
  EXPECT_EQ(QeProjectDb_Db_GetOptStr(reader, L"synchronous"), L"normal");
  EXPECT_EQ(ExecOnHandle(reader, "INSERT INTO project(wszUuid) VALUES ('x');"), SQLITE_READONLY);
  EXPECT_EQ(OnHandle(reader, L"SELECT median(iVersion) FROM vesion;"), "77");
  EXPECT_EQ(OnHandle(reader, L"PRAGMA foreign_keys;"), "1");
  for (const char* call : both) EXPECT_TRUE(Prepares(reader, call)) << call;
  for (const char* call : writing) EXPECT_FALSE(Prepares(reader, call)) << call;
}

TEST_F(ConnectionTest, CorruptAndForeignFilesGiveHandleZeroAndStayUnchanged) {
  std::ofstream(File("garbage.db"), std::ios::binary) << std::string(8192, '\x5a');
  std::ofstream(File("text.db")) << "SQLite format 3 is not enough to make a database\n";
  std::string damaged = ReadBytes(File("p.db"));  // a real database, its first page damaged
  ASSERT_GT(damaged.size(), 200u);
  for (size_t i = 100; i < 200; ++i) damaged[i] = '\xff';
  std::ofstream(File("damaged.db"), std::ios::binary) << damaged;

  for (const char* name : {"garbage.db", "text.db", "damaged.db"}) {
    SCOPED_TRACE(name);
    const std::string before = ReadBytes(File(name));
    EXPECT_EQ(QeProjectDb_Db_Connect(WFile(name)), 0u);
    EXPECT_EQ(QeProjectDb_Db_ConnectForRead(WFile(name)), 0u);
    SQeProjectDbFileInfo info;
    EXPECT_NE(QeProjectDb_Db_GetInfo(WFile(name), &info), 0);
    EXPECT_EQ(ReadBytes(File(name)), before);
  }
}

// A handle disconnected (twice), 0, and one never handed out: each runs on
// a null connection, fails and touches no file.
TEST_F(ConnectionTest, DisconnectedAndUnknownHandlesFailWithoutTouchingAnyFile) {
  const uint32_t a = QeProjectDb_Db_Connect(WFile("p.db"));
  Handle h(QeProjectDb_Db_Connect(WFile("p.db")));
  ASSERT_NE(a, 0u);
  ASSERT_NE(h, 0u);
  EXPECT_NE(a, h);
  EXPECT_EQ(QeProjectDb_Db_Filename(a), WFile("p.db"));
  QeProjectDb_Db_Disconnect(a);
  QeProjectDb_Db_Disconnect(a);
  QeProjectDb_Db_Disconnect(0);
  ASSERT_EQ(ExecOnHandle(h, "PRAGMA wal_checkpoint(TRUNCATE);"), SQLITE_OK);
  const std::string before = ReadBytes(File("p.db"));
  for (const uint32_t unknown : {a, 0u, h + 1000}) {
    SCOPED_TRACE(unknown);
    EXPECT_TRUE(CQeProjectDbConnectionManager::GetConnection(unknown).IsNull());
    EXPECT_TRUE(QeProjectDb_Db_Filename(unknown).IsEmpty());
    EXPECT_TRUE(QeProjectDb_Db_Folder(unknown).IsEmpty());
    EXPECT_TRUE(QeProjectDb_Db_ProjectRootFolder(unknown).IsEmpty());
    EXPECT_TRUE(QeProjectDb_Db_GetOptStr(unknown, L"journal_mode").IsEmpty());
    EXPECT_EQ(QeProjectDb_Db_GetOptInt32(unknown, L"folderformat"), 0);
    EXPECT_NE(QeProjectDb_Db_SetOptStr(unknown, L"synchronous", L"full"), 0);
    EXPECT_EQ(QeProjectDb_Db_SetOptInt32(unknown, L"folderformat", 0), 0);
    EXPECT_EQ(QeProjectDb_Db_TransactionBegin(unknown), -9);
    EXPECT_EQ(QeProjectDb_Db_SavepointSet(unknown, L"sp"), -9);
    EXPECT_NE(QeProjectDb_Db_Backup(unknown, CQeProjectDbConnectionManager::GetConnection(h)), 0);
    QeProjectDb_Db_Disconnect(unknown);
  }
  EXPECT_EQ(ReadBytes(File("p.db")), before);
  EXPECT_EQ(QeProjectDb_Db_Filename(h), WFile("p.db"));
  EXPECT_EQ(QeProjectDb_Db_GetOptInt32(h, L"folderformat"), 1);
}

// --- Journal modes ---

TEST_F(ConnectionTest, JournalModeFromTheSettingsAndTheDrive) {
  const struct {
    const char* settings;
    bool network;
    const char* journal;
    const char* synchronous;  // 1 normal, 2 full
  } cases[] = {{"", false, "wal", "1"},
               {"", true, "truncate", "1"},  // the settings say "wal"
               {"DELETE FROM settings;", false, "wal", "1"},
               {"DELETE FROM settings;", true, "truncate", "1"},
               {"UPDATE settings SET varValue='truncate' WHERE wszName='journal_mode';"
                "UPDATE settings SET varValue='full' WHERE wszName='synchronous';",
                false, "truncate", "2"}};
  int n = 0;
  for (const auto& c : cases) {
    const std::string name = "j" + std::to_string(++n) + ".db";
    SCOPED_TRACE(name);
    Create(name);
    ASSERT_EQ(RawDb(File(name)).Exec(c.settings), SQLITE_OK);
    ScopedEnv network("QE_PROJECTDB_NETWORK_PATHS", c.network ? Dir().c_str() : nullptr);
    Handle h(QeProjectDb_Db_Connect(WFile(name)));
    ASSERT_NE(h, 0u);
    EXPECT_EQ(OnHandle(h, L"PRAGMA journal_mode;"), c.journal);
    EXPECT_EQ(OnHandle(h, L"PRAGMA synchronous;"), c.synchronous);
    EXPECT_EQ(OnHandle(h, L"PRAGMA busy_timeout;"), "60000");
  }
}

TEST_F(ConnectionTest, AStoredJournalModeThatIsNotAWordIsNeverRunAsSql) {
  ASSERT_EQ(RawDb(File("p.db"))
                .Exec("UPDATE settings SET varValue='wal; DROP TABLE project' "
                      "WHERE wszName='journal_mode';"),
            SQLITE_OK);
  EXPECT_EQ(QeProjectDb_Db_Connect(WFile("p.db")), 0u);
  EXPECT_EQ(RawDb(File("p.db")).Int("SELECT count(*) FROM sqlite_master WHERE name='project';"), 1);
}

// --- Busy files ---

TEST_F(ConnectionTest, ConnectWhileAnotherConnectionWrites) {
  RawDb other(File("p.db"));
  ASSERT_EQ(other.Exec("BEGIN IMMEDIATE; INSERT INTO project(wszUuid) VALUES ('pending');"),
            SQLITE_OK);
  Handle h(QeProjectDb_Db_Connect(WFile("p.db")));
  ASSERT_NE(h, 0u);
  EXPECT_EQ(OnHandle(h, L"SELECT count(*) FROM project;"), "0");
  ASSERT_EQ(other.Exec("COMMIT;"), SQLITE_OK);
  EXPECT_EQ(OnHandle(h, L"SELECT count(*) FROM project;"), "1");
}

// A rollback-journal file locked exclusively cannot even be read; the
// connect waits on it instead of failing.
TEST_F(ConnectionTest, ConnectWaitsForAnExclusiveLockToEnd) {
  ASSERT_EQ(RawDb(File("p.db"))
                .Exec("PRAGMA journal_mode=delete;"
                      "UPDATE settings SET varValue='delete' WHERE wszName='journal_mode';"),
            SQLITE_OK);
  RawDb other(File("p.db"));
  ASSERT_EQ(other.Exec("BEGIN EXCLUSIVE; INSERT INTO project(wszUuid) VALUES ('x');"), SQLITE_OK);
  std::atomic<uint32_t> handle{0};
  std::atomic<bool> done{false};
  std::thread connecting([&] {
    handle = QeProjectDb_Db_Connect(WFile("p.db"));
    done = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  const bool finished_while_locked = done;
  ASSERT_EQ(other.Exec("COMMIT;"), SQLITE_OK);
  connecting.join();
  Handle h(handle);
  EXPECT_FALSE(finished_while_locked);
  ASSERT_NE(h, 0u);
  EXPECT_EQ(OnHandle(h, L"SELECT count(*) FROM project;"), "1");
  EXPECT_EQ(OnHandle(h, L"PRAGMA journal_mode;"), "delete");
}

// --- Temporary triggers ---

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
  // Other columns of a run stamp nothing.
  ASSERT_EQ(ExecOnHandle(h, "UPDATE jobdef SET dMTime = 8.0; UPDATE jobrun SET wszName = 'x';"),
            SQLITE_OK);
  EXPECT_EQ(OnHandle(h, L"SELECT dMTime FROM jobdef;"), "8.0");
  ASSERT_EQ(ExecOnHandle(h, "DELETE FROM jobdef;"), SQLITE_OK);
  EXPECT_NEAR(std::stod(OnHandle(h, L"SELECT dMTime FROM project;")),
              std::stod(OnHandle(h, L"SELECT julianday('now');")), 0.01);

  // The triggers belong to the connection, not to the file.
  RawDb raw(File("p.db"));
  EXPECT_EQ(raw.Int("SELECT count(*) FROM sqlite_master WHERE type='trigger';"), 0);
  ASSERT_EQ(raw.Exec("INSERT INTO jobdef(iProjKeyRef, wszUuid, dMTime) VALUES (1, 'e', 99.0);"),
            SQLITE_OK);
  EXPECT_NE(raw.Text("SELECT dMTime FROM project;"), "99.0");
}

// --- Paths ---

TEST_F(ConnectionTest, PathsOfAConnectionToANonAsciiFileName) {
  const std::string name = "hcs_projects l'été 日本.db";
  Create(name);
  SQeProjectDbFileInfo info;
  EXPECT_EQ(QeProjectDb_Db_GetInfo(WFile(name), &info), 0);
  EXPECT_EQ(info.iVersion, 77);
  Handle h(QeProjectDb_Db_Connect(WFile(name)));
  ASSERT_NE(h, 0u);
  const CQeStringW folder = CQeStringW::FromUtf8(Dir().string() + "/");
  EXPECT_EQ(QeProjectDb_Db_Filename(h), WFile(name));
  EXPECT_EQ(QeProjectDb_Db_Folder(h), folder);
  EXPECT_EQ(QeProjectDb_Db_ProjectRootFolder(h), folder + L"HCS Projects/");
}

TEST(ProjectFolderNameTest, ChosenByTheBeginningOfTheFileName) {
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"hcs_projects.db", L"HCS Projects/"},
      {L"job_projects_2024.db", L"Job Projects/"},
      {L"my_hcs_projects.db", L"Projects/"},
      {L"HCS_Projects.db", L"Projects/"},
      {L"", L"Projects/"},
      {L"/data/hcs_projects/x.db", L"Projects/"},
      {L"/data/x/hcs_projects.db", L"HCS Projects/"},
      {L"D:\\data\\job_projects.db", L"Job Projects/"}};
  for (const auto& [file, folder] : cases) {
    EXPECT_EQ(QeProjectDb_Db_ProjectFolderName(file), folder) << qe::WideToUtf8(file);
  }
}

}  // namespace
}  // namespace qe::test
