#include "qe/queue/queue_master.h"

#include <algorithm>
#include <chrono>
#include <cwchar>
#include <iterator>
#include <new>
#include <thread>

namespace {

// Holds a POSIX mutex for a scope; Unlock and Lock in between for polls.
class CMutexLock {
 public:
  explicit CMutexLock(pthread_mutex_t& mutex) : mutex_(mutex) { pthread_mutex_lock(&mutex_); }
  ~CMutexLock() {
    if (locked_) pthread_mutex_unlock(&mutex_);
  }
  CMutexLock(const CMutexLock&) = delete;
  CMutexLock& operator=(const CMutexLock&) = delete;
  void Unlock() {
    locked_ = false;
    pthread_mutex_unlock(&mutex_);
  }
  void Lock() {
    pthread_mutex_lock(&mutex_);
    locked_ = true;
  }

 private:
  pthread_mutex_t& mutex_;
  bool locked_ = true;
};

}  // namespace

CQeProcessingQMaster* CQeProcessingQMaster::GetSharedObject() {
  static CQeProcessingQMaster shared;
  return &shared;
}

CQeProcessingQMaster::CQeProcessingQMaster() { pthread_mutex_init(&mutex_, nullptr); }

CQeProcessingQMaster::~CQeProcessingQMaster() {
  // Queues that outlive the master must not report growth to it any more.
  for (SQeQItem& entry : queues_) {
    if (entry.queue->QueueMasterGet() == this) entry.queue->QueueMasterSet(nullptr);
  }
  pthread_mutex_destroy(&mutex_);
}

void* CQeProcessingQMaster::GetInterface(const wchar_t* name) {
  if (name && std::wcscmp(name, L"CQeProcessingQMaster") == 0) {
    return static_cast<CQeProcessingQMaster*>(this);
  }
  return nullptr;
}

void CQeProcessingQMaster::QueueInsert(CQeRefCountPtr<IQeParallelProcessingQueue> queue,
                                       const wchar_t* name) {
  if (!queue) return;
  CMutexLock lock(mutex_);
  try {
    queues_.push_back(SQeQItem{CQeStringW(name), queue, {}});
  } catch (const std::bad_alloc&) {
    return;
  }
  // A plain store into the queue: no queue mutex is taken under mutex_.
  queue->QueueMasterSet(this);
}

void CQeProcessingQMaster::QueueWaitUntilEmpty(CQeRefCountPtr<IQeParallelProcessingQueue> queue) {
  if (queue) queue->WaitUntilEmpty();
}

void CQeProcessingQMaster::QueueStopAllThreads(CQeRefCountPtr<IQeParallelProcessingQueue> queue) {
  bool found = false;
  {
    CMutexLock lock(mutex_);
    auto entry = FindLocked(queue.Get());
    if (entry != queues_.end()) {
      found = true;
      entry->StopAllThreads();
    }
  }
  // After unlocking: the broadcast takes the queue's mutex, which ranks
  // before the master's.
  if (found) queue->BroadcastAllConditions();
}

void CQeProcessingQMaster::QueueJoinAllThreads(CQeRefCountPtr<IQeParallelProcessingQueue> queue) {
  CMutexLock lock(mutex_);
  for (;;) {
    // Found again on every pass: the entry may have been removed meanwhile.
    auto entry = FindLocked(queue.Get());
    if (entry == queues_.end() || entry->CountAllThreads() == 0) return;
    // Ending workers need mutex_ to remove themselves.
    lock.Unlock();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    lock.Lock();
  }
}

void CQeProcessingQMaster::QueueRemove(CQeRefCountPtr<IQeParallelProcessingQueue> queue) {
  std::list<SQeQItem> removed;
  {
    CMutexLock lock(mutex_);
    auto entry = FindLocked(queue.Get());
    if (entry == queues_.end()) return;
    entry->queue->QueueMasterSet(nullptr);
    removed.splice(removed.end(), queues_, entry);
  }
  // The entry's references (queue, destinations, workers) are dropped here,
  // outside the lock, so that no destructor runs under mutex_.
}

