// Layouts introduced by versions 11 to 29, in version order. Each record is
// the layout an upgrade step creates; it stays in force until a later
// version changes the table again (see g_QeProjectDbSchemaChanges).
#include "projectdb/upgrade/history/history_builders.h"

namespace {
using namespace qe::schema;

// ---- 11: analyses may belong to a job task ----
const SQeSqliteColDef v011_assaydef_cols[] = {Key(),
                                              Ref(L"iJobdefKeyRef", g_QeProjectDbFk_jobdef, kIndex),
                                              PlainRef(L"iJobtaskKeyRef", kIndex),
                                              Int32(L"iState"),
                                              Text(L"wszUuid"),
                                              Text(L"wszName"),
                                              Text(L"wszDesc"),
                                              Text(L"wszModule"),
                                              Double(L"dCTime"),
                                              Double(L"dMTime"),
                                              Blob(L"pData")};

// ---- 14: stored states of job classes ----
const SQeSqliteColDef v014_jobclasslaststate_cols[] = {
    Key(), Text(L"wszUniqueName"), Int64(L"iVersion"), Text(L"wszName"), Blob(L"pData")};

// ---- 17: a frame is named by its run and index ----
const SQeSqliteColDef v017_frame_cols[] = {Key(),
                                           Ref(L"iJobrunKeyRef", g_QeProjectDbFk_jobrun, kIndex),
                                           PlainRef(L"iJobtaskKeyRef", kIndex),
                                           Int32(L"iFrameIndex"),
                                           Double(L"dCTime"),
                                           Ref(L"iFileKeyRef", g_QeProjectDbFk_file),
                                           Int32(L"iFileFrameIndex")};
const wchar_t* const v017_frame_unique[] = {L"iJobrunKeyRef", L"iFrameIndex"};

const SQeSqliteColDef v017_runloop_cols[] = {Key(),
                                             Ref(L"iJobrunKeyRef", g_QeProjectDbFk_jobrun, kIndex),
                                             PlainRef(L"iJobtaskKeyRef", kIndex),
                                             Int32(L"iOrder"),
                                             Int32(L"iNestLevel"),
                                             Int32(L"iLoopType")};
const wchar_t* const v017_runloop_unique[] = {L"iJobrunKeyRef", L"iOrder"};

// ---- 18: job programs ----
const SQeSqliteColDef v018_jobprogram_cols[] = {
    Key(), Ref(L"iJobdefKeyRef", g_QeProjectDbFk_jobdef, kIndex), Text(L"wszSummary")};

const SQeSqliteColDef v018_jobdef_cols[] = {Key(),
                                            Ref(L"iProjKeyRef", g_QeProjectDbFk_project, kIndex),
                                            Int32(L"iDefType"),
                                            Int32(L"iState"),
                                            Double(L"dCTime"),
                                            Double(L"dMTime"),
                                            Text(L"wszUuid"),
                                            Text(L"wszName"),
                                            Text(L"wszDesc")};

const SQeSqliteColDef v018_jobrun_cols[] = {
    Key(),
    Ref(L"iProjKeyRef", g_QeProjectDbFk_project, kIndex),
    Ref(L"iJobdefKeyRef", g_QeProjectDbFk_jobdef, kIndex),
    Ref(L"iJobprogramKeyRef", g_QeProjectDbFk_jobprogram, kIndex),
    Double(L"dCTime"),
    Double(L"dMTime"),
    Text(L"wszUuid"),
    Text(L"wszName"),
    Text(L"wszDesc"),
    Text(L"wszFolderName")};

const SQeSqliteColDef v018_jobtask_cols[] = {
    Key(),
    Ref(L"iJobprogramKeyRef", g_QeProjectDbFk_jobprogram, kIndex),
    PlainRef(L"iJobtaskKeyRef", kIndex),
    Int64(L"iBlockNumber"),
    Int64(L"iOrder"),
    Int64(L"iVersion"),
    Text(L"wszClassName"),
    Text(L"wszName"),
    Blob(L"pData")};

// ---- 19: one loop index per frame and loop ----
const SQeSqliteColDef v019_loopindex_cols[] = {
    Key(),
    Ref(L"iJobrunKeyRef", g_QeProjectDbFk_jobrun, kIndex),
    Int32(L"iFrameIndex"),
    Ref(L"iRunloopKeyRef", g_QeProjectDbFk_runloop),
    Int32(L"iLoopIndex"),
    Int64(L"iLoopinfoKeyRef")};
const wchar_t* const v019_loopindex_unique[] = {L"iJobrunKeyRef", L"iFrameIndex",
                                                L"iRunloopKeyRef"};

// ---- 20: task and job class states ----
const SQeSqliteColDef v020_jobtask_cols[] = {
    Key(),
    Ref(L"iJobprogramKeyRef", g_QeProjectDbFk_jobprogram, kIndex),
    PlainRef(L"iJobtaskKeyRef", kIndex),
    Int64(L"iBlockNumber"),
    Int64(L"iOrder"),
    Int64(L"iVersion"),
    Int32(L"iState"),
    Text(L"wszClassName"),
    Text(L"wszName"),
    Blob(L"pData")};

const SQeSqliteColDef v020_jobclasslaststate_cols[] = {
    Key(),         Text(L"wszUniqueName"), Int64(L"iVersion"), Int32(L"iState"), Text(L"wszName"),
    Blob(L"pData")};

// ---- 21: task connection data ----
const SQeSqliteColDef v021_jobtask_cols[] = {
    Key(),
    Ref(L"iJobprogramKeyRef", g_QeProjectDbFk_jobprogram, kIndex),
    PlainRef(L"iJobtaskKeyRef", kIndex),
    Int64(L"iBlockNumber"),
    Int64(L"iOrder"),
    Int64(L"iVersion"),
    Int32(L"iState"),
    Text(L"wszClassName"),
    Text(L"wszName"),
    Blob(L"pData"),
    Blob(L"pConnectionData")};

// ---- 23: parent and task references become foreign keys ----
const SQeSqliteColDef v023_jobtask_cols[] = {
    Key(),
    Ref(L"iJobprogramKeyRef", g_QeProjectDbFk_jobprogram, kIndex),
    Ref(L"iJobtaskKeyRef", g_QeProjectDbFk_jobtask, kIndex),
    Int64(L"iBlockNumber"),
    Int64(L"iOrder"),
    Int64(L"iVersion"),
    Int32(L"iState"),
    Text(L"wszClassName"),
    Text(L"wszName"),
    Blob(L"pData"),
    Blob(L"pConnectionData")};

const SQeSqliteColDef v023_propset_cols[] = {
    Key(), Ref(L"iPropsetKeyRef", g_QeProjectDbFkOld_propset, kIndex), Text(L"wszUniqueName"),
    Text(L"wszName")};
const wchar_t* const v023_propset_unique[] = {L"wszUniqueName"};

const SQeSqliteColDef v023_assaydef_cols[] = {
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
    Blob(L"pData")};

const SQeSqliteColDef v023_tagdef_cols[] = {Key(),
                                            Ref(L"iTagdefKeyRef", g_QeProjectDbFk_tagdef, kIndex),
                                            Text(L"wszName", kIndex, kNoCase), Text(L"wszDesc")};
const wchar_t* const v023_tagdef_unique[] = {L"iTagdefKeyRef", L"wszName"};

// ---- 24: projects store their folder name ----
const SQeSqliteColDef v024_project_cols[] = {Key(),
                                             Double(L"dCTime"),
                                             Double(L"dMTime"),
                                             Text(L"wszUuid"),
                                             Text(L"wszName"),
                                             Text(L"wszDesc"),
                                             Text(L"wszFolderName")};

// ---- 25: uuids and unique names become unique ----
const SQeSqliteColDef v025_jobdef_cols[] = {Key(),
                                            Ref(L"iProjKeyRef", g_QeProjectDbFk_project, kIndex),
                                            Int32(L"iDefType"),
                                            Int32(L"iState"),
                                            Double(L"dCTime"),
                                            Double(L"dMTime"),
                                            Text(L"wszUuid"),
                                            Text(L"wszName"),
                                            Text(L"wszDesc")};
const wchar_t* const v025_jobdef_unique[] = {L"wszUuid"};

const SQeSqliteColDef v025_jobrun_cols[] = {
    Key(),
    Ref(L"iProjKeyRef", g_QeProjectDbFk_project, kIndex),
    Ref(L"iJobdefKeyRef", g_QeProjectDbFk_jobdef, kIndex),
    Ref(L"iJobprogramKeyRef", g_QeProjectDbFk_jobprogram, kIndex),
    Double(L"dCTime"),
    Double(L"dMTime"),
    Text(L"wszUuid"),
    Text(L"wszName"),
    Text(L"wszDesc"),
    Text(L"wszFolderName")};
const wchar_t* const v025_jobrun_unique[] = {L"wszUuid"};

const SQeSqliteColDef v025_assaydef_cols[] = {
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
    Blob(L"pData")};
const wchar_t* const v025_assaydef_unique[] = {L"wszUuid"};

const SQeSqliteColDef v025_assayrun_cols[] = {
    Key(),
    Ref(L"iJobrunKeyRef", g_QeProjectDbFk_jobrun, kIndex),
    Ref(L"iAssaydefKeyRef", g_QeProjectDbFkOld_assaydef, kIndex),
    Text(L"wszUuid"),
    Text(L"wszName"),
    Double(L"dCTime")};
const wchar_t* const v025_assayrun_unique[] = {L"wszUuid"};

const SQeSqliteColDef v025_wellplatedef_cols[] = {Key(),
                                                  Text(L"wszUuid"),
                                                  Int32(L"iRowCount"),
                                                  Int32(L"iColCount"),
                                                  Int32(L"iRowNaming"),
                                                  Int32(L"iColNaming"),
                                                  Naming(L"wszCompany"),
                                                  Naming(L"wszType"),
                                                  Naming(L"wszModel"),
                                                  Int32(L"iUserImported"),
                                                  Blob(L"pData")};
const wchar_t* const v025_wellplatedef_unique[] = {L"wszUuid"};

// ---- 28: binary objects ----
const SQeSqliteColDef v028_binobj_cols[] = {
    Key(),
    Ref(L"iBinframeKeyRef", g_QeProjectDbFk_binframe, kIndex),
    Int32(L"iBinObjId"),
    Int32(L"iBBoxL"),
    Int32(L"iBBoxT"),
    Int32(L"iBBoxR"),
    Int32(L"iBBoxB"),
    Int32(L"iPixelCount")};
const wchar_t* const v028_binobj_unique[] = {L"iBinframeKeyRef", L"iBinObjId"};

const SQeSqliteColDef v028_binobjprop_cols[] = {
    Key(), Ref(L"iBinobjKeyRef", g_QeProjectDbFk_binobj, kIndex),
    Ref(L"iPropdefKeyRef", g_QeProjectDbFk_propdef, kIndex), Double(L"dValue")};
const wchar_t* const v028_binobjprop_unique[] = {L"iBinobjKeyRef", L"iPropdefKeyRef"};

// ---- 29: well-plate names point at configurations ----
const SQeSqliteColDef v029_wellplatename_cols[] = {
    Key(),
    Text(L"wszUuid", kUniqueIndex),
    Ref(L"iWellplateconfigKeyRef", g_QeProjectDbFk_wellplateconfiguration, kIndex),
    Naming(L"wszCompany"),
    Naming(L"wszType"),
    Naming(L"wszModel"),
    Int32(L"iUserImported")};
const wchar_t* const v029_wellplatename_unique[] = {L"wszUuid", L"wszCompany", L"wszType",
                                                    L"wszModel"};
}  // namespace

