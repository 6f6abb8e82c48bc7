// The merge walker: opening the target with the source attached, copying
// one table per visit, and committing at the end.
#include <sqlite3.h>

#include "projectdb/merge/merge_internal.h"
#include "projectdb/merge/merge_script.h"
#include "qe/core/diag.h"
#include "qe/core/status.h"
#include "qe/projectdb/merge.h"
#include "qe/projectdb/schema.h"
#include "qe/sqlite/connection.h"
#include "qe/sqlite/sql_text.h"

namespace {

constexpr int kBusyTimeoutMs = 60000;

CQeStringW LastMessage(sqlite3* db) {
  const char* message = db ? sqlite3_errmsg(db) : nullptr;
  return message ? CQeStringW::FromUtf8(message) : CQeStringW();
}

}  // namespace

void CQeProjectDbMergeWalker::SCloseDb::operator()(sqlite3* db) const { QeSqlite_Close(db); }

CQeProjectDbMergeWalker::CQeProjectDbMergeWalker(IQeProjectDbMergeProgress* progress,
                                                 SQeProjectDbMergeReport* report)
    : progress_(progress), report_(report ? report : &ownReport_) {
  pObserver = this;
}

// Closing the connection rolls back a transaction still open.
CQeProjectDbMergeWalker::~CQeProjectDbMergeWalker() = default;

int CQeProjectDbMergeWalker::Fail(int status, const CQeStringW& message) {
  if (error_ == 0) error_ = status;
  if (report_->wszMessage.IsEmpty()) report_->wszMessage = message;
  DiagOutputExW(L"Merge failed: %s (status %d)", message, status);
  return status;
}

int CQeProjectDbMergeWalker::Open(const CQeStringW& target, const CQeStringW& source) {
  int result = CheckFiles(target, source);
  if (result != 0) return result;

  sqlite3* db = nullptr;
  if (QeSqlite_OpenEncrypted(wszMainDbFile, &db, eQeSqliteOpenReadWrite, 0, nullptr, nullptr) !=
      0) {
    return Fail(eQeFailed, L"cannot open the target for writing");
  }
  db_.reset(db);
  sqlite3_busy_timeout(db, kBusyTimeoutMs);
  QeSqlite_Execute(db, L"PRAGMA recursive_triggers=1;", nullptr, false);
  QeSqlite_Execute(db, L"PRAGMA foreign_keys=0;", nullptr, false);
  if (!qe::merge::RegisterFunctions(db, this)) {
    db_.reset();
    return Fail(eQeFailed, L"cannot register the merge's SQL functions");
  }

  sourceSchema_ = qe::merge::kSourceSchema;
  CQeStringW sql = QeSqlite_FormatSql(L"ATTACH DATABASE '%s' AS %s;\n",
                                      QeSqlite_EscapeText(wszSourceDbFile), sourceSchema_);
  sql += L"BEGIN TRANSACTION;\n";
  result = QeSqlite_Execute(db, sql, nullptr, false);
  error_ = result;
  if (result != 0) {
    const CQeStringW message = L"cannot attach the source: " + LastMessage(db);
    db_.reset();
    return Fail(result, message);
  }
  attached_ = true;
  return 0;
}

int64_t CQeProjectDbMergeWalker::ReadCount(const CQeStringW& sql) {
  return QeSqlite_ReadOneInt64(db_.get(), sql, nullptr, 0);
}

int CQeProjectDbMergeWalker::Visit(const SQeSqliteTableDef& table) {
  if (error_ != 0) return error_;
  if (!db_) return error_ = eQeFailed;
  const int index = visited_++;
  const int count = static_cast<int>(kQeProjectDbTableCount);
  const CQeStringW name(table.wszName);
  if (progress_) progress_->OnMergeTableStart(name, index, count);
  DiagOutputExW(L"Merging table '%s'", name);

  SQeProjectDbMergeTableReport row;
  row.wszTable = name;
  const int result = VisitTable(table, row);
  report_->tables.push_back(row);
  if (result != 0) {
    report_->wszFailedTable = name;
    const CQeStringW message = QeSqlite_FormatSql(L"table '%s': %s", name, LastMessage(db_.get()));
    error_ = result;
    QeSqlite_Execute(db_.get(), L"ROLLBACK TRANSACTION", nullptr, false);
    return Fail(result, message);
  }
  if (progress_) progress_->OnMergeTableDone(row, index, count);
  return 0;
}

