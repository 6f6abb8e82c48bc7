#include <gtest/gtest.h>

#include "qe/labware/element_naming.h"

using qe::labware::NumberToText;
using qe::labware::TextToNumber;

namespace {

constexpr EQeElementNamingType kNum = eQeNamingNumbers;
constexpr EQeElementNamingType kLet = eQeNamingLetters;
const SQeElementNaming kRowColumn(eQeNamingModeRowColumn, kLet, kNum, false);
const SQeElementNaming kCompressed(eQeNamingModeRowColumn, kLet, kNum, true);
const SQeElementNaming kAlong(eQeNamingModeAlongRows, kNum, kNum, true);

TEST(NumberToText, LettersPastZAndPaddedNumbers) {
  EXPECT_EQ(NumberToText(kLet, 25, 8, true), L"Z");
  EXPECT_EQ(NumberToText(kLet, 26, 8, true), L"A1");
  EXPECT_EQ(NumberToText(kLet, 27, 8, true), L"B1");
  EXPECT_EQ(NumberToText(kNum, 0, 12, false), L"01");
  EXPECT_EQ(NumberToText(kNum, 8, 1536, false), L"0009");
  EXPECT_EQ(NumberToText(kNum, 0, 12, true), L"1");
}

// Letters are upper case only; what follows the letter reads like wtoi.
TEST(TextToNumber, RejectsWhatIsNoName) {
  EXPECT_EQ(TextToNumber(kLet, L"B1"), 27);
  EXPECT_EQ(TextToNumber(kNum, L"012"), 11);
  for (const wchar_t* text : {L"", L"a", L"1", L"\u00c4", L"B-1", L"A99999999999999"}) {
    EXPECT_EQ(TextToNumber(kLet, text), -1) << text;
  }
  for (const wchar_t* text : {L"", L"0", L"x", L"-5"}) EXPECT_EQ(TextToNumber(kNum, text), -1);
}

TEST(ElementNaming, NinetySixWellNamesWithAndWithoutCompression) {
  EXPECT_EQ(kRowColumn.GetName(8, 12, 0, 0), L"A01");
  EXPECT_EQ(kRowColumn.GetName(8, 12, 7, 11), L"H12");
  EXPECT_EQ(kCompressed.GetName(8, 12, 0, 0), L"A1");
  EXPECT_EQ(kCompressed.GetName(8, 12, 1, 9), L"B10");
  EXPECT_EQ(kAlong.GetName(8, 12, 1, 0), L"13");
  EXPECT_EQ(kRowColumn.GetName(32, 48, 31, 47), L"F148");
  // Outside the grid there is no name and no index rather than another well's.
  EXPECT_EQ(kRowColumn.GetName(8, 12, 8, 0), L"");
  EXPECT_EQ(kRowColumn.GetName(8, 12, 96), L"");
  for (const wchar_t* text : {L"B7", L"B,7,1", L"b,7", L"A,13", L"I,1"}) {
    EXPECT_EQ(kRowColumn.GetIndex(8, 12, text), -1) << text;
  }
  EXPECT_EQ(kAlong.GetIndex(8, 12, L"97"), -1);
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
}

}  // namespace
