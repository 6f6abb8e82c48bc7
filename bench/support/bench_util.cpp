#include "support/bench_util.h"

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <system_error>

#include "qe/projectdb/connection.h"

namespace qe::bench {
namespace {

std::filesystem::path FromEnv(const char* name, const std::filesystem::path& fallback) {
  const char* value = std::getenv(name);
  return value && *value ? std::filesystem::path(value) : fallback;
}

// The scratch folder goes with the program, also when a benchmark fails.
class ScratchFolder {
 public:
  ~ScratchFolder() {
    if (path_.empty()) return;
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::filesystem::path& Get() {
    std::lock_guard lock(mutex_);
    if (path_.empty()) {
      const auto base = FromEnv("QE_BENCH_TMP", std::filesystem::temp_directory_path());
      path_ = base / ("qe-bench-" + std::to_string(::getpid()));
      std::error_code error;
      std::filesystem::create_directories(path_, error);
      if (error) Fail("cannot create the scratch folder " + path_.string());
    }
    return path_;
  }

 private:
  std::mutex mutex_;
  std::filesystem::path path_;
};

ScratchFolder& Scratch() {
  static ScratchFolder folder;
  return folder;
}

}  // namespace

bool QuickMode() {
  const char* value = std::getenv("QE_BENCH_QUICK");
  return value && std::string(value) == "1";
}

std::filesystem::path CacheDir() {
  const auto path = FromEnv("QE_BENCH_CACHE", QE_BENCH_CACHE_DEFAULT);
  std::error_code error;
  std::filesystem::create_directories(path, error);
  if (error) Fail("cannot create the dataset cache " + path.string());
  return path;
}

std::filesystem::path ScratchDir() { return Scratch().Get(); }

std::filesystem::path NewScratchPath(const std::string& stem, const std::string& ext) {
  static std::atomic<int> counter{0};
  return ScratchDir() / (stem + "-" + std::to_string(++counter) + ext);
}

void Fail(const std::string& what) {
  std::fprintf(stderr, "benchmark set-up failed: %s\n", what.c_str());
  std::fflush(stderr);
  std::exit(1);
}

void Check(int status, const std::string& what) {
  if (status != 0) Fail(what + " (status " + std::to_string(status) + ")");
}

void CopyFile(const std::filesystem::path& from, const std::filesystem::path& to) {
  std::error_code error;
  std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing, error);
  if (error) Fail("copying " + from.string() + " to " + to.string() + ": " + error.message());
}

void CopyProjectDb(const std::filesystem::path& from, const std::filesystem::path& to) {
  CopyFile(from, to);
  const auto folder = from.parent_path() / from.stem();
  if (!std::filesystem::is_directory(folder)) return;
  std::error_code error;
  std::filesystem::copy(folder, to.parent_path() / to.stem(),
                        std::filesystem::copy_options::recursive, error);
  if (error) Fail("copying " + folder.string() + ": " + error.message());
}

void RemoveDbFiles(const std::filesystem::path& path) {
  std::error_code ignored;
  for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
    std::filesystem::remove(path.string() + suffix, ignored);
  }
}

RawDb::RawDb(const std::filesystem::path& path, bool readOnly) {
  const int flags = readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
  if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
    Fail("opening " + path.string() + ": " + sqlite3_errmsg(db_));
  }
  sqlite3_busy_timeout(db_, 60000);
  Exec("PRAGMA recursive_triggers=1; PRAGMA foreign_keys=1;");
  if (!readOnly) Exec("PRAGMA journal_mode=wal; PRAGMA synchronous=normal;");
}

RawDb::~RawDb() { sqlite3_close_v2(db_); }

void RawDb::Exec(const std::string& sql) const {
  char* message = nullptr;
  if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
    std::string text = message ? message : "unknown error";
    sqlite3_free(message);
    Fail(text + " in: " + sql.substr(0, 300));
  }
}

int64_t RawDb::Int(const std::string& sql) const {
  RawStmt stmt(db_, sql);
  const int64_t value =
      sqlite3_step(stmt.Get()) == SQLITE_ROW ? sqlite3_column_int64(stmt.Get(), 0) : 0;
  return value;
}

LibConnection::LibConnection(const std::filesystem::path& path)
    : handle_(QeProjectDb_Db_Connect(CQeStringW::FromUtf8(path.string()))) {
  if (handle_ == 0) Fail("cannot connect to " + path.string());
}

LibConnection::~LibConnection() { QeProjectDb_Db_Disconnect(handle_); }

RawStmt::RawStmt(sqlite3* db, const std::string& sql) : db_(db) {
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt_, nullptr) != SQLITE_OK) {
    Fail(std::string(sqlite3_errmsg(db)) + " in: " + sql);
  }
}

RawStmt::~RawStmt() { sqlite3_finalize(stmt_); }

void RawStmt::Run() {
  const int result = sqlite3_step(stmt_);
  if (result != SQLITE_DONE && result != SQLITE_ROW) {
    Fail(std::string(sqlite3_errmsg(db_)) + " in: " + sqlite3_sql(stmt_));
  }
  sqlite3_reset(stmt_);
}

}  // namespace qe::bench
