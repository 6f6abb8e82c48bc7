// Projects (table `project`) and their folders on disk.
//
// Conventions of every record family (qe/projectdb/records/...):
//  - The first argument is a connection handle (qe/projectdb/connection.h).
//    An unknown handle runs on a null connection and fails with the SQLite
//    helper layer's status for it (21).
//  - int results: 0 success; a nonzero status of the SQLite helper layer
//    passed through unchanged (19 for a constraint such as a missing parent
//    row, ...); or the record API's own codes -9 (no unique folder name, a
//    row to update is missing) and -13 (the requested row does not exist,
//    where a function checks this itself).
//  - An Insert writes the new key into its trailing key out-pointer when the
//    pointer is not null: the key on success, 0 when the insert command
//    failed. A step that fails before the insert runs (making a folder)
//    leaves it untouched.
//  - GetOne fills the caller's record from the row with the given key and
//    returns the select's status; the record is not cleared first, so it
//    keeps its values when no row has that key (status 0).
//  - GetAll / GetMany append to the caller's vector (never cleared) in the
//    order SQLite yields the rows, unless an order is stated.
//  - A function returning bool has no status; one returning a record key
//    returns 0 when there is no such row.
//  - *_InsertMany (batch insert, one shared implementation): every element
//    in one transaction, opened when the caller has none. While another
//    connection holds the write lock the batch is rolled back, waits 30 ms
//    and starts again from the first element, without limit. Each element's
//    iKey receives its new key (0 for a row that failed or that "OR IGNORE"
//    skipped). Returns 0 or the first failure's status, and a failure keeps
//    none of the rows. Inside the caller's own transaction the rows before a
//    failure stay there and a busy database is reported as 5, not retried.
//  - Names stored relative to a folder (`wszFolderName`, `wszFileName`) use
//    '\\' between parts, as the file format does; paths returned for the
//    file system use '/' and folders end in '/'.
//  - Records are plain values owned by the caller. Functions hold no locks
//    and may run on any thread that may use the handle.
#pragma once

#include <cstdint>
#include <vector>

#include "qe/core/string.h"

struct SQeProjectDbRow_project {
  SQeProjectDbRow_project() = default;
  explicit SQeProjectDbRow_project(int64_t key) : iKey(key) {}
  SQeProjectDbRow_project(int64_t key, double cTime, double mTime, const CQeStringW& uuid,
                          const CQeStringW& name, const CQeStringW& desc,
                          const CQeStringW& folderName)
      : iKey(key),
        dCTime(cTime),
        dMTime(mTime),
        wszUuid(uuid),
        wszName(name),
        wszDesc(desc),
        wszFolderName(folderName) {}

  int64_t iKey = 0;
  double dCTime = 0.0;  // JDN time of creation
  double dMTime = 0.0;  // JDN time of the last change
  CQeStringW wszUuid;
  CQeStringW wszName;
  CQeStringW wszDesc;
  CQeStringW wszFolderName;  // the project's folder, relative to the project root folder
};

// Decides the folder a new project will use, with no connection. When path
// names nothing, or an empty folder, out is path ending in '/'. When it
// names a folder with something in it, or a file, out is the first of
// "path (2)/", "path (3)/", ... that does not exist. Returns 0, or -9 (out
// emptied) when path is empty or no free variant was found.
int QeProjectDb_Proj_CheckFolderPath(const CQeStringW& path, CQeStringW& out);

// The project root folder of the connection followed by folderName and '/'
// ('\\' in folderName become '/'). An unknown handle has no root folder, so
// the result is folderName alone.
CQeStringW QeProjectDb_Proj_MakeAbsPath(uint32_t handle, const CQeStringW& folderName);

// Creates the project's folder under the project root folder and inserts
// the project (creation and modification time now, a new uuid). When the
// requested folder exists and is not empty, the project gets the unique
// variant "name (2)" and the row stores that variant (the last part of the
// folder chosen). Returns 0; -9 from the folder check or the folder
// creation's status (no row, *outKey untouched); the insert's status (the
// folder stays, *outKey = 0). An unknown handle returns 21 before any folder
// is made.
int QeProjectDb_Proj_Insert(uint32_t handle, const CQeStringW& name, const CQeStringW& desc,
                            const CQeStringW& folderName, int64_t* outKey);

int QeProjectDb_Proj_GetOne(uint32_t handle, int64_t key, SQeProjectDbRow_project& row);
int QeProjectDb_Proj_GetAll(uint32_t handle, std::vector<SQeProjectDbRow_project>& rows);

// True when a project has that key.
bool QeProjectDb_Proj_IsExisting(uint32_t handle, int64_t key);

// The key of the project with the greatest modification time; 0 when there
// is none.
int64_t QeProjectDb_Proj_GetLatest(uint32_t handle);

// Sets name and description and stamps the modification time. A missing
// key changes nothing and returns 0.
int QeProjectDb_Proj_Update(uint32_t handle, int64_t key, const CQeStringW& name,
                            const CQeStringW& desc);

// True (uniqueName = name) when no project has exactly that name; otherwise
// false and uniqueName is a free name "<prefix> 1", "<prefix> 2", ...
// (QeProjectDb_Sys_IsNameUnique over the names sharing the name's prefix).
// The name is compared, and uniqueName given, in the form the file stores
// (QeSqlite_StoredText), and a taken name with leading blanks counts.
bool QeProjectDb_Proj_IsNameUnique(uint32_t handle, const CQeStringW& name, CQeStringW& uniqueName);

// Deletes the project and, by the schema's cascades, its job definitions,
// runs and everything below them. The folder on disk stays.
int QeProjectDb_Proj_Delete(uint32_t handle, int64_t key);
