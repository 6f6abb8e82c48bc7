// Shared pieces of the queue tests: a counting work item, a master that
// records what queues tell it, an idle worker kind with its factory, and
// bounded polling.
#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cwchar>
#include <functional>
#include <map>
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
inline bool Eventually(const std::function<bool()>& done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

// What the processing of a set of items saw. Thread-safe (atomics; mutex
// guards times).
struct ProcessLog {
  std::mutex mutex;
  std::map<int, int> times;  // item id: times processed
  std::atomic<int> processed{0}, inFlight{0}, maxInFlight{0}, destroyed{0};

  // Whether items 0 .. count-1 were each processed `each` times, no other.
  bool EachProcessed(int count, int each) {
    std::lock_guard<std::mutex> lock(mutex);
    return times.size() == static_cast<size_t>(count) && times.rbegin()->first == count - 1 &&
           std::all_of(times.begin(), times.end(), [each](auto& t) { return t.second == each; });
  }
};

// A work item with an id; Process counts calls and may log them.
class TestItem : public CQeProcessingQItem {
 public:
  static CQeRefCountPtr<TestItem> Create(int id, ProcessLog* log = nullptr) {
    return CQeRefCountPtr<TestItem>::Adopt(new TestItem(id, log));
  }

  void* GetInterface(const wchar_t* name) override {
    if (name && std::wcscmp(name, L"TestItem") == 0) return static_cast<TestItem*>(this);
    return CQeProcessingQItem::GetInterface(name);
  }

  void Process(IQeParallelProcessingQueueThread*) override {
    processCount.fetch_add(1);
    if (!log_) return;
    const int now = log_->inFlight.fetch_add(1) + 1;
    int seen = log_->maxInFlight.load();
    while (now > seen && !log_->maxInFlight.compare_exchange_weak(seen, now)) {
    }
    {
      std::lock_guard<std::mutex> lock(log_->mutex);
      ++log_->times[id];
    }
    log_->processed.fetch_add(1);
    log_->inFlight.fetch_sub(1);
  }

  const int id;
  std::atomic<int> processCount{0};

 private:
  TestItem(int itemId, ProcessLog* log) : id(itemId), log_(log) {}
  ~TestItem() override {
    if (log_) log_->destroyed.fetch_add(1);
  }

  ProcessLog* log_;
};

inline TestItem* AsTestItem(IQeParallelProcessingQueueItem* item) {
  return item ? static_cast<TestItem*>(item->GetInterface(L"TestItem")) : nullptr;
}

// Takes the items of a queue front first without waiting; their ids in push order.
inline std::vector<int> Drain(IQeParallelProcessingQueue& queue, unsigned int state) {
  std::vector<int> ids;
  bool keep = false;
  while (auto item = queue.Wait(eWaitFront, state, 0, keep, nullptr, state, true)) {
    ids.push_back(AsTestItem(item.Get())->id);
  }
  return ids;
}

// A master that records the growth reports and removals it receives, then
// does what the master does. Thread-safe (mutex guards the records).
class RecordingMaster : public CQeProcessingQMaster {
 public:
  using Queue = CQeRefCountPtr<IQeParallelProcessingQueue>;
  void QueueGrowing(IQeParallelProcessingQueue* queue, unsigned int newSize) override {
    Record(growth, std::make_pair(queue, newSize));
    CQeProcessingQMaster::QueueGrowing(queue, newSize);
  }
  void QueueRemove(Queue queue) override {
    Record(removed, queue.Get());
    CQeProcessingQMaster::QueueRemove(queue);
  }
  std::vector<std::pair<IQeParallelProcessingQueue*, unsigned int>> Growth() {
    std::lock_guard<std::mutex> lock(mutex);
    return growth;
  }

  std::mutex mutex;
  std::vector<std::pair<IQeParallelProcessingQueue*, unsigned int>> growth;
  std::vector<IQeParallelProcessingQueue*> removed;

 private:
  template <typename T>
  void Record(std::vector<T>& list, T value) {
    std::lock_guard<std::mutex> lock(mutex);
    list.push_back(value);
  }
};

// Makes IdleWorkers (below) and counts what happens to them; the master's
// requested timeouts are recorded. Thread-safe (atomics; mutex guards timeouts).
class IdleWorkerFactory : public IQeParallelProcessingQueueThreadFactory {
 public:
  // failStart: Start fails. endDelay: ending takes that long, so that a join
  // that does not wait is caught.
  explicit IdleWorkerFactory(bool failStart = false,
                             std::chrono::milliseconds endDelay = std::chrono::milliseconds(0))
      : failStart_(failStart), endDelay_(endDelay) {}
  CQeRefCountPtr<IQeParallelProcessingQueueThread> CreateQueueThread(
      IQeParallelProcessingQueue* source, IQeParallelProcessingQueue*, int timeout) override;

  std::vector<int> Timeouts() {
    std::lock_guard<std::mutex> lock(mutex_);
    return timeouts_;
  }
  bool AllDestroyed() {
    return Eventually([this] { return destroyed.load() == created.load(); });
  }

  std::atomic<int> created{0}, runsBegun{0}, runsEnded{0}, destroyed{0};

 private:
  friend class IdleWorker;
  const bool failStart_;
  const std::chrono::milliseconds endDelay_;
  std::mutex mutex_;
  std::vector<int> timeouts_;  // in creation order
};

// A worker that takes nothing: it waits for an item in a state no item has
// until it is stopped (or a timed wait runs out with the queue empty).
class IdleWorker : public CQeQThreadBase {
 public:
  IdleWorker(IQeParallelProcessingQueue* source, int timeout, IdleWorkerFactory* factory)
      : CQeQThreadBase(source, nullptr, timeout), factory_(factory) {
    factory_->created.fetch_add(1);
  }
  ~IdleWorker() override { factory_->destroyed.fetch_add(1); }

  int Start() override { return factory_->failStart_ ? -9 : CQeQThreadBase::Start(); }
  void* Run() override {
    factory_->runsBegun.fetch_add(1);
    while (SourceQueue()->Wait(eWaitAny, 77, Timeout(), RunningFlag(), nullptr, 0, false)) {
    }
    std::this_thread::sleep_for(factory_->endDelay_);
    factory_->runsEnded.fetch_add(1);
    Stop();
    return nullptr;
  }

 private:
  IdleWorkerFactory* factory_;
};

inline CQeRefCountPtr<IQeParallelProcessingQueueThread> IdleWorkerFactory::CreateQueueThread(
    IQeParallelProcessingQueue* source, IQeParallelProcessingQueue*, int timeout) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    timeouts_.push_back(timeout);
  }
  return CQeRefCountPtr<IQeParallelProcessingQueueThread>::Adopt(
      new IdleWorker(source, timeout, this));
}

// Stops, joins and forgets `queue` as the system shuts a queue down, then
// waits until its ended workers have released it, so that nothing of a test
// is touched once it returns. False when that took too long.
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
