// One run of `projectdb demo`, shared by every test that reads its results
// (the demo takes a few seconds).
//
// CTest runs each test in a process of its own, so the run is kept in the
// build tree (QE_TOOLS_DEMO_CACHE) and made again only when the tool's
// binary changed. A lock file serialises the processes that check it; the
// tests only read the shared files.
#pragma once

#include <string>

#include "tools/tool_runner.h"

namespace qe::test {

struct DemoRun {
  std::string folder;    // the demo folder
  std::string database;  // folder + "/demo.db"
  ToolResult result;     // what the demo printed and its exit status
};

// Runs the demo (small images, so it is quick) unless a run of the same
// tool binary is kept.
const DemoRun& SharedDemo();

// A copy of the demo database at path with sql run on it.
void ChangedCopy(const std::string& path, const std::string& sql);

// The number a single-value SQL query on a SQLite file gives; -1 on failure.
long long QueryNumber(const std::string& file, const std::string& sql);

}  // namespace qe::test
