#include "qe/core/char_class.h"

#include <unicode/uchar.h>

namespace qe {

wchar_t LowerChar(wchar_t c) { return static_cast<wchar_t>(u_tolower(static_cast<UChar32>(c))); }

wchar_t UpperChar(wchar_t c) { return static_cast<wchar_t>(u_toupper(static_cast<UChar32>(c))); }

bool IsBlankChar(wchar_t c) { return u_isUWhiteSpace(static_cast<UChar32>(c)) != 0; }

}  // namespace qe
