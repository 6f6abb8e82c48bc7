// Job programs: the versions of a job definition, each with a property blob.
//
// Conventions: those shared by every record family, which open
// qe/projectdb/records/project.h (handle first; 0 or a status returned;
// key out-pointers receive the key or 0; GetOne keeps the record when no
// row matches; GetAll / GetMany append). Every text that reaches SQL is
// bound or escaped, so apostrophes, quotes and percent signs are plain
// characters.
//
// A job definition owns job programs; its current program is the newest,
// the one with the greatest key. A program's tasks (jobtask.h) and property
// definitions (jobpropdef.h) are rows of their own.
//
// The property blob `pProperties` is a lite-variant document
// (qe/core/lite_variant.h) whose root is the level with the empty name;
// every property is a text value stored there under its name.
#pragma once

#include <cstdint>
#include <vector>

#include "qe/core/byte_array.h"
#include "qe/core/string.h"

struct SQeProjectDbRow_jobprogram {
  // One name/value pair of the property blob.
  struct _property {
    _property() = default;
    _property(const CQeStringW& n, const CQeStringW& v) : name(n), value(v) {}

    CQeStringW name;
    CQeStringW value;
  };

  SQeProjectDbRow_jobprogram() = default;
  SQeProjectDbRow_jobprogram(int64_t key, int64_t jobdefKey, const CQeStringW& summary,
                             const CQeByteArray& properties)
      : iKey(key), iJobdefKeyRef(jobdefKey), wszSummary(summary), pProperties(properties) {}

  int64_t iKey = 0;
  int64_t iJobdefKeyRef = 0;  // owning job definition
  CQeStringW wszSummary;      // a text summary of the program
  CQeByteArray pProperties;   // the property blob (lite-variant document)
};

// Inserts a program of the job definition with an empty property blob.
// Returns 0 or the insert's status (19 when the job definition does not exist).
int QeProjectDb_Jobprogram_Insert(uint32_t h, int64_t jobdefKey, const CQeStringW& summary,
                                  int64_t* outKey);
// The same with the given property blob (null stores an empty blob).
int QeProjectDb_Jobprogram_Insert(uint32_t h, int64_t jobdefKey, const CQeStringW& summary,
                                  const CQeByteArray* properties, int64_t* outKey);

// Reads the program with that key. Returns the select's status (0 also when
// there is no such program; the record is then untouched).
int QeProjectDb_Jobprogram_GetOne(uint32_t h, int64_t key, SQeProjectDbRow_jobprogram& row);

// Reads the newest program (greatest key) of the job definition. A job
// definition without programs gives 0 and leaves the record untouched.
int QeProjectDb_Jobprogram_GetLatest(uint32_t h, int64_t jobdefKey,
                                     SQeProjectDbRow_jobprogram& row);

// Copies the program row (job definition, summary and property blob) into a
// new row; its tasks and property definitions are not copied (see
// QeProjectDb_Jobtask_DuplicateMany and QeProjectDb_Jobpropdef_SetAll).
// Returns 0 and writes the new key (when outKey is given); on failure the
// duplicate's status, 12 when there is no program with that key, and
// outKey is untouched.
int QeProjectDb_Jobprogram_Duplicate(uint32_t h, int64_t key, int64_t* outKey);

// Reads one property of the program's blob into value. Returns 0; -13 when
// the program does not exist, its blob holds no value of that name (an
// empty name included) or the blob is unreadable (value is then untouched);
// or the select's status when the select failed.
int QeProjectDb_Jobprogram_GetProperty(uint32_t h, int64_t key, const CQeStringW& name,
                                       CQeStringW& value);

// Sets name/value pairs in the program's blob. Pairs are applied in vector
// order (a later pair of the same name wins); every entry stored earlier
// under another name is kept. Pairs with an empty name are ignored.
// Returns 0 or the update's status; the select's status, or -9 when the
// program does not exist or a name is longer than 65535 UTF-8 bytes
// (nothing is written); -10 when the stored blob is unreadable (it is then
// left as it is rather than overwritten).
int QeProjectDb_Jobprogram_InsertOrUpdateProperties(
    uint32_t h, int64_t key, const std::vector<SQeProjectDbRow_jobprogram::_property>& properties);

// The bitwise OR of `iState` of every task of the job definition's newest
// program, through the SQL aggregate bitwiseor. A newest program without
// tasks gives 0. A job definition without programs returns 0 and leaves
// state untouched. Returns the command's status.
int QeProjectDb_Jobprogram_GetLatestTaskStateoOr(uint32_t h, int64_t jobdefKey, int& state);
