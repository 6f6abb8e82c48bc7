// The SQL texts that the table-definition builders make from a definition
// alone (no caller text), made once per process and reused, so that a
// record call does not format and convert the same statement every time.
//
// Shared by every thread: the memo's mutex (in built_sql.cpp) guards its
// map and is held only to look up or store an entry, never while a text is
// made or a SQLite call runs. It is taken with no other lock held.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "qe/core/string.h"
#include "qe/sqlite/table_def.h"

namespace qe::sqlite_detail {

struct SBuiltSql {
  CQeStringW wide;
  std::string utf8;
};

// The text that make() builds for the builder kind variant (a constant
// naming the builder and its options) over table and the definition's
// column positions columns. An entry is reused only while the definition
// still has the same table and column names (a definition that is not
// constant data may change or be replaced at the same address).
std::shared_ptr<const SBuiltSql> BuiltSql(std::wstring_view variant, const SQeSqliteTableDef& table,
                                          const std::vector<int>& columns,
                                          const std::function<CQeStringW()>& make);

// Entries held (for tests).
size_t BuiltSqlCount();

}  // namespace qe::sqlite_detail
