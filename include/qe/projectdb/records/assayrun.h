// Assay runs: one execution of an image analysis within a job run.
//
// Conventions: those of every record function (see project.h): handle
// first, 0 or a status returned, key out-pointers receive the key or 0.
//
// An assay run's results are its binary layers (binlayer.h), their binary
// frames, objects and object properties (binframe.h, binobj.h) and the
// frame properties it produced (frameprop.h). Deleting the assay run, its
// job run or the task that ran it deletes all of them.
#pragma once

#include <cstdint>

#include "qe/core/string.h"

struct SQeProjectDbRow_assayrun {
  SQeProjectDbRow_assayrun() = default;
  SQeProjectDbRow_assayrun(int64_t key, int64_t jobrunKey, int64_t jobtaskKey,
                           int64_t capturedDataKey, const CQeStringW& uuid, const CQeStringW& name,
                           double ctime)
      : iKey(key),
        iJobrunKeyRef(jobrunKey),
        iJobtaskKeyRef(jobtaskKey),
        iCapturedDataKeyRef(capturedDataKey),
        wszUuid(uuid),
        wszName(name),
        dCTime(ctime) {}

  int64_t iKey = 0;
  int64_t iJobrunKeyRef = 0;        // the job run
  int64_t iJobtaskKeyRef = 0;       // the job task that ran the analysis
  int64_t iCapturedDataKeyRef = 0;  // the task whose captured data was analysed
  CQeStringW wszUuid;               // unique
  CQeStringW wszName;
  double dCTime = 0.0;  // creation time (JDN)
};

// Inserts an assay run with the keys as given: each must name an existing
// row (0 fails the foreign key with 19). A second assay run with the same
// uuid fails with 19.
int QeProjectDb_Assayrun_Insert(uint32_t h, int64_t jobrunKey, int64_t jobtaskKey,
                                int64_t capturedDataKey, const CQeStringW& uuid,
                                const CQeStringW& name, double ctime, int64_t* outKey);

// Reads the assay run with that key (select status; record untouched when
// there is none).
int QeProjectDb_Assayrun_GetOne(uint32_t h, int64_t key, SQeProjectDbRow_assayrun& row);

// Deletes the assay run with that key and its results.
int QeProjectDb_Assayrun_Delete(uint32_t h, int64_t key);
