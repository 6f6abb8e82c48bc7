// projectdb upgrade: brings a project database file to the current schema.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "cli_util.h"
#include "command.h"
#include "progress.h"
#include "qe/core/diag.h"
#include "qe/projectdb/db.h"
#include "qe/projectdb/schema.h"
#include "qe/projectdb/upgrade.h"

namespace {

constexpr const char* kCommand = "upgrade";

constexpr const char* kHelp =
    "usage: projectdb upgrade FILE [--verbose]\n"
    "\n"
    "Brings the project database FILE from an older schema version (10 to 48,\n"
    "60 to 76) to version 77, one step per version, then re-creates missing\n"
    "indexes and compacts the file. The file must not be open in any other\n"
    "program. Every step commits on its own: when a step fails, the file keeps\n"
    "the version of the last step that succeeded and a later upgrade resumes\n"
    "there. The built-in labware definitions are not refreshed here.\n"
    "\n"
    "Progress goes to stderr: a bar on a terminal, plain lines otherwise.\n"
    "\n"
    "options:\n"
    "  --verbose   also print the upgrade's trace lines (one per step) to stderr\n"
    "\n"
    "exit status: 0 upgraded, or already at version 77; 1 the file cannot be\n"
    "upgraded (no such file, not a database, a version without an upgrade\n"
    "path) or a step failed; 2 usage error.\n"
    "\n"
    "The versions and what each step changes: docs/schema-history.md.\n";

// The host's progress dialog, drawn on the console. Nothing is drawn for a
// file whose version has no upgrade path (it is refused right after the
// version is read), so the display waits for the upgrade's first trace line,
// which names the version.
class CConsoleProgressDialog : public CQeProgressDialog {
 public:
  explicit CConsoleProgressDialog(bool plainLines) : plainLines_(plainLines) {}
  void SetStoredVersion(int64_t version) {
    upgradable_ = QeProjectDb_Db_FindUpgradeStep(version) >= 0;
  }
  void SetPos(int32_t percent) override {
    if (!upgradable_) return;
    if (!progress_) {
      progress_ = plainLines_ ? std::make_unique<qe::cli::Progress>("upgrade", 100, false, stderr)
                              : std::make_unique<qe::cli::Progress>("upgrade", 100);
    }
    progress_->SetPercent(percent);
  }
  // Ends the display (a line break after the bar).
  void Finish() {
    if (progress_) progress_->Finish();
  }

 private:
  const bool plainLines_;
  bool upgradable_ = false;
  std::unique_ptr<qe::cli::Progress> progress_;
};

// Why the file could not be opened or read, in words.
std::string OpenProblem(int status) {
  switch (status) {
    case 5:
      return "the file is locked by another program";
    case 11:
      return "the file is damaged";
    case 14:
      return "no such file, or it cannot be opened for writing";
    case 26:
      return "not a database";
    default:
      return "SQLite status " + std::to_string(status);
  }
}

// The message for a file whose stored version has no upgrade path.
std::string RefusalText(const std::string& file, const SQeProjectDbFileInfo& info) {
  if (info.iVersion == 0) {
    return qe::cli::Quoted(file) + " has no schema version (no \"main\" row in table vesion)";
  }
  const std::string version = std::to_string(info.iVersion);
  if (info.iVersion > kQeProjectDbSchemaVersion) {
    return qe::cli::Quoted(file) + " has schema version " + version +
           ", newer than this tool (77); use a newer version of projectdb";
  }
  return qe::cli::Quoted(file) + " has schema version " + version +
         ", which cannot be upgraded (versions 10 to 48 and 60 to 76 can)";
}

int RunUpgrade(const std::vector<std::string>& args) {
  qe::cli::ParsedArgs parsed;
  if (!qe::cli::ParseArgs(kCommand, args, {{"--verbose", false}}, parsed)) {
    return qe::cli::kExitUsage;
  }
  if (parsed.positional.size() != 1 || parsed.positional[0].empty()) {
    return qe::cli::UsageError(kCommand, "expected one FILE");
  }
  const bool verbose = parsed.Has("--verbose");
  const std::string& file = parsed.positional[0];
  const CQeStringW path = CQeStringW::FromUtf8(file);

  // Trace lines interleave badly with a bar redrawn in place, so --verbose
  // shows progress as plain lines. The lines are kept to tell a failed step
  // from a file that could not be opened.
  CConsoleProgressDialog dialog(verbose || !qe::cli::Progress::OnTerminal());
  std::string failedStep;
  int result = 0;
  {
    CQeDiagSinkScope trace([&](const CQeStringW& line) {
      const std::string text = line.ToUtf8();
      if (verbose) std::fprintf(stderr, "%s\n", text.c_str());
      const size_t upgrading = text.find("Upgrading version ");
      if (upgrading != std::string::npos) {
        dialog.SetStoredVersion(std::atoll(text.c_str() + upgrading + 18));
      }
      const size_t at = text.find("version ");
      if (text.size() > 9 && text.compare(text.size() - 9, 9, " (FAILED)") == 0 &&
          at != std::string::npos) {
        failedStep = text.substr(at + 8, text.size() - 9 - at - 8);
      }
    });
    result = QeProjectDb_Db_Upgrade(path, &dialog);
  }
  dialog.Finish();

  SQeProjectDbFileInfo info;
  QeProjectDb_Db_GetInfo(path, &info);
  if (result == 0) {
    std::printf("'%s' upgraded to schema version %lld\n", file.c_str(),
                static_cast<long long>(info.iVersion));
    return qe::cli::kExitOk;
  }
  if (result == -9) {
    if (info.iVersion == kQeProjectDbSchemaVersion) {
      std::printf("'%s' is already at schema version 77; nothing to do\n", file.c_str());
      return qe::cli::kExitOk;
    }
    return qe::cli::Failure(kCommand, RefusalText(file, info));
  }
  if (!failedStep.empty()) {
    return qe::cli::Failure(kCommand, "the step to version " + failedStep +
                                          " failed (SQLite status " + std::to_string(result) +
                                          "); " + qe::cli::Quoted(file) + " stays at version " +
                                          std::to_string(info.iVersion) +
                                          " and a later upgrade resumes there");
  }
  return qe::cli::Failure(kCommand,
                          "cannot open " + qe::cli::Quoted(file) + ": " + OpenProblem(result));
}

}  // namespace

QE_CLI_COMMAND(kCommand, "bring an older project database to the current schema version", kHelp,
               &RunUpgrade);