int CQeProjectDbMergeWalker::VisitTable(const SQeSqliteTableDef& table,
                                        SQeProjectDbMergeTableReport& row) {
  if (qe::merge::IsSkippedTable(table.wszName)) {
    row.bSkipped = true;
    row.iSourceRows =
        ReadCount(QeSqlite_FormatSql(L"SELECT count(*) FROM %s.%s;", sourceSchema_, table.wszName));
    return 0;
  }
  const int64_t before =
      ReadCount(QeSqlite_FormatSql(L"SELECT count(*) FROM main.%s;", table.wszName));
  const int64_t maxKey =
      ReadCount(QeSqlite_FormatSql(L"SELECT max(iKey) FROM main.%s;", table.wszName));
  const CQeStringW script = qe::merge::TableScript(table, maxKey);
  mapTables_.push_back(qe::merge::MapTableName(table));
  const int result = QeSqlite_Execute(db_.get(), script, nullptr, false);
  if (result != 0) return result;
  row.iSourceRows =
      ReadCount(QeSqlite_FormatSql(L"SELECT count(*) FROM main.%s;", mapTables_.back()));
  row.iCopiedRows =
      ReadCount(QeSqlite_FormatSql(L"SELECT count(*) FROM main.%s;", table.wszName)) - before;
  row.iReusedRows = row.iSourceRows - row.iCopiedRows;
  return 0;
}

void CQeProjectDbMergeWalker::Abort(int status, const CQeStringW& message) {
  if (error_ != 0 || !db_) return;
  error_ = status;
  QeSqlite_Execute(db_.get(), L"ROLLBACK TRANSACTION", nullptr, false);
  Fail(status, message);
}

int CQeProjectDbMergeWalker::Finish() {
  if (finished_ || !db_) return error_;
  finished_ = true;
  if (error_ != 0) {
    if (attached_) {
      QeSqlite_Execute(db_.get(), QeSqlite_FormatSql(L"DETACH DATABASE %s;\n", sourceSchema_),
                       nullptr, false);
    }
    db_.reset();
    return error_;
  }
  CQeStringW sql;
  for (const CQeStringW& map : mapTables_) sql.AppendFormat(L"DROP TABLE main.%s;\n", map);
  sql += L"COMMIT TRANSACTION;\n";
  sql.AppendFormat(L"DETACH DATABASE %s;\n", sourceSchema_);
  const int result = QeSqlite_Execute(db_.get(), sql, nullptr, false);
  if (result != 0) Fail(result, L"cannot commit: " + LastMessage(db_.get()));
  QeSqlite_Execute(db_.get(), L"VACUUM;", nullptr, false);
  db_.reset();
  return result;
}

void CQeProjectDbMergeWalker::OnMergeFolder(const CQeStringW& path, bool created, int result) {
  if (created) ++report_->iFoldersCreated;
  if (result == 0) return;
  ++report_->iFolderFailures;
  try {
    DiagOutputExW(L"Merge: cannot create the folder %s (status %d)", path, result);
  } catch (...) {
    // A trace line that cannot be written is lost; the count stays.
  }
}

void CQeProjectDbMergeWalker::OnMergeCopy(const CQeStringW& source, const CQeStringW& target,
                                          int result) {
  try {
    if (result == 0) {
      ++report_->iFilesCopied;
    } else if (result == eQeNotFound) {
      ++report_->iFilesMissing;
      report_->missingFiles.push_back(source);
      DiagOutputExW(L"Merge: source file missing: %s", source);
    } else if (qe::merge::PathExists(target)) {
      ++report_->iFilesPresent;
    } else {
      ++report_->iFileFailures;
      DiagOutputExW(L"Merge: cannot copy %s to %s (status %d)", source, target, result);
    }
  } catch (...) {
    // Counting is a report only; the copy itself has happened or not.
  }
}
