// Character classes and case mapping of single code points.
//
// Conventions: a wchar_t holds one Unicode code point on Linux. These
// functions follow the Unicode character database (through ICU), not the C
// library's locale, so they give the same answer whatever locale the host
// process set (the C locale knows only ASCII). Thread-safe (pure).
#pragma once

namespace qe {

// The simple lower-case mapping of `c` (L'Ä' gives L'ä'); `c` itself when it
// has none.
wchar_t LowerChar(wchar_t c);

// The simple upper-case mapping of `c`; `c` itself when it has none.
wchar_t UpperChar(wchar_t c);

// True for Unicode white space: ASCII blanks and line ends, no-break and
// ideographic spaces, line and paragraph separators.
bool IsBlankChar(wchar_t c);

}  // namespace qe
