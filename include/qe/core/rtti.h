// Objects created by class name (the core library's interface factory).
//
// A class registers a factory under its class name (QE_RTTI_REGISTER or
// CQeRTTI::Register). CQeRTTI::CreateAndQuery makes a new object of a
// registered class and returns its GetInterface(interface name); the caller
// casts that pointer to the interface and, when done, hands the same
// pointer to CQeRTTI::Release, which destroys the object.
//
// Thread-safe: the factories and the live objects are guarded by
// registry_mutex (a leaf lock, in rtti.cpp). Factories and destructors run
// outside it.
#pragma once

#include <functional>
#include <memory>

#include "qe/core/refcount.h"

// Base of every class made by name.
class CQeRTTIObject : public IQeGetInterface {
 public:
  virtual ~CQeRTTIObject() = default;
};

class CQeRTTI {
 public:
  using Factory = std::function<std::unique_ptr<CQeRTTIObject>()>;

  // Registers (or replaces) the factory of a class. Returns 0, or -4 for a
  // null or empty name or an empty factory.
  static int Register(const wchar_t* class_name, Factory factory);

  // A new object of the class, queried for interface_name; null (and no
  // object kept) when the class is not registered, the factory gives
  // nothing, or the object does not answer the interface. source_place
  // names the caller in the diagnostic line written on failure.
  static void* CreateAndQuery(const wchar_t* class_name, const wchar_t* interface_name,
                              const char* source_place);

  // Destroys the object behind a pointer that CreateAndQuery returned.
  // Returns 0, -4 for null, -13 for a pointer it did not hand out.
  static int Release(void* interface_pointer);
};

// Registers ClassName's default constructor under its name when the library
// loads (use once, at namespace scope of the class's .cpp file).
#define QE_RTTI_WIDE_(text) L##text
#define QE_RTTI_WIDE(text) QE_RTTI_WIDE_(text)
#define QE_RTTI_REGISTER(ClassName)                                                     \
  [[maybe_unused]] static const int qe_rtti_registered_##ClassName = CQeRTTI::Register( \
      QE_RTTI_WIDE(#ClassName), [] { return std::unique_ptr<CQeRTTIObject>(new ClassName()); })
