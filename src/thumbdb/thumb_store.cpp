// Storing the result of one load of a frame's picture.
#include <chrono>
#include <thread>

#include "qe/core/diag.h"
#include "qe/sqlite/cmd.h"
#include "qe/sqlite/connection.h"
#include "qe/sqlite/sql_text.h"
#include "qe/thumbdb/project_thumb.h"
#include "thumbdb/thumb_names.h"

namespace {

using namespace qe::thumbdb;

constexpr auto kBusyPause = std::chrono::milliseconds(100);

// One transaction of the store: "BEGIN" on construction; "COMMIT" after
// Succeeded, "ROLLBACK" otherwise, when it ends. After a busy or locked
// failure it pauses before the caller starts again.
class CQeThumbTransactionGuard {
 public:
  explicit CQeThumbTransactionGuard(sqlite3* db) : db_(db) {
    status_ = QeSqlite_Execute(db_, L"BEGIN", nullptr, false);
    began_ = status_ == 0;
  }
  ~CQeThumbTransactionGuard() { End(); }
  CQeThumbTransactionGuard(const CQeThumbTransactionGuard&) = delete;
  CQeThumbTransactionGuard& operator=(const CQeThumbTransactionGuard&) = delete;

  // The status of BEGIN.
  int BeginStatus() const { return began_ ? 0 : status_; }
  void Succeeded() { succeeded_ = true; }
  void Failed(int status) { status_ = status; }
  // Commits or rolls back; a commit that fails is rolled back. Returns 0
  // after a commit, else the failure's status.
  int End() {
    if (ended_) return status_;
    ended_ = true;
    if (began_ && succeeded_) {
      status_ = QeSqlite_Execute(db_, L"COMMIT", nullptr, false);
      if (status_ == 0) return 0;
    }
    if (began_) QeSqlite_Execute(db_, L"ROLLBACK", nullptr, false);
    if (IsBusyOrLocked(status_)) std::this_thread::sleep_for(kBusyPause);
    return status_;
  }

