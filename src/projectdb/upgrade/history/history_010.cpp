// Version 10, the oldest layout the upgrade accepts: the records of its
// tables that differ from today's. Its other tables (vesion, file, projtag,
// jobdeftag, tagcolor, wellinfo) already had their current layout.
//
// What sets version 10 apart: no unique uuids yet; projects store an
// absolute path; frame properties, frame tags and binary frames name their
// frame by key; parent and task references are plain integers; analyses
// (`assaydef`), property sets (`propset`), well-plate definitions
// (`wellplatedef`) and the roots of job definitions (`jobdefroot`) have
// tables of their own.
#include "projectdb/upgrade/history/history_builders.h"

namespace {
constexpr const wchar_t* kKey = L"iKey";
constexpr const wchar_t* kCascade = L"ON DELETE CASCADE";
constexpr const wchar_t* kUpdate = L"ON UPDATE CASCADE";
}  // namespace

constinit const SQeSqliteForeignKeyDef g_QeProjectDbFkOld_propset = {L"propset", kKey, kCascade,
                                                                     kUpdate};
constinit const SQeSqliteForeignKeyDef g_QeProjectDbFkOld_assaydef = {L"assaydef", kKey, kCascade,
                                                                      kUpdate};
constinit const SQeSqliteForeignKeyDef g_QeProjectDbFkOld_wellplatedef = {L"wellplatedef", kKey,
                                                                          kCascade, kUpdate};
constinit const SQeSqliteForeignKeyDef g_QeProjectDbFkOld_frame = {L"frame", kKey, kCascade,
                                                                   kUpdate};

