// Which values are written as SQL NULL by inserts and updates.
//
// Conventions: a null-value vector belongs to one table definition and
// lists, per column, the value that stands for NULL: typically 0 for a
// foreign-key column ("no parent") or the empty text. A value given to an
// insert or update for a listed column that equals the listed value (same
// number, or the same text) is written as NULL; other values, and values
// of other columns, are written as given. Vectors are plain values, cheap
// to copy, and may be shared by threads once built.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "qe/core/string.h"
#include "qe/sqlite/table_def.h"
#include "qe/sqlite/value.h"

// One column and the value written as NULL for it: {L"iJobtaskKeyRef", 0}
// or {L"wszName", L""}.
struct SQeSqliteNullValue {
  SQeSqliteNullValue(const wchar_t* column, int value) : wszColumn(column), iValue(value) {}
  SQeSqliteNullValue(const wchar_t* column, long long value) : wszColumn(column), iValue(value) {}
  SQeSqliteNullValue(const wchar_t* column, long value) : wszColumn(column), iValue(value) {}
  SQeSqliteNullValue(const wchar_t* column, const wchar_t* text)
      : wszColumn(column), bText(true), wszText(text ? text : L"") {}

  const wchar_t* wszColumn;
  int64_t iValue = 0;
  bool bText = false;
  std::wstring wszText;
};

class CQeSqliteNullValueVector {
 public:
  // A vector that writes nothing as NULL.
  CQeSqliteNullValueVector() = default;
  CQeSqliteNullValueVector(const SQeSqliteTableDef& table,
                           std::initializer_list<SQeSqliteNullValue> values);
  CQeSqliteNullValueVector(const SQeSqliteTableDef& table,
                           const std::vector<SQeSqliteNullValue>& values);

  // Whether value, given for the column at columnIndex of the definition,
  // is written as NULL.
  bool IsNullValue(int columnIndex, const CQeSqliteValue& value) const;
  // The definition the vector was made for (null for the empty vector).
  const SQeSqliteTableDef* Table() const { return table_; }
  // 0, or the status builders given this vector fail with: 1 (SQLITE_ERROR)
  // when a listed name is not a column of the definition, 25 (out of range)
  // when a declared count does not match the pairs given.
  int Status() const { return status_; }
  const CQeStringW& StatusMessage() const { return statusMessage_; }
  // Marks the vector unusable (the first failure is kept).
  void Fail(int status, const CQeStringW& message);

 private:
  struct Entry {
    int64_t number = 0;
    bool text = false;
    std::wstring textValue;
  };
  void Add(const SQeSqliteNullValue& value);

  const SQeSqliteTableDef* table_ = nullptr;
  std::vector<std::optional<Entry>> columns_;  // indexed like the definition's columns
  int status_ = 0;
  CQeStringW statusMessage_;
};

// The vector for a definition, e.g.
// QeSqliteNullValueVector_Create(def, {{L"iJobtaskKeyRef", 0}, {L"wszNotes", L""}}).
CQeSqliteNullValueVector QeSqliteNullValueVector_Create(
    const SQeSqliteTableDef& table, std::initializer_list<SQeSqliteNullValue> values);

namespace qe::sqlite_detail {
inline void CollectNullValues(std::vector<SQeSqliteNullValue>&) {}
template <typename Value, typename... Rest>
void CollectNullValues(std::vector<SQeSqliteNullValue>& out, const wchar_t* column,
                       const Value& value, const Rest&... rest) {
  out.emplace_back(column, value);
  CollectNullValues(out, rest...);
}
}  // namespace qe::sqlite_detail

// The same, spelled as a count followed by that many pairs of column name
// and value: QeSqliteNullValueVector_Create(def, 2, L"iA", 0, L"iB", 0).
// A count that differs from the number of pairs gives Status() 25.
template <typename... NamesAndValues>
CQeSqliteNullValueVector QeSqliteNullValueVector_Create(const SQeSqliteTableDef& table, int count,
                                                        const NamesAndValues&... namesAndValues) {
  static_assert(sizeof...(NamesAndValues) % 2 == 0, "pairs of column name and value");
  std::vector<SQeSqliteNullValue> pairs;
  qe::sqlite_detail::CollectNullValues(pairs, namesAndValues...);
  CQeSqliteNullValueVector vector(table, pairs);
  if (count != static_cast<int>(pairs.size())) {
    vector.Fail(25, L"count of null values does not match the pairs given");
  }
  return vector;
}
