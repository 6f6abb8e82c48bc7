// Job runs (table `jobrun`) and their run folders on disk.
//
// Conventions: those of every record family, see qe/projectdb/records/project.h.
//  - `iFinishFlags`: bit 0 (value 1) marks a run that is still running; the
//    low byte is the finish code (4: found still running and closed by
//    QeProjectDb_Jobrun_RemoveRunningFlag). The host gives the other bits
//    their meaning.
//  - A run folder lies in its project's folder:
//    <project root>/<project wszFolderName>/<run wszFolderName>/. The run's
//    `wszFolderName` is stored in the file format's form, with '\\' between
//    its parts; on disk every '\\' is a '/'. With the option "folderformat"
//    1 (a new database) it is "<job definition name>\\<stamp>", so runs of
//    one job definition share a folder named after it; with any other value
//    it is "<stamp>__<run name>". The stamp is the run's start in the local
//    zone, "YYYYMMDD_HHMMSS_mmm"; names have every character that is not a
//    letter or digit replaced by '_'.
//  - No function here changes a run's `dMTime`. When a caller's own SQL
//    does, the connection's temporary triggers stamp the run's job
//    definition and, through it, the project.
#pragma once

#include <cstdint>
#include <vector>

#include "qe/core/string.h"
#include "qe/projectdb/records/jobdef.h"

struct SQeProjectDbRow_jobrun {
  SQeProjectDbRow_jobrun() = default;
  SQeProjectDbRow_jobrun(int64_t key, int64_t projKey, int64_t jobdefKey, int64_t jobprogramKey,
                         int64_t finishFlags, double cTime, double mTime, double fTime,
                         const CQeStringW& uuid, const CQeStringW& name, const CQeStringW& desc,
                         const CQeStringW& folderName, const CQeStringW& finishMessage)
      : iKey(key),
        iProjKeyRef(projKey),
        iJobdefKeyRef(jobdefKey),
        iJobprogramKeyRef(jobprogramKey),
        iFinishFlags(finishFlags),
        dCTime(cTime),
        dMTime(mTime),
        dFTime(fTime),
        wszUuid(uuid),
        wszName(name),
        wszDesc(desc),
        wszFolderName(folderName),
        wszFinishMessage(finishMessage) {}
  // A new run of the job definition: its project and key, the given program
  // and flags, its name, and its description unless its iDefType is 0 (then
  // the description stays empty). Key, times, uuid, folder and message empty.
  SQeProjectDbRow_jobrun(const SQeProjectDbRow_jobdef& jobdef, int64_t jobprogramKey,
                         int64_t finishFlags)
      : SQeProjectDbRow_jobrun(jobdef, jobprogramKey, finishFlags, jobdef.wszName,
                               jobdef.iDefType == 0 ? CQeStringW() : jobdef.wszDesc) {}
  // The same with the name and description given.
  SQeProjectDbRow_jobrun(const SQeProjectDbRow_jobdef& jobdef, int64_t jobprogramKey,
                         int64_t finishFlags, const CQeStringW& name, const CQeStringW& desc)
      : iProjKeyRef(jobdef.iProjKeyRef),
        iJobdefKeyRef(jobdef.iKey),
        iJobprogramKeyRef(jobprogramKey),
        iFinishFlags(finishFlags),
        wszName(name),
        wszDesc(desc) {}

  int64_t iKey = 0;
  int64_t iProjKeyRef = 0;
  int64_t iJobdefKeyRef = 0;
  int64_t iJobprogramKeyRef = 0;
  int64_t iFinishFlags = 0;
  double dCTime = 0.0;  // start
  double dMTime = 0.0;
  double dFTime = 0.0;  // finish; 0 until set (NULL reads as 0)
  CQeStringW wszUuid;
  CQeStringW wszName;
  CQeStringW wszDesc;        // notes
  CQeStringW wszFolderName;  // relative to the project folder, '\\' between parts
  CQeStringW wszFinishMessage;
};

