// Runs the built projectdb tool as a user would, and reads what it wrote.
#pragma once

#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace qe::test {

struct ToolResult {
  int exit = -1;  // the exit status; -1 when the tool did not exit normally
  std::string out;
  std::string err;
};

// Runs projectdb with args (no shell) in a temporary working folder, stdin
// from /dev/null, and env set on top of this process's environment (an
// empty value removes a variable).
ToolResult RunTool(const std::vector<std::string>& args,
                   const std::map<std::string, std::string>& env = {});

// Runs projectdb, expects exit status exit and returns the JSON it printed.
nlohmann::json RunJson(const std::vector<std::string>& args, int exit = 0,
                       const std::map<std::string, std::string>& env = {});

// The whole content of a file; empty when it cannot be read.
std::string ReadFile(const std::string& path);

// The subcommand names of `projectdb --help`, in its order.
std::vector<std::string> ListedCommands();

// The run ended with exit status exit, and its stderr says says.
void ExpectFails(const ToolResult& result, int exit, const std::string& says);

}  // namespace qe::test
