// The condition list of a "Condition" task: the binary list of items that
// the task's data document keeps as the byte array "\Condition\ConditionList"
// (layout in docs/file-format.md, "Condition list of a Condition task").
// The upgrade reads it, changes the texts of its items and writes it back
// with a header whose sizes match the new texts.
//
// Plain values, used by one thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "qe/core/byte_array.h"
#include "qe/core/string.h"

namespace qe::upgrade {

// Item kinds. Only text items carry text; an item of a kind this code does
// not know keeps its payload as read and is written back unchanged.
enum EConditionItemKind : uint16_t {
  kConditionText = 1,      // an operand written as text, e.g. "Job.Count.Value"
  kConditionNumber = 2,    // an operand that is a number (IEEE 754 binary64)
  kConditionOperator = 3,  // an operator code (u32: comparison or logical link)
};

struct SConditionItem {
  uint16_t iKind = kConditionText;
  CQeStringW wszText;            // kConditionText
  double dNumber = 0.0;          // kConditionNumber
  uint32_t iOperator = 0;        // kConditionOperator
  std::vector<uint8_t> payload;  // any other kind, as read
};

class CConditionList {
 public:
  // Reads a whole list. Returns 0, or -10 (eQeUnusableFile) when the bytes
  // are not exactly one well-formed list: a header size that is not the
  // byte count, an item count or payload length that reaches past the end,
  // bytes left over, a number or operator of the wrong size, or a text that
  // is not valid UTF-8. On -10 the items are empty. Never reads outside
  // [data, data + size).
  int Read(const uint8_t* data, size_t size);
  int Read(const CQeByteArray& bytes) {
    return Read(bytes.GetData(), static_cast<size_t>(bytes.GetSize()));
  }

  // Encodes the items with a header that gives their total size and count.
  // Returns 0, or -9 (eQeFailed) when the list would not fit the 32-bit
  // sizes of the layout (out is then untouched).
  int Write(CQeByteArray& out) const;

  std::vector<SConditionItem>& Items() { return items_; }
  const std::vector<SConditionItem>& Items() const { return items_; }

 private:
  std::vector<SConditionItem> items_;
};

}  // namespace qe::upgrade