 private:
  sqlite3* db_;
  int status_ = 0;
  bool began_ = false;
  bool succeeded_ = false;
  bool ended_ = false;
};

struct SStoreArgs {
  const CQeStringW& jobrunUuid;
  int frameIndex;
  int fileSeqIndex;
  int size;
  int loadResult;
  double cTime;
  const CQeByteArray& data;
};

// The run's key, inserting its uuid row when missing; 0 with *status set on failure.
int64_t RunKey(sqlite3* db, const CQeStringW& uuid, int* status) {
  const SQeSqliteTableDef& run = g_QeThumbDbTable_jobrunuuid;
  const int64_t key = QeSqlite_ReadOneInt64(
      db,
      QeSqlite_FormatSql(L"SELECT %s FROM %s WHERE %s='%s';", ColumnName(run, kJobrunuuidKey),
                         TableName(run), ColumnName(run, kJobrunuuidUuid),
                         QeSqlite_EscapeText(uuid)),
      status);
  if (*status != 0 || key != 0) return key;
  CQeSqliteCmd insert(db, QeSqlite_FormatSql(L"INSERT INTO %s (%s) VALUES (?);", TableName(run),
                                             ColumnName(run, kJobrunuuidUuid)));
  insert.Bind(1, uuid);
  int64_t newKey = 0;
  insert.Next(newKey);
  *status = insert.Result();
  return *status == 0 ? newKey : 0;
}

// The frame's key, inserting or updating its row; 0 with *status set on failure.
int64_t FrameKey(sqlite3* db, int64_t runKey, const SStoreArgs& args, int* status) {
  const SQeSqliteTableDef& frame = g_QeThumbDbTable_frame;
  int64_t key = 0;
  int storedResult = 0;
  {
    CQeSqliteCmd select(
        db, QeSqlite_FormatSql(L"SELECT %s, %s FROM %s WHERE %s=%I64d AND %s=%d;",
                               ColumnName(frame, kFrameKey), ColumnName(frame, kFrameLoadResult),
                               TableName(frame), ColumnName(frame, kFrameJobrunuuidRef), runKey,
                               ColumnName(frame, kFrameIndex), args.frameIndex));
    if (select.Next()) {
      key = select.ColumnInt64(0);
      storedResult = select.ColumnInt(1);
    }
    *status = select.Result();
    if (*status != 0) return 0;
  }
  if (key != 0) {
    if (storedResult == args.loadResult) return key;
    CQeSqliteCmd update(
        db, QeSqlite_FormatSql(L"UPDATE %s SET %s=?, %s=? WHERE %s=?;", TableName(frame),
                               ColumnName(frame, kFrameCTime), ColumnName(frame, kFrameLoadResult),
                               ColumnName(frame, kFrameKey)));
    update.Bind(1, args.cTime);
    update.Bind(2, args.loadResult);
    update.Bind(3, static_cast<long long>(key));
    update.Execute();
    *status = update.Result();
    return *status == 0 ? key : 0;
  }
  CQeSqliteCmd insert(
      db, QeSqlite_FormatSql(L"INSERT INTO %s (%s, %s, %s, %s, %s) VALUES (?, ?, ?, ?, ?);",
                             TableName(frame), ColumnName(frame, kFrameJobrunuuidRef),
                             ColumnName(frame, kFrameIndex), ColumnName(frame, kFrameFileSeqIndex),
                             ColumnName(frame, kFrameCTime), ColumnName(frame, kFrameLoadResult)));
  insert.Bind(1, static_cast<long long>(runKey));
  insert.Bind(2, args.frameIndex);
  insert.Bind(3, args.fileSeqIndex);
  insert.Bind(4, args.cTime);
  insert.Bind(5, args.loadResult);
  insert.Next(key);
  *status = insert.Result();
  return *status == 0 ? key : 0;
}

int StorePicture(sqlite3* db, int64_t frameKey, const SStoreArgs& args) {
  const SQeSqliteTableDef& thumbnail = g_QeThumbDbTable_thumbnail;
  CQeSqliteCmd insert(
      db, QeSqlite_FormatSql(L"INSERT OR REPLACE INTO %s (%s, %s, %s) VALUES (?, ?, ?);",
                             TableName(thumbnail), ColumnName(thumbnail, kThumbnailFrameRef),
                             ColumnName(thumbnail, kThumbnailSize),
                             ColumnName(thumbnail, kThumbnailData)));
  insert.Bind(1, static_cast<long long>(frameKey));
  insert.Bind(2, args.size);
  insert.Bind(3, args.data);
  insert.Execute();
  return insert.Result();
}

// One attempt: 0 when stored, else the status that stopped it (the
// transaction is rolled back, with a pause when the database was busy).
int StoreOnce(sqlite3* db, const SStoreArgs& args) {
  CQeThumbTransactionGuard transaction(db);
  if (int status = transaction.BeginStatus(); status != 0) return status;
  int status = 0;
  const int64_t runKey = RunKey(db, args.jobrunUuid, &status);
  if (status != 0) {
    transaction.Failed(status);
    return transaction.End();
  }
  const int64_t frameKey = FrameKey(db, runKey, args, &status);
  if (status == 0 && !args.data.IsEmpty()) status = StorePicture(db, frameKey, args);
  if (status != 0) {
    transaction.Failed(status);
    return transaction.End();
  }
  transaction.Succeeded();
  return transaction.End();
}

}  // namespace

int CQeProjectThumb::StoreThumbDataToDb(sqlite3* db, const wchar_t* jobrunUuid, int frameIndex,
                                        int fileSeqIndex, int size, int loadResult, double cTime,
                                        const CQeByteArray& data) {
  if (!db) return 0;
  const CQeStringW uuid(jobrunUuid);
  const SStoreArgs args{uuid, frameIndex, fileSeqIndex, size, loadResult, cTime, data};
  // Only a busy or locked database is worth another attempt; every other
  // failure would fail again and is left unreported.
  int status = 0;
  do {
    status = StoreOnce(db, args);
  } while (IsBusyOrLocked(status));
  if (status != 0) QE_DIAG(L"Thumbnail of frame %d not stored (%d)", frameIndex, status);
  return 0;
}
