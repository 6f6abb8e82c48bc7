// The process-wide registry of connection handles and the progress
// handlers of each entry.
#include <sqlite3.h>

#include <algorithm>

#include "qe/projectdb/connection.h"

namespace {
// SQLite virtual-machine instructions between two progress callbacks.
constexpr int kProgressPeriod = 10000;

int ProgressCallback(void* context) {
  return static_cast<const CQeProjectDbConnectionState*>(context)->CallHandlerCallbacks();
}

// The registry exists from the time the library is loaded, not from its
// first use, so that no thread races to create it.
[[maybe_unused]] CQeProjectDbConnectionManager& g_registry_at_load =
    CQeProjectDbConnectionManager::GetInstance();
}  // namespace

void CQeProjectDbConnectionState::AddProgressHandler(IQeProjectDbProgressHandler* handler) {
  if (!handler) return;
  if (std::find(handlers_.begin(), handlers_.end(), handler) == handlers_.end()) {
    handlers_.push_back(handler);
  }
  if (!handlers_.empty() && db_) {
    sqlite3_progress_handler(db_, kProgressPeriod, ProgressCallback, this);
  }
}

void CQeProjectDbConnectionState::RemoveProgressHandler(IQeProjectDbProgressHandler* handler) {
  std::erase(handlers_, handler);
  if (handlers_.empty() && db_) sqlite3_progress_handler(db_, 0, nullptr, nullptr);
}

int CQeProjectDbConnectionState::CallHandlerCallbacks() const {
  int result = 0;
  for (IQeProjectDbProgressHandler* handler : handlers_) {
    const int r = handler->OnProgress();
    if (result == 0) result = r;
  }
  return result;
}

CQeProjectDbConnectionManager& CQeProjectDbConnectionManager::GetInstance() {
  static CQeProjectDbConnectionManager instance;
  return instance;
}

CQeProjectDbConnection CQeProjectDbConnectionManager::GetConnection(uint32_t handle) {
  return GetInstance().Get(handle);
}

CQeProjectDbConnectionManager::CQeProjectDbConnectionManager() {
  states_.emplace(0, CQeProjectDbConnectionState(nullptr));
}

CQeProjectDbConnection CQeProjectDbConnectionManager::Get(uint32_t handle) {
  std::lock_guard lock(mutex_);
  auto it = states_.find(handle);
  if (it == states_.end()) it = states_.find(0);
  return it->second;
}

uint32_t CQeProjectDbConnectionManager::Add(sqlite3* db) {
  std::lock_guard lock(mutex_);
  uint32_t handle;
  if (!free_.empty()) {
    handle = free_.front();
    free_.pop_front();
  } else {
    handle = static_cast<uint32_t>(states_.size());
  }
  states_.emplace(handle, CQeProjectDbConnectionState(db));
  return handle;
}

sqlite3* CQeProjectDbConnectionManager::Delete(uint32_t handle) {
  if (handle == 0) return nullptr;
  std::lock_guard lock(mutex_);
  const auto it = states_.find(handle);
  if (it == states_.end()) return nullptr;
  sqlite3* db = it->second.Db();
  states_.erase(it);
  free_.push_back(handle);
  return db;
}

// These two call SQLite (to install or remove the progress callback) under
// the registry lock: the entry must not be erased meanwhile, and the call
// cannot wait long because handlers change only while no statement runs on
// the connection.
void CQeProjectDbConnectionManager::AddProgressHandler(uint32_t handle,
                                                       IQeProjectDbProgressHandler* handler) {
  std::lock_guard lock(mutex_);
  auto it = states_.find(handle);
  if (it != states_.end()) it->second.AddProgressHandler(handler);
}

void CQeProjectDbConnectionManager::RemoveProgressHandler(uint32_t handle,
                                                          IQeProjectDbProgressHandler* handler) {
  std::lock_guard lock(mutex_);
  auto it = states_.find(handle);
  if (it != states_.end()) it->second.RemoveProgressHandler(handler);
}
