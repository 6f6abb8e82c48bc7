// Processing queues: items per second through a two-stage pipeline of the
// queue framework against the same pipeline built from two plain queues
// (std::mutex and std::condition_variable) with the same threads: the
// benchmark's thread produces, one worker per stage processes.
//
//  Queue/Pipeline/framework|plain
//
// Each item is a heap object in both; its work is a short computation in
// each stage (about a microsecond), so the numbers show what the queues
// add to a light per-item job.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

#include "qe/queue/queue.h"
#include "qe/queue/queue_item.h"
#include "qe/queue/queue_master.h"
#include "qe/queue/queue_workers.h"
#include "support/bench_util.h"

namespace {

using namespace qe::bench;
using Clock = std::chrono::steady_clock;

constexpr unsigned int kCapacity = 64;

// A stage's work on one item.
uint64_t Work(uint64_t seed) {
  uint64_t x = seed | 1;
  for (int i = 0; i < 200; ++i) x = x * 6364136223846793005ull + 1442695040888963407ull;
  return x;
}

// Counts finished items and lets the producer wait for the last one.
class Completion {
 public:
  void Reset(int64_t expected) {
    std::lock_guard lock(mutex_);
    expected_ = expected;
    done_ = 0;
  }
  void OneDone() {
    std::lock_guard lock(mutex_);
    if (++done_ == expected_) finished_.notify_all();
  }
  void Wait() {
    std::unique_lock lock(mutex_);
    finished_.wait(lock, [&] { return done_ >= expected_; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable finished_;
  int64_t expected_ = 0;
  int64_t done_ = 0;
};

Completion g_completion;

// The framework's item: processed once by each stage.
class Item : public CQeProcessingQItem {
 public:
  static CQeRefCountPtr<Item> Create(uint64_t value) {
    return CQeRefCountPtr<Item>::Adopt(new Item(value));
  }
  void* GetInterface(const wchar_t* name) override {
    if (name && std::wcscmp(name, L"BenchItem") == 0) return this;
    return CQeProcessingQItem::GetInterface(name);
  }
  void Process(IQeParallelProcessingQueueThread*) override {
    value_ = Work(value_);
    if (++stage_ == 2) g_completion.OneDone();
  }

 private:
  explicit Item(uint64_t value) : value_(value) {}
  uint64_t value_;
  int stage_ = 0;
};

int64_t ItemsPerRound() { return Size(100000, 20000); }

void Framework(benchmark::State& state) {
  auto* master = CQeProcessingQMaster::GetSharedObject();
  auto work = CQeProcessingQueue::Create(kCapacity);
  auto done = CQeProcessingQueue::Create(kCapacity);
  master->QueueInsert(work, L"Bench::Work");
  master->QueueInsert(done, L"Bench::Done");
  master->ThreadFactoryAssign(&CQeQThreadOutOfOrderProcessingAndTransporting::s_sFactory, 1, work,
                              done);
  master->ThreadFactoryAssign(&CQeQThreadOutOfOrderProcessingAndRemoving::s_sFactory, 1, done,
                              nullptr);
  const int64_t n = ItemsPerRound();
  for (auto _ : state) {
    g_completion.Reset(n);
    const auto start = Clock::now();
    for (int64_t i = 0; i < n; ++i) {
      CQeRefCountPtr<Item> item = Item::Create(static_cast<uint64_t>(i));
      // A full queue is waited on once per call; the item stays ours then.
      while (work->PushBack(item, eQItemQueued, -1) != 0) {
      }
    }
    g_completion.Wait();
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
  }
  for (auto& queue : {work, done}) {
    master->QueueStopAllThreads(queue);
    master->QueueJoinAllThreads(queue);
    master->QueueRemove(queue);
  }
  state.SetItemsProcessed(state.iterations() * n);
}

// A bounded queue of heap items with one mutex and two conditions.
struct PlainItem {
  uint64_t value;
};

class PlainQueue {
 public:
  void Push(std::unique_ptr<PlainItem> item) {
    std::unique_lock lock(mutex_);
    notFull_.wait(lock, [&] { return items_.size() < kCapacity; });
    items_.push_back(std::move(item));
    notEmpty_.notify_one();
  }
  // Null once closed and empty.
  std::unique_ptr<PlainItem> Pop() {
    std::unique_lock lock(mutex_);
    notEmpty_.wait(lock, [&] { return !items_.empty() || closed_; });
    if (items_.empty()) return nullptr;
    auto item = std::move(items_.front());
    items_.pop_front();
    notFull_.notify_one();
    return item;
  }
  void Close() {
    std::lock_guard lock(mutex_);
    closed_ = true;
    notEmpty_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable notEmpty_;
  std::condition_variable notFull_;
  std::deque<std::unique_ptr<PlainItem>> items_;
  bool closed_ = false;
};

void Plain(benchmark::State& state) {
  PlainQueue work;
  PlainQueue done;
  std::thread first([&] {
    while (auto item = work.Pop()) {
      item->value = Work(item->value);
      done.Push(std::move(item));
    }
  });
  std::thread second([&] {
    while (auto item = done.Pop()) {
      item->value = Work(item->value);
      benchmark::DoNotOptimize(item->value);
      g_completion.OneDone();
    }
  });
  const int64_t n = ItemsPerRound();
  for (auto _ : state) {
    g_completion.Reset(n);
    const auto start = Clock::now();
    for (int64_t i = 0; i < n; ++i) {
      work.Push(std::make_unique<PlainItem>(PlainItem{static_cast<uint64_t>(i)}));
    }
    g_completion.Wait();
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
  }
  work.Close();
  first.join();
  done.Close();
  second.join();
  state.SetItemsProcessed(state.iterations() * n);
}

BENCHMARK(Framework)
    ->Name("Queue/Pipeline/framework")
    ->Iterations(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(Plain)
    ->Name("Queue/Pipeline/plain")
    ->Iterations(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
