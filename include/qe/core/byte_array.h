// Owned byte buffers, stored in BLOB columns.
//
// Conventions: a CQeByteArray owns its bytes; GetData points into the array
// and stays valid until the next change. An empty array has size 0 and may
// return a null pointer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class CQeByteArray {
 public:
  // Starts empty; the argument only reserves capacity.
  explicit CQeByteArray(int initial_capacity = 0) {
    if (initial_capacity > 0) bytes_.reserve(static_cast<size_t>(initial_capacity));
  }
  CQeByteArray(const void* data, int size) { SetData(data, size); }

  // Replaces the content with a copy of size bytes at data (nothing when data is null).
  void SetData(const void* data, int size) {
    if (!data || size <= 0) {
      bytes_.clear();
      return;
    }
    const auto* p = static_cast<const uint8_t*>(data);
    bytes_.assign(p, p + size);
  }
  void Append(const void* data, int size) {
    if (!data || size <= 0) return;
    const auto* p = static_cast<const uint8_t*>(data);
    bytes_.insert(bytes_.end(), p, p + size);
  }
  const uint8_t* GetData() const { return bytes_.empty() ? nullptr : bytes_.data(); }
  uint8_t* GetData() { return bytes_.empty() ? nullptr : bytes_.data(); }
  int GetSize() const { return static_cast<int>(bytes_.size()); }
  bool IsEmpty() const { return bytes_.empty(); }
  void Empty() { bytes_.clear(); }
  bool operator==(const CQeByteArray& other) const { return bytes_ == other.bytes_; }

  const std::vector<uint8_t>& bytes() const { return bytes_; }
  std::vector<uint8_t>& bytes() { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};
