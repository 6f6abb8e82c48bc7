// The reading queue of the thumbnail pipeline.
#include <cwchar>
#include <new>
#include <vector>

#include "qe/thumbdb/thumb_queues.h"

CQeRefCountPtr<CQeProjectThumbQueue> CQeProjectThumbQueue::Create(unsigned int capacity) {
  return CQeRefCountPtr<CQeProjectThumbQueue>::Adopt(new (std::nothrow)
                                                         CQeProjectThumbQueue(capacity));
}

CQeProjectThumbQueue::CQeProjectThumbQueue(unsigned int capacity) : CQeProcessingQueue(capacity) {}

void* CQeProjectThumbQueue::GetInterface(const wchar_t* name) {
  if (name && std::wcscmp(name, L"CQeProjectThumbQueue") == 0) {
    return static_cast<CQeProjectThumbQueue*>(this);
  }
  return CQeProcessingQueue::GetInterface(name);
}

void CQeProjectThumbQueue::RemoveCallbacks(IQeProjectThumbReadyCallback* callback) {
  if (!callback) return;
  // Declared before the lock, so that the removed requests are released
  // after the mutex: a request's destructor has no business under it.
  std::vector<CQeRefCountPtr<IQeParallelProcessingQueueItem>> removed;
  CQeQueueLock lock(*this);
  ItemList& items = ItemsLocked();
  for (auto entry = items.begin(); entry != items.end();) {
    auto* request = *entry
                        ? static_cast<CQeProjectThumb*>((*entry)->GetInterface(L"CQeProjectThumb"))
                        : nullptr;
    if (!request || request->Callback() != callback) {
      ++entry;
      continue;
    }
    if (request->State() == eQItemProcessing) {
      // A reader is working on it: it finishes and stores, but the delivery
      // (under this same mutex) finds no callback.
      request->ClearCallback();
      ++entry;
      continue;
    }
    try {
      removed.push_back(*entry);
    } catch (const std::bad_alloc&) {
      // Without room to defer the release, the request is released here, under the mutex.
    }
    entry = EraseLocked(entry);
  }
}
