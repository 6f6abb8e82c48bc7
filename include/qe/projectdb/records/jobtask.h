// Job tasks: the steps of a job program, as a tree.
//
// Conventions: those of every record function (see project.h): handle
// first, 0 or a status returned, key out-pointers receive the key or 0,
// GetMany appends. Texts are stored as given and bound or escaped in SQL.
//
// A task belongs to a program (`iJobprogramKeyRef`) and has a parent task
// (`iJobtaskKeyRef`), NULL for a top-level task; deleting a task deletes its
// subtree, deleting a program leaves its tasks with a NULL program. Tasks
// are placed by a block number and an order among siblings. The settings,
// connection data and dependency expression of a task are bytes this
// library does not read.
#pragma once

#include <cstdint>
#include <list>
#include <map>

#include "qe/core/byte_array.h"
#include "qe/core/string.h"

// The state of a task, set by the host. The same fields (version, state,
// name, data) are kept per task class in `jobclasslaststate`
// (jobclasslaststate.h).
struct SQeProjectDbJobTaskState {
  SQeProjectDbJobTaskState() = default;
  SQeProjectDbJobTaskState(int64_t version, int state, const CQeStringW& name,
                           const CQeByteArray& data, const CQeByteArray& connectionData)
      : iVersion(version),
        iState(state),
        wszName(name),
        pData(data),
        pConnectionData(connectionData) {}

  int64_t iVersion = 0;          // version number set by the host
  int iState = 0;                // state flags set by the host
  CQeStringW wszName;            // task name
  CQeByteArray pData;            // the task's settings (opaque)
  CQeByteArray pConnectionData;  // the task's connection data (opaque)
  CQeStringW wszNotes;
  CQeStringW wszNotesDetailed;
};

// One `jobtask` row: the state fields and the placement of the task.
struct SQeProjectDbRow_jobtask : SQeProjectDbJobTaskState {
  int64_t iKey = 0;
  int64_t iJobprogramKeyRef = 0;  // owning program; 0 reads back a NULL program
  int64_t iJobtaskKeyRef = 0;     // parent task; 0 for a top-level task
  int64_t iBlockNumber = 0;
  int64_t iOrder = 0;                  // position among siblings
  CQeStringW wszClassName;             // the task's class
  CQeByteArray pDependencyExpression;  // opaque expression
};

// Inserts a task. programKey 0 and parentKey 0 are stored as NULL (a task
// without program, a top-level task); other keys must name existing rows
// (else 19). A null dependencyExpression stores NULL.
int QeProjectDb_Jobtask_Insert(uint32_t h, int64_t programKey, int64_t parentKey,
                               int64_t blockNumber, int64_t order, const CQeStringW& className,
                               const SQeProjectDbJobTaskState& state,
                               const CQeByteArray* dependencyExpression, int64_t* outKey);

// Updates block number, order, class name and, from state, `iState`,
// `wszNotes` and `wszNotesDetailed`. Version, name, data, connection data,
// parent and dependency expression stay. A missing key changes nothing and
// returns 0.
int QeProjectDb_Jobtask_Update(uint32_t h, int64_t key, int64_t blockNumber, int64_t order,
                               const CQeStringW& className, const SQeProjectDbJobTaskState& state);

// Reads the task with that key (select status; the record is untouched
// when there is none).
int QeProjectDb_Jobtask_GetOne(uint32_t h, int64_t key, SQeProjectDbRow_jobtask& row);

// Appends the program's tasks ordered by parent key (top-level tasks first)
// and then by `iOrder`. As a parent is always inserted before its children,
// every parent comes before its children.
int QeProjectDb_Jobtask_GetMany(uint32_t h, int64_t programKey,
                                std::list<SQeProjectDbRow_jobtask>& rows);

// Appends the program's tasks of one class (exact, case-sensitive compare).
int QeProjectDb_Jobtask_GetAllWithClass(uint32_t h, int64_t programKey, const CQeStringW& className,
                                        std::list<SQeProjectDbRow_jobtask>& rows);

// Copies the task tree of sourceProgramKey into targetProgramKey with the
// same parent/child structure, placement, class, state and dependency
// expression. A task whose parent is outside the source program becomes a
// top-level task. On success fills keyMap (when given) with one entry per
// source task, old key to new key, and returns 0. Returns 1 at the first
// failed insert: the tasks copied so far remain and keyMap is untouched.
int QeProjectDb_Jobtask_DuplicateMany(uint32_t h, int64_t sourceProgramKey,
                                      int64_t targetProgramKey, std::map<int64_t, int64_t>* keyMap);

// Deletes the task with that key and, by cascade, its subtree and every row
// that refers to them (frames, run loops, assay runs). Returns the status.
int QeProjectDb_Jobtask_Delete(uint32_t h, int64_t key);

// Deletes every task of the program (with their subtrees). Returns the status.
int QeProjectDb_Jobtask_DeleteMany(uint32_t h, int64_t programKey);

// Deletes the task with that key only when it is not tied to a job run.
// A task is tied to a job run when it or any task of its subtree is
// referred to by a row that a run owns: a frame or a run loop of the run
// (`iJobtaskKeyRef`), or an assay run (`iJobtaskKeyRef` or
// `iCapturedDataKeyRef`), of any run. Deleting such a task would delete
// those rows by cascade, so the task is kept. That a run was given the
// task's program does not tie the task. Returns the status of the statement:
// 0 both when the task was deleted and when it was kept (or did not exist).
int QeProjectDb_Jobtask_DeleteIfNotInJobrun(uint32_t h, int64_t key);