void CQeProcessingQMaster::QueueGrowing(IQeParallelProcessingQueue* queue, unsigned int newSize) {
  if (newSize == 0) return;
  CMutexLock lock(mutex_);
  auto entry = FindLocked(queue);
  if (entry == queues_.end()) return;
  for (SQeFItem& factoryEntry : entry->factories) GrowLocked(factoryEntry, queue, newSize);
}

CQeRefCountPtr<IQeParallelProcessingQueue> CQeProcessingQMaster::QueueGet(const wchar_t* name) {
  CMutexLock lock(mutex_);
  for (const SQeQItem& entry : queues_) {
    if (entry.name == name) return entry.queue;
  }
  return nullptr;
}

void CQeProcessingQMaster::ThreadFactoryAssign(
    IQeParallelProcessingQueueThreadFactory* factory, unsigned int maxThreads,
    CQeRefCountPtr<IQeParallelProcessingQueue> source,
    CQeRefCountPtr<IQeParallelProcessingQueue> destination) {
  if (!factory) return;
  CMutexLock lock(mutex_);
  auto entry = FindLocked(source.Get());
  if (entry == queues_.end()) return;
  try {
    SQeFItem factoryEntry;
    factoryEntry.factory = factory;
    factoryEntry.destination = std::move(destination);
    factoryEntry.maxThreads = maxThreads;
    entry->factories.push_back(std::move(factoryEntry));
  } catch (const std::bad_alloc&) {
  }
}

void CQeProcessingQMaster::ThreadRemoveAndDestroy(IQeParallelProcessingQueueThread* thread) {
  std::list<ThreadRef> removed;
  {
    CMutexLock lock(mutex_);
    for (SQeQItem& entry : queues_) {
      for (SQeFItem& factoryEntry : entry.factories) {
        auto found = std::find_if(factoryEntry.threads.begin(), factoryEntry.threads.end(),
                                  [thread](const ThreadRef& live) { return live.Get() == thread; });
        if (found != factoryEntry.threads.end()) {
          removed.splice(removed.end(), factoryEntry.threads, found);
        }
      }
    }
  }
  // The references go here, outside the lock; this normally destroys the worker.
}

unsigned int CQeProcessingQMaster::QueueCountThreads(IQeParallelProcessingQueue* queue) {
  CMutexLock lock(mutex_);
  auto entry = FindLocked(queue);
  return entry == queues_.end() ? 0 : entry->CountAllThreads();
}

int CQeProcessingQMaster::GrowthTimeout(unsigned int liveWorkers) {
  return std::max(30 / static_cast<int>(std::max(liveWorkers, 1u)), 1);
}

std::list<CQeProcessingQMaster::SQeQItem>::iterator CQeProcessingQMaster::FindLocked(
    IQeParallelProcessingQueue* queue) {
  return std::find_if(queues_.begin(), queues_.end(),
                      [queue](const SQeQItem& entry) { return entry.queue.Get() == queue; });
}

void CQeProcessingQMaster::GrowLocked(SQeFItem& entry, IQeParallelProcessingQueue* queue,
                                      unsigned int newSize) {
  const unsigned int live = entry.CountAllThreads();
  if (live >= newSize || live >= entry.maxThreads) return;
  // Called under the pushing queue's mutex and mutex_: the factory only
  // constructs, and Start only creates the thread; the new thread needs
  // mutex_ to remove itself, so it cannot end before this returns.
  ThreadRef worker =
      entry.factory->CreateQueueThread(queue, entry.destination.Get(), GrowthTimeout(live));
  if (!worker) return;
  try {
    entry.threads.push_back(worker);
  } catch (const std::bad_alloc&) {
    return;
  }
  // A worker that did not start would never remove itself: forget it now.
  if (worker->Start() != 0) entry.threads.pop_back();
}

void CQeProcessingQMaster::SQeFItem::StopAllThreads() {
  for (ThreadRef& thread : threads) {
    if (thread) thread->Stop();
  }
}

unsigned int CQeProcessingQMaster::SQeQItem::CountAllThreads() const {
  unsigned int count = 0;
  for (const SQeFItem& factoryEntry : factories) count += factoryEntry.CountAllThreads();
  return count;
}

void CQeProcessingQMaster::SQeQItem::StopAllThreads() {
  for (SQeFItem& factoryEntry : factories) factoryEntry.StopAllThreads();
}
