// Pragmas, option reads and name checks shared by connecting, creating,
// inspecting and the option and savepoint functions.
#pragma once

#include "qe/core/string.h"

struct sqlite3;

namespace qe::projectdb {

// True when value may stand in a "PRAGMA name=%s;" statement as it is: a
// non-empty word of ASCII letters, digits and underscores, optionally
// preceded by a minus sign. Values read from a file or given by a caller
// are checked, so that a stored option never runs as SQL of its own.
bool IsPragmaWord(const CQeStringW& value);

// Runs "PRAGMA <name>=<value>;" (template from pragmaTemplate). Returns 0,
// the SQLite status of the execute, or 1 (SQLITE_ERROR) without running
// anything when value is not a pragma word.
int ExecutePragma(sqlite3* db, const wchar_t* pragmaTemplate, const CQeStringW& value);

// The stored option of that name whatever its type tag, as connecting reads
// it ("SELECT varValue FROM settings WHERE wszName='<name>'"); empty when
// absent or unreadable.
CQeStringW ReadSettingAnyType(sqlite3* db, const wchar_t* name, int* code);

// The stored option of that name and type tag "stringw" / "int32"; empty or
// 0 when absent or unreadable (*code, which may be null, gets the status).
CQeStringW ReadOptionStr(sqlite3* db, const CQeStringW& name, int* code);
int ReadOptionInt32(sqlite3* db, const CQeStringW& name, int* code);

// True when name is a plain SQL identifier (ASCII letters, digits and
// underscores, and any character above ASCII), so that it may stand
// unquoted in a statement without changing what the statement does.
// Whether SQLite accepts it (a leading digit, a keyword) is left to SQLite.
bool IsPlainIdentifier(const CQeStringW& name);

// 0 when the database's schema can be read, else the SQLite status (26 for
// a file that is not a database, 11 for a damaged one). Opening a file does
// not read it, so this is the first look at what the file holds.
int CheckSchemaReadable(sqlite3* db);

// The connection pragmas every project database connection gets first:
// legacy_file_format, recursive_triggers and foreign_keys. Failures are
// ignored.
void ExecuteConnectionPragmas(sqlite3* db);

}  // namespace qe::projectdb
