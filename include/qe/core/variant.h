// A named option value handed to objects made by name (for example a
// serializer's "filename").
#pragma once

#include "qe/core/string.h"

// Copyable; holds a name and either a text or an opaque pointer that it
// does not own.
class CQeVariant {
 public:
  CQeVariant() = default;
  CQeVariant(const CQeStringW& text, const CQeStringW& name) : name_(name), text_(text) {}
  CQeVariant(void* pointer, const CQeStringW& name)
      : name_(name), pointer_(pointer), is_pointer_(true) {}

  const CQeStringW& GetName() const { return name_; }
  const CQeStringW& GetString() const { return text_; }
  void* GetPointer() const { return pointer_; }
  bool IsPointer() const { return is_pointer_; }

 private:
  CQeStringW name_;
  CQeStringW text_;
  void* pointer_ = nullptr;
  bool is_pointer_ = false;
};
