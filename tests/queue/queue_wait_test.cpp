// Taking items: selection modes, keepWaiting, time-outs, moving into a next
// queue, SetState and its signals, and WaitUntilEmpty.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "queue/queue_fixtures.h"

using qe::test::AsTestItem;
using qe::test::Eventually;
using qe::test::RecordingMaster;
using qe::test::TestItem;

namespace {

using ItemRef = CQeRefCountPtr<IQeParallelProcessingQueueItem>;

// A queue holding items with the given states, front first.
CQeRefCountPtr<CQeProcessingQueue> QueueWithStates(std::initializer_list<unsigned int> states,
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
  auto item = queue.Wait(mode, state, 0, keep, nullptr, state, false);
  return IdOf(item);
}

}  // namespace

TEST(QueueWait, FrontModeDoesNotLookPastAFrontItemInAnotherState) {
  auto queue = QueueWithStates({eQItemProcessing, eQItemQueued, eQItemQueued});
  EXPECT_EQ(Peek(*queue, eWaitFront, eQItemQueued), -1);
  EXPECT_EQ(Peek(*queue, eWaitFront, eQItemProcessing), 0);
}

TEST(QueueWait, AnyModeTakesTheFirstItemInTheState) {
  auto queue = QueueWithStates({eQItemProcessing, eQItemProcessed, eQItemQueued, eQItemQueued});
  EXPECT_EQ(Peek(*queue, eWaitAny, eQItemQueued), 2);
  EXPECT_EQ(Peek(*queue, eWaitAny, eQItemProcessed), 1);
}

TEST(QueueWait, AllModeNeedsEveryItemInTheState) {
  auto empty = CQeProcessingQueue::Create(4);
  EXPECT_EQ(Peek(*empty, eWaitAll, eQItemQueued), -1) << "an empty queue never selects";
  bool keep = true;
  EXPECT_FALSE(empty->Wait(eWaitAll, eQItemQueued, 1, keep, nullptr, 0, false))
      << "a positive timeout ends after the first time-out on an empty queue";
  EXPECT_EQ(empty->Counters().timeouts, 1u);

  auto mixed = QueueWithStates({eQItemProcessed, eQItemProcessed, eQItemQueued});
  EXPECT_EQ(Peek(*mixed, eWaitAll, eQItemProcessed), -1);
  auto same = QueueWithStates({eQItemProcessed, eQItemProcessed});
  EXPECT_EQ(Peek(*same, eWaitAll, eQItemProcessed), 0);
}

TEST(QueueWait, UnknownModeNeverSelects) {
  auto queue = QueueWithStates({eQItemQueued});
  EXPECT_EQ(Peek(*queue, 3, eQItemQueued), -1);
  EXPECT_EQ(Peek(*queue, 1000, eQItemQueued), -1);
}

TEST(QueueWait, TakingGivesTheNextStateAndRemoveErases) {
  auto queue = QueueWithStates({eQItemQueued, eQItemQueued});
  bool keep = true;
  auto taken = queue->Wait(eWaitAny, eQItemQueued, 0, keep, nullptr, eQItemProcessing, false);
  ASSERT_EQ(IdOf(taken), 0);
  EXPECT_EQ(taken->State(), eQItemProcessing);
  EXPECT_EQ(queue->Size(), 2u);
  EXPECT_EQ(Peek(*queue, eWaitAny, eQItemQueued), 1) << "a taken item is not taken again";

  auto removed = queue->Wait(eWaitAny, eQItemQueued, 0, keep, nullptr, eQItemProcessed, true);
  ASSERT_EQ(IdOf(removed), 1);
  EXPECT_EQ(queue->Size(), 1u);
  EXPECT_EQ(AsTestItem(removed.Get())->RefCount(), 1) << "the queue dropped its reference";
  EXPECT_EQ(queue->Counters().spaceFreedSignals, 1u);
}

TEST(QueueWait, KeepWaitingFalseStillTakesAMatchButNeverWaits) {
  auto queue = QueueWithStates({eQItemProcessed});
  bool keep = false;
  EXPECT_FALSE(queue->Wait(eWaitAny, eQItemQueued, -1, keep, nullptr, 1, false));
  EXPECT_EQ(IdOf(queue->Wait(eWaitAny, eQItemProcessed, -1, keep, nullptr, 1, false)), 0);
  EXPECT_EQ(queue->Counters().waits, 0u);
}

TEST(QueueWait, ZeroTimeoutReturnsAtOnce) {
  auto queue = QueueWithStates({eQItemProcessing});
  bool keep = true;
  EXPECT_FALSE(queue->Wait(eWaitAny, eQItemQueued, 0, keep, nullptr, 1, false));
  EXPECT_EQ(queue->Counters().waits, 0u);
}

