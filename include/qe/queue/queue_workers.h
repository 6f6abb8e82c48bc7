// The seven worker kinds.
//
// Conventions:
//  - Each kind differs only in which items it takes (the front item only or
//    any item; queued or processed ones), whether it calls Process, and what
//    it does with the item afterwards.
//  - Each kind has a nested stateless factory named after it with "Factory"
//    appended and one static instance s_sFactory, which is what a queue
//    master is given (qe/queue/queue_master.h).
//  - Each kind answers its own class name in GetInterface, then
//    "CQeQThreadBase". Constructors are protected: derive from a kind to add
//    per-thread resources through RunBegin and RunEnd.
//  - Thread safety and lock order are those of CQeQThreadBase.
#pragma once

#include "qe/queue/queue_thread.h"

// Takes the front item when it is queued (2), marks it 1, processes it and leaves it in place as
// processed (0).
class CQeQThreadInOrderProcessing : public CQeQThreadBase {
 public:
  class CQeQThreadInOrderProcessingFactory : public IQeParallelProcessingQueueThreadFactory {
   public:
    CQeRefCountPtr<IQeParallelProcessingQueueThread> CreateQueueThread(
        IQeParallelProcessingQueue* source, IQeParallelProcessingQueue* destination,
        int timeout) override;
  };
  static CQeQThreadInOrderProcessingFactory s_sFactory;

  void* GetInterface(const wchar_t* name) override;
  void* Run() override;

 protected:
  CQeQThreadInOrderProcessing(IQeParallelProcessingQueue* source,
                              IQeParallelProcessingQueue* destination, int timeout);
};

// Takes any queued item (2), marks it 1, processes it and leaves it in place as processed (0).
class CQeQThreadOutOfOrderProcessing : public CQeQThreadBase {
 public:
  class CQeQThreadOutOfOrderProcessingFactory : public IQeParallelProcessingQueueThreadFactory {
   public:
    CQeRefCountPtr<IQeParallelProcessingQueueThread> CreateQueueThread(
        IQeParallelProcessingQueue* source, IQeParallelProcessingQueue* destination,
        int timeout) override;
  };
  static CQeQThreadOutOfOrderProcessingFactory s_sFactory;

  void* GetInterface(const wchar_t* name) override;
  void* Run() override;

 protected:
  CQeQThreadOutOfOrderProcessing(IQeParallelProcessingQueue* source,
                                 IQeParallelProcessingQueue* destination, int timeout);
};

// Moves the front item, once processed (0), into the destination as queued (2) and erases it;
// never processes.
class CQeQThreadInOrderTransporting : public CQeQThreadBase {
 public:
  class CQeQThreadInOrderTransportingFactory : public IQeParallelProcessingQueueThreadFactory {
   public:
    CQeRefCountPtr<IQeParallelProcessingQueueThread> CreateQueueThread(
        IQeParallelProcessingQueue* source, IQeParallelProcessingQueue* destination,
        int timeout) override;
  };
  static CQeQThreadInOrderTransportingFactory s_sFactory;

  void* GetInterface(const wchar_t* name) override;
  void* Run() override;

 protected:
  CQeQThreadInOrderTransporting(IQeParallelProcessingQueue* source,
                                IQeParallelProcessingQueue* destination, int timeout);
};

// Moves any processed item (0) into the destination as queued (2) and erases it; never processes.
class CQeQThreadOutOfOrderTransporting : public CQeQThreadBase {
 public:
  class CQeQThreadOutOfOrderTransportingFactory : public IQeParallelProcessingQueueThreadFactory {
   public:
    CQeRefCountPtr<IQeParallelProcessingQueueThread> CreateQueueThread(
        IQeParallelProcessingQueue* source, IQeParallelProcessingQueue* destination,
        int timeout) override;
  };
  static CQeQThreadOutOfOrderTransportingFactory s_sFactory;

  void* GetInterface(const wchar_t* name) override;
  void* Run() override;

 protected:
  CQeQThreadOutOfOrderTransporting(IQeParallelProcessingQueue* source,
                                   IQeParallelProcessingQueue* destination, int timeout);
};

// Takes the front item when it is queued (2), marks it 1, processes it, then moves it into the
// destination as queued (2) and erases it.
class CQeQThreadInOrderProcessingAndTransporting : public CQeQThreadBase {
 public:
  class CQeQThreadInOrderProcessingAndTransportingFactory
      : public IQeParallelProcessingQueueThreadFactory {
   public:
    CQeRefCountPtr<IQeParallelProcessingQueueThread> CreateQueueThread(
        IQeParallelProcessingQueue* source, IQeParallelProcessingQueue* destination,
        int timeout) override;
  };
  static CQeQThreadInOrderProcessingAndTransportingFactory s_sFactory;

  void* GetInterface(const wchar_t* name) override;
  void* Run() override;

 protected:
  CQeQThreadInOrderProcessingAndTransporting(IQeParallelProcessingQueue* source,
                                             IQeParallelProcessingQueue* destination, int timeout);
};

// Takes any queued item (2), marks it 1, processes it, then moves it into the destination as
// queued (2) and erases it.
class CQeQThreadOutOfOrderProcessingAndTransporting : public CQeQThreadBase {
 public:
  class CQeQThreadOutOfOrderProcessingAndTransportingFactory
      : public IQeParallelProcessingQueueThreadFactory {
   public:
    CQeRefCountPtr<IQeParallelProcessingQueueThread> CreateQueueThread(
        IQeParallelProcessingQueue* source, IQeParallelProcessingQueue* destination,
        int timeout) override;
  };
  static CQeQThreadOutOfOrderProcessingAndTransportingFactory s_sFactory;

  void* GetInterface(const wchar_t* name) override;
  void* Run() override;

 protected:
  CQeQThreadOutOfOrderProcessingAndTransporting(IQeParallelProcessingQueue* source,
                                                IQeParallelProcessingQueue* destination,
                                                int timeout);
};

// Takes any queued item (2), marks it 1, processes it and erases it.
class CQeQThreadOutOfOrderProcessingAndRemoving : public CQeQThreadBase {
 public:
  class CQeQThreadOutOfOrderProcessingAndRemovingFactory
      : public IQeParallelProcessingQueueThreadFactory {
   public:
    CQeRefCountPtr<IQeParallelProcessingQueueThread> CreateQueueThread(
        IQeParallelProcessingQueue* source, IQeParallelProcessingQueue* destination,
        int timeout) override;
  };
  static CQeQThreadOutOfOrderProcessingAndRemovingFactory s_sFactory;

  void* GetInterface(const wchar_t* name) override;
  void* Run() override;

 protected:
  CQeQThreadOutOfOrderProcessingAndRemoving(IQeParallelProcessingQueue* source,
                                            IQeParallelProcessingQueue* destination, int timeout);
};
