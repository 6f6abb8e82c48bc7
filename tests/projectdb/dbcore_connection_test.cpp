// Connecting and disconnecting, the handle registry, journal modes, the
// temporary triggers, progress handlers and the paths of a connection.
#include <atomic>
#include <fstream>
#include <iterator>
#include <thread>

#include "projectdb/dbcore_support.h"
#include "qe/projectdb/connection.h"
#include "qe/projectdb/db.h"
#include "qe/sqlite/connection.h"

namespace qe::test {
namespace {

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The text of a one-value query on the connection of a handle.
std::string OnHandle(uint32_t handle, const wchar_t* sql, int* code = nullptr) {
  return QeSqlite_ReadOneStringW(CQeProjectDbConnectionManager::GetConnection(handle), sql, code)
      .ToUtf8();
}

int ExecOnHandle(uint32_t handle, const char* sql) {
  return sqlite3_exec(CQeProjectDbConnectionManager::GetConnection(handle), sql, nullptr, nullptr,
                      nullptr);
}

// A handle that is disconnected at the end of the test.
class Connection {
 public:
  explicit Connection(uint32_t handle) : handle_(handle) {}
  ~Connection() { QeProjectDb_Db_Disconnect(handle_); }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;
  uint32_t get() const { return handle_; }

 private:
  uint32_t handle_;
};

class ConnectionTest : public DbCoreTest {
 protected:
  void SetUp() override { ASSERT_EQ(QeProjectDb_Db_Create(WFile("p.db")), 0); }
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
};

TEST_F(RegistryTest, HandlesAreReusedFirstInFirstOut) {
  CQeProjectDbConnectionManager registry;
  EXPECT_TRUE(registry.Get(0).IsNull());
  EXPECT_EQ(registry.Add(dbs_[0]), 1u);
  EXPECT_EQ(registry.Add(dbs_[1]), 2u);
  EXPECT_EQ(registry.Delete(1), dbs_[0]);
  EXPECT_EQ(registry.Add(dbs_[2]), 1u);
  EXPECT_EQ(registry.Add(dbs_[3]), 3u);
  EXPECT_EQ(registry.Get(1).Db(), dbs_[2]);
  EXPECT_EQ(registry.Get(2).Db(), dbs_[1]);
  // Freed handles come back oldest first.
  registry.Delete(3);
  registry.Delete(1);
  EXPECT_EQ(registry.Add(dbs_[0]), 3u);
  EXPECT_EQ(registry.Add(dbs_[0]), 1u);
  EXPECT_EQ(registry.Add(dbs_[0]), 4u);
}

TEST_F(RegistryTest, DeletingTwiceOrUnknownHandlesChangesNothing) {
  CQeProjectDbConnectionManager registry;
  EXPECT_EQ(registry.Add(dbs_[0]), 1u);
  EXPECT_EQ(registry.Delete(0), nullptr);
  EXPECT_EQ(registry.Delete(1), dbs_[0]);
  EXPECT_EQ(registry.Delete(1), nullptr);
  EXPECT_EQ(registry.Delete(77), nullptr);
  // Handle 1 was queued once only, and 77 never.
  EXPECT_EQ(registry.Add(dbs_[1]), 1u);
  EXPECT_EQ(registry.Add(dbs_[2]), 2u);
  EXPECT_TRUE(registry.Get(77).IsNull());
  EXPECT_TRUE(registry.Get(0).IsNull());
}

TEST_F(RegistryTest, ThreadsAddingAndDeletingNeverShareAHandle) {
  CQeProjectDbConnectionManager registry;
  std::atomic<bool> duplicate{false};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&registry, &duplicate, db = dbs_[t]] {
      for (int i = 0; i < 2000; ++i) {
        const uint32_t handle = registry.Add(db);
        if (handle == 0 || registry.Get(handle).Db() != db) duplicate = true;
        if (registry.Delete(handle) != db) duplicate = true;
      }
    });
  }
  for (std::thread& t : threads) t.join();
  EXPECT_FALSE(duplicate);
  // Never more than four were in use at once, so no handle above 4 was made.
  for (int i = 0; i < 4; ++i) EXPECT_LE(registry.Add(dbs_[0]), 4u);
  EXPECT_EQ(registry.Add(dbs_[0]), 5u);
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

