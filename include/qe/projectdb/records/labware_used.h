// The labware a job run used: its plates (`plateinfo`), slides (`slideinfo`)
// and wells (`wellinfo`). Frames point to these rows through the frame link
// tables (qe/projectdb/records/frame_links.h). The rows go with their run
// (cascade).
//
// Conventions: those of every record family (qe/projectdb/records/project.h).
// An empty name or barcode is stored as NULL and read back as the empty
// text; descriptions are stored as given.
#pragma once

#include <cstdint>
#include <vector>

#include "qe/core/string.h"

struct SQeProjectDbRow_plateinfo {
  SQeProjectDbRow_plateinfo() = default;
  SQeProjectDbRow_plateinfo(int64_t key, int64_t jobrunKey, int64_t wellplatenameKey,
                            const CQeStringW& name, const CQeStringW& barcode,
                            const CQeStringW& desc)
      : iKey(key),
        iJobrunKeyRef(jobrunKey),
        iWellplatenameKeyRef(wellplatenameKey),
        wszName(name),
        wszBarcode(barcode),
        wszDesc(desc) {}

  int64_t iKey = 0;
  int64_t iJobrunKeyRef = 0;
  int64_t iWellplatenameKeyRef = 0;  // the plate used (its name row)
  CQeStringW wszName;
  CQeStringW wszBarcode;
  CQeStringW wszDesc;
};

struct SQeProjectDbRow_slideinfo {
  SQeProjectDbRow_slideinfo() = default;
  SQeProjectDbRow_slideinfo(int64_t key, int64_t jobrunKey, const CQeStringW& name,
                            const CQeStringW& barcode, const CQeStringW& desc)
      : iKey(key), iJobrunKeyRef(jobrunKey), wszName(name), wszBarcode(barcode), wszDesc(desc) {}

  int64_t iKey = 0;
  int64_t iJobrunKeyRef = 0;
  CQeStringW wszName;
  CQeStringW wszBarcode;
  CQeStringW wszDesc;
};

struct SQeProjectDbRow_wellinfo {
  SQeProjectDbRow_wellinfo() = default;
  SQeProjectDbRow_wellinfo(int64_t key, int64_t jobrunKey, int32_t wellIndex,
                           const CQeStringW& name)
      : iKey(key), iJobrunKeyRef(jobrunKey), iWellIndex(wellIndex), wszName(name) {}

  int64_t iKey = 0;
  int64_t iJobrunKeyRef = 0;
  int32_t iWellIndex = 0;  // row-major index of the well in its plate
  CQeStringW wszName;
};

// ---- Plates ----

// Inserts the plate a run used. Returns the insert's status (19 when the
// run or the name row does not exist); *outKey per the insert convention.
int QeProjectDb_Plateinfo_Insert(uint32_t h, int64_t jobrunKey, int64_t wellplatenameKey,
                                 const CQeStringW& name, const CQeStringW& barcode,
                                 const CQeStringW& desc, int64_t* outKey);
// Batch insert (one transaction when the caller has none).
int QeProjectDb_Plateinfo_InsertMany(uint32_t h, std::vector<SQeProjectDbRow_plateinfo>& rows);
int QeProjectDb_Plateinfo_GetOne(uint32_t h, int64_t key, SQeProjectDbRow_plateinfo& row);
// Appends the plates of one run.
int QeProjectDb_Plateinfo_GetMany(uint32_t h, int64_t jobrunKey,
                                  std::vector<SQeProjectDbRow_plateinfo>& rows);
// Whether some run used the plate whose name row has that uuid.
bool QeProjectDb_Plateinfo_Exists(uint32_t h, const CQeStringW& uuid);

// ---- Slides ----

int QeProjectDb_Slideinfo_Insert(uint32_t h, int64_t jobrunKey, const CQeStringW& name,
                                 const CQeStringW& barcode, const CQeStringW& desc,
                                 int64_t* outKey);
int QeProjectDb_Slideinfo_InsertMany(uint32_t h, std::vector<SQeProjectDbRow_slideinfo>& rows);
int QeProjectDb_Slideinfo_GetOne(uint32_t h, int64_t key, SQeProjectDbRow_slideinfo& row);
int QeProjectDb_Slideinfo_GetMany(uint32_t h, int64_t jobrunKey,
                                  std::vector<SQeProjectDbRow_slideinfo>& rows);
// Sets the barcode of the slide record with that key; an empty barcode (or
// a null text) stores NULL. Returns the statement's status.
int QeProjectDb_Slideinfo_UpdateBarcode(uint32_t h, int64_t key, const CQeStringW& barcode);

// ---- Wells ----

int QeProjectDb_Wellinfo_Insert(uint32_t h, int64_t jobrunKey, int32_t wellIndex,
                                const CQeStringW& name, int64_t* outKey);
int QeProjectDb_Wellinfo_InsertMany(uint32_t h, std::vector<SQeProjectDbRow_wellinfo>& rows);
