// projectdb thumbs: thumbnails of every frame of a run through the thumbnail
// database and its reader threads, optionally drawn onto a contact sheet.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "cli_util.h"
#include "command.h"
#include "progress.h"
#include "qe/core/date_time.h"
#include "qe/picture/drawing_surface.h"
#include "qe/picture/image_format.h"
#include "qe/projectdb/connection.h"
#include "qe/projectdb/schema.h"
#include "qe/sqlite/cmd.h"
#include "qe/sqlite/connection.h"
#include "qe/sqlite/sql_text.h"
#include "qe/thumbdb/project_thumb_db.h"
#include "qe/thumbdb/thumb_tables.h"

namespace {

constexpr const char* kHelp =
    "usage: projectdb thumbs PROJECTDB RUN --cache THUMBDB [--sheet FILE.png]\n"
    "\n"
    "Asks the thumbnail database THUMBDB (created when missing) for a thumbnail of\n"
    "every frame of the run RUN of the project database PROJECTDB, waits for all of\n"
    "them and reports how many came from the cache, how many were read from their\n"
    "image files (and stored in the cache) and how many failed. Each failed frame\n"
    "is listed with its status. RUN is the run's key (a number) or its uuid.\n"
    "A frame's file is its 'file' row's name in the run folder (an absolute name\n"
    "is used as it stands).\n"
    "\n"
    "options:\n"
    "  --cache THUMBDB   the thumbnail database file (required); a file that\n"
    "                    exists must be a thumbnail database (one of another\n"
    "                    version is made again), anything else is refused\n"
    "  --sheet FILE.png  also draw every thumbnail, fitted into a 128 x 128 box\n"
    "                    and labelled with its frame index, onto one PNG picture;\n"
    "                    frames without a picture show N/A\n"
    "\n"
    "Progress goes to stderr: a bar on a terminal, plain lines otherwise.\n"
    "\n"
    "Exit status: 0 when every frame was asked for (failed frames included),\n"
    "1 when the databases cannot be used, 2 for a usage error.\n"
    "\n"
    "example:\n"
    "  projectdb thumbs my.db 12 --cache my-thumbs.db --sheet run12.png\n";

constexpr int kQueueCapacity = 256;
constexpr int kCell = 136;        // sheet cell width; the box is 128 wide with a margin of 4
constexpr int kCellHeight = 150;  // box, then one label line
constexpr int kColumns = 8;

// Why the file at path must not be used as the thumbnail database, or
// empty. The thumbnail database deletes and makes again a file that is not a
// thumbnail database of its version, so that a mistaken --cache (the project
// database itself, a picture) would be lost: only a missing or empty file or
// one that holds the thumbnail tables (of any version) is accepted.
std::string CacheProblem(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return "";
  if (std::filesystem::is_directory(path, ec)) return "it is a folder";
  if (std::filesystem::file_size(path, ec) == 0 && !ec) return "";
  sqlite3* db = nullptr;
  int code = 0;
  int64_t tables = 0;
  if (QeSqlite_OpenEncrypted(CQeStringW::FromUtf8(path), &db, eQeSqliteOpenReadOnly, 0, nullptr,
                             &code) == 0) {
    tables = QeSqlite_ReadOneInt64(
        db,
        QeSqlite_FormatSql(L"SELECT count(*) FROM sqlite_master WHERE type='table' AND name IN "
                           L"('%s', '%s');",
                           g_QeThumbDbTable_jobrunuuid.wszName, g_QeThumbDbTable_thumbnail.wszName),
        &code);
  }
  QeSqlite_Close(db);
  return tables == 2 ? "" : "not a thumbnail database; it is left as it is";
}

const wchar_t* Col(const SQeSqliteTableDef& table, const wchar_t* name) {
  const int column = QeProjectDb_Schema_FindColumn(&table, name);
  return column < 0 ? L"" : table.pColumns[column].wszName;
}

struct SRun {
  int64_t key = 0;
  CQeStringW uuid;
  CQeStringW folder;  // absolute, ends in '/'
};

struct SFrame {
  int frameIndex = 0;
  CQeStringW fileName;
  int fileSeqIndex = 0;
};

// Stored relative names may use '\\'.
CQeStringW NativeSeparators(CQeStringW path) {
  for (wchar_t& c : path.str()) {
    if (c == L'\\') c = L'/';
  }
  return path;
}

bool IsNumber(const std::string& text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool FindRun(uint32_t handle, sqlite3* db, const std::string& run, SRun& found) {
  const SQeSqliteTableDef& project = g_QeProjectDbTable_project;
  const SQeSqliteTableDef& jobrun = g_QeProjectDbTable_jobrun;
  const wchar_t* p = project.wszName;
  const wchar_t* r = jobrun.wszName;
  const bool byKey = IsNumber(run);
  CQeSqliteCmd cmd(
      db, QeSqlite_FormatSql(L"SELECT %s.%s, %s.%s, %s.%s, %s.%s FROM %s, %s WHERE "
                             L"%s.%s=%s.%s AND %s.%s=?;",
                             r, Col(jobrun, L"iKey"), r, Col(jobrun, L"wszUuid"), p,
                             Col(project, L"wszFolderName"), r, Col(jobrun, L"wszFolderName"), p, r,
                             r, Col(jobrun, L"iProjKeyRef"), p, Col(project, L"iKey"), r,
                             Col(jobrun, byKey ? L"iKey" : L"wszUuid")));
  if (byKey) {
    cmd.Bind(1, static_cast<long long>(std::strtoll(run.c_str(), nullptr, 10)));
  } else {
    cmd.Bind(1, CQeStringW::FromUtf8(run));
  }
  if (!cmd.Next()) return false;
  found.key = cmd.ColumnInt64(0);
  found.uuid = cmd.ColumnString(1);
  CQeStringW folder = QeProjectDb_Db_ProjectRootFolder(handle);
  for (const CQeStringW& part : {cmd.ColumnString(2), cmd.ColumnString(3)}) {
    folder += NativeSeparators(part);
    folder.EndInSlash();
  }
  found.folder = folder;
  return true;
}

std::vector<SFrame> ReadFrames(sqlite3* db, const SRun& run, int* status) {
  const SQeSqliteTableDef& frame = g_QeProjectDbTable_frame;
  const SQeSqliteTableDef& file = g_QeProjectDbTable_file;
  const wchar_t* fr = frame.wszName;
  const wchar_t* fi = file.wszName;
  CQeSqliteCmd cmd(
      db, QeSqlite_FormatSql(L"SELECT %s.%s, %s.%s, %s.%s FROM %s LEFT JOIN %s ON %s.%s=%s.%s "
                             L"WHERE %s.%s=? ORDER BY %s.%s;",
                             fr, Col(frame, L"iFrameIndex"), fi, Col(file, L"wszFileName"), fr,
                             Col(frame, L"iFileFrameIndex"), fr, fi, fr, Col(frame, L"iFileKeyRef"),
                             fi, Col(file, L"iKey"), fr, Col(frame, L"iJobrunKeyRef"), fr,
                             Col(frame, L"iFrameIndex")));
  cmd.Bind(1, static_cast<long long>(run.key));
  std::vector<SFrame> frames;
  while (cmd.Next()) {
    SFrame one;
    one.frameIndex = cmd.ColumnInt(0);
    const CQeStringW name = NativeSeparators(cmd.ColumnString(1));
    if (!name.IsEmpty()) one.fileName = name.GetAt(0) == L'/' ? name : run.folder + name;
    one.fileSeqIndex = cmd.ColumnInt(2);
    frames.push_back(one);
  }
  *status = cmd.Result();
  return frames;
}

// Collects the answers; called on reader threads.
class CCollector : public IQeProjectThumbReadyCallback {
 public:
  CCollector(bool keepPictures, qe::cli::Progress& progress)
      : keepPictures_(keepPictures), progress_(progress) {}

  void ThumbnailReady(CQeRefCountPtr<CQeProjectThumb> request, bool flag) override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      answers_.push_back({keepPictures_ ? request : nullptr, request->FrameIndex(),
                          request->Result(), CQePicBufAPI::HasPixels(request->PicBuf()),
                          request->CTime(), flag});
    }
    progress_.Step();
  }
  void PreviewReady(CQeRefCountPtr<CQeProjectThumb>, bool) override {}