constexpr const char* kLongStatement =
    "WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c WHERE i < 300000) "
    "SELECT count(*) FROM c;";

TEST_F(ConnectionTest, ProgressHandlersAreCalledOnceEachAndCanInterrupt) {
  Connection h(QeProjectDb_Db_Connect(WFile("p.db")));
  ASSERT_NE(h.get(), 0u);
  CQeProjectDbConnectionManager& registry = CQeProjectDbConnectionManager::GetInstance();
  CountingHandler a;
  CountingHandler b;
  registry.AddProgressHandler(h.get(), &a);
  registry.AddProgressHandler(h.get(), &a);
  registry.AddProgressHandler(h.get(), &b);
  registry.AddProgressHandler(h.get(), nullptr);
  ASSERT_EQ(ExecOnHandle(h.get(), kLongStatement), SQLITE_OK);
  EXPECT_GT(a.calls, 0);
  EXPECT_EQ(a.calls, b.calls) << "a handler added twice is called once per callback";

  CountingHandler stop(1);
  registry.AddProgressHandler(h.get(), &stop);
  EXPECT_EQ(ExecOnHandle(h.get(), kLongStatement), SQLITE_INTERRUPT);
  EXPECT_EQ(stop.calls, 1);
  EXPECT_EQ(a.calls, b.calls) << "every handler runs even after one asked to stop";

  registry.RemoveProgressHandler(h.get(), &stop);
  registry.RemoveProgressHandler(h.get(), &a);
  registry.RemoveProgressHandler(h.get(), &b);
  const int before = a.calls + b.calls;
  ASSERT_EQ(ExecOnHandle(h.get(), kLongStatement), SQLITE_OK);
  EXPECT_EQ(a.calls + b.calls, before) << "removing the last handler uninstalls the callback";
  // Unknown handles are ignored.
  registry.AddProgressHandler(987654, &a);
  registry.RemoveProgressHandler(987654, &a);
}

