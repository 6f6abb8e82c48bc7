// Raw memory blocks handed across the library boundary: a block from
// CQeAlloc::Alloc is given back with CQeAlloc::Free, whoever frees it.
#pragma once

#include <cstddef>
#include <cstdlib>

class CQeAlloc {
 public:
  // Null when size is 0 or memory is short. Thread-safe (malloc/free).
  static void* Alloc(size_t size) { return size ? std::malloc(size) : nullptr; }
  static void Free(void* block) { std::free(block); }
};
