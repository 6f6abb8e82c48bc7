#include "hostile/hostile_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <mutex>
#include <random>

#include "qe/projectdb/connection.h"
#include "qe/projectdb/db.h"
#include "qe/projectdb/records.h"
#include "qe/sqlite/sql_text.h"
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

std::string Short(const std::string& text) {
  return text.size() > 160 ? text.substr(0, 160) + "..." : text;
}

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

CQeStringW Stored(const CQeStringW& text) { return QeSqlite_StoredText(text); }

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

std::string FileDigest(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "missing";
  std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  return std::to_string(bytes.size()) + ":" + std::to_string(std::hash<std::string>{}(bytes));
}

SFigures& Figures() {
  static SFigures figures;
  return figures;
}

Ctx::Ctx() : dir_(qe::test::FixtureFolderBase()) {
  const std::wstring path = dir_.FileW("project.db");
  if (QeProjectDb_Db_Create(path) != 0 || (h = QeProjectDb_Db_Connect(path)) == 0) {
    ADD_FAILURE() << "no fixture database";
    return;
  }
  EXPECT_EQ(QeProjectDb_Proj_Insert(h, L"Project", L"desc", L"Project", &projKey), 0);
  projectFolder = QeProjectDb_Proj_MakeAbsPath(h, L"Project");
  EXPECT_EQ(QeProjectDb_Jobdef_Insert(h, projKey, 1, 0, L"Job", L"desc", 0, &jobdefKey), 0);
  EXPECT_EQ(QeProjectDb_Jobprogram_Insert(h, jobdefKey, L"program", &programKey), 0);
  EXPECT_EQ(QeProjectDb_Jobprogram_InsertOrUpdateProperties(h, programKey, {{L"speed", L"fast"}}),
            0);
  SQeProjectDbRow_jobrun run;
  EXPECT_EQ(QeProjectDb_Jobrun_Insert(h, projKey, projectFolder, jobdefKey, programKey, 1, L"Run",
                                      L"notes", &run, nullptr),
            0);
  runKey = run.iKey;
  int64_t key = 0;
  EXPECT_EQ(QeProjectDb_Tagdef_Insert(h, L"Set", L"Tag", L"desc", &key), 0);
  EXPECT_EQ(QeProjectDb_Propdef_Insert(h, L"Set", L"Area", L"um2", L"desc", &key), 0);
}

Ctx::~Ctx() { QeProjectDb_Db_Disconnect(h); }

sqlite3* Ctx::Db() const { return CQeProjectDbConnectionManager::GetConnection(h); }

CQeStringW Ctx::PathIn(const CQeStringW& name) const {
  return CQeStringW((dir_.path() / "files").wstring() + L"/") + name;
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
  newRows_.insert(addsTo.begin(), addsTo.end());
}

void Ctx::MayLog(std::initializer_list<int> codes) {
  allowedCodes_.insert(codes.begin(), codes.end());
}

void Ctx::MayChange(const std::string& table, int64_t key) { changes_.insert({table, key}); }

void Ctx::RoundTrip(const CQeStringW& got, const CQeStringW& given, const char* what) {
  EXPECT_TRUE(got == given || got == Stored(given) ||
              got.str() == Utf8ToWide(WideToUtf8(given.str())))
      << what << " reads back as \"" << Short(got.ToUtf8()) << "\" (" << got.GetLength()
      << " characters, " << given.GetLength() << " given)";
}

void Ctx::ForEachText(const std::function<void(const CQeStringW&)>& run) {
  ASSERT_NE(h, 0u);
  for (const SHostileText& text : HostileTexts()) {
    SCOPED_TRACE(text.label);
    allowedCodes_.clear();
    newRows_.clear();
    changes_.clear();
    std::filesystem::create_directories(dir_.path() / "files");
    const Snapshot before = TakeSnapshot(Db());
    TakeLog();
    run(CQeStringW(text.text));
    ++Figures().rounds;
    for (const SLogEntry& entry : TakeLog()) {
      const int primary = entry.code & 0xff;
      // Notices (a recovered WAL), warnings (an automatic index) and schema
      // changes (SQLite prepares the statement again by itself) are no errors.
      if (primary == SQLITE_NOTICE || primary == SQLITE_WARNING || primary == SQLITE_SCHEMA)
        continue;
      EXPECT_FALSE(IsPrepareFailure(entry))
          << "a statement failed to prepare: " << Short(entry.message);
      EXPECT_TRUE(IsPrepareFailure(entry) || allowedCodes_.count(primary))
          << "SQLite logged " << entry.code << ": " << Short(entry.message);
    }
    Check(before, TakeSnapshot(Db()));
    if (::testing::Test::HasFatalFailure()) return;
  }
}

void Ctx::Check(const Snapshot& before, const Snapshot& after) {
  static const std::map<int64_t, std::string> kNone;
  for (const auto& [table, rowsBefore] : before) {
    if (changes_.count({table, -1})) continue;
    const auto a = after.find(table);
    const auto& rowsAfter = a == after.end() ? kNone : a->second;
    for (const auto& [key, values] : rowsBefore) {
      const auto now = rowsAfter.find(key);
      if (now != rowsAfter.end() && now->second == values) continue;
      EXPECT_TRUE(changes_.count({table, key}))
          << table << " row " << key << (now == rowsAfter.end() ? " was deleted" : " changed")
          << ": " << Short(values);
    }
  }
  for (const auto& [table, rowsAfter] : after) {
    if (changes_.count({table, -1}) || newRows_.count(table)) continue;
    const auto b = before.find(table);
    for (const auto& [key, values] : rowsAfter) {
      EXPECT_TRUE(b != before.end() && b->second.count(key))
          << table << " gained row " << key << ": " << Short(values);
    }
  }
}

}  // namespace qe::hostile
