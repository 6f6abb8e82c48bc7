// Bounded processing queues.
//
// Conventions:
//  - A queue is a counted object created by CQeProcessingQueue::Create. It
//    holds one reference per queued item, in push order (front = oldest).
//  - Timeouts are in seconds: 0 = do not wait, negative = wait without a
//    limit, positive = one deadline of "now in whole calendar seconds plus
//    the timeout", so a timed wait lasts between timeout-1 and timeout seconds.
//  - Statuses: 0 success; -4 null item; -9 the queue stayed full.
//  - Lock order: a queue's mutex, then the next queue's mutex (pushes into a
//    next queue run under the source queue's mutex), then the master's mutex
//    (every push reports growth to the master under the queue's mutex).
//    Queues must therefore form chains without cycles.
#pragma once

#include <pthread.h>

#include <atomic>
#include <cstdint>
#include <list>

#include "qe/core/refcount.h"
#include "qe/queue/queue_item.h"

class IQeParallelProcessingQueueMaster;

// Selection modes of IQeParallelProcessingQueue::Wait.
enum EQeWaitMode : unsigned int {
  eWaitFront = 0,  // the front item, if it is in the requested state
  eWaitAny = 1,    // the first item in push order that is in the requested state
  eWaitAll = 2,    // the front item, if the queue is not empty and every item is in the state
};

class IQeParallelProcessingQueue : public IQeRefCount, public IQeGetInterface {
 public:
  // Plain store and load of the master pointer (not counted). The master
  // sets it on registration and clears it on removal.
  virtual void QueueMasterSet(IQeParallelProcessingQueueMaster* master) = 0;
  virtual IQeParallelProcessingQueueMaster* QueueMasterGet() = 0;

  // PushBackIfNotAlreadyIn without a predicate.
  virtual int PushBack(CQeRefCountPtr<IQeParallelProcessingQueueItem> item, unsigned int state,
                       int timeout) = 0;
  // Appends `item` with `state` unless `predicate` (may be null) matches a
  // queued item. On a full queue waits once (see the timeout convention).
  // Returns 0 when appended or when a match was found (the item is then not
  // queued), -9 when the queue stayed full (the caller keeps its reference).
  virtual int PushBackIfNotAlreadyIn(CQeRefCountPtr<IQeParallelProcessingQueueItem> item,
                                     unsigned int state,
                                     IQeParallelProcessingQueueItemPredicate* predicate,
                                     int timeout) = 0;
  // Selects an item by `mode` and `state` (EQeWaitMode), waiting while
  // `keepWaiting` is true and nothing is selected. The selected item is
  // pushed into `nextQueue` with `nextState` (blocking) when one is given,
  // otherwise given `nextState`; with `remove` it is then erased from this
  // queue. All of that happens in one locked step, so two callers never
  // take the same item. Returns the item, or null when nothing was selected:
  // keepWaiting false, timeout 0, or a timed wait ran out with the queue
  // empty. keepWaiting is read with atomic loads, so another thread may clear
  // it (with an atomic store) at any time; wake the waiter afterwards with
  // BroadcastAllConditions.
  virtual CQeRefCountPtr<IQeParallelProcessingQueueItem> Wait(unsigned int mode, unsigned int state,
                                                              int timeout, bool& keepWaiting,
                                                              IQeParallelProcessingQueue* nextQueue,
                                                              unsigned int nextState,
                                                              bool remove) = 0;
  // Returns once the queue is empty (polls every millisecond, unlocked between polls).
  virtual void WaitUntilEmpty() = 0;
  // For the queued entry that is `item`: pushes it into `nextQueue` with
  // `nextState` (blocking) or gives it `nextState`, then erases it when
  // `remove` is true. Returns the item, or null (and does nothing) when it
  // is not in this queue. A failed push into the next queue is not
  // reported; with `remove` the item is erased all the same.
  virtual CQeRefCountPtr<IQeParallelProcessingQueueItem> SetState(
      IQeParallelProcessingQueueItem* item, IQeParallelProcessingQueue* nextQueue,
      unsigned int nextState, bool remove) = 0;
  // Wakes every waiter of the queue's three conditions, so that workers
  // whose running flag was cleared re-check it.
  virtual void BroadcastAllConditions() = 0;

 protected:
  virtual ~IQeParallelProcessingQueue() = default;
};

// How often a queue signalled its conditions and waited on them, counted
// since creation. A diagnostic for tests and tuning; nothing depends on it.
struct SQeProcessingQueueCounters {
  std::uint64_t itemPushedSignals = 0;    // signals and broadcasts of the item-pushed condition
  std::uint64_t stateChangedSignals = 0;  // ... of the state-changed condition
  std::uint64_t spaceFreedSignals = 0;    // ... of the space-freed condition
  std::uint64_t waits = 0;                // condition waits begun (push and Wait)
  std::uint64_t timeouts = 0;             // timed condition waits that ran out
};

