#include <gtest/gtest.h>

#include "qe/labware/element_naming.h"

using qe::labware::NumberToText;
using qe::labware::TextToNumber;

namespace {

constexpr EQeElementNamingType kNum = eQeNamingNumbers;
constexpr EQeElementNamingType kLet = eQeNamingLetters;
const SQeElementNaming kRowColumn(eQeNamingModeRowColumn, kLet, kNum, false);
const SQeElementNaming kCompressed(eQeNamingModeRowColumn, kLet, kNum, true);
const SQeElementNaming kDown(eQeNamingModeDownColumns, kNum, kNum, true);
const SQeElementNaming kAlong(eQeNamingModeAlongRows, kNum, kNum, true);

TEST(NumberToText, LettersPastZAndPaddedNumbers) {
  EXPECT_EQ(NumberToText(kLet, 0, 8, true), L"A");
  EXPECT_EQ(NumberToText(kLet, 25, 8, true), L"Z");
  EXPECT_EQ(NumberToText(kLet, 26, 8, true), L"A1");
  EXPECT_EQ(NumberToText(kLet, 27, 8, true), L"B1");
  EXPECT_EQ(NumberToText(kLet, 52, 8, false), L"A2");
  EXPECT_EQ(NumberToText(kLet, 26 * 100 + 3, 0, false), L"D100");
  EXPECT_EQ(NumberToText(kNum, 0, 12, false), L"01");
  EXPECT_EQ(NumberToText(kNum, 11, 12, false), L"12");
  EXPECT_EQ(NumberToText(kNum, 0, 9, false), L"1");
  EXPECT_EQ(NumberToText(kNum, 8, 1536, false), L"0009");
  EXPECT_EQ(NumberToText(kNum, 4, 0, false), L"5");
  EXPECT_EQ(NumberToText(kNum, 0, 12, true), L"1");
  // Any type other than 0 is letters.
  EXPECT_EQ(NumberToText(static_cast<EQeElementNamingType>(7), 2, 8, true), L"C");
}

// Letters are upper case only ("a" is no name, "B-1" is 1 - 26 < 0); the rest
// after the letter reads like wtoi: digits up to the first other character,
// nothing readable counts 0 ("Cx").
TEST(TextToNumber, ReadsLettersAndNumbersAndRejectsTheRest) {
  const struct {
    EQeElementNamingType type;
    const wchar_t* text;
    int number;
  } cases[] = {{kLet, L"A", 0},        {kLet, L"Z", 25},
               {kLet, L"A1", 26},      {kLet, L"B1", 27},
               {kNum, L"1", 0},        {kNum, L"012", 11},
               {kLet, L"", -1},        {kNum, L"", -1},
               {kLet, L"a", -1},       {kLet, L"1", -1},
               {kLet, L"\u00c4", -1},  {kLet, L"B-1", -1},
               {kNum, L"0", -1},       {kNum, L"x", -1},
               {kNum, L"-5", -1},      {kLet, L"A99999999999999", -1},
               {kLet, L"C2x", 2 + 52}, {kLet, L"Cx", 2},
               {kNum, L" 7", 6}};
  for (const auto& c : cases) EXPECT_EQ(TextToNumber(c.type, c.text), c.number) << c.text;
}

// Without compression running numbers pad to the size of the grid; mode 0
// names with the row type (8 x 3 + 2 = 26 is "A1").
TEST(ElementNaming, NamesByModeAndOutOfRange) {
  SQeElementNaming padded = kAlong;
  padded.bNamingCompression = false;
  const SQeElementNaming downLetters(eQeNamingModeDownColumns, kLet, kNum, true);
  const SQeElementNaming unknown(static_cast<EQeElementNamingMode>(9), kNum, kNum, true);
  const struct {
    const SQeElementNaming& naming;
    uint32_t rows, cols, row, col;
    const wchar_t* name;
  } cases[] = {{kRowColumn, 8, 12, 0, 0, L"A01"},    {kRowColumn, 8, 12, 7, 11, L"H12"},
               {kCompressed, 8, 12, 0, 0, L"A1"},    {kCompressed, 8, 12, 7, 11, L"H12"},
               {kCompressed, 8, 12, 1, 9, L"B10"},   {kDown, 8, 12, 1, 0, L"2"},
               {kAlong, 8, 12, 1, 0, L"13"},         {kDown, 8, 12, 0, 1, L"9"},
               {kAlong, 8, 12, 0, 1, L"2"},          {padded, 8, 12, 0, 0, L"01"},
               {padded, 16, 24, 0, 0, L"001"},       {downLetters, 8, 12, 2, 3, L"A1"},
               {kRowColumn, 32, 48, 26, 0, L"A101"}, {kRowColumn, 32, 48, 31, 47, L"F148"},
               {kRowColumn, 8, 12, 8, 0, L""},       {kRowColumn, 8, 12, 0, 12, L""},
               {unknown, 8, 12, 0, 0, L""}};
  for (const auto& c : cases) {
    EXPECT_EQ(c.naming.GetName(c.rows, c.cols, c.row, c.col), c.name) << c.row << "," << c.col;
  }
  EXPECT_EQ(kRowColumn.GetName(8, 12, 95), L"H12");
  EXPECT_EQ(kRowColumn.GetName(8, 12, 96), L"");
  EXPECT_EQ(kRowColumn.GetName(0, 12, 0), L"");
  EXPECT_EQ(kRowColumn.GetName(8, 0, 0), L"");
}

TEST(ElementNaming, RowAndColumnPartsOnlyInRowColumnMode) {
  EXPECT_EQ(kRowColumn.GetRowName(8, 7), L"H");
  EXPECT_EQ(kRowColumn.GetColName(12, 4), L"05");
  EXPECT_EQ(kRowColumn.GetRowIndex(L"H"), 7);
  EXPECT_EQ(kRowColumn.GetColumnIndex(L"05"), 4);
  const SQeElementNaming along(eQeNamingModeAlongRows, kLet, kNum, true);
  EXPECT_EQ(along.GetRowName(8, 7), L"");
  EXPECT_EQ(along.GetColName(12, 4), L"");
  EXPECT_EQ(along.GetRowIndex(L"H"), -1);
  EXPECT_EQ(along.GetColumnIndex(L"5"), -1);
}

// GetIndex reads mode 2 names as "row,column"; names beyond the grid give no
// index rather than another well's.
TEST(ElementNaming, IndexOfATextNeedsOneCommaAndAPlaceInTheGrid) {
  EXPECT_EQ(kRowColumn.GetIndex(8, 12, L"B,7"), 18);
  EXPECT_EQ(kRowColumn.GetIndex(8, 12, L"H,12"), 95);
  EXPECT_EQ(kRowColumn.GetIndex(32, 48, L"F1,48"), 1535);
  for (const wchar_t* text : {L"B7", L"B,7,1", L",7", L"B,", L"b,7", L"A,13", L"I,1"}) {
    EXPECT_EQ(kRowColumn.GetIndex(8, 12, text), -1) << text;
  }
  EXPECT_EQ(kAlong.GetIndex(8, 12, L"97"), -1);
  EXPECT_EQ(kAlong.GetIndex(8, 12, L"99999999999999999999"), -1);
  EXPECT_EQ(kAlong.GetIndex(0, 0, L"1"), -1);
  const SQeElementNaming unknown(static_cast<EQeElementNamingMode>(9), kNum, kNum, true);
  EXPECT_EQ(unknown.GetIndex(8, 12, L"1"), -1);
}

// Every element of a grid named and read back in every mode and type.
void ExpectRoundTrip(uint32_t rows, uint32_t cols) {
  for (bool compression : {false, true}) {
    for (auto row_type : {kNum, kLet}) {
      for (auto col_type : {kNum, kLet}) {
        for (auto mode : {eQeNamingModeDownColumns, eQeNamingModeAlongRows}) {
          const SQeElementNaming naming(mode, row_type, col_type, compression);
          for (uint32_t index = 0; index < rows * cols; ++index) {
            const CQeStringW name = naming.GetName(rows, cols, index);
            ASSERT_FALSE(name.IsEmpty());
            ASSERT_EQ(naming.GetIndex(rows, cols, name), static_cast<int>(index))
                << "mode " << mode << " name " << name.ToUtf8();
          }
        }
        const SQeElementNaming naming(eQeNamingModeRowColumn, row_type, col_type, compression);
        for (uint32_t row = 0; row < rows; ++row) {
          for (uint32_t col = 0; col < cols; ++col) {
            const CQeStringW row_name = naming.GetRowName(rows, row);
            const CQeStringW col_name = naming.GetColName(cols, col);
            ASSERT_EQ(naming.GetName(rows, cols, row, col), row_name + col_name);
            ASSERT_EQ(naming.GetRowIndex(row_name), static_cast<int>(row));
            ASSERT_EQ(naming.GetColumnIndex(col_name), static_cast<int>(col));
            ASSERT_EQ(naming.GetIndex(rows, cols, row_name + L"," + col_name),
                      static_cast<int>(row * cols + col));
          }
        }
      }
    }
  }
}

TEST(ElementNaming, RoundTripsOverWholeStandardGrids) {
  ExpectRoundTrip(8, 12);
  ExpectRoundTrip(16, 24);
  ExpectRoundTrip(32, 48);
  ExpectRoundTrip(1, 1);
  ExpectRoundTrip(2, 3);
}

}  // namespace
