// Shared fixtures of the queue tests: a counting work item, a sink queue
// that records what is pushed into it, a master that records the calls a
// queue makes, an idle worker kind with its factory, and bounded polling.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cwchar>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "qe/queue/queue.h"
#include "qe/queue/queue_master.h"
#include "qe/queue/queue_thread.h"
#include "qe/queue/queue_workers.h"

namespace qe::test {

// Polls `done` every millisecond until it holds or a generous limit passes.
inline bool Eventually(const std::function<bool()>& done,
                       std::chrono::seconds limit = std::chrono::seconds(60)) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

// A door that threads wait at until the test opens it.
class Gate {
 public:
  void Open() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      open_ = true;
    }
    changed_.notify_all();
  }
  // False when the door stayed shut for a generous limit.
  bool WaitOpen() {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(60), [this] { return open_; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool open_ = false;
};

// What the processing of a set of items saw. Thread-safe.
struct ProcessLog {
  std::mutex mutex;
  std::vector<std::pair<int, std::wstring>> entries;  // item id, worker class
  std::atomic<int> inFlight{0};
  std::atomic<int> maxInFlight{0};
  std::atomic<int> destroyed{0};
};

// A work item with an id; Process counts calls, may log them and may wait
// at a gate.
class TestItem : public CQeProcessingQItem {
 public:
  static CQeRefCountPtr<TestItem> Create(int id, ProcessLog* log = nullptr, Gate* gate = nullptr) {
    return CQeRefCountPtr<TestItem>::Adopt(new TestItem(id, log, gate));
  }

  void* GetInterface(const wchar_t* name) override {
    if (name && std::wcscmp(name, L"TestItem") == 0) return static_cast<TestItem*>(this);
    return CQeProcessingQItem::GetInterface(name);
  }

  void Process(IQeParallelProcessingQueueThread* thread) override {
    processCount.fetch_add(1);
    if (log_) {
      int now = log_->inFlight.fetch_add(1) + 1;
      int seen = log_->maxInFlight.load();
      while (now > seen && !log_->maxInFlight.compare_exchange_weak(seen, now)) {
      }
      std::lock_guard<std::mutex> lock(log_->mutex);
      log_->entries.emplace_back(id, KindOf(thread));
    }
    if (gate_) gate_->WaitOpen();
    if (log_) log_->inFlight.fetch_sub(1);
  }

  static std::wstring KindOf(IQeParallelProcessingQueueThread* thread) {
    static const wchar_t* const kKinds[] = {
        L"CQeQThreadInOrderProcessing",
        L"CQeQThreadOutOfOrderProcessing",
        L"CQeQThreadInOrderProcessingAndTransporting",
        L"CQeQThreadOutOfOrderProcessingAndTransporting",
        L"CQeQThreadOutOfOrderProcessingAndRemoving",
        L"CQeQThreadInOrderTransporting",
        L"CQeQThreadOutOfOrderTransporting",
    };
    if (!thread) return L"";
    for (const wchar_t* kind : kKinds) {
      if (thread->GetInterface(kind)) return kind;
    }
    return L"?";
  }

  const int id;
  std::atomic<int> processCount{0};

 private:
  TestItem(int itemId, ProcessLog* log, Gate* gate) : id(itemId), log_(log), gate_(gate) {}
  ~TestItem() override {
    if (log_) log_->destroyed.fetch_add(1);
  }

  ProcessLog* log_;
  Gate* gate_;
};

inline TestItem* AsTestItem(IQeParallelProcessingQueueItem* item) {
  return item ? static_cast<TestItem*>(item->GetInterface(L"TestItem")) : nullptr;
}

// A destination that keeps nothing queued: it records every item pushed
// into it, in order, and sets its state. Thread-safe (mutex_ guards items_;
// it takes no other lock, so it may sit at the end of any queue chain).
class SinkQueue : public IQeParallelProcessingQueue, public CQeRefCounted {
 public:
  static CQeRefCountPtr<SinkQueue> Create() {
    return CQeRefCountPtr<SinkQueue>::Adopt(new SinkQueue());
  }
  QE_IMPLEMENT_REFCOUNT

  void* GetInterface(const wchar_t* name) override {
    if (name && std::wcscmp(name, L"SinkQueue") == 0) return static_cast<SinkQueue*>(this);
    return nullptr;
  }
  void QueueMasterSet(IQeParallelProcessingQueueMaster* master) override { master_ = master; }
  IQeParallelProcessingQueueMaster* QueueMasterGet() override { return master_; }
  int PushBack(CQeRefCountPtr<IQeParallelProcessingQueueItem> item, unsigned int state,
               int timeout) override {
    return PushBackIfNotAlreadyIn(std::move(item), state, nullptr, timeout);
  }
  int PushBackIfNotAlreadyIn(CQeRefCountPtr<IQeParallelProcessingQueueItem> item,
                             unsigned int state, IQeParallelProcessingQueueItemPredicate*,
                             int) override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      item->SetState(state);
      items_.push_back(std::move(item));
    }
    changed_.notify_all();
    return 0;
  }
  CQeRefCountPtr<IQeParallelProcessingQueueItem> Wait(unsigned int, unsigned int, int, bool&,
                                                      IQeParallelProcessingQueue*, unsigned int,
                                                      bool) override {
    return nullptr;
  }
  void WaitUntilEmpty() override {}
  CQeRefCountPtr<IQeParallelProcessingQueueItem> SetState(IQeParallelProcessingQueueItem*,
                                                          IQeParallelProcessingQueue*, unsigned int,
                                                          bool) override {
    return nullptr;
  }
  void BroadcastAllConditions() override {}

  std::vector<CQeRefCountPtr<IQeParallelProcessingQueueItem>> Items() {
    std::lock_guard<std::mutex> lock(mutex_);
    return items_;
  }
  size_t Count() {
    std::lock_guard<std::mutex> lock(mutex_);
    return items_.size();
  }
  // False when fewer than `count` items arrived within a generous limit.
  bool WaitForCount(size_t count) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(60),
                             [&] { return items_.size() >= count; });
  }

 private:
  SinkQueue() = default;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<CQeRefCountPtr<IQeParallelProcessingQueueItem>> items_;
  std::atomic<IQeParallelProcessingQueueMaster*> master_{nullptr};
};

