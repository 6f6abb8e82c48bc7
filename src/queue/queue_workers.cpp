#include "qe/queue/queue_workers.h"

#include <cwchar>
#include <new>

CQeQThreadInOrderProcessing::CQeQThreadInOrderProcessingFactory
    CQeQThreadInOrderProcessing::s_sFactory;

CQeRefCountPtr<IQeParallelProcessingQueueThread>
CQeQThreadInOrderProcessing::CQeQThreadInOrderProcessingFactory::CreateQueueThread(
    IQeParallelProcessingQueue* source, IQeParallelProcessingQueue* destination, int timeout) {
  if (!source) return nullptr;
  return CQeRefCountPtr<IQeParallelProcessingQueueThread>::Adopt(
      new (std::nothrow) CQeQThreadInOrderProcessing(source, destination, timeout));
}

CQeQThreadInOrderProcessing::CQeQThreadInOrderProcessing(IQeParallelProcessingQueue* source,
                                                         IQeParallelProcessingQueue* destination,
                                                         int timeout)
    : CQeQThreadBase(source, destination, timeout) {}

void* CQeQThreadInOrderProcessing::GetInterface(const wchar_t* name) {
  if (name && std::wcscmp(name, L"CQeQThreadInOrderProcessing") == 0)
    return static_cast<CQeQThreadInOrderProcessing*>(this);
  return CQeQThreadBase::GetInterface(name);
}

void* CQeQThreadInOrderProcessing::Run() {
  return RunProcessingLoop(eWaitFront, nullptr, eQItemProcessed, false);
}

CQeQThreadOutOfOrderProcessing::CQeQThreadOutOfOrderProcessingFactory
    CQeQThreadOutOfOrderProcessing::s_sFactory;

CQeRefCountPtr<IQeParallelProcessingQueueThread>
CQeQThreadOutOfOrderProcessing::CQeQThreadOutOfOrderProcessingFactory::CreateQueueThread(
    IQeParallelProcessingQueue* source, IQeParallelProcessingQueue* destination, int timeout) {
  if (!source) return nullptr;
  return CQeRefCountPtr<IQeParallelProcessingQueueThread>::Adopt(
      new (std::nothrow) CQeQThreadOutOfOrderProcessing(source, destination, timeout));
}

CQeQThreadOutOfOrderProcessing::CQeQThreadOutOfOrderProcessing(
    IQeParallelProcessingQueue* source, IQeParallelProcessingQueue* destination, int timeout)
    : CQeQThreadBase(source, destination, timeout) {}

void* CQeQThreadOutOfOrderProcessing::GetInterface(const wchar_t* name) {
  if (name && std::wcscmp(name, L"CQeQThreadOutOfOrderProcessing") == 0)
    return static_cast<CQeQThreadOutOfOrderProcessing*>(this);
  return CQeQThreadBase::GetInterface(name);
}

void* CQeQThreadOutOfOrderProcessing::Run() {
  return RunProcessingLoop(eWaitAny, nullptr, eQItemProcessed, false);
}

CQeQThreadInOrderTransporting::CQeQThreadInOrderTransportingFactory
    CQeQThreadInOrderTransporting::s_sFactory;

CQeRefCountPtr<IQeParallelProcessingQueueThread>
CQeQThreadInOrderTransporting::CQeQThreadInOrderTransportingFactory::CreateQueueThread(
    IQeParallelProcessingQueue* source, IQeParallelProcessingQueue* destination, int timeout) {
  if (!source) return nullptr;
  return CQeRefCountPtr<IQeParallelProcessingQueueThread>::Adopt(
      new (std::nothrow) CQeQThreadInOrderTransporting(source, destination, timeout));
}

CQeQThreadInOrderTransporting::CQeQThreadInOrderTransporting(
    IQeParallelProcessingQueue* source, IQeParallelProcessingQueue* destination, int timeout)
    : CQeQThreadBase(source, destination, timeout) {}

void* CQeQThreadInOrderTransporting::GetInterface(const wchar_t* name) {
  if (name && std::wcscmp(name, L"CQeQThreadInOrderTransporting") == 0)
    return static_cast<CQeQThreadInOrderTransporting*>(this);
  return CQeQThreadBase::GetInterface(name);
}

void* CQeQThreadInOrderTransporting::Run() { return RunTransportingLoop(eWaitFront); }

CQeQThreadOutOfOrderTransporting::CQeQThreadOutOfOrderTransportingFactory
    CQeQThreadOutOfOrderTransporting::s_sFactory;

CQeRefCountPtr<IQeParallelProcessingQueueThread>
CQeQThreadOutOfOrderTransporting::CQeQThreadOutOfOrderTransportingFactory::CreateQueueThread(
    IQeParallelProcessingQueue* source, IQeParallelProcessingQueue* destination, int timeout) {
  if (!source) return nullptr;
  return CQeRefCountPtr<IQeParallelProcessingQueueThread>::Adopt(
      new (std::nothrow) CQeQThreadOutOfOrderTransporting(source, destination, timeout));
}

CQeQThreadOutOfOrderTransporting::CQeQThreadOutOfOrderTransporting(
    IQeParallelProcessingQueue* source, IQeParallelProcessingQueue* destination, int timeout)
    : CQeQThreadBase(source, destination, timeout) {}

