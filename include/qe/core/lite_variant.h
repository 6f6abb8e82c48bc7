// Lite variants: small named-value trees stored as bytes in BLOB columns
// (job properties, task data, serialized labware).
//
// Conventions:
//  - A document is a tree of levels. Each level holds entries in the order
//    they were written; an entry is a value (bool, int32, uint32, double,
//    text, byte array) or a nested level, and has a name or is unnamed (a
//    null or empty name). Names are case-sensitive. Texts and names are
//    stored as UTF-8, so a code point that is not a character (a lone
//    surrogate, one beyond U+10FFFF) reads back as U+FFFD; a reader still
//    finds such a name by the name it was written with.
//  - CQeLiteVariantW builds a document; Finalize hands it to a
//    CQeLiteVariantR, which reads it. A reader also reads stored bytes given
//    through the byte array it holds (Data()/SetData).
//  - The bytes are our own compact binary format (docs/file-format.md,
//    "Lite-variant documents"). The reader checks the whole byte range
//    before the first read; truncated or corrupt bytes give -10
//    (eQeUnusableFile) from Load and LevelBegin, and every Get returns its
//    default. Zero bytes are the empty document.
//  - Status returns: 0 success, -9 (eQeFailed) misuse (a LevelEnd without a
//    level, nesting deeper than 64, a name longer than 65535 UTF-8 bytes),
//    -10 unusable bytes, -13 (eQeNotFound) no such level or value.
//  - Both classes are plain values (copyable); one object must not be used
//    by two threads at once.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "qe/core/byte_array.h"
#include "qe/core/lite_variant_tree.h"
#include "qe/core/string.h"

class CQeLiteVariantR;

class CQeLiteVariantW {
 public:
  CQeLiteVariantW();

  // Opens a level inside the current one and makes it current. A named level
  // that already exists at the current level is opened again (new entries go
  // after its old ones); a value of that name is replaced by the new level.
  // Returns 0, or -9 when nesting would exceed 64 levels or the name is too long.
  int LevelBegin(const wchar_t* name = nullptr);
  // Closes the current level. Returns 0, or -9 when no level is open.
  int LevelEnd();

  // Adds a value to the current level. A named value replaces an entry of the
  // same name at the current level in place; unnamed values are appended.
  // Returns 0, or -9 for a name that is too long. A null text is stored empty.
  int Set(bool value, const wchar_t* name = nullptr);
  int Set(int32_t value, const wchar_t* name = nullptr);
  int Set(uint32_t value, const wchar_t* name = nullptr);
  int Set(double value, const wchar_t* name = nullptr);
  int Set(const CQeStringW& value, const wchar_t* name = nullptr);
  int Set(const wchar_t* value, const wchar_t* name = nullptr);
  int Set(const CQeByteArray& value, const wchar_t* name = nullptr);

  // Copies every entry of the reader's current level (its whole document
  // when it is at the top) into the current level, with Set's rule for
  // names. This is how a document is duplicated or extended.
  // Returns 0, -10 when the reader's bytes are unusable, or -9 when the
  // copy would nest deeper than 64 levels.
  int Append(const CQeLiteVariantR& reader);

  // Encodes the document into the reader (its bytes and its tree); the
  // reader starts at the top. The writer keeps its content.
  // Returns 0, or -9 when a level is still open (the reader is untouched).
  int Finalize(CQeLiteVariantR& reader) const;

  // Back to the empty document.
  void Clear();

 private:
  // An open level is found from the top through entry indexes (not
  // pointers), so writers copy and move safely.
  struct Open {
    size_t index;                                    // entry index in the parent level
    std::unordered_map<std::wstring, size_t> named;  // name -> entry index in this level
  };
  qe::lv::Level& Current();
  int Put(const wchar_t* name, qe::lv::Value value);
  int AppendLevel(const qe::lv::Level& from);
  void Index(Open& open, const qe::lv::Level& level);

  qe::lv::Level root_;
  std::vector<Open> open_;  // open_[0] is the top level; back() is current
};

