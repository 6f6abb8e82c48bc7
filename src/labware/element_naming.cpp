#include "qe/labware/element_naming.h"

#include <climits>
#include <limits>

#include "qe/core/wtoi.h"

namespace qe::labware {
namespace {

int DecimalDigits(uint64_t value) {
  int digits = 0;
  while (value > 0) {
    ++digits;
    value /= 10;
  }
  return digits;
}

}  // namespace

CQeStringW NumberToText(EQeElementNamingType type, uint32_t index, uint32_t count,
                        bool compression) {
  CQeStringW text;
  if (type != eQeNamingNumbers) {
    text.AddChar(static_cast<wchar_t>(L'A' + index % 26));
    if (index / 26 >= 1) text.AddInt(index / 26);
    return text;
  }
  const uint64_t number = uint64_t{index} + 1;
  text.AddInt(static_cast<long long>(number));
  if (!compression) {
    const int width = DecimalDigits(count);
    if (text.GetLength() < width) {
      text = CQeStringW(std::wstring(static_cast<size_t>(width - text.GetLength()), L'0')) + text;
    }
  }
  return text;
}

int TextToNumber(EQeElementNamingType type, const CQeStringW& text) {
  if (text.IsEmpty()) return -1;
  int64_t number;
  if (type != eQeNamingNumbers) {
    const wchar_t first = text.GetAt(0);
    if (first < L'A' || first > L'Z') return -1;
    number = first - L'A';
    if (text.GetLength() > 1) number += int64_t{QE_wtoi(text.GetString() + 1)} * 26;
  } else {
    number = int64_t{QE_wtoi(text.GetString())} - 1;
  }
  if (number < 0 || number > INT_MAX) return -1;
  return static_cast<int>(number);
}

}  // namespace qe::labware

using qe::labware::NumberToText;
using qe::labware::TextToNumber;

namespace {

// The running-number modes pad to the width of the whole grid.
uint32_t GridCount(uint32_t row_count, uint32_t col_count) {
  const uint64_t count = uint64_t{row_count} * col_count;
  return count > std::numeric_limits<uint32_t>::max() ? std::numeric_limits<uint32_t>::max()
                                                      : static_cast<uint32_t>(count);
}

}  // namespace

CQeStringW SQeElementNaming::GetName(uint32_t row_count, uint32_t col_count, uint32_t row,
                                     uint32_t col) const {
  if (row >= row_count || col >= col_count) return {};
  const uint32_t count = GridCount(row_count, col_count);
  switch (eNamingMode) {
    case eQeNamingModeDownColumns:
      return NumberToText(eRowNamingType, row_count * col + row, count, bNamingCompression);
    case eQeNamingModeAlongRows:
      return NumberToText(eColNamingType, col_count * row + col, count, bNamingCompression);
    case eQeNamingModeRowColumn: {
      CQeStringW name;
      name.Format(L"%s%s", NumberToText(eRowNamingType, row, row_count, bNamingCompression),
                  NumberToText(eColNamingType, col, col_count, bNamingCompression));
      return name;
    }
  }
  return {};
}

CQeStringW SQeElementNaming::GetName(uint32_t row_count, uint32_t col_count, uint32_t index) const {
  if (uint64_t{index} >= uint64_t{row_count} * col_count) return {};
  return GetName(row_count, col_count, index / col_count, index % col_count);
}

CQeStringW SQeElementNaming::GetRowName(uint32_t row_count, uint32_t row) const {
  if (eNamingMode != eQeNamingModeRowColumn) return {};
  return NumberToText(eRowNamingType, row, row_count, bNamingCompression);
}

CQeStringW SQeElementNaming::GetColName(uint32_t col_count, uint32_t col) const {
  if (eNamingMode != eQeNamingModeRowColumn) return {};
  return NumberToText(eColNamingType, col, col_count, bNamingCompression);
}

int SQeElementNaming::GetIndex(uint32_t row_count, uint32_t col_count,
                               const CQeStringW& text) const {
  const uint64_t count = uint64_t{row_count} * col_count;
  if (count == 0) return -1;
  int64_t index = -1;
  switch (eNamingMode) {
    case eQeNamingModeDownColumns: {
      const int k = TextToNumber(eRowNamingType, text);
      if (k < 0) return -1;
      index = int64_t{k % row_count} * col_count + k / row_count;
      break;
    }
    case eQeNamingModeAlongRows:
      index = TextToNumber(eColNamingType, text);
      break;
    case eQeNamingModeRowColumn: {
      const int comma = text.Find(L',');
      if (comma < 0 || text.Find(L',', comma + 1) >= 0) return -1;
      const int row = TextToNumber(eRowNamingType, text.Left(comma));
      const int col = TextToNumber(eColNamingType, text.Mid(comma + 1));
      if (row < 0 || col < 0) return -1;
      if (static_cast<uint32_t>(row) >= row_count || static_cast<uint32_t>(col) >= col_count) {
        return -1;
      }
      index = int64_t{row} * col_count + col;
      break;
    }
    default:
      return -1;
  }
  if (index < 0 || static_cast<uint64_t>(index) >= count) return -1;
  return static_cast<int>(index);
}

int SQeElementNaming::GetRowIndex(const CQeStringW& text) const {
  if (eNamingMode != eQeNamingModeRowColumn) return -1;
  return TextToNumber(eRowNamingType, text);
}

int SQeElementNaming::GetColumnIndex(const CQeStringW& text) const {
  if (eNamingMode != eQeNamingModeRowColumn) return -1;
  return TextToNumber(eColNamingType, text);
}
