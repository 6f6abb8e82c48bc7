// Closing runs that were left marked running, as after a crash.
#include "projectdb/records/record_access.h"
#include "qe/projectdb/records/jobrun.h"
#include "qe/projectdb/schema.h"
#include "qe/sqlite/cmd.h"
#include "qe/sqlite/connection.h"
#include "qe/sqlite/sql_text.h"

namespace {

constexpr int64_t kRunningBit = 1;
// Finish code of a run found still running, in the low byte of the flags.
constexpr int64_t kFinishCodeAbandoned = 4;
constexpr int64_t kFinishCodeMask = 255;

}  // namespace

int QeProjectDb_Jobrun_RemoveRunningFlag(uint32_t handle) {
  sqlite3* db = qe::projectdb::DbOf(handle);
  const wchar_t* run = g_QeProjectDbTable_jobrun.wszName;
  const wchar_t* frame = g_QeProjectDbTable_frame.wszName;
  const wchar_t* file = g_QeProjectDbTable_file.wszName;
  CQeSqliteCmd running(
      db,
      QeSqlite_FormatSql(L"SELECT %s FROM %s WHERE %s IS NOT NULL AND bitwiseand(%s,%I64d)=%I64d;",
                         L"iKey", run, L"iFinishFlags", L"iFinishFlags", kRunningBit, kRunningBit));
  // The updates run while the select is still being stepped; they clear
  // the bit the select looks for, so no run comes back twice.
  while (running.Next()) {
    const int64_t key = running.ColumnInt64(0);
    QeSqlite_Execute(
        db,
        QeSqlite_FormatSql(L"UPDATE %s SET %s=bitsetmasked(%s,%I64d,%I64d), %s=(SELECT max(%s.%s) "
                           L"FROM %s WHERE %s.%s=%I64d) WHERE %s.%s=%I64d;",
                           run, L"iFinishFlags", L"iFinishFlags", kFinishCodeAbandoned,
                           kFinishCodeMask, L"dFTime", frame, L"dCTime", frame, frame,
                           L"iJobrunKeyRef", key, run, L"iKey", key),
        nullptr, false);
    QeSqlite_Execute(
        db,
        QeSqlite_FormatSql(L"UPDATE %s SET %s=(SELECT count(%s.%s) FROM %s WHERE %s.%s=%s.%s) "
                           L"WHERE %s.%s=%I64d AND %s.%s=0;",
                           file, L"iFrameCount", frame, L"iKey", frame, frame, L"iFileKeyRef", file,
                           L"iKey", file, L"iJobrunKeyRef", key, file, L"iFrameCount"),
        nullptr, false);
  }
  return running.Result();
}
