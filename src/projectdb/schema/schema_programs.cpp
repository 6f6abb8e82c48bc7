// Tables of job programs, their tasks and job properties, and the stored
// states of job classes and analysis recipes.
#include "projectdb/schema/schema_builders.h"

namespace {
using namespace qe::schema;

const SQeSqliteColDef jobprogram_cols[] = {Key(),
                                           Ref(L"iJobdefKeyRef", g_QeProjectDbFk_jobdef, kIndex),
                                           Text(L"wszSummary"), Blob(L"pProperties")};

// iJobtaskKeyRef is the parent task.
const SQeSqliteColDef jobtask_cols[] = {
    Key(),
    Ref(L"iJobprogramKeyRef", g_QeProjectDbFk_jobprogram_SetNull, kIndex),
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

const SQeSqliteColDef jobclasslaststate_cols[] = {
    Key(),         Text(L"wszUniqueName"), Int64(L"iVersion"), Int32(L"iState"), Text(L"wszName"),
    Blob(L"pData")};
const wchar_t* const jobclasslaststate_unique[] = {L"wszUniqueName"};

const SQeSqliteColDef assayrecipe_cols[] = {Key(),
                                            Text(L"wszUniqueName"),
                                            Text(L"wszDesc"),
                                            Text(L"wszModule"),
                                            Double(L"dCTime"),
                                            Double(L"dMTime"),
                                            Blob(L"pData")};
const wchar_t* const assayrecipe_unique[] = {L"wszUniqueName"};

const SQeSqliteColDef jobpropdef_cols[] = {
    Key(),
    Ref(L"iJobprogramKeyRef", g_QeProjectDbFk_jobprogram, kIndex),
    Text(L"wszPropkey"),
    Double(L"dPropdefvalue"),
    Int32(L"iPropdeftype"),
    Int32(L"iPropdefvisibility"),
    Int32(L"iPropdefflags"),
    Blob(L"pDependencyExpression")};
const wchar_t* const jobpropdef_unique[] = {L"iJobprogramKeyRef", L"wszPropkey"};

const SQeSqliteColDef jobpropenumvalue_cols[] = {
    Key(), Ref(L"iJobpropdefKeyRef", g_QeProjectDbFk_jobpropdef, kIndex),
    Text(L"wszPropenumvalue")};
const wchar_t* const jobpropenumvalue_unique[] = {L"iJobpropdefKeyRef", L"wszPropenumvalue"};
}  // namespace

QE_SCHEMA_TABLE(jobprogram);
QE_SCHEMA_TABLE(jobtask);
QE_SCHEMA_TABLE_UNIQUE(jobclasslaststate);
QE_SCHEMA_TABLE_UNIQUE(assayrecipe);
QE_SCHEMA_TABLE_UNIQUE(jobpropdef);
QE_SCHEMA_TABLE_UNIQUE(jobpropenumvalue);
