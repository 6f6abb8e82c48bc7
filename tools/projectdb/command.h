// Subcommands of the projectdb tool.
//
// Each subcommand lives in a file of its own (cmd_<name>.cpp) and registers
// itself with a static QE_CLI_COMMAND(...) object, so adding a subcommand
// means adding one file. The dispatcher in main.cpp handles --help and
// --version and calls Run with the arguments after the subcommand's name.
//
// Exit codes: 0 success, 1 failure, 2 usage error. Results go to stdout,
// errors to stderr, both as UTF-8.
#pragma once

#include <string>
#include <vector>

#include "qe/core/string.h"

namespace qe::cli {

enum ExitCode { kExitOk = 0, kExitFailure = 1, kExitUsage = 2 };

struct Command {
  const char* name;
  // One line for the overview of `projectdb --help`.
  const char* summary;
  // The full help of `projectdb <name> --help`: synopsis, then details.
  const char* help;
  int (*run)(const std::vector<std::string>& args);
};

// Commands in the order of their names. Registration happens during static
// initialisation, before main runs; afterwards the list is only read.
const std::vector<Command>& Commands();
const Command* FindCommand(const std::string& name);

class Registration {
 public:
  explicit Registration(const Command& command);
};

// Writes "projectdb <command>: <message>" to stderr.
void PrintError(const char* command, const std::string& message);
// Writes a wide text as UTF-8.
void PrintLine(const CQeStringW& text);

}  // namespace qe::cli

#define QE_CLI_CONCAT_INNER(a, b) a##b
#define QE_CLI_CONCAT(a, b) QE_CLI_CONCAT_INNER(a, b)
#define QE_CLI_COMMAND(...) \
  static const ::qe::cli::Registration QE_CLI_CONCAT(qe_cli_registration_, __LINE__)({__VA_ARGS__})