// The bounded queue. Shared by every thread that pushes, waits or changes
// states; mutex_ guards items_ and every state change of a queued item made
// through the queue. master_ and the counters are atomics. Lock order:
// mutex_, then a next queue's mutex, then the master's mutex; the three
// conditions are used with mutex_.
//
// Every erase of an entry (Wait or SetState with remove) also broadcasts
// the item-pushed and state-changed conditions: it may have brought a new
// item to the front, and a worker that takes front items only would
// otherwise sleep until the next push or the end of its timed wait.
//
// A push into a queue that has no master appends normally and skips the
// growth report.
class CQeProcessingQueue : public IQeParallelProcessingQueue, public CQeRefCounted {
 public:
  // A new empty queue without a master; pushes are accepted while size < capacity.
  static CQeRefCountPtr<CQeProcessingQueue> Create(unsigned int capacity);

  QE_IMPLEMENT_REFCOUNT

  // Answers "CQeProcessingQueue"; null for every other name.
  void* GetInterface(const wchar_t* name) override;
  void QueueMasterSet(IQeParallelProcessingQueueMaster* master) override;
  IQeParallelProcessingQueueMaster* QueueMasterGet() override;
  int PushBack(CQeRefCountPtr<IQeParallelProcessingQueueItem> item, unsigned int state,
               int timeout) override;
  int PushBackIfNotAlreadyIn(CQeRefCountPtr<IQeParallelProcessingQueueItem> item,
                             unsigned int state, IQeParallelProcessingQueueItemPredicate* predicate,
                             int timeout) override;
  CQeRefCountPtr<IQeParallelProcessingQueueItem> Wait(unsigned int mode, unsigned int state,
                                                      int timeout, bool& keepWaiting,
                                                      IQeParallelProcessingQueue* nextQueue,
                                                      unsigned int nextState, bool remove) override;
  void WaitUntilEmpty() override;
  CQeRefCountPtr<IQeParallelProcessingQueueItem> SetState(IQeParallelProcessingQueueItem* item,
                                                          IQeParallelProcessingQueue* nextQueue,
                                                          unsigned int nextState,
                                                          bool remove) override;
  // Takes and releases the mutex before broadcasting (item-pushed,
  // state-changed, space-freed, in that order, with the mutex released): a
  // waiter between its check of keepWaiting and its wait holds the mutex,
  // so it cannot miss the wake-up.
  void BroadcastAllConditions() override;

  unsigned int Capacity() const { return capacity_; }
  // The number of queued items (takes the mutex).
  unsigned int Size();
  SQeProcessingQueueCounters Counters() const;

 protected:
  using ItemList = std::list<CQeRefCountPtr<IQeParallelProcessingQueueItem>>;

  explicit CQeProcessingQueue(unsigned int capacity);
  ~CQeProcessingQueue() override;

  // Holds the queue's mutex for a scope; Unlock ends it early. For derived
  // queues that add operations over the list.
  class CQeQueueLock {
   public:
    explicit CQeQueueLock(CQeProcessingQueue& queue);
    ~CQeQueueLock();
    CQeQueueLock(const CQeQueueLock&) = delete;
    CQeQueueLock& operator=(const CQeQueueLock&) = delete;
    void Unlock();

   private:
    CQeProcessingQueue& queue_;
    bool locked_ = true;
  };

  // The list; the caller holds a CQeQueueLock.
  ItemList& ItemsLocked() { return items_; }
  // Erases one entry (the caller holds a CQeQueueLock): signals the
  // space-freed condition, erases, and wakes the waiters of the other two
  // conditions. Returns the entry after the erased one.
  ItemList::iterator EraseLocked(ItemList::iterator entry);

 private:
  // Selects the candidate of Wait; the caller holds the mutex.
  ItemList::iterator Select(unsigned int mode, unsigned int state);
  bool AnyMatchLocked(IQeParallelProcessingQueueItemPredicate* predicate);
  void ReportGrowthLocked(unsigned int newSize);
  // One wait on `cond`: timeout < 0 without a limit, otherwise until the
  // deadline now + timeout. Returns true when the wait timed out.
  bool WaitOnce(pthread_cond_t& cond, int timeout);
  void Signal(pthread_cond_t& cond, std::atomic<std::uint64_t>& counter);
  void Broadcast(pthread_cond_t& cond, std::atomic<std::uint64_t>& counter);

  const unsigned int capacity_;
  std::atomic<IQeParallelProcessingQueueMaster*> master_{nullptr};
  std::atomic<std::uint64_t> itemPushedSignals_{0};
  std::atomic<std::uint64_t> stateChangedSignals_{0};
  std::atomic<std::uint64_t> spaceFreedSignals_{0};
  std::atomic<std::uint64_t> waits_{0};
  std::atomic<std::uint64_t> timeouts_{0};
  // Guarded by mutex_. Declared before the conditions and the mutex, so that
  // destruction goes mutex, conditions, then the list (releasing the items).
  ItemList items_;
  pthread_cond_t itemPushed_;
  pthread_cond_t stateChanged_;
  pthread_cond_t spaceFreed_;
  pthread_mutex_t mutex_;
};
