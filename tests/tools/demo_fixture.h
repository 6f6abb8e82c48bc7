// One run of `projectdb demo` into a temporary folder, shared by every test
// of the suite that reads its results (the demo takes a few seconds).
#pragma once

#include <string>

#include "support/temp_dir.h"
#include "tools/tool_runner.h"

namespace qe::test {

struct DemoRun {
  TempDir dir;
  std::string folder;    // the demo folder, inside dir
  std::string database;  // folder + "/demo.db"
  ToolResult result;
};

// Runs the demo (small images, so it is quick) on first use.
const DemoRun& SharedDemo();

// The number a single-value SQL query on a SQLite file gives; -1 on failure.
long long QueryNumber(const std::string& file, const std::string& sql);

}  // namespace qe::test