void* CQeQThreadOutOfOrderTransporting::GetInterface(const wchar_t* name) {
  if (name && std::wcscmp(name, L"CQeQThreadOutOfOrderTransporting") == 0)
    return static_cast<CQeQThreadOutOfOrderTransporting*>(this);
  return CQeQThreadBase::GetInterface(name);
}

void* CQeQThreadOutOfOrderTransporting::Run() { return RunTransportingLoop(eWaitAny); }

CQeQThreadInOrderProcessingAndTransporting::CQeQThreadInOrderProcessingAndTransportingFactory
    CQeQThreadInOrderProcessingAndTransporting::s_sFactory;

CQeRefCountPtr<IQeParallelProcessingQueueThread> CQeQThreadInOrderProcessingAndTransporting::
    CQeQThreadInOrderProcessingAndTransportingFactory::CreateQueueThread(
        IQeParallelProcessingQueue* source, IQeParallelProcessingQueue* destination, int timeout) {
  if (!source) return nullptr;
  return CQeRefCountPtr<IQeParallelProcessingQueueThread>::Adopt(
      new (std::nothrow) CQeQThreadInOrderProcessingAndTransporting(source, destination, timeout));
}

CQeQThreadInOrderProcessingAndTransporting::CQeQThreadInOrderProcessingAndTransporting(
    IQeParallelProcessingQueue* source, IQeParallelProcessingQueue* destination, int timeout)
    : CQeQThreadBase(source, destination, timeout) {}

void* CQeQThreadInOrderProcessingAndTransporting::GetInterface(const wchar_t* name) {
  if (name && std::wcscmp(name, L"CQeQThreadInOrderProcessingAndTransporting") == 0)
    return static_cast<CQeQThreadInOrderProcessingAndTransporting*>(this);
  return CQeQThreadBase::GetInterface(name);
}

void* CQeQThreadInOrderProcessingAndTransporting::Run() {
  return RunProcessingLoop(eWaitFront, DestinationQueue(), eQItemQueued, true);
}

CQeQThreadOutOfOrderProcessingAndTransporting::CQeQThreadOutOfOrderProcessingAndTransportingFactory
    CQeQThreadOutOfOrderProcessingAndTransporting::s_sFactory;

CQeRefCountPtr<IQeParallelProcessingQueueThread> CQeQThreadOutOfOrderProcessingAndTransporting::
    CQeQThreadOutOfOrderProcessingAndTransportingFactory::CreateQueueThread(
        IQeParallelProcessingQueue* source, IQeParallelProcessingQueue* destination, int timeout) {
  if (!source) return nullptr;
  return CQeRefCountPtr<IQeParallelProcessingQueueThread>::Adopt(new (
      std::nothrow) CQeQThreadOutOfOrderProcessingAndTransporting(source, destination, timeout));
}

CQeQThreadOutOfOrderProcessingAndTransporting::CQeQThreadOutOfOrderProcessingAndTransporting(
    IQeParallelProcessingQueue* source, IQeParallelProcessingQueue* destination, int timeout)
    : CQeQThreadBase(source, destination, timeout) {}

void* CQeQThreadOutOfOrderProcessingAndTransporting::GetInterface(const wchar_t* name) {
  if (name && std::wcscmp(name, L"CQeQThreadOutOfOrderProcessingAndTransporting") == 0)
    return static_cast<CQeQThreadOutOfOrderProcessingAndTransporting*>(this);
  return CQeQThreadBase::GetInterface(name);
}

void* CQeQThreadOutOfOrderProcessingAndTransporting::Run() {
  return RunProcessingLoop(eWaitAny, DestinationQueue(), eQItemQueued, true);
}

CQeQThreadOutOfOrderProcessingAndRemoving::CQeQThreadOutOfOrderProcessingAndRemovingFactory
    CQeQThreadOutOfOrderProcessingAndRemoving::s_sFactory;

CQeRefCountPtr<IQeParallelProcessingQueueThread> CQeQThreadOutOfOrderProcessingAndRemoving::
    CQeQThreadOutOfOrderProcessingAndRemovingFactory::CreateQueueThread(
        IQeParallelProcessingQueue* source, IQeParallelProcessingQueue* destination, int timeout) {
  if (!source) return nullptr;
  return CQeRefCountPtr<IQeParallelProcessingQueueThread>::Adopt(
      new (std::nothrow) CQeQThreadOutOfOrderProcessingAndRemoving(source, destination, timeout));
}

CQeQThreadOutOfOrderProcessingAndRemoving::CQeQThreadOutOfOrderProcessingAndRemoving(
    IQeParallelProcessingQueue* source, IQeParallelProcessingQueue* destination, int timeout)
    : CQeQThreadBase(source, destination, timeout) {}

void* CQeQThreadOutOfOrderProcessingAndRemoving::GetInterface(const wchar_t* name) {
  if (name && std::wcscmp(name, L"CQeQThreadOutOfOrderProcessingAndRemoving") == 0)
    return static_cast<CQeQThreadOutOfOrderProcessingAndRemoving*>(this);
  return CQeQThreadBase::GetInterface(name);
}

void* CQeQThreadOutOfOrderProcessingAndRemoving::Run() {
  return RunProcessingLoop(eWaitAny, nullptr, eQItemProcessed, true);
}
