// The thumbnail database: a SQLite file that caches small JPEG pictures of
// the frames of job runs, filled and read by reader threads that answer the
// host through callbacks.
//
// Conventions:
//  - A frame is named by its job run's uuid text and its frame index. The
//    file format is in thumb_tables.h and docs/thumbdb.md.
//  - The pipeline is process-wide: the first post creates two queues in the
//    shared queue master, "CQeProjectThumbDb::ReadingQueue" (pending
//    requests, bounded by the capacity of the object that created it) and
//    "CQeProjectThumbDb::CallbackVirtualQueue" (delivery), with this object
//    as the factory of at most two readers. Every later post, by any object,
//    goes into that pipeline, and its readers use the file of the object
//    that created it. Destroying any CQeProjectThumbDb dismantles it; the
//    next post builds it again.
//  - Every user of the file opens a connection of its own with DbConnect:
//    each reader for its life, Clear and BackupTo for one call. WAL, the
//    busy timeout of 60 s and retries serialise them, also across processes.
//  - Statuses: 0 success; -1 no queue master or a queue could not be
//    created; -4 a missing argument; -9 the queue is full, or a connection
//    could not be opened; other values are SQLite statuses of the helper
//    layer (qe/sqlite/result.h).
//  - Threads: posting, cancelling and waiting may run on any host thread.
//    The object's fields are fixed at construction. The pipeline's set-up
//    and dismantling are serialised by one process-wide mutex (the pipeline
//    mutex, in project_thumb_db.cpp), held by a post until its request is
//    queued. Lock order: the pipeline mutex, then the reading queue's mutex,
//    then the master's mutex. Callbacks run on reader threads under the
//    reading queue's mutex (see IQeProjectThumbReadyCallback).
#pragma once

#include <cstdint>
#include <list>

#include "qe/core/string.h"
#include "qe/picture/image_file.h"
#include "qe/picture/image_format.h"
#include "qe/queue/queue_thread.h"
#include "qe/thumbdb/project_thumb.h"

struct sqlite3;

class CQeProjectThumbDb : public IQeParallelProcessingQueueThreadFactory {
 public:
  static constexpr const wchar_t* kReadingQueueName = L"CQeProjectThumbDb::ReadingQueue";
  static constexpr const wchar_t* kCallbackQueueName = L"CQeProjectThumbDb::CallbackVirtualQueue";
  // Readers per pipeline.
  static constexpr unsigned int kMaxReaders = 2;

  // Keeps the three values (formatManager is not owned and must outlive the
  // object; capacity bounds the reading queue), then opens the file once
  // with DbConnect and closes it, so that it exists with the current
  // version before any request runs.
  CQeProjectThumbDb(const wchar_t* path, IQeImageFormatManager* formatManager, int capacity);
  // Dismantles the pipeline (whoever created it): stops the readers, waits
  // until they have ended (a request being processed is still delivered),
  // and unregisters the reading queue, then the callback queue. Requests
  // still queued are released without callbacks.
  ~CQeProjectThumbDb();
  CQeProjectThumbDb(const CQeProjectThumbDb&) = delete;
  CQeProjectThumbDb& operator=(const CQeProjectThumbDb&) = delete;

  // A new connection to the file (DbConnect), or null. Close it with
  // DbCloseConnection.
  sqlite3* DbOpenConnection();
  static void DbCloseConnection(sqlite3* db);
  CQeStringW DbFilename() const { return path_; }
  IQeImageFormatManager* FormatManagerGet() const { return formatManager_; }
  int Capacity() const { return capacity_; }

  // Copies the whole thumbnail database into target (a connection the
  // caller owns) in steps of 1000 pages with 250 ms pauses. Returns the
  // backup's status, or -9 when the file cannot be opened.
  int BackupTo(sqlite3* target);
  // Deletes everything stored for a run (its frames and pictures go by
  // cascade). Returns the statement's status, or -9 when the file cannot be
  // opened.
  int Clear(const wchar_t* jobrunUuid);
  // Deletes the listed frames of a run with their pictures. An empty list
  // returns 0 and opens nothing. Statuses as above.
  int Clear(const wchar_t* jobrunUuid, const std::list<unsigned int>& frameIndices);

  // Queues a thumbnail (128 pixels) or preview (512 pixels) request for
  // frame frameIndex of run jobrunUuid, whose picture is frame fileSeqIndex
  // of fileName. Its callback is called once, on a reader thread, with
  // requestId handed back unchanged. Returns 0 when queued, and also when a
  // request with the same uuid, frame index, callback and request id is
  // already queued (the new one is dropped); -4 without a callback; -1
  // without a queue master; -9 when the reading queue is full (nothing is
  // queued; posts never wait).
  int PostThumbRequest(const wchar_t* jobrunUuid, int frameIndex, const wchar_t* fileName,
                       int fileSeqIndex, IQeProjectThumbReadyCallback* callback, int64_t requestId);
  int PostPreviewRequest(const wchar_t* jobrunUuid, int frameIndex, const wchar_t* fileName,
                         int fileSeqIndex, IQeProjectThumbReadyCallback* callback,
                         int64_t requestId);
  // Forgets the queued requests of callback and silences the one a reader
  // may be processing (CQeProjectThumbQueue::RemoveCallbacks). Once it
  // returns, callback is not called any more. Nothing without a pipeline.
  void CancelRequests(IQeProjectThumbReadyCallback* callback);
  // Returns once no request is queued or being processed (polls every
  // millisecond). At once without a pipeline. Never call it from a callback.
  void WaitUntilEmpty();

  // The reader factory: a new CQeProjectThumbReader for this object's file.
  // Called by the master under the reading queue's and its own mutex; it
  // only constructs.
  CQeRefCountPtr<IQeParallelProcessingQueueThread> CreateQueueThread(
      IQeParallelProcessingQueue* source, IQeParallelProcessingQueue* destination,
      int timeout) override;

  // A thumbnail request (no callback, request id 0) whose picture is read
  // at once from frame fileSeqIndex of the already open file. No queue and
  // no database are involved. The request, or null when the frame could not
  // be read.
  CQeRefCountPtr<CQeProjectThumb> CreateThumbnailFromFile(const wchar_t* jobrunUuid, int frameIndex,
                                                          const wchar_t* fileName, int fileSeqIndex,
                                                          IQeInputImageFile* file);

 private:
  int PostRequest(CQeProjectThumb::EQeType type, const wchar_t* jobrunUuid, int frameIndex,
                  const wchar_t* fileName, int fileSeqIndex, IQeProjectThumbReadyCallback* callback,
                  int64_t requestId);
  // Runs sql on a connection of its own: the status, or -9 without one.
  int ExecuteOnOwnConnection(const CQeStringW& sql);

  const int capacity_;
  const CQeStringW path_;
  IQeImageFormatManager* const formatManager_;
};
