// projectdb merge: copies one project database, with its folders and image
// files, into another.
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include "command.h"
#include "progress.h"
#include "qe/projectdb/merge.h"

namespace {

constexpr const char* kHelp =
    "usage: projectdb merge TARGET SOURCE\n"
    "\n"
    "Copies every row of the project database SOURCE into the project database\n"
    "TARGET in one transaction, with new keys and with every reference between\n"
    "rows kept. A row whose unique values (a uuid, a name) are already in TARGET\n"
    "is not copied: the TARGET row stands for it. The schema version and the\n"
    "file's own uuid are never copied.\n"
    "\n"
    "For every copied project and run the folder is created under the \"Projects\"\n"
    "folder beside TARGET, and every image file of a copied run is copied from\n"
    "SOURCE's project root folder. A project or run folder whose name TARGET\n"
    "already uses gets the name \"name (2)\" (or the next free number). A missing\n"
    "image file does not stop the merge; it is listed at the end.\n"
    "\n"
    "Both files must be at the current schema version (77); upgrade an older file\n"
    "first. When a table cannot be merged, TARGET keeps all its rows as they were\n"
    "(folders and files already copied stay on disk).\n"
    "\n"
    "On a terminal a progress bar on stderr shows the tables merged; otherwise one\n"
    "line per table is printed. A summary follows: rows copied and reused, folders\n"
    "created, files copied, already present and missing.\n"
    "\n"
    "Exit status: 0 merged, 1 the merge failed or was refused, 2 usage error.\n"
    "\n"
    "example:\n"
    "  projectdb merge lab.db laptop.db\n";

class Progress : public IQeProjectDbMergeProgress {
 public:
  explicit Progress(bool terminal) : terminal_(terminal) {}
  ~Progress() { EndBar(); }
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;

  void OnMergeTableStart(const CQeStringW&, int index, int count) override {
    if (!terminal_) return;
    if (!bar_) bar_ = std::make_unique<qe::cli::Progress>("merging tables", count);
    bar_->Set(index);
  }

  void OnMergeTableDone(const SQeProjectDbMergeTableReport& table, int index, int) override {
    copied_ += table.iCopiedRows;
    reused_ += table.iReusedRows;
    if (terminal_) {
      if (bar_) bar_->Set(index + 1);
      return;
    }
    if (table.bSkipped) {
      std::printf("%-24s not merged (the file's own)\n", table.wszTable.ToUtf8().c_str());
    } else {
      std::printf("%-24s %lld rows: %lld copied, %lld reused\n", table.wszTable.ToUtf8().c_str(),
                  static_cast<long long>(table.iSourceRows),
                  static_cast<long long>(table.iCopiedRows),
                  static_cast<long long>(table.iReusedRows));
    }
  }

  void EndBar() {
    if (bar_) bar_->Finish();
  }

  long long Copied() const { return copied_; }
  long long Reused() const { return reused_; }

 private:
  bool terminal_;
  std::unique_ptr<qe::cli::Progress> bar_;
  long long copied_ = 0;
  long long reused_ = 0;
};

std::string Absolute(const std::string& path) {
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
  return ec ? path : absolute.string();
}

void PrintSummary(const SQeProjectDbMergeReport& report, const Progress& progress) {
  std::printf("rows: %lld copied, %lld reused\n", progress.Copied(), progress.Reused());
  std::printf("folders created: %lld\n", static_cast<long long>(report.iFoldersCreated));
  std::printf("files: %lld copied, %lld already present, %lld missing\n",
              static_cast<long long>(report.iFilesCopied),
              static_cast<long long>(report.iFilesPresent),
              static_cast<long long>(report.iFilesMissing));
  if (report.iFileFailures > 0 || report.iFolderFailures > 0) {
    std::printf("failed: %lld files could not be copied, %lld folders could not be created\n",
                static_cast<long long>(report.iFileFailures),
                static_cast<long long>(report.iFolderFailures));
  }
  for (const auto& [from, to] : report.renamedFolders) {
    std::printf("folder '%s' is taken in the target; copied as '%s'\n", from.ToUtf8().c_str(),
                to.ToUtf8().c_str());
  }
  for (const CQeStringW& file : report.missingFiles) {
    std::printf("missing: %s\n", file.ToUtf8().c_str());
  }
}

int RunMerge(const std::vector<std::string>& args) {
  if (args.size() != 2 || args[0].empty() || args[1].empty()) {
    qe::cli::PrintError("merge", "expected TARGET and SOURCE; see projectdb merge --help");
    return qe::cli::kExitUsage;
  }
  const std::string target = Absolute(args[0]);
  const std::string source = Absolute(args[1]);
  Progress progress(qe::cli::Progress::OnTerminal());
  SQeProjectDbMergeReport report;
  const int status = QeProjectDb_Db_MergeDbEx(CQeStringW::FromUtf8(target),
                                              CQeStringW::FromUtf8(source), &progress, &report);
  progress.EndBar();
  if (status != 0) {
    std::string message = "cannot merge '" + source + "' into '" + target + "': ";
    message += report.wszMessage.IsEmpty()
                   ? "status " + std::to_string(status)
                   : report.wszMessage.ToUtf8() + " (status " + std::to_string(status) + ")";
    qe::cli::PrintError("merge", message);
    if (!report.wszFailedTable.IsEmpty()) {
      qe::cli::PrintError("merge", "nothing was merged; the target keeps all its rows");
    }
    return qe::cli::kExitFailure;
  }
  std::printf("merged %s into %s\n", source.c_str(), target.c_str());
  PrintSummary(report, progress);
  return qe::cli::kExitOk;
}

}  // namespace

QE_CLI_COMMAND("merge", "merge a project database, with its folders and files, into another", kHelp,
               &RunMerge);
