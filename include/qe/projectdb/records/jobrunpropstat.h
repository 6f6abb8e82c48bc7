// Statistics of one property over one run, computed by the caller.
//
// Conventions: those of every record function (see project.h): handle
// first, 0 or a status returned.
//
// A run holds one row per property definition; writing statistics for a
// pair that has them replaces the row (which gets a new key).
#pragma once

#include <cstdint>

struct SQeProjectDbRow_jobrunpropstat {
  int64_t iKey = 0;
  int64_t iJobrunKeyRef = 0;
  int64_t iPropdefKeyRef = 0;
  int64_t iCount = 0;          // number of values
  int64_t iDistinctCount = 0;  // number of distinct values
  double dStatMin = 0.0;
  double dStatMax = 0.0;
  double dStatSum = 0.0;
  double dStatSqSum = 0.0;  // sum of squares
  double dStatDecSum = 0.0;
};

// Inserts the statistics of row, replacing those of the same run and
// property definition. row.iKey always receives the returned key (0 on
// failure); outKey (when given) the key on success, 0 on failure.
// Returns the insert's status.
int QeProjectDb_Jobrunpropstat_InsertOrReplace(uint32_t h, SQeProjectDbRow_jobrunpropstat& row,
                                               int64_t* outKey);

// Reads the statistics of the run and property definition. Returns -13
// when there are none (record untouched), else the select's status.
int QeProjectDb_Jobrunpropstat_GetOne(uint32_t h, int64_t jobrunKey, int64_t propdefKey,
                                      SQeProjectDbRow_jobrunpropstat& row);
