#include "qe/sqlite/null_values.h"

#include <sqlite3.h>

#include "sqlite/columns.h"

CQeSqliteNullValueVector::CQeSqliteNullValueVector(const SQeSqliteTableDef& table,
                                                   std::initializer_list<SQeSqliteNullValue> values)
    : table_(&table), columns_(table.nColumns) {
  for (const SQeSqliteNullValue& value : values) Add(value);
}

CQeSqliteNullValueVector::CQeSqliteNullValueVector(const SQeSqliteTableDef& table,
                                                   const std::vector<SQeSqliteNullValue>& values)
    : table_(&table), columns_(table.nColumns) {
  for (const SQeSqliteNullValue& value : values) Add(value);
}

void CQeSqliteNullValueVector::Fail(int status, const CQeStringW& message) {
  if (status_ != 0) return;
  status_ = status;
  statusMessage_ = message;
}

void CQeSqliteNullValueVector::Add(const SQeSqliteNullValue& value) {
  int column = qe::sqlite_detail::FindColumn(*table_, value.wszColumn);
  if (column < 0) {
    Fail(SQLITE_ERROR, CQeStringW::Formatted(L"no such column: %s.%s", table_->wszName,
                                             value.wszColumn ? value.wszColumn : L""));
    return;
  }
  Entry entry;
  entry.number = value.iValue;
  entry.text = value.bText;
  entry.textValue = value.wszText;
  columns_[static_cast<size_t>(column)] = std::move(entry);
}

bool CQeSqliteNullValueVector::IsNullValue(int columnIndex, const CQeSqliteValue& value) const {
  if (columnIndex < 0 || static_cast<size_t>(columnIndex) >= columns_.size()) return false;
  const std::optional<Entry>& entry = columns_[static_cast<size_t>(columnIndex)];
  if (!entry) return false;
  switch (value.Kind()) {
    case CQeSqliteValue::eInteger:
      return !entry->text && value.Integer() == entry->number;
    case CQeSqliteValue::eDouble:
      return !entry->text && value.Double() == static_cast<double>(entry->number);
    case CQeSqliteValue::eText:
      return entry->text && value.Text() == entry->textValue;
    case CQeSqliteValue::eNull:
    case CQeSqliteValue::eBlob:
      return false;
  }
  return false;
}

CQeSqliteNullValueVector QeSqliteNullValueVector_Create(
    const SQeSqliteTableDef& table, std::initializer_list<SQeSqliteNullValue> values) {
  return CQeSqliteNullValueVector(table, values);
}
