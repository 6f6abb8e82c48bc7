// Reference counting and interface queries shared by every counted object
// (queues, items, worker threads, printers, thumbnail requests).
//
// Conventions:
//  - A new counted object starts with a count of 1; the static Create that
//    makes it returns a CQeRefCountPtr that takes over that first reference.
//  - Release deletes the object when the count reaches 0, after writing null
//    into every registered zero-pointer address (holders of raw pointers use
//    AddZeroPtr to learn that the object is gone).
//  - Counting is atomic; the zero-pointer set has a mutex of its own.
//  - GetInterface answers class names, not interface names: a class answers
//    its own name and then asks its direct base.
#pragma once

#include <atomic>
#include <mutex>
#include <set>
#include <utility>

class IQeRefCount {
 public:
  virtual void AddRef() const = 0;
  virtual void Release() const = 0;
  virtual void AddZeroPtr(void* address) const = 0;
  virtual void RemoveZeroPtr(void* address) const = 0;

 protected:
  ~IQeRefCount() = default;
};

class IQeGetInterface {
 public:
  virtual void* GetInterface(const wchar_t* name) = 0;

 protected:
  ~IQeGetInterface() = default;
};

// Holds one reference to a counted object; may be null.
template <typename T>
class CQeRefCountPtr {
 public:
  CQeRefCountPtr() = default;
  CQeRefCountPtr(std::nullptr_t) {}  // NOLINT: implicit by design
  // Adopts the first reference of a newly created object (no AddRef).
  static CQeRefCountPtr Adopt(T* object) {
    CQeRefCountPtr p;
    p.object_ = object;
    return p;
  }
  // Takes an additional reference to an existing object.
  explicit CQeRefCountPtr(T* object) : object_(object) {
    if (object_) object_->AddRef();
  }
  CQeRefCountPtr(const CQeRefCountPtr& other) : object_(other.object_) {
    if (object_) object_->AddRef();
  }
  CQeRefCountPtr(CQeRefCountPtr&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
  template <typename U>
  CQeRefCountPtr(const CQeRefCountPtr<U>& other) : object_(other.Get()) {  // NOLINT: upcast
    if (object_) object_->AddRef();
  }
  ~CQeRefCountPtr() {
    if (object_) object_->Release();
  }
  CQeRefCountPtr& operator=(const CQeRefCountPtr& other) {
    Reset(other.object_);
    return *this;
  }
  CQeRefCountPtr& operator=(CQeRefCountPtr&& other) noexcept {
    if (this != &other) {
      T* old = std::exchange(object_, std::exchange(other.object_, nullptr));
      if (old) old->Release();
    }
    return *this;
  }
  // Adds a reference to the new object before releasing the old one.
  void Reset(T* object = nullptr) {
    if (object) object->AddRef();
    T* old = std::exchange(object_, object);
    if (old) old->Release();
  }
  // Gives up the reference without releasing it.
  T* Detach() { return std::exchange(object_, nullptr); }

  T* Get() const { return object_; }
  T* operator->() const { return object_; }
  T& operator*() const { return *object_; }
  explicit operator bool() const { return object_ != nullptr; }
  bool operator==(const CQeRefCountPtr& other) const { return object_ == other.object_; }
  bool operator==(std::nullptr_t) const { return object_ == nullptr; }

 private:
  T* object_ = nullptr;
};

// The counting and zero-pointer set written once; counted classes derive
// from it (after their interfaces) and forward the four IQeRefCount calls,
// or use QE_IMPLEMENT_REFCOUNT. Thread-safe: the count is atomic and
// zero_ptrs_ is guarded by zero_ptrs_mutex_ (a leaf lock).
class CQeRefCounted {
 public:
  CQeRefCounted() = default;
  CQeRefCounted(const CQeRefCounted&) = delete;
  CQeRefCounted& operator=(const CQeRefCounted&) = delete;
  virtual ~CQeRefCounted() = default;

  void RefCountAdd() const { count_.fetch_add(1, std::memory_order_relaxed); }
  // Returns true when this call released the last reference (the caller deletes).
  bool RefCountRelease() const {
    if (count_.fetch_sub(1, std::memory_order_acq_rel) != 1) return false;
    std::lock_guard<std::mutex> lock(zero_ptrs_mutex_);
    for (void* address : zero_ptrs_) *static_cast<void**>(address) = nullptr;
    zero_ptrs_.clear();
    return true;
  }
  void ZeroPtrAdd(void* address) const {
    std::lock_guard<std::mutex> lock(zero_ptrs_mutex_);
    zero_ptrs_.insert(address);
  }
  void ZeroPtrRemove(void* address) const {
    std::lock_guard<std::mutex> lock(zero_ptrs_mutex_);
    zero_ptrs_.erase(address);
  }
  int RefCount() const { return count_.load(); }

 private:
  mutable std::atomic<int> count_{1};
  mutable std::mutex zero_ptrs_mutex_;
  mutable std::set<void*> zero_ptrs_;
};

// Implements the four IQeRefCount operations over a CQeRefCounted base.
#define QE_IMPLEMENT_REFCOUNT                                                   \
  void AddRef() const override { RefCountAdd(); }                               \
  void Release() const override {                                               \
    if (RefCountRelease()) delete this;                                         \
  }                                                                             \
  void AddZeroPtr(void* address) const override { ZeroPtrAdd(address); }        \
  void RemoveZeroPtr(void* address) const override { ZeroPtrRemove(address); }
