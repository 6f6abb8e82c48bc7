#include "tools/demo_fixture.h"

#include <sqlite3.h>

namespace qe::test {

const DemoRun& SharedDemo() {
  // Destroyed at exit, which removes the folder.
  static DemoRun run;
  static const bool done = [] {
    // A blank in the name, as users' folders have.
    run.folder = run.dir.File("demo project");
    run.database = run.folder + "/demo.db";
    run.result = RunTool({"demo", run.folder, "--image-size", "64"}, {{"TZ", "UTC"}});
    return true;
  }();
  static_cast<void>(done);
  return run;
}

long long QueryNumber(const std::string& file, const std::string& sql) {
  sqlite3* db = nullptr;
  long long value = -1;
  if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
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
