// Binary layers: the named object layers an analysis produces for a run.
//
// Conventions: those of every record function (see project.h): handle
// first, 0 or a status returned, key out-pointers receive the key or 0,
// GetMany appends; batches run in one transaction and retry the whole batch
// after 30 ms while another connection holds the database.
//
// A layer belongs to a job run and an assay run (keys written as given, so
// both must exist) and goes with either; its binary frames (binframe.h)
// go with it. Layer uuids are unique.
#pragma once

#include <cstdint>
#include <vector>

#include "qe/core/string.h"

struct SQeProjectDbRow_binlayer {
  SQeProjectDbRow_binlayer() = default;
  SQeProjectDbRow_binlayer(int64_t key, int64_t jobrunKey, int64_t assayrunKey,
                           const CQeStringW& uuid, const CQeStringW& name,
                           const CQeStringW& compName, const CQeStringW& fileTag, int color,
                           bool selected = false)
      : iKey(key),
        iJobrunKeyRef(jobrunKey),
        iAssayrunKeyRef(assayrunKey),
        wszUuid(uuid),
        wszName(name),
        wszCompName(compName),
        wszFileTag(fileTag),
        iColor(color),
        bSelected(selected) {}

  int64_t iKey = 0;
  int64_t iJobrunKeyRef = 0;
  int64_t iAssayrunKeyRef = 0;
  CQeStringW wszUuid;
  CQeStringW wszName;
  CQeStringW wszCompName;  // component name
  CQeStringW wszFileTag;   // file tag
  int iColor = 0;
  // Not a column: the host's own flag, neither stored nor read here.
  bool bSelected = false;
};

// Inserts one layer (7 columns as given).
int QeProjectDb_Binlayer_Insert(uint32_t h, int64_t jobrunKey, int64_t assayrunKey,
                                const CQeStringW& uuid, const CQeStringW& name,
                                const CQeStringW& compName, const CQeStringW& fileTag, int color,
                                int64_t* outKey);

// Inserts every element in one transaction; each iKey receives its key.
// Returns 0 or the first failure's status (then nothing of the batch stays,
// unless it ran inside the caller's transaction).
int QeProjectDb_Binlayer_InsertMany(uint32_t h, std::vector<SQeProjectDbRow_binlayer>& rows);

// Appends the layers of one run (bSelected of the new elements is false).
int QeProjectDb_Binlayer_GetMany(uint32_t h, int64_t jobrunKey,
                                 std::vector<SQeProjectDbRow_binlayer>& rows);
