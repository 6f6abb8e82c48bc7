#include "hostile/hostile_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <mutex>
#include <random>

#include "qe/picture/image_format.h"
#include "qe/projectdb/connection.h"
#include "qe/projectdb/db.h"
#include "qe/projectdb/records.h"
#include "qe/thumbdb/project_thumb_db.h"
#include "support/projectdb/old_version_db.h"

namespace qe::hostile {
namespace {

struct SLogEntry {
  int code = 0;
  std::string message;
};

std::mutex g_logMutex;
std::vector<SLogEntry> g_log;  // guarded by g_logMutex

void OnSqliteLog(void*, int code, const char* message) {
  std::lock_guard<std::mutex> lock(g_logMutex);
  g_log.push_back({code, message ? message : ""});
}

// SQLite takes its configuration only before it initializes, so the log is
// installed while the program starts, before any test opens a database.
const int g_logConfig = sqlite3_config(SQLITE_CONFIG_LOG, &OnSqliteLog, nullptr);

// Each byte one wide character (U+0000 to U+00FF).
std::wstring Widen(const std::string& bytes) {
  std::wstring out;
  for (unsigned char byte : bytes) out += static_cast<wchar_t>(byte);
  return out;
}

std::vector<SHostileText> MakeTexts() {
  std::vector<SHostileText> texts = {
      {"apostrophes", L"O'Neil's ''quoted'' '"},
      {"double quotes", L"say \"hi\" \"\"\" \""},
      {"percent signs", L"100% %s %d %I64d %n %ls %% %"},
      {"underscores", L"a_b __ _ _%_"},
      {"backslashes", L"C:\\Data\\run\\ \\\\ \\' \\\" \\%"},
      {"SQL fragment", L"x'); DROP TABLE project; -- \" OR 1=1 /*"},
      {"empty", L""},
      {"blanks", L"  padded\t \r\n "},
      {"letters outside ASCII", L"Zürich Ñandú 細胞 Ωmega \U0001F52C \u00A0\u2028\uFEFF"},
  };
  std::wstring controls;
  for (wchar_t c = 1; c < 32; ++c) controls += c;
  controls += L"\x7F\uFFFE\uFFFF";
  texts.push_back({"control characters", controls});
  // Bytes of invalid UTF-8 sequences, each byte one wide character: an
  // overlong form, lone continuation bytes, truncated sequences, a UTF-16
  // surrogate in UTF-8 form and bytes that never occur in UTF-8.
  texts.push_back(
      {"invalid UTF-8 bytes as wide text",
       Widen("\xC0\xAF \x80\xBF \xC3( \xE2\x28\xA1 \xED\xA0\x80 \xF0\x28\x8C \xFE\xFF")});
  std::wstring odd = L"a";
  odd += static_cast<wchar_t>(0xD800);
  odd += static_cast<wchar_t>(0xDFFF);
  odd += static_cast<wchar_t>(0x110000);
  odd += static_cast<wchar_t>(0x7FFFFFFF);
  odd += L"b";
  texts.push_back({"code points that are not characters", odd});
  std::mt19937 random(16);
  std::uniform_int_distribution<int> anyChar(1, 0x10FFFF);
  std::wstring junk;
  while (junk.size() < 300) junk += static_cast<wchar_t>(anyChar(random));
  texts.push_back({"random wide characters", junk});
  std::wstring mixed;
  for (size_t i = 0; mixed.size() < 64 * 1024; ++i) mixed += texts[i % texts.size()].text;
  mixed.resize(64 * 1024);
  texts.push_back({"64 KB of all of them", mixed});
  texts.push_back({"64 KB of apostrophes", std::wstring(64 * 1024, L'\'')});
  return texts;
}

// A value as its type and bytes (a number exactly, not as SQLite prints it).
std::string ColumnText(sqlite3_stmt* stmt, int column) {
  const int type = sqlite3_column_type(stmt, column);
  if (type == SQLITE_FLOAT) {
    char number[40];
    snprintf(number, sizeof number, "F%.17g", sqlite3_column_double(stmt, column));
    return number;
  }
  const void* bytes =
      type == SQLITE_TEXT ? sqlite3_column_text(stmt, column) : sqlite3_column_blob(stmt, column);
  return std::to_string(type) + std::string(bytes ? static_cast<const char*>(bytes) : "",
                                            sqlite3_column_bytes(stmt, column));
}

// What read(db) gives on a read-only connection of its own to path; an
// empty result when the file cannot be opened.
template <typename Read>
auto ReadOnly(const std::string& path, Read read) {
  sqlite3* db = nullptr;
  decltype(read(db)) out{};
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    out = read(db);
  }
  sqlite3_close(db);
  return out;
}

std::string Short(const std::string& text) {
  return text.size() > 160 ? text.substr(0, 160) + "..." : text;
}

void Expect(int status, const char* what) { EXPECT_EQ(status, 0) << "fixture: " << what; }

// The entries logged since the last call.
std::vector<SLogEntry> TakeLog() {
  std::lock_guard<std::mutex> lock(g_logMutex);
  std::vector<SLogEntry> out;
  out.swap(g_log);
  return out;
}

// sqlite3_prepare logs "<error> in \"<sql>\"".
bool IsPrepareFailure(const SLogEntry& entry) {
  return (entry.code & 0xff) == SQLITE_ERROR && entry.message.find(" in \"") != std::string::npos;
}

using Snapshot = std::map<std::string, std::map<int64_t, std::string>>;

Snapshot TakeSnapshot(sqlite3* db) {
  Snapshot out;
  std::vector<std::string> tables;
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(db,
                     "SELECT name FROM main.sqlite_master WHERE type = 'table' AND name NOT LIKE "
                     "'sqlite\\_%' ESCAPE '\\'",
                     -1, &stmt, nullptr);
  while (stmt && sqlite3_step(stmt) == SQLITE_ROW) {
    tables.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
  }
  sqlite3_finalize(stmt);
  for (const std::string& table : tables) {
    auto& rows = out[table];
    const std::string sql = "SELECT rowid, * FROM main.\"" + table + "\"";
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
      rows[-1] = "unreadable";
      continue;
    }
    while (sqlite3_step(stmt) == SQLITE_ROW) {
      std::string values;
      for (int c = 1; c < sqlite3_column_count(stmt); ++c) values += ColumnText(stmt, c) + '|';
      rows[sqlite3_column_int64(stmt, 0)] = values;
    }
    sqlite3_finalize(stmt);
  }
  return out;
}

}  // namespace

