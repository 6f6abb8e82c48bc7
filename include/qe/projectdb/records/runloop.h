// The loops a run executed (table `runloop`) and every frame's counter in
// each of them (table `loopindex`).
//
// Conventions: those of every record family, see qe/projectdb/records/project.h.
//  - A run has at most one loop per `iOrder`, and a frame at most one index
//    per loop (a second one fails with 19).
//  - A run loop's job task key 0 is written as NULL. A loop index's run
//    loop key is written as given, 0 included, so it must name a run loop
//    (foreign key: 0 fails with 19).
#pragma once

#include <cstdint>
#include <vector>

struct SQeProjectDbRow_runloop {
  SQeProjectDbRow_runloop() = default;
  SQeProjectDbRow_runloop(int64_t key, int64_t jobrunKey, int64_t jobtaskKey, int32_t order,
                          int32_t nestLevel, int32_t loopType)
      : iKey(key),
        iJobrunKeyRef(jobrunKey),
        iJobtaskKeyRef(jobtaskKey),
        iOrder(order),
        iNestLevel(nestLevel),
        iLoopType(loopType) {}

  int64_t iKey = 0;
  int64_t iJobrunKeyRef = 0;
  int64_t iJobtaskKeyRef = 0;  // the loop task; 0 = none (NULL)
  int32_t iOrder = 0;          // order of the loop in the run
  int32_t iNestLevel = 0;
  int32_t iLoopType = 0;  // kind of loop, as the host defines it
};

struct SQeProjectDbRow_loopindex {
  SQeProjectDbRow_loopindex() = default;
  SQeProjectDbRow_loopindex(int64_t key, int64_t jobrunKey, int32_t frameIndex, int64_t runloopKey,
                            int32_t loopIndex)
      : iKey(key),
        iJobrunKeyRef(jobrunKey),
        iFrameIndex(frameIndex),
        iRunloopKeyRef(runloopKey),
        iLoopIndex(loopIndex) {}

  int64_t iKey = 0;
  int64_t iJobrunKeyRef = 0;
  int32_t iFrameIndex = 0;
  int64_t iRunloopKeyRef = 0;
  int32_t iLoopIndex = 0;  // the loop's counter at that frame
};

int QeProjectDb_Runloop_Insert(uint32_t handle, int64_t jobrunKey, int64_t jobtaskKey,
                               int32_t order, int32_t nestLevel, int32_t loopType, int64_t* outKey);
int QeProjectDb_Runloop_GetOne(uint32_t handle, int64_t key, SQeProjectDbRow_runloop& row);
// Appends the run's loops in loop order (`iOrder`).
int QeProjectDb_Runloop_GetMany(uint32_t handle, int64_t jobrunKey,
                                std::vector<SQeProjectDbRow_runloop>& rows);

int QeProjectDb_Loopindex_Insert(uint32_t handle, int64_t jobrunKey, int32_t frameIndex,
                                 int64_t runloopKey, int32_t loopIndex, int64_t* outKey);
// Batch insert, as QeProjectDb_Projtag_InsertMany (qe/projectdb/records/tag_links.h).
int QeProjectDb_Loopindex_InsertMany(uint32_t handle, std::vector<SQeProjectDbRow_loopindex>& rows);
