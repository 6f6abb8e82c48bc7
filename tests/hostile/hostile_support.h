// Hostile input for every exported function that takes a text: the texts
// themselves, the table of cases (one per function), and the context a case
// runs in (a fresh project database with a row in most tables, SQLite's
// error log, snapshots of every row).
//
// A case calls its function once per hostile text and text argument: the
// argument under test gets the hostile text, every other text argument a
// plain text of its own (Ctx::T). The driver then fails the call when SQLite
// logged a statement that did not prepare, an error whose status the case
// did not declare, or when a row changed that the case did not declare.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "qe/core/string.h"
#include "qe/projectdb/records/jobuser.h"
#include "qe/thumbdb/project_thumb_db.h"
#include "support/temp_dir.h"

class CQeImageFormatManager;

namespace qe::hostile {

struct SHostileText {
  const char* label;
  std::wstring text;
};

// The hostile texts: apostrophes, double quotes, percent signs, underscores,
// backslashes, SQL fragments, control characters, valid and invalid UTF-8
// sequences as wide text, code points that are not characters, random wide
// characters, 64 KB texts, the empty text and blanks. None holds a NUL.
const std::vector<SHostileText>& HostileTexts();

// The text as it reads back from a database: texts cross as UTF-8, so code
// points that are not characters (lone surrogates, beyond U+10FFFF) come
// back as U+FFFD, and so do U+FFFE and U+FFFF, which SQLite does not keep
// in a UTF-16 database.
CQeStringW Stored(const CQeStringW& text);

// SQLite's answer to the SQLITE_CONFIG_LOG call that installs the error log
// at start-up, before SQLite initializes.
int LogConfigResult();

// The first column of every row of sql, as texts (UTF-8 turned wide).
std::vector<CQeStringW> ReadTexts(sqlite3* db, const std::string& sql);
std::vector<CQeStringW> ReadTexts(const std::string& path, const std::string& sql);

// The file's size and a 64-bit hash of its bytes, enough to tell
// whether a call changed it; "missing" when there is no such file.
std::string FileDigest(const std::string& path);

// Keys of the fixture's rows that cases refer to (it holds one row in most
// tables, a custom plate, dish and slide among them).
struct SFixture {
  int64_t projKey = 0, jobdefKey = 0, programKey = 0, taskKey = 0, runKey = 0, assayrunKey = 0;
  int64_t propdefKey = 0, tagdefKey = 0, recipeKey = 0, depositKey = 0, slideinfoKey = 0;
  int64_t jobpropdefKey = 0, plateNameKey = 0;
  CQeStringW projectFolder;  // absolute, ends in '/'
  SQeProjectDbRow_jobuser user;
};

class Ctx {
 public:
  Ctx();
  ~Ctx();
  Ctx(const Ctx&) = delete;
  Ctx& operator=(const Ctx&) = delete;

  bool Ready() const { return h != 0; }
  // Runs run with hostile as text argument slot, then checks SQLite's log
  // and every row of the project and thumbnail databases against what the
  // case declared.
  void Call(const std::function<void(Ctx&)>& run, const std::wstring& hostile, int slot, int slots);

  // The text for text argument slot of the current call: the hostile text
  // when slot is the argument under test, else a plain text never used
  // before ("plain 17"). t holds T(0) ... T(slots - 1) of the call.
  CQeStringW T(int slot);
  std::vector<CQeStringW> t;
  const CQeStringW& Hostile() const { return hostile_; }
  bool IsHostile(int slot) const { return slot == slot_; }
  // A path in the case's own folder whose last part is T(slot); Forget
  // removes a database file made there (with its journal files).
  CQeStringW PathIn(int slot);
  static void Forget(const CQeStringW& path);

  // The status must be one of allowed; their SQLite codes may be logged.
  // Ok: the status must be 0, and the tables may gain rows.
  void Status(int status, std::initializer_list<int> allowed);
  void Ok(int status, std::initializer_list<const char*> addsTo = {});
  // SQLite codes that may be logged by a call that returns no status.
  void MayLog(std::initializer_list<int> codes);
  // The text read back must be the one given, or the one given after the
  // UTF-8 boundary (a lite-variant document), or after SQLite (see Stored).
  // RoundTrips compares got[i] with t[i] for every text read back.
  void RoundTrip(const CQeStringW& got, const CQeStringW& given, const char* what);
  void RoundTrips(const std::vector<CQeStringW>& got);

  // Rows the call may change: any row of the table, the row with that key
  // (changed or deleted), or new rows only.
  void MayChange(const std::string& table);
  void MayChange(const std::string& table, int64_t key);
  void MayAdd(std::initializer_list<const char*> tables);

  // A thumbnail database beside the project database, made on first use;
  // its rows are watched from then on.
  CQeProjectThumbDb& Thumbs();
  std::string ThumbPath() const;

  sqlite3* Db() const;
  std::string Folder() const { return dir_.path().string(); }

  uint32_t h = 0;
  SFixture f;

 private:
  // Every row of every table: table -> rowid -> values.
  using Snapshot = std::map<std::string, std::map<int64_t, std::string>>;
  Snapshot SnapshotAll();
  void Check(const Snapshot& before, const Snapshot& after);

  qe::test::TempDir dir_;  // on a memory file system when there is one
  std::wstring dbPath_;
  CQeStringW hostile_;
  int slot_ = 0;
  int plain_ = 0;
  std::set<int> allowedCodes_;
  std::set<std::string> anyRow_, newRows_;
  std::set<std::pair<std::string, int64_t>> rows_;
  std::unique_ptr<CQeImageFormatManager> formats_;
  // Final, so that destroying it is fine although the class's destructor
  // is not virtual.
  class CThumbs final : public CQeProjectThumbDb {
   public:
    using CQeProjectThumbDb::CQeProjectThumbDb;
  };
  std::optional<CThumbs> thumbs_;
};

// The row stored under key, read by its table's GetOne.
template <typename Row>
Row ByKey(Ctx& c, int (*get)(uint32_t, int64_t, Row&), int64_t key) {
  Row row;
  EXPECT_EQ(get(c.h, key, row), 0) << "no row " << key;
  return row;
}

// A lookup by texts no row holds: a status of allowed, and no row.
template <typename Row, typename Get>
void Misses(Ctx& c, std::initializer_list<int> allowed, Get get) {
  Row row;
  c.Status(get(row), allowed);
  EXPECT_EQ(row.iKey, 0);
}

// One exported function. signature is "Scope::Name", or for an overload its
// declaration as the header writes it (blanks collapsed, parameter defaults
// left out); slots counts its text arguments. setup runs once on the new
// context before the first call. A case without run names in excluded the
// reason why it is not called.
struct SCase {
  std::string signature;
  int slots = 0;
  std::function<void(Ctx&)> run, setup;
  const char* excluded = nullptr;
};

// Add cases to the table (at static initialisation).
void Case(std::string signature, int slots, std::function<void(Ctx&)> run);
void Case(std::string signature, int slots, std::function<void(Ctx&)> setup,
          std::function<void(Ctx&)> run);
void Excluded(std::string signature, const char* reason);
const std::vector<SCase>& Cases();

// What the cases did, for the figures.
struct SFigures {
  int functions = 0;     // functions called with hostile texts
  int64_t calls = 0;     // calls made with a hostile text
  int corruptFiles = 0;  // damaged files written
  int corruptCalls = 0;  // calls given a damaged file
};
SFigures& Figures();

}  // namespace qe::hostile
