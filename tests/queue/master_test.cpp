// The queue master: registration, the growth rule, stopping, joining,
// workers removing themselves, and the holder.
#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>
#include <vector>

#include "queue/queue_fixtures.h"

using qe::test::Eventually;
using qe::test::Gate;
using qe::test::IdleWorkerFactory;
using qe::test::RecordingMaster;
using qe::test::ShutDown;
using qe::test::TestItem;
using qe::test::WorkerStats;

namespace {

// Hands out workers of another factory with a fixed idle timeout.
class FixedTimeoutFactory : public IQeParallelProcessingQueueThreadFactory {
 public:
  FixedTimeoutFactory(IQeParallelProcessingQueueThreadFactory* inner, int timeout)
      : inner_(inner), timeout_(timeout) {}
  CQeRefCountPtr<IQeParallelProcessingQueueThread> CreateQueueThread(
      IQeParallelProcessingQueue* source, IQeParallelProcessingQueue* destination, int) override {
    created.fetch_add(1);
    return inner_->CreateQueueThread(source, destination, timeout_);
  }
  std::atomic<int> created{0};

 private:
  IQeParallelProcessingQueueThreadFactory* inner_;
  int timeout_;
};

// A master that counts the workers that came to remove themselves (counted
// first, so that a join that saw the removal also sees the count).
class CountingMaster : public CQeProcessingQMaster {
 public:
  void ThreadRemoveAndDestroy(IQeParallelProcessingQueueThread* thread) override {
    removals.fetch_add(1);
    CQeProcessingQMaster::ThreadRemoveAndDestroy(thread);
  }
  std::atomic<int> removals{0};
};

}  // namespace

TEST(QueueMaster, SharedObjectIsOneObjectForEveryThread) {
  std::vector<CQeProcessingQMaster*> seen(4, nullptr);
  std::vector<std::thread> threads;
  for (int i = 0; i < 4; ++i) {
    threads.emplace_back([&seen, i] { seen[i] = CQeProcessingQMaster::GetSharedObject(); });
  }
  for (auto& thread : threads) thread.join();
  for (auto* master : seen) EXPECT_EQ(master, CQeProcessingQMaster::GetSharedObject());
  auto* shared = CQeProcessingQMaster::GetSharedObject();
  EXPECT_EQ(shared->GetInterface(L"CQeProcessingQMaster"), shared);
  EXPECT_EQ(shared->GetInterface(L"CQeProcessingQueue"), nullptr);
}

TEST(QueueMaster, RegistrationSetsTheMasterAndLookupFindsTheFirstOfAName) {
  CQeProcessingQMaster master;
  auto first = CQeProcessingQueue::Create(2);
  auto second = CQeProcessingQueue::Create(2);
  master.QueueInsert(first, L"Pipeline::Queue");
  master.QueueInsert(second, L"Pipeline::Queue");
  EXPECT_EQ(first->QueueMasterGet(), &master);
  EXPECT_EQ(first->RefCount(), 2) << "registration holds a reference";
  EXPECT_EQ(master.QueueGet(L"Pipeline::Queue").Get(), first.Get());
  EXPECT_FALSE(master.QueueGet(L"pipeline::queue")) << "names compare exactly";
  EXPECT_FALSE(master.QueueGet(L"Unknown"));

  master.QueueRemove(first);
  EXPECT_EQ(first->QueueMasterGet(), nullptr);
  EXPECT_EQ(first->RefCount(), 1);
  EXPECT_EQ(master.QueueGet(L"Pipeline::Queue").Get(), second.Get());
  master.QueueRemove(first);  // no longer registered: nothing happens
  master.QueueRemove(nullptr);
  EXPECT_EQ(second->QueueMasterGet(), &master);
}

