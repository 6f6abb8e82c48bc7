#include <cmath>
#include <cstdint>
#include <limits>
#include <string_view>
#include <type_traits>

#include "qe/core/lite_variant.h"
#include "qe/core/status.h"

using qe::lv::Entry;
using qe::lv::Level;

namespace {

bool IsUnnamed(const wchar_t* name) { return !name || !*name; }

// Names are stored as UTF-8, where a code point that is not a character (a
// lone surrogate, one beyond U+10FFFF) becomes U+FFFD, so a name read from
// stored bytes must still be found by the name it was written with. Lookups
// try the exact name first, so an entry really named with U+FFFD is not
// taken for it.
bool SameName(std::wstring_view stored, std::wstring_view wanted) {
  if (stored.size() != wanted.size()) return false;
  for (size_t i = 0; i < wanted.size(); ++i) {
    const auto c = static_cast<uint32_t>(wanted[i]);
    const bool notCharacter = c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF);
    if (stored[i] != (notCharacter ? L'\xFFFD' : wanted[i])) return false;
  }
  return true;
}

// The numeric kinds (bool, int32, uint32, double) read as each other:
// int32 and uint32 keep their 32 bits; a double beyond an integer's range
// saturates, and NaN read as anything but a double gives the default.
template <typename T>
T NumberAs(const qe::lv::Value& value, T def) {
  return std::visit(
      [def](const auto& x) -> T {
        using X = std::decay_t<decltype(x)>;
        if constexpr (std::is_same_v<X, double>) {
          if constexpr (std::is_same_v<T, double>) {
            return x;
          } else if (std::isnan(x)) {
            return def;
          } else if constexpr (std::is_same_v<T, bool>) {
            return x != 0;
          } else {
            if (x <= static_cast<double>(std::numeric_limits<T>::min())) {
              return std::numeric_limits<T>::min();
            }
            if (x >= static_cast<double>(std::numeric_limits<T>::max())) {
              return std::numeric_limits<T>::max();
            }
            return static_cast<T>(x);
          }
        } else if constexpr (std::is_arithmetic_v<X>) {
          if constexpr (std::is_same_v<T, bool>) {
            return x != 0;
          } else {
            return static_cast<T>(x);
          }
        } else {
          return def;
        }
      },
      value);
}

}  // namespace

CQeByteArray& CQeLiteVariantR::Data() {
  loaded_ = false;
  path_.clear();
  cursors_.assign(1, -1);
  return bytes_;
}

void CQeLiteVariantR::SetData(const void* data, int size) { Data().SetData(data, size); }
void CQeLiteVariantR::SetData(const CQeByteArray& bytes) { Data() = bytes; }

int CQeLiteVariantR::Load() const {
  if (!loaded_) {
    load_status_ = qe::lv::Decode(bytes_.GetData(), static_cast<size_t>(bytes_.GetSize()), tree_);
    loaded_ = true;
  }
  return load_status_;
}

bool CQeLiteVariantR::IsEmpty() const { return Load() == eQeOk && tree_.entries.empty(); }

const Level* CQeLiteVariantR::Document() const { return Load() == eQeOk ? &tree_ : nullptr; }

void CQeLiteVariantR::SetDocument(Level document) {
  std::vector<uint8_t> bytes = qe::lv::Encode(document);
  Data().bytes() = std::move(bytes);
  tree_ = std::move(document);
  loaded_ = true;
  load_status_ = eQeOk;
}

const Level* CQeLiteVariantR::CurrentLevel() const {
  if (Load() != eQeOk) return nullptr;
  const Level* level = &tree_;
  for (size_t index : path_) level = &std::get<Level>(level->entries[index].value);
  return level;
}

int CQeLiteVariantR::Enter(size_t entry_index, int* count) {
  const Level* parent = CurrentLevel();
  const Level& level = std::get<Level>(parent->entries[entry_index].value);
  if (count) *count = static_cast<int>(level.entries.size());
  path_.push_back(entry_index);
  cursors_.push_back(-1);
  return eQeOk;
}

int CQeLiteVariantR::LevelBegin(const wchar_t* name, int* count) {
  const Level* level = CurrentLevel();
  if (!level) return load_status_;
  std::wstring_view wanted = IsUnnamed(name) ? std::wstring_view() : std::wstring_view(name);
  for (bool exact : {true, false}) {
    for (size_t i = 0; i < level->entries.size(); ++i) {
      const Entry& e = level->entries[i];
      if (std::holds_alternative<Level>(e.value) &&
          (exact ? e.name == wanted : SameName(e.name, wanted))) {
        return Enter(i, count);
      }
    }
  }
  return eQeNotFound;
}

