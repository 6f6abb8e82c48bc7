// The file format of the thumbnail database: four tables described by
// table-definition records, and the version of the file.
//
// Conventions:
//  - "vesion" holds exactly one row, ("main", 7). A file with another
//    version, or whose version cannot be read, is not upgraded: it is
//    deleted and created again (CQeProjectThumbReader::DbConnect).
//  - "jobrunuuid" has one row per job run uuid; "frame" one row per frame
//    (run + frame index) with the result of the last load of its picture;
//    "thumbnail" one JPEG picture per frame and nominal size.
//  - Every unique constraint has the conflict clause "ON CONFLICT ABORT";
//    every foreign key targets iKey with "ON DELETE CASCADE" and
//    "ON UPDATE CASCADE", so clearing a run removes its frames and pictures.
//  - The file is created with PRAGMA encoding = "UTF-16le", like the project
//    database, and runs in WAL journal mode.
//  - The records are constant data with static storage.
#pragma once

#include "qe/sqlite/table_def.h"

// The version a thumbnail file must have ("vesion" row "main").
inline constexpr int kQeThumbDbVersion = 7;

extern const SQeSqliteTableDef g_QeThumbDbTable_vesion;
extern const SQeSqliteTableDef g_QeThumbDbTable_jobrunuuid;
extern const SQeSqliteTableDef g_QeThumbDbTable_frame;
extern const SQeSqliteTableDef g_QeThumbDbTable_thumbnail;

// The four tables in creation order: vesion, jobrunuuid, frame, thumbnail.
inline constexpr int kQeThumbDbTableCount = 4;
extern const SQeSqliteTableDef* const g_QeThumbDbTables[kQeThumbDbTableCount];