// A master that only records what queues tell it. Thread-safe (mutex guards
// the records; it never calls a queue back).
class RecordingMaster : public IQeParallelProcessingQueueMaster {
 public:
  void* GetInterface(const wchar_t*) override { return nullptr; }
  void QueueInsert(CQeRefCountPtr<IQeParallelProcessingQueue> queue, const wchar_t*) override {
    std::lock_guard<std::mutex> lock(mutex);
    inserted.push_back(queue.Get());
    queue->QueueMasterSet(this);
  }
  void QueueWaitUntilEmpty(CQeRefCountPtr<IQeParallelProcessingQueue>) override {}
  void QueueStopAllThreads(CQeRefCountPtr<IQeParallelProcessingQueue>) override {}
  void QueueJoinAllThreads(CQeRefCountPtr<IQeParallelProcessingQueue>) override {}
  void QueueRemove(CQeRefCountPtr<IQeParallelProcessingQueue> queue) override {
    std::lock_guard<std::mutex> lock(mutex);
    removed.push_back(queue.Get());
    queue->QueueMasterSet(nullptr);
  }
  void QueueGrowing(IQeParallelProcessingQueue* queue, unsigned int newSize) override {
    std::lock_guard<std::mutex> lock(mutex);
    growth.emplace_back(queue, newSize);
  }
  CQeRefCountPtr<IQeParallelProcessingQueue> QueueGet(const wchar_t*) override { return nullptr; }
  void ThreadFactoryAssign(IQeParallelProcessingQueueThreadFactory* factory, unsigned int,
                           CQeRefCountPtr<IQeParallelProcessingQueue>,
                           CQeRefCountPtr<IQeParallelProcessingQueue>) override {
    std::lock_guard<std::mutex> lock(mutex);
    assigned.push_back(factory);
  }
  void ThreadRemoveAndDestroy(IQeParallelProcessingQueueThread*) override {}

  std::vector<std::pair<IQeParallelProcessingQueue*, unsigned int>> Growth() {
    std::lock_guard<std::mutex> lock(mutex);
    return growth;
  }

