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

// Matches the items whose id is `id`, or (id -1) processed items.
struct IdPredicate : IQeParallelProcessingQueueItemPredicate {
  explicit IdPredicate(int wanted) : id(wanted) {}
  bool Matches(IQeParallelProcessingQueueItem* item) override {
    ++calls;
    if (id < 0) return item->State() == eQItemProcessed;
    return qe::test::AsTestItem(item)->id == id;
  }
  int id;
  int calls = 0;
};

CQeRefCountPtr<CQeProcessingQueue> FullQueue(unsigned int capacity,
                                             RecordingMaster* master = nullptr) {
  auto queue = CQeProcessingQueue::Create(capacity);
  if (master) master->QueueInsert(queue, nullptr);
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
  auto first = TestItem::Create(1);
  EXPECT_EQ(queue->PushBack(first, eQItemProcessed, 0), 0);
  EXPECT_EQ(queue->PushBack(TestItem::Create(2), eQItemProcessed, 0), 0);
  EXPECT_EQ(first->State(), eQItemProcessed);
  EXPECT_EQ(first->RefCount(), 2) << "the queue holds one reference per entry";
  EXPECT_EQ(queue->Counters().itemPushedSignals, 2u);
  const auto growth = master.Growth();
  ASSERT_EQ(growth.size(), 2u);
  EXPECT_EQ(growth[0], std::make_pair(static_cast<IQeParallelProcessingQueue*>(queue.Get()), 1u));
  EXPECT_EQ(growth[1].second, 2u);
  EXPECT_EQ(qe::test::Drain(*queue, eQItemProcessed), (std::vector<int>{1, 2}));
}

TEST(QueuePush, FullQueueFailsAtOnceWithoutTimeoutAndAfterOneTimedWait) {
  RecordingMaster master;
  auto queue = FullQueue(2, &master);
  const size_t reports = master.Growth().size();
  auto extra = TestItem::Create(9);
  EXPECT_EQ(queue->PushBack(extra, eQItemProcessed, 0), -9);
  EXPECT_EQ(queue->Counters().waits, 0u);
  EXPECT_EQ(extra->State(), eQItemQueued) << "a refused item is not touched";
  EXPECT_EQ(master.Growth().size(), reports) << "a refused push reports no growth";

  EXPECT_EQ(queue->PushBack(extra, eQItemQueued, 1), -9);
  EXPECT_EQ(queue->Counters().waits, 1u);
  EXPECT_EQ(queue->Counters().timeouts, 1u) << "failed only once its timed wait ran out";
  EXPECT_EQ(queue->Size(), 2u);
  EXPECT_EQ(extra->RefCount(), 1) << "the caller keeps the only reference";
}

TEST(QueuePush, BlockedPushSucceedsOnceAnItemIsErased) {
  auto queue = FullQueue(2);
  auto extra = TestItem::Create(9);
  std::atomic<int> result{1};
  std::thread pusher([&] { result = queue->PushBack(extra, eQItemQueued, -1); });
  ASSERT_TRUE(Eventually([&] { return queue->Counters().waits == 1; }));
  bool keep = false;
  ASSERT_TRUE(queue->Wait(eWaitFront, eQItemQueued, 0, keep, nullptr, eQItemProcessed, true));
  pusher.join();
  EXPECT_EQ(result.load(), 0);
  EXPECT_EQ(qe::test::Drain(*queue, eQItemQueued), (std::vector<int>{1, 9}));
}

TEST(QueuePush, SingleWaitFailsWhenTheQueueIsStillFullAfterAWakeUp) {
  auto queue = FullQueue(1);
  std::atomic<bool> done{false};
  std::atomic<int> result{1};
  std::thread pusher([&] {
    result = queue->PushBack(TestItem::Create(9), eQItemQueued, -1);
    done = true;
  });
  // Wakes the pusher without freeing space; repeated because it may not wait yet.
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
  auto queue = FullQueue(2, &master);  // ids 0 and 1
  IdPredicate duplicate(0);
  auto again = TestItem::Create(0);
  // Checked before the capacity: a duplicate on a full queue succeeds without waiting.
  EXPECT_EQ(queue->PushBackIfNotAlreadyIn(again, eQItemProcessed, &duplicate, -1), 0);
  EXPECT_EQ(duplicate.calls, 1) << "the walk stops at the first match";
  EXPECT_EQ(queue->Counters().waits, 0u);
  EXPECT_EQ(again->RefCount(), 1);
  EXPECT_EQ(again->State(), eQItemQueued);
  const auto growth = master.Growth();
  ASSERT_EQ(growth.size(), 3u);
  EXPECT_EQ(growth.back().second, 2u) << "growth reported with the unchanged size";

  bool keep = false;
  ASSERT_TRUE(queue->Wait(eWaitFront, eQItemQueued, 0, keep, nullptr, 0, true));  // room for one
  IdPredicate fresh(3);
  EXPECT_EQ(queue->PushBackIfNotAlreadyIn(TestItem::Create(3), eQItemQueued, &fresh, 0), 0);
  EXPECT_EQ(queue->Size(), 2u);
  ASSERT_EQ(master.Growth().size(), 4u);
  EXPECT_EQ(master.Growth().back().second, 2u);
}

TEST(QueuePush, MatchAppearingDuringTheWaitSucceedsWithoutAGrowthReport) {
  RecordingMaster master;
  auto queue = FullQueue(2, &master);
  const size_t reports = master.Growth().size();
  bool keep = false;
  auto kept = queue->Wait(eWaitFront, eQItemQueued, 0, keep, nullptr, eQItemQueued, false);
  IdPredicate processed(-1);
  auto newcomer = TestItem::Create(3);
  std::atomic<int> result{1};
  std::thread pusher(
      [&] { result = queue->PushBackIfNotAlreadyIn(newcomer, eQItemQueued, &processed, -1); });
  ASSERT_TRUE(Eventually([&] { return queue->Counters().waits == 1; }));
  queue->SetState(kept.Get(), nullptr, eQItemProcessed, false);
  ASSERT_TRUE(queue->Wait(eWaitAny, eQItemQueued, 0, keep, nullptr, eQItemQueued, true));
  pusher.join();
  EXPECT_EQ(result.load(), 0);
  EXPECT_EQ(queue->Size(), 1u) << "the newcomer was not queued";
  EXPECT_EQ(newcomer->RefCount(), 1);
  EXPECT_EQ(master.Growth().size(), reports);
}

TEST(QueuePush, NullItemIsRefusedAndAQueueWithoutMasterStillAccepts) {
  auto queue = CQeProcessingQueue::Create(2);
  EXPECT_EQ(queue->PushBack(nullptr, eQItemQueued, 0), -4);
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
  // Ids rising per producer over all 2000 takes: each item came exactly once.
  std::vector<int> lastOfProducer(kProducers, -1);
  bool keep = true;
  for (int taken = 0; taken < kProducers * kPerProducer; ++taken) {
    auto item = queue->Wait(eWaitFront, eQItemQueued, -1, keep, nullptr, eQItemProcessed, true);
    ASSERT_TRUE(item);
    const int id = qe::test::AsTestItem(item.Get())->id;
    EXPECT_GT(id, lastOfProducer[id / kPerProducer]) << "each producer's items keep their order";
    lastOfProducer[id / kPerProducer] = id;
  }
  for (auto& producer : producers) producer.join();
}