namespace {
using namespace qe::schema;

// The folder is stored as the absolute path of the project (wszAbsPath).
const SQeSqliteColDef v010_project_cols[] = {Key(),
                                             Double(L"dCTime"),
                                             Double(L"dMTime"),
                                             Text(L"wszUuid"),
                                             Text(L"wszName"),
                                             Text(L"wszDesc"),
                                             Text(L"wszAbsPath")};

const SQeSqliteColDef v010_jobdef_cols[] = {Key(),
                                            Ref(L"iProjKeyRef", g_QeProjectDbFk_project, kIndex),
                                            Int32(L"iDefType"),
                                            Int32(L"iState"),
                                            Double(L"dCTime"),
                                            Double(L"dMTime"),
                                            Text(L"wszUuid"),
                                            Text(L"wszName"),
                                            Text(L"wszDesc"),
                                            Text(L"wszSummary")};

// The root job definition of a project; dropped at version 16.
const SQeSqliteColDef v010_jobdefroot_cols[] = {
    Key(), Ref(L"iProjKeyRef", g_QeProjectDbFk_project, kIndex),
    Ref(L"iJobdefKeyRef", g_QeProjectDbFk_jobdef, kIndex)};

// Tasks belong to the job definition itself (programs appear at 18).
const SQeSqliteColDef v010_jobtask_cols[] = {Key(),
                                             Ref(L"iJobdefKeyRef", g_QeProjectDbFk_jobdef, kIndex),
                                             PlainRef(L"iJobtaskKeyRef", kIndex),
                                             Int64(L"iBlockNumber"),
                                             Int64(L"iOrder"),
                                             Int64(L"iVersion"),
                                             Text(L"wszClassName"),
                                             Text(L"wszName"),
                                             Blob(L"pData")};

const SQeSqliteColDef v010_jobrun_cols[] = {Key(),
                                            Ref(L"iProjKeyRef", g_QeProjectDbFk_project, kIndex),
                                            Ref(L"iJobdefKeyRef", g_QeProjectDbFk_jobdef, kIndex),
                                            Double(L"dCTime"),
                                            Double(L"dMTime"),
                                            Text(L"wszUuid"),
                                            Text(L"wszName"),
                                            Text(L"wszDesc"),
                                            Text(L"wszFolderName")};

const SQeSqliteColDef v010_runloop_cols[] = {
    Key(), Ref(L"iJobrunKeyRef", g_QeProjectDbFk_jobrun, kIndex),
    PlainRef(L"iJobtaskKeyRef", kIndex), Int32(L"iOrder"), Int32(L"iLoopType")};
const wchar_t* const v010_runloop_unique[] = {L"iJobrunKeyRef", L"iOrder"};

const SQeSqliteColDef v010_frame_cols[] = {Key(),
                                           Ref(L"iJobrunKeyRef", g_QeProjectDbFk_jobrun, kIndex),
                                           PlainRef(L"iJobtaskKeyRef", kIndex),
                                           Int32(L"iFrameIndex"),
                                           Double(L"dCTime"),
                                           Ref(L"iFileKeyRef", g_QeProjectDbFk_file),
                                           Int32(L"iFileFrameIndex")};

// iLoopinfoKeyRef names the plate (plate loops) or well (well loops) of the
// frame; it moves to frameplateinfo and framewellinfo at version 22.
const SQeSqliteColDef v010_loopindex_cols[] = {
    Key(),
    Ref(L"iJobrunKeyRef", g_QeProjectDbFk_jobrun, kIndex),
    Int32(L"iFrameIndex"),
    Ref(L"iRunloopKeyRef", g_QeProjectDbFk_runloop),
    Int32(L"iLoopIndex"),
    Int64(L"iLoopinfoKeyRef")};

// Property sets; iPropsetKeyRef is the parent set. Dropped at version 68,
// when property definitions name their set by wszUniqueName.
const SQeSqliteColDef v010_propset_cols[] = {Key(), PlainRef(L"iPropsetKeyRef", kIndex),
                                             Text(L"wszUniqueName"), Text(L"wszName")};
const wchar_t* const v010_propset_unique[] = {L"wszUniqueName"};

const SQeSqliteColDef v010_propdef_cols[] = {
    Key(), Ref(L"iPropsetKeyRef", g_QeProjectDbFkOld_propset, kIndex),
    Text(L"wszName", eQeSqliteIndexNone, kNoCase), Text(L"wszUnit", eQeSqliteIndexNone, kNoCase),
    Text(L"wszDesc")};
const wchar_t* const v010_propdef_unique[] = {L"iPropsetKeyRef", L"wszName", L"wszUnit"};

// Analysis definitions of a job definition; they become job tasks at 60.
const SQeSqliteColDef v010_assaydef_cols[] = {Key(),
                                              Ref(L"iJobdefKeyRef", g_QeProjectDbFk_jobdef, kIndex),
                                              Int32(L"iState"),
                                              Text(L"wszUuid"),
                                              Text(L"wszName"),
                                              Text(L"wszDesc"),
                                              Text(L"wszModule"),
                                              Double(L"dCTime"),
                                              Double(L"dMTime"),
                                              Blob(L"pData")};

const SQeSqliteColDef v010_assayrun_cols[] = {
    Key(),
    Ref(L"iJobrunKeyRef", g_QeProjectDbFk_jobrun, kIndex),
    Ref(L"iAssaydefKeyRef", g_QeProjectDbFkOld_assaydef, kIndex),
    Text(L"wszUuid"),
    Text(L"wszName"),
    Double(L"dCTime")};

const SQeSqliteColDef v010_frameprop_cols[] = {
    Key(), Ref(L"iFrameKeyRef", g_QeProjectDbFkOld_frame, kIndex),
    Ref(L"iAssayrunKeyRef", g_QeProjectDbFk_assayrun, kIndex),
    Ref(L"iPropdefKeyRef", g_QeProjectDbFk_propdef, kIndex), Double(L"dValue")};
const wchar_t* const v010_frameprop_unique[] = {L"iFrameKeyRef", L"iAssayrunKeyRef",
                                                L"iPropdefKeyRef"};

// Tags form a tree: iTagdefKeyRef is the parent tag (the tag set).
const SQeSqliteColDef v010_tagdef_cols[] = {Key(), PlainRef(L"iTagdefKeyRef", kIndex),
                                            Text(L"wszName", kIndex, kNoCase), Text(L"wszDesc")};
const wchar_t* const v010_tagdef_unique[] = {L"iTagdefKeyRef", L"wszName"};

const SQeSqliteColDef v010_frametag_cols[] = {
    Key(), Ref(L"iFrameKeyRef", g_QeProjectDbFkOld_frame, kIndex),
    Ref(L"iTagdefKeyRef", g_QeProjectDbFk_tagdef, kIndex)};
const wchar_t* const v010_frametag_unique[] = {L"iFrameKeyRef", L"iTagdefKeyRef"};

// Well-plate geometry and product name in one row; split into
// wellplateconfiguration and wellplatename at version 29.
const SQeSqliteColDef v010_wellplatedef_cols[] = {Key(),
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

const SQeSqliteColDef v010_plateinfo_cols[] = {
    Key(),
    Ref(L"iJobrunKeyRef", g_QeProjectDbFk_jobrun, kIndex),
    Ref(L"iWellplatedefKeyRef", g_QeProjectDbFkOld_wellplatedef, kIndex),
    Text(L"wszName"),
    Text(L"wszBarcode"),
    Text(L"wszDesc")};

const SQeSqliteColDef v010_binlayer_cols[] = {
    Key(),
    Ref(L"iJobrunKeyRef", g_QeProjectDbFk_jobrun, kIndex),
    Ref(L"iAssaydefKeyRef", g_QeProjectDbFkOld_assaydef, kIndex),
    Text(L"wszName"),
    Text(L"wszCompName"),
    Text(L"wszFileTag"),
    Int32(L"iColor")};

const SQeSqliteColDef v010_binframe_cols[] = {
    Key(), Ref(L"iFrameKeyRef", g_QeProjectDbFkOld_frame, kIndex),
    Ref(L"iBinlayerKeyRef", g_QeProjectDbFk_binlayer, kIndex), Int32(L"iCount")};
const wchar_t* const v010_binframe_unique[] = {L"iFrameKeyRef", L"iBinlayerKeyRef"};
}  // namespace

QE_HISTORY_TABLE(010, project);
QE_HISTORY_TABLE(010, jobdef);
QE_HISTORY_TABLE(010, jobdefroot);
QE_HISTORY_TABLE(010, jobtask);
QE_HISTORY_TABLE(010, jobrun);
QE_HISTORY_TABLE_UNIQUE(010, runloop);
QE_HISTORY_TABLE(010, frame);
QE_HISTORY_TABLE(010, loopindex);
QE_HISTORY_TABLE_UNIQUE(010, propset);
QE_HISTORY_TABLE_UNIQUE(010, propdef);
QE_HISTORY_TABLE(010, assaydef);
QE_HISTORY_TABLE(010, assayrun);
QE_HISTORY_TABLE_UNIQUE(010, frameprop);
QE_HISTORY_TABLE_UNIQUE(010, tagdef);
QE_HISTORY_TABLE_UNIQUE(010, frametag);
QE_HISTORY_TABLE(010, wellplatedef);
QE_HISTORY_TABLE(010, plateinfo);
QE_HISTORY_TABLE(010, binlayer);
QE_HISTORY_TABLE_UNIQUE(010, binframe);
