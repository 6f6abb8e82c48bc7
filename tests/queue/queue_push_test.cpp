// Pushing into a bounded queue: capacity, the single wait on a full queue,
// time-outs, duplicates by predicate and the growth reports to the master.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "queue/queue_fixtures.h"

using qe::test::Eventually;
using qe::test::RecordingMaster;
using qe::test::TestItem;

namespace {

// Matches the items whose id is `id`.
struct IdPredicate : IQeParallelProcessingQueueItemPredicate {
  explicit IdPredicate(int wanted) : id(wanted) {}
  bool Matches(IQeParallelProcessingQueueItem* item) override {
    ++calls;
    TestItem* test = qe::test::AsTestItem(item);
    return test && test->id == id;
  }
  int id;
  int calls = 0;
};

// Matches processed items.
struct ProcessedPredicate : IQeParallelProcessingQueueItemPredicate {
  bool Matches(IQeParallelProcessingQueueItem* item) override {
    return item->State() == eQItemProcessed;
  }
};

CQeRefCountPtr<CQeProcessingQueue> FullQueue(unsigned int capacity) {
  auto queue = CQeProcessingQueue::Create(capacity);
  for (unsigned int i = 0; i < capacity; ++i) {
    EXPECT_EQ(queue->PushBack(TestItem::Create(static_cast<int>(i)), eQItemQueued, 0), 0);
  }
  return queue;
}

}  // namespace

TEST(QueuePush, AppendsInOrderWithTheGivenStateAndReportsTheNewSize) {
  RecordingMaster master;
  auto queue = CQeProcessingQueue::Create(3);
  master.QueueInsert(queue, L"q");
  EXPECT_EQ(queue->QueueMasterGet(), &master);

  auto first = TestItem::Create(1);
  auto second = TestItem::Create(2);
  EXPECT_EQ(queue->PushBack(first, eQItemProcessed, 0), 0);
  EXPECT_EQ(queue->PushBack(second, eQItemQueued, 0), 0);
  EXPECT_EQ(queue->Size(), 2u);
  EXPECT_EQ(first->State(), eQItemProcessed);
  EXPECT_EQ(second->State(), eQItemQueued);
  EXPECT_EQ(first->RefCount(), 2) << "the queue holds one reference per entry";
  EXPECT_EQ(queue->Counters().itemPushedSignals, 2u);

  auto growth = master.Growth();
  ASSERT_EQ(growth.size(), 2u);
  EXPECT_EQ(growth[0], std::make_pair(static_cast<IQeParallelProcessingQueue*>(queue.Get()), 1u));
  EXPECT_EQ(growth[1].second, 2u);

  bool keep = false;
  EXPECT_EQ(queue->Wait(eWaitFront, eQItemProcessed, 0, keep, nullptr, 0, true).Get(), first.Get())
      << "front is the oldest push";
}

TEST(QueuePush, FullQueueWithoutWaitingFailsAtOnceAndTheCallerKeepsTheItem) {
  RecordingMaster master;
  auto queue = FullQueue(2);
  master.QueueInsert(queue, nullptr);
  auto extra = TestItem::Create(9);
  EXPECT_EQ(queue->PushBack(extra, eQItemProcessed, 0), -9);
  EXPECT_EQ(queue->Size(), 2u);
  EXPECT_EQ(extra->RefCount(), 1);
  EXPECT_EQ(extra->State(), eQItemQueued) << "a refused item is not touched";
  EXPECT_EQ(queue->Counters().waits, 0u);
  EXPECT_TRUE(master.Growth().empty()) << "a refused push reports no growth";
}

TEST(QueuePush, FullQueueWithATimeoutFailsWhenTheTimedWaitRunsOut) {
  auto queue = FullQueue(1);
  auto extra = TestItem::Create(9);
  EXPECT_EQ(queue->PushBack(extra, eQItemQueued, 1), -9);
  EXPECT_EQ(queue->Counters().waits, 1u);
  EXPECT_EQ(queue->Counters().timeouts, 1u);
  EXPECT_EQ(queue->Size(), 1u);
  EXPECT_EQ(extra->RefCount(), 1);
}

TEST(QueuePush, BlockedPushSucceedsOnceAnItemIsErased) {
  auto queue = FullQueue(2);
  auto extra = TestItem::Create(9);
  std::atomic<int> result{1};
  std::thread pusher([&] { result = queue->PushBack(extra, eQItemQueued, -1); });
  ASSERT_TRUE(Eventually([&] { return queue->Counters().waits == 1; }));

  bool keep = false;
  auto front = queue->Wait(eWaitFront, eQItemQueued, 0, keep, nullptr, eQItemProcessed, true);
  ASSERT_TRUE(front);
  pusher.join();
  EXPECT_EQ(result.load(), 0);
  EXPECT_EQ(queue->Size(), 2u);
  EXPECT_EQ(queue->SetState(extra.Get(), nullptr, eQItemQueued, false).Get(), extra.Get())
      << "the pushed item is queued";
}

TEST(QueuePush, SingleWaitFailsWhenTheQueueIsStillFullAfterAWakeUp) {
  auto queue = FullQueue(1);
  auto extra = TestItem::Create(9);
  std::atomic<bool> done{false};
  std::atomic<int> result{1};
  std::thread pusher([&] {
    result = queue->PushBack(extra, eQItemQueued, -1);
    done = true;
  });
  // Wakes the pusher without freeing space; repeated because the pusher may
  // not have reached its wait yet.
  ASSERT_TRUE(Eventually([&] {
    queue->BroadcastAllConditions();
    return done.load();
  }));
  pusher.join();
  EXPECT_EQ(result.load(), -9);
  EXPECT_EQ(queue->Counters().waits, 1u) << "there is no second wait";
  EXPECT_EQ(queue->Size(), 1u);
}

