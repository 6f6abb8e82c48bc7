// Hostile texts and the context they are tried in: a project database with
// a row in the tables the tests use, SQLite's error log, and a snapshot of
// every row taken before and after each call.
//
// The library escapes texts in one place and binds parameters through one
// statement layer, so the tests sample one or two functions per way a text
// reaches SQL or the file system and give each the whole list of texts.
// Each call fails when SQLite logged a statement that did not prepare or an
// error whose status the test did not declare, or when a row changed that
// the test did not declare.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "qe/core/string.h"
#include "support/temp_dir.h"

namespace qe::hostile {

struct SHostileText {
  const char* label;
  std::wstring text;
};

// Apostrophes, double quotes, percent signs and printf directives,
// underscores, backslashes, an SQL fragment, the empty text, blanks,
// letters outside ASCII, control characters, invalid UTF-8 bytes as wide
// text, code points that are not characters, random wide characters and
// two 64 KB texts. None holds a NUL.
const std::vector<SHostileText>& HostileTexts();

// The text as it reads back from a database: texts cross as UTF-8, so code
// points that are not characters come back as U+FFFD, and so do U+FFFE and
// U+FFFF, which SQLite does not keep in a UTF-16 database.
CQeStringW Stored(const CQeStringW& text);

// SQLite's answer to installing the error log (before SQLite starts).
int LogConfigResult();

// The first column of every row of sql, as texts.
std::vector<CQeStringW> ReadTexts(sqlite3* db, const std::string& sql);

// The file's size and a hash of its bytes; "missing" when there is none.
std::string FileDigest(const std::string& path);

// Rounds of one hostile text through one way in, and damaged files and the
// calls given them (for the figures).
struct SFigures {
  int64_t rounds = 0;
  int corruptFiles = 0, corruptCalls = 0;
};
SFigures& Figures();

class Ctx {
 public:
  Ctx();
  ~Ctx();
  Ctx(const Ctx&) = delete;
  Ctx& operator=(const Ctx&) = delete;

  // Runs run once per hostile text, each time checking SQLite's log and
  // every row against what run declared.
  void ForEachText(const std::function<void(const CQeStringW&)>& run);

  // The status must be one of allowed; their SQLite codes may be logged.
  void Status(int status, std::initializer_list<int> allowed);
  // The status must be 0; the tables named may gain rows.
  void Ok(int status, std::initializer_list<const char*> addsTo = {});
  void MayLog(std::initializer_list<int> codes);
  // Any row of the table, or the row with that key, may change.
  void MayChange(const std::string& table, int64_t key = -1);
  // got must be given as it is, or as it crosses UTF-8 (a lite-variant
  // document), or as it reads back from SQLite (Stored).
  void RoundTrip(const CQeStringW& got, const CQeStringW& given, const char* what);

  // A path in the test's own folder whose last part is name; Forget
  // removes a database file made there (with its journal files).
  CQeStringW PathIn(const CQeStringW& name) const;
  static void Forget(const CQeStringW& path);
  std::string Folder() const { return dir_.path().string(); }
  sqlite3* Db() const;

  uint32_t h = 0;
  int64_t projKey = 0, jobdefKey = 0, programKey = 0, runKey = 0;
  CQeStringW projectFolder;  // absolute, ends in '/'

 private:
  using Snapshot = std::map<std::string, std::map<int64_t, std::string>>;
  void Check(const Snapshot& before, const Snapshot& after);

  qe::test::TempDir dir_;  // on a memory file system when there is one
  std::set<int> allowedCodes_;
  std::set<std::string> newRows_;
  std::set<std::pair<std::string, int64_t>> changes_;
};

}  // namespace qe::hostile
