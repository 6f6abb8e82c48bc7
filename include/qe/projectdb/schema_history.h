// The layouts of the project database schema at every version the upgrade
// knows (10 to 48, 60 to 77), as table-definition records.
//
// Conventions:
//  - A layout that the current schema still has is the current record
//    (g_QeProjectDbTable_<table>, schema.h); only layouts that differ from the
//    current one have records here, named g_QeProjectDbTableV<NNN>_<table>
//    after the version that introduced them. Such a record stays in force
//    until a later version changes the table again.
//  - g_QeProjectDbSchemaChanges lists, in ascending version, every table a
//    version creates, changes or drops; version 10 lists every table of that
//    version. The layout of a table at version v is the last entry for it at
//    or below v. docs/schema-history.md prints the same list with columns.
//  - Versions 49 to 59 do not exist: the upgrade steps from 48 to 60.
//  - Everything here is constant data with static storage; nothing is owned
//    by callers, and every function may run on any thread.
#pragma once

#include <cstdint>
#include <vector>

#include "qe/projectdb/schema.h"

// The oldest stored version the upgrade accepts.
inline constexpr int64_t kQeProjectDbOldestUpgradableVersion = 10;

// True for 10..48 and 60..77: the versions a project database file can have.
bool QeProjectDb_SchemaHistory_IsKnownVersion(int64_t version);

// One line of the schema history: at iVersion the table wszTable gets the
// layout pTable (created or rebuilt), or is dropped when pTable is null.
struct SQeProjectDbSchemaChange {
  int64_t iVersion;
  const wchar_t* wszTable;
  const SQeSqliteTableDef* pTable;
};

extern const SQeProjectDbSchemaChange g_QeProjectDbSchemaChanges[];
extern const uint32_t g_QeProjectDbSchemaChangeCount;

// The layout of the named table at version (a known version, see above), or
// null when the file of that version has no such table or the version is
// not known.
const SQeSqliteTableDef* QeProjectDb_SchemaHistory_FindTable(int64_t version,
                                                             const wchar_t* wszTable);

// Every table of the layout at version, in creation order: the order of the
// current list (schema.h), with tables that no longer exist placed beside
// the tables they belonged to. Version 77 gives exactly g_QeProjectDbTables.
// Empty for a version that is not known.
std::vector<const SQeSqliteTableDef*> QeProjectDb_SchemaHistory_Tables(int64_t version);

// ---- Foreign-key records of tables that no longer exist ----
extern const SQeSqliteForeignKeyDef g_QeProjectDbFkOld_propset;
extern const SQeSqliteForeignKeyDef g_QeProjectDbFkOld_assaydef;
extern const SQeSqliteForeignKeyDef g_QeProjectDbFkOld_wellplatedef;
// frameprop, frametag and binframe named their frame by key until version 17.
extern const SQeSqliteForeignKeyDef g_QeProjectDbFkOld_frame;

// ---- Version 10: the oldest layout (tables that differ from today) ----
extern const SQeSqliteTableDef g_QeProjectDbTableV010_project;
extern const SQeSqliteTableDef g_QeProjectDbTableV010_jobdef;
extern const SQeSqliteTableDef g_QeProjectDbTableV010_jobdefroot;
extern const SQeSqliteTableDef g_QeProjectDbTableV010_jobtask;
extern const SQeSqliteTableDef g_QeProjectDbTableV010_jobrun;
extern const SQeSqliteTableDef g_QeProjectDbTableV010_runloop;
extern const SQeSqliteTableDef g_QeProjectDbTableV010_frame;
extern const SQeSqliteTableDef g_QeProjectDbTableV010_loopindex;
extern const SQeSqliteTableDef g_QeProjectDbTableV010_propset;
extern const SQeSqliteTableDef g_QeProjectDbTableV010_propdef;
extern const SQeSqliteTableDef g_QeProjectDbTableV010_assaydef;
extern const SQeSqliteTableDef g_QeProjectDbTableV010_assayrun;
extern const SQeSqliteTableDef g_QeProjectDbTableV010_frameprop;
extern const SQeSqliteTableDef g_QeProjectDbTableV010_tagdef;
extern const SQeSqliteTableDef g_QeProjectDbTableV010_frametag;
extern const SQeSqliteTableDef g_QeProjectDbTableV010_wellplatedef;
extern const SQeSqliteTableDef g_QeProjectDbTableV010_plateinfo;
extern const SQeSqliteTableDef g_QeProjectDbTableV010_binlayer;
extern const SQeSqliteTableDef g_QeProjectDbTableV010_binframe;

