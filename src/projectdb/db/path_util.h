// Path arithmetic of the database core. Paths on this system use '/', while
// relative names stored in a database use '\\' (the file format); both are
// accepted as separators wherever a stored name is read.
#pragma once

#include "qe/core/string.h"

namespace qe::projectdb {

inline bool IsSeparator(wchar_t c) { return c == L'/' || c == L'\\'; }

// The part of a file path before its last separator, ending in '/'; empty
// when the path has no separator.
CQeStringW FolderOf(const CQeStringW& path);

// The part of a file path after its last separator (all of it when there
// is none).
CQeStringW FileNameOf(const CQeStringW& path);

// base followed by relative, with '\\' in relative turned into '/' and one
// '/' between them unless base is empty or already ends in a separator.
CQeStringW JoinPath(const CQeStringW& base, const CQeStringW& relative);

}  // namespace qe::projectdb
