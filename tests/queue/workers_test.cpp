// The seven worker kinds one step at a time, and the life of a single worker
// thread: start, idle end, stop, join.
#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "queue/queue_fixtures.h"

using qe::test::AsTestItem;
using qe::test::Eventually;
using qe::test::SinkQueue;
using qe::test::TestItem;

namespace {

enum class After { kInPlace, kMoved, kRemoved };

struct KindCase {
  IQeParallelProcessingQueueThreadFactory* factory;
  const char* name;
  bool frontOnly;
  bool processes;
  After after;
};

const KindCase kKinds[] = {
    {&CQeQThreadInOrderProcessing::s_sFactory, "InOrderProcessing", true, true, After::kInPlace},
    {&CQeQThreadOutOfOrderProcessing::s_sFactory, "OutOfOrderProcessing", false, true,
     After::kInPlace},
    {&CQeQThreadInOrderTransporting::s_sFactory, "InOrderTransporting", true, false, After::kMoved},
    {&CQeQThreadOutOfOrderTransporting::s_sFactory, "OutOfOrderTransporting", false, false,
     After::kMoved},
    {&CQeQThreadInOrderProcessingAndTransporting::s_sFactory, "InOrderProcessingAndTransporting",
     true, true, After::kMoved},
    {&CQeQThreadOutOfOrderProcessingAndTransporting::s_sFactory,
     "OutOfOrderProcessingAndTransporting", false, true, After::kMoved},
    {&CQeQThreadOutOfOrderProcessingAndRemoving::s_sFactory, "OutOfOrderProcessingAndRemoving",
     false, true, After::kRemoved},
};

// The state a kind takes items in: processing kinds take queued items,
// transporters processed ones.
unsigned int TakesState(const KindCase& kind) {
  return kind.processes ? eQItemQueued : eQItemProcessed;
}

// Runs one step of a worker on this thread: a worker that is not running
// takes at most one item and then ends.
void RunOneStep(const KindCase& kind, IQeParallelProcessingQueue* source,
                IQeParallelProcessingQueue* destination) {
  auto worker = kind.factory->CreateQueueThread(source, destination, 0);
  ASSERT_TRUE(worker);
  EXPECT_EQ(worker->Run(), nullptr);
}

}  // namespace

TEST(QueueWorkerKinds, EachKindTakesMovesAndProcessesAsItsTableSays) {
  for (const KindCase& kind : kKinds) {
    SCOPED_TRACE(kind.name);
    const unsigned int takes = TakesState(kind);
    const unsigned int other = kind.processes ? eQItemProcessed : eQItemProcessing;
    auto source = CQeProcessingQueue::Create(8);
    auto sink = SinkQueue::Create();
    auto blocker = TestItem::Create(0);
    auto wanted = TestItem::Create(1);
    ASSERT_EQ(source->PushBack(blocker, other, 0), 0);
    ASSERT_EQ(source->PushBack(wanted, takes, 0), 0);

    RunOneStep(kind, source.Get(), sink.Get());
    if (kind.frontOnly) {
      EXPECT_EQ(wanted->processCount.load(), 0) << "a front-only kind does not look past the front";
      EXPECT_EQ(wanted->State(), takes);
      EXPECT_EQ(source->Size(), 2u);
      // Take the blocker away; now the wanted item is at the front.
      source->SetState(blocker.Get(), nullptr, other, true);
      RunOneStep(kind, source.Get(), sink.Get());
    }
    EXPECT_EQ(blocker->processCount.load(), 0);
    EXPECT_EQ(wanted->processCount.load(), kind.processes ? 1 : 0);
    const unsigned int left = kind.frontOnly ? 0u : 1u;  // the blocker, if still there
    switch (kind.after) {
      case After::kInPlace:
        EXPECT_EQ(wanted->State(), eQItemProcessed);
        EXPECT_EQ(source->Size(), left + 1);
        EXPECT_EQ(sink->Count(), 0u);
        break;
      case After::kMoved:
        EXPECT_EQ(wanted->State(), eQItemQueued);
        EXPECT_EQ(source->Size(), left);
        ASSERT_EQ(sink->Count(), 1u);
        EXPECT_EQ(sink->Items()[0].Get(), wanted.Get());
        break;
      case After::kRemoved:
        EXPECT_EQ(source->Size(), left);
        EXPECT_EQ(sink->Count(), 0u);
        EXPECT_EQ(wanted->RefCount(), 1);
        break;
    }
  }
}

TEST(QueueWorkerKinds, WorkerThatIsNoLongerRunningFinishesItsItemAndEnds) {
  auto source = CQeProcessingQueue::Create(4);
  auto first = TestItem::Create(1);
  auto second = TestItem::Create(2);
  source->PushBack(first, eQItemQueued, 0);
  source->PushBack(second, eQItemQueued, 0);
  auto worker =
      CQeQThreadOutOfOrderProcessing::s_sFactory.CreateQueueThread(source.Get(), nullptr, -1);
  worker->Run();  // never started: running is false
  EXPECT_EQ(first->processCount.load(), 1);
  EXPECT_EQ(first->State(), eQItemProcessed);
  EXPECT_EQ(second->processCount.load(), 0) << "the loop ended after the item it had";
}

