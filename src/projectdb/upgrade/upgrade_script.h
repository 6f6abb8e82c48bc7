// The building blocks of an upgrade step: one SQL text, built block by
// block and run with one call inside one transaction.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "qe/core/string.h"
#include "qe/sqlite/table_def.h"

struct sqlite3;

namespace qe::upgrade {

// A column of a copy that is not taken from the same-named column of the
// old table: the SQL expression that fills it, over the old table's columns
// (for example "NULL", "0" or "iOrder").
struct SColumnValue {
  const wchar_t* wszColumn;
  const wchar_t* wszExpression;
};

// One step's script. Starts with the foreign-keys-off and begin blocks
// (unless told to continue);
// Run adds the set-version and commit blocks and executes the whole text.
// Used by one thread; the connection must stay open while the script is
// built, because moving a table aside lists its indexes there.
class CUpgradeScript {
 public:
  // kContinue starts without the head, for the later scripts of a step whose
  // first script opened the transaction.
  enum EStart { kHead, kContinue };
  explicit CUpgradeScript(sqlite3* db, EStart start = kHead);

  // "ALTER TABLE t RENAME TO t_old;" and one "DROP INDEX IF EXISTS" per
  // index of t that SQLite did not create by itself, so that the new table
  // can create its indexes under the same names.
  void MoveAside(const wchar_t* table);
  // The layout's table and one index per indexed column.
  void Create(const SQeSqliteTableDef& layout);
  // The layout's table without its indexes.
  void CreateTableOnly(const SQeSqliteTableDef& layout);
  // A fixed text of the step (statements ending in ";\n").
  void Add(const CQeStringW& sql);
  // "<verb> INTO t (every column of the layout) SELECT ... FROM t_old;"
  // where each column is the same-named old column unless values name an
  // expression for it. verb is "INSERT" or "INSERT OR IGNORE". The old table
  // stays, for steps that read it again.
  void CopyColumns(const SQeSqliteTableDef& layout, std::initializer_list<SColumnValue> values = {},
                   const wchar_t* verb = L"INSERT");
  // CopyColumns, then "DROP TABLE t_old;".
  void CopyByName(const SQeSqliteTableDef& layout, std::initializer_list<SColumnValue> values = {},
                  const wchar_t* verb = L"INSERT");
  // "<verb> INTO t SELECT * FROM t_old;" then "DROP TABLE t_old;".
  void CopyAll(const SQeSqliteTableDef& layout, const wchar_t* verb = L"INSERT");
  // "DROP TABLE t;"
  void DropTable(const wchar_t* table);

  // Move aside, create from the layout, copy by name (see CopyByName).
  void Rebuild(const SQeSqliteTableDef& layout, std::initializer_list<SColumnValue> values = {},
               const wchar_t* verb = L"INSERT");
  // Move aside, create from the layout, copy all columns by position.
  void RebuildAll(const SQeSqliteTableDef& layout, const wchar_t* verb = L"INSERT");

  // Appends the set-version block for targetVersion and the commit block,
  // runs the text with QeSqlite_Execute and returns its status.
  int Run(int64_t targetVersion);

  const CQeStringW& Text() const { return sql_; }
  sqlite3* Db() const { return db_; }

 private:
  sqlite3* db_;
  CQeStringW sql_;
};

// "t_old", the name a table has while it is moved aside.
CQeStringW OldName(const wchar_t* table);

// The stored "main" version (0 when the row is missing); *code gets the
// status of the read.
int64_t ReadStoredVersion(sqlite3* db, int* code);

}  // namespace qe::upgrade
