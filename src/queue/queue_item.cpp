#include "qe/queue/queue_item.h"

#include <cwchar>

void* CQeProcessingQItem::GetInterface(const wchar_t* name) {
  if (name && std::wcscmp(name, L"CQeProcessingQItem") == 0) {
    return static_cast<CQeProcessingQItem*>(this);
  }
  return nullptr;
}

void CQeProcessingQItem::Process(IQeParallelProcessingQueueThread*) {}