TEST(QueueMaster, DestroyedMasterReleasesItsQueuesWithoutStoppingAnything) {
  auto queue = CQeProcessingQueue::Create(2);
  {
    CQeProcessingQMaster master;
    master.QueueInsert(queue, L"q");
    EXPECT_EQ(queue->RefCount(), 2);
  }
  EXPECT_EQ(queue->RefCount(), 1);
  EXPECT_EQ(queue->QueueMasterGet(), nullptr);
  EXPECT_EQ(queue->PushBack(TestItem::Create(1), eQItemQueued, 0), 0);
}

TEST(QueueMaster, FactoryOfAnUnregisteredQueueIsIgnored) {
  CQeProcessingQMaster master;
  WorkerStats stats;
  IdleWorkerFactory factory(&stats);
  auto queue = CQeProcessingQueue::Create(4);
  master.ThreadFactoryAssign(&factory, 4, queue, nullptr);
  master.QueueInsert(queue, L"q");
  queue->PushBack(TestItem::Create(1), eQItemQueued, 0);
  EXPECT_EQ(stats.created.load(), 0);
  EXPECT_EQ(master.QueueCountThreads(queue.Get()), 0u);
  master.QueueRemove(queue);
}

TEST(QueueMaster, AssigningStartsNothingAndGrowthToZeroChangesNothing) {
  CQeProcessingQMaster master;
  WorkerStats stats;
  IdleWorkerFactory factory(&stats);
  auto queue = CQeProcessingQueue::Create(4);
  master.QueueInsert(queue, L"q");
  master.ThreadFactoryAssign(&factory, 4, queue, nullptr);
  EXPECT_EQ(stats.created.load(), 0);
  master.QueueGrowing(queue.Get(), 0);
  EXPECT_EQ(stats.created.load(), 0);
  master.QueueRemove(queue);
}

TEST(QueueMaster, EachPushStartsAtMostOneWorkerPerFactoryEntryWithinItsLimit) {
  CQeProcessingQMaster master;
  WorkerStats statsA;
  WorkerStats statsB;
  IdleWorkerFactory factoryA(&statsA);
  IdleWorkerFactory factoryB(&statsB);
  auto queue = CQeProcessingQueue::Create(16);
  master.QueueInsert(queue, L"q");
  master.ThreadFactoryAssign(&factoryA, 2, queue, nullptr);
  master.ThreadFactoryAssign(&factoryB, 3, queue, nullptr);

  const int expectedA[] = {1, 2, 2, 2, 2, 2};
  const int expectedB[] = {1, 2, 3, 3, 3, 3};
  for (int push = 0; push < 6; ++push) {
    ASSERT_EQ(queue->PushBack(TestItem::Create(push), eQItemQueued, 0), 0);
    EXPECT_EQ(statsA.created.load(), expectedA[push]) << "after push " << push + 1;
    EXPECT_EQ(statsB.created.load(), expectedB[push]) << "after push " << push + 1;
    EXPECT_EQ(master.QueueCountThreads(queue.Get()),
              static_cast<unsigned int>(expectedA[push] + expectedB[push]));
  }
  // A duplicate reports the unchanged size: no worker beyond the queued items.
  struct Always : IQeParallelProcessingQueueItemPredicate {
    bool Matches(IQeParallelProcessingQueueItem*) override { return true; }
  } always;
  queue->PushBackIfNotAlreadyIn(TestItem::Create(99), eQItemQueued, &always, 0);
  EXPECT_EQ(statsB.created.load(), 3);

  ASSERT_TRUE(ShutDown(master, queue));
  EXPECT_TRUE(statsA.AllDestroyed());
  EXPECT_TRUE(statsB.AllDestroyed());
  EXPECT_EQ(statsA.runsEnded.load(), 2);
  EXPECT_EQ(statsB.runsEnded.load(), 3);
}

