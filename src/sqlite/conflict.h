// Conflict clauses of INSERT statements.
#pragma once

#include "qe/core/string.h"

namespace qe::sqlite_detail {

// True for an empty clause and for "OR REPLACE", "OR IGNORE", "OR ABORT",
// "OR FAIL" and "OR ROLLBACK" in any letter case; blanks around are allowed.
bool IsConflictClause(const CQeStringW& clause);

}  // namespace qe::sqlite_detail
