// Status codes shared by every exported function.
//
// 0 is success. A positive value is a SQLite primary result code passed
// through unchanged (19 = constraint failed, 5 = busy, ...). The library's
// own codes are the negative values below.
#pragma once

enum EQeStatus : int {
  eQeOk = 0,
  eQeNoPathOrTooNew = -1,   // empty path, a file newer than this library, or no queue master
  eQeNotImplemented = -2,
  eQeMissingArgument = -4,
  eQeFailed = -9,           // transaction statement, unique folder name, missing row to update,
                            // unsupported version, full queue
  eQeUnusableFile = -10,
  eQeDrawingFailed = -11,
  eQeNotFound = -13,        // no such row, index or option
};