const std::vector<SHostileText>& HostileTexts() {
  static const std::vector<SHostileText> texts = MakeTexts();
  return texts;
}

CQeStringW Stored(const CQeStringW& text) {
  std::wstring out = Utf8ToWide(WideToUtf8(text.str()));
  // SQLite reads U+FFFE and U+FFFF in UTF-8 as U+FFFD when it stores text
  // in a UTF-16 database.
  for (wchar_t& c : out) {
    if (c == 0xFFFE || c == 0xFFFF) c = 0xFFFD;
  }
  return CQeStringW(out);
}

int LogConfigResult() { return g_logConfig; }

std::vector<CQeStringW> ReadTexts(sqlite3* db, const std::string& sql) {
  std::vector<CQeStringW> out;
  sqlite3_stmt* stmt = nullptr;
  EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr), SQLITE_OK) << sql;
  while (stmt && sqlite3_step(stmt) == SQLITE_ROW) {
    const char* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
    out.push_back(CQeStringW::FromUtf8(
        std::string_view(text ? text : "", static_cast<size_t>(sqlite3_column_bytes(stmt, 0)))));
  }
  sqlite3_finalize(stmt);
  return out;
}

std::vector<CQeStringW> ReadTexts(const std::string& path, const std::string& sql) {
  return ReadOnly(path, [&](sqlite3* db) { return ReadTexts(db, sql); });
}

std::string FileDigest(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "missing";
  std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  return std::to_string(bytes.size()) + ":" + std::to_string(std::hash<std::string>{}(bytes));
}

// ---- Ctx ----

