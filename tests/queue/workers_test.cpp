// The seven worker kinds one step at a time, and the life of a single worker
// thread: start, idle end, stop, join.
#include <gtest/gtest.h>

#include <atomic>

#include "queue/queue_fixtures.h"

using qe::test::Eventually;
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

TEST(QueueWorkerKinds, WorkerThatIsNoLongerRunningFinishesItsItemAndEnds) {
  auto source = CQeProcessingQueue::Create(4);
  auto first = TestItem::Create(1);
  auto second = TestItem::Create(2);
  source->PushBack(first, eQItemQueued, 0);
  source->PushBack(second, eQItemQueued, 0);
  CQeQThreadOutOfOrderProcessing::s_sFactory.CreateQueueThread(source.Get(), nullptr, -1)->Run();
  EXPECT_EQ(first->processCount.load(), 1);
  EXPECT_EQ(first->State(), eQItemProcessed);
  EXPECT_EQ(second->processCount.load(), 0) << "the loop ended after the item it had";
}

namespace {

// An out-of-order reader with per-thread resources, as a pipeline stage
// that opens a connection per worker would have: counts its hook calls.
class HookedReader : public CQeQThreadOutOfOrderProcessingAndTransporting {
 public:
  HookedReader(IQeParallelProcessingQueue* source, IQeParallelProcessingQueue* destination)
      : CQeQThreadOutOfOrderProcessingAndTransporting(source, destination, 0) {}
  std::atomic<int> begun{0}, ended{0};

 protected:
  void RunBegin() override { begun.fetch_add(1); }
  void RunEnd() override { ended.fetch_add(1); }
};

}  // namespace

TEST(QueueWorkerKinds, DerivedKindKeepsItsBaseLoopAndRunsItsHooks) {
  auto source = CQeProcessingQueue::Create(4);
  auto sink = CQeProcessingQueue::Create(4);
  auto item = TestItem::Create(1);
  source->PushBack(item, eQItemQueued, 0);
  auto reader = CQeRefCountPtr<HookedReader>::Adopt(new HookedReader(source.Get(), sink.Get()));
  EXPECT_NE(reader->GetInterface(L"CQeQThreadOutOfOrderProcessingAndTransporting"), nullptr);
  ASSERT_EQ(reader->Start(), 0);
  reader->Join();
  EXPECT_EQ(reader->begun.load(), 1);
  EXPECT_EQ(reader->ended.load(), 1);
  EXPECT_EQ(item->processCount.load(), 1);
  EXPECT_EQ(sink->Size(), 1u);
  EXPECT_FALSE(reader->IsRunning());
}

TEST(QueueWorkerThread, ZeroTimeoutWorkerDrainsWhatMatchesEndsAndCanStartAgain) {
  auto source = CQeProcessingQueue::Create(8);
  auto worker = CQeQThreadOutOfOrderProcessingAndRemoving::s_sFactory.CreateQueueThread(
      source.Get(), nullptr, 0);
  worker->Join();  // never started: returns at once
  for (int round = 0; round < 2; ++round) {
    for (int i = 0; i < 3; ++i) source->PushBack(TestItem::Create(i), eQItemQueued, 0);
    ASSERT_EQ(worker->Start(), 0);
    worker->Join();
    EXPECT_EQ(source->Size(), 0u);
  }
  EXPECT_EQ(source->Counters().waits, 0u) << "a zero timeout never waits";
}

TEST(QueueWorkerThread, StoppedWorkerEndsOnceTheQueueIsBroadcast) {
  auto source = CQeProcessingQueue::Create(4);
  auto worker =
      CQeQThreadOutOfOrderProcessing::s_sFactory.CreateQueueThread(source.Get(), nullptr, -1);
  auto* base = static_cast<CQeQThreadBase*>(worker->GetInterface(L"CQeQThreadBase"));
  ASSERT_EQ(worker->Start(), 0);
  EXPECT_TRUE(base->IsRunning());
  EXPECT_EQ(worker->Start(), -9) << "one loop at a time";
  // An item pushed while it waits is processed, and it waits again.
  ASSERT_TRUE(Eventually([&] { return source->Counters().waits >= 1; }));
  auto item = TestItem::Create(1);
  source->PushBack(item, eQItemQueued, 0);
  ASSERT_TRUE(Eventually(
      [&] { return item->State() == eQItemProcessed && source->Counters().waits >= 2; }));
  worker->Stop();
  source->BroadcastAllConditions();
  worker->Join();
  EXPECT_FALSE(base->IsRunning());
  EXPECT_EQ(item->processCount.load(), 1);
}

TEST(QueueWorkerThread, StartedWorkerOutlivesItsCreatorsReference) {
  auto source = CQeProcessingQueue::Create(4);
  std::atomic<bool> gate{false};
  auto item = TestItem::Create(1, nullptr, &gate);
  source->PushBack(item, eQItemQueued, 0);
  ASSERT_EQ(CQeQThreadOutOfOrderProcessingAndRemoving::s_sFactory
                .CreateQueueThread(source.Get(), nullptr, 0)
                ->Start(),
            0);
  gate = true;  // the worker is now held by its own thread only
  ASSERT_TRUE(Eventually([&] { return source->RefCount() == 1; }))
      << "the ended worker released its source queue";
  EXPECT_EQ(item->processCount.load(), 1);
  EXPECT_EQ(source->Size(), 0u);
}
