// Small text helpers of the helper layer: splitting paths and making name lists.
//
// Conventions: paths are texts in either form: '/' and '\\' both separate
// components (names stored in the database use '\\', file-system paths '/').
#pragma once

#include <vector>

#include "qe/core/string.h"

// The folder part of path: everything before its last component, without
// the separators that end it ("/data/p/x.db" gives "/data/p"; a root stays:
// "/x.db" gives "/"; a path without separator gives ""). Separators that
// end the path belong to the last component ("C:\\a\\Name\\" gives "C:\\a"
// and the file name "Name\\"). When fileName is not null it receives the
// last component. The folder never ends in a separator except when it is
// the root, so callers append one when they need it.
CQeStringW QePath_Split(const CQeStringW& path, CQeStringW* fileName);

// The first count names as a vector of strings:
// QeMakeStringVector(3, L"iKey", L"wszName", L"dCTime"). A count above the
// number of names gives all of them.
template <typename... Names>
std::vector<CQeStringW> QeMakeStringVector(int count, const Names&... names) {
  std::vector<CQeStringW> all{CQeStringW(names)...};
  if (count >= 0 && static_cast<size_t>(count) < all.size()) all.resize(static_cast<size_t>(count));
  if (count < 0) all.clear();
  return all;
}
