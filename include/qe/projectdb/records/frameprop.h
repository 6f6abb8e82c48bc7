// Frame properties: one measured value of one property for one frame of a
// run, optionally produced by an assay run.
//
// Conventions: those of every record function (see project.h): handle
// first, 0 or a status returned, key out-pointers receive the key or 0;
// batches run in one transaction and retry the whole batch after 30 ms
// while another connection holds the database.
//
// A run holds one value per frame index, assay run and property; rows go
// with their run, assay run and property definition.
#pragma once

#include <cstdint>
#include <vector>

struct SQeProjectDbRow_frameprop {
  SQeProjectDbRow_frameprop() = default;
  SQeProjectDbRow_frameprop(int64_t key, int64_t jobrunKey, int64_t assayrunKey, int64_t propdefKey,
                            int frameIndex, double value)
      : iKey(key),
        iJobrunKeyRef(jobrunKey),
        iAssayrunKeyRef(assayrunKey),
        iPropdefKeyRef(propdefKey),
        iFrameIndex(frameIndex),
        dValue(value) {}

  int64_t iKey = 0;
  int64_t iJobrunKeyRef = 0;    // run
  int64_t iAssayrunKeyRef = 0;  // assay run that produced the value; 0 for none
  int64_t iPropdefKeyRef = 0;   // property definition
  int iFrameIndex = 0;          // frame within the run
  double dValue = 0.0;
};

// Inserts one value. The assay run key is written as given: 0 names no
// assay run and fails the foreign key (19); use the batch for values
// without one.
int QeProjectDb_Frameprop_Insert(uint32_t h, int64_t jobrunKey, int64_t assayrunKey,
                                 int64_t propdefKey, int frameIndex, double value, int64_t* outKey);

// Inserts every element in one transaction; an assay run key of 0 is
// stored as NULL. Each element's iKey receives its key (0 when its row
// failed). Returns 0 or the first failure's status; on failure nothing of
// the batch stays (unless it ran inside the caller's transaction).
int QeProjectDb_Frameprop_InsertMany(uint32_t h, std::vector<SQeProjectDbRow_frameprop>& rows);

// For each element deletes the values of its run, property definition and
// frame index (of every assay run). An element that matches nothing is not
// a failure. Returns 0 or the status of the last failing delete.
int QeProjectDb_Frameprop_QuantityRemoveMany(uint32_t h,
                                             const std::vector<SQeProjectDbRow_frameprop>& rows);
