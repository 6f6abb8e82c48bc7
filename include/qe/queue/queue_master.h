// The queue master: the registry of queues, worker factories and live
// workers, and the holder that registers queues for a scope.
//
// Conventions:
//  - Set-up: create the queues, QueueInsert each (with a name to find it
//    again), then ThreadFactoryAssign factories to them. Workers are created
//    only when a registered queue grows: every push starts at most one new
//    worker per assigned factory, never more live workers than queued items
//    or than the factory entry's maxThreads.
//  - Shut-down of a queue: QueueStopAllThreads, QueueJoinAllThreads, then
//    QueueRemove; upstream queues before the queues they feed. Removing a
//    queue whose workers still run drops the master's references to them.
//  - Look-ups of names or queues that are not registered return null or do
//    nothing.
//  - One master is shared by the whole process (GetSharedObject); separate
//    masters may be constructed for private pipelines.
#pragma once

#include <pthread.h>

#include <list>
#include <vector>

#include "qe/core/refcount.h"
#include "qe/core/string.h"
#include "qe/queue/queue.h"
#include "qe/queue/queue_thread.h"

// Not counted: a master lives as long as its owner (the shared one until
// process exit).
class IQeParallelProcessingQueueMaster : public IQeGetInterface {
 public:
  // Registers `queue` under `name` (may be null) and sets its master. A
  // second insert of the same queue or name adds a second entry; look-ups
  // find the first.
  virtual void QueueInsert(CQeRefCountPtr<IQeParallelProcessingQueue> queue,
                           const wchar_t* name) = 0;
  // queue->WaitUntilEmpty(), without the master's lock.
  virtual void QueueWaitUntilEmpty(CQeRefCountPtr<IQeParallelProcessingQueue> queue) = 0;
  // Stops every worker of the queue, then broadcasts its conditions so that
  // waiting workers see it.
  virtual void QueueStopAllThreads(CQeRefCountPtr<IQeParallelProcessingQueue> queue) = 0;
  // Returns once every worker of the queue has removed itself (polls every
  // 30 milliseconds, unlocked between polls); at once for an unregistered queue.
  virtual void QueueJoinAllThreads(CQeRefCountPtr<IQeParallelProcessingQueue> queue) = 0;
  // Forgets the first entry of `queue`: clears its master and drops the
  // registration's references to the queue, its factory entries and workers.
  virtual void QueueRemove(CQeRefCountPtr<IQeParallelProcessingQueue> queue) = 0;
  // Called by a registered queue under its own mutex at every push; starts
  // workers by the growth rule. newSize 0 changes nothing.
  virtual void QueueGrowing(IQeParallelProcessingQueue* queue, unsigned int newSize) = 0;
  // The first queue registered under `name` (string equality), or null.
  virtual CQeRefCountPtr<IQeParallelProcessingQueue> QueueGet(const wchar_t* name) = 0;
  // Assigns `factory` (not counted; must outlive the assignment) to the
  // registered `source` with its `destination` (may be null) and an upper
  // bound of live workers. Starts no worker. Ignored for an unregistered source.
  virtual void ThreadFactoryAssign(IQeParallelProcessingQueueThreadFactory* factory,
                                   unsigned int maxThreads,
                                   CQeRefCountPtr<IQeParallelProcessingQueue> source,
                                   CQeRefCountPtr<IQeParallelProcessingQueue> destination) = 0;
  // Called by a worker's thread when its loop has ended: drops the master's
  // reference to `thread` from every list that holds it.
  virtual void ThreadRemoveAndDestroy(IQeParallelProcessingQueueThread* thread) = 0;

 protected:
  ~IQeParallelProcessingQueueMaster() = default;
};

// The master. Shared by every thread that pushes into a registered queue,
// sets up or shuts down queues, or ends a worker; mutex_ guards queues_ and
// everything inside it. Lock order: the master's mutex comes last. A queue
// holds its own mutex when it reports growth, so the master never takes a
// queue's mutex while holding mutex_: it only stores a queue's master
// pointer under it, broadcasts after unlocking, and releases dropped
// references after unlocking. Creating and starting a worker (the growth
// rule) runs under both the pushing queue's mutex and mutex_.
//
// A worker whose Start fails is removed from its list at once, so it
// neither counts towards maxThreads nor keeps QueueJoinAllThreads waiting.
class CQeProcessingQMaster : public IQeParallelProcessingQueueMaster {
 public:
  // The process-wide master, constructed on first use (thread-safe) and
  // destroyed at process exit.
  static CQeProcessingQMaster* GetSharedObject();

