// Binary frames: the number of objects of a binary layer on one frame.
//
// Conventions: those of every record function (see project.h); batches
// run in one transaction and retry the whole batch after 30 ms while
// another connection holds the database. Binary frames are written only in
// batches and have no readers here.
//
// A run holds one binary frame per frame index and layer; it goes with its
// run or layer, and its objects (binobj.h) go with it.
#pragma once

#include <cstdint>
#include <vector>

struct SQeProjectDbRow_binframe {
  SQeProjectDbRow_binframe() = default;
  SQeProjectDbRow_binframe(int64_t key, int64_t jobrunKey, int64_t binlayerKey, int frameIndex,
                           int count)
      : iKey(key),
        iJobrunKeyRef(jobrunKey),
        iBinlayerKeyRef(binlayerKey),
        iFrameIndex(frameIndex),
        iCount(count) {}

  int64_t iKey = 0;
  int64_t iJobrunKeyRef = 0;
  int64_t iBinlayerKeyRef = 0;
  int iFrameIndex = 0;
  int iCount = 0;  // number of objects
};

// Inserts every element in one transaction; each iKey receives its key.
// Returns 0 or the first failure's status (then nothing of the batch stays,
// unless it ran inside the caller's transaction).
int QeProjectDb_Binframe_InsertMany(uint32_t h, std::vector<SQeProjectDbRow_binframe>& rows);
