#include "qe/core/lite_variant_tree.h"

#include <cstring>
#include <utility>

#include "qe/core/status.h"
#include "qe/core/string.h"

namespace qe::lv {
namespace {

constexpr uint8_t kMagic[4] = {'Q', 'E', 'L', 'V'};
constexpr uint16_t kVersion = 1;
constexpr size_t kHeaderSize = 12;   // magic, version, flags, checksum
constexpr size_t kMinEntrySize = 4;  // type, name length, one payload byte

// FNV-1a: every single changed byte changes the result, because each step
// is a bijection of the running value.
uint32_t Checksum(const uint8_t* data, size_t size) {
  uint32_t h = 2166136261u;
  for (size_t i = 0; i < size; ++i) h = (h ^ data[i]) * 16777619u;
  return h;
}

class Writer {
 public:
  explicit Writer(std::vector<uint8_t>& out) : out_(out) {}
  void U8(uint8_t v) { out_.push_back(v); }
  void U16(uint16_t v) { Le(v, 2); }
  void U32(uint32_t v) { Le(v, 4); }
  void U64(uint64_t v) { Le(v, 8); }
  void Raw(const void* p, size_t n) {
    const auto* b = static_cast<const uint8_t*>(p);
    out_.insert(out_.end(), b, b + n);
  }
  void Text(const std::wstring& text) {
    std::string utf8 = WideToUtf8(text);
    U32(static_cast<uint32_t>(utf8.size()));
    Raw(utf8.data(), utf8.size());
  }
  void LevelBody(const Level& level) {
    U32(static_cast<uint32_t>(level.entries.size()));
    for (const Entry& e : level.entries) EntryOut(e);
  }

 private:
  void Le(uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out_.push_back(static_cast<uint8_t>(v >> (8 * i)));
  }
  void EntryOut(const Entry& e) {
    U8(TypeOf(e.value));
    std::string name = WideToUtf8(e.name);
    // Writers refuse longer names; cut rather than write an unreadable length.
    if (name.size() > kMaxNameBytes) name.resize(kMaxNameBytes);
    U16(static_cast<uint16_t>(name.size()));
    Raw(name.data(), name.size());
    std::visit(
        [this](const auto& v) {
          using T = std::decay_t<decltype(v)>;
          if constexpr (std::is_same_v<T, bool>) {
            U8(v ? 1 : 0);
          } else if constexpr (std::is_same_v<T, int32_t> || std::is_same_v<T, uint32_t>) {
            U32(static_cast<uint32_t>(v));
          } else if constexpr (std::is_same_v<T, double>) {
            uint64_t bits;
            std::memcpy(&bits, &v, sizeof bits);
            U64(bits);
          } else if constexpr (std::is_same_v<T, std::wstring>) {
            Text(v);
          } else if constexpr (std::is_same_v<T, std::vector<uint8_t>>) {
            U32(static_cast<uint32_t>(v.size()));
            Raw(v.data(), v.size());
          } else {
            LevelBody(v);
          }
        },
        e.value);
  }

  std::vector<uint8_t>& out_;
};

// Every read checks the remaining length first; a failed check makes the
// whole decode fail, so nothing past the end is ever touched.
class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : p_(data), end_(data + size) {}
  size_t Left() const { return static_cast<size_t>(end_ - p_); }
  bool U8(uint8_t& v) {
    if (Left() < 1) return false;
    v = *p_++;
    return true;
  }
  bool U16(uint16_t& v) { return Le(v, 2); }
  bool U32(uint32_t& v) { return Le(v, 4); }
  bool U64(uint64_t& v) { return Le(v, 8); }
  bool Bytes(size_t n, const uint8_t*& at) {
    if (Left() < n) return false;
    at = p_;
    p_ += n;
    return true;
  }
  bool Text(size_t n, std::wstring& out) {
    const uint8_t* at;
    if (!Bytes(n, at)) return false;
    out = Utf8ToWide(std::string_view(reinterpret_cast<const char*>(at), n));
    return true;
  }
  bool LevelBody(Level& level, int depth) {
    uint32_t count;
    if (!U32(count) || count > Left() / kMinEntrySize) return false;
    // Grown entry by entry, so memory follows the bytes actually read, not
    // a claimed count.
    for (uint32_t i = 0; i < count; ++i) {
      if (!EntryIn(level.entries.emplace_back(), depth)) return false;
    }
    return true;
  }

