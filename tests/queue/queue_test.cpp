// The queue on its own: counting, pushing into a bounded queue, selection
// modes, keepWaiting and the signals of SetState.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "queue/queue_fixtures.h"

using qe::test::AsTestItem;
using qe::test::ProcessLog;
using qe::test::RecordingMaster;
using qe::test::TestItem;

namespace {

constexpr unsigned int k2 = eQItemQueued;
constexpr unsigned int k1 = eQItemProcessing;
constexpr unsigned int k0 = eQItemProcessed;

// A queue holding items 0, 1, ... with the given states, front first.
CQeRefCountPtr<CQeProcessingQueue> QueueWithStates(const std::vector<unsigned int>& states,
                                                   unsigned int capacity = 10,
                                                   RecordingMaster* master = nullptr) {
  auto queue = CQeProcessingQueue::Create(capacity);
  if (master) master->QueueInsert(queue, nullptr);
  int id = 0;
  for (unsigned int state : states) {
    EXPECT_EQ(queue->PushBack(TestItem::Create(id++), state, 0), 0);
  }
  return queue;
}

// Matches the items whose id is `id`.
struct IdPredicate : IQeParallelProcessingQueueItemPredicate {
  explicit IdPredicate(int wanted) : id(wanted) {}
  bool Matches(IQeParallelProcessingQueueItem* item) override {
    ++calls;
    return AsTestItem(item)->id == id;
  }
  int id;
  int calls = 0;
};

}  // namespace

TEST(QueueItemCounting, LastReleaseNullsRegisteredAddressesOnceAcrossThreads) {
  ProcessLog log;
  auto item = TestItem::Create(1, &log);
  void* watcher = item.Get();
  void* removed = item.Get();
  item->AddZeroPtr(&watcher);
  item->AddZeroPtr(&removed);
  item->RemoveZeroPtr(&removed);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([copy = item]() mutable {
      for (int i = 0; i < 1000; ++i) CQeRefCountPtr<TestItem> more = copy;
    });
  }
  for (auto& thread : threads) thread.join();
  CQeRefCountPtr<TestItem> second = item;
  item = nullptr;
  EXPECT_NE(watcher, nullptr) << "a reference is still held";
  second = nullptr;
  EXPECT_EQ(watcher, nullptr);
  EXPECT_NE(removed, nullptr) << "a removed address is left alone";
  EXPECT_EQ(log.destroyed.load(), 1);
}

TEST(QueuePush, FullQueueFailsAtOnceWithoutTimeoutAndAfterOneTimedWait) {
  RecordingMaster master;
  auto queue = QueueWithStates({k2, k2}, 2, &master);
  const size_t reports = master.Growth().size();
  auto extra = TestItem::Create(9);
  EXPECT_EQ(queue->PushBack(nullptr, k2, 0), -4);
  EXPECT_EQ(queue->PushBack(extra, k0, 0), -9);
  EXPECT_EQ(queue->Counters().waits, 0u);
  EXPECT_EQ(extra->State(), k2) << "a refused item is not touched";
  EXPECT_EQ(master.Growth().size(), reports) << "a refused push reports no growth";

  EXPECT_EQ(queue->PushBack(extra, k2, 1), -9);
  EXPECT_EQ(queue->Counters().waits, 1u);
  EXPECT_EQ(queue->Counters().timeouts, 1u) << "failed only once its timed wait ran out";
  EXPECT_EQ(queue->Size(), 2u);
  EXPECT_EQ(extra->RefCount(), 1) << "the caller keeps the only reference";
}

TEST(QueuePush, PredicateMatchKeepsTheQueueAndReportsTheUnchangedSize) {
  RecordingMaster master;
  auto queue = QueueWithStates({k2, k2}, 2, &master);  // ids 0 and 1
  IdPredicate duplicate(0);
  auto again = TestItem::Create(0);
  // Checked before the capacity: a duplicate on a full queue succeeds without waiting.
  EXPECT_EQ(queue->PushBackIfNotAlreadyIn(again, k0, &duplicate, -1), 0);
  EXPECT_EQ(duplicate.calls, 1) << "the walk stops at the first match";
  EXPECT_EQ(queue->Counters().waits, 0u);
  EXPECT_EQ(again->RefCount(), 1);
  EXPECT_EQ(again->State(), k2);
  const auto growth = master.Growth();
  ASSERT_EQ(growth.size(), 3u);
  EXPECT_EQ(growth.back().second, 2u) << "growth reported with the unchanged size";
}

