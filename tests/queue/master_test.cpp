// The queue master: registration, the growth rule, stopping, joining,
// workers removing themselves, and the holder.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "queue/queue_fixtures.h"

using qe::test::Eventually;
using qe::test::IdleWorkerFactory;
using qe::test::ShutDown;
using qe::test::TestItem;

namespace {

// Hands out processing-and-removing workers with idle timeout 0.
struct ZeroTimeoutFactory : IQeParallelProcessingQueueThreadFactory {
  CQeRefCountPtr<IQeParallelProcessingQueueThread> CreateQueueThread(
      IQeParallelProcessingQueue* source, IQeParallelProcessingQueue* destination, int) override {
    created.fetch_add(1);
    return CQeQThreadOutOfOrderProcessingAndRemoving::s_sFactory.CreateQueueThread(source,
                                                                                   destination, 0);
  }
  std::atomic<int> created{0};
};

// A registered queue with one factory assigned.
CQeRefCountPtr<CQeProcessingQueue> Registered(CQeProcessingQMaster& master,
                                              IQeParallelProcessingQueueThreadFactory* factory,
                                              unsigned int maxThreads) {
  auto queue = CQeProcessingQueue::Create(32);
  master.QueueInsert(queue, L"q");
  master.ThreadFactoryAssign(factory, maxThreads, queue, nullptr);
  return queue;
}

void Push(CQeProcessingQueue& queue, int count) {
  for (int i = 0; i < count; ++i) ASSERT_EQ(queue.PushBack(TestItem::Create(i), 2, 0), 0);
}

}  // namespace

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
  }
  EXPECT_EQ(queue->RefCount(), 1);
  EXPECT_EQ(queue->QueueMasterGet(), nullptr);
  EXPECT_EQ(queue->PushBack(TestItem::Create(1), eQItemQueued, 0), 0);
}

TEST(QueueMaster, UnregisteredQueuesAndGrowthToZeroStartNothing) {
  CQeProcessingQMaster master;
  IdleWorkerFactory factory;
  auto queue = CQeProcessingQueue::Create(4);
  master.ThreadFactoryAssign(&factory, 4, queue, nullptr);  // not registered yet: ignored
  master.QueueStopAllThreads(queue);
  master.QueueJoinAllThreads(queue);
  master.QueueWaitUntilEmpty(queue);
  EXPECT_EQ(queue->Counters().itemPushedSignals, 0u) << "nothing was broadcast";
  master.QueueInsert(queue, L"q");
  Push(*queue, 1);
  EXPECT_EQ(factory.created.load(), 0);
  master.ThreadFactoryAssign(&factory, 4, queue, nullptr);
  EXPECT_EQ(factory.created.load(), 0) << "assigning starts nothing";
  master.QueueGrowing(queue.Get(), 0);
  EXPECT_EQ(factory.created.load(), 0);
  ASSERT_TRUE(ShutDown(master, queue));
}

TEST(QueueMaster, EachPushStartsAtMostOneWorkerPerFactoryEntryWithinItsLimit) {
  CQeProcessingQMaster master;
  IdleWorkerFactory factoryA, factoryB;
  auto queue = Registered(master, &factoryA, 2);
  master.ThreadFactoryAssign(&factoryB, 3, queue, nullptr);
  const int expectedA[] = {1, 2, 2, 2, 2, 2};
  const int expectedB[] = {1, 2, 3, 3, 3, 3};
  for (int push = 0; push < 6; ++push) {
    Push(*queue, 1);
    EXPECT_EQ(factoryA.created.load(), expectedA[push]) << "after push " << push + 1;
    EXPECT_EQ(factoryB.created.load(), expectedB[push]) << "after push " << push + 1;
    EXPECT_EQ(master.QueueCountThreads(queue.Get()),
              static_cast<unsigned int>(expectedA[push] + expectedB[push]));
  }
  ASSERT_TRUE(ShutDown(master, queue));
  EXPECT_TRUE(factoryA.AllDestroyed());
  EXPECT_TRUE(factoryB.AllDestroyed());
  EXPECT_EQ(factoryA.runsEnded.load() + factoryB.runsEnded.load(), 5);
}

TEST(QueueMaster, NeverMoreWorkersThanQueuedItems) {
  CQeProcessingQMaster master;
  IdleWorkerFactory factory;
  auto queue = Registered(master, &factory, 10);
  Push(*queue, 1);
  // A duplicate reports the unchanged size, 1: no second worker.
  struct Always : IQeParallelProcessingQueueItemPredicate {
    bool Matches(IQeParallelProcessingQueueItem*) override { return true; }
  } always;
  queue->PushBackIfNotAlreadyIn(TestItem::Create(9), eQItemQueued, &always, 0);
  // One item out, another in: still one item and one worker.
  EXPECT_EQ(qe::test::Drain(*queue, eQItemQueued).size(), 1u);
  Push(*queue, 1);
  EXPECT_EQ(factory.created.load(), 1);
  ASSERT_TRUE(ShutDown(master, queue));
  EXPECT_TRUE(factory.AllDestroyed());
}