// Starts a run: creates its folder in projectFolder (the project's absolute
// folder, e.g. from QeProjectDb_Proj_MakeAbsPath) and inserts the row with
// creation and modification time now, finish time 0, a new uuid, the run
// folder name (see the conventions) and an empty finish message. The job
// program must exist (foreign key; 0 is written as 0 and fails with 19).
// Afterwards *outRow (when given) holds the record with its key and
// *outFolder (when given) the run's absolute folder ending in '/', whether
// or not the insert succeeded. Returns the insert's status; when the folder
// cannot be made, that status and nothing else happens (no row, outputs
// untouched). An unknown handle returns 21 before any folder is made.
int QeProjectDb_Jobrun_Insert(uint32_t handle, int64_t projKey, const CQeStringW& projectFolder,
                              int64_t jobdefKey, int64_t jobprogramKey, int64_t finishFlags,
                              const CQeStringW& name, const CQeStringW& notes,
                              SQeProjectDbRow_jobrun* outRow, CQeStringW* outFolder);

int QeProjectDb_Jobrun_GetOne(uint32_t handle, int64_t key, SQeProjectDbRow_jobrun& row);
int QeProjectDb_Jobrun_GetAll(uint32_t handle, std::vector<SQeProjectDbRow_jobrun>& rows);
// Fills row with the project's run that started last (greatest dCTime);
// row stays untouched when the project has no run. Returns the status.
int QeProjectDb_Jobrun_GetLatest(uint32_t handle, int64_t projKey, SQeProjectDbRow_jobrun& row);
// Appends the runs made with the job program.
int QeProjectDb_Jobrun_GetManyReferencingJobprogram(uint32_t handle, int64_t jobprogramKey,
                                                    std::vector<SQeProjectDbRow_jobrun>& rows);
// Appends the job definition's runs whose flags, masked with mask, equal
// value (mask 1, value 1: the runs still running). Needs a read-write
// connection (the SQL function bitwiseand).
int QeProjectDb_Jobrun_GetManyWithFinishFlag(uint32_t handle, int64_t jobdefKey, int64_t mask,
                                             int64_t value,
                                             std::vector<SQeProjectDbRow_jobrun>& rows);
// Number of runs of the job definition; 0 also when the count fails.
uint32_t QeProjectDb_Jobrun_CountForJobdef(uint32_t handle, int64_t jobdefKey);

// <project root>/<projectFolderName>/<runFolderName>/ for the file system
// ('\\' become '/', one '/' between the parts, none added where a part
// already ends in one).
CQeStringW QeProjectDb_Jobrun_MakeAbsPath(uint32_t handle, const CQeStringW& projectFolderName,
                                          const CQeStringW& runFolderName);
// out = the run's absolute folder, ending in '/'. Returns the select's
// status, or -13 when there is no such run (out then holds the project root
// folder alone).
int QeProjectDb_Jobrun_GetAbsPath(uint32_t handle, int64_t key, CQeStringW& out);

// Each sets the named columns of one run only.
int QeProjectDb_Jobrun_Rename(uint32_t handle, int64_t key, const CQeStringW& name);
int QeProjectDb_Jobrun_UpdateNotes(uint32_t handle, int64_t key, const CQeStringW& notes);
int QeProjectDb_Jobrun_UpdateJobprogram(uint32_t handle, int64_t key, int64_t jobprogramKey);
int QeProjectDb_Jobrun_UpdateJobprogram(uint32_t handle, int64_t key, int64_t jobprogramKey,
                                        int64_t jobdefKey);
// Records how the run ended: flags, finish time (JDN) and message.
int QeProjectDb_Jobrun_UpdateFinish(uint32_t handle, int64_t key, int64_t finishFlags,
                                    double finishTime, const CQeStringW& message);

// Closes every run still marked running (flags not NULL, bit 0 set), as
// after a crash: its low byte becomes the finish code 4, its finish time the
// creation time of its last frame (NULL when it has none), and each of its
// files whose frame count is still 0 gets the number of frames that refer
// to it. Needs a read-write connection. Returns the status of reading the
// running runs (0 also when there are none); the updates' own results are
// not reported.
int QeProjectDb_Jobrun_RemoveRunningFlag(uint32_t handle);

// Deletes the run and, by the schema's cascades, its frames, files, loops,
// tags, properties, labware links and results. The folder stays.
int QeProjectDb_Jobrun_Delete(uint32_t handle, int64_t key);
// Deletes the run's folder with everything in it; the row stays. Returns 0
// (also when the folder was already gone), the status of reading the run
// or its project, or -13 when the run or its project does not exist or a
// folder name is empty (nothing is deleted: such a path would name the
// project's or the root's folder).
int QeProjectDb_Jobrun_DeleteFolder(uint32_t handle, int64_t key);
