// Frames of a run (table `frame`): one acquired image position each.
//
// Conventions: those of every record family, see qe/projectdb/records/project.h.
//  - A frame is known inside its run by its frame index; a run has at most
//    one frame per index (inserting a second one fails with 19 unless the
//    OrIgnore / OrReplace variant is used). The per-frame tables (loop
//    indices, tags, labware links, properties, results) name a frame by run
//    key and frame index.
//  - A job task key or file key of 0 is written as NULL ("none"); reading
//    NULL gives 0.
#pragma once

#include <cstdint>

struct SQeProjectDbRow_frame {
  SQeProjectDbRow_frame() = default;
  SQeProjectDbRow_frame(int64_t key, int64_t jobrunKey, int64_t jobtaskKey, int32_t frameIndex,
                        double cTime, int64_t fileKey, int32_t fileFrameIndex)
      : iKey(key),
        iJobrunKeyRef(jobrunKey),
        iJobtaskKeyRef(jobtaskKey),
        iFrameIndex(frameIndex),
        dCTime(cTime),
        iFileKeyRef(fileKey),
        iFileFrameIndex(fileFrameIndex) {}

  int64_t iKey = 0;
  int64_t iJobrunKeyRef = 0;
  int64_t iJobtaskKeyRef = 0;   // task that produced the frame; 0 = none (NULL)
  int32_t iFrameIndex = 0;      // index within the run
  double dCTime = 0.0;          // JDN time of acquisition
  int64_t iFileKeyRef = 0;      // file holding the image; 0 = none (NULL)
  int32_t iFileFrameIndex = 0;  // position inside that file
};

int QeProjectDb_Frame_Insert(uint32_t handle, int64_t jobrunKey, int64_t jobtaskKey,
                             int32_t frameIndex, double cTime, int64_t fileKey,
                             int32_t fileFrameIndex, int64_t* outKey);
// The same; when the run already has a frame with that index nothing is
// written, 0 is returned and *outKey receives 0.
int QeProjectDb_Frame_InsertOrIgnore(uint32_t handle, int64_t jobrunKey, int64_t jobtaskKey,
                                     int32_t frameIndex, double cTime, int64_t fileKey,
                                     int32_t fileFrameIndex, int64_t* outKey);
// The same; an existing frame of the run with that index is replaced by the
// new row, which gets a new key.
int QeProjectDb_Frame_InsertOrReplace(uint32_t handle, int64_t jobrunKey, int64_t jobtaskKey,
                                      int32_t frameIndex, double cTime, int64_t fileKey,
                                      int32_t fileFrameIndex, int64_t* outKey);
// Sets every column of the frame with that key.
int QeProjectDb_Frame_Update(uint32_t handle, int64_t key, int64_t jobrunKey, int64_t jobtaskKey,
                             int32_t frameIndex, double cTime, int64_t fileKey,
                             int32_t fileFrameIndex);