TEST(QueueMaster, LaterWorkersGetShorterIdleTimeouts) {
  CQeProcessingQMaster master;
  IdleWorkerFactory factory;
  auto queue = Registered(master, &factory, 20);
  Push(*queue, 20);
  const std::vector<int> expected = {30, 30, 15, 10, 7, 6, 5, 4, 3, 3,
                                     3,  2,  2,  2,  2, 2, 1, 1, 1, 1};
  EXPECT_EQ(factory.Timeouts(), expected);
  EXPECT_EQ(CQeProcessingQMaster::GrowthTimeout(1000), 1);
  ASSERT_TRUE(ShutDown(master, queue));
  EXPECT_TRUE(factory.AllDestroyed());
}

TEST(QueueMaster, SingleWorkerLimitHoldsAndANewWorkerFollowsAnIdleEnd) {
  CQeProcessingQMaster master;
  ZeroTimeoutFactory factory;
  auto queue = Registered(master, &factory, 1);
  std::atomic<bool> gate{false};
  auto first = TestItem::Create(0, nullptr, &gate);
  queue->PushBack(first, eQItemQueued, 0);
  ASSERT_TRUE(Eventually([&] { return first->processCount.load() == 1; }));
  for (int i = 1; i <= 5; ++i) {
    Push(*queue, 1);
    EXPECT_EQ(master.QueueCountThreads(queue.Get()), 1u);
  }
  EXPECT_EQ(factory.created.load(), 1);
  gate = true;
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
  CQeProcessingQMaster master;
  IdleWorkerFactory factory(false, std::chrono::milliseconds(20));
  auto queue = Registered(master, &factory, 3);
  Push(*queue, 3);
  ASSERT_TRUE(Eventually([&] { return factory.runsBegun.load() == 3; }));
  master.QueueStopAllThreads(queue);
  master.QueueJoinAllThreads(queue);
  EXPECT_EQ(master.QueueCountThreads(queue.Get()), 0u) << "every worker removed itself";
  EXPECT_EQ(factory.runsEnded.load(), 3);
  EXPECT_EQ(queue->Size(), 3u) << "stopping leaves the items queued";
  master.QueueRemove(queue);
  EXPECT_TRUE(factory.AllDestroyed());
}

TEST(QueueMaster, WorkerThatFailsToStartIsForgottenAtOnce) {
  CQeProcessingQMaster master;
  IdleWorkerFactory factory(true);
  auto queue = Registered(master, &factory, 1);
  Push(*queue, 2);
  EXPECT_EQ(factory.created.load(), 2) << "the failed worker did not count towards the limit";
  EXPECT_EQ(factory.destroyed.load(), 2);
  EXPECT_EQ(master.QueueCountThreads(queue.Get()), 0u);
  master.QueueJoinAllThreads(queue);  // nothing to wait for
  master.QueueRemove(queue);
}

TEST(QueueMasterHolder, DestructionUnregistersInInsertionOrder) {
  qe::test::RecordingMaster master;
  auto a = CQeProcessingQueue::Create(1);
  auto b = CQeProcessingQueue::Create(1);
  auto c = CQeProcessingQueue::Create(1);
  IdleWorkerFactory factory;
  {
    CQeCQeProcessingQMasterHolder holder(&master);
    for (const auto* queue : {&a, &b, &c}) holder.QueueInsert(*queue);
    holder.ThreadFactoryAssign(&factory, 1, a, b);
    EXPECT_EQ(a->QueueMasterGet(), &master);
    EXPECT_EQ(master.assigned, std::vector<IQeParallelProcessingQueue*>{a.Get()});
    EXPECT_TRUE(master.removed.empty());
  }
  EXPECT_EQ(master.removed, (std::vector<IQeParallelProcessingQueue*>{a.Get(), b.Get(), c.Get()}));
}

TEST(QueueMasterHolder, RegistersWithTheSharedMasterByDefault) {
  auto queue = CQeProcessingQueue::Create(4);
  IdleWorkerFactory factory;
  auto* shared = CQeProcessingQMaster::GetSharedObject();
  CQeProcessingQMaster* seen = nullptr;
  std::thread([&seen] { seen = CQeProcessingQMaster::GetSharedObject(); }).join();
  EXPECT_EQ(seen, shared) << "one master for every thread";
  EXPECT_EQ(shared->GetInterface(L"CQeProcessingQMaster"), shared);
  EXPECT_EQ(shared->GetInterface(L"CQeProcessingQueue"), nullptr);
  {
    CQeCQeProcessingQMasterHolder holder;
    EXPECT_EQ(holder.Master(), shared);
    holder.QueueInsert(queue);
    holder.ThreadFactoryAssign(&factory, 1, queue, nullptr);
    EXPECT_EQ(queue->QueueMasterGet(), shared);
    Push(*queue, 1);
    EXPECT_EQ(shared->QueueCountThreads(queue.Get()), 1u);
    shared->QueueStopAllThreads(queue);
    shared->QueueJoinAllThreads(queue);
  }
  EXPECT_EQ(queue->QueueMasterGet(), nullptr);
  EXPECT_EQ(shared->QueueCountThreads(queue.Get()), 0u);
  EXPECT_TRUE(factory.AllDestroyed());
  EXPECT_EQ(queue->RefCount(), 1);
}
