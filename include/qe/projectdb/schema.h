// The project database schema (version 77) as table-definition records.
//
// Conventions:
//  - Tables are never written as SQL text: each is one constant
//    SQeSqliteTableDef, and the SQLite helper layer builds DDL, insert,
//    select, update and delete statements from it. The table and column
//    names are the file format.
//  - Every record, column array, unique-column list and foreign-key record
//    here is constant data with static storage (constant-initialized, so it
//    may be used from any static initializer); nothing is owned by callers.
//  - The first column of every table is `iKey`, the 64-bit integer primary
//    key and SQLite row id. Foreign-key columns end in `KeyRef`, target
//    `iKey`, and carry ON UPDATE CASCADE and ON DELETE CASCADE, except
//    `jobtask`.`iJobprogramKeyRef`, which is ON DELETE SET NULL.
//  - Every UNIQUE constraint is ON CONFLICT ABORT; collations are NOCASE
//    where used; the only default is "Unknown" (labware naming columns).
//  - Records of older schema versions belong to the upgrade, not here.
#pragma once

#include <cstdint>

#include "qe/sqlite/table_def.h"

// The schema version this library creates and fully understands.
inline constexpr int64_t kQeProjectDbSchemaVersion = 77;

// Number of tables of the current schema.
inline constexpr uint32_t kQeProjectDbTableCount = 47;

// The 47 tables in creation order: referenced tables come before the tables
// that reference them, except `binobj`, whose `iTraceKeyRef` names `trace`,
// the last table (SQLite resolves foreign keys when rows are written, so the
// order of creation does not matter to it).
extern const SQeSqliteTableDef* const g_QeProjectDbTables[kQeProjectDbTableCount];

// The record of the table with the given name (exact, case-sensitive
// compare), or null when the current schema has no such table.
const SQeSqliteTableDef* QeProjectDb_Schema_FindTable(const wchar_t* wszName);

// Position (0-based) of a column in a table record, or -1 when the table
// has no such column (exact compare). A null table gives -1.
int QeProjectDb_Schema_FindColumn(const SQeSqliteTableDef* pTable, const wchar_t* wszColumn);

// Foreign-key records, one per referenced table and delete rule, shared by
// every column that uses it.
extern const SQeSqliteForeignKeyDef g_QeProjectDbFk_project;
extern const SQeSqliteForeignKeyDef g_QeProjectDbFk_jobdef;
extern const SQeSqliteForeignKeyDef g_QeProjectDbFk_jobprogram;
extern const SQeSqliteForeignKeyDef g_QeProjectDbFk_jobprogram_SetNull;
extern const SQeSqliteForeignKeyDef g_QeProjectDbFk_jobtask;
extern const SQeSqliteForeignKeyDef g_QeProjectDbFk_jobrun;
extern const SQeSqliteForeignKeyDef g_QeProjectDbFk_runloop;
extern const SQeSqliteForeignKeyDef g_QeProjectDbFk_file;
extern const SQeSqliteForeignKeyDef g_QeProjectDbFk_propdef;
extern const SQeSqliteForeignKeyDef g_QeProjectDbFk_assayrun;
extern const SQeSqliteForeignKeyDef g_QeProjectDbFk_tagdef;
extern const SQeSqliteForeignKeyDef g_QeProjectDbFk_wellplateconfiguration;
extern const SQeSqliteForeignKeyDef g_QeProjectDbFk_wellplatename;
extern const SQeSqliteForeignKeyDef g_QeProjectDbFk_dishconfiguration;
extern const SQeSqliteForeignKeyDef g_QeProjectDbFk_plateinfo;
extern const SQeSqliteForeignKeyDef g_QeProjectDbFk_wellinfo;
extern const SQeSqliteForeignKeyDef g_QeProjectDbFk_binlayer;
extern const SQeSqliteForeignKeyDef g_QeProjectDbFk_binframe;
extern const SQeSqliteForeignKeyDef g_QeProjectDbFk_binobj;
extern const SQeSqliteForeignKeyDef g_QeProjectDbFk_trace;
extern const SQeSqliteForeignKeyDef g_QeProjectDbFk_slideinfo;
extern const SQeSqliteForeignKeyDef g_QeProjectDbFk_jobpropdef;
extern const SQeSqliteForeignKeyDef g_QeProjectDbFk_jobuser;

