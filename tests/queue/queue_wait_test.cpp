// Taking items: selection modes, keepWaiting, time-outs, moving into a next
// queue, SetState and its signals, and WaitUntilEmpty.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "queue/queue_fixtures.h"

using qe::test::AsTestItem;
using qe::test::Eventually;
using qe::test::TestItem;

namespace {

using ItemRef = CQeRefCountPtr<IQeParallelProcessingQueueItem>;

// A queue holding items 0, 1, ... with the given states, front first.
CQeRefCountPtr<CQeProcessingQueue> QueueWithStates(const std::vector<unsigned int>& states,
                                                   unsigned int capacity = 10) {
  auto queue = CQeProcessingQueue::Create(capacity);
  int id = 0;
  for (unsigned int state : states) {
    EXPECT_EQ(queue->PushBack(TestItem::Create(id++), state, 0), 0);
  }
  return queue;
}

int IdOf(const ItemRef& item) { return item ? AsTestItem(item.Get())->id : -1; }

// Selects without waiting and without changing anything.
int Peek(CQeProcessingQueue& queue, unsigned int mode, unsigned int state) {
  bool keep = false;
  return IdOf(queue.Wait(mode, state, 0, keep, nullptr, state, false));
}

constexpr unsigned int k2 = eQItemQueued;
constexpr unsigned int k1 = eQItemProcessing;
constexpr unsigned int k0 = eQItemProcessed;

}  // namespace

TEST(QueueWait, ModesSelectFrontAnyOrAllAsTheirTableSays) {
  const struct {
    std::vector<unsigned int> states;
    unsigned int mode, state;
    int expected;
  } cases[] = {
      {{k1, k2, k2}, eWaitFront, k2, -1},  // front does not look past another state
      {{k1, k2, k2}, eWaitFront, k1, 0},
      {{k1, k0, k2, k2}, eWaitAny, k2, 2},  // the first in push order
      {{k1, k0, k2, k2}, eWaitAny, k0, 1},
      {{}, eWaitAll, k2, -1},  // an empty queue never selects
      {{k0, k0, k2}, eWaitAll, k0, -1},
      {{k0, k0}, eWaitAll, k0, 0},
      {{k2}, 3, k2, -1},  // unknown modes never select
      {{k2}, 1000, k2, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "mode " << c.mode << " state " << c.state);
    auto queue = QueueWithStates(c.states);
    EXPECT_EQ(Peek(*queue, c.mode, c.state), c.expected);
  }
  auto empty = CQeProcessingQueue::Create(4);
  bool keep = true;
  EXPECT_FALSE(empty->Wait(eWaitAll, k2, 1, keep, nullptr, 0, false));
  EXPECT_EQ(empty->Counters().timeouts, 1u) << "ends after the first time-out on an empty queue";
}

TEST(QueueWait, TakingGivesTheNextStateAndRemoveErases) {
  auto queue = QueueWithStates({k2, k2});
  bool keep = true;
  auto taken = queue->Wait(eWaitAny, k2, 0, keep, nullptr, k1, false);
  ASSERT_EQ(IdOf(taken), 0);
  EXPECT_EQ(taken->State(), k1);
  EXPECT_EQ(Peek(*queue, eWaitAny, k2), 1) << "a taken item is not taken again";
  auto removed = queue->Wait(eWaitAny, k2, 0, keep, nullptr, k0, true);
  ASSERT_EQ(IdOf(removed), 1);
  EXPECT_EQ(queue->Size(), 1u);
  EXPECT_EQ(AsTestItem(removed.Get())->RefCount(), 1) << "the queue dropped its reference";
  EXPECT_EQ(queue->Counters().spaceFreedSignals, 1u);
}

TEST(QueueWait, KeepWaitingFalseOrZeroTimeoutTakesAMatchButNeverWaits) {
  auto queue = QueueWithStates({k0});
  bool keep = false;
  EXPECT_FALSE(queue->Wait(eWaitAny, k2, -1, keep, nullptr, k1, false));
  EXPECT_EQ(IdOf(queue->Wait(eWaitAny, k0, -1, keep, nullptr, k1, false)), 0);
  keep = true;
  EXPECT_FALSE(queue->Wait(eWaitAny, k2, 0, keep, nullptr, k1, false));
  EXPECT_EQ(queue->Counters().waits, 0u);
}

TEST(QueueWait, QueuedWaitersWakeOnAPushOthersOnAStateChange) {
  auto queue = QueueWithStates({k1});
  ItemRef queued, processed;
  std::thread forQueued([&] {
    bool keep = true;
    queued = queue->Wait(eWaitAny, k2, -1, keep, nullptr, k1, false);
  });
  std::thread forProcessed([&] {
    bool keep = true;
    processed = queue->Wait(eWaitFront, k0, -1, keep, nullptr, k2, true);
  });
  ASSERT_TRUE(Eventually([&] { return queue->Counters().waits >= 2; }));
  ASSERT_EQ(queue->PushBack(TestItem::Create(7), k2, 0), 0);
  forQueued.join();
  EXPECT_EQ(IdOf(queued), 7);
  EXPECT_EQ(queued->State(), k1);
  bool keep = false;
  auto front = queue->Wait(eWaitFront, k1, 0, keep, nullptr, k1, false);
  queue->SetState(front.Get(), nullptr, k0, false);
  forProcessed.join();
  EXPECT_EQ(IdOf(processed), 0);
  EXPECT_EQ(queue->Size(), 1u);
}

