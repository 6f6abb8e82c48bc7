// The two queues of the thumbnail pipeline: the bounded reading queue that
// holds pending requests, and the virtual callback queue that hands every
// finished request to its callback at once.
//
// Conventions:
//  - Both are counted objects made by Create and registered in the shared
//    queue master by CQeProjectThumbDb under fixed names; readers
//    (CQeProjectThumbReader) take requests from the reading queue and move
//    each finished one into the callback queue.
//  - Delivery happens inside the reading queue's SetState: the push into the
//    callback queue, and with it the host's callback, runs on the reader
//    thread while the reading queue's mutex is held. Lock order: the
//    reading queue's mutex, then the master's mutex (as for every queue);
//    the callback queue has no mutex of its own.
#pragma once

#include <atomic>

#include "qe/queue/queue.h"
#include "qe/thumbdb/project_thumb.h"

// The reading queue: a CQeProcessingQueue that can forget the requests of
// one callback. Shared by posting, cancelling and reading threads; the
// base's mutex guards the list and every request's state and callback
// changes made through it.
class CQeProjectThumbQueue : public CQeProcessingQueue {
 public:
  static CQeRefCountPtr<CQeProjectThumbQueue> Create(unsigned int capacity);

  // Answers "CQeProjectThumbQueue", then "CQeProcessingQueue".
  void* GetInterface(const wchar_t* name) override;

  // Under the queue's mutex: every queued request of `callback` that a
  // reader is working on (state 1) keeps its place but loses its callback,
  // so it is finished and stored but never delivered; every other request
  // of `callback` is taken out of the queue and released. Requests of other
  // callbacks are untouched. Since delivery runs under the same mutex, no
  // callback of `callback` is made once this returns. A null callback does
  // nothing.
  virtual void RemoveCallbacks(IQeProjectThumbReadyCallback* callback);

 protected:
  explicit CQeProjectThumbQueue(unsigned int capacity);
  ~CQeProjectThumbQueue() override = default;
};

// The callback queue: holds nothing. A push delivers the request (when it
// is a CQeProjectThumb) to its callback and returns 0; it never reports
// growth, so no worker is ever started for it. Shared by every reader
// thread: the count and the master pointer are atomic, and delivery runs
// under the caller's (the reading queue's) mutex.
class CQeProjectThumbVirtualQueue : public IQeParallelProcessingQueue, public CQeRefCounted {
 public:
  static CQeRefCountPtr<CQeProjectThumbVirtualQueue> Create();

  QE_IMPLEMENT_REFCOUNT

  // Answers "CQeProjectThumbVirtualQueue" only.
  void* GetInterface(const wchar_t* name) override;
  void QueueMasterSet(IQeParallelProcessingQueueMaster* master) override;
  IQeParallelProcessingQueueMaster* QueueMasterGet() override;
  // PushBackIfNotAlreadyIn(item, state, null, timeout).
  int PushBack(CQeRefCountPtr<IQeParallelProcessingQueueItem> item, unsigned int state,
               int timeout) override;
  // Ignores state, predicate and timeout; delivers the request. Returns 0.
  int PushBackIfNotAlreadyIn(CQeRefCountPtr<IQeParallelProcessingQueueItem> item,
                             unsigned int state, IQeParallelProcessingQueueItemPredicate* predicate,
                             int timeout) override;
  // Return null: nothing is ever queued.
  CQeRefCountPtr<IQeParallelProcessingQueueItem> Wait(unsigned int mode, unsigned int state,
                                                      int timeout, bool& keepWaiting,
                                                      IQeParallelProcessingQueue* nextQueue,
                                                      unsigned int nextState, bool remove) override;
  CQeRefCountPtr<IQeParallelProcessingQueueItem> SetState(IQeParallelProcessingQueueItem* item,
                                                          IQeParallelProcessingQueue* nextQueue,
                                                          unsigned int nextState,
                                                          bool remove) override;
  // Do nothing.
  void WaitUntilEmpty() override;
  void BroadcastAllConditions() override;

 protected:
  CQeProjectThumbVirtualQueue() = default;
  ~CQeProjectThumbVirtualQueue() override = default;

 private:
  std::atomic<IQeParallelProcessingQueueMaster*> master_{nullptr};
};