Ctx::Ctx() : dir_(qe::test::FixtureFolderBase()) {
  dbPath_ = dir_.FileW("project.db");
  if (QeProjectDb_Db_Create(dbPath_) != 0) return;
  h = QeProjectDb_Db_Connect(dbPath_);
  if (h == 0) return;
  const std::vector<uint8_t> bytes = {1, 2, 3};
  int64_t key = 0;  // of rows no case refers to
  Expect(QeProjectDb_Proj_Insert(h, L"Project", L"desc", L"Project", &f.projKey), "project");
  SQeProjectDbRow_project project;
  QeProjectDb_Proj_GetOne(h, f.projKey, project);
  f.projectFolder = QeProjectDb_Proj_MakeAbsPath(h, project.wszFolderName);
  Expect(QeProjectDb_Jobdef_Insert(h, f.projKey, 1, 0, L"Job", L"desc", 0, &f.jobdefKey), "jobdef");
  Expect(QeProjectDb_Jobprogram_Insert(h, f.jobdefKey, L"program", &f.programKey), "program");
  Expect(QeProjectDb_Jobprogram_InsertOrUpdateProperties(h, f.programKey, {{L"speed", L"fast"}}),
         "props");
  SQeProjectDbJobTaskState state(1, 0, L"task", CQeByteArray("d", 1), CQeByteArray());
  Expect(
      QeProjectDb_Jobtask_Insert(h, f.programKey, 0, 0, 0, L"Capture", state, nullptr, &f.taskKey),
      "task");
  SQeProjectDbRow_jobrun run;
  Expect(QeProjectDb_Jobrun_Insert(h, f.projKey, f.projectFolder, f.jobdefKey, f.programKey, 1,
                                   L"Run", L"notes", &run, nullptr),
         "run");
  f.runKey = run.iKey;
  Expect(QeProjectDb_File_Insert(h, f.runKey, L"image.tif", 8, 8, 1, 1, 8, 1, &key), "file");
  Expect(QeProjectDb_Assayrun_Insert(h, f.runKey, f.taskKey, f.taskKey, L"assay-uuid", L"Assay",
                                     1.0, &f.assayrunKey),
         "assayrun");
  Expect(QeProjectDb_Binlayer_Insert(h, f.runKey, f.assayrunKey, L"layer-uuid", L"Layer", L"comp",
                                     L"tag", 3, &key),
         "binlayer");
  Expect(QeProjectDb_Propdef_Insert(h, L"Set", L"Area", L"um2", L"desc", &f.propdefKey), "propdef");
  Expect(QeProjectDb_Tagdef_Insert(h, L"Set", L"Tag", L"desc", &f.tagdefKey), "tagdef");
  Expect(QeProjectDb_Assayrecipe_Insert(h, L"Recipe", L"desc", L"module", 1.0, 1.0, 3, bytes.data(),
                                        &f.recipeKey),
         "recipe");
  Expect(QeProjectDb_Deposit_Insert(h, f.jobdefKey, 1.0, 1.0, L"deposit-uuid", 3, bytes.data(),
                                    &f.depositKey),
         "deposit");
  std::vector<SQeProjectDbRow_jobpropenumvalue> values = {{0, 0, L"one"}, {0, 0, L"two"}};
  Expect(QeProjectDb_Jobpropdef_InsertOrUpdate(h, f.programKey, L"mode", 1.0, 1, 1, values, 0,
                                               nullptr, &f.jobpropdefKey),
         "jobpropdef");
  Expect(QeProjectDb_Jobclasslaststate_InsertOrUpdate(h, L"Capture", state, nullptr), "laststate");
  Expect(QeProjectDb_Jobuser_Insert(h, L"user-uuid", L"user", L"hash"), "user");
  Expect(QeProjectDb_Jobuser_GetOne(h, L"user", L"hash", f.user), "user read");
  Expect(QeProjectDb_toupload_SaveRequest(h, L"jobrun", L"row-uuid", L"https://x", f.user),
         "upload");
  Expect(QeProjectDb_Cloudgroupusers_Insert(h, L"user", L"project-uuid", f.user.iKey), "group");
  std::list<SQeProjectDbRow_wellplateconfiguration> configs{
      {0, L"plate-config", 8, 12, 1, 0, CQeByteArray("geometry", 8)}};
  Expect(QeProjectDb_Wellplateconfig_InsertMany(h, configs), "plate config");
  std::list<SQeProjectDbRow_wellplatename> names{{0, L"plate-uuid", configs.front().iKey,
                                                  kQeCustomWellplatesCompany, L"Type", L"Model", 1,
                                                  0, 0}};
  Expect(QeProjectDb_Wellplatename_InsertMany(h, names), "plate name");
  f.plateNameKey = names.front().iKey;
  std::list<SQeProjectDbRow_dishconfiguration> dishConfigs{
      {0, L"dish-config", CQeRectBase<double>(), CQeByteArray("e", 1), CQeByteArray("s", 1)}};
  Expect(QeProjectDb_Dishconfig_InsertMany(h, dishConfigs), "dish config");
  std::list<SQeProjectDbRow_dishname> dishes{
      {0, L"dish-uuid", dishConfigs.front().iKey, kQeCustomDishesCompany, L"Type", L"Dish", 1, 0}};
  Expect(QeProjectDb_Dishname_InsertMany(h, dishes), "dish name");
  std::list<SQeProjectDbRow_slidedef> slides{{0, L"slide-uuid", L"75x25 mm", L"Type", L"Slide", 0,
                                              0, 1, 1, 0, CQeByteArray("e", 1),
                                              CQeByteArray("s", 1), 0}};
  Expect(QeProjectDb_Slidedef_InsertMany(h, slides), "slide");
  Expect(
      QeProjectDb_Plateinfo_Insert(h, f.runKey, f.plateNameKey, L"Plate", L"code", L"desc", &key),
      "plateinfo");
  Expect(QeProjectDb_Slideinfo_Insert(h, f.runKey, L"Slide", L"code", L"desc", &f.slideinfoKey),
         "slideinfo");
  Expect(QeProjectDb_Wellinfo_Insert(h, f.runKey, 0, L"A01", &key), "wellinfo");
}

