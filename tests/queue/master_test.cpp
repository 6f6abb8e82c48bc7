// The seven worker kinds one step at a time, and the queue master: the
// growth rule, joining, a worker that fails to start, and the holder.
#include <gtest/gtest.h>

#include <vector>

#include "queue/queue_fixtures.h"

using qe::test::Eventually;
using qe::test::IdleWorkerFactory;
using qe::test::ShutDown;
using qe::test::TestItem;

namespace {

enum class After { kInPlace, kMoved, kRemoved };

const struct KindCase {
  IQeParallelProcessingQueueThreadFactory* factory;
  const char* name;
  bool frontOnly;
  bool processes;
  After after;
} kKinds[] = {
    {&CQeQThreadInOrderProcessing::s_sFactory, "InOrderP", true, true, After::kInPlace},
    {&CQeQThreadOutOfOrderProcessing::s_sFactory, "OutOfOrderP", false, true, After::kInPlace},
    {&CQeQThreadInOrderTransporting::s_sFactory, "InOrderT", true, false, After::kMoved},
    {&CQeQThreadOutOfOrderTransporting::s_sFactory, "OutOfOrderT", false, false, After::kMoved},
    {&CQeQThreadInOrderProcessingAndTransporting::s_sFactory, "InOrderPT", true, true,
     After::kMoved},
    {&CQeQThreadOutOfOrderProcessingAndTransporting::s_sFactory, "OutOfOrderPT", false, true,
     After::kMoved},
    {&CQeQThreadOutOfOrderProcessingAndRemoving::s_sFactory, "OutOfOrderPR", false, true,
     After::kRemoved},
};

// One step of a worker on this thread: a worker that is not running takes
// at most one item and then ends.
void RunOneStep(IQeParallelProcessingQueueThreadFactory* factory,
                IQeParallelProcessingQueue* source, IQeParallelProcessingQueue* destination) {
  auto worker = factory->CreateQueueThread(source, destination, 0);
  ASSERT_TRUE(worker);
  EXPECT_EQ(worker->Run(), nullptr);
}

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

TEST(QueueWorkerKinds, EachKindTakesMovesAndProcessesAsItsTableSays) {
  for (const KindCase& kind : kKinds) {
    SCOPED_TRACE(kind.name);
    // Processing kinds take queued items, transporters processed ones.
    const unsigned int takes = kind.processes ? eQItemQueued : eQItemProcessed;
    const unsigned int other = kind.processes ? eQItemProcessed : eQItemProcessing;
    auto source = CQeProcessingQueue::Create(8);
    auto sink = CQeProcessingQueue::Create(8);
    auto blocker = TestItem::Create(0);
    auto wanted = TestItem::Create(1);
    ASSERT_EQ(source->PushBack(blocker, other, 0), 0);
    ASSERT_EQ(source->PushBack(wanted, takes, 0), 0);

    RunOneStep(kind.factory, source.Get(), sink.Get());
    if (kind.frontOnly) {
      EXPECT_EQ(wanted->processCount.load(), 0) << "a front-only kind does not look past the front";
      EXPECT_EQ(wanted->State(), takes);
      source->SetState(blocker.Get(), nullptr, other, true);
      RunOneStep(kind.factory, source.Get(), sink.Get());
    }
    EXPECT_EQ(blocker->processCount.load(), 0);
    EXPECT_EQ(wanted->processCount.load(), kind.processes ? 1 : 0);
    const unsigned int left = kind.frontOnly ? 0u : 1u;  // the blocker, if still there
    EXPECT_EQ(source->Size(), left + (kind.after == After::kInPlace ? 1u : 0u));
    EXPECT_EQ(wanted->RefCount(), kind.after == After::kRemoved ? 1 : 2);
    EXPECT_EQ(wanted->State(), kind.after == After::kMoved ? eQItemQueued : eQItemProcessed);
    EXPECT_EQ(qe::test::Drain(*sink, eQItemQueued),
              kind.after == After::kMoved ? std::vector<int>{1} : std::vector<int>{});
  }
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
  // Each later worker of an entry gets a shorter idle timeout: 30 / live workers.
  EXPECT_EQ(factoryA.Timeouts(), (std::vector<int>{30, 30}));
  EXPECT_EQ(factoryB.Timeouts(), (std::vector<int>{30, 30, 15}));
  EXPECT_EQ(CQeProcessingQMaster::GrowthTimeout(1000), 1);
  ASSERT_TRUE(ShutDown(master, queue));
  EXPECT_TRUE(factoryA.AllDestroyed());
  EXPECT_TRUE(factoryB.AllDestroyed());
  EXPECT_EQ(factoryA.runsEnded.load() + factoryB.runsEnded.load(), 5);
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
  {
    CQeCQeProcessingQMasterHolder holder(&master);
    for (const auto* queue : {&a, &b, &c}) holder.QueueInsert(*queue);
    EXPECT_EQ(a->QueueMasterGet(), &master);
    EXPECT_TRUE(master.removed.empty());
  }
  EXPECT_EQ(master.removed, (std::vector<IQeParallelProcessingQueue*>{a.Get(), b.Get(), c.Get()}));
  EXPECT_EQ(a->QueueMasterGet(), nullptr);
}
