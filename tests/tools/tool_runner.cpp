#include "tools/tool_runner.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "support/temp_dir.h"

namespace qe::test {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> ListedCommands() {
  std::vector<std::string> names;
  std::istringstream lines(RunTool({"--help"}).out);
  bool inList = false;
  for (std::string line; std::getline(lines, line);) {
    if (line == "commands:") {
      inList = true;
    } else if (inList && line.starts_with("  ") && line.size() > 2 && line[2] != ' ') {
      names.push_back(line.substr(2, line.find(' ', 2) - 2));
    }
  }
  return names;
}

nlohmann::json RunJson(const std::vector<std::string>& args, int exit,
                       const std::map<std::string, std::string>& env) {
  const ToolResult result = RunTool(args, env);
  EXPECT_EQ(result.exit, exit) << result.err;
  const nlohmann::json json = nlohmann::json::parse(result.out, nullptr, false);
  EXPECT_FALSE(json.is_discarded()) << result.out;
  return json;
}

void ExpectFails(const ToolResult& result, int exit, const std::string& says) {
  EXPECT_EQ(result.exit, exit) << result.err;
  EXPECT_NE(result.err.find(says), std::string::npos) << says << " not in: " << result.err;
}

ToolResult RunTool(const std::vector<std::string>& args,
                   const std::map<std::string, std::string>& env) {
  TempDir capture;
  const std::string outPath = capture.File("out"), errPath = capture.File("err");
  std::vector<std::string> words{QE_PROJECTDB_TOOL};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  const pid_t child = fork();
  if (child == 0) {
    const int in = open("/dev/null", O_RDONLY);
    const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    // A folder of its own, so that a mistaken argument never writes here.
    if (in < 0 || out < 0 || err < 0 || chdir(capture.path().c_str()) != 0) _exit(127);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    for (const auto& [name, value] : env) {
      if (value.empty()) {
        unsetenv(name.c_str());
      } else {
        setenv(name.c_str(), value.c_str(), 1);
      }
    }
    execv(argv[0], argv.data());
    _exit(127);
  }
  ToolResult result;
  int status = 0;
  if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status)) {
    result.exit = WEXITSTATUS(status);
  }
  result.out = ReadFile(outPath);
  result.err = ReadFile(errPath);
  return result;
}

}  // namespace qe::test
