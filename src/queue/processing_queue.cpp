#include <cerrno>
#include <chrono>
#include <ctime>
#include <cwchar>
#include <new>
#include <thread>

#include "qe/core/status.h"
#include "qe/queue/queue.h"
#include "qe/queue/queue_master.h"

namespace {

bool KeepWaiting(bool& keepWaiting) {
  return std::atomic_ref<bool>(keepWaiting).load(std::memory_order_acquire);
}

}  // namespace

CQeRefCountPtr<CQeProcessingQueue> CQeProcessingQueue::Create(unsigned int capacity) {
  return CQeRefCountPtr<CQeProcessingQueue>::Adopt(new (std::nothrow) CQeProcessingQueue(capacity));
}

CQeProcessingQueue::CQeProcessingQueue(unsigned int capacity) : capacity_(capacity) {
  pthread_mutex_init(&mutex_, nullptr);
  pthread_cond_init(&itemPushed_, nullptr);
  pthread_cond_init(&stateChanged_, nullptr);
  pthread_cond_init(&spaceFreed_, nullptr);
}

CQeProcessingQueue::~CQeProcessingQueue() {
  // The list (and with it the items) goes after this body, when the members
  // are destroyed.
  pthread_mutex_destroy(&mutex_);
  pthread_cond_destroy(&itemPushed_);
  pthread_cond_destroy(&stateChanged_);
  pthread_cond_destroy(&spaceFreed_);
}

CQeProcessingQueue::CQeQueueLock::CQeQueueLock(CQeProcessingQueue& queue) : queue_(queue) {
  pthread_mutex_lock(&queue_.mutex_);
}

CQeProcessingQueue::CQeQueueLock::~CQeQueueLock() { Unlock(); }

void CQeProcessingQueue::CQeQueueLock::Unlock() {
  if (locked_) {
    locked_ = false;
    pthread_mutex_unlock(&queue_.mutex_);
  }
}

void* CQeProcessingQueue::GetInterface(const wchar_t* name) {
  if (name && std::wcscmp(name, L"CQeProcessingQueue") == 0) {
    return static_cast<CQeProcessingQueue*>(this);
  }
  return nullptr;
}

void CQeProcessingQueue::QueueMasterSet(IQeParallelProcessingQueueMaster* master) {
  master_.store(master);
}

IQeParallelProcessingQueueMaster* CQeProcessingQueue::QueueMasterGet() { return master_.load(); }

int CQeProcessingQueue::PushBack(CQeRefCountPtr<IQeParallelProcessingQueueItem> item,
                                 unsigned int state, int timeout) {
  return PushBackIfNotAlreadyIn(std::move(item), state, nullptr, timeout);
}

int CQeProcessingQueue::PushBackIfNotAlreadyIn(CQeRefCountPtr<IQeParallelProcessingQueueItem> item,
                                               unsigned int state,
                                               IQeParallelProcessingQueueItemPredicate* predicate,
                                               int timeout) {
  if (!item) return eQeMissingArgument;
  CQeQueueLock lock(*this);
  if (predicate && AnyMatchLocked(predicate)) {
    // A duplicate still counts as demand: the master may start a worker
    // when fewer workers than queued items are live.
    ReportGrowthLocked(static_cast<unsigned int>(items_.size()));
    return eQeOk;
  }
  if (items_.size() >= capacity_) {
    // One wait only: a push that still finds the queue full fails rather
    // than queueing up behind other pushers.
    if (timeout == 0) return eQeFailed;
    if (WaitOnce(spaceFreed_, timeout)) return eQeFailed;
    if (items_.size() >= capacity_) return eQeFailed;
    if (predicate && AnyMatchLocked(predicate)) return eQeOk;
  }
  // The master may create and start a worker here; the lock order (queue,
  // then master) allows it, and the worker can only take the item once the
  // lock is released.
  ReportGrowthLocked(static_cast<unsigned int>(items_.size()) + 1);
  try {
    item->SetState(state);
    items_.push_back(std::move(item));
  } catch (const std::bad_alloc&) {
    return eQeFailed;
  }
  lock.Unlock();
  Signal(itemPushed_, itemPushedSignals_);
  return eQeOk;
}

CQeRefCountPtr<IQeParallelProcessingQueueItem> CQeProcessingQueue::Wait(
    unsigned int mode, unsigned int state, int timeout, bool& keepWaiting,
    IQeParallelProcessingQueue* nextQueue, unsigned int nextState, bool remove) {
  CQeQueueLock lock(*this);
  bool timedOut = false;
  ItemList::iterator candidate;
  for (;;) {
    candidate = Select(mode, state);
    if (candidate != items_.end() || !KeepWaiting(keepWaiting)) break;
    // A time-out while items of other states are queued does not end the
    // wait: the worker is still needed once they reach its state.
    if ((timedOut && items_.empty()) || timeout == 0) break;
    timedOut = WaitOnce(state == eQItemQueued ? itemPushed_ : stateChanged_, timeout);
  }
  CQeRefCountPtr<IQeParallelProcessingQueueItem> result;
  if (candidate == items_.end()) return result;
  result = *candidate;
  if (nextQueue) {
    // Pushed while this queue's mutex is held (lock order: this queue, the
    // next queue, the master), so the item is never in neither queue.
    nextQueue->PushBack(result, nextState, -1);
  } else {
    result->SetState(nextState);
  }
  if (remove) EraseLocked(candidate);
  return result;
}