Ctx::~Ctx() {
  thumbs_.reset();
  QeProjectDb_Db_Disconnect(h);
}

sqlite3* Ctx::Db() const { return CQeProjectDbConnectionManager::GetConnection(h); }

CQeStringW Ctx::T(int slot) {
  if (slot == slot_) return hostile_;
  return CQeStringW(L"plain " + std::to_wstring(++plain_));
}

CQeStringW Ctx::PathIn(int slot) {
  return CQeStringW((dir_.path() / "files").wstring() + L"/") + T(slot);
}

void Ctx::Forget(const CQeStringW& path) {
  std::error_code error;
  for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
    std::filesystem::remove(path.ToUtf8() + suffix, error);
  }
}

void Ctx::Status(int status, std::initializer_list<int> allowed) {
  allowedCodes_.insert(allowed.begin(), allowed.end());
  EXPECT_TRUE(std::find(allowed.begin(), allowed.end(), status) != allowed.end())
      << "status " << status;
}

void Ctx::Ok(int status, std::initializer_list<const char*> addsTo) {
  Status(status, {0});
  MayAdd(addsTo);
}

void Ctx::MayLog(std::initializer_list<int> codes) {
  allowedCodes_.insert(codes.begin(), codes.end());
}

void Ctx::RoundTrip(const CQeStringW& got, const CQeStringW& given, const char* what) {
  const CQeStringW expected = Stored(given);
  const CQeStringW utf8 = CQeStringW(Utf8ToWide(WideToUtf8(given.str())));
  EXPECT_TRUE(got == given || got == utf8 || got == expected)
      << what << " reads back as \"" << Short(got.ToUtf8()) << "\" (" << got.GetLength()
      << " characters, " << expected.GetLength() << " expected)";
}

void Ctx::RoundTrips(const std::vector<CQeStringW>& got) {
  for (size_t i = 0; i < got.size() && i < t.size(); ++i) {
    RoundTrip(got[i], t[i], ("text argument " + std::to_string(i + 1)).c_str());
  }
}

void Ctx::MayChange(const std::string& table) { anyRow_.insert(table); }
void Ctx::MayChange(const std::string& table, int64_t key) { rows_.insert({table, key}); }
void Ctx::MayAdd(std::initializer_list<const char*> tables) {
  newRows_.insert(tables.begin(), tables.end());
}

