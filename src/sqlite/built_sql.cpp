#include "sqlite/built_sql.h"

#include <cwchar>
#include <mutex>
#include <unordered_map>

namespace qe::sqlite_detail {
namespace {

// More entries than any program's fixed set of statements; reaching it
// means definitions made at run time, and the memo starts afresh.
constexpr size_t kMaxEntries = 4096;

struct SEntry {
  std::wstring variant;
  const SQeSqliteTableDef* table = nullptr;
  std::vector<int> columns;
  // The table name and every column name when the text was made.
  std::vector<std::wstring> names;
  std::shared_ptr<const SBuiltSql> sql;
};

bool SameNames(const SEntry& entry, const SQeSqliteTableDef& table) {
  if (entry.names.size() != table.nColumns + 1u) return false;
  if (std::wcscmp(entry.names[0].c_str(), table.wszName ? table.wszName : L"") != 0) return false;
  for (uint32_t i = 0; i < table.nColumns; ++i) {
    const wchar_t* name = table.pColumns[i].wszName;
    if (std::wcscmp(entry.names[i + 1].c_str(), name ? name : L"") != 0) return false;
  }
  return true;
}

uint64_t HashOf(std::wstring_view variant, const SQeSqliteTableDef& table,
                const std::vector<int>& columns) {
  uint64_t hash = std::hash<std::wstring_view>()(variant);
  auto mix = [&hash](uint64_t value) { hash = (hash ^ value) * 1099511628211ull; };
  mix(reinterpret_cast<uintptr_t>(&table));
  for (int column : columns) mix(static_cast<uint64_t>(column));
  return hash;
}

std::mutex& MemoMutex() {
  static auto* mutex = new std::mutex;
  return *mutex;
}

// Never destroyed: builders may run from other static destructors.
std::unordered_multimap<uint64_t, SEntry>& Memo() {
  static auto* memo = new std::unordered_multimap<uint64_t, SEntry>;
  return *memo;
}

}  // namespace

std::shared_ptr<const SBuiltSql> BuiltSql(std::wstring_view variant, const SQeSqliteTableDef& table,
                                          const std::vector<int>& columns,
                                          const std::function<CQeStringW()>& make) {
  const uint64_t hash = HashOf(variant, table, columns);
  {
    std::lock_guard lock(MemoMutex());
    auto range = Memo().equal_range(hash);
    for (auto it = range.first; it != range.second; ++it) {
      const SEntry& entry = it->second;
      if (entry.table == &table && entry.columns == columns && entry.variant == variant &&
          SameNames(entry, table)) {
        return entry.sql;
      }
    }
  }
  auto built = std::make_shared<SBuiltSql>();
  built->wide = make();
  built->utf8 = built->wide.ToUtf8();
  SEntry entry;
  entry.variant = variant;
  entry.table = &table;
  entry.columns = columns;
  entry.names.emplace_back(table.wszName ? table.wszName : L"");
  for (uint32_t i = 0; i < table.nColumns; ++i) {
    const wchar_t* name = table.pColumns[i].wszName;
    entry.names.emplace_back(name ? name : L"");
  }
  entry.sql = built;
  std::lock_guard lock(MemoMutex());
  auto range = Memo().equal_range(hash);
  for (auto it = range.first; it != range.second;) {
    // An entry of the same key whose names changed is replaced.
    const SEntry& old = it->second;
    const bool sameKey = old.table == &table && old.columns == columns && old.variant == variant;
    it = sameKey ? Memo().erase(it) : std::next(it);
  }
  if (Memo().size() >= kMaxEntries) Memo().clear();
  Memo().emplace(hash, std::move(entry));
  return built;
}

size_t BuiltSqlCount() {
  std::lock_guard lock(MemoMutex());
  return Memo().size();
}

}  // namespace qe::sqlite_detail