TEST(QueueWait, WaiterIsWokenByAPush) {
  auto queue = CQeProcessingQueue::Create(4);
  ItemRef taken;
  std::thread waiter([&] {
    bool keep = true;
    taken = queue->Wait(eWaitAny, eQItemQueued, -1, keep, nullptr, eQItemProcessing, false);
  });
  ASSERT_TRUE(Eventually([&] { return queue->Counters().waits >= 1; }));
  ASSERT_EQ(queue->PushBack(TestItem::Create(7), eQItemQueued, 0), 0);
  waiter.join();
  EXPECT_EQ(IdOf(taken), 7);
  EXPECT_EQ(taken->State(), eQItemProcessing);
}

TEST(QueueWait, WaiterForProcessedItemsIsWokenBySetState) {
  auto queue = QueueWithStates({eQItemProcessing});
  ItemRef item;
  {
    bool keep = false;
    item = queue->Wait(eWaitAny, eQItemProcessing, 0, keep, nullptr, eQItemProcessing, false);
  }
  ItemRef taken;
  std::thread waiter([&] {
    bool keep = true;
    taken = queue->Wait(eWaitFront, eQItemProcessed, -1, keep, nullptr, eQItemQueued, true);
  });
  ASSERT_TRUE(Eventually([&] { return queue->Counters().waits >= 1; }));
  queue->SetState(item.Get(), nullptr, eQItemProcessed, false);
  waiter.join();
  EXPECT_EQ(taken.Get(), item.Get());
  EXPECT_EQ(queue->Size(), 0u);
}

TEST(QueueWait, ClearedKeepWaitingAndABroadcastEndTheWait) {
  auto queue = CQeProcessingQueue::Create(4);
  bool keep = true;
  std::atomic<bool> returnedNull{false};
  std::thread waiter(
      [&] { returnedNull = !queue->Wait(eWaitAny, eQItemQueued, -1, keep, nullptr, 1, false); });
  ASSERT_TRUE(Eventually([&] { return queue->Counters().waits >= 1; }));
  std::atomic_ref<bool>(keep).store(false);
  queue->BroadcastAllConditions();
  waiter.join();
  EXPECT_TRUE(returnedNull.load());
}

TEST(QueueWait, ClearingKeepWaitingRightBeforeTheWaitIsNotMissed) {
  // No handshake on purpose: the flag is cleared while the waiter may be
  // anywhere between its start and its wait.
  for (int round = 0; round < 200; ++round) {
    auto queue = CQeProcessingQueue::Create(4);
    bool keep = true;
    std::thread waiter([&] { queue->Wait(eWaitAny, eQItemQueued, -1, keep, nullptr, 1, false); });
    std::atomic_ref<bool>(keep).store(false);
    queue->BroadcastAllConditions();
    waiter.join();
  }
}

TEST(QueueWait, TimedWaitKeepsWaitingWhileItemsOfOtherStatesAreQueued) {
  auto queue = QueueWithStates({eQItemProcessed});
  bool keep = true;
  std::atomic<bool> returned{false};
  ItemRef taken;
  std::thread waiter([&] {
    taken = queue->Wait(eWaitAny, eQItemQueued, 1, keep, nullptr, 1, false);
    returned = true;
  });
  // Two time-outs have passed with an item queued, and the waiter goes on.
  ASSERT_TRUE(Eventually([&] { return queue->Counters().timeouts >= 2; }));
  EXPECT_FALSE(returned.load());
  // Once the queue is empty, the next time-out ends the wait.
  {
    bool noWait = false;
    queue->Wait(eWaitAny, eQItemProcessed, 0, noWait, nullptr, 0, true);
  }
  waiter.join();
  EXPECT_FALSE(taken);
  EXPECT_EQ(queue->Size(), 0u);
}

TEST(QueueWait, ErasingTheFrontWakesAFrontWaiter) {
  // A front-only taker waits behind a processed front item; erasing that
  // item brings a queued one to the front, with no push to announce it.
  auto queue = QueueWithStates({eQItemProcessed, eQItemQueued});
  ItemRef taken;
  std::thread waiter([&] {
    bool keep = true;
    taken = queue->Wait(eWaitFront, eQItemQueued, -1, keep, nullptr, eQItemProcessing, false);
  });
  ASSERT_TRUE(Eventually([&] { return queue->Counters().waits >= 1; }));
  bool keep = false;
  ASSERT_EQ(IdOf(queue->Wait(eWaitFront, eQItemProcessed, 0, keep, nullptr, 2, true)), 0);
  waiter.join();
  EXPECT_EQ(IdOf(taken), 1);
}

TEST(QueueWait, TakenItemMovesIntoTheNextQueueInOneStep) {
  RecordingMaster master;
  auto source = QueueWithStates({eQItemProcessed, eQItemProcessed});
  auto next = CQeProcessingQueue::Create(4);
  master.QueueInsert(next, nullptr);
  bool keep = true;
  auto moved = source->Wait(eWaitFront, eQItemProcessed, 0, keep, next.Get(), eQItemQueued, true);
  ASSERT_EQ(IdOf(moved), 0);
  EXPECT_EQ(moved->State(), eQItemQueued);
  EXPECT_EQ(source->Size(), 1u);
  EXPECT_EQ(next->Size(), 1u);
  EXPECT_EQ(master.Growth().back().second, 1u) << "the next queue reported its growth";
  EXPECT_EQ(Peek(*next, eWaitFront, eQItemQueued), 0);
}

