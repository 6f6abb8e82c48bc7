// Decimal text to integer, as _wtoi reads it.
#pragma once

// Skips leading blanks (Unicode white space), takes one optional '+' or '-', then reads
// decimal digits up to the first other character. No digit (or a null text)
// gives 0; values beyond the int range saturate at INT_MIN / INT_MAX.
// Thread-safe (pure).
int QE_wtoi(const wchar_t* text);
