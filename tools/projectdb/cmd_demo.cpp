// projectdb demo: a synthetic high-content screening acquisition recorded
// through the library, step by step, for a first look at what it does.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "cli_util.h"
#include "command.h"
#include "demo.h"

namespace {

namespace fs = std::filesystem;
using qe::cli::demo::Made;

constexpr const char* kHelp =
    "usage: projectdb demo [FOLDER] [--image-size PIXELS]\n"
    "\n"
    "Creates a project database in FOLDER (default ./demo-project, which must\n"
    "not exist or be empty) and records a synthetic but realistic high-content\n"
    "screen through the library, printing each step:\n"
    "  - one project with a job definition, its program and a task tree;\n"
    "  - a run over a 96-well plate from the built-in labware catalogue, with\n"
    "    4 fields per well and 2 channels (DAPI, GFP) written as 16-bit\n"
    "    multi-page TIFF files into the run folder, one file per well;\n"
    "  - 768 frames with loop indices, plate and well links and labels\n"
    "    (\"positive\", \"control\"), measured properties per frame, run\n"
    "    statistics, and an analysis with a binary layer and its objects;\n"
    "  - thumbnails of every frame in a thumbnail database, a contact sheet\n"
    "    and plate maps as PNG pictures;\n"
    "  - three example searches.\n"
    "Nuclei counts fall and the reporter rises with the dose along each row\n"
    "(columns 1 and 12 are controls), so the plate maps show a pattern.\n"
    "\n"
    "options:\n"
    "  --image-size PIXELS  width and height of each image, 32 to 1024\n"
    "                       (default 256)\n"
    "\n"
    "Files made in FOLDER: demo.db (the project database), Projects/ (the\n"
    "project and run folders with the TIFF files), thumbs.db (thumbnails),\n"
    "contact-sheet.png, plate-map-nuclei.png and plate-map-positive.png.\n"
    "\n"
    "example:\n"
    "  projectdb demo demo-project\n"
    "  projectdb search demo-project/demo.db \"label:positive\"\n";

constexpr int kSteps = 8;

void Heading(int step, const char* title) { std::printf("\n[%d/%d] %s\n", step, kSteps, title); }

// A shell word for the command lines shown.
std::string ShellWord(const std::string& text) {
  if (!text.empty() && text.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                              "0123456789-_./:=+") == std::string::npos) {
    return text;
  }
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// Runs another subcommand as a user would type it, showing the command line.
bool RunCommand(const std::vector<std::string>& words) {
  std::string line = "$ projectdb";
  for (const std::string& word : words) line += " " + ShellWord(word);
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
  const qe::cli::Command* command = qe::cli::FindCommand(words[0]);
  const int status =
      command ? command->run(std::vector<std::string>(words.begin() + 1, words.end())) : 1;
  std::fflush(stdout);
  return status == qe::cli::kExitOk;
}

// The folder must be new or empty, so the demo never mixes with other files.
bool PrepareFolder(const std::string& folder) {
  std::error_code ec;
  if (fs::exists(folder, ec)) {
    if (!fs::is_directory(folder, ec)) {
      qe::cli::PrintError("demo", qe::cli::Quoted(folder) + " is a file, not a folder");
      return false;
    }
    if (!fs::is_empty(folder, ec)) {
      qe::cli::PrintError(
          "demo", qe::cli::Quoted(folder) + " is not empty; name a new folder or remove this one");
      return false;
    }
    return true;
  }
  fs::create_directories(folder, ec);
  if (ec) {
    qe::cli::PrintError("demo", "cannot create " + qe::cli::Quoted(folder) + ": " + ec.message());
    return false;
  }
  return true;
}

bool Record(Made& made, const std::string& shown) {
  const std::string db = shown + "/demo.db";
  Heading(1, "A new project database with the built-in labware catalogue");
  if (!qe::cli::demo::CreateDatabase(made)) return false;
  Heading(2, "Project, job definition, program and task tree");
  if (!qe::cli::demo::CreateProjectAndJob(made)) return false;
  Heading(3, "A run over a 96-well plate");
  if (!qe::cli::demo::StartRun(made)) return false;
  Heading(4, "Acquisition: 16-bit TIFF images, frames, loop indices, labware links, labels");
  if (!qe::cli::demo::Acquire(made)) return false;
  Heading(5, "Analysis: nuclei, measured properties per frame, run statistics");
  if (!qe::cli::demo::Analyse(made) || !qe::cli::demo::FinishRun(made)) return false;
  // Later steps read the database the way other programs would.
  made.connection.Close();
  Heading(6, "Thumbnails through the thumbnail database, and a contact sheet");
  if (!qe::cli::demo::MakeThumbnails(made, made.folder + "/thumbs.db",
                                     made.folder + "/contact-sheet.png")) {
    return false;
  }
  const std::string runKey = std::to_string(made.run);
  Heading(7, "Plate maps: a measured property averaged per well");
  if (!RunCommand({"plate-map", db, runKey, "--property", "Nuclei count", "--out",
                   shown + "/plate-map-nuclei.png"}) ||
      !RunCommand({"plate-map", db, runKey, "--property", "Positive cells", "--out",
                   shown + "/plate-map-positive.png"})) {
    return false;
  }
  Heading(8, "Searches with the search-box language");
  return RunCommand({"search", db, "label:positive"}) &&
         RunCommand({"search", db, "quantity:\"nuclei count\" plate:DEMO-0001"}) &&
         RunCommand({"search", db, "keyword:screen -label:missing last:5"});
}

int RunDemo(const std::vector<std::string>& args) {
  qe::cli::ParsedArgs parsed;
  if (!qe::cli::ParseArgs("demo", args, {{"--image-size", true}}, parsed))
    return qe::cli::kExitUsage;
  if (parsed.positional.size() > 1) {
    return qe::cli::UsageError("demo", "expected at most one FOLDER");
  }
  Made made;
  if (parsed.Has("--image-size")) {
    int64_t size = 0;
    if (!qe::cli::ParseKey(parsed.Value("--image-size"), size) || size < 32 || size > 1024) {
      return qe::cli::UsageError("demo", "--image-size needs a number from 32 to 1024");
    }
    made.imageSize = static_cast<int>(size);
  }
  std::string shown = parsed.positional.empty() ? "demo-project" : parsed.positional[0];
  while (shown.size() > 1 && shown.back() == '/') shown.pop_back();
  if (shown.empty()) return qe::cli::UsageError("demo", "FOLDER is empty");
  if (!PrepareFolder(shown)) return qe::cli::kExitFailure;
  std::error_code ec;
  made.folder = fs::canonical(shown, ec).string();
  if (ec) made.folder = fs::absolute(shown).string();
  made.database = made.folder + "/demo.db";

  const auto start = std::chrono::steady_clock::now();
  std::printf("projectdb demo: a synthetic high-content screen in %s\n", made.folder.c_str());
  const bool ok = Record(made, shown);
  if (!ok) {
    qe::cli::PrintError("demo",
                        "stopped; what was made so far is in " + qe::cli::Quoted(made.folder));
    return qe::cli::kExitFailure;
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const std::string db = ShellWord(shown + "/demo.db");
  // The run folder as the user named the demo folder.
  const std::string runFolder = made.runFolder.starts_with(made.folder)
                                    ? shown + made.runFolder.substr(made.folder.size())
                                    : made.runFolder;
  std::printf("\nDone in %.1f s. What is where:\n", seconds);
  const std::pair<const char*, std::string> places[] = {
      {"project database", shown + "/demo.db"},
      {"run folder", runFolder + "  (one TIFF file per well)"},
      {"thumbnails", shown + "/thumbs.db"},
      {"contact sheet", shown + "/contact-sheet.png"},
      {"plate maps", shown + "/plate-map-nuclei.png, " + shown + "/plate-map-positive.png"},
  };
  for (const auto& [what, where] : places) std::printf("  %-18s %s\n", what, where.c_str());
  std::printf(
      "\nTry next:\n"
      "  projectdb projects %s\n"
      "  projectdb runs %s --json\n"
      "  projectdb search %s 'label:positive -label:control'\n"
      "  projectdb plate-map %s %lld --property 'GFP per cell' --out gfp.png\n"
      "  projectdb labware list %s\n",
      db.c_str(), db.c_str(), db.c_str(), db.c_str(), static_cast<long long>(made.run), db.c_str());
  return qe::cli::kExitOk;
}

}  // namespace

QE_CLI_COMMAND("demo", "record a synthetic screen into a new database, step by step", kHelp,
               &RunDemo);
