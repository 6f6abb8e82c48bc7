#include <new>

#include "qe/queue/queue_master.h"

CQeCQeProcessingQMasterHolder::CQeCQeProcessingQMasterHolder()
    : master_(CQeProcessingQMaster::GetSharedObject()) {}

CQeCQeProcessingQMasterHolder::CQeCQeProcessingQMasterHolder(
    IQeParallelProcessingQueueMaster* master)
    : master_(master) {}

CQeCQeProcessingQMasterHolder::~CQeCQeProcessingQMasterHolder() {
  if (master_) {
    for (const auto& queue : queues_) master_->QueueRemove(queue);
  }
  queues_.clear();
}

void CQeCQeProcessingQMasterHolder::QueueInsert(CQeRefCountPtr<IQeParallelProcessingQueue> queue) {
  if (!master_ || !queue) return;
  master_->QueueInsert(queue, nullptr);
  try {
    queues_.push_back(queue);
  } catch (const std::bad_alloc&) {
    master_->QueueRemove(queue);
  }
}

void CQeCQeProcessingQMasterHolder::ThreadFactoryAssign(
    IQeParallelProcessingQueueThreadFactory* factory, unsigned int maxThreads,
    CQeRefCountPtr<IQeParallelProcessingQueue> source,
    CQeRefCountPtr<IQeParallelProcessingQueue> destination) {
  if (master_) master_->ThreadFactoryAssign(factory, maxThreads, source, destination);
}