TEST(QueuePush, PredicateMatchKeepsTheQueueAndReportsTheUnchangedSize) {
  RecordingMaster master;
  auto queue = CQeProcessingQueue::Create(5);
  master.QueueInsert(queue, nullptr);
  ASSERT_EQ(queue->PushBack(TestItem::Create(1), eQItemQueued, 0), 0);
  ASSERT_EQ(queue->PushBack(TestItem::Create(2), eQItemQueued, 0), 0);

  IdPredicate duplicate(1);
  auto again = TestItem::Create(1);
  EXPECT_EQ(queue->PushBackIfNotAlreadyIn(again, eQItemProcessed, &duplicate, 0), 0);
  EXPECT_EQ(duplicate.calls, 1) << "the walk stops at the first match";
  EXPECT_EQ(queue->Size(), 2u);
  EXPECT_EQ(again->RefCount(), 1);
  EXPECT_EQ(again->State(), eQItemQueued);
  auto growth = master.Growth();
  ASSERT_EQ(growth.size(), 3u);
  EXPECT_EQ(growth.back().second, 2u) << "growth reported with the unchanged size";

  IdPredicate fresh(3);
  EXPECT_EQ(queue->PushBackIfNotAlreadyIn(TestItem::Create(3), eQItemQueued, &fresh, 0), 0);
  EXPECT_EQ(fresh.calls, 2);
  EXPECT_EQ(queue->Size(), 3u);
  EXPECT_EQ(master.Growth().back().second, 3u);
}

TEST(QueuePush, PredicateMatchOnAFullQueueSucceedsWithoutWaiting) {
  auto queue = FullQueue(2);
  IdPredicate duplicate(1);
  EXPECT_EQ(queue->PushBackIfNotAlreadyIn(TestItem::Create(1), eQItemQueued, &duplicate, 0), 0);
  EXPECT_EQ(queue->Counters().waits, 0u);
}

TEST(QueuePush, MatchAppearingDuringTheWaitSucceedsWithoutAGrowthReport) {
  RecordingMaster master;
  auto queue = CQeProcessingQueue::Create(2);
  master.QueueInsert(queue, nullptr);
  auto kept = TestItem::Create(1);
  auto leaving = TestItem::Create(2);
  ASSERT_EQ(queue->PushBack(kept, eQItemQueued, 0), 0);
  ASSERT_EQ(queue->PushBack(leaving, eQItemQueued, 0), 0);
  const size_t reportsBefore = master.Growth().size();

  ProcessedPredicate processed;
  auto newcomer = TestItem::Create(3);
  std::atomic<int> result{1};
  std::thread pusher(
      [&] { result = queue->PushBackIfNotAlreadyIn(newcomer, eQItemQueued, &processed, -1); });
  ASSERT_TRUE(Eventually([&] { return queue->Counters().waits == 1; }));
  queue->SetState(kept.Get(), nullptr, eQItemProcessed, false);
  queue->SetState(leaving.Get(), nullptr, eQItemQueued, true);
  pusher.join();

  EXPECT_EQ(result.load(), 0);
  EXPECT_EQ(queue->Size(), 1u) << "the newcomer was not queued";
  EXPECT_EQ(newcomer->RefCount(), 1);
  EXPECT_EQ(master.Growth().size(), reportsBefore);
}

TEST(QueuePush, NullItemIsRefused) {
  auto queue = CQeProcessingQueue::Create(2);
  EXPECT_EQ(queue->PushBack(nullptr, eQItemQueued, 0), -4);
  EXPECT_EQ(queue->Size(), 0u);
}

TEST(QueuePush, QueueWithoutMasterStillAccepts) {
  auto queue = CQeProcessingQueue::Create(2);
  EXPECT_EQ(queue->QueueMasterGet(), nullptr);
  EXPECT_EQ(queue->PushBack(TestItem::Create(1), eQItemQueued, 0), 0);
  EXPECT_EQ(queue->Size(), 1u);
}

TEST(QueuePush, ManyProducersFillAndOneConsumerDrainsEveryItemOnce) {
  constexpr int kProducers = 4;
  constexpr int kPerProducer = 500;
  auto queue = CQeProcessingQueue::Create(8);
  std::vector<std::thread> producers;
  for (int p = 0; p < kProducers; ++p) {
    producers.emplace_back([&, p] {
      for (int i = 0; i < kPerProducer; ++i) {
        auto item = TestItem::Create(p * kPerProducer + i);
        // A single wait may end with the queue taken again by another producer.
        while (queue->PushBack(item, eQItemQueued, -1) != 0) {
        }
      }
    });
  }
  std::vector<int> seen(kProducers * kPerProducer, 0);
  std::vector<int> lastOfProducer(kProducers, -1);
  bool keep = true;
  for (int taken = 0; taken < kProducers * kPerProducer; ++taken) {
    auto item = queue->Wait(eWaitFront, eQItemQueued, -1, keep, nullptr, eQItemProcessed, true);
    ASSERT_TRUE(item);
    int id = qe::test::AsTestItem(item.Get())->id;
    ++seen[id];
    EXPECT_GT(id, lastOfProducer[id / kPerProducer]) << "each producer's items keep their order";
    lastOfProducer[id / kPerProducer] = id;
  }
  for (auto& producer : producers) producer.join();
  for (int count : seen) EXPECT_EQ(count, 1);
  EXPECT_EQ(queue->Size(), 0u);
}
