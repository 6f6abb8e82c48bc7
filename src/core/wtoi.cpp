#include "qe/core/wtoi.h"

#include <climits>

#include "qe/core/char_class.h"

int QE_wtoi(const wchar_t* text) {
  if (!text) return 0;
  const wchar_t* p = text;
  while (*p && qe::IsBlankChar(*p)) ++p;
  bool negative = false;
  if (*p == L'+' || *p == L'-') negative = *p++ == L'-';
  // Accumulated as a negative number so that INT_MIN fits.
  long long value = 0;
  for (; *p >= L'0' && *p <= L'9'; ++p) {
    value = value * 10 - (*p - L'0');
    if (value < INT_MIN) {
      value = INT_MIN - 1LL;  // stays below the range; the sign decides the saturation
    }
  }
  if (negative) return value < INT_MIN ? INT_MIN : static_cast<int>(value);
  return value < -static_cast<long long>(INT_MAX) ? INT_MAX : static_cast<int>(-value);
}
