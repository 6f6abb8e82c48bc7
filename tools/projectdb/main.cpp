// projectdb: the command-line tool of the project database library.
#include <cstdio>
#include <string>
#include <vector>

#include "command.h"

namespace {

using qe::cli::Command;

bool IsHelp(const std::string& arg) { return arg == "--help" || arg == "-h"; }

void PrintOverview(std::FILE* out) {
  std::fprintf(out,
               "usage: projectdb <command> [arguments]\n"
               "       projectdb <command> --help\n"
               "       projectdb --help | --version\n"
               "\n"
               "The project database of an imaging and acquisition application.\n"
               "\n"
               "commands:\n");
  for (const Command& command : qe::cli::Commands()) {
    std::fprintf(out, "  %-12s %s\n", command.name, command.summary);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    PrintOverview(stderr);
    return qe::cli::kExitUsage;
  }
  if (IsHelp(args[0])) {
    PrintOverview(stdout);
    return qe::cli::kExitOk;
  }
  if (args[0] == "--version") {
    std::printf("projectdb %s\n", QE_VERSION);
    return qe::cli::kExitOk;
  }
  const Command* command = qe::cli::FindCommand(args[0]);
  if (!command) {
    std::fprintf(stderr, "projectdb: unknown command '%s'; see projectdb --help\n",
                 args[0].c_str());
    return qe::cli::kExitUsage;
  }
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  for (const std::string& arg : rest) {
    if (IsHelp(arg)) {
      std::printf("%s", command->help);
      return qe::cli::kExitOk;
    }
  }
  try {
    return command->run(rest);
  } catch (const std::exception& e) {
    qe::cli::PrintError(command->name, e.what());
  } catch (...) {
    qe::cli::PrintError(command->name, "unexpected failure");
  }
  return qe::cli::kExitFailure;
}
