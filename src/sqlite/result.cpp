#include "qe/sqlite/result.h"

#include <sqlite3.h>

int QeSqlite_StatusFromResult(int sqliteResult) {
  if (sqliteResult == SQLITE_OK || sqliteResult == SQLITE_ROW || sqliteResult == SQLITE_DONE) {
    return 0;
  }
  return sqliteResult & 0xff;
}
