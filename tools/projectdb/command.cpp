#include "command.h"

#include <algorithm>
#include <cstdio>

namespace qe::cli {

namespace {

// A function-local list, so that registrations from any file find it made.
std::vector<Command>& MutableCommands() {
  static std::vector<Command> commands;
  return commands;
}

}  // namespace

const std::vector<Command>& Commands() { return MutableCommands(); }

const Command* FindCommand(const std::string& name) {
  for (const Command& command : Commands()) {
    if (name == command.name) return &command;
  }
  return nullptr;
}

Registration::Registration(const Command& command) {
  std::vector<Command>& commands = MutableCommands();
  auto at = std::lower_bound(
      commands.begin(), commands.end(), command,
      [](const Command& a, const Command& b) { return std::string(a.name) < b.name; });
  commands.insert(at, command);
}

void PrintError(const char* command, const std::string& message) {
  std::fprintf(stderr, "projectdb %s: %s\n", command, message.c_str());
}

void PrintLine(const CQeStringW& text) { std::printf("%s\n", text.ToUtf8().c_str()); }

}  // namespace qe::cli