  std::mutex mutex;
  std::vector<std::pair<IQeParallelProcessingQueue*, unsigned int>> growth;
  std::vector<IQeParallelProcessingQueue*> inserted;
  std::vector<IQeParallelProcessingQueue*> removed;
  std::vector<IQeParallelProcessingQueueThreadFactory*> assigned;
};

// Counters of the idle workers of one test. Thread-safe (atomics; the
// timeouts list is guarded by mutex).
struct WorkerStats {
  std::atomic<int> created{0};
  std::atomic<int> runsBegun{0};
  std::atomic<int> runsEnded{0};
  std::atomic<int> destroyed{0};
  std::mutex mutex;
  std::vector<int> timeouts;  // in creation order

  std::vector<int> Timeouts() {
    std::lock_guard<std::mutex> lock(mutex);
    return timeouts;
  }
  // Workers of a test point at its stats: wait until every one is gone.
  bool AllDestroyed() {
    return Eventually([this] { return destroyed.load() == created.load(); });
  }
};

// A worker that takes nothing: it waits on its source queue for an item in
// a state no item has, until it is stopped (or its timed wait runs out
// with the queue empty). Its Start may be made to fail.
class IdleWorker : public CQeQThreadBase {
 public:
  IdleWorker(IQeParallelProcessingQueue* source, int timeout, WorkerStats* stats, bool failStart,
             std::chrono::milliseconds endDelay)
      : CQeQThreadBase(source, nullptr, timeout),
        stats_(stats),
        failStart_(failStart),
        endDelay_(endDelay) {
    stats_->created.fetch_add(1);
  }
  ~IdleWorker() override { stats_->destroyed.fetch_add(1); }

  int Start() override { return failStart_ ? -9 : CQeQThreadBase::Start(); }
  void* Run() override {
    RunBegin();
    bool& running = RunningFlag();
    while (SourceQueue()->Wait(eWaitAny, kNoSuchState, Timeout(), running, nullptr, 0, false)) {
    }
    RunEnd();
    Stop();
    return nullptr;
  }

 protected:
  void RunBegin() override { stats_->runsBegun.fetch_add(1); }
  void RunEnd() override {
    // Ending takes a moment, so that a join that does not wait is caught.
    std::this_thread::sleep_for(endDelay_);
    stats_->runsEnded.fetch_add(1);
  }

 private:
  static constexpr unsigned int kNoSuchState = 77;

  WorkerStats* stats_;
  const bool failStart_;
  const std::chrono::milliseconds endDelay_;
};

// Makes IdleWorkers and records the timeout the master asked for.
class IdleWorkerFactory : public IQeParallelProcessingQueueThreadFactory {
 public:
  explicit IdleWorkerFactory(WorkerStats* stats, bool failStart = false,
                             std::chrono::milliseconds endDelay = std::chrono::milliseconds(0))
      : stats_(stats), failStart_(failStart), endDelay_(endDelay) {}
  CQeRefCountPtr<IQeParallelProcessingQueueThread> CreateQueueThread(
      IQeParallelProcessingQueue* source, IQeParallelProcessingQueue*, int timeout) override {
    {
      std::lock_guard<std::mutex> lock(stats_->mutex);
      stats_->timeouts.push_back(timeout);
    }
    return CQeRefCountPtr<IQeParallelProcessingQueueThread>::Adopt(
        new IdleWorker(source, timeout, stats_, failStart_, endDelay_));
  }

 private:
  WorkerStats* stats_;
  const bool failStart_;
  const std::chrono::milliseconds endDelay_;
};

// Stops, joins and forgets `queue`, as the system shuts a queue down, then
// waits until its ended workers have released it, so that nothing of a
// test is touched once the test returns. The caller holds the only other
// reference. False when that took longer than a generous limit.
inline bool ShutDown(IQeParallelProcessingQueueMaster& master,
                     const CQeRefCountPtr<CQeProcessingQueue>& queue) {
  {
    CQeRefCountPtr<IQeParallelProcessingQueue> registered = queue;
    master.QueueStopAllThreads(registered);
    master.QueueJoinAllThreads(registered);
    master.QueueRemove(registered);
  }
  return Eventually([&] { return queue->RefCount() == 1; });
}

}  // namespace qe::test
