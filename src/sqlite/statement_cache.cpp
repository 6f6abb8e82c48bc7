#include "sqlite/statement_cache.h"

#include <sqlite3.h>

#include <vector>

namespace qe::sqlite_detail {
namespace {

using Registry = std::unordered_map<sqlite3*, std::shared_ptr<CStatementCache>>;

// Never destroyed: connections may be closed from other static destructors
// while the process ends.
std::mutex& RegistryMutex() {
  static auto* mutex = new std::mutex;
  return *mutex;
}
Registry& TheRegistry() {
  static auto* registry = new Registry;
  return *registry;
}

void FinalizeAll(const std::vector<sqlite3_stmt*>& statements) {
  for (sqlite3_stmt* stmt : statements) sqlite3_finalize(stmt);
}

}  // namespace

CStatementCache::~CStatementCache() {
  for (const SIdle& entry : idle_) sqlite3_finalize(entry.stmt);
}

std::shared_ptr<CStatementCache> CStatementCache::For(sqlite3* db) {
  std::lock_guard<std::mutex> lock(RegistryMutex());
  auto& cache = TheRegistry()[db];
  if (!cache) cache = std::make_shared<CStatementCache>(db);
  return cache;
}

void CStatementCache::CloseFor(sqlite3* db) {
  std::shared_ptr<CStatementCache> cache;
  {
    std::lock_guard<std::mutex> lock(RegistryMutex());
    auto it = TheRegistry().find(db);
    if (it == TheRegistry().end()) return;
    cache = std::move(it->second);
    TheRegistry().erase(it);
  }
  std::vector<sqlite3_stmt*> idle;
  {
    std::lock_guard<std::mutex> lock(cache->mutex_);
    cache->closed_ = true;
    for (const SIdle& entry : cache->idle_) idle.push_back(entry.stmt);
    cache->idle_.clear();
    cache->spare_.clear();
    cache->entries_.clear();
  }
  FinalizeAll(idle);
}

int CStatementCache::IdleCountFor(sqlite3* db) {
  std::shared_ptr<CStatementCache> cache;
  {
    std::lock_guard<std::mutex> lock(RegistryMutex());
    auto it = TheRegistry().find(db);
    if (it == TheRegistry().end()) return 0;
    cache = it->second;
  }
  std::lock_guard<std::mutex> lock(cache->mutex_);
  return static_cast<int>(cache->idle_.size());
}

sqlite3_stmt* CStatementCache::Acquire(const std::string& sql, int* result, std::string* message) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = entries_.find(sql);
    if (it != entries_.end() && !it->second.idle.empty()) {
      const IdleList::iterator node = it->second.idle.back();
      it->second.idle.pop_back();
      sqlite3_stmt* stmt = node->stmt;
      spare_.splice(spare_.begin(), idle_, node);
      *result = SQLITE_OK;
      return stmt;
    }
  }
  sqlite3_stmt* stmt = nullptr;
  // The connection's mutex keeps another thread's failure from replacing
  // the error message between the prepare and the read of the message.
  sqlite3_mutex* dbMutex = sqlite3_db_mutex(db_);
  sqlite3_mutex_enter(dbMutex);
  *result = sqlite3_prepare_v3(db_, sql.c_str(), static_cast<int>(sql.size()),
                               SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
  if (*result != SQLITE_OK) *message = sqlite3_errmsg(db_);
  sqlite3_mutex_leave(dbMutex);
  if (*result != SQLITE_OK) {
    sqlite3_finalize(stmt);
    return nullptr;
  }
  return stmt;
}

void CStatementCache::Return(const std::string& sql, sqlite3_stmt* stmt) {
  if (!stmt) return;
  sqlite3_reset(stmt);
  sqlite3_clear_bindings(stmt);
  sqlite3_stmt* evicted = nullptr;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closed_) {
      evicted = stmt;
    } else {
      if (entries_.size() >= kMaxEntries) DropEmptyEntries();
      SEntry& entry = entries_.try_emplace(sql).first->second;
      if (spare_.empty()) spare_.emplace_front();
      idle_.splice(idle_.begin(), spare_, spare_.begin());
      idle_.front() = SIdle{stmt, &entry};
      entry.idle.push_back(idle_.begin());
      if (idle_.size() > kMaxIdle) {
        // The statement returned longest ago is the oldest of its entry.
        const IdleList::iterator last = std::prev(idle_.end());
        std::vector<IdleList::iterator>& idle = last->entry->idle;
        idle.erase(idle.begin());
        evicted = last->stmt;
        spare_.splice(spare_.begin(), idle_, last);
      }
    }
  }
  if (evicted) sqlite3_finalize(evicted);
}

void CStatementCache::DropEmptyEntries() {
  for (auto it = entries_.begin(); it != entries_.end();) {
    it = it->second.idle.empty() ? entries_.erase(it) : std::next(it);
  }
}

}  // namespace qe::sqlite_detail
