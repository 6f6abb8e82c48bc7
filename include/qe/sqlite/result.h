// Status values of the SQLite helper layer.
//
// Conventions: every function and object of the helper layer reports 0 for
// success and otherwise the SQLite primary result code of the failure
// (1 error, 5 busy, 8 read-only, 14 cannot open, 19 constraint, 20 type
// mismatch, 21 misuse, 25 parameter out of range, ...). Extended result
// codes are folded to their primary code, and SQLITE_ROW / SQLITE_DONE,
// which only tell how a step ended, count as success.
#pragma once

// The one conversion of a SQLite result into a status of this layer.
int QeSqlite_StatusFromResult(int sqliteResult);
