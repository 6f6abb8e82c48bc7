#include "projectdb/records/record_access.h"

#include <vector>

#include "qe/projectdb/sys.h"
#include "qe/sqlite/cmd.h"
#include "qe/sqlite/sql_text.h"

namespace qe::projectdb {

bool IsNameUniqueIn(sqlite3* db, const SQeSqliteTableDef& table, const wchar_t* select,
                    const CQeStringW& name, CQeStringW& uniqueName) {
  const wchar_t* t = table.wszName;
  // Compared in the form the file holds, or a name with a character SQLite
  // replaces would never equal its own stored row.
  const CQeStringW stored = QeSqlite_StoredText(name);
  // The names that hold the prefix anywhere, so that a taken name with
  // leading blanks (the prefix is trimmed) is seen too; compared literally
  // (a % or _ in a name is no wildcard) and at any length (LIKE refuses
  // patterns beyond 50000 bytes).
  CQeSqliteCmd cmd(
      db, QeSqlite_FormatSql(L"%s %s.%s FROM %s WHERE instr(%s.%s, '%s')>0", select, t, L"wszName",
                             t, t, L"wszName",
                             QeSqlite_EscapeText(QeProjectDb_Sys_GetNamePrefix(stored))));
  std::vector<CQeStringW> names;
  while (cmd.Next()) names.push_back(cmd.ColumnString(0));
  return QeProjectDb_Sys_IsNameUnique(stored, names, uniqueName);
}

}  // namespace qe::projectdb
