// The in-memory form of a lite-variant document and its binary encoding.
//
// Conventions:
//  - A document is a Level: an ordered list of entries. An entry has a name
//    (empty = unnamed) and a value: bool, int32, uint32, double, text, bytes
//    or a nested Level. Entry order is kept exactly.
//  - The variant's alternative index + 1 is the type code of the binary
//    encoding (1 bool ... 7 level); docs/file-format.md gives the layout.
//  - Most code uses CQeLiteVariantW / CQeLiteVariantR (lite_variant.h); this
//    header is for code that walks a whole document (the XML form, fuzz
//    targets, copies).
//  - Plain values: no shared state, safe to use from any thread one at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace qe::lv {

struct Entry;

struct Level {
  std::vector<Entry> entries;
  bool operator==(const Level& other) const;
};

using Value =
    std::variant<bool, int32_t, uint32_t, double, std::wstring, std::vector<uint8_t>, Level>;

enum Type : uint8_t {
  kBool = 1,
  kInt32 = 2,
  kUInt32 = 3,
  kDouble = 4,
  kString = 5,
  kBytes = 6,
  kLevel = 7,
};

struct Entry {
  std::wstring name;
  Value value;
  bool operator==(const Entry& other) const = default;
};

inline bool Level::operator==(const Level& other) const { return entries == other.entries; }

inline Type TypeOf(const Value& value) { return static_cast<Type>(value.index() + 1); }

// Deepest nesting of levels a document may have (the top level is depth 0).
inline constexpr int kMaxDepth = 64;
// Longest entry name, in UTF-8 bytes.
inline constexpr size_t kMaxNameBytes = 0xFFFF;

// The binary form of a document (docs/file-format.md, "Lite-variant documents").
std::vector<uint8_t> Encode(const Level& document);

// Reads a binary document into out. Zero bytes are the empty document.
// Returns 0, or -10 (eQeUnusableFile) for a wrong magic or version, a
// checksum mismatch, a truncated or overlong range, an unknown type code, a
// bool other than 0/1, or nesting deeper than kMaxDepth; out is then empty.
// Never reads outside [data, data + size). verify_checksum = false is for
// fuzz targets, so that they reach the structure checks.
int Decode(const uint8_t* data, size_t size, Level& out, bool verify_checksum = true);

// The first entry of the level with that (non-empty) name, or null.
const Entry* FindNamed(const Level& level, std::wstring_view name);
Entry* FindNamed(Level& level, std::wstring_view name);

// Combines other into target, keeping both sides:
//  - a named entry of other that target lacks is appended;
//  - the n-th unnamed entry of other meets the n-th unnamed entry of target;
//    unnamed entries beyond target's count are appended;
//  - when two met entries are both levels, they are combined the same way;
//  - otherwise (two values, or a value and a level) target's entry stays
//    when other_wins is false, and other's replaces it in place when true.
void Combine(Level& target, const Level& other, bool other_wins);

}  // namespace qe::lv
