// Whole pipelines on real threads started by the master: every item
// processed exactly once, push order kept by in-order transporters, and a
// chain of three queues drained completely.
#include <gtest/gtest.h>

#include <vector>

#include "queue/queue_fixtures.h"

using qe::test::Eventually;
using qe::test::ProcessLog;
using qe::test::ShutDown;
using qe::test::TestItem;

namespace {

// Pushes items 0 .. count-1 in order, blocking while the queue is full.
void Produce(IQeParallelProcessingQueue& queue, int count, ProcessLog* log) {
  for (int id = 0; id < count; ++id) {
    auto item = TestItem::Create(id, log);
    // One wait per call: try again when the queue was still full after it.
    while (queue.PushBack(item, eQItemQueued, -1) != 0) {
    }
  }
}

}  // namespace

TEST(QueuePipeline, TwoOutOfOrderProcessorsNeverProcessTheSameItem) {
  ProcessLog log;  // first: items may outlive everything declared after it
  constexpr int kItems = 10000;
  CQeProcessingQMaster master;
  auto queue = CQeProcessingQueue::Create(64);
  master.QueueInsert(queue, L"work");
  master.ThreadFactoryAssign(&CQeQThreadOutOfOrderProcessingAndRemoving::s_sFactory, 2, queue,
                             nullptr);
  Produce(*queue, kItems, &log);
  ASSERT_TRUE(Eventually([&] { return log.processed.load() >= kItems; }));
  queue->WaitUntilEmpty();
  EXPECT_LE(master.QueueCountThreads(queue.Get()), 2u);
  EXPECT_TRUE(log.EachProcessed(kItems, 1));
  ASSERT_TRUE(ShutDown(master, queue));
}

TEST(QueuePipeline, InOrderProcessorWithAnInOrderTransporterDeliversInPushOrder) {
  ProcessLog log;
  constexpr int kItems = 2000;
  CQeProcessingQMaster master;
  auto queue = CQeProcessingQueue::Create(16);
  auto sink = CQeProcessingQueue::Create(kItems);
  master.QueueInsert(queue, L"ordered");
  master.ThreadFactoryAssign(&CQeQThreadInOrderProcessing::s_sFactory, 2, queue, nullptr);
  master.ThreadFactoryAssign(&CQeQThreadInOrderTransporting::s_sFactory, 1, queue, sink);
  Produce(*queue, kItems, &log);
  ASSERT_TRUE(Eventually([&] { return sink->Size() == kItems; }));
  EXPECT_TRUE(log.EachProcessed(kItems, 1));
  EXPECT_EQ(log.maxInFlight.load(), 1) << "only the front item is processed";
  std::vector<int> ids(kItems);
  for (int id = 0; id < kItems; ++id) ids[id] = id;
  EXPECT_EQ(qe::test::Drain(*sink, eQItemQueued), ids);
  ASSERT_TRUE(ShutDown(master, queue));
}

TEST(QueuePipeline, ThreeQueueChainDrainsEveryItemThroughEveryStage) {
  ProcessLog log;  // first: items may outlive everything declared after it
  constexpr int kItems = 10000;
  CQeProcessingQMaster master;
  auto process = CQeProcessingQueue::Create(16);
  auto transport = CQeProcessingQueue::Create(32);
  auto finish = CQeProcessingQueue::Create(32);
  master.QueueInsert(process, L"process");
  master.QueueInsert(transport, L"transport");
  master.QueueInsert(finish, L"finish");
  master.ThreadFactoryAssign(&CQeQThreadOutOfOrderProcessing::s_sFactory, 2, process, nullptr);
  master.ThreadFactoryAssign(&CQeQThreadInOrderTransporting::s_sFactory, 1, process, transport);
  master.ThreadFactoryAssign(&CQeQThreadOutOfOrderProcessingAndTransporting::s_sFactory, 2,
                             transport, finish);
  master.ThreadFactoryAssign(&CQeQThreadOutOfOrderProcessingAndRemoving::s_sFactory, 2, finish,
                             nullptr);

  Produce(*process, kItems, &log);
  ASSERT_TRUE(Eventually([&] { return log.destroyed.load() == kItems; }))
      << "every item reached the end of the chain and was released";
  EXPECT_TRUE(log.EachProcessed(kItems, 3)) << "once by each of the three processing stages";
  EXPECT_EQ(process->Size() + transport->Size() + finish->Size(), 0u);
  // Upstream first, as the system shuts a chain down.
  for (const auto* queue : {&process, &transport, &finish}) ASSERT_TRUE(ShutDown(master, *queue));
}
