// SQL functions that the project database adds to its SQLite connections.
//
// Conventions:
//  - Functions are registered per connection with sqlite3_create_function_v2,
//    none as deterministic; registration failures are ignored (a missing
//    function makes only the SQL that calls it fail).
//  - Errors inside a function fail the calling statement with the texts
//    "Wrong parameter count" or "Wrong parameter type". The file-system
//    functions report failure only through their integer result.
//  - Aggregates skip NULL inputs. The statistics aggregates keep their state
//    in SQLite's per-call aggregate context only, so every function may run
//    on any connection and thread at once.
//
// Available on every connection opened by QeProjectDb_Db_Connect and
// QeProjectDb_Db_ConnectForRead:
//   uuid()             a new 32-digit lowercase hexadecimal UUID text
//   jdnnow()           the current JDN time (UTC) as a double
//   bitwiseor(x)       OR of the INTEGER values; 0 over no rows
//   stdev(x), variance(x)
//                      sample standard deviation and variance (Welford);
//                      0.0 with fewer than two values
//   count_str(x)       number of values that are neither NULL nor ''
//   mode(x)            the most frequent value; NULL on a tie or no rows
//   median(x), lower_quartile(x), upper_quartile(x)
//                      quantiles over the sorted values; the first value's
//                      numeric type decides between integer and real mode
// Only on read-write connections (QeProjectDb_Db_Connect):
//   bitwiseand(a, b)   a AND b; both must be INTEGER
//   bitsetmasked(a, b, mask)
//                      (a AND NOT mask) OR (b AND mask); all must be INTEGER
//   setfirstchar(s, c) s with its first character replaced by c's first;
//                      NULL when s is empty
// Registered by the merge and the upgrade on their own connections:
//   createprojectfolder(name), createjobrunfolder(project, run),
//   copyfile(project, run, file), pathlastpart(p)
#pragma once

#include "qe/core/string.h"

struct sqlite3;

// Registers the functions of a read-write connection, in this order: uuid,
// jdnnow, bitwiseor, stdev, variance, count_str, bitwiseand, bitsetmasked,
// mode, median, lower_quartile, upper_quartile, setfirstchar. A null db does
// nothing.
void QeProjectDb_SqlFunc_RegisterReadWrite(sqlite3* db);

// Registers the read-only subset: uuid, jdnnow, bitwiseor, stdev, variance,
// count_str, mode, median, lower_quartile, upper_quartile.
void QeProjectDb_SqlFunc_RegisterReadOnly(sqlite3* db);

// Told the outcome of every folder creation and file copy that the merge
// functions make. Called on the thread that runs the statement, inside the
// function call; an observer must not run SQL on that connection.
class IQeProjectDbMergeFilesObserver {
 public:
  // A folder creation: created is true when the folder did not exist before
  // and exists now; result is the core library's (0 also for a folder that
  // was there already).
  virtual void OnMergeFolder(const CQeStringW& path, bool created, int result) = 0;
  // A copy: result is the core library's: 0 copied, -13 the source file is
  // missing, -9 the target exists already (it is kept) or the copy failed.
  virtual void OnMergeCopy(const CQeStringW& source, const CQeStringW& target, int result) = 0;

 protected:
  ~IQeProjectDbMergeFilesObserver() = default;
};

// The two database files a merge works on. The functions of
// QeProjectDb_SqlFunc_RegisterMerge build their paths from these:
//  - M, the folder of wszMainDbFile (the merge target),
//  - S, the folder of wszSourceDbFile (the file attached as "src"), and the
//    project folder name that the source file's name selects
//    (QeProjectDb_Db_ProjectFolderName).
// pObserver, when set, is told every action (not owned).
struct SQeProjectDbMergeFiles {
  CQeStringW wszMainDbFile;
  CQeStringW wszSourceDbFile;
  IQeProjectDbMergeFilesObserver* pObserver = nullptr;
};

// Registers createprojectfolder, createjobrunfolder and copyfile on the
// merge's connection. pFiles is not copied: the caller keeps it alive and
// unchanged for as long as the connection may run these functions. With a
// null pFiles the functions are registered but return -4.
//   createprojectfolder(name)  creates M/Projects/name
//   createjobrunfolder(project, run)  creates M/Projects/project/run
//   copyfile(project, run, file)  copies S/<project folder name>/project/run/file
//                              to M/Projects/project/run/file; an existing
//                              target is kept (result -9)
//   copyfile(source project, source run, project, run, file)
//                              the same from S/<project folder name>/source
//                              project/source run/file, for a project or run
//                              whose folder has another name in the target
// Each returns the integer of the core library's create or copy (0 on
// success), or -4 with another argument count. Stored names may use "\\" or
// "/" between parts; both become the native separator.
void QeProjectDb_SqlFunc_RegisterMerge(sqlite3* db, const SQeProjectDbMergeFiles* pFiles);

// Registers pathlastpart(p): p with separators ("\\" or "/") trimmed from
// both ends, then the text after the last separator; NULL when nothing is
// left. Used by the upgrade from schema version 23 to 24.
void QeProjectDb_SqlFunc_RegisterPathLastPart(sqlite3* db);
