#include "qe/queue/queue_thread.h"

#include <atomic>
#include <cwchar>

#include "qe/core/status.h"
#include "qe/queue/queue_master.h"

CQeQThreadBase::CQeQThreadBase(IQeParallelProcessingQueue* source,
                               IQeParallelProcessingQueue* destination, int timeout)
    : timeout_(timeout),
      source_(source),
      destination_(destination),
      master_(source ? source->QueueMasterGet() : nullptr) {}

void* CQeQThreadBase::GetInterface(const wchar_t* name) {
  if (name && std::wcscmp(name, L"CQeQThreadBase") == 0) {
    return static_cast<CQeQThreadBase*>(this);
  }
  return nullptr;
}

bool CQeQThreadBase::IsRunning() const {
  return std::atomic_ref<bool>(const_cast<bool&>(running_)).load(std::memory_order_acquire);
}

int CQeQThreadBase::Start() {
  {
    std::lock_guard<std::mutex> lock(runMutex_);
    if (started_ && !runEnded_) return eQeFailed;  // one loop at a time
    started_ = true;
    runEnded_ = false;
  }
  std::atomic_ref<bool>(running_).store(true, std::memory_order_release);
  pthread_attr_t attributes;
  if (pthread_attr_init(&attributes) != 0) {
    Stop();
    return eQeFailed;
  }
  pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
  AddRef();  // the thread's own reference, released at the end of ThreadProc
  int created = pthread_create(&thread_, &attributes, &CQeQThreadBase::ThreadProc, this);
  pthread_attr_destroy(&attributes);
  if (created == 0) return eQeOk;
  Stop();
  {
    std::lock_guard<std::mutex> lock(runMutex_);
    started_ = false;
  }
  Release();
  return eQeFailed;
}

void CQeQThreadBase::Stop() {
  std::atomic_ref<bool>(running_).store(false, std::memory_order_release);
}

void CQeQThreadBase::Join() {
  // The thread is detached, so POSIX join cannot be used; the thread
  // procedure reports the end of the loop instead.
  std::unique_lock<std::mutex> lock(runMutex_);
  runEndedChanged_.wait(lock, [this] { return !started_ || runEnded_; });
}

void* CQeQThreadBase::ThreadProc(void* argument) {
  auto* worker = static_cast<CQeQThreadBase*>(argument);
  void* result = worker->Run();
  {
    std::lock_guard<std::mutex> lock(worker->runMutex_);
    worker->runEnded_ = true;
  }
  worker->runEndedChanged_.notify_all();
  if (worker->master_) worker->master_->ThreadRemoveAndDestroy(worker);
  worker->Release();
  return result;
}

void* CQeQThreadBase::RunProcessingLoop(unsigned int mode, IQeParallelProcessingQueue* afterQueue,
                                        unsigned int afterState, bool afterRemove) {
  RunBegin();
  for (;;) {
    CQeRefCountPtr<IQeParallelProcessingQueueItem> item =
        source_->Wait(mode, eQItemQueued, timeout_, running_, nullptr, eQItemProcessing, false);
    if (!item) break;
    item->Process(this);
    source_->SetState(item.Get(), afterQueue, afterState, afterRemove);
    if (!IsRunning()) break;
  }
  RunEnd();
  Stop();
  return nullptr;
}

void* CQeQThreadBase::RunTransportingLoop(unsigned int mode) {
  RunBegin();
  for (;;) {
    CQeRefCountPtr<IQeParallelProcessingQueueItem> item = source_->Wait(
        mode, eQItemProcessed, timeout_, running_, destination_.Get(), eQItemQueued, true);
    if (!item || !IsRunning()) break;
  }
  RunEnd();
  Stop();
  return nullptr;
}