namespace {

// An out-of-order reader with per-thread resources, as a pipeline stage
// that opens a connection per worker would have.
class HookedReader : public CQeQThreadOutOfOrderProcessingAndTransporting {
 public:
  HookedReader(IQeParallelProcessingQueue* source, IQeParallelProcessingQueue* destination,
               int timeout, std::atomic<int>* open, std::atomic<int>* opened)
      : CQeQThreadOutOfOrderProcessingAndTransporting(source, destination, timeout),
        open_(open),
        opened_(opened) {}
  void* GetInterface(const wchar_t* name) override {
    if (name && std::wcscmp(name, L"HookedReader") == 0) return static_cast<HookedReader*>(this);
    return CQeQThreadOutOfOrderProcessingAndTransporting::GetInterface(name);
  }

 protected:
  void RunBegin() override {
    open_->fetch_add(1);
    opened_->fetch_add(1);
  }
  void RunEnd() override { open_->fetch_sub(1); }

 private:
  std::atomic<int>* open_;
  std::atomic<int>* opened_;
};

}  // namespace

TEST(QueueWorkerKinds, DerivedKindKeepsItsBaseLoopAndRunsItsHooks) {
  auto source = CQeProcessingQueue::Create(4);
  auto sink = SinkQueue::Create();
  std::atomic<int> open{0};
  std::atomic<int> opened{0};
  auto item = TestItem::Create(1);
  source->PushBack(item, eQItemQueued, 0);
  CQeRefCountPtr<HookedReader> reader = CQeRefCountPtr<HookedReader>::Adopt(
      new HookedReader(source.Get(), sink.Get(), 0, &open, &opened));
  EXPECT_NE(reader->GetInterface(L"CQeQThreadOutOfOrderProcessingAndTransporting"), nullptr);
  EXPECT_NE(reader->GetInterface(L"CQeQThreadBase"), nullptr);
  ASSERT_EQ(reader->Start(), 0);
  reader->Join();
  EXPECT_EQ(opened.load(), 1);
  EXPECT_EQ(open.load(), 0);
  EXPECT_EQ(item->processCount.load(), 1);
  EXPECT_EQ(sink->Count(), 1u);
  EXPECT_FALSE(reader->IsRunning());
}

TEST(QueueWorkerThread, ZeroTimeoutWorkerDrainsWhatMatchesAndEnds) {
  auto source = CQeProcessingQueue::Create(8);
  for (int i = 0; i < 5; ++i) source->PushBack(TestItem::Create(i), eQItemQueued, 0);
  auto worker = CQeQThreadOutOfOrderProcessingAndRemoving::s_sFactory.CreateQueueThread(
      source.Get(), nullptr, 0);
  ASSERT_EQ(worker->Start(), 0);
  worker->Join();
  EXPECT_EQ(source->Size(), 0u);
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
  ASSERT_TRUE(Eventually([&] { return item->State() == eQItemProcessed; }));
  ASSERT_TRUE(Eventually([&] { return source->Counters().waits >= 2; }));
  worker->Stop();
  source->BroadcastAllConditions();
  worker->Join();
  EXPECT_FALSE(base->IsRunning());
  EXPECT_EQ(item->processCount.load(), 1);
}

TEST(QueueWorkerThread, WorkerCanBeStartedAgainAfterItsLoopEnded) {
  auto source = CQeProcessingQueue::Create(4);
  auto worker = CQeQThreadOutOfOrderProcessingAndRemoving::s_sFactory.CreateQueueThread(
      source.Get(), nullptr, 0);
  worker->Join();  // never started: returns at once
  source->PushBack(TestItem::Create(1), eQItemQueued, 0);
  ASSERT_EQ(worker->Start(), 0);
  worker->Join();
  source->PushBack(TestItem::Create(2), eQItemQueued, 0);
  ASSERT_EQ(worker->Start(), 0);
  worker->Join();
  EXPECT_EQ(source->Size(), 0u);
}

TEST(QueueWorkerThread, StartedWorkerOutlivesItsCreatorsReference) {
  auto source = CQeProcessingQueue::Create(4);
  qe::test::Gate gate;
  auto item = TestItem::Create(1, nullptr, &gate);
  source->PushBack(item, eQItemQueued, 0);
  {
    auto worker = CQeQThreadOutOfOrderProcessingAndRemoving::s_sFactory.CreateQueueThread(
        source.Get(), nullptr, 0);
    ASSERT_EQ(worker->Start(), 0);
  }
  // The worker is now held by its own thread only; it finishes the item.
  gate.Open();
  ASSERT_TRUE(Eventually([&] { return source->RefCount() == 1; }))
      << "the ended worker released its source queue";
  EXPECT_EQ(item->processCount.load(), 1);
  EXPECT_EQ(source->Size(), 0u);
}
