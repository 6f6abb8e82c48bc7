#include "qe/sqlite/builder.h"

#include <sqlite3.h>

#include "sqlite/built_sql.h"
#include "sqlite/columns.h"

CQeSqliteBuilder::CQeSqliteBuilder(sqlite3* db, const SQeSqliteTableDef& table)
    : db_(db), table_(&table) {}

CQeSqliteBuilder::~CQeSqliteBuilder() = default;

bool CQeSqliteBuilder::ResolveColumns(const std::vector<CQeStringW>& names, bool allIncludesKey) {
  columns_.clear();
  columns_.reserve(names.empty() ? table_->nColumns : names.size());
  if (names.empty()) {
    for (uint32_t i = 0; i < table_->nColumns; ++i) {
      if (allIncludesKey || table_->pColumns[i].iKeyKind != eQeSqliteKeyPrimary) {
        columns_.push_back(static_cast<int>(i));
      }
    }
    return true;
  }
  for (const CQeStringW& name : names) {
    int index = qe::sqlite_detail::FindColumn(*table_, name);
    if (index < 0) {
      if (pendingStatus_ == 0) {
        pendingStatus_ = SQLITE_ERROR;
        pendingMessage_.Format(L"no such column: %s.%s", table_->wszName, name);
      }
      return false;
    }
    columns_.push_back(index);
  }
  return true;
}

CQeStringW CQeSqliteBuilder::ColumnList(const wchar_t* separator, const wchar_t* suffix) const {
  CQeStringW list;
  for (size_t i = 0; i < columns_.size(); ++i) {
    if (i > 0) list += separator;
    list += table_->pColumns[columns_[i]].wszName;
    list += suffix;
  }
  return list;
}

void CQeSqliteBuilder::Prepare(const CQeStringW& sql) {
  if (pendingStatus_ != 0) {
    sql_.Empty();
    cmd_ = std::make_unique<CQeSqliteCmd>(db_, CQeStringW());
    cmd_->Fail(pendingStatus_, pendingMessage_);
    return;
  }
  built_.reset();
  sql_ = sql;
  cmd_ = std::make_unique<CQeSqliteCmd>(db_, sql_);
}

void CQeSqliteBuilder::PrepareBuilt(std::wstring_view variant,
                                    const std::function<CQeStringW()>& make) {
  if (pendingStatus_ != 0) {
    Prepare(CQeStringW());
    return;
  }
  built_ = qe::sqlite_detail::BuiltSql(variant, *table_, columns_, make);
  sql_.Empty();
  cmd_ = std::make_unique<CQeSqliteCmd>(db_, CQeSqliteCmd::SUtf8Sql{built_->utf8});
}

const CQeStringW& CQeSqliteBuilder::Sql() const { return built_ ? built_->wide : sql_; }

bool CQeSqliteBuilder::BindValues(int firstParameter, std::span<const CQeSqliteValue> values,
                                  const CQeSqliteNullValueVector* nulls) {
  if (blocked_) return false;
  if (!cmd_->Statement()) {
    cmd_->Fail(SQLITE_MISUSE, L"no statement");
    return false;
  }
  if (values.size() != columns_.size()) {
    cmd_->Fail(SQLITE_RANGE, CQeStringW::Formatted(
                                 L"%d values for %d columns of %s", static_cast<int>(values.size()),
                                 static_cast<int>(columns_.size()), table_->wszName));
    return false;
  }
  if (nulls) {
    if (nulls->Status() != 0) {
      cmd_->Fail(nulls->Status(), nulls->StatusMessage());
      return false;
    }
    if (nulls->Table() && nulls->Table()->nColumns != table_->nColumns) {
      cmd_->Fail(SQLITE_MISUSE, L"null values of another table");
      return false;
    }
  }
  for (size_t i = 0; i < values.size(); ++i) {
    int parameter = firstParameter + static_cast<int>(i);
    bool ok = (nulls && nulls->IsNullValue(columns_[i], values[i]))
                  ? cmd_->BindNull(parameter)
                  : cmd_->Bind(parameter, values[i]);
    if (!ok) return false;
  }
  return true;
}