// The record of each table, in creation order.
extern const SQeSqliteTableDef g_QeProjectDbTable_vesion;
extern const SQeSqliteTableDef g_QeProjectDbTable_settings;
extern const SQeSqliteTableDef g_QeProjectDbTable_project;
extern const SQeSqliteTableDef g_QeProjectDbTable_jobdef;
extern const SQeSqliteTableDef g_QeProjectDbTable_jobprogram;
extern const SQeSqliteTableDef g_QeProjectDbTable_jobtask;
extern const SQeSqliteTableDef g_QeProjectDbTable_jobrun;
extern const SQeSqliteTableDef g_QeProjectDbTable_runloop;
extern const SQeSqliteTableDef g_QeProjectDbTable_file;
extern const SQeSqliteTableDef g_QeProjectDbTable_frame;
extern const SQeSqliteTableDef g_QeProjectDbTable_loopindex;
extern const SQeSqliteTableDef g_QeProjectDbTable_propdef;
extern const SQeSqliteTableDef g_QeProjectDbTable_assayrun;
extern const SQeSqliteTableDef g_QeProjectDbTable_frameprop;
extern const SQeSqliteTableDef g_QeProjectDbTable_tagdef;
extern const SQeSqliteTableDef g_QeProjectDbTable_projtag;
extern const SQeSqliteTableDef g_QeProjectDbTable_jobdeftag;
extern const SQeSqliteTableDef g_QeProjectDbTable_frametag;
extern const SQeSqliteTableDef g_QeProjectDbTable_tagcolor;
extern const SQeSqliteTableDef g_QeProjectDbTable_wellplateconfiguration;
extern const SQeSqliteTableDef g_QeProjectDbTable_wellplatename;
extern const SQeSqliteTableDef g_QeProjectDbTable_dishconfiguration;
extern const SQeSqliteTableDef g_QeProjectDbTable_dishname;
extern const SQeSqliteTableDef g_QeProjectDbTable_slidedef;
extern const SQeSqliteTableDef g_QeProjectDbTable_plateinfo;
extern const SQeSqliteTableDef g_QeProjectDbTable_wellinfo;
extern const SQeSqliteTableDef g_QeProjectDbTable_binlayer;
extern const SQeSqliteTableDef g_QeProjectDbTable_binframe;
extern const SQeSqliteTableDef g_QeProjectDbTable_jobclasslaststate;
extern const SQeSqliteTableDef g_QeProjectDbTable_frameplateinfo;
extern const SQeSqliteTableDef g_QeProjectDbTable_framewellinfo;
extern const SQeSqliteTableDef g_QeProjectDbTable_assayrecipe;
extern const SQeSqliteTableDef g_QeProjectDbTable_binobj;
extern const SQeSqliteTableDef g_QeProjectDbTable_binobjprop;
extern const SQeSqliteTableDef g_QeProjectDbTable_deposit;
extern const SQeSqliteTableDef g_QeProjectDbTable_toolbarjobdef;
extern const SQeSqliteTableDef g_QeProjectDbTable_slideinfo;
extern const SQeSqliteTableDef g_QeProjectDbTable_frameslideinfo;
extern const SQeSqliteTableDef g_QeProjectDbTable_jobpropdef;
extern const SQeSqliteTableDef g_QeProjectDbTable_tasklistjobdef;
extern const SQeSqliteTableDef g_QeProjectDbTable_jobuser;
extern const SQeSqliteTableDef g_QeProjectDbTable_toupload;
extern const SQeSqliteTableDef g_QeProjectDbTable_dbinfo;
extern const SQeSqliteTableDef g_QeProjectDbTable_project_user_grouping;
extern const SQeSqliteTableDef g_QeProjectDbTable_jobrunpropstat;
extern const SQeSqliteTableDef g_QeProjectDbTable_jobpropenumvalue;
extern const SQeSqliteTableDef g_QeProjectDbTable_trace;
