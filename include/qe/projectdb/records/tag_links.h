// Tags of projects (`projtag`) and of job definitions (`jobdeftag`): links
// between a project or job definition and a tag definition (`tagdef`).
//
// Conventions: those of every record family, see qe/projectdb/records/project.h.
// A pair (project, tag) or (job definition, tag) is linked at most once:
// linking it again fails with 19 (constraint).
#pragma once

#include <cstdint>
#include <vector>

struct SQeProjectDbRow_projtag {
  SQeProjectDbRow_projtag() = default;
  SQeProjectDbRow_projtag(int64_t key, int64_t projKey, int64_t tagdefKey)
      : iKey(key), iProjKeyRef(projKey), iTagdefKeyRef(tagdefKey) {}

  int64_t iKey = 0;
  int64_t iProjKeyRef = 0;
  int64_t iTagdefKeyRef = 0;
};

struct SQeProjectDbRow_jobdeftag {
  SQeProjectDbRow_jobdeftag() = default;
  SQeProjectDbRow_jobdeftag(int64_t key, int64_t jobdefKey, int64_t tagdefKey)
      : iKey(key), iJobdefKeyRef(jobdefKey), iTagdefKeyRef(tagdefKey) {}

  int64_t iKey = 0;
  int64_t iJobdefKeyRef = 0;
  int64_t iTagdefKeyRef = 0;
};

int QeProjectDb_Projtag_Insert(uint32_t handle, int64_t projKey, int64_t tagdefKey,
                               int64_t* outKey);
// Batch insert: every element in one transaction; while another connection
// holds the write lock it waits 30 ms and starts again from the first
// element, without limit. Each element's iKey receives its new key (0 for
// a row that failed). Returns 0 or the first failure's status; a failure
// keeps none of the rows (inside the caller's own transaction the rows
// before it stay there, and a busy database is then reported as 5).
int QeProjectDb_Projtag_InsertMany(uint32_t handle, std::vector<SQeProjectDbRow_projtag>& rows);
// Appends the links of one project.
int QeProjectDb_Projtag_GetManyTags(uint32_t handle, int64_t projKey,
                                    std::vector<SQeProjectDbRow_projtag>& rows);
// Appends the links of one tag definition.
int QeProjectDb_Projtag_GetManyProjs(uint32_t handle, int64_t tagdefKey,
                                     std::vector<SQeProjectDbRow_projtag>& rows);
// Removes every tag of the project.
int QeProjectDb_Projtag_DeleteMany(uint32_t handle, int64_t projKey);

int QeProjectDb_Jobdeftag_Insert(uint32_t handle, int64_t jobdefKey, int64_t tagdefKey,
                                 int64_t* outKey);
// Batch insert, as QeProjectDb_Projtag_InsertMany.
int QeProjectDb_Jobdeftag_InsertMany(uint32_t handle, std::vector<SQeProjectDbRow_jobdeftag>& rows);
int QeProjectDb_Jobdeftag_GetManyTags(uint32_t handle, int64_t jobdefKey,
                                      std::vector<SQeProjectDbRow_jobdeftag>& rows);
int QeProjectDb_Jobdeftag_GetManyJobdefs(uint32_t handle, int64_t tagdefKey,
                                         std::vector<SQeProjectDbRow_jobdeftag>& rows);
int QeProjectDb_Jobdeftag_DeleteMany(uint32_t handle, int64_t jobdefKey);