TEST(QueueWait, FailedPushIntoAFullNextQueueStillErasesTheItem) {
  auto source = QueueWithStates({eQItemProcessed});
  auto next = QueueWithStates({eQItemQueued}, 1);
  std::atomic<bool> done{false};
  ItemRef moved;
  std::thread mover([&] {
    bool keep = true;
    moved = source->Wait(eWaitFront, eQItemProcessed, 0, keep, next.Get(), eQItemQueued, true);
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

TEST(QueueSetState, SignalsStateChangedOnlyForProcessedAndQueued) {
  auto queue = QueueWithStates({eQItemQueued});
  bool keep = false;
  auto item = queue->Wait(eWaitFront, eQItemQueued, 0, keep, nullptr, eQItemQueued, false);
  const auto before = queue->Counters();

  EXPECT_EQ(queue->SetState(item.Get(), nullptr, eQItemProcessing, false).Get(), item.Get());
  EXPECT_EQ(item->State(), eQItemProcessing);
  EXPECT_EQ(queue->Counters().stateChangedSignals, before.stateChangedSignals);

  queue->SetState(item.Get(), nullptr, eQItemProcessed, false);
  EXPECT_EQ(queue->Counters().stateChangedSignals, before.stateChangedSignals + 1);
  queue->SetState(item.Get(), nullptr, eQItemQueued, false);
  EXPECT_EQ(queue->Counters().stateChangedSignals, before.stateChangedSignals + 2);
  queue->SetState(item.Get(), nullptr, 7, false);
  EXPECT_EQ(queue->Counters().stateChangedSignals, before.stateChangedSignals + 2);
  EXPECT_EQ(queue->Counters().spaceFreedSignals, before.spaceFreedSignals);
  EXPECT_EQ(queue->Size(), 1u);
}

TEST(QueueSetState, RemoveSignalsSpaceFreedAndErases) {
  auto queue = QueueWithStates({eQItemQueued, eQItemQueued});
  bool keep = false;
  auto item = queue->Wait(eWaitFront, eQItemQueued, 0, keep, nullptr, eQItemQueued, false);
  const auto before = queue->Counters();
  EXPECT_EQ(queue->SetState(item.Get(), nullptr, eQItemProcessing, true).Get(), item.Get());
  EXPECT_EQ(queue->Counters().spaceFreedSignals, before.spaceFreedSignals + 1);
  EXPECT_EQ(queue->Size(), 1u);
  EXPECT_EQ(AsTestItem(item.Get())->RefCount(), 1);
  EXPECT_FALSE(queue->SetState(item.Get(), nullptr, eQItemQueued, true))
      << "an item no longer queued is left alone";
}

TEST(QueueSetState, ItemOfAnotherQueueIsLeftAlone) {
  auto queue = QueueWithStates({eQItemQueued});
  auto stranger = TestItem::Create(5);
  stranger->SetState(eQItemProcessing);
  EXPECT_FALSE(queue->SetState(stranger.Get(), nullptr, eQItemProcessed, true));
  EXPECT_FALSE(queue->SetState(nullptr, nullptr, eQItemProcessed, true));
  EXPECT_EQ(stranger->State(), eQItemProcessing);
  EXPECT_EQ(queue->Size(), 1u);
}

TEST(QueueSetState, NextQueueReceivesTheItemWithTheNextState) {
  auto source = QueueWithStates({eQItemProcessing});
  auto next = CQeProcessingQueue::Create(2);
  bool keep = false;
  auto item = source->Wait(eWaitFront, eQItemProcessing, 0, keep, nullptr, 1, false);
  EXPECT_EQ(source->SetState(item.Get(), next.Get(), eQItemQueued, true).Get(), item.Get());
  EXPECT_EQ(source->Size(), 0u);
  EXPECT_EQ(next->Size(), 1u);
  EXPECT_EQ(item->State(), eQItemQueued);
}

TEST(QueueWaitUntilEmpty, ReturnsOnceAnotherThreadDrainedTheQueue) {
  auto queue = QueueWithStates({eQItemQueued, eQItemQueued, eQItemQueued});
  std::atomic<bool> drainedBeforeReturn{false};
  std::thread drainer([&] {
    bool keep = true;
    for (int i = 0; i < 3; ++i) {
      queue->Wait(eWaitFront, eQItemQueued, -1, keep, nullptr, 0, true);
    }
  });
  queue->WaitUntilEmpty();
  drainedBeforeReturn = queue->Size() == 0;
  drainer.join();
  EXPECT_TRUE(drainedBeforeReturn.load());
  CQeProcessingQueue::Create(1)->WaitUntilEmpty();  // an empty queue returns at once
}