CQeProjectThumbDb& Ctx::Thumbs() {
  if (!thumbs_) {
    formats_ = std::make_unique<CQeImageFormatManager>();
    thumbs_.emplace(dir_.FileW("thumbs.db").c_str(), formats_.get(), 64);
  }
  return *thumbs_;
}

std::string Ctx::ThumbPath() const { return dir_.File("thumbs.db"); }

void Ctx::Call(const std::function<void(Ctx&)>& run, const std::wstring& hostile, int slot,
               int slots) {
  hostile_ = CQeStringW(hostile);
  slot_ = slot;
  t.clear();
  for (int i = 0; i < slots; ++i) t.push_back(T(i));
  allowedCodes_.clear();
  anyRow_.clear();
  newRows_.clear();
  rows_.clear();
  std::filesystem::create_directories(dir_.path() / "files");
  const Snapshot before = SnapshotAll();
  TakeLog();
  run(*this);
  for (const SLogEntry& entry : TakeLog()) {
    const int primary = entry.code & 0xff;
    // Notices (a recovered WAL), warnings (an automatic index) and schema
    // changes (SQLite prepares the statement again by itself) are not errors.
    if (primary == SQLITE_NOTICE || primary == SQLITE_WARNING || primary == SQLITE_SCHEMA) continue;
    EXPECT_FALSE(IsPrepareFailure(entry))
        << "a statement failed to prepare: " << Short(entry.message);
    EXPECT_TRUE(IsPrepareFailure(entry) || allowedCodes_.count(primary))
        << "SQLite logged " << entry.code << ": " << Short(entry.message);
  }
  Check(before, SnapshotAll());
}

Ctx::Snapshot Ctx::SnapshotAll() {
  Snapshot all = TakeSnapshot(Db());
  if (thumbs_) {
    const Snapshot thumbs = ReadOnly(ThumbPath(), [](sqlite3* db) { return TakeSnapshot(db); });
    for (auto& [table, rows] : thumbs) all["thumbs." + table] = rows;
  }
  return all;
}

void Ctx::Check(const Snapshot& before, const Snapshot& after) {
  std::set<std::string> tables;
  for (const auto& [table, rows] : before) tables.insert(table);
  for (const auto& [table, rows] : after) tables.insert(table);
  static const std::map<int64_t, std::string> kNone;
  for (const std::string& table : tables) {
    if (anyRow_.count(table)) continue;
    const auto b = before.find(table);
    const auto a = after.find(table);
    const auto& rowsBefore = b == before.end() ? kNone : b->second;
    const auto& rowsAfter = a == after.end() ? kNone : a->second;
    for (const auto& [key, values] : rowsBefore) {
      const auto now = rowsAfter.find(key);
      if (now != rowsAfter.end() && now->second == values) continue;
      EXPECT_TRUE(rows_.count({table, key}))
          << table << " row " << key << (now == rowsAfter.end() ? " was deleted" : " changed")
          << ": " << Short(values);
    }
    for (const auto& [key, values] : rowsAfter) {
      if (rowsBefore.count(key)) continue;
      EXPECT_TRUE(newRows_.count(table)) << table << " gained row " << key << ": " << Short(values);
    }
  }
}

// ---- The table ----

namespace {
std::vector<SCase>& Table() {
  static std::vector<SCase> table;
  return table;
}
}  // namespace

void Case(std::string signature, int slots, std::function<void(Ctx&)> run) {
  Table().push_back({std::move(signature), slots, std::move(run), {}, nullptr});
}

void Case(std::string signature, int slots, std::function<void(Ctx&)> setup,
          std::function<void(Ctx&)> run) {
  Table().push_back({std::move(signature), slots, std::move(run), std::move(setup), nullptr});
}

void Excluded(std::string signature, const char* reason) {
  Table().push_back({std::move(signature), 0, {}, {}, reason});
}

const std::vector<SCase>& Cases() { return Table(); }

SFigures& Figures() {
  static SFigures figures;
  return figures;
}

}  // namespace qe::hostile
