// The thumbnail database object: the process-wide request pipeline.
#include "qe/thumbdb/project_thumb_db.h"

#include <mutex>

#include "qe/core/status.h"
#include "qe/queue/queue_master.h"
#include "qe/sqlite/connection.h"
#include "qe/thumbdb/thumb_queues.h"
#include "qe/thumbdb/thumb_reader.h"

namespace {

// The pipeline mutex: serialises building the pipeline (so concurrent posts
// never create a queue twice), posting into it and dismantling it (so a post
// never pushes into a queue that is being taken apart). Lock order: this
// mutex, then the reading queue's mutex, then the master's. Never destroyed:
// a CQeProjectThumbDb may be destroyed by another static destructor.
std::mutex& PipelineMutex() {
  static auto* mutex = new std::mutex;
  return *mutex;
}

// The duplicate test of a post: same uuid, frame index, callback and
// request id (type and file name are not compared).
struct SQePredicate : IQeParallelProcessingQueueItemPredicate {
  SQePredicate(const wchar_t* uuid, int frame, IQeProjectThumbReadyCallback* readyCallback,
               int64_t id)
      : jobrunUuid(uuid), frameIndex(frame), callback(readyCallback), requestId(id) {}

  bool Matches(IQeParallelProcessingQueueItem* item) override {
    auto* request =
        item ? static_cast<CQeProjectThumb*>(item->GetInterface(L"CQeProjectThumb")) : nullptr;
    return request && request->JobrunUuid() == jobrunUuid && request->FrameIndex() == frameIndex &&
           request->Callback() == callback && request->RequestId() == requestId;
  }

  const wchar_t* jobrunUuid;
  int frameIndex;
  IQeProjectThumbReadyCallback* callback;
  int64_t requestId;
};

}  // namespace

CQeProjectThumbDb::CQeProjectThumbDb(const wchar_t* path, IQeImageFormatManager* formatManager,
                                     int capacity)
    : capacity_(capacity), path_(path), formatManager_(formatManager) {
  DbCloseConnection(CQeProjectThumbReader::DbConnect(path_));
}

CQeProjectThumbDb::~CQeProjectThumbDb() {
  IQeParallelProcessingQueueMaster* master = CQeProcessingQMaster::GetSharedObject();
  if (!master) return;
  // Held while the readers are joined: a reader never takes it, and
  // callbacks may not post, so nothing waits for this thread.
  std::lock_guard<std::mutex> lock(PipelineMutex());
  for (const wchar_t* name : {kReadingQueueName, kCallbackQueueName}) {
    CQeRefCountPtr<IQeParallelProcessingQueue> queue = master->QueueGet(name);
    if (!queue) continue;
    master->QueueStopAllThreads(queue);
    master->QueueJoinAllThreads(queue);
    master->QueueRemove(queue);
  }
}

int CQeProjectThumbDb::PostThumbRequest(const wchar_t* jobrunUuid, int frameIndex,
                                        const wchar_t* fileName, int fileSeqIndex,
                                        IQeProjectThumbReadyCallback* callback, int64_t requestId) {
  return PostRequest(CQeProjectThumb::eThumbnail, jobrunUuid, frameIndex, fileName, fileSeqIndex,
                     callback, requestId);
}

int CQeProjectThumbDb::PostPreviewRequest(const wchar_t* jobrunUuid, int frameIndex,
                                          const wchar_t* fileName, int fileSeqIndex,
                                          IQeProjectThumbReadyCallback* callback,
                                          int64_t requestId) {
  return PostRequest(CQeProjectThumb::ePreview, jobrunUuid, frameIndex, fileName, fileSeqIndex,
                     callback, requestId);
}

int CQeProjectThumbDb::PostRequest(CQeProjectThumb::EQeType type, const wchar_t* jobrunUuid,
                                   int frameIndex, const wchar_t* fileName, int fileSeqIndex,
                                   IQeProjectThumbReadyCallback* callback, int64_t requestId) {
  if (!callback) return eQeMissingArgument;
  IQeParallelProcessingQueueMaster* master = CQeProcessingQMaster::GetSharedObject();
  if (!master) return eQeNoPathOrTooNew;
  try {
    std::lock_guard<std::mutex> lock(PipelineMutex());
    CQeRefCountPtr<IQeParallelProcessingQueue> callbackQueue = master->QueueGet(kCallbackQueueName);
    if (!callbackQueue) {
      callbackQueue = CQeProjectThumbVirtualQueue::Create();
      if (!callbackQueue) return eQeNoPathOrTooNew;
      master->QueueInsert(callbackQueue, kCallbackQueueName);
    }
    CQeRefCountPtr<IQeParallelProcessingQueue> readingQueue = master->QueueGet(kReadingQueueName);
    if (!readingQueue) {
      readingQueue = CQeProjectThumbQueue::Create(capacity_ < 0 ? 0u : unsigned(capacity_));
      if (!readingQueue) return eQeNoPathOrTooNew;
      master->QueueInsert(readingQueue, kReadingQueueName);
      master->ThreadFactoryAssign(this, kMaxReaders, readingQueue, callbackQueue);
    }
    SQePredicate predicate(jobrunUuid ? jobrunUuid : L"", frameIndex, callback, requestId);
    CQeRefCountPtr<CQeProjectThumb> request = CQeProjectThumb::Create(
        type, jobrunUuid, frameIndex, fileName, fileSeqIndex, this, callback, requestId);
    if (!request) return eQeFailed;
    return readingQueue->PushBackIfNotAlreadyIn(request, eQItemQueued, &predicate, 0);
  } catch (const std::exception&) {
    return eQeFailed;
  }
}

void CQeProjectThumbDb::CancelRequests(IQeProjectThumbReadyCallback* callback) {
  IQeParallelProcessingQueueMaster* master = CQeProcessingQMaster::GetSharedObject();
  if (!master) return;
  CQeRefCountPtr<IQeParallelProcessingQueue> queue = master->QueueGet(kReadingQueueName);
  if (!queue) return;
  if (auto* readingQueue =
          static_cast<CQeProjectThumbQueue*>(queue->GetInterface(L"CQeProjectThumbQueue"))) {
    readingQueue->RemoveCallbacks(callback);
  }
}

void CQeProjectThumbDb::WaitUntilEmpty() {
  IQeParallelProcessingQueueMaster* master = CQeProcessingQMaster::GetSharedObject();
  if (!master) return;
  CQeRefCountPtr<IQeParallelProcessingQueue> queue = master->QueueGet(kReadingQueueName);
  if (queue) queue->WaitUntilEmpty();
}

CQeRefCountPtr<IQeParallelProcessingQueueThread> CQeProjectThumbDb::CreateQueueThread(
    IQeParallelProcessingQueue* source, IQeParallelProcessingQueue* destination, int timeout) {
  return CQeProjectThumbReader::Create(path_, source, destination, timeout);
}

CQeRefCountPtr<CQeProjectThumb> CQeProjectThumbDb::CreateThumbnailFromFile(
    const wchar_t* jobrunUuid, int frameIndex, const wchar_t* fileName, int fileSeqIndex,
    IQeInputImageFile* file) {
  CQeRefCountPtr<CQeProjectThumb> request =
      CQeProjectThumb::Create(CQeProjectThumb::eThumbnail, jobrunUuid, frameIndex, fileName,
                              fileSeqIndex, this, nullptr, 0);
  if (!request) return nullptr;
  request->result_ = request->FileLoadThumbnail(file);
  if (request->result_ != eQeOk) return nullptr;
  return request;
}
