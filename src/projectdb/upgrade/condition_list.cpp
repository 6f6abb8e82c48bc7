#include "projectdb/upgrade/condition_list.h"

#include <cstring>
#include <limits>
#include <string>
#include <string_view>

#include "qe/core/status.h"

namespace qe::upgrade {
namespace {

constexpr size_t kHeaderSize = 8;      // total size, item count
constexpr size_t kItemHeaderSize = 6;  // kind, payload length

uint32_t U32At(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

uint64_t U64At(const uint8_t* p) {
  return static_cast<uint64_t>(U32At(p)) | static_cast<uint64_t>(U32At(p + 4)) << 32;
}

void PutLe(std::vector<uint8_t>& out, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// The UTF-8 bytes of a text item, or false when they are not valid UTF-8:
// the conversion replaces invalid bytes, so a text that does not come back
// byte for byte would be changed by merely reading and writing it.
bool DecodeText(const uint8_t* p, size_t n, CQeStringW& text) {
  const std::string_view utf8(reinterpret_cast<const char*>(p), n);
  text = CQeStringW::FromUtf8(utf8);
  return text.ToUtf8() == utf8;
}

bool ReadItem(uint16_t kind, const uint8_t* p, size_t n, SConditionItem& item) {
  item.iKind = kind;
  switch (kind) {
    case kConditionText:
      return DecodeText(p, n, item.wszText);
    case kConditionNumber: {
      if (n != sizeof(double)) return false;
      const uint64_t bits = U64At(p);
      std::memcpy(&item.dNumber, &bits, sizeof bits);
      return true;
    }
    case kConditionOperator:
      if (n != 4) return false;
      item.iOperator = U32At(p);
      return true;
    default:
      item.payload.assign(p, p + n);
      return true;
  }
}

std::vector<uint8_t> Payload(const SConditionItem& item) {
  std::vector<uint8_t> out;
  switch (item.iKind) {
    case kConditionText: {
      const std::string utf8 = item.wszText.ToUtf8();
      out.assign(utf8.begin(), utf8.end());
      break;
    }
    case kConditionNumber: {
      uint64_t bits = 0;
      std::memcpy(&bits, &item.dNumber, sizeof bits);
      PutLe(out, bits, 8);
      break;
    }
    case kConditionOperator:
      PutLe(out, item.iOperator, 4);
      break;
    default:
      out = item.payload;
      break;
  }
  return out;
}

}  // namespace

int CConditionList::Read(const uint8_t* data, size_t size) {
  items_.clear();
  if (!data || size < kHeaderSize || U32At(data) != size) return eQeUnusableFile;
  const uint32_t count = U32At(data + 4);
  // Each item takes at least its header: refuse a count the bytes cannot hold
  // before reserving anything for it.
  if (count > (size - kHeaderSize) / kItemHeaderSize) return eQeUnusableFile;
  std::vector<SConditionItem> items(count);
  size_t at = kHeaderSize;
  for (SConditionItem& item : items) {
    if (size - at < kItemHeaderSize) return eQeUnusableFile;
    const uint16_t kind = static_cast<uint16_t>(data[at] | data[at + 1] << 8);
    const uint32_t length = U32At(data + at + 2);
    at += kItemHeaderSize;
    if (length > size - at || !ReadItem(kind, data + at, length, item)) return eQeUnusableFile;
    at += length;
  }
  if (at != size) return eQeUnusableFile;
  items_ = std::move(items);
  return eQeOk;
}

int CConditionList::Write(CQeByteArray& out) const {
  constexpr uint64_t kLimit = std::numeric_limits<uint32_t>::max();
  if (items_.size() > kLimit) return eQeFailed;
  std::vector<uint8_t> body;
  for (const SConditionItem& item : items_) {
    const std::vector<uint8_t> payload = Payload(item);
    if (payload.size() > kLimit) return eQeFailed;
    PutLe(body, item.iKind, 2);
    PutLe(body, payload.size(), 4);
    body.insert(body.end(), payload.begin(), payload.end());
  }
  const uint64_t total = kHeaderSize + body.size();
  if (total > kLimit || total > static_cast<uint64_t>(std::numeric_limits<int>::max())) {
    return eQeFailed;
  }
  std::vector<uint8_t> bytes;
  bytes.reserve(total);
  PutLe(bytes, total, 4);
  PutLe(bytes, items_.size(), 4);
  bytes.insert(bytes.end(), body.begin(), body.end());
  out.bytes() = std::move(bytes);
  return eQeOk;
}

}  // namespace qe::upgrade