 private:
  template <typename T>
  bool Le(T& v, int bytes) {
    if (Left() < static_cast<size_t>(bytes)) return false;
    uint64_t x = 0;
    for (int i = 0; i < bytes; ++i) x |= static_cast<uint64_t>(p_[i]) << (8 * i);
    p_ += bytes;
    v = static_cast<T>(x);
    return true;
  }
  bool EntryIn(Entry& e, int depth) {
    uint8_t type;
    uint16_t name_size;
    if (!U8(type) || !U16(name_size) || !Text(name_size, e.name)) return false;
    uint32_t u32;
    switch (type) {
      case kBool: {
        uint8_t b;
        if (!U8(b) || b > 1) return false;
        e.value.emplace<bool>(b == 1);
        return true;
      }
      case kInt32:
        if (!U32(u32)) return false;
        e.value.emplace<int32_t>(static_cast<int32_t>(u32));
        return true;
      case kUInt32:
        if (!U32(u32)) return false;
        e.value.emplace<uint32_t>(u32);
        return true;
      case kDouble: {
        uint64_t bits;
        if (!U64(bits)) return false;
        double d;
        std::memcpy(&d, &bits, sizeof d);
        e.value.emplace<double>(d);
        return true;
      }
      case kString:
        return U32(u32) && Text(u32, e.value.emplace<std::wstring>());
      case kBytes: {
        const uint8_t* at;
        if (!U32(u32) || !Bytes(u32, at)) return false;
        e.value.emplace<std::vector<uint8_t>>(at, at + u32);
        return true;
      }
      case kLevel:
        return depth < kMaxDepth && LevelBody(e.value.emplace<Level>(), depth + 1);
      default:
        return false;
    }
  }

  const uint8_t* p_;
  const uint8_t* end_;
};

}  // namespace

std::vector<uint8_t> Encode(const Level& document) {
  std::vector<uint8_t> out;
  Writer w(out);
  w.Raw(kMagic, sizeof kMagic);
  w.U16(kVersion);
  w.U16(0);
  w.U32(0);  // checksum, filled in below
  w.LevelBody(document);
  uint32_t sum = Checksum(out.data() + kHeaderSize, out.size() - kHeaderSize);
  for (int i = 0; i < 4; ++i) out[8 + i] = static_cast<uint8_t>(sum >> (8 * i));
  return out;
}

int Decode(const uint8_t* data, size_t size, Level& out, bool verify_checksum) {
  out.entries.clear();
  if (size == 0) return eQeOk;
  if (!data || size < kHeaderSize || std::memcmp(data, kMagic, sizeof kMagic) != 0) {
    return eQeUnusableFile;
  }
  Reader r(data, size);
  const uint8_t* magic = nullptr;
  uint16_t version = 0, flags = 0;
  uint32_t sum = 0;
  r.Bytes(sizeof kMagic, magic);
  r.U16(version);
  r.U16(flags);
  r.U32(sum);
  if (version != kVersion || flags != 0) return eQeUnusableFile;
  if (verify_checksum && sum != Checksum(data + kHeaderSize, size - kHeaderSize)) {
    return eQeUnusableFile;
  }
  if (!r.LevelBody(out, 0) || r.Left() != 0) {
    out.entries.clear();
    return eQeUnusableFile;
  }
  return eQeOk;
}

const Entry* FindNamed(const Level& level, std::wstring_view name) {
  if (name.empty()) return nullptr;
  for (const Entry& e : level.entries) {
    if (e.name == name) return &e;
  }
  return nullptr;
}

Entry* FindNamed(Level& level, std::wstring_view name) {
  return const_cast<Entry*>(FindNamed(std::as_const(level), name));
}

void Combine(Level& target, const Level& other, bool other_wins) {
  // Positions of target's unnamed entries, for meeting other's by position.
  std::vector<size_t> unnamed;
  for (size_t i = 0; i < target.entries.size(); ++i) {
    if (target.entries[i].name.empty()) unnamed.push_back(i);
  }
  size_t next_unnamed = 0;
  for (const Entry& e : other.entries) {
    Entry* met = nullptr;
    if (e.name.empty()) {
      if (next_unnamed < unnamed.size()) met = &target.entries[unnamed[next_unnamed++]];
    } else {
      met = FindNamed(target, e.name);
    }
    if (!met) {
      // Appending may move target's entries; met pointers are taken afresh each time.
      target.entries.push_back(e);
      continue;
    }
    auto* met_level = std::get_if<Level>(&met->value);
    const auto* other_level = std::get_if<Level>(&e.value);
    if (met_level && other_level) {
      Combine(*met_level, *other_level, other_wins);
    } else if (other_wins) {
      met->value = e.value;
    }
  }
}

}  // namespace qe::lv