TEST(QueueMaster, NeverMoreWorkersThanQueuedItems) {
  CQeProcessingQMaster master;
  WorkerStats stats;
  IdleWorkerFactory factory(&stats);
  auto queue = CQeProcessingQueue::Create(16);
  master.QueueInsert(queue, L"q");
  master.ThreadFactoryAssign(&factory, 10, queue, nullptr);
  auto only = TestItem::Create(1);
  queue->PushBack(only, eQItemQueued, 0);
  // Take the item out again and push another: the queue has one item and
  // already one worker, so no second worker starts.
  queue->SetState(only.Get(), nullptr, eQItemProcessed, true);
  queue->PushBack(TestItem::Create(2), eQItemQueued, 0);
  EXPECT_EQ(stats.created.load(), 1);
  ASSERT_TRUE(ShutDown(master, queue));
  EXPECT_TRUE(stats.AllDestroyed());
}

TEST(QueueMaster, LaterWorkersGetShorterIdleTimeouts) {
  CQeProcessingQMaster master;
  WorkerStats stats;
  IdleWorkerFactory factory(&stats);
  auto queue = CQeProcessingQueue::Create(32);
  master.QueueInsert(queue, L"q");
  master.ThreadFactoryAssign(&factory, 20, queue, nullptr);
  for (int i = 0; i < 20; ++i) queue->PushBack(TestItem::Create(i), eQItemQueued, 0);
  const std::vector<int> expected = {30, 30, 15, 10, 7, 6, 5, 4, 3, 3,
                                     3,  2,  2,  2,  2, 2, 1, 1, 1, 1};
  EXPECT_EQ(stats.Timeouts(), expected);
  EXPECT_EQ(CQeProcessingQMaster::GrowthTimeout(1000), 1);
  ASSERT_TRUE(ShutDown(master, queue));
  EXPECT_TRUE(stats.AllDestroyed());
}

TEST(QueueMaster, SingleWorkerLimitHoldsAndANewWorkerFollowsAnIdleEnd) {
  CQeProcessingQMaster master;
  FixedTimeoutFactory factory(&CQeQThreadOutOfOrderProcessingAndRemoving::s_sFactory, 0);
  auto queue = CQeProcessingQueue::Create(16);
  master.QueueInsert(queue, L"q");
  master.ThreadFactoryAssign(&factory, 1, queue, nullptr);

  Gate gate;
  auto first = TestItem::Create(0, nullptr, &gate);
  queue->PushBack(first, eQItemQueued, 0);
  ASSERT_TRUE(Eventually([&] { return first->processCount.load() == 1; }));
  for (int i = 1; i <= 5; ++i) {
    queue->PushBack(TestItem::Create(i), eQItemQueued, 0);
    EXPECT_EQ(master.QueueCountThreads(queue.Get()), 1u);
  }
  EXPECT_EQ(factory.created.load(), 1);
  gate.Open();
  // The worker drains the queue, finds nothing more (timeout 0) and removes itself.
  ASSERT_TRUE(Eventually([&] { return master.QueueCountThreads(queue.Get()) == 0; }));
  EXPECT_EQ(queue->Size(), 0u);

  auto later = TestItem::Create(6);
  queue->PushBack(later, eQItemQueued, 0);
  EXPECT_EQ(factory.created.load(), 2);
  ASSERT_TRUE(Eventually([&] { return master.QueueCountThreads(queue.Get()) == 0; }));
  EXPECT_EQ(later->processCount.load(), 1);
  ASSERT_TRUE(ShutDown(master, queue));
}

TEST(QueueMaster, JoinReturnsOnlyAfterEveryWorkerRemovedItself) {
  CountingMaster master;
  WorkerStats stats;
  IdleWorkerFactory factory(&stats, false, std::chrono::milliseconds(20));
  auto queue = CQeProcessingQueue::Create(8);
  master.QueueInsert(queue, L"q");
  master.ThreadFactoryAssign(&factory, 3, queue, nullptr);
  for (int i = 0; i < 3; ++i) queue->PushBack(TestItem::Create(i), eQItemQueued, 0);
  ASSERT_TRUE(Eventually([&] { return stats.runsBegun.load() == 3; }));

  master.QueueStopAllThreads(queue);
  master.QueueJoinAllThreads(queue);
  EXPECT_EQ(master.removals.load(), 3);
  EXPECT_EQ(stats.runsEnded.load(), 3);
  EXPECT_EQ(master.QueueCountThreads(queue.Get()), 0u);
  EXPECT_EQ(queue->Size(), 3u) << "stopping leaves the items queued";
  master.QueueRemove(queue);
  EXPECT_TRUE(stats.AllDestroyed());
}

