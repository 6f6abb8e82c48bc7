#include "projectdb/records/record_access.h"

#include <vector>

#include "qe/projectdb/sys.h"
#include "qe/sqlite/cmd.h"
#include "qe/sqlite/sql_text.h"

namespace qe::projectdb {

bool IsNameUniqueIn(sqlite3* db, const SQeSqliteTableDef& table, const wchar_t* select,
                    const CQeStringW& name, CQeStringW& uniqueName) {
  const wchar_t* t = table.wszName;
  // The prefix must match literally: a % or _ in a name is no wildcard.
  CQeSqliteCmd cmd(
      db, QeSqlite_FormatSql(L"%s %s.%s FROM %s WHERE %s.%s LIKE '%s%%' ESCAPE '\\'", select, t,
                             L"wszName", t, t, L"wszName",
                             QeSqlite_EscapeLikeText(QeProjectDb_Sys_GetNamePrefix(name))));
  std::vector<CQeStringW> names;
  while (cmd.Next()) names.push_back(cmd.ColumnString(0));
  return QeProjectDb_Sys_IsNameUnique(name, names, uniqueName);
}

}  // namespace qe::projectdb
