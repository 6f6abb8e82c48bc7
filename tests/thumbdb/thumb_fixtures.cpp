#include "thumbdb/thumb_fixtures.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "qe/queue/queue_master.h"

namespace qe::test {
namespace {

constexpr auto kGuard = std::chrono::seconds(120);

// Runs sql and hands the statement on its first row to read.
template <typename F>
void FirstRow(sqlite3* db, const std::string& sql, F read) {
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK &&
      sqlite3_step(stmt) == SQLITE_ROW) {
    read(stmt);
  }
  sqlite3_finalize(stmt);
}

}  // namespace

void CRecordingCallback::ThumbnailReady(CQeRefCountPtr<CQeProjectThumb> request, bool flag) {
  Add(std::move(request), flag, false);
}

void CRecordingCallback::PreviewReady(CQeRefCountPtr<CQeProjectThumb> request, bool flag) {
  Add(std::move(request), flag, true);
}

void CRecordingCallback::Add(CQeRefCountPtr<CQeProjectThumb> request, bool flag, bool preview) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    deliveries_.push_back({std::move(request), flag, preview});
  }
  changed_.notify_all();
}

std::vector<CRecordingCallback::SDelivery> CRecordingCallback::WaitFor(size_t count) {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait_for(lock, kGuard, [&] { return deliveries_.size() >= count; });
  return deliveries_;
}

CRecordingCallback::SDelivery CRecordingCallback::Find(int64_t requestId, bool wait) {
  std::unique_lock<std::mutex> lock(mutex_);
  SDelivery found{nullptr, false, false};
  auto done = [&] {
    for (const SDelivery& delivery : deliveries_) {
      if (delivery.request->RequestId() == requestId) {
        found = delivery;
        return true;
      }
    }
    return !wait;
  };
  changed_.wait_for(lock, kGuard, done);
  return found;
}

CFifoGate::CFifoGate(std::string path) : path_(std::move(path)) { ::mkfifo(path_.c_str(), 0600); }

CFifoGate::~CFifoGate() { ::unlink(path_.c_str()); }

void CFifoGate::AwaitReader() {
  const auto deadline = std::chrono::steady_clock::now() + kGuard;
  while (std::chrono::steady_clock::now() < deadline) {
    // Without a reader on the other end a non-blocking open fails with ENXIO.
    const int fd = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
      ::close(fd);
      return;
    }
    if (errno != ENXIO) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

CWriteLock::CWriteLock(const std::string& path) {
  if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) return;
  held_ = sqlite3_exec(db_, "BEGIN IMMEDIATE;", nullptr, nullptr, nullptr) == SQLITE_OK;
}

CWriteLock::~CWriteLock() {
  Release();
  sqlite3_close_v2(db_);
}

void CWriteLock::Release() {
  if (!held_) return;
  held_ = false;
  sqlite3_exec(db_, "ROLLBACK;", nullptr, nullptr, nullptr);
}

CPeek::CPeek(const std::string& path) {
  sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr);
  sqlite3_busy_timeout(db_, 60000);
}

CPeek::~CPeek() { sqlite3_close_v2(db_); }

int64_t CPeek::Int(const std::string& sql) {
  int64_t value = -1;
  FirstRow(db_, sql, [&](sqlite3_stmt* stmt) { value = sqlite3_column_int64(stmt, 0); });
  return value;
}

std::string CPeek::Text(const std::string& sql) {
  std::string value;
  FirstRow(db_, sql, [&](sqlite3_stmt* stmt) {
    if (auto* text = sqlite3_column_text(stmt, 0)) value = reinterpret_cast<const char*>(text);
  });
  return value;
}

std::string CPeek::Blob(const std::string& sql) {
  std::string value;
  FirstRow(db_, sql, [&](sqlite3_stmt* stmt) {
    if (const void* data = sqlite3_column_blob(stmt, 0)) {
      value.assign(static_cast<const char*>(data), size_t(sqlite3_column_bytes(stmt, 0)));
    }
  });
  return value;
}

CQeRefCountPtr<CQeProcessingQueue> ReadingQueue() {
  CQeRefCountPtr<IQeParallelProcessingQueue> queue =
      CQeProcessingQMaster::GetSharedObject()->QueueGet(CQeProjectThumbDb::kReadingQueueName);
  if (!queue) return nullptr;
  return CQeRefCountPtr<CQeProcessingQueue>(
      static_cast<CQeProcessingQueue*>(queue->GetInterface(L"CQeProcessingQueue")));
}

}  // namespace qe::test