TEST(QueueMaster, WorkerThatFailsToStartIsForgottenAtOnce) {
  CQeProcessingQMaster master;
  WorkerStats stats;
  IdleWorkerFactory factory(&stats, true);
  auto queue = CQeProcessingQueue::Create(8);
  master.QueueInsert(queue, L"q");
  master.ThreadFactoryAssign(&factory, 1, queue, nullptr);
  queue->PushBack(TestItem::Create(1), eQItemQueued, 0);
  queue->PushBack(TestItem::Create(2), eQItemQueued, 0);
  EXPECT_EQ(stats.created.load(), 2) << "the failed worker did not count towards the limit";
  EXPECT_EQ(stats.destroyed.load(), 2);
  EXPECT_EQ(master.QueueCountThreads(queue.Get()), 0u);
  master.QueueJoinAllThreads(queue);  // nothing to wait for
  master.QueueRemove(queue);
}

TEST(QueueMaster, StopAndJoinOfAnUnregisteredQueueReturnAtOnce) {
  CQeProcessingQMaster master;
  auto queue = CQeProcessingQueue::Create(2);
  master.QueueStopAllThreads(queue);
  master.QueueJoinAllThreads(queue);
  master.QueueWaitUntilEmpty(queue);
  EXPECT_EQ(queue->Counters().itemPushedSignals, 0u) << "nothing was broadcast";
}

TEST(QueueMasterHolder, DestructionUnregistersInInsertionOrder) {
  RecordingMaster master;
  auto a = CQeProcessingQueue::Create(1);
  auto b = CQeProcessingQueue::Create(1);
  auto c = CQeProcessingQueue::Create(1);
  WorkerStats stats;
  IdleWorkerFactory factory(&stats);
  {
    CQeCQeProcessingQMasterHolder holder(&master);
    holder.QueueInsert(a);
    holder.QueueInsert(b);
    holder.QueueInsert(c);
    holder.ThreadFactoryAssign(&factory, 1, a, b);
    EXPECT_EQ(master.inserted.size(), 3u);
    EXPECT_EQ(master.assigned.size(), 1u);
    EXPECT_TRUE(master.removed.empty());
  }
  const std::vector<IQeParallelProcessingQueue*> expected = {a.Get(), b.Get(), c.Get()};
  EXPECT_EQ(master.removed, expected);
}

TEST(QueueMasterHolder, RegistersWithTheSharedMasterByDefault) {
  auto queue = CQeProcessingQueue::Create(4);
  WorkerStats stats;
  IdleWorkerFactory factory(&stats);
  auto* shared = CQeProcessingQMaster::GetSharedObject();
  {
    CQeCQeProcessingQMasterHolder holder;
    EXPECT_EQ(holder.Master(), shared);
    holder.QueueInsert(queue);
    holder.ThreadFactoryAssign(&factory, 1, queue, nullptr);
    EXPECT_EQ(queue->QueueMasterGet(), shared);
    queue->PushBack(TestItem::Create(1), eQItemQueued, 0);
    EXPECT_EQ(shared->QueueCountThreads(queue.Get()), 1u);
    shared->QueueStopAllThreads(queue);
    shared->QueueJoinAllThreads(queue);
  }
  EXPECT_EQ(queue->QueueMasterGet(), nullptr);
  EXPECT_EQ(shared->QueueCountThreads(queue.Get()), 0u);
  EXPECT_TRUE(stats.AllDestroyed());
  EXPECT_EQ(queue->RefCount(), 1);
}