void CQeProcessingQueue::WaitUntilEmpty() {
  for (;;) {
    {
      CQeQueueLock lock(*this);
      if (items_.empty()) return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

CQeRefCountPtr<IQeParallelProcessingQueueItem> CQeProcessingQueue::SetState(
    IQeParallelProcessingQueueItem* item, IQeParallelProcessingQueue* nextQueue,
    unsigned int nextState, bool remove) {
  CQeQueueLock lock(*this);
  auto entry = items_.begin();
  while (entry != items_.end() && entry->Get() != item) ++entry;
  CQeRefCountPtr<IQeParallelProcessingQueueItem> result;
  if (entry == items_.end() || !item) return result;
  result = *entry;
  bool signalStateChanged = false;
  if (nextQueue) {
    // Under this queue's mutex, as in Wait.
    nextQueue->PushBack(result, nextState, -1);
  } else {
    result->SetState(nextState);
    signalStateChanged = nextState == eQItemProcessed || nextState == eQItemQueued;
  }
  if (remove) EraseLocked(entry);
  lock.Unlock();
  if (signalStateChanged) Signal(stateChanged_, stateChangedSignals_);
  return result;
}

void CQeProcessingQueue::BroadcastAllConditions() {
  { CQeQueueLock lock(*this); }
  Broadcast(itemPushed_, itemPushedSignals_);
  Broadcast(stateChanged_, stateChangedSignals_);
  Broadcast(spaceFreed_, spaceFreedSignals_);
}

unsigned int CQeProcessingQueue::Size() {
  CQeQueueLock lock(*this);
  return static_cast<unsigned int>(items_.size());
}

SQeProcessingQueueCounters CQeProcessingQueue::Counters() const {
  SQeProcessingQueueCounters counters;
  counters.itemPushedSignals = itemPushedSignals_.load();
  counters.stateChangedSignals = stateChangedSignals_.load();
  counters.spaceFreedSignals = spaceFreedSignals_.load();
  counters.waits = waits_.load();
  counters.timeouts = timeouts_.load();
  return counters;
}

CQeProcessingQueue::ItemList::iterator CQeProcessingQueue::EraseLocked(ItemList::iterator entry) {
  if (items_.size() <= capacity_) Signal(spaceFreed_, spaceFreedSignals_);
  auto next = items_.erase(entry);
  Broadcast(itemPushed_, itemPushedSignals_);
  Broadcast(stateChanged_, stateChangedSignals_);
  return next;
}

CQeProcessingQueue::ItemList::iterator CQeProcessingQueue::Select(unsigned int mode,
                                                                  unsigned int state) {
  auto inState = [state](const CQeRefCountPtr<IQeParallelProcessingQueueItem>& entry) {
    return entry && entry->State() == state;
  };
  switch (mode) {
    case eWaitFront:
      if (!items_.empty() && inState(items_.front())) return items_.begin();
      break;
    case eWaitAny:
      for (auto entry = items_.begin(); entry != items_.end(); ++entry) {
        if (inState(*entry)) return entry;
      }
      break;
    case eWaitAll: {
      if (items_.empty()) break;
      for (const auto& entry : items_) {
        if (!inState(entry)) return items_.end();
      }
      return items_.begin();
    }
    default:
      break;
  }
  return items_.end();
}

bool CQeProcessingQueue::AnyMatchLocked(IQeParallelProcessingQueueItemPredicate* predicate) {
  for (const auto& entry : items_) {
    if (entry && predicate->Matches(entry.Get())) return true;
  }
  return false;
}

void CQeProcessingQueue::ReportGrowthLocked(unsigned int newSize) {
  if (IQeParallelProcessingQueueMaster* master = master_.load()) {
    master->QueueGrowing(this, newSize);
  }
}

bool CQeProcessingQueue::WaitOnce(pthread_cond_t& cond, int timeout) {
  waits_.fetch_add(1, std::memory_order_relaxed);
  if (timeout < 0) {
    pthread_cond_wait(&cond, &mutex_);
    return false;
  }
  timespec deadline{};
  deadline.tv_sec = std::time(nullptr) + timeout;
  deadline.tv_nsec = 0;
  if (pthread_cond_timedwait(&cond, &mutex_, &deadline) != ETIMEDOUT) return false;
  timeouts_.fetch_add(1, std::memory_order_relaxed);
  return true;
}

void CQeProcessingQueue::Signal(pthread_cond_t& cond, std::atomic<std::uint64_t>& counter) {
  counter.fetch_add(1, std::memory_order_relaxed);
  pthread_cond_signal(&cond);
}

void CQeProcessingQueue::Broadcast(pthread_cond_t& cond, std::atomic<std::uint64_t>& counter) {
  counter.fetch_add(1, std::memory_order_relaxed);
  pthread_cond_broadcast(&cond);
}
