#include "qe/core/lite_variant.h"
#include "qe/core/status.h"

using qe::lv::Level;
using qe::lv::Value;

namespace {
bool NameFits(const wchar_t* name) {
  return !name || qe::WideToUtf8(name).size() <= qe::lv::kMaxNameBytes;
}
}  // namespace

CQeLiteVariantW::CQeLiteVariantW() { open_.push_back(Open{0, {}}); }

void CQeLiteVariantW::Clear() {
  root_.entries.clear();
  open_.assign(1, Open{0, {}});
}

Level& CQeLiteVariantW::Current() {
  Level* level = &root_;
  for (size_t i = 1; i < open_.size(); ++i) {
    level = &std::get<Level>(level->entries[open_[i].index].value);
  }
  return *level;
}

void CQeLiteVariantW::Index(Open& open, const Level& level) {
  open.named.clear();
  for (size_t i = 0; i < level.entries.size(); ++i) {
    if (!level.entries[i].name.empty()) open.named.emplace(level.entries[i].name, i);
  }
}

int CQeLiteVariantW::Put(const wchar_t* name, Value value) {
  if (!NameFits(name)) return eQeFailed;
  Level& level = Current();
  Open& open = open_.back();
  if (name && *name) {
    auto [it, added] = open.named.emplace(name, level.entries.size());
    if (!added) {
      level.entries[it->second].value = std::move(value);
      return eQeOk;
    }
    level.entries.push_back({name, std::move(value)});
  } else {
    level.entries.push_back({L"", std::move(value)});
  }
  return eQeOk;
}

int CQeLiteVariantW::LevelBegin(const wchar_t* name) {
  if (static_cast<int>(open_.size()) > qe::lv::kMaxDepth || !NameFits(name)) return eQeFailed;
  Level& level = Current();
  if (name && *name) {
    auto it = open_.back().named.find(name);
    if (it != open_.back().named.end()) {
      qe::lv::Entry& existing = level.entries[it->second];
      if (!std::holds_alternative<Level>(existing.value)) existing.value.emplace<Level>();
      Open open{it->second, {}};
      Index(open, std::get<Level>(existing.value));
      open_.push_back(std::move(open));
      return eQeOk;
    }
  }
  size_t index = level.entries.size();
  int status = Put(name, Level{});
  if (status != eQeOk) return status;
  open_.push_back(Open{index, {}});
  return eQeOk;
}

int CQeLiteVariantW::LevelEnd() {
  if (open_.size() <= 1) return eQeFailed;
  open_.pop_back();
  return eQeOk;
}

int CQeLiteVariantW::Set(bool value, const wchar_t* name) {
  return Put(name, Value(std::in_place_type<bool>, value));
}
int CQeLiteVariantW::Set(int32_t value, const wchar_t* name) {
  return Put(name, Value(std::in_place_type<int32_t>, value));
}
int CQeLiteVariantW::Set(uint32_t value, const wchar_t* name) {
  return Put(name, Value(std::in_place_type<uint32_t>, value));
}
int CQeLiteVariantW::Set(double value, const wchar_t* name) {
  return Put(name, Value(std::in_place_type<double>, value));
}
int CQeLiteVariantW::Set(const CQeStringW& value, const wchar_t* name) {
  return Put(name, Value(std::in_place_type<std::wstring>, value.str()));
}
int CQeLiteVariantW::Set(const wchar_t* value, const wchar_t* name) {
  return Put(name, Value(std::in_place_type<std::wstring>, value ? value : L""));
}
int CQeLiteVariantW::Set(const CQeByteArray& value, const wchar_t* name) {
  return Put(name, Value(std::in_place_type<std::vector<uint8_t>>, value.bytes()));
}

int CQeLiteVariantW::Append(const CQeLiteVariantR& reader) {
  const Level* from = reader.CurrentLevel();
  if (!from) return eQeUnusableFile;
  return AppendLevel(*from);
}

int CQeLiteVariantW::AppendLevel(const Level& from) {
  for (const qe::lv::Entry& e : from.entries) {
    const Level* sub = std::get_if<Level>(&e.value);
    // Levels go through LevelBegin, so a same-named level combines as when written by hand.
    int status = sub ? LevelBegin(e.name.c_str()) : Put(e.name.c_str(), e.value);
    if (status != eQeOk) return status;
    if (sub) {
      status = AppendLevel(*sub);
      LevelEnd();
      if (status != eQeOk) return status;
    }
  }
  return eQeOk;
}

int CQeLiteVariantW::Finalize(CQeLiteVariantR& reader) const {
  if (open_.size() != 1) return eQeFailed;
  reader.SetDocument(root_);
  return eQeOk;
}
