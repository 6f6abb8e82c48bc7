// The callback queue of the thumbnail pipeline: a queue in name only, whose
// push hands the request to its callback.
#include <cwchar>
#include <new>

#include "qe/thumbdb/thumb_queues.h"

CQeRefCountPtr<CQeProjectThumbVirtualQueue> CQeProjectThumbVirtualQueue::Create() {
  return CQeRefCountPtr<CQeProjectThumbVirtualQueue>::Adopt(new (std::nothrow)
                                                                CQeProjectThumbVirtualQueue());
}

void* CQeProjectThumbVirtualQueue::GetInterface(const wchar_t* name) {
  if (name && std::wcscmp(name, L"CQeProjectThumbVirtualQueue") == 0) {
    return static_cast<CQeProjectThumbVirtualQueue*>(this);
  }
  return nullptr;
}

void CQeProjectThumbVirtualQueue::QueueMasterSet(IQeParallelProcessingQueueMaster* master) {
  master_.store(master);
}

IQeParallelProcessingQueueMaster* CQeProjectThumbVirtualQueue::QueueMasterGet() {
  return master_.load();
}

int CQeProjectThumbVirtualQueue::PushBack(CQeRefCountPtr<IQeParallelProcessingQueueItem> item,
                                          unsigned int state, int timeout) {
  return PushBackIfNotAlreadyIn(std::move(item), state, nullptr, timeout);
}

int CQeProjectThumbVirtualQueue::PushBackIfNotAlreadyIn(
    CQeRefCountPtr<IQeParallelProcessingQueueItem> item, unsigned int /*state*/,
    IQeParallelProcessingQueueItemPredicate* /*predicate*/, int /*timeout*/) {
  if (!item) return 0;
  // The reader pushes here from the reading queue's SetState, with the
  // reading queue's mutex held, and the callback runs inside that locked
  // step on purpose: taking the request out of the reading queue and
  // delivering it are one step for CancelRequests, which takes the same
  // mutex, so once a cancel returns no callback of that object can still be
  // on its way.
  if (auto* request = static_cast<CQeProjectThumb*>(item->GetInterface(L"CQeProjectThumb"))) {
    request->InvokeReadyCallback();
  }
  return 0;
}

CQeRefCountPtr<IQeParallelProcessingQueueItem> CQeProjectThumbVirtualQueue::Wait(
    unsigned int, unsigned int, int, bool&, IQeParallelProcessingQueue*, unsigned int, bool) {
  return nullptr;
}

CQeRefCountPtr<IQeParallelProcessingQueueItem> CQeProjectThumbVirtualQueue::SetState(
    IQeParallelProcessingQueueItem*, IQeParallelProcessingQueue*, unsigned int, bool) {
  return nullptr;
}

void CQeProjectThumbVirtualQueue::WaitUntilEmpty() {}

void CQeProjectThumbVirtualQueue::BroadcastAllConditions() {}
