// What every benchmark program shares: where datasets and scratch files go,
// the quick mode, failing loudly, and a raw SQLite connection set up like
// the library's own (the baseline of the record benchmarks).
//
// Environment (scripts/bench sets them; each has a default):
//  - QE_BENCH_CACHE: folder of the datasets kept between runs
//    (default: bench-cache in the build folder).
//  - QE_BENCH_TMP: folder under which each program makes its scratch folder,
//    removed when the program ends (default: the system temporary folder).
//  - QE_BENCH_QUICK=1: smaller sizes everywhere.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <string>

namespace qe::bench {

bool QuickMode();
// full when not quick, else quick.
inline int Size(int full, int quick) { return QuickMode() ? quick : full; }

std::filesystem::path CacheDir();
// This program's scratch folder (created on first use, removed at exit).
std::filesystem::path ScratchDir();
// A path in the scratch folder that nothing uses yet: <stem>-<n><ext>.
std::filesystem::path NewScratchPath(const std::string& stem, const std::string& ext = "");

// Prints the message to stderr and ends the program with status 1: a
// benchmark whose set-up failed must not report numbers.
[[noreturn]] void Fail(const std::string& what);
// Fails unless status is 0.
void Check(int status, const std::string& what);

// Copies a file over (or to) target.
void CopyFile(const std::filesystem::path& from, const std::filesystem::path& to);
// Copies a project database and its project root folder (the folder of the
// same stem beside it), when there is one.
void CopyProjectDb(const std::filesystem::path& from, const std::filesystem::path& to);
// Removes a database file with its -wal and -shm files.
void RemoveDbFiles(const std::filesystem::path& path);

// A plain SQLite connection with the settings of a library connection
// (WAL, synchronous NORMAL, foreign keys and recursive triggers on, 60 s
// busy timeout); closed on destruction.
class RawDb {
 public:
  explicit RawDb(const std::filesystem::path& path, bool readOnly = false);
  ~RawDb();
  RawDb(const RawDb&) = delete;
  RawDb& operator=(const RawDb&) = delete;

  sqlite3* Db() const { return db_; }
  // Runs statements; fails the program on an error.
  void Exec(const std::string& sql) const;
  // The first column of the first row as an integer (0 when none).
  int64_t Int(const std::string& sql) const;

 private:
  sqlite3* db_ = nullptr;
};

// A library connection (QeProjectDb_Db_Connect), disconnected on
// destruction; fails the program when the file cannot be opened.
class LibConnection {
 public:
  explicit LibConnection(const std::filesystem::path& path);
  ~LibConnection();
  LibConnection(const LibConnection&) = delete;
  LibConnection& operator=(const LibConnection&) = delete;
  uint32_t Handle() const { return handle_; }

 private:
  uint32_t handle_;
};

// One prepared statement; finalized on destruction.
class RawStmt {
 public:
  RawStmt(sqlite3* db, const std::string& sql);
  ~RawStmt();
  RawStmt(const RawStmt&) = delete;
  RawStmt& operator=(const RawStmt&) = delete;

  sqlite3_stmt* Get() const { return stmt_; }
  // Steps a statement without rows to its end and resets it; fails the
  // program on an error.
  void Run();

 private:
  sqlite3* db_;
  sqlite3_stmt* stmt_ = nullptr;
};

}  // namespace qe::bench
