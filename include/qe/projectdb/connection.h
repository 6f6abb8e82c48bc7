// Connection handles of the project database and their process-wide
// registry.
//
// Conventions:
//  - Every exported operation names its database by a connection handle, an
//    unsigned 32-bit number. 0 means no connection: every failed connect
//    returns it, and an operation given a handle that is not registered runs
//    on a null SQLite connection, fails there and reports its own error code.
//  - Handles are reused first-in first-out after QeProjectDb_Db_Disconnect:
//    the handles in use and the freed handles are together exactly
//    0 .. N - 1, where N - 1 is the highest handle ever handed out.
//  - Folders returned here end in '/'. Relative folder names stored in a
//    database may use '\\'; QeProjectDb_Db_ProjectFolderName accepts both.
//  - The registry never closes a connection by itself: connections still
//    open when the library is unloaded stay open.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <vector>

#include "qe/core/string.h"

struct sqlite3;

// ---- Connecting ----

// Opens a project database for reading and writing and returns its new
// handle, or 0 on failure (empty path, a file without write permission bits,
// a file that cannot be opened, is damaged or is not a database, a journal
// mode that cannot be applied); a file refused is left unchanged. A file that does not exist is not
// created: opening it fails. While another connection keeps the file busy, it retries every 100 ms
// without limit. On success the connection waits up to 60000 ms on a busy database, has foreign
// keys and recursive triggers on, runs in the journal mode and synchronous level stored in the
// file's settings ("wal" and "normal" when absent; always "truncate" on a network file system), has
// every SQL function of qe/projectdb/sql_functions.h and the temporary triggers that stamp a job
// definition's and a project's modification time when a job run or job definition changes.
uint32_t QeProjectDb_Db_Connect(const CQeStringW& path);

// Opens a project database read-only and returns its new handle, or 0 on
// failure (as Connect, but a file without write permission bits is
// accepted). No retry, no busy timeout, no journal or synchronous setting, no
// temporary triggers; the read-only subset of the SQL functions.
uint32_t QeProjectDb_Db_ConnectForRead(const CQeStringW& path);

// Closes the connection of the handle and frees the handle for reuse.
// Handle 0 and handles that are not registered are ignored.
void QeProjectDb_Db_Disconnect(uint32_t handle);

// ---- Paths of a connection ----

// The full path of the connection's database file; empty for an unknown
// handle.
CQeStringW QeProjectDb_Db_Filename(uint32_t handle);

// The folder of the database file, ending in '/'; empty for an unknown
// handle.
CQeStringW QeProjectDb_Db_Folder(uint32_t handle);

// The project root folder: QeProjectDb_Db_Folder followed by
// QeProjectDb_Db_ProjectFolderName of the file's name. Ends in '/'.
CQeStringW QeProjectDb_Db_ProjectRootFolder(uint32_t handle);

// The name of the project root folder chosen by a database file name:
// "HCS Projects/" when the name begins with "hcs_projects", else
// "Job Projects/" when it begins with "job_projects", else "Projects/"
// (exact, case-sensitive compare at position 0). A path may be passed: only
// the part after its last '/' or '\\' is looked at.
CQeStringW QeProjectDb_Db_ProjectFolderName(const CQeStringW& fileName);

// ---- Registry ----

// The host's progress handler. OnProgress runs on the thread that executes
// a statement, every 10000 SQLite virtual-machine instructions while at
// least one handler is registered on the connection; a nonzero result
// interrupts the statement, which then fails.
class IQeProjectDbProgressHandler {
 public:
  virtual int OnProgress() = 0;

 protected:
  ~IQeProjectDbProgressHandler() = default;
};

// A copyable value holding one SQLite connection (null when there is none).
// Record operations get one per call from the registry and use it without
// holding any lock.
class CQeProjectDbConnection {
 public:
  CQeProjectDbConnection() = default;
  explicit CQeProjectDbConnection(sqlite3* db) : db_(db) {}
  operator sqlite3*() const { return db_; }  // NOLINT: implicit by design
  sqlite3* Db() const { return db_; }
  bool IsNull() const { return db_ == nullptr; }

 private:
  sqlite3* db_ = nullptr;
};

// The registry's entry of one handle: the SQLite connection and the
// progress handlers registered on it (in the order added, no duplicates,
// not owned). Copying copies both.
//
// Not thread-safe by itself: the registry guards the handler list while it
// changes, and the progress callback reads the list without a lock, so the
// host adds and removes handlers only while no statement runs on the
// connection.
class CQeProjectDbConnectionState {
 public:
  explicit CQeProjectDbConnectionState(sqlite3* db = nullptr) : db_(db) {}
  operator CQeProjectDbConnection() const { return CQeProjectDbConnection(db_); }  // NOLINT
  sqlite3* Db() const { return db_; }
  const std::vector<IQeProjectDbProgressHandler*>& Handlers() const { return handlers_; }

  // Appends the handler unless it is null or already registered, then
  // installs SQLite's progress callback on the connection (period 10000,
  // this entry as the callback's context). The entry must not move while
  // the callback is installed.
  void AddProgressHandler(IQeProjectDbProgressHandler* handler);
  // Removes the handler if present; removing the last one uninstalls the
  // progress callback.
  void RemoveProgressHandler(IQeProjectDbProgressHandler* handler);
  // Calls OnProgress on every handler in order (always all of them) and
  // returns the first nonzero result, or 0.
  int CallHandlerCallbacks() const;

 private:
  sqlite3* db_;
  std::vector<IQeProjectDbProgressHandler*> handlers_;
};

// The process-wide map from handles to open connections. Shared by all
// threads: mutex_ guards states_ and free_, and is held only to look up,
// add or remove an entry, never while a statement runs. It is a leaf lock;
// the only call made under it is SQLite's install or removal of a progress
// callback (see AddProgressHandler). Entry 0 (a null
// connection) is created with the registry and never removed; entries do
// not move while they exist.
class CQeProjectDbConnectionManager {
 public:
  static CQeProjectDbConnectionManager& GetInstance();
  // GetInstance().Get(handle).
  static CQeProjectDbConnection GetConnection(uint32_t handle);

  CQeProjectDbConnectionManager();
  CQeProjectDbConnectionManager(const CQeProjectDbConnectionManager&) = delete;
  CQeProjectDbConnectionManager& operator=(const CQeProjectDbConnectionManager&) = delete;

  // The connection of the handle; a null connection for an unknown handle.
  CQeProjectDbConnection Get(uint32_t handle);
  // Registers a connection (not taking ownership) and returns its handle:
  // the oldest freed handle, else the next new one (the first is 1).
  uint32_t Add(sqlite3* db);
  // Removes the handle, queues it for reuse and returns its connection
  // (which it does not close). Handle 0 and unknown handles are ignored and
  // give null, so a handle is never handed out twice and, of two threads
  // deleting the same handle, only one gets the connection to close.
  sqlite3* Delete(uint32_t handle);
  // Forward to the entry of the handle; unknown handles are ignored.
  void AddProgressHandler(uint32_t handle, IQeProjectDbProgressHandler* handler);
  void RemoveProgressHandler(uint32_t handle, IQeProjectDbProgressHandler* handler);

 private:
  std::mutex mutex_;
  std::map<uint32_t, CQeProjectDbConnectionState> states_;  // guarded by mutex_
  std::deque<uint32_t> free_;                               // guarded by mutex_
};
