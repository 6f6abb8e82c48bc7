// The last state saved per task class, so that a new task of the class can
// start from it.
//
// Conventions: those of every record function (see project.h): handle
// first, 0 or a status returned. The class name is bound or escaped.
//
// One `jobclasslaststate` row per unique class name (exact compare); it has
// no record type of its own and is read into and written from the version,
// state, name and data of a SQeProjectDbJobTaskState. It does not depend on
// any program.
#pragma once

#include <cstdint>

#include "qe/core/string.h"
#include "qe/projectdb/records/jobtask.h"

// Stores version, state, name and data of state for the class, replacing
// the class's row (which then gets a new key). Writes the row's key to
// outKey (when given; 0 on failure). Returns the command's status.
int QeProjectDb_Jobclasslaststate_InsertOrUpdate(uint32_t h, const CQeStringW& uniqueName,
                                                 const SQeProjectDbJobTaskState& state,
                                                 int64_t* outKey);

// Reads version, state, name and data stored for the class into state (the
// other fields are untouched). Returns the command's status: 0 also when
// the class has no row, and state is then untouched.
int QeProjectDb_Jobclasslaststate_GetOne(uint32_t h, const CQeStringW& uniqueName,
                                         SQeProjectDbJobTaskState& state);
