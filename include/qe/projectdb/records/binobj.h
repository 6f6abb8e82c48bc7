// Binary objects and their measured properties.
//
// Conventions: those of every record function (see project.h); batches
// run in one transaction and retry the whole batch after 30 ms while
// another connection holds the database. Objects and object properties are
// written only in batches and have no readers here.
//
// An object belongs to a binary frame (object ids are unique within it) and
// may name its trace; an object property holds one value of one property
// definition (propdef.h) for one object. Both go with their parents.
#pragma once

#include <cstdint>
#include <vector>

struct SQeProjectDbRow_binobj {
  SQeProjectDbRow_binobj() = default;
  SQeProjectDbRow_binobj(int64_t key, int64_t binframeKey, int64_t traceKey, int objId, int left,
                         int top, int right, int bottom, int pixelCount)
      : iKey(key),
        iBinframeKeyRef(binframeKey),
        iTraceKeyRef(traceKey),
        iBinObjId(objId),
        iBBoxL(left),
        iBBoxT(top),
        iBBoxR(right),
        iBBoxB(bottom),
        iPixelCount(pixelCount) {}

  int64_t iKey = 0;
  int64_t iBinframeKeyRef = 0;
  int64_t iTraceKeyRef = 0;  // the object's trace (table `trace`); 0 for none
  int iBinObjId = 0;         // object id within the frame
  int iBBoxL = 0;            // bounding box
  int iBBoxT = 0;
  int iBBoxR = 0;
  int iBBoxB = 0;
  int iPixelCount = 0;
};

struct SQeProjectDbRow_binobjprop {
  SQeProjectDbRow_binobjprop() = default;
  SQeProjectDbRow_binobjprop(int64_t key, int64_t binobjKey, int64_t propdefKey, int64_t jobrunKey,
                             int frameIndex, double value)
      : iKey(key),
        iBinobjKeyRef(binobjKey),
        iPropdefKeyRef(propdefKey),
        iJobrunKeyRef(jobrunKey),
        iFrameIndex(frameIndex),
        dValue(value) {}

  int64_t iKey = 0;
  int64_t iBinobjKeyRef = 0;
  int64_t iPropdefKeyRef = 0;
  int64_t iJobrunKeyRef = 0;
  int iFrameIndex = 0;
  double dValue = 0.0;
};

// Inserts every object in one transaction; a trace key of 0 is stored as
// NULL; each iKey receives its key. Returns 0 or the first failure's status
// (then nothing of the batch stays, unless it ran inside the caller's
// transaction).
int QeProjectDb_Binobj_InsertMany(uint32_t h, std::vector<SQeProjectDbRow_binobj>& rows);

// Inserts every object property in one transaction (keys as given); each
// iKey receives its key. Returns as QeProjectDb_Binobj_InsertMany.
int QeProjectDb_Binobjprop_InsertMany(uint32_t h, std::vector<SQeProjectDbRow_binobjprop>& rows);