  struct SAnswer {
    CQeRefCountPtr<CQeProjectThumb> request;  // only with a sheet
    int frameIndex;
    int result;
    bool picture;
    double cTime;
    bool missing;
  };
  std::vector<SAnswer> Answers() {
    std::lock_guard<std::mutex> lock(mutex_);
    return answers_;
  }

 private:
  const bool keepPictures_;
  qe::cli::Progress& progress_;  // shares its own lock
  std::mutex mutex_;
  std::vector<SAnswer> answers_;  // guarded by mutex_
};

int WriteSheet(const std::string& fileName, std::vector<CCollector::SAnswer> answers) {
  std::sort(answers.begin(), answers.end(),
            [](const auto& a, const auto& b) { return a.frameIndex < b.frameIndex; });
  const int count = std::max<int>(1, static_cast<int>(answers.size()));
  const int columns = std::min(kColumns, count);
  const int rows = (count + columns - 1) / columns;
  CQeDrawingSurface sheet(columns * kCell, rows * kCellHeight, SQeColor{235, 235, 235});
  for (size_t i = 0; i < answers.size(); ++i) {
    const int left = static_cast<int>(i % columns) * kCell;
    const int top = static_cast<int>(i / columns) * kCellHeight;
    sheet.FillRect(SQeRect{left + 4, top + 4, left + 132, top + 132}, CQeDrawingSurface::kWhite);
    if (answers[i].request) {
      answers[i].request->DrawIntoDC(sheet.Handle(), left + 4, top + 4, 128, 128, nullptr, nullptr,
                                     nullptr, nullptr);
    }
    sheet.DrawText(CQeStringW::Formatted(L"%d", answers[i].frameIndex),
                   SQeRect{left, top + 134, left + kCell, top + kCellHeight}, 37);
  }
  return sheet.SavePng(CQeStringW::FromUtf8(fileName));
}

