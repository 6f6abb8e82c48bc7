// Work items of the processing queues.
//
// Conventions:
//  - An item is a counted object (qe/core/refcount.h): it starts with a
//    count of 1, and the CQeRefCountPtr returned by its creator takes over
//    that reference. A queue holds one reference per entry.
//  - Every item carries a state number (EQeQItemState). States are changed
//    only through the queue that holds the item, under that queue's mutex;
//    the item itself does no locking around its state.
//  - Process runs on a worker thread with no lock held. Derive from
//    CQeProcessingQItem and override Process (and GetInterface, answering
//    the derived class name first, then the base's answer).
#pragma once

#include <atomic>

#include "qe/core/refcount.h"

class IQeParallelProcessingQueueThread;

// Item states. The values are fixed: the workers use exactly these.
enum EQeQItemState : unsigned int {
  eQItemProcessed = 0,   // processed; waiting to be transported or removed
  eQItemProcessing = 1,  // taken by a processing worker, still in the queue
  eQItemQueued = 2,      // waiting to be processed; the state of a new item
};

class IQeParallelProcessingQueueItem : public IQeRefCount, public IQeGetInterface {
 public:
  virtual unsigned int State() const = 0;
  // Stores the state; callers hold the mutex of the queue that owns the item.
  virtual void SetState(unsigned int state) = 0;
  // The work. Called by `thread` outside every lock.
  virtual void Process(IQeParallelProcessingQueueThread* thread) = 0;

 protected:
  // Counted objects are deleted by their last Release only.
  virtual ~IQeParallelProcessingQueueItem() = default;
};

// Duplicate test for PushBackIfNotAlreadyIn. Not counted: the caller owns it
// (typically a local object) and it must outlive the push call.
class IQeParallelProcessingQueueItemPredicate {
 public:
  virtual bool Matches(IQeParallelProcessingQueueItem* item) = 0;

 protected:
  ~IQeParallelProcessingQueueItemPredicate() = default;
};

// Base class of concrete items. The count and the zero-pointer set are
// thread-safe (atomic count; the set is guarded by its own mutex, a leaf
// lock). The state is an atomic 32-bit value read and written without
// ordering: the owning queue's mutex orders every change.
class CQeProcessingQItem : public IQeParallelProcessingQueueItem, public CQeRefCounted {
 public:
  QE_IMPLEMENT_REFCOUNT

  // Answers "CQeProcessingQItem"; null for every other name.
  void* GetInterface(const wchar_t* name) override;
  unsigned int State() const override { return state_.load(std::memory_order_relaxed); }
  void SetState(unsigned int state) override { state_.store(state, std::memory_order_relaxed); }
  // Does nothing here.
  void Process(IQeParallelProcessingQueueThread* thread) override;

 protected:
  CQeProcessingQItem() = default;
  ~CQeProcessingQItem() override = default;

 private:
  std::atomic<unsigned int> state_{eQItemQueued};
};
