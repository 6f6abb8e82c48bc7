// Job property definitions of a program and their enumeration values.
//
// Conventions: those of every record function (see project.h): handle
// first, 0 or a status returned, key out-pointers receive the key, GetAll
// appends. Texts are stored as given and bound or escaped in SQL.
//
// A program holds at most one definition per property key (`wszPropkey`,
// exact compare). Definitions are written with INSERT OR REPLACE: writing
// an existing property key of a program deletes the old row (and, by
// cascade, its enumeration values) and inserts a new row with a new key.
// An enumeration value is unique within its definition.
#pragma once

#include <cstdint>
#include <vector>

#include "qe/core/byte_array.h"
#include "qe/core/string.h"

struct SQeProjectDbRow_jobpropenumvalue {
  SQeProjectDbRow_jobpropenumvalue() = default;
  SQeProjectDbRow_jobpropenumvalue(int64_t key, int64_t jobpropdefKey, const CQeStringW& value)
      : iKey(key), iJobpropdefKeyRef(jobpropdefKey), wszPropenumvalue(value) {}

  int64_t iKey = 0;
  int64_t iJobpropdefKeyRef = 0;  // owning property definition
  CQeStringW wszPropenumvalue;    // one allowed value
};

struct SQeProjectDbRow_jobpropdef {
  SQeProjectDbRow_jobpropdef() = default;
  SQeProjectDbRow_jobpropdef(int64_t key, int64_t programKey, const CQeStringW& propkey,
                             double value, int type, int visibility, int flags,
                             const CQeByteArray& dependencyExpression,
                             const std::vector<SQeProjectDbRow_jobpropenumvalue>& enumValues = {})
      : iKey(key),
        iJobprogramKeyRef(programKey),
        wszPropkey(propkey),
        dPropdefvalue(value),
        iPropdeftype(type),
        iPropdefvisibility(visibility),
        iPropdefflags(flags),
        pDependencyExpression(dependencyExpression),
        vEnumValues(enumValues) {}

  int64_t iKey = 0;
  int64_t iJobprogramKeyRef = 0;       // owning program
  CQeStringW wszPropkey;               // the property's name within its program
  double dPropdefvalue = 0.0;          // the value
  int iPropdeftype = 0;                // set by the host
  int iPropdefvisibility = 0;          // set by the host
  int iPropdefflags = 0;               // set by the host
  CQeByteArray pDependencyExpression;  // opaque expression
  // Not a column: the definition's allowed values (`jobpropenumvalue`).
  std::vector<SQeProjectDbRow_jobpropenumvalue> vEnumValues;
};

// Inserts the definition, or replaces the program's definition of the same
// property key by a new row with a new key, then replaces its enumeration
// values by enumValues (QeProjectDb_Jobpropenumvalue_SetAll, which writes
// the keys into the elements). A null dependencyExpression stores NULL.
// On success of the definition writes its key to outKey (when given) and
// returns the enumeration values' status; when the definition fails,
// returns that status and leaves outKey untouched.
int QeProjectDb_Jobpropdef_InsertOrUpdate(uint32_t h, int64_t programKey, const CQeStringW& propkey,
                                          double value, int type, int visibility,
                                          std::vector<SQeProjectDbRow_jobpropenumvalue>& enumValues,
                                          int flags, const CQeByteArray* dependencyExpression,
                                          int64_t* outKey);

// Makes the program's definitions equal to rows: each row is written with
// QeProjectDb_Jobpropdef_InsertOrUpdate in vector order (its iKey receives
// the new key; a row that fails is passed over), then every definition of
// the program whose key is not among the rows' keys is deleted, so an empty
// vector deletes them all. Returns 0 or the delete's status.
int QeProjectDb_Jobpropdef_SetAll(uint32_t h, int64_t programKey,
                                  std::vector<SQeProjectDbRow_jobpropdef>& rows);

// Reads the definition with that key and replaces row.vEnumValues by its
// enumeration values (in key order). Returns the select's status, 0 also
// when there is no such row (the record is then untouched), else the
// status of reading the values.
int QeProjectDb_Jobpropdef_GetOne(uint32_t h, int64_t key, SQeProjectDbRow_jobpropdef& row);

// Reads the program's definition of that property key with its enumeration
// values. Returns -13 when there is none (the record is untouched), else as
// the lookup by key.
int QeProjectDb_Jobpropdef_GetOne(uint32_t h, int64_t programKey, const CQeStringW& propkey,
                                  SQeProjectDbRow_jobpropdef& row);

// Appends the program's definitions, each with its enumeration values.
int QeProjectDb_Jobpropdef_GetAll(uint32_t h, int64_t programKey,
                                  std::vector<SQeProjectDbRow_jobpropdef>& rows);

// Deletes the definition with that key and its enumeration values.
int QeProjectDb_Jobpropdef_Delete(uint32_t h, int64_t key);

// Deletes the program's definition of that property key (0 also when there
// is none).
int QeProjectDb_Jobpropdef_Delete(uint32_t h, int64_t programKey, const CQeStringW& propkey);

// Replaces the enumeration values of a definition: deletes the stored ones,
// then inserts values in vector order, setting each element's
// iJobpropdefKeyRef and iKey. Stops at the first failing insert (a value
// given twice fails with 19): the values before it stay stored, the rest
// are not inserted. Returns 0 (also for an empty vector) or that status.
int QeProjectDb_Jobpropenumvalue_SetAll(uint32_t h, int64_t jobpropdefKey,
                                        std::vector<SQeProjectDbRow_jobpropenumvalue>& values);

// Appends the definition's enumeration values in key order.
int QeProjectDb_Jobpropenumvalue_GetAll(uint32_t h, int64_t jobpropdefKey,
                                        std::vector<SQeProjectDbRow_jobpropenumvalue>& values);