int RunThumbs(const std::vector<std::string>& args) {
  qe::cli::ParsedArgs parsed;
  if (!qe::cli::ParseArgs("thumbs", args, {{"--cache", true}, {"--sheet", true}}, parsed)) {
    return qe::cli::kExitUsage;
  }
  const std::vector<std::string>& positional = parsed.positional;
  const std::string cache = parsed.Value("--cache");
  const std::string sheet = parsed.Value("--sheet");
  if (positional.size() != 2 || cache.empty()) {
    return qe::cli::UsageError("thumbs", "needs PROJECTDB, RUN and --cache THUMBDB");
  }

  if (const std::string problem = CacheProblem(cache); !problem.empty()) {
    qe::cli::PrintError("thumbs", "cannot use " + qe::cli::Quoted(cache) +
                                      " as the thumbnail database: " + problem);
    return qe::cli::kExitFailure;
  }
  qe::cli::Database database;
  if (!database.Open("thumbs", positional[0], false)) return qe::cli::kExitFailure;
  sqlite3* db = database.db();
  SRun run;
  if (!FindRun(database.handle(), db, positional[1], run)) {
    qe::cli::PrintError("thumbs", "no run '" + positional[1] + "' in '" + positional[0] + "'");
    return qe::cli::kExitFailure;
  }
  int status = 0;
  const std::vector<SFrame> frames = ReadFrames(db, run, &status);
  if (status != 0) {
    qe::cli::PrintError("thumbs",
                        "cannot read the frames (SQLite status " + std::to_string(status) + ")");
    return qe::cli::kExitFailure;
  }

  CQeImageFormatManager manager;
  qe::cli::Progress progress("thumbnails", static_cast<int64_t>(frames.size()));
  CCollector collector(!sheet.empty(), progress);
  const double start = CQeDateTime::UNow().GetJDN();
  {
    CQeProjectThumbDb thumbs(CQeStringW::FromUtf8(cache), &manager, kQueueCapacity);
    sqlite3* probe = thumbs.DbOpenConnection();
    if (!probe) {
      qe::cli::PrintError("thumbs", "cannot open or create the thumbnail database '" + cache + "'");
      return qe::cli::kExitFailure;
    }
    CQeProjectThumbDb::DbCloseConnection(probe);
    for (const SFrame& frame : frames) {
      int posted = 0;
      // A full queue refuses at once: let the readers catch up and post again.
      while ((posted = thumbs.PostThumbRequest(run.uuid, frame.frameIndex, frame.fileName,
                                               frame.fileSeqIndex, &collector, frame.frameIndex)) ==
             -9) {
        thumbs.WaitUntilEmpty();
      }
      if (posted != 0) {
        qe::cli::PrintError("thumbs", "frame " + std::to_string(frame.frameIndex) +
                                          " could not be asked for (" + std::to_string(posted) +
                                          ")");
      }
    }
    thumbs.WaitUntilEmpty();
  }
  progress.Finish();

  const std::vector<CCollector::SAnswer> answers = collector.Answers();
  int fromCache = 0;
  int fromFile = 0;
  int failed = 0;
  std::vector<const CCollector::SAnswer*> failures;
  for (const CCollector::SAnswer& answer : answers) {
    if (answer.result != 0 || !answer.picture) {
      ++failed;
      failures.push_back(&answer);
    } else if (answer.cTime >= start) {
      ++fromFile;  // stamped by this run's store
    } else {
      ++fromCache;
    }
  }
  std::printf("run %s (%s)\n", run.uuid.ToUtf8().c_str(), run.folder.ToUtf8().c_str());
  std::printf("frames      %zu\n", frames.size());
  std::printf("from cache  %d\n", fromCache);
  std::printf("from file   %d\n", fromFile);
  std::printf("failed      %d\n", failed);
  std::sort(failures.begin(), failures.end(),
            [](const auto* a, const auto* b) { return a->frameIndex < b->frameIndex; });
  for (const CCollector::SAnswer* answer : failures) {
    std::printf("  frame %d: status %d%s\n", answer->frameIndex, answer->result,
                answer->missing ? " (file missing)" : "");
  }
  if (!sheet.empty()) {
    if (WriteSheet(sheet, answers) != 0) {
      qe::cli::PrintError("thumbs", "cannot write the contact sheet '" + sheet + "'");
      return qe::cli::kExitFailure;
    }
    std::printf("sheet       %s\n", sheet.c_str());
  }
  return qe::cli::kExitOk;
}

}  // namespace

QE_CLI_COMMAND("thumbs", "thumbnails of a run's frames through the thumbnail database", kHelp,
               RunThumbs);
