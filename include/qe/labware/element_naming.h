// Naming of the elements of a labware grid (well names such as "A01" or "17").
//
// Conventions:
//  - Counts, rows, columns and indices are unsigned and 0-based; an element
//    index is row-major: row x column count + column.
//  - Functions that return a text return the empty text when there is no
//    name; functions that return a number return -1 when there is none.
//  - Plain copyable values; no function keeps state between calls.
#pragma once

#include <cstdint>

#include "qe/core/string.h"

enum EQeElementNamingMode : int32_t {
  // One running number counted down the columns (row fastest).
  eQeNamingModeDownColumns = 0,
  // One running number counted along the rows (column fastest).
  eQeNamingModeAlongRows = 1,
  // A row name followed by a column name ("B07").
  eQeNamingModeRowColumn = 2,
};

// 0 is numbers counted from 1; every other value names with letters.
enum EQeElementNamingType : int32_t {
  eQeNamingNumbers = 0,
  eQeNamingLetters = 1,
};

namespace qe::labware {

// The text of a 0-based number. Letters: "A" + index mod 26, followed by
// index / 26 in decimal when that is 1 or more (0 -> A, 25 -> Z, 26 -> A1,
// 52 -> A2). Numbers: index + 1 in decimal; without compression padded on
// the left with "0" to as many digits as count has (count 12: 01..12; a
// count of 0 pads nothing).
CQeStringW NumberToText(EQeElementNamingType type, uint32_t index, uint32_t count,
                        bool compression);

// The 0-based number a text names, or -1 for the empty text, a text that
// does not read, a negative result or one beyond the int range. Letters: the
// first character must be "A".."Z" (upper case); any rest is read by
// QE_wtoi (leading blanks and a sign allowed, reading stops at the first
// non-digit, nothing read counts 0, saturating at the int range) and adds
// 26 times its value. Numbers: the QE_wtoi value minus 1.
int TextToNumber(EQeElementNamingType type, const CQeStringW& text);

}  // namespace qe::labware

struct SQeElementNaming {
  EQeElementNamingMode eNamingMode = eQeNamingModeAlongRows;
  EQeElementNamingType eRowNamingType = eQeNamingNumbers;
  EQeElementNamingType eColNamingType = eQeNamingNumbers;
  // When false, numbers are padded with zeros to a common width.
  bool bNamingCompression = true;

  SQeElementNaming() = default;
  SQeElementNaming(EQeElementNamingMode mode, EQeElementNamingType row_type,
                   EQeElementNamingType col_type, bool compression)
      : eNamingMode(mode),
        eRowNamingType(row_type),
        eColNamingType(col_type),
        bNamingCompression(compression) {}

  bool operator==(const SQeElementNaming& other) const = default;

  // Name of the element at (row, col) of a grid. Mode 0: the number
  // row_count x col + row in the row naming type; mode 1: col_count x row +
  // col in the column naming type (both padded to row_count x col_count);
  // mode 2: the row text followed by the column text. Empty when row or col
  // is out of range or the mode is unknown.
  CQeStringW GetName(uint32_t row_count, uint32_t col_count, uint32_t row, uint32_t col) const;
  // Name of the element with the row-major index; empty when the index is
  // not below row_count x col_count.
  CQeStringW GetName(uint32_t row_count, uint32_t col_count, uint32_t index) const;
  // In mode 2 the row (or column) text alone; empty in the other modes.
  CQeStringW GetRowName(uint32_t row_count, uint32_t row) const;
  CQeStringW GetColName(uint32_t col_count, uint32_t col) const;

  // The row-major index of the element that a text names, or -1. Mode 0: k
  // read with the row type, index = (k mod row_count) x col_count +
  // k / row_count; mode 1: the number read with the column type; mode 2: the
  // text must be a row text and a column text separated by exactly one ","
  // ("B,7"). -1 also when a part does not read or the index lies outside the
  // grid.
  int GetIndex(uint32_t row_count, uint32_t col_count, const CQeStringW& text) const;
  // In mode 2 the number read with the row (or column) type; -1 otherwise.
  int GetRowIndex(const CQeStringW& text) const;
  int GetColumnIndex(const CQeStringW& text) const;
};
