// Job definitions (table `jobdef`) and their places on the host's toolbar
// (`toolbarjobdef`) and in its task list (`tasklistjobdef`).
//
// Conventions: those of every record family, see qe/projectdb/records/project.h.
// `iDefType`, `iState` and `iProgress` are integers the host gives meaning
// to. While a connection is open, inserting, changing the modification
// time of, or deleting a job definition stamps its project's modification
// time (temporary triggers made by QeProjectDb_Db_Connect).
#pragma once

#include <cstdint>
#include <vector>

#include "qe/core/string.h"

struct SQeProjectDbRow_jobdef {
  SQeProjectDbRow_jobdef() = default;
  // Note the order: progress comes last here although it is the fifth column.
  SQeProjectDbRow_jobdef(int64_t key, int64_t projKey, int32_t defType, int32_t state, double cTime,
                         double mTime, const CQeStringW& uuid, const CQeStringW& name,
                         const CQeStringW& desc, int32_t progress)
      : iKey(key),
        iProjKeyRef(projKey),
        iDefType(defType),
        iState(state),
        iProgress(progress),
        dCTime(cTime),
        dMTime(mTime),
        wszUuid(uuid),
        wszName(name),
        wszDesc(desc) {}

  int64_t iKey = 0;
  int64_t iProjKeyRef = 0;  // owning project
  int32_t iDefType = 0;
  int32_t iState = 0;
  int32_t iProgress = 0;
  double dCTime = 0.0;
  double dMTime = 0.0;
  CQeStringW wszUuid;
  CQeStringW wszName;
  CQeStringW wszDesc;
};

// Inserts a job definition with creation and modification time now and a
// new uuid. Returns 0 or the insert's status (19 for a missing project).
int QeProjectDb_Jobdef_Insert(uint32_t handle, int64_t projKey, int32_t defType, int32_t state,
                              const CQeStringW& name, const CQeStringW& desc, int32_t progress,
                              int64_t* outKey);

// Inserts the caller's record as a new row keeping its uuid, project, type,
// state, progress, name and description. Sets row.iKey to 0 and both times
// of row to now first, then row.iKey to the new key (0 on failure). Returns
// the insert's status (19 when the uuid is already taken).
int QeProjectDb_Jobdef_Import(uint32_t handle, SQeProjectDbRow_jobdef& row);

int QeProjectDb_Jobdef_GetOne(uint32_t handle, int64_t key, SQeProjectDbRow_jobdef& row);
int QeProjectDb_Jobdef_GetAll(uint32_t handle, std::vector<SQeProjectDbRow_jobdef>& rows);
// Appends the job definitions whose `iDefType` is defType.
int QeProjectDb_Jobdef_GetAllDefType(uint32_t handle, int32_t defType,
                                     std::vector<SQeProjectDbRow_jobdef>& rows);

// Sets state, progress, name, description and type and stamps the
// modification time.
int QeProjectDb_Jobdef_Update(uint32_t handle, int64_t key, int32_t state, int32_t progress,
                              const CQeStringW& name, const CQeStringW& desc, int32_t defType);
// Sets the state only; the modification time stays.
int QeProjectDb_Jobdef_UpdateState(uint32_t handle, int64_t key, int32_t state);
// Stamps the modification time only.
int QeProjectDb_Jobdef_UpdateMTime(uint32_t handle, int64_t key);

// As QeProjectDb_Proj_IsNameUnique, over the job definitions of every
// project of the database.
bool QeProjectDb_Jobdef_IsNameUnique(uint32_t handle, const CQeStringW& name,
                                     CQeStringW& uniqueName);

// Deletes the job definition and, by the schema's cascades, its programs,
// runs, tags, deposits and memberships.
int QeProjectDb_Jobdef_Delete(uint32_t handle, int64_t key);

// ---- Toolbar and task list ----
// A job definition is on the toolbar (in the task list) while a membership
// row names it; there is at most one such row per job definition.

bool QeProjectDb_Toolbarjobdef_Exists(uint32_t handle, int64_t jobdefKey);
// Adds the job definition to the toolbar. Already there: 0, nothing
// inserted. Returns the insert's status (19 for a missing job definition).
int QeProjectDb_Toolbarjobdef_Insert(uint32_t handle, int64_t jobdefKey);
// Removes the job definition from the toolbar; 0 also when it was not there.
int QeProjectDb_Toolbarjobdef_Delete(uint32_t handle, int64_t jobdefKey);

bool QeProjectDb_TaskListjobdef_Exists(uint32_t handle, int64_t jobdefKey);
int QeProjectDb_TaskListjobdef_Insert(uint32_t handle, int64_t jobdefKey);
int QeProjectDb_TaskListjobdef_Delete(uint32_t handle, int64_t jobdefKey);
