#include "qe/core/rtti.h"

#include <map>
#include <mutex>
#include <string>

#include "qe/core/diag.h"
#include "qe/core/status.h"

namespace {

// Built on first use, so classes may register from static initializers of
// any translation unit.
struct Registry {
  std::mutex registry_mutex;
  std::map<std::wstring, CQeRTTI::Factory> factories;    // guarded by registry_mutex
  std::map<void*, std::unique_ptr<CQeRTTIObject>> live;  // guarded by registry_mutex
};

Registry& TheRegistry() {
  static Registry* registry = new Registry;  // never destroyed: objects may be released late
  return *registry;
}

}  // namespace

int CQeRTTI::Register(const wchar_t* class_name, Factory factory) {
  if (!class_name || !*class_name || !factory) return eQeMissingArgument;
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> lock(r.registry_mutex);
  r.factories[class_name] = std::move(factory);
  return eQeOk;
}

void* CQeRTTI::CreateAndQuery(const wchar_t* class_name, const wchar_t* interface_name,
                              const char* source_place) {
  Registry& r = TheRegistry();
  Factory factory;
  if (class_name) {
    std::lock_guard<std::mutex> lock(r.registry_mutex);
    auto it = r.factories.find(class_name);
    if (it != r.factories.end()) factory = it->second;
  }
  std::unique_ptr<CQeRTTIObject> object;
  try {
    if (factory) object = factory();
  } catch (...) {
    // A class that cannot be made is reported like an unknown one.
  }
  void* answer = object && interface_name ? object->GetInterface(interface_name) : nullptr;
  if (!answer) {
    QE_DIAG(L"CreateAndQuery: no interface %s of class %s (%s)",
            interface_name ? interface_name : L"", class_name ? class_name : L"",
            CQeStringW::FromUtf8(source_place ? source_place : ""));
    return nullptr;
  }
  std::lock_guard<std::mutex> lock(r.registry_mutex);
  r.live.emplace(answer, std::move(object));
  return answer;
}

int CQeRTTI::Release(void* interface_pointer) {
  if (!interface_pointer) return eQeMissingArgument;
  Registry& r = TheRegistry();
  std::unique_ptr<CQeRTTIObject> object;
  {
    std::lock_guard<std::mutex> lock(r.registry_mutex);
    auto it = r.live.find(interface_pointer);
    if (it == r.live.end()) return eQeNotFound;
    object = std::move(it->second);
    r.live.erase(it);
  }
  return eQeOk;  // object is destroyed here, outside the lock
}