int CQeLiteVariantR::CurrentLevelBegin(int* count) {
  const Level* level = CurrentLevel();
  if (!level) return load_status_;
  for (size_t i = static_cast<size_t>(cursors_.back() + 1); i < level->entries.size(); ++i) {
    const Entry& e = level->entries[i];
    if (e.name.empty() && std::holds_alternative<Level>(e.value)) {
      cursors_.back() = static_cast<long>(i);
      return Enter(i, count);
    }
  }
  return eQeNotFound;
}

int CQeLiteVariantR::LevelEnd() {
  if (path_.empty()) return eQeFailed;
  path_.pop_back();
  cursors_.pop_back();
  return eQeOk;
}

namespace {
long NextUnnamedValue(const Level& level, long cursor) {
  for (size_t i = static_cast<size_t>(cursor + 1); i < level.entries.size(); ++i) {
    const Entry& e = level.entries[i];
    if (e.name.empty() && !std::holds_alternative<Level>(e.value)) return static_cast<long>(i);
  }
  return -1;
}
}  // namespace

bool CQeLiteVariantR::IsNextValue() const {
  const Level* level = CurrentLevel();
  return level && NextUnnamedValue(*level, cursors_.back()) >= 0;
}

int CQeLiteVariantR::NextValue() {
  const Level* level = CurrentLevel();
  if (!level) return load_status_;
  long next = NextUnnamedValue(*level, cursors_.back());
  if (next < 0) return eQeNotFound;
  cursors_.back() = next;
  return eQeOk;
}

const Entry* CQeLiteVariantR::FindValue(const wchar_t* name) const {
  const Level* level = CurrentLevel();
  if (!level) return nullptr;
  if (IsUnnamed(name)) {
    long at = cursors_.back();
    if (at < 0) return nullptr;
    const Entry& e = level->entries[static_cast<size_t>(at)];
    return e.name.empty() && !std::holds_alternative<Level>(e.value) ? &e : nullptr;
  }
  for (bool exact : {true, false}) {
    for (const Entry& e : level->entries) {
      if (!std::holds_alternative<Level>(e.value) &&
          (exact ? e.name == name : SameName(e.name, name))) {
        return &e;
      }
    }
  }
  return nullptr;
}

int32_t CQeLiteVariantR::Get(const wchar_t* name, int32_t def) const {
  const Entry* e = FindValue(name);
  return e ? NumberAs(e->value, def) : def;
}
uint32_t CQeLiteVariantR::Get(const wchar_t* name, uint32_t def) const {
  const Entry* e = FindValue(name);
  return e ? NumberAs(e->value, def) : def;
}
double CQeLiteVariantR::Get(const wchar_t* name, double def) const {
  const Entry* e = FindValue(name);
  return e ? NumberAs(e->value, def) : def;
}
bool CQeLiteVariantR::Get(const wchar_t* name, bool def) const {
  const Entry* e = FindValue(name);
  return e ? NumberAs(e->value, def) : def;
}
CQeStringW CQeLiteVariantR::Get(const wchar_t* name, const CQeStringW& def) const {
  const Entry* e = FindValue(name);
  const auto* text = e ? std::get_if<std::wstring>(&e->value) : nullptr;
  return text ? CQeStringW(*text) : def;
}
CQeStringW CQeLiteVariantR::Get(const wchar_t* name, const wchar_t* def) const {
  return Get(name, CQeStringW(def));
}
CQeByteArray CQeLiteVariantR::Get(const wchar_t* name, const CQeByteArray& def) const {
  const Entry* e = FindValue(name);
  const auto* bytes = e ? std::get_if<std::vector<uint8_t>>(&e->value) : nullptr;
  if (!bytes) return def;
  CQeByteArray out;
  out.bytes() = *bytes;
  return out;
}

bool CQeLiteVariantR::IsValueSet(const wchar_t* name) const { return FindValue(name) != nullptr; }

int CQeLiteVariantR::Combine(const CQeLiteVariantR& other, bool other_wins) {
  if (Load() != eQeOk || other.Load() != eQeOk) return eQeUnusableFile;
  Level combined = tree_;
  qe::lv::Combine(combined, other.tree_, other_wins);
  SetDocument(std::move(combined));
  return eQeOk;
}

int CQeLiteVariantR::Merge(const CQeLiteVariantR& other) { return Combine(other, false); }
int CQeLiteVariantR::Replace(const CQeLiteVariantR& other) { return Combine(other, true); }