TEST(QueueWait, ClearedKeepWaitingAndABroadcastEndTheWaitWhereverTheWaiterIs) {
  // First with the waiter surely waiting, then with no hand-shake at all, so
  // that the flag is also cleared between the waiter's check and its wait.
  for (int round = 0; round < 200; ++round) {
    auto queue = CQeProcessingQueue::Create(4);
    bool keep = true;
    std::atomic<bool> returnedNull{false};
    std::thread waiter(
        [&] { returnedNull = !queue->Wait(eWaitAny, k2, -1, keep, nullptr, k1, false); });
    ASSERT_TRUE(round > 0 || Eventually([&] { return queue->Counters().waits >= 1; }));
    std::atomic_ref<bool>(keep).store(false);
    queue->BroadcastAllConditions();
    waiter.join();
    EXPECT_TRUE(returnedNull.load());
  }
}

TEST(QueueWait, TimedWaitKeepsWaitingWhileItemsOfOtherStatesAreQueued) {
  auto queue = QueueWithStates({k0});
  std::atomic<bool> returned{false};
  ItemRef taken;
  std::thread waiter([&] {
    bool keep = true;
    taken = queue->Wait(eWaitAny, k2, 1, keep, nullptr, k1, false);
    returned = true;
  });
  // Two time-outs have passed with an item queued, and the waiter goes on.
  ASSERT_TRUE(Eventually([&] { return queue->Counters().timeouts >= 2; }));
  EXPECT_FALSE(returned.load());
  EXPECT_EQ(qe::test::Drain(*queue, k0).size(), 1u);  // the next time-out ends it
  waiter.join();
  EXPECT_FALSE(taken);
}

TEST(QueueWait, ErasingTheFrontWakesAFrontWaiter) {
  // Erasing the processed front brings a queued item to the front, with no push.
  auto queue = QueueWithStates({k0, k2});
  ItemRef taken;
  std::thread waiter([&] {
    bool keep = true;
    taken = queue->Wait(eWaitFront, k2, -1, keep, nullptr, k1, false);
  });
  ASSERT_TRUE(Eventually([&] { return queue->Counters().waits >= 1; }));
  bool keep = false;
  ASSERT_EQ(IdOf(queue->Wait(eWaitFront, k0, 0, keep, nullptr, k2, true)), 0);
  waiter.join();
  EXPECT_EQ(IdOf(taken), 1);
}

TEST(QueueWait, FailedPushIntoAFullNextQueueStillErasesTheItem) {
  auto source = QueueWithStates({k0});
  auto next = QueueWithStates({k2}, 1);
  std::atomic<bool> done{false};
  ItemRef moved;
  std::thread mover([&] {
    bool keep = true;
    moved = source->Wait(eWaitFront, k0, 0, keep, next.Get(), k2, true);
    done = true;
  });
  // Wakes the mover's single wait on the next queue without freeing space.
  ASSERT_TRUE(Eventually([&] {
    next->BroadcastAllConditions();
    return done.load();
  }));
  mover.join();
  EXPECT_EQ(IdOf(moved), 0);
  EXPECT_EQ(source->Size(), 0u);
  EXPECT_EQ(next->Size(), 1u);
  EXPECT_EQ(AsTestItem(moved.Get())->RefCount(), 1) << "only the returned reference is left";
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
}

TEST(QueueSetState, ItemNotInTheQueueIsLeftAlone) {
  auto source = QueueWithStates({k1});
  auto stranger = TestItem::Create(5);
  stranger->SetState(k1);
  EXPECT_FALSE(source->SetState(stranger.Get(), nullptr, k0, true));
  EXPECT_FALSE(source->SetState(nullptr, nullptr, k0, true));
  EXPECT_EQ(stranger->State(), k1);
  EXPECT_EQ(source->Size(), 1u);
}

TEST(QueueWait, TakenOrReStatedItemMovesIntoTheNextQueueInOneStep) {
  qe::test::RecordingMaster master;
  auto source = QueueWithStates({k0, k1});
  auto next = CQeProcessingQueue::Create(4);
  master.QueueInsert(next, nullptr);
  bool keep = true;
  auto moved = source->Wait(eWaitFront, k0, 0, keep, next.Get(), k2, true);
  ASSERT_EQ(IdOf(moved), 0);
  EXPECT_EQ(master.Growth().back().second, 1u) << "the next queue reported its growth";
  auto item = source->Wait(eWaitFront, k1, 0, keep, nullptr, k1, false);
  EXPECT_EQ(source->SetState(item.Get(), next.Get(), k2, true).Get(), item.Get());
  EXPECT_EQ(source->Size(), 0u);
  EXPECT_EQ(qe::test::Drain(*next, k2), (std::vector<int>{0, 1}));
  EXPECT_FALSE(source->SetState(item.Get(), nullptr, k2, true)) << "no longer queued";
}

TEST(QueueWaitUntilEmpty, ReturnsOnceAnotherThreadDrainedTheQueue) {
  auto queue = QueueWithStates({k2, k2, k2});
  std::thread drainer([&] {
    bool keep = true;
    for (int i = 0; i < 3; ++i) queue->Wait(eWaitFront, k2, -1, keep, nullptr, k0, true);
  });
  queue->WaitUntilEmpty();
  const bool drained = queue->Size() == 0;
  drainer.join();
  EXPECT_TRUE(drained);
  CQeProcessingQueue::Create(1)->WaitUntilEmpty();  // an empty queue returns at once
}
