// Layouts introduced by versions 60 to 77, in version order (see
// history_011_029.cpp for how they are used). Versions 49 to 59 do not
// exist.
#include "projectdb/upgrade/history/history_builders.h"

namespace {
using namespace qe::schema;

// ---- 60: analyses are job tasks; an analysis run names only its task ----
const SQeSqliteColDef v060_assayrun_cols[] = {
    Key(),
    Ref(L"iJobrunKeyRef", g_QeProjectDbFk_jobrun, kIndex),
    Ref(L"iJobtaskKeyRef", g_QeProjectDbFk_jobtask, kIndex),
    Text(L"wszUuid"),
    Text(L"wszName"),
    Double(L"dCTime")};
const wchar_t* const v060_assayrun_unique[] = {L"wszUuid"};

// ---- 61: dependency expressions ----
// Tasks are still deleted with their program (they outlive it from 63 on).
const SQeSqliteColDef v061_jobtask_cols[] = {
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
    Blob(L"pConnectionData"),
    Blob(L"pDependencyExpression")};

const SQeSqliteColDef v061_jobpropdef_cols[] = {
    Key(),
    Ref(L"iJobdefKeyRef", g_QeProjectDbFk_jobdef, kIndex),
    Text(L"wszPropkey"),
    Int32(L"iPropdefvalue"),
    Int32(L"iPropdeftype"),
    Int32(L"iPropdefvisibility"),
    Int32(L"iPropdefflags"),
    Text(L"wszValue1desc"),
    Text(L"wszValue2desc"),
    Blob(L"pDependencyExpression")};
const wchar_t* const v061_jobpropdef_unique[] = {L"iJobdefKeyRef", L"wszPropkey"};

// ---- 64: the value of a job property is a double ----
// Same column positions as at 61: step 63 to 64 copies by position.
const SQeSqliteColDef v064_jobpropdef_cols[] = {
    Key(),
    Ref(L"iJobdefKeyRef", g_QeProjectDbFk_jobdef, kIndex),
    Text(L"wszPropkey"),
    Double(L"dPropdefvalue"),
    Int32(L"iPropdeftype"),
    Int32(L"iPropdefvisibility"),
    Int32(L"iPropdefflags"),
    Text(L"wszValue1desc"),
    Text(L"wszValue2desc"),
    Blob(L"pDependencyExpression")};
const wchar_t* const v064_jobpropdef_unique[] = {L"iJobdefKeyRef", L"wszPropkey"};

// ---- 65: job properties belong to a program ----
const SQeSqliteColDef v065_jobpropdef_cols[] = {
    Key(),
    Ref(L"iJobprogramKeyRef", g_QeProjectDbFk_jobprogram, kIndex),
    Text(L"wszPropkey"),
    Double(L"dPropdefvalue"),
    Int32(L"iPropdeftype"),
    Int32(L"iPropdefvisibility"),
    Int32(L"iPropdefflags"),
    Text(L"wszValue1desc"),
    Text(L"wszValue2desc"),
    Blob(L"pDependencyExpression")};
const wchar_t* const v065_jobpropdef_unique[] = {L"iJobprogramKeyRef", L"wszPropkey"};

// ---- 73: key/value properties of a program (packed into pProperties at 75) ----
const SQeSqliteColDef v073_jobprogramprop_cols[] = {
    Key(), Ref(L"iJobprogramKeyRef", g_QeProjectDbFk_jobprogram, kIndex), Text(L"wszPropkey"),
    Text(L"wszPropvalue")};
const wchar_t* const v073_jobprogramprop_unique[] = {L"iJobprogramKeyRef", L"wszPropkey"};

// ---- 74: pending uploads (runState follows at 77) ----
const SQeSqliteColDef v074_toupload_cols[] = {Key(),
                                              Text(L"iWszUuid", kUniqueIndex),
                                              Text(L"wszTablename"),
                                              Ref(L"iUserKeyRef", g_QeProjectDbFk_jobuser, kIndex),
                                              Int64(L"iUploadState", kIndex),
                                              Text(L"wszCloudUrl")};
const wchar_t* const v074_toupload_unique[] = {L"iWszUuid", L"iUserKeyRef"};
}  // namespace

QE_HISTORY_TABLE_UNIQUE(060, assayrun);
QE_HISTORY_TABLE(061, jobtask);
QE_HISTORY_TABLE_UNIQUE(061, jobpropdef);
QE_HISTORY_TABLE_UNIQUE(064, jobpropdef);
QE_HISTORY_TABLE_UNIQUE(065, jobpropdef);
QE_HISTORY_TABLE_UNIQUE(073, jobprogramprop);
QE_HISTORY_TABLE_UNIQUE(074, toupload);
