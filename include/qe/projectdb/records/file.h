// Image files written by a run (table `file`).
//
// Conventions: those of every record family, see qe/projectdb/records/project.h.
// `wszFileName` names the file inside the run folder ('\\' between parts
// when it lies in a sub-folder).
#pragma once

#include <cstdint>

#include "qe/core/string.h"

struct SQeProjectDbRow_file {
  SQeProjectDbRow_file() = default;
  SQeProjectDbRow_file(int64_t key, int64_t jobrunKey, const CQeStringW& fileName, int32_t width,
                       int32_t height, int32_t planes, int32_t components, int32_t bitsPerComponent,
                       int32_t frameCount)
      : iKey(key),
        iJobrunKeyRef(jobrunKey),
        wszFileName(fileName),
        iWidth(width),
        iHeight(height),
        iPlanes(planes),
        iComponents(components),
        iBitsPerComponent(bitsPerComponent),
        iFrameCount(frameCount) {}

  int64_t iKey = 0;
  int64_t iJobrunKeyRef = 0;
  CQeStringW wszFileName;
  int32_t iWidth = 0;
  int32_t iHeight = 0;
  int32_t iPlanes = 0;
  int32_t iComponents = 0;
  int32_t iBitsPerComponent = 0;
  int32_t iFrameCount = 0;  // frames stored in the file; 0 while unknown
};

int QeProjectDb_File_Insert(uint32_t handle, int64_t jobrunKey, const CQeStringW& fileName,
                            int32_t width, int32_t height, int32_t planes, int32_t components,
                            int32_t bitsPerComponent, int32_t frameCount, int64_t* outKey);
int QeProjectDb_File_GetOne(uint32_t handle, int64_t key, SQeProjectDbRow_file& row);
// Sets the frame count only.
int QeProjectDb_File_Update(uint32_t handle, int64_t key, int32_t frameCount);