// ---- Versions 11 to 29 ----
extern const SQeSqliteTableDef g_QeProjectDbTableV011_assaydef;           // + iJobtaskKeyRef
extern const SQeSqliteTableDef g_QeProjectDbTableV014_jobclasslaststate;  // new
extern const SQeSqliteTableDef g_QeProjectDbTableV017_frame;              // UNIQUE (run, index)
extern const SQeSqliteTableDef g_QeProjectDbTableV017_runloop;            // + iNestLevel
extern const SQeSqliteTableDef g_QeProjectDbTableV018_jobprogram;         // new
extern const SQeSqliteTableDef g_QeProjectDbTableV018_jobdef;             // - wszSummary
extern const SQeSqliteTableDef g_QeProjectDbTableV018_jobrun;             // + iJobprogramKeyRef
extern const SQeSqliteTableDef g_QeProjectDbTableV018_jobtask;    // program instead of jobdef
extern const SQeSqliteTableDef g_QeProjectDbTableV019_loopindex;  // UNIQUE
extern const SQeSqliteTableDef g_QeProjectDbTableV020_jobtask;    // + iState
extern const SQeSqliteTableDef g_QeProjectDbTableV020_jobclasslaststate;  // + iState
extern const SQeSqliteTableDef g_QeProjectDbTableV021_jobtask;            // + pConnectionData
extern const SQeSqliteTableDef g_QeProjectDbTableV023_jobtask;            // parent is a foreign key
extern const SQeSqliteTableDef g_QeProjectDbTableV023_propset;            // parent is a foreign key
extern const SQeSqliteTableDef g_QeProjectDbTableV023_assaydef;           // task is a foreign key
extern const SQeSqliteTableDef g_QeProjectDbTableV023_tagdef;             // parent is a foreign key
extern const SQeSqliteTableDef g_QeProjectDbTableV024_project;            // wszFolderName
extern const SQeSqliteTableDef g_QeProjectDbTableV025_jobdef;             // UNIQUE (wszUuid)
extern const SQeSqliteTableDef g_QeProjectDbTableV025_jobrun;             // UNIQUE (wszUuid)
extern const SQeSqliteTableDef g_QeProjectDbTableV025_assaydef;           // UNIQUE (wszUuid)
extern const SQeSqliteTableDef g_QeProjectDbTableV025_assayrun;           // UNIQUE (wszUuid)
extern const SQeSqliteTableDef g_QeProjectDbTableV025_wellplatedef;       // UNIQUE (wszUuid)
extern const SQeSqliteTableDef g_QeProjectDbTableV028_binobj;             // new
extern const SQeSqliteTableDef g_QeProjectDbTableV028_binobjprop;         // new
extern const SQeSqliteTableDef g_QeProjectDbTableV029_wellplatename;      // new

// ---- Versions 30 to 48 ----
extern const SQeSqliteTableDef g_QeProjectDbTableV030_wellplatename;  // + iRemoved
extern const SQeSqliteTableDef g_QeProjectDbTableV032_jobtask;      // + wszNotes, wszNotesDetailed
extern const SQeSqliteTableDef g_QeProjectDbTableV035_assaydef;     // + wszNotes, wszNotesDetailed
extern const SQeSqliteTableDef g_QeProjectDbTableV037_jobrun;       // + dFTime
extern const SQeSqliteTableDef g_QeProjectDbTableV038_assaydef;     // + wszModuleName
extern const SQeSqliteTableDef g_QeProjectDbTableV039_assayrun;     // + iJobtaskKeyRef
extern const SQeSqliteTableDef g_QeProjectDbTableV040_binlayer;     // + wszUuid
extern const SQeSqliteTableDef g_QeProjectDbTableV043_jobtaskprop;  // new
extern const SQeSqliteTableDef g_QeProjectDbTableV044_jobdefprop;   // new
extern const SQeSqliteTableDef g_QeProjectDbTableV045_jobtaskprop;  // by job property definition
extern const SQeSqliteTableDef g_QeProjectDbTableV045_jobpropdef;   // new
extern const SQeSqliteTableDef g_QeProjectDbTableV046_jobpropdef;   // integer value and type
extern const SQeSqliteTableDef g_QeProjectDbTableV048_jobpropdef;   // + iPropdefflags
extern const SQeSqliteTableDef g_QeProjectDbTableV048_jobtaskprop;  // + iJobtaskpropvalue

// ---- Versions 60 to 77 ----
extern const SQeSqliteTableDef g_QeProjectDbTableV060_assayrun;        // - iAssaydefKeyRef
extern const SQeSqliteTableDef g_QeProjectDbTableV061_jobtask;         // + pDependencyExpression
extern const SQeSqliteTableDef g_QeProjectDbTableV061_jobpropdef;      // + pDependencyExpression
extern const SQeSqliteTableDef g_QeProjectDbTableV064_jobpropdef;      // dPropdefvalue
extern const SQeSqliteTableDef g_QeProjectDbTableV065_jobpropdef;      // keyed to the program
extern const SQeSqliteTableDef g_QeProjectDbTableV073_jobprogramprop;  // new
extern const SQeSqliteTableDef g_QeProjectDbTableV074_toupload;        // new
