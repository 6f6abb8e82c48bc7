// Pieces of the merge shared between its files.
#pragma once

#include "qe/core/string.h"

struct sqlite3;
class CQeProjectDbMergeWalker;

namespace qe::merge {

// Registers, on the merge's target connection, the folder and file
// functions (createprojectfolder, createjobrunfolder, copyfile) and the
// folder-name functions mergeprojectfolder(name) and
// mergejobrunfolder(project folder, run folder), all with the walker as
// user data. False when one of them is not available afterwards.
bool RegisterFunctions(sqlite3* db, CQeProjectDbMergeWalker* walker);

// True when something (file or folder) exists at path.
bool PathExists(const CQeStringW& path);

}  // namespace qe::merge
