// The per-connection cache of prepared statements behind CQeSqliteCmd.
//
// Shared by threads: every thread that runs commands on a connection uses
// the connection's one cache. CStatementCache::mutex_ guards idle_, index_
// and closed_; the registry of caches has its own mutex (RegistryMutex in
// statement_cache.cpp). The two are never held together, and no SQLite
// call is made under either (statements are prepared, reset and finalized
// outside the locks). Lock order: a connection's own SQLite mutex (held by
// CQeSqliteCmd around a step and by CQeSqliteInsertTransacted around its
// BEGIN) may be held when one of these is taken, never the other way round.
#pragma once

#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace qe::sqlite_detail {

class CStatementCache {
 public:
  // At most this many idle statements per connection; the one returned
  // longest ago is finalized first.
  static constexpr size_t kMaxIdle = 256;

  explicit CStatementCache(sqlite3* db) : db_(db) {}
  ~CStatementCache();
  CStatementCache(const CStatementCache&) = delete;
  CStatementCache& operator=(const CStatementCache&) = delete;

  // The cache of a connection, created on first use.
  static std::shared_ptr<CStatementCache> For(sqlite3* db);
  // Removes the connection's cache from the registry, finalizes its idle
  // statements and makes statements returned later be finalized.
  static void CloseFor(sqlite3* db);
  static int IdleCountFor(sqlite3* db);

  // An idle statement for sql, or a newly prepared one. On failure returns
  // null with the SQLite result in *result and its message in *message; a
  // text without a statement gives null with SQLITE_OK.
  sqlite3_stmt* Acquire(const std::string& sql, int* result, std::string* message);
  // Takes a statement back (resets it and clears its bindings).
  void Return(const std::string& sql, sqlite3_stmt* stmt);

 private:
  struct SEntry;
  // One idle statement and the entry of its SQL text. Nodes move between
  // idle_ and spare_ by splicing, so that once the cache is warm neither
  // Acquire nor Return allocates or copies the SQL text.
  struct SIdle {
    sqlite3_stmt* stmt = nullptr;
    SEntry* entry = nullptr;
  };
  using IdleList = std::list<SIdle>;
  // The idle statements of one SQL text, oldest first. Entries without idle
  // statements are kept (their text is the next Return's key) until there
  // are more than kMaxEntries of them.
  struct SEntry {
    std::vector<IdleList::iterator> idle;
  };
  static constexpr size_t kMaxEntries = 4 * kMaxIdle;

  // Drops entries that hold no idle statement. Called with mutex_ held.
  void DropEmptyEntries();

  sqlite3* const db_;
  std::mutex mutex_;
  IdleList idle_;   // most recently returned first
  IdleList spare_;  // nodes for later returns
  std::unordered_map<std::string, SEntry> entries_;
  bool closed_ = false;
};

}  // namespace qe::sqlite_detail
