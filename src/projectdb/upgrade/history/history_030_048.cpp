// Layouts introduced by versions 30 to 48, in version order (see
// history_011_029.cpp for how they are used).
#include "projectdb/upgrade/history/history_builders.h"

namespace {
using namespace qe::schema;

// ---- 30: well-plate names can be marked removed ----
const SQeSqliteColDef v030_wellplatename_cols[] = {
    Key(),
    Text(L"wszUuid", kUniqueIndex),
    Ref(L"iWellplateconfigKeyRef", g_QeProjectDbFk_wellplateconfiguration, kIndex),
    Naming(L"wszCompany"),
    Naming(L"wszType"),
    Naming(L"wszModel"),
    Int32(L"iUserImported"),
    Int32(L"iRemoved")};
const wchar_t* const v030_wellplatename_unique[] = {L"wszUuid", L"wszCompany", L"wszType",
                                                    L"wszModel"};

// ---- 32: task notes ----
const SQeSqliteColDef v032_jobtask_cols[] = {
    Key(),
    Ref(L"iJobprogramKeyRef", g_QeProjectDbFk_jobprogram, kIndex),
    Ref(L"iJobtaskKeyRef", g_QeProjectDbFk_jobtask, kIndex),
    Int64(L"iBlockNumber"),
    Int64(L"iOrder"),
    Int64(L"iVersion"),
    Int32(L"iState"),
    Text(L"wszClassName"),
    Text(L"wszName"),
    Text(L"wszNotes"),
    Text(L"wszNotesDetailed"),
    Blob(L"pData"),
    Blob(L"pConnectionData")};

// ---- 35: analysis notes ----
const SQeSqliteColDef v035_assaydef_cols[] = {
    Key(),
    Ref(L"iJobdefKeyRef", g_QeProjectDbFk_jobdef, kIndex),
    Ref(L"iJobtaskKeyRef", g_QeProjectDbFk_jobtask, kIndex),
    Int32(L"iState"),
    Text(L"wszUuid"),
    Text(L"wszName"),
    Text(L"wszDesc"),
    Text(L"wszModule"),
    Double(L"dCTime"),
    Double(L"dMTime"),
    Blob(L"pData"),
    Text(L"wszNotes"),
    Text(L"wszNotesDetailed")};
const wchar_t* const v035_assaydef_unique[] = {L"wszUuid"};

// ---- 37: the finish time of a run ----
const SQeSqliteColDef v037_jobrun_cols[] = {
    Key(),
    Ref(L"iProjKeyRef", g_QeProjectDbFk_project, kIndex),
    Ref(L"iJobdefKeyRef", g_QeProjectDbFk_jobdef, kIndex),
    Ref(L"iJobprogramKeyRef", g_QeProjectDbFk_jobprogram, kIndex),
    Double(L"dCTime"),
    Double(L"dMTime"),
    Double(L"dFTime"),
    Text(L"wszUuid"),
    Text(L"wszName"),
    Text(L"wszDesc"),
    Text(L"wszFolderName")};
const wchar_t* const v037_jobrun_unique[] = {L"wszUuid"};

// ---- 38: the module name of an analysis (jobrun reaches today's layout) ----
const SQeSqliteColDef v038_assaydef_cols[] = {
    Key(),
    Ref(L"iJobdefKeyRef", g_QeProjectDbFk_jobdef, kIndex),
    Ref(L"iJobtaskKeyRef", g_QeProjectDbFk_jobtask, kIndex),
    Int32(L"iState"),
    Text(L"wszUuid"),
    Text(L"wszName"),
    Text(L"wszDesc"),
    Text(L"wszModule"),
    Text(L"wszModuleName"),
    Double(L"dCTime"),
    Double(L"dMTime"),
    Blob(L"pData"),
    Text(L"wszNotes"),
    Text(L"wszNotesDetailed")};
const wchar_t* const v038_assaydef_unique[] = {L"wszUuid"};

// ---- 39: the task that ran an analysis ----
const SQeSqliteColDef v039_assayrun_cols[] = {
    Key(),
    Ref(L"iJobrunKeyRef", g_QeProjectDbFk_jobrun, kIndex),
    Ref(L"iAssaydefKeyRef", g_QeProjectDbFkOld_assaydef, kIndex),
    Ref(L"iJobtaskKeyRef", g_QeProjectDbFk_jobtask, kIndex),
    Text(L"wszUuid"),
    Text(L"wszName"),
    Double(L"dCTime")};
const wchar_t* const v039_assayrun_unique[] = {L"wszUuid"};

// ---- 40: binary layers get a uuid ----
const SQeSqliteColDef v040_binlayer_cols[] = {
    Key(),
    Ref(L"iJobrunKeyRef", g_QeProjectDbFk_jobrun, kIndex),
    Ref(L"iAssaydefKeyRef", g_QeProjectDbFkOld_assaydef, kIndex),
    Text(L"wszUuid"),
    Text(L"wszName"),
    Text(L"wszCompName"),
    Text(L"wszFileTag"),
    Int32(L"iColor")};
const wchar_t* const v040_binlayer_unique[] = {L"wszUuid"};

// ---- 43: key/value properties of a task ----
const SQeSqliteColDef v043_jobtaskprop_cols[] = {
    Key(), Ref(L"iJobtaskKeyRef", g_QeProjectDbFk_jobtask, kIndex), Text(L"wszPropkey"),
    Text(L"wszPropvalue")};
const wchar_t* const v043_jobtaskprop_unique[] = {L"iJobtaskKeyRef", L"wszPropkey"};

// ---- 44: key/value properties of a job definition ----
const SQeSqliteColDef v044_jobdefprop_cols[] = {
    Key(), Ref(L"iJobdefKeyRef", g_QeProjectDbFk_jobdef, kIndex), Text(L"wszPropkey"),
    Text(L"wszPropvalue")};
const wchar_t* const v044_jobdefprop_unique[] = {L"iJobdefKeyRef", L"wszPropkey"};

// ---- 45: job property definitions, and task properties that use them ----
const SQeSqliteColDef v045_jobpropdef_cols[] = {
    Key(),
    Ref(L"iJobdefKeyRef", g_QeProjectDbFk_jobdef, kIndex),
    Text(L"wszPropkey"),
    Text(L"wszPropvalue"),
    Text(L"wszProptype"),
    Text(L"wszValue1desc"),
    Text(L"wszValue2desc")};
const wchar_t* const v045_jobpropdef_unique[] = {L"iJobdefKeyRef", L"wszPropkey"};

const SQeSqliteColDef v045_jobtaskprop_cols[] = {
    Key(), Ref(L"iJobtaskKeyRef", g_QeProjectDbFk_jobtask, kIndex),
    Ref(L"iJobpropdefKeyRef", g_QeProjectDbFk_jobpropdef, kIndex)};
const wchar_t* const v045_jobtaskprop_unique[] = {L"iJobtaskKeyRef", L"iJobpropdefKeyRef"};

// ---- 46: integer value and type, visibility ----
const SQeSqliteColDef v046_jobpropdef_cols[] = {
    Key(),
    Ref(L"iJobdefKeyRef", g_QeProjectDbFk_jobdef, kIndex),
    Text(L"wszPropkey"),
    Int32(L"iPropdefvalue"),
    Int32(L"iPropdeftype"),
    Int32(L"iPropdefvisibility"),
    Text(L"wszValue1desc"),
    Text(L"wszValue2desc")};
const wchar_t* const v046_jobpropdef_unique[] = {L"iJobdefKeyRef", L"wszPropkey"};

// ---- 48: flags of a property definition, value of a task property ----
const SQeSqliteColDef v048_jobpropdef_cols[] = {
    Key(),
    Ref(L"iJobdefKeyRef", g_QeProjectDbFk_jobdef, kIndex),
    Text(L"wszPropkey"),
    Int32(L"iPropdefvalue"),
    Int32(L"iPropdeftype"),
    Int32(L"iPropdefvisibility"),
    Int32(L"iPropdefflags"),
    Text(L"wszValue1desc"),
    Text(L"wszValue2desc")};
const wchar_t* const v048_jobpropdef_unique[] = {L"iJobdefKeyRef", L"wszPropkey"};

const SQeSqliteColDef v048_jobtaskprop_cols[] = {
    Key(), Ref(L"iJobtaskKeyRef", g_QeProjectDbFk_jobtask, kIndex),
    Ref(L"iJobpropdefKeyRef", g_QeProjectDbFk_jobpropdef, kIndex), Int32(L"iJobtaskpropvalue")};
const wchar_t* const v048_jobtaskprop_unique[] = {L"iJobtaskKeyRef", L"iJobpropdefKeyRef"};
}  // namespace

QE_HISTORY_TABLE_UNIQUE(030, wellplatename);
QE_HISTORY_TABLE(032, jobtask);
QE_HISTORY_TABLE_UNIQUE(035, assaydef);
QE_HISTORY_TABLE_UNIQUE(037, jobrun);
QE_HISTORY_TABLE_UNIQUE(038, assaydef);
QE_HISTORY_TABLE_UNIQUE(039, assayrun);
QE_HISTORY_TABLE_UNIQUE(040, binlayer);
QE_HISTORY_TABLE_UNIQUE(043, jobtaskprop);
QE_HISTORY_TABLE_UNIQUE(044, jobdefprop);
QE_HISTORY_TABLE_UNIQUE(045, jobpropdef);
QE_HISTORY_TABLE_UNIQUE(045, jobtaskprop);
QE_HISTORY_TABLE_UNIQUE(046, jobpropdef);
QE_HISTORY_TABLE_UNIQUE(048, jobpropdef);
QE_HISTORY_TABLE_UNIQUE(048, jobtaskprop);
