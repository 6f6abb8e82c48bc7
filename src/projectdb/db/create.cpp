// Creating a new project database file with the current schema and the rows
// of a new file.
#include "projectdb/db/db_internal.h"
#include "projectdb/db/path_util.h"
#include "qe/core/files.h"
#include "qe/core/status.h"
#include "qe/projectdb/db.h"
#include "qe/projectdb/schema.h"
#include "qe/projectdb/sys.h"
#include "qe/sqlite/connection.h"
#include "qe/sqlite/ddl.h"
#include "qe/sqlite/insert.h"
#include "qe/sqlite/sql_text.h"

namespace {
using namespace qe::projectdb;

// Closes the connection however Create leaves.
class CCloseOnExit {
 public:
  explicit CCloseOnExit(sqlite3* db) : db_(db) {}
  ~CCloseOnExit() { QeSqlite_Close(db_); }
  CCloseOnExit(const CCloseOnExit&) = delete;
  CCloseOnExit& operator=(const CCloseOnExit&) = delete;

 private:
  sqlite3* db_;
};

// Before anything is written: the encoding is fixed by the first write and
// must be UTF-16le so that files of every installation ATTACH to each other
// (SQLite refuses to attach a file of another text encoding); the page size
// likewise; and the journal mode, whose switch to WAL writes the header.
void ApplyCreationPragmas(sqlite3* db, const CQeStringW& journal, const CQeStringW& synchronous) {
  ExecuteConnectionPragmas(db);
  QeSqlite_Execute(db, L"PRAGMA encoding = \"UTF-16le\";", nullptr, false);
  QeSqlite_Execute(db, L"PRAGMA page_size=4096;", nullptr, false);
  ExecutePragma(db, L"PRAGMA journal_mode=%s;", journal);
  ExecutePragma(db, L"PRAGMA synchronous=%s;", synchronous);
}

CQeStringW SchemaScript() {
  CQeStringW script;
  for (const SQeSqliteTableDef* table : g_QeProjectDbTables) {
    script += QeSqlite_CreateTableWithIndexesSqlCommand(*table);
  }
  return script;
}

// The rows of a new file. Failures are ignored: the tables exist, and a
// missing row is what an upgrade or the record functions also cope with.
void WriteFixedRows(sqlite3* db, const CQeStringW& journal, const CQeStringW& synchronous) {
  {
    CQeSqliteInsert version(db, g_QeProjectDbTable_vesion, {L"wszName", L"iVersion"});
    version.Row({L"main", static_cast<long long>(kQeProjectDbSchemaVersion)});
  }
  const wchar_t* kTextOption = L"INSERT INTO %s (%s, %s, %s) VALUES ('%s', '%s', '%s');";
  for (const auto& [name, value] :
       {std::pair{L"journal_mode", journal}, std::pair{L"synchronous", synchronous}}) {
    QeSqlite_Execute(db,
                     QeSqlite_FormatSql(kTextOption, L"settings", L"wszName", L"wszType",
                                        L"varValue", name, L"stringw", value),
                     nullptr, false);
  }
  QeSqlite_Execute(
      db,
      QeSqlite_FormatSql(L"INSERT INTO %s (%s, %s, %s) VALUES ('%s', '%s', %d);", L"settings",
                         L"wszName", L"wszType", L"varValue", L"folderformat", L"int32", 1),
      nullptr, false);
  {
    CQeSqliteInsert tags(db, g_QeProjectDbTable_tagdef, {L"wszName", L"wszDesc"});
    tags.Row({L"$$$proj$$$", L"System tag for project/job tags"});
    tags.Row({L"$$$frame$$$", L"System tag for frame tags"});
  }
  QeSqlite_Execute(db,
                   QeSqlite_FormatSql(L"INSERT INTO dbinfo(wszName,wszUuid) VALUES('dbuuid','%s');",
                                      QeProjectDb_Sys_UuidAsText()),
                   nullptr, false);
}
}  // namespace

int QeProjectDb_Db_Create(const CQeStringW& path) {
  if (path.IsEmpty()) return eQeNoPathOrTooNew;
  QE_CreateDirectory(JoinPath(FolderOf(path), L"Projects"), 1, 0);
  const CQeStringW journal = QeProjectDb_Sys_IsNetworkPath(path) ? L"truncate" : L"wal";
  const CQeStringW synchronous = L"normal";

  sqlite3* db = nullptr;
  int code = 0;
  const int opened = QeSqlite_OpenEncrypted(path, &db, eQeSqliteOpenReadWrite | eQeSqliteOpenCreate,
                                            0, nullptr, &code);
  if (opened != 0) return opened;
  CCloseOnExit close(db);

  ApplyCreationPragmas(db, journal, synchronous);
  const int begun = QeSqlite_Execute(db, L"BEGIN TRANSACTION;", nullptr, false);
  if (begun != 0) return begun;
  const int created = QeSqlite_Execute(db, SchemaScript(), nullptr, false);
  if (created != 0) {
    QeSqlite_Execute(db, L"ROLLBACK TRANSACTION;", nullptr, false);
    return created;
  }
  WriteFixedRows(db, journal, synchronous);
  return QeSqlite_Execute(db, L"COMMIT TRANSACTION;", nullptr, false);
}