  CQeProcessingQMaster();
  // Clears the master pointer of the registered queues, destroys the mutex,
  // then the lists (releasing queue and worker references) without
  // stopping anything.
  virtual ~CQeProcessingQMaster();
  CQeProcessingQMaster(const CQeProcessingQMaster&) = delete;
  CQeProcessingQMaster& operator=(const CQeProcessingQMaster&) = delete;

  // Answers "CQeProcessingQMaster"; null for every other name.
  void* GetInterface(const wchar_t* name) override;
  void QueueInsert(CQeRefCountPtr<IQeParallelProcessingQueue> queue, const wchar_t* name) override;
  void QueueWaitUntilEmpty(CQeRefCountPtr<IQeParallelProcessingQueue> queue) override;
  void QueueStopAllThreads(CQeRefCountPtr<IQeParallelProcessingQueue> queue) override;
  void QueueJoinAllThreads(CQeRefCountPtr<IQeParallelProcessingQueue> queue) override;
  void QueueRemove(CQeRefCountPtr<IQeParallelProcessingQueue> queue) override;
  void QueueGrowing(IQeParallelProcessingQueue* queue, unsigned int newSize) override;
  CQeRefCountPtr<IQeParallelProcessingQueue> QueueGet(const wchar_t* name) override;
  void ThreadFactoryAssign(IQeParallelProcessingQueueThreadFactory* factory,
                           unsigned int maxThreads,
                           CQeRefCountPtr<IQeParallelProcessingQueue> source,
                           CQeRefCountPtr<IQeParallelProcessingQueue> destination) override;
  void ThreadRemoveAndDestroy(IQeParallelProcessingQueueThread* thread) override;

  // The number of live workers of every factory entry of the first entry of
  // `queue` (0 when it is not registered). A diagnostic.
  unsigned int QueueCountThreads(IQeParallelProcessingQueue* queue);
  // The idle timeout in seconds that the growth rule gives the next worker
  // of a factory entry that has `liveWorkers` workers: 30 / max(n, 1), at least 1.
  static int GrowthTimeout(unsigned int liveWorkers);

 private:
  using ThreadRef = CQeRefCountPtr<IQeParallelProcessingQueueThread>;
  using QueueRef = CQeRefCountPtr<IQeParallelProcessingQueue>;

  // One factory assigned to a queue.
  struct SQeFItem {
    IQeParallelProcessingQueueThreadFactory* factory = nullptr;
    QueueRef destination;
    unsigned int maxThreads = 0;
    std::list<ThreadRef> threads;  // the master's references to the live workers

    unsigned int CountAllThreads() const { return static_cast<unsigned int>(threads.size()); }
    void StopAllThreads();
  };
  // One registered queue.
  struct SQeQItem {
    CQeStringW name;
    QueueRef queue;
    std::list<SQeFItem> factories;

    unsigned int CountAllThreads() const;
    void StopAllThreads();
  };

  // The first entry of `queue`; the caller holds mutex_.
  std::list<SQeQItem>::iterator FindLocked(IQeParallelProcessingQueue* queue);
  // The growth rule for one factory entry; the caller holds mutex_.
  void GrowLocked(SQeFItem& entry, IQeParallelProcessingQueue* queue, unsigned int newSize);

  // Guarded by mutex_. Declared before the mutex, so that destruction goes
  // mutex first, then the lists.
  std::list<SQeQItem> queues_;
  pthread_mutex_t mutex_;
};

// Registers queues with a master (the shared one unless another is given)
// and removes them again, in insertion order, when destroyed. It neither
// stops nor joins workers: its owner does that first. Not thread-safe: one
// thread owns a holder.
class CQeCQeProcessingQMasterHolder {
 public:
  CQeCQeProcessingQMasterHolder();
  explicit CQeCQeProcessingQMasterHolder(IQeParallelProcessingQueueMaster* master);
  ~CQeCQeProcessingQMasterHolder();
  // Copies the list: each copy removes the queues again when destroyed
  // (removing a queue that is no longer registered does nothing).
  CQeCQeProcessingQMasterHolder(const CQeCQeProcessingQMasterHolder& other) = default;
  CQeCQeProcessingQMasterHolder& operator=(const CQeCQeProcessingQMasterHolder&) = delete;

  // Registers `queue` with a null name and remembers it.
  void QueueInsert(CQeRefCountPtr<IQeParallelProcessingQueue> queue);
  void ThreadFactoryAssign(IQeParallelProcessingQueueThreadFactory* factory,
                           unsigned int maxThreads,
                           CQeRefCountPtr<IQeParallelProcessingQueue> source,
                           CQeRefCountPtr<IQeParallelProcessingQueue> destination);
  IQeParallelProcessingQueueMaster* Master() const { return master_; }

 private:
  IQeParallelProcessingQueueMaster* master_;
  std::vector<CQeRefCountPtr<IQeParallelProcessingQueue>> queues_;
};
