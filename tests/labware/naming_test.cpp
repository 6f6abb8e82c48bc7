#include <gtest/gtest.h>

#include "qe/labware/element_naming.h"

using qe::labware::NumberToText;
using qe::labware::TextToNumber;

namespace {

const SQeElementNaming kRowColumn(eQeNamingModeRowColumn, eQeNamingLetters, eQeNamingNumbers,
                                  false);

TEST(NumberToText, LettersGoPastZWithADecimalSuffix) {
  EXPECT_EQ(NumberToText(eQeNamingLetters, 0, 8, true), L"A");
  EXPECT_EQ(NumberToText(eQeNamingLetters, 25, 8, true), L"Z");
  EXPECT_EQ(NumberToText(eQeNamingLetters, 26, 8, true), L"A1");
  EXPECT_EQ(NumberToText(eQeNamingLetters, 27, 8, true), L"B1");
  EXPECT_EQ(NumberToText(eQeNamingLetters, 52, 8, false), L"A2");
  EXPECT_EQ(NumberToText(eQeNamingLetters, 26 * 100 + 3, 0, false), L"D100");
}

TEST(NumberToText, NumbersPadToTheDigitsOfTheCountWithoutCompression) {
  EXPECT_EQ(NumberToText(eQeNamingNumbers, 0, 12, false), L"01");
  EXPECT_EQ(NumberToText(eQeNamingNumbers, 11, 12, false), L"12");
  EXPECT_EQ(NumberToText(eQeNamingNumbers, 0, 9, false), L"1");
  EXPECT_EQ(NumberToText(eQeNamingNumbers, 8, 1536, false), L"0009");
  EXPECT_EQ(NumberToText(eQeNamingNumbers, 4, 0, false), L"5");
  EXPECT_EQ(NumberToText(eQeNamingNumbers, 0, 12, true), L"1");
  // Any type other than 0 is letters.
  EXPECT_EQ(NumberToText(static_cast<EQeElementNamingType>(7), 2, 8, true), L"C");
}

TEST(TextToNumber, ReadsLettersAndNumbersAndRejectsTheRest) {
  EXPECT_EQ(TextToNumber(eQeNamingLetters, L"A"), 0);
  EXPECT_EQ(TextToNumber(eQeNamingLetters, L"Z"), 25);
  EXPECT_EQ(TextToNumber(eQeNamingLetters, L"A1"), 26);
  EXPECT_EQ(TextToNumber(eQeNamingLetters, L"B1"), 27);
  EXPECT_EQ(TextToNumber(eQeNamingNumbers, L"1"), 0);
  EXPECT_EQ(TextToNumber(eQeNamingNumbers, L"012"), 11);

  EXPECT_EQ(TextToNumber(eQeNamingLetters, L""), -1);
  EXPECT_EQ(TextToNumber(eQeNamingNumbers, L""), -1);
  EXPECT_EQ(TextToNumber(eQeNamingLetters, L"a"), -1);  // upper case only
  EXPECT_EQ(TextToNumber(eQeNamingLetters, L"1"), -1);
  EXPECT_EQ(TextToNumber(eQeNamingLetters, L"\u00c4"), -1);
  EXPECT_EQ(TextToNumber(eQeNamingLetters, L"B-1"), -1);  // 1 - 26 is negative
  EXPECT_EQ(TextToNumber(eQeNamingNumbers, L"0"), -1);
  EXPECT_EQ(TextToNumber(eQeNamingNumbers, L"x"), -1);
  EXPECT_EQ(TextToNumber(eQeNamingNumbers, L"-5"), -1);
  EXPECT_EQ(TextToNumber(eQeNamingLetters, L"A99999999999999"), -1);
  // The rest after the letter reads like wtoi: digits up to the first other
  // character, nothing readable counts 0.
  EXPECT_EQ(TextToNumber(eQeNamingLetters, L"C2x"), 2 + 52);
  EXPECT_EQ(TextToNumber(eQeNamingLetters, L"Cx"), 2);
  EXPECT_EQ(TextToNumber(eQeNamingNumbers, L" 7"), 6);
}

TEST(ElementNaming, NamesThe96WellCornersInRowColumnMode) {
  EXPECT_EQ(kRowColumn.GetName(8, 12, 0, 0), L"A01");
  EXPECT_EQ(kRowColumn.GetName(8, 12, 7, 11), L"H12");
  EXPECT_EQ(kRowColumn.GetName(8, 12, 95), L"H12");
  SQeElementNaming compressed = kRowColumn;
  compressed.bNamingCompression = true;
  EXPECT_EQ(compressed.GetName(8, 12, 0, 0), L"A1");
  EXPECT_EQ(compressed.GetName(8, 12, 7, 11), L"H12");
  EXPECT_EQ(compressed.GetName(8, 12, 1, 9), L"B10");
}

TEST(ElementNaming, RunningNumberModesCountInTheirDirection) {
  const SQeElementNaming down(eQeNamingModeDownColumns, eQeNamingNumbers, eQeNamingNumbers, true);
  const SQeElementNaming along(eQeNamingModeAlongRows, eQeNamingNumbers, eQeNamingNumbers, true);
  EXPECT_EQ(down.GetName(8, 12, 1, 0), L"2");
  EXPECT_EQ(along.GetName(8, 12, 1, 0), L"13");
  EXPECT_EQ(down.GetName(8, 12, 0, 1), L"9");
  EXPECT_EQ(along.GetName(8, 12, 0, 1), L"2");
  // Without compression the running number pads to the size of the grid.
  SQeElementNaming padded = along;
  padded.bNamingCompression = false;
  EXPECT_EQ(padded.GetName(8, 12, 0, 0), L"01");
  EXPECT_EQ(padded.GetName(16, 24, 0, 0), L"001");
  // Mode 0 names with the row type, mode 1 with the column type.
  const SQeElementNaming down_letters(eQeNamingModeDownColumns, eQeNamingLetters, eQeNamingNumbers,
                                      true);
  EXPECT_EQ(down_letters.GetName(8, 12, 2, 3), L"A1");  // 8 x 3 + 2 = 26
}

TEST(ElementNaming, OutOfRangeAndUnknownModesGiveNoName) {
  EXPECT_EQ(kRowColumn.GetName(8, 12, 8, 0), L"");
  EXPECT_EQ(kRowColumn.GetName(8, 12, 0, 12), L"");
  EXPECT_EQ(kRowColumn.GetName(8, 12, 96), L"");
  EXPECT_EQ(kRowColumn.GetName(0, 12, 0), L"");
  EXPECT_EQ(kRowColumn.GetName(8, 0, 0), L"");
  const SQeElementNaming unknown(static_cast<EQeElementNamingMode>(9), eQeNamingNumbers,
                                 eQeNamingNumbers, true);
  EXPECT_EQ(unknown.GetName(8, 12, 0, 0), L"");
  EXPECT_EQ(unknown.GetIndex(8, 12, L"1"), -1);
}

TEST(ElementNaming, RowAndColumnPartsOnlyInRowColumnMode) {
  EXPECT_EQ(kRowColumn.GetRowName(8, 7), L"H");
  EXPECT_EQ(kRowColumn.GetColName(12, 4), L"05");
  EXPECT_EQ(kRowColumn.GetRowIndex(L"H"), 7);
  EXPECT_EQ(kRowColumn.GetColumnIndex(L"05"), 4);
  const SQeElementNaming along(eQeNamingModeAlongRows, eQeNamingLetters, eQeNamingNumbers, true);
  EXPECT_EQ(along.GetRowName(8, 7), L"");
  EXPECT_EQ(along.GetColName(12, 4), L"");
  EXPECT_EQ(along.GetRowIndex(L"H"), -1);
  EXPECT_EQ(along.GetColumnIndex(L"5"), -1);
}

TEST(ElementNaming, RowColumnIndexNeedsExactlyOneComma) {
  EXPECT_EQ(kRowColumn.GetIndex(8, 12, L"B,7"), 12 + 6);
  EXPECT_EQ(kRowColumn.GetIndex(8, 12, L"H,12"), 95);
  EXPECT_EQ(kRowColumn.GetIndex(8, 12, L"B7"), -1);
  EXPECT_EQ(kRowColumn.GetIndex(8, 12, L"B,7,1"), -1);
  EXPECT_EQ(kRowColumn.GetIndex(8, 12, L",7"), -1);
  EXPECT_EQ(kRowColumn.GetIndex(8, 12, L"B,"), -1);
  EXPECT_EQ(kRowColumn.GetIndex(8, 12, L"b,7"), -1);
  // Names beyond the grid give no index rather than another well's.
  EXPECT_EQ(kRowColumn.GetIndex(8, 12, L"A,13"), -1);
  EXPECT_EQ(kRowColumn.GetIndex(8, 12, L"I,1"), -1);
  const SQeElementNaming along(eQeNamingModeAlongRows, eQeNamingNumbers, eQeNamingNumbers, true);
  EXPECT_EQ(along.GetIndex(8, 12, L"97"), -1);
  EXPECT_EQ(along.GetIndex(8, 12, L"99999999999999999999"), -1);
  EXPECT_EQ(along.GetIndex(0, 0, L"1"), -1);
}

// Every element of a grid named and read back in every mode and type.
void ExpectRoundTrip(uint32_t rows, uint32_t cols) {
  const EQeElementNamingType types[] = {eQeNamingNumbers, eQeNamingLetters};
  for (bool compression : {false, true}) {
    for (auto row_type : types) {
      for (auto col_type : types) {
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

TEST(ElementNaming, The1536GridHasLettersBeyondZ) {
  EXPECT_EQ(kRowColumn.GetName(32, 48, 26, 0), L"A101");
  EXPECT_EQ(kRowColumn.GetName(32, 48, 31, 47), L"F148");
  EXPECT_EQ(kRowColumn.GetIndex(32, 48, L"F1,48"), 31 * 48 + 47);
}

}  // namespace
