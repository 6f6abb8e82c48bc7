// Counting, zero-pointer addresses and interface queries of the queue objects.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "queue/queue_fixtures.h"

using qe::test::ProcessLog;
using qe::test::TestItem;

TEST(QueueItemCounting, LastReleaseNullsRegisteredAddressesBeforeDeleting) {
  ProcessLog log;
  auto item = TestItem::Create(1, &log);
  void* watcherA = item.Get();
  void* watcherB = item.Get();
  void* unregistered = item.Get();
  item->AddZeroPtr(&watcherA);
  item->AddZeroPtr(&watcherB);
  item->AddZeroPtr(&unregistered);
  item->RemoveZeroPtr(&unregistered);
  CQeRefCountPtr<TestItem>& alias = item;
  item = alias;  // adds the new reference before releasing the old one

  CQeRefCountPtr<TestItem> second = item;
  item = nullptr;
  EXPECT_NE(watcherA, nullptr) << "a reference is still held";
  EXPECT_EQ(log.destroyed.load(), 0);
  second = nullptr;
  EXPECT_EQ(watcherA, nullptr);
  EXPECT_EQ(watcherB, nullptr);
  EXPECT_NE(unregistered, nullptr) << "a removed address is left alone";
  EXPECT_EQ(log.destroyed.load(), 1);
}

TEST(QueueItemCounting, ReleaseFromManyThreadsDeletesExactlyOnce) {
  ProcessLog log;
  void* watcher = nullptr;
  {
    auto item = TestItem::Create(1, &log);
    watcher = item.Get();
    item->AddZeroPtr(&watcher);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
      threads.emplace_back([copy = item]() mutable {
        for (int i = 0; i < 1000; ++i) CQeRefCountPtr<TestItem> more = copy;
      });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(item->RefCount(), 1);
  }
  EXPECT_EQ(log.destroyed.load(), 1);
  EXPECT_EQ(watcher, nullptr);
}

TEST(QueueItem, StartsQueuedAndAnswersClassNamesAlongTheChain) {
  auto item = TestItem::Create(1);
  EXPECT_EQ(item->State(), eQItemQueued);
  item->CQeProcessingQItem::Process(nullptr);
  EXPECT_EQ(item->processCount.load(), 0) << "the base does nothing";
  EXPECT_EQ(item->GetInterface(L"TestItem"), item.Get());
  EXPECT_EQ(item->GetInterface(L"CQeProcessingQItem"),
            static_cast<CQeProcessingQItem*>(item.Get()));
  for (const wchar_t* other : {L"IQeParallelProcessingQueueItem", L"cqeprocessingqitem", L""}) {
    EXPECT_EQ(item->GetInterface(other), nullptr) << "interface names, case, empty";
  }
  EXPECT_EQ(item->GetInterface(nullptr), nullptr);
}

TEST(QueueInterfaces, QueueAndWorkersAnswerTheirNames) {
  auto queue = CQeProcessingQueue::Create(4);
  EXPECT_EQ(queue->GetInterface(L"CQeProcessingQueue"), queue.Get());
  EXPECT_EQ(queue->GetInterface(L"CQeProcessingQItem"), nullptr);

  const std::pair<IQeParallelProcessingQueueThreadFactory*, const wchar_t*> kinds[] = {
      {&CQeQThreadInOrderProcessing::s_sFactory, L"CQeQThreadInOrderProcessing"},
      {&CQeQThreadOutOfOrderProcessing::s_sFactory, L"CQeQThreadOutOfOrderProcessing"},
      {&CQeQThreadInOrderTransporting::s_sFactory, L"CQeQThreadInOrderTransporting"},
      {&CQeQThreadOutOfOrderTransporting::s_sFactory, L"CQeQThreadOutOfOrderTransporting"},
      {&CQeQThreadInOrderProcessingAndTransporting::s_sFactory,
       L"CQeQThreadInOrderProcessingAndTransporting"},
      {&CQeQThreadOutOfOrderProcessingAndTransporting::s_sFactory,
       L"CQeQThreadOutOfOrderProcessingAndTransporting"},
      {&CQeQThreadOutOfOrderProcessingAndRemoving::s_sFactory,
       L"CQeQThreadOutOfOrderProcessingAndRemoving"},
  };
  for (const auto& [factory, name] : kinds) {
    SCOPED_TRACE(qe::WideToUtf8(name));
    auto worker = factory->CreateQueueThread(queue.Get(), nullptr, 5);
    ASSERT_TRUE(worker);
    EXPECT_EQ(worker->GetInterface(name), worker.Get());
    auto* base = static_cast<CQeQThreadBase*>(worker->GetInterface(L"CQeQThreadBase"));
    ASSERT_NE(base, nullptr);
    EXPECT_EQ(base->Timeout(), 5);
    EXPECT_EQ(base->SourceQueue(), queue.Get());
    EXPECT_FALSE(base->IsRunning());
    for (const auto& other : kinds) {
      EXPECT_EQ(worker->GetInterface(other.second) != nullptr, other.second == name);
    }
    EXPECT_EQ(factory->CreateQueueThread(nullptr, queue.Get(), 5), nullptr) << "needs a source";
  }
  EXPECT_EQ(queue->RefCount(), 1) << "destroyed workers released their source";
}