TEST(QueueWait, ModesSelectFrontAnyOrAllAsTheirTableSays) {
  const struct {
    std::vector<unsigned int> states;
    unsigned int mode, state;
    int expected;
  } cases[] = {
      {{k1, k2, k2}, eWaitFront, k2, -1},  // front does not look past another state
      {{k1, k2, k2}, eWaitFront, k1, 0},
      {{k1, k0, k2, k2}, eWaitAny, k2, 2},  // the first in push order
      {{}, eWaitAll, k2, -1},               // an empty queue never selects
      {{k0, k0, k2}, eWaitAll, k0, -1},
      {{k0, k0}, eWaitAll, k0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "mode " << c.mode << " state " << c.state);
    auto queue = QueueWithStates(c.states);
    bool keep = false;
    auto item = queue->Wait(c.mode, c.state, 0, keep, nullptr, c.state, false);
    EXPECT_EQ(item ? AsTestItem(item.Get())->id : -1, c.expected);
  }
  auto empty = CQeProcessingQueue::Create(4);
  bool keep = true;
  EXPECT_FALSE(empty->Wait(eWaitAll, k2, 1, keep, nullptr, 0, false));
  EXPECT_EQ(empty->Counters().timeouts, 1u) << "ends after the first time-out on an empty queue";
}

TEST(QueueWait, KeepWaitingFalseOrZeroTimeoutTakesAMatchButNeverWaits) {
  auto queue = QueueWithStates({k0});
  bool keep = false;
  EXPECT_FALSE(queue->Wait(eWaitAny, k2, -1, keep, nullptr, k1, false));
  auto taken = queue->Wait(eWaitAny, k0, -1, keep, nullptr, k1, false);
  ASSERT_TRUE(taken);
  EXPECT_EQ(taken->State(), k1);
  keep = true;
  EXPECT_FALSE(queue->Wait(eWaitAny, k2, 0, keep, nullptr, k1, false));
  EXPECT_EQ(queue->Counters().waits, 0u);
}

TEST(QueueSetState, SignalsStateChangedOnlyForProcessedAndQueuedAndSpaceFreedOnRemove) {
  auto queue = QueueWithStates({k2, k2});
  bool keep = false;
  auto item = queue->Wait(eWaitFront, k2, 0, keep, nullptr, k2, false);
  const auto before = queue->Counters();
  const struct {
    unsigned int state;
    uint64_t signals;  // state-changed signals so far
  } steps[] = {{k1, 0}, {k0, 1}, {k2, 2}, {7, 2}};
  for (const auto& step : steps) {
    EXPECT_EQ(queue->SetState(item.Get(), nullptr, step.state, false).Get(), item.Get());
    EXPECT_EQ(item->State(), step.state);
    EXPECT_EQ(queue->Counters().stateChangedSignals, before.stateChangedSignals + step.signals)
        << "after state " << step.state;
  }
  EXPECT_EQ(queue->Counters().spaceFreedSignals, before.spaceFreedSignals);
  EXPECT_EQ(queue->SetState(item.Get(), nullptr, k1, true).Get(), item.Get());
  EXPECT_EQ(queue->Counters().spaceFreedSignals, before.spaceFreedSignals + 1);
  EXPECT_EQ(queue->Size(), 1u);
  EXPECT_EQ(AsTestItem(item.Get())->RefCount(), 1);
  // An item no longer queued is left alone.
  EXPECT_FALSE(queue->SetState(item.Get(), nullptr, k0, true));
  EXPECT_FALSE(queue->SetState(nullptr, nullptr, k0, true));
  EXPECT_EQ(item->State(), k1);
}
