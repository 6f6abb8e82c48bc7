// Worker threads of the processing queues and their factories.
//
// Conventions:
//  - A worker is a counted object that belongs to one source queue and
//    optionally one destination queue (it holds a reference to each). It
//    runs its loop on a detached POSIX thread started by Start.
//  - Workers are normally created by a factory on demand of the queue master
//    (qe/queue/queue_master.h), which keeps the only long-lived reference and
//    drops it when the worker's loop has ended.
//  - The loop ends when a Wait on the source queue returns null: the worker
//    was stopped, its timeout is 0 and nothing matched, or a timed wait of
//    `timeout` seconds ran out while the source queue was empty.
//  - Statuses: 0 success; -9 the POSIX thread could not be created.
#pragma once

#include <pthread.h>

#include <condition_variable>
#include <mutex>

#include "qe/core/refcount.h"
#include "qe/queue/queue.h"

class IQeParallelProcessingQueueThread : public IQeRefCount, public IQeGetInterface {
 public:
  // Sets the running flag and starts the loop on a detached thread. 0 or -9.
  virtual int Start() = 0;
  // Clears the running flag; wakes nobody (broadcast the source queue's
  // conditions afterwards, as the master's QueueStopAllThreads does).
  virtual void Stop() = 0;
  // The worker's loop; returns null.
  virtual void* Run() = 0;
  // Returns once the loop started by Start has returned (at once when the
  // worker was never started). Never call it from the worker's own thread.
  virtual void Join() = 0;

 protected:
  virtual ~IQeParallelProcessingQueueThread() = default;
};

// Makes workers of one kind. Factories are stateless static objects, not
// counted; the master keeps plain pointers to them. The master calls
// CreateQueueThread under the pushing queue's mutex and its own, so a
// factory only constructs: it must not call a queue or the master.
class IQeParallelProcessingQueueThreadFactory {
 public:
  // A new worker (count 1, owned by the returned pointer) reading `source`
  // and writing `destination` (may be null) with the idle `timeout` in
  // seconds; null when `source` is null.
  virtual CQeRefCountPtr<IQeParallelProcessingQueueThread> CreateQueueThread(
      IQeParallelProcessingQueue* source, IQeParallelProcessingQueue* destination, int timeout) = 0;

 protected:
  ~IQeParallelProcessingQueueThreadFactory() = default;
};

// Common part of the worker kinds (qe/queue/queue_workers.h). Shared by the
// thread that runs the loop, the master's threads (Start, Stop) and any
// holder of a reference. running_ is read and written atomically (through
// std::atomic_ref, since Wait takes it as bool&); runMutex_ guards
// runEnded_; everything else is fixed at construction. The worker takes no
// lock of its own around queue calls; the lock order is that of the queues
// (source, destination, master).
//
// A started thread holds a reference of its own, released as the very last
// step of the thread procedure, so the worker outlives its loop even when
// its other holders let go early.
class CQeQThreadBase : public IQeParallelProcessingQueueThread, public CQeRefCounted {
 public:
  QE_IMPLEMENT_REFCOUNT

  // Answers "CQeQThreadBase"; null for every other name.
  void* GetInterface(const wchar_t* name) override;
  // Sets running, then creates the detached thread running ThreadProc.
  // Returns 0, or -9 (running cleared again) when the thread cannot be created.
  int Start() override;
  void Stop() override;
  void Join() override;

  bool IsRunning() const;
  int Timeout() const { return timeout_; }
  IQeParallelProcessingQueue* SourceQueue() const { return source_.Get(); }
  IQeParallelProcessingQueue* DestinationQueue() const { return destination_.Get(); }
  // The master of the source queue when the worker was constructed (may be null).
  IQeParallelProcessingQueueMaster* Master() const { return master_; }

 protected:
  // `source` must not be null; `destination` may be.
  CQeQThreadBase(IQeParallelProcessingQueue* source, IQeParallelProcessingQueue* destination,
                 int timeout);
  ~CQeQThreadBase() override = default;

  // Hooks around the loop, run on the worker's thread: acquire and release
  // per-thread resources here. Empty in every kind of this framework.
  virtual void RunBegin() {}
  virtual void RunEnd() {}

  // The running flag, for a loop of a derived class to pass to Wait as its
  // keepWaiting argument. Access it only through std::atomic_ref (Wait,
  // IsRunning and Stop do).
  bool& RunningFlag() { return running_; }

  // The loop of the processing kinds: take an item (mode, state 2 -> 1),
  // Process it outside every lock, then SetState(item, afterQueue,
  // afterState, afterRemove) on the source; repeat while running.
  void* RunProcessingLoop(unsigned int mode, IQeParallelProcessingQueue* afterQueue,
                          unsigned int afterState, bool afterRemove);
  // The loop of the transporting kinds: take a processed item (mode,
  // state 0), push it into the destination as 2 and erase it, in one locked
  // step; repeat while running.
  void* RunTransportingLoop(unsigned int mode);

 private:
  // Runs Run, marks the loop ended, removes the worker from its master,
  // then releases the thread's own reference.
  static void* ThreadProc(void* argument);

  bool running_ = false;
  pthread_t thread_{};
  const int timeout_;
  const CQeRefCountPtr<IQeParallelProcessingQueue> source_;
  const CQeRefCountPtr<IQeParallelProcessingQueue> destination_;
  IQeParallelProcessingQueueMaster* const master_;
  std::mutex runMutex_;
  std::condition_variable runEndedChanged_;
  bool started_ = false;   // guarded by runMutex_
  bool runEnded_ = false;  // guarded by runMutex_
};