TEST(ConnectionStateTest, CallHandlerCallbacksReturnsTheFirstNonzeroResult) {
  CQeProjectDbConnectionState state(nullptr);
  CountingHandler zero;
  CountingHandler two(2);
  CountingHandler three(3);
  state.AddProgressHandler(&zero);
  state.AddProgressHandler(&two);
  state.AddProgressHandler(&three);
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

TEST_F(ConnectionTest, ConnectAndDisconnect) {
  const uint32_t a = QeProjectDb_Db_Connect(WFile("p.db"));
  const uint32_t b = QeProjectDb_Db_Connect(WFile("p.db"));
  ASSERT_NE(a, 0u);
  ASSERT_NE(b, 0u);
  EXPECT_NE(a, b);
  EXPECT_EQ(QeProjectDb_Db_Filename(a), WFile("p.db"));
  QeProjectDb_Db_Disconnect(a);
  EXPECT_TRUE(QeProjectDb_Db_Filename(a).IsEmpty());
  EXPECT_EQ(QeProjectDb_Db_Filename(b), WFile("p.db"));
  QeProjectDb_Db_Disconnect(a);
  QeProjectDb_Db_Disconnect(0);
  EXPECT_EQ(QeProjectDb_Db_Filename(b), WFile("p.db"));
  QeProjectDb_Db_Disconnect(b);
}

TEST_F(ConnectionTest, ConnectRefusesEmptyMissingAndReadOnlyFiles) {
  EXPECT_EQ(QeProjectDb_Db_Connect(L""), 0u);
  EXPECT_EQ(QeProjectDb_Db_ConnectForRead(L""), 0u);
  EXPECT_EQ(QeProjectDb_Db_Connect(WFile("missing.db")), 0u);
  EXPECT_FALSE(std::filesystem::exists(File("missing.db"))) << "connect never creates a file";
  EXPECT_EQ(QeProjectDb_Db_ConnectForRead(WFile("missing.db")), 0u);

  MakeReadOnly(File("p.db"));
  EXPECT_EQ(QeProjectDb_Db_Connect(WFile("p.db")), 0u);
  Connection reader(QeProjectDb_Db_ConnectForRead(WFile("p.db")));
  ASSERT_NE(reader.get(), 0u);
  EXPECT_EQ(QeProjectDb_Db_GetOptStr(reader.get(), L"synchronous"), L"normal");
  EXPECT_EQ(ExecOnHandle(reader.get(), "INSERT INTO project(wszUuid) VALUES ('x');"),
            SQLITE_READONLY);
}

TEST_F(ConnectionTest, ReadOnlyConnectionsHaveTheReadOnlyFunctionSet) {
  Connection writer(QeProjectDb_Db_Connect(WFile("p.db")));
  Connection reader(QeProjectDb_Db_ConnectForRead(WFile("p.db")));
  ASSERT_NE(writer.get(), 0u);
  ASSERT_NE(reader.get(), 0u);
  EXPECT_EQ(OnHandle(writer.get(), L"SELECT bitwiseand(6, 3);"), "2");
  EXPECT_EQ(OnHandle(reader.get(), L"SELECT median(iVersion) FROM vesion;"), "77");
  int code = 0;
  OnHandle(reader.get(), L"SELECT bitwiseand(6, 3);", &code);
  EXPECT_EQ(code, SQLITE_ERROR);
  EXPECT_EQ(OnHandle(writer.get(), L"PRAGMA foreign_keys;"), "1");
  EXPECT_EQ(OnHandle(reader.get(), L"PRAGMA foreign_keys;"), "1");
  EXPECT_EQ(OnHandle(writer.get(), L"PRAGMA recursive_triggers;"), "1");
}

TEST_F(ConnectionTest, CorruptAndForeignFilesGiveHandleZeroAndStayUnchanged) {
  const std::string garbage(8192, '\x5a');
  std::ofstream(File("garbage.db"), std::ios::binary) << garbage;
  std::ofstream(File("text.db")) << "SQLite format 3 is not enough to make a database\n";
  // A real database whose first page is damaged.
  std::string damaged = ReadBytes(File("p.db"));
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

TEST_F(ConnectionTest, AnUnknownHandleFailsWithoutTouchingAnyFile) {
  Connection h(QeProjectDb_Db_Connect(WFile("p.db")));
  ASSERT_NE(h.get(), 0u);
  ASSERT_EQ(ExecOnHandle(h.get(), "PRAGMA wal_checkpoint(TRUNCATE);"), SQLITE_OK);
  const std::string before = ReadBytes(File("p.db"));
  const uint32_t unknown = h.get() + 1000;

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
  EXPECT_NE(QeProjectDb_Db_Backup(unknown, CQeProjectDbConnectionManager::GetConnection(h.get())),
            0);
  QeProjectDb_Db_Disconnect(unknown);

  EXPECT_EQ(ReadBytes(File("p.db")), before);
  EXPECT_EQ(QeProjectDb_Db_GetOptInt32(h.get(), L"folderformat"), 1);
  EXPECT_EQ(QeProjectDb_Db_GetOptStr(h.get(), L"synchronous"), L"normal");
}

// --- Journal modes ---

TEST_F(ConnectionTest, LocalFilesRunInWal) {
  Connection h(QeProjectDb_Db_Connect(WFile("p.db")));
  ASSERT_NE(h.get(), 0u);
  EXPECT_EQ(OnHandle(h.get(), L"PRAGMA journal_mode;"), "wal");
  EXPECT_EQ(OnHandle(h.get(), L"PRAGMA synchronous;"), "1");  // normal
  EXPECT_EQ(OnHandle(h.get(), L"PRAGMA busy_timeout;"), "60000");
}

TEST_F(ConnectionTest, AnEmptySettingsTableGivesWalLocallyAndTruncateOnANetwork) {
  {
    RawDb raw(File("p.db"));
    ASSERT_EQ(raw.Exec("DELETE FROM settings;"), SQLITE_OK);
  }
  {
    Connection h(QeProjectDb_Db_Connect(WFile("p.db")));
    ASSERT_NE(h.get(), 0u);
    EXPECT_EQ(OnHandle(h.get(), L"PRAGMA journal_mode;"), "wal");
    EXPECT_EQ(OnHandle(h.get(), L"PRAGMA synchronous;"), "1");
  }
  ScopedEnvForNetwork network(Dir().string());
  Connection h(QeProjectDb_Db_Connect(WFile("p.db")));
  ASSERT_NE(h.get(), 0u);
  EXPECT_EQ(OnHandle(h.get(), L"PRAGMA journal_mode;"), "truncate");
}

TEST_F(ConnectionTest, ANetworkFileRunsInTruncateEvenWhenSettingsSayWal) {
  ScopedEnvForNetwork network(Dir().string());
  Connection h(QeProjectDb_Db_Connect(WFile("p.db")));
  ASSERT_NE(h.get(), 0u);
  EXPECT_EQ(QeProjectDb_Db_GetOptStr(h.get(), L"journal_mode"), L"wal");
  EXPECT_EQ(OnHandle(h.get(), L"PRAGMA journal_mode;"), "truncate");
}

TEST_F(ConnectionTest, StoredSettingsApplyOnConnect) {
  {
    RawDb raw(File("p.db"));
    ASSERT_EQ(raw.Exec("UPDATE settings SET varValue='truncate' WHERE wszName='journal_mode';"
                       "UPDATE settings SET varValue='full' WHERE wszName='synchronous';"),
              SQLITE_OK);
  }
  Connection h(QeProjectDb_Db_Connect(WFile("p.db")));
  ASSERT_NE(h.get(), 0u);
  EXPECT_EQ(OnHandle(h.get(), L"PRAGMA journal_mode;"), "truncate");
  EXPECT_EQ(OnHandle(h.get(), L"PRAGMA synchronous;"), "2");
}

TEST_F(ConnectionTest, AStoredJournalModeThatIsNotAWordIsNeverRunAsSql) {
  {
    RawDb raw(File("p.db"));
    ASSERT_EQ(raw.Exec("UPDATE settings SET varValue='wal; DROP TABLE project' "
                       "WHERE wszName='journal_mode';"),
              SQLITE_OK);
  }
  EXPECT_EQ(QeProjectDb_Db_Connect(WFile("p.db")), 0u);
  RawDb raw(File("p.db"));
  EXPECT_EQ(raw.Int("SELECT count(*) FROM sqlite_master WHERE name='project';"), 1);
}

// --- Busy files ---

TEST_F(ConnectionTest, ConnectWhileAnotherConnectionWrites) {
  RawDb other(File("p.db"));
  ASSERT_EQ(other.Exec("BEGIN IMMEDIATE; INSERT INTO project(wszUuid) VALUES ('pending');"),
            SQLITE_OK);
  Connection h(QeProjectDb_Db_Connect(WFile("p.db")));
  ASSERT_NE(h.get(), 0u);
  EXPECT_EQ(OnHandle(h.get(), L"SELECT count(*) FROM project;"), "0");
  ASSERT_EQ(other.Exec("COMMIT;"), SQLITE_OK);
  EXPECT_EQ(OnHandle(h.get(), L"SELECT count(*) FROM project;"), "1");
}

TEST_F(ConnectionTest, ConnectWaitsForAnExclusiveLockToEnd) {
  // A rollback-journal file locked exclusively cannot even be read; the
  // connect waits on it instead of failing.
  {
    RawDb raw(File("p.db"));
    ASSERT_EQ(raw.Exec("PRAGMA journal_mode=delete;"
                       "UPDATE settings SET varValue='delete' WHERE wszName='journal_mode';"),
              SQLITE_OK);
  }
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
  Connection h(handle);
  EXPECT_FALSE(finished_while_locked);
  ASSERT_NE(h.get(), 0u);
  EXPECT_EQ(OnHandle(h.get(), L"SELECT count(*) FROM project;"), "1");
  EXPECT_EQ(OnHandle(h.get(), L"PRAGMA journal_mode;"), "delete");
}

// --- Temporary triggers ---

TEST_F(ConnectionTest, TriggersStampParentsModificationTimes) {
  Connection h(QeProjectDb_Db_Connect(WFile("p.db")));
  ASSERT_NE(h.get(), 0u);
  ASSERT_EQ(ExecOnHandle(h.get(),
                         "INSERT INTO project(iKey, wszUuid, dMTime) VALUES (1, 'p', 1.0);"
                         "INSERT INTO jobdef(iKey, iProjKeyRef, wszUuid, dMTime) "
                         "VALUES (1, 1, 'd', 5.0);"),
            SQLITE_OK);
  EXPECT_EQ(OnHandle(h.get(), L"SELECT dMTime FROM project;"), "5.0");
  ASSERT_EQ(ExecOnHandle(h.get(),
                         "INSERT INTO jobrun(iKey, iProjKeyRef, iJobdefKeyRef, wszUuid) "
                         "VALUES (1, 1, 1, 'r');"
                         "UPDATE jobrun SET dMTime = 7.0 WHERE iKey = 1;"),
            SQLITE_OK);
  EXPECT_EQ(OnHandle(h.get(), L"SELECT dMTime FROM jobdef;"), "7.0");
  EXPECT_EQ(OnHandle(h.get(), L"SELECT dMTime FROM project;"), "7.0");
  // Other columns of a run do not stamp anything.
  ASSERT_EQ(ExecOnHandle(h.get(),
                         "UPDATE jobdef SET dMTime = 8.0;"
                         "UPDATE jobrun SET wszName = 'x';"),
            SQLITE_OK);
  EXPECT_EQ(OnHandle(h.get(), L"SELECT dMTime FROM jobdef;"), "8.0");
  ASSERT_EQ(ExecOnHandle(h.get(), "DELETE FROM jobdef;"), SQLITE_OK);
  const double now = std::stod(OnHandle(h.get(), L"SELECT julianday('now');"));
  EXPECT_NEAR(std::stod(OnHandle(h.get(), L"SELECT dMTime FROM project;")), now, 0.01);

  // The triggers belong to the connection, not to the file.
  RawDb raw(File("p.db"));
  EXPECT_EQ(raw.Int("SELECT count(*) FROM sqlite_master WHERE type='trigger';"), 0);
  ASSERT_EQ(raw.Exec("INSERT INTO jobdef(iProjKeyRef, wszUuid, dMTime) VALUES (1, 'e', 99.0);"),
            SQLITE_OK);
  EXPECT_NE(raw.Text("SELECT dMTime FROM project;"), "99.0");
}

// --- Paths ---

TEST_F(ConnectionTest, PathsOfAConnection) {
  const std::string name = "hcs_projects l'été.db";
  ASSERT_EQ(QeProjectDb_Db_Create(WFile(name)), 0);
  Connection h(QeProjectDb_Db_Connect(WFile(name)));
  ASSERT_NE(h.get(), 0u);
  const CQeStringW folder = CQeStringW::FromUtf8(Dir().string() + "/");
  EXPECT_EQ(QeProjectDb_Db_Filename(h.get()), WFile(name));
  EXPECT_EQ(QeProjectDb_Db_Folder(h.get()), folder);
  EXPECT_EQ(QeProjectDb_Db_ProjectRootFolder(h.get()), folder + L"HCS Projects/");
}

TEST(ProjectFolderNameTest, ChosenByTheBeginningOfTheFileName) {
  EXPECT_EQ(QeProjectDb_Db_ProjectFolderName(L"hcs_projects.db"), L"HCS Projects/");
  EXPECT_EQ(QeProjectDb_Db_ProjectFolderName(L"job_projects_2024.db"), L"Job Projects/");
  EXPECT_EQ(QeProjectDb_Db_ProjectFolderName(L"my_hcs_projects.db"), L"Projects/");
  EXPECT_EQ(QeProjectDb_Db_ProjectFolderName(L"HCS_Projects.db"), L"Projects/");
  EXPECT_EQ(QeProjectDb_Db_ProjectFolderName(L"projects.db"), L"Projects/");
  EXPECT_EQ(QeProjectDb_Db_ProjectFolderName(L""), L"Projects/");
  EXPECT_EQ(QeProjectDb_Db_ProjectFolderName(L"/data/hcs_projects/x.db"), L"Projects/");
  EXPECT_EQ(QeProjectDb_Db_ProjectFolderName(L"/data/x/hcs_projects.db"), L"HCS Projects/");
  EXPECT_EQ(QeProjectDb_Db_ProjectFolderName(L"D:\\data\\job_projects.db"), L"Job Projects/");
}

}  // namespace
}  // namespace qe::test
