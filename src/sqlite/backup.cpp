#include "qe/sqlite/backup.h"

#include <sqlite3.h>

#include <chrono>
#include <memory>
#include <thread>

#include "qe/sqlite/result.h"

namespace {

constexpr int kBusyPauseMs = 100;
constexpr int kMaxBusyRetries = 600;  // about 60 seconds of waiting

struct BackupDeleter {
  void operator()(sqlite3_backup* backup) const { sqlite3_backup_finish(backup); }
};

void Sleep(int ms) {
  if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

int CopyInSteps(sqlite3* source, sqlite3* target, int pagesPerStep, int pauseMs,
                QeSqliteBackupProgress progress, void* user) {
  if (!source || !target || source == target) return SQLITE_MISUSE;
  std::unique_ptr<sqlite3_backup, BackupDeleter> backup(
      sqlite3_backup_init(target, "main", source, "main"));
  if (!backup) return QeSqlite_StatusFromResult(sqlite3_errcode(target));
  const int pages = pagesPerStep > 0 ? pagesPerStep : -1;
  int busyRetries = 0;
  for (;;) {
    int result = sqlite3_backup_step(backup.get(), pages);
    if (result == SQLITE_DONE) break;
    if (result == SQLITE_BUSY || result == SQLITE_LOCKED) {
      if (++busyRetries > kMaxBusyRetries) return QeSqlite_StatusFromResult(result);
      Sleep(kBusyPauseMs);
      continue;
    }
    if (result != SQLITE_OK) return QeSqlite_StatusFromResult(result);
    busyRetries = 0;
    if (progress && !progress(user, sqlite3_backup_remaining(backup.get()),
                              sqlite3_backup_pagecount(backup.get()))) {
      return SQLITE_INTERRUPT;
    }
    Sleep(pauseMs);
  }
  if (progress) progress(user, 0, sqlite3_backup_pagecount(backup.get()));
  sqlite3_backup* finished = backup.release();
  return QeSqlite_StatusFromResult(sqlite3_backup_finish(finished));
}

}  // namespace

int QeSqlite_Backup(sqlite3* source, sqlite3* target) {
  return CopyInSteps(source, target, -1, 0, nullptr, nullptr);
}

int QeSqlite_BackupRunning(sqlite3* source, sqlite3* target, int pagesPerStep, int pauseMs,
                           QeSqliteBackupProgress progress, void* user) {
  return CopyInSteps(source, target, pagesPerStep, pauseMs, progress, user);
}