class CQeLiteVariantR {
 public:
  CQeLiteVariantR() = default;
  explicit CQeLiteVariantR(const CQeByteArray& bytes) : bytes_(bytes) {}
  CQeLiteVariantR(const void* data, int size) : bytes_(data, size) {}

  // The stored bytes. The non-const form lets the caller replace them: the
  // next read checks them again and starts at the top of the document.
  CQeByteArray& Data();
  const CQeByteArray& Data() const { return bytes_; }
  void SetData(const void* data, int size);
  void SetData(const CQeByteArray& bytes);

  // Checks the bytes (done by the first read anyway). Returns 0 or -10.
  int Load() const;
  // True when the bytes are usable and hold no entry at all.
  bool IsEmpty() const;

  // Enters the level of that name inside the current level; a null or empty
  // name enters the first unnamed level. count (when given) receives the
  // number of entries of the entered level. Returns 0, -13 when there is no
  // such level, or -10 for unusable bytes.
  int LevelBegin(const wchar_t* name, int* count = nullptr);
  int LevelBegin(const wchar_t* name, int& count) { return LevelBegin(name, &count); }
  // Enters the next unnamed level after the current level's cursor and moves
  // the cursor to it, so repeated calls walk the unnamed levels in order
  // (unnamed values in between are skipped). Returns 0, -13 at the end, -10.
  int CurrentLevelBegin(int* count = nullptr);
  // Leaves the current level. Returns 0, or -9 at the top.
  int LevelEnd();

  // True when an unnamed value follows the cursor of the current level.
  bool IsNextValue() const;
  // Moves the cursor to the next unnamed value (skipping unnamed levels);
  // Get with a null or empty name then reads it. Returns 0, -13 at the end, -10.
  int NextValue();

  // The value of that name at the current level, or def when there is none
  // or it cannot be read as the asked type. A null or empty name reads the
  // unnamed value at the cursor (see NextValue). bool, int32, uint32 and
  // double convert into each other: int32 and uint32 keep their 32 bits, a
  // double out of an integer's range saturates, a NaN read as bool or
  // integer gives def. Texts and byte arrays read only as themselves.
  int32_t Get(const wchar_t* name, int32_t def) const;
  uint32_t Get(const wchar_t* name, uint32_t def) const;
  double Get(const wchar_t* name, double def) const;
  bool Get(const wchar_t* name, bool def) const;
  CQeStringW Get(const wchar_t* name, const CQeStringW& def) const;
  CQeStringW Get(const wchar_t* name, const wchar_t* def) const;
  CQeByteArray Get(const wchar_t* name, const CQeByteArray& def) const;
  // True when a value (not a level) of that name is at the current level.
  bool IsValueSet(const wchar_t* name) const;

  // Combines other into this document, keeping both sides; where both hold
  // the same name at the same level, this document's value is kept and
  // levels of the same name are combined entry by entry. Unnamed entries
  // meet by their position among the unnamed entries of their level (so two
  // documents whose top is one unnamed level combine that level).
  // Afterwards the reader is at the top. Returns 0, or -10 when either
  // document is unusable (this one is then unchanged).
  int Merge(const CQeLiteVariantR& other);
  // The same combination, but other's values replace this document's
  // same-named (or same-position unnamed) values.
  int Replace(const CQeLiteVariantR& other);

  // The whole document (null when the bytes are unusable), and a new whole
  // document (encoded into the bytes; the reader is then at the top).
  const qe::lv::Level* Document() const;
  void SetDocument(qe::lv::Level document);
  // The current level (null when the bytes are unusable).
  const qe::lv::Level* CurrentLevel() const;

 private:
  const qe::lv::Entry* FindValue(const wchar_t* name) const;
  int Combine(const CQeLiteVariantR& other, bool other_wins);
  int Enter(size_t entry_index, int* count);

  CQeByteArray bytes_;
  // The decoded tree is a cache of bytes_, refreshed by Load.
  mutable qe::lv::Level tree_;
  mutable bool loaded_ = false;
  mutable int load_status_ = 0;
  // Entry indexes of the entered levels from the top, and one cursor per
  // level (the top's first): the index of the unnamed entry last visited, -1 before any.
  std::vector<size_t> path_;
  std::vector<long> cursors_{-1};
};
