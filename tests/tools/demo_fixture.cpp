#include "tools/demo_fixture.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace qe::test {
namespace {

namespace fs = std::filesystem;

// What identifies the tool binary: its size and modification time.
std::string ToolStamp() {
  struct stat info {};
  if (stat(QE_PROJECTDB_TOOL, &info) != 0) return "";
  return std::to_string(info.st_size) + " " + std::to_string(info.st_mtim.tv_sec) + "." +
         std::to_string(info.st_mtim.tv_nsec);
}

void Write(const fs::path& file, const std::string& text) {
  std::ofstream(file, std::ios::binary) << text;
}

DemoRun MakeOrReuse() {
  const fs::path cache = QE_TOOLS_DEMO_CACHE;
  fs::create_directories(cache.parent_path());
  const int lock = open((cache.string() + ".lock").c_str(), O_RDWR | O_CREAT, 0644);
  if (lock >= 0) flock(lock, LOCK_EX);

  DemoRun run;
  // A blank in the name, as users' folders have.
  run.folder = (cache / "demo project").string();
  run.database = run.folder + "/demo.db";
  const std::string stamp = ToolStamp();
  if (!stamp.empty() && ReadFile((cache / "stamp").string()) == stamp) {
    run.result.exit = std::stoi(ReadFile((cache / "exit").string()));
    run.result.out = ReadFile((cache / "out").string());
    run.result.err = ReadFile((cache / "err").string());
  } else {
    std::error_code ec;
    fs::remove_all(cache, ec);
    fs::create_directories(cache);
    run.result = RunTool({"demo", run.folder, "--image-size", "64"}, {{"TZ", "UTC"}});
    Write(cache / "exit", std::to_string(run.result.exit));
    Write(cache / "out", run.result.out);
    Write(cache / "err", run.result.err);
    // Written last: a run cut short is made again.
    Write(cache / "stamp", stamp);
  }
  if (lock >= 0) close(lock);
  return run;
}

}  // namespace

const DemoRun& SharedDemo() {
  static const DemoRun run = MakeOrReuse();
  return run;
}

void ChangedCopy(const std::string& path, const std::string& sql) {
  fs::copy_file(SharedDemo().database, path);
  sqlite3* db = nullptr;
  EXPECT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sql;
  sqlite3_close(db);
}

long long QueryNumber(const std::string& file, const std::string& sql) {
  sqlite3* db = nullptr;
  long long value = -1;
  if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    // Tests in other processes open the shared demo database too.
    sqlite3_busy_timeout(db, 10000);
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW) {
      value = sqlite3_column_int64(statement, 0);
    }
    sqlite3_finalize(statement);
  }
  sqlite3_close(db);
  return value;
}

}  // namespace qe::test