QE_HISTORY_TABLE(011, assaydef);
QE_HISTORY_TABLE(014, jobclasslaststate);
QE_HISTORY_TABLE_UNIQUE(017, frame);
QE_HISTORY_TABLE_UNIQUE(017, runloop);
QE_HISTORY_TABLE(018, jobprogram);
QE_HISTORY_TABLE(018, jobdef);
QE_HISTORY_TABLE(018, jobrun);
QE_HISTORY_TABLE(018, jobtask);
QE_HISTORY_TABLE_UNIQUE(019, loopindex);
QE_HISTORY_TABLE(020, jobtask);
QE_HISTORY_TABLE(020, jobclasslaststate);
QE_HISTORY_TABLE(021, jobtask);
QE_HISTORY_TABLE(023, jobtask);
QE_HISTORY_TABLE_UNIQUE(023, propset);
QE_HISTORY_TABLE(023, assaydef);
QE_HISTORY_TABLE_UNIQUE(023, tagdef);
QE_HISTORY_TABLE(024, project);
QE_HISTORY_TABLE_UNIQUE(025, jobdef);
QE_HISTORY_TABLE_UNIQUE(025, jobrun);
QE_HISTORY_TABLE_UNIQUE(025, assaydef);
QE_HISTORY_TABLE_UNIQUE(025, assayrun);
QE_HISTORY_TABLE_UNIQUE(025, wellplatedef);
QE_HISTORY_TABLE_UNIQUE(028, binobj);
QE_HISTORY_TABLE_UNIQUE(028, binobjprop);
QE_HISTORY_TABLE_UNIQUE(029, wellplatename);
