// Tables of job runs and what a run records per frame: loops, image files,
// frames, loop indices and the plate, well and slide links.
#include "projectdb/schema/schema_builders.h"

namespace {
using namespace qe::schema;

const SQeSqliteColDef jobrun_cols[] = {
    Key(),
    Ref(L"iProjKeyRef", g_QeProjectDbFk_project, kIndex),
    Ref(L"iJobdefKeyRef", g_QeProjectDbFk_jobdef, kIndex),
    Ref(L"iJobprogramKeyRef", g_QeProjectDbFk_jobprogram, kIndex),
    Int64(L"iFinishFlags"),
    Double(L"dCTime"),
    Double(L"dMTime"),
    Double(L"dFTime"),
    Text(L"wszUuid"),
    Text(L"wszName"),
    Text(L"wszDesc"),
    Text(L"wszFolderName"),
    Text(L"wszFinishMessage")};
const wchar_t* const jobrun_unique[] = {L"wszUuid"};

const SQeSqliteColDef runloop_cols[] = {Key(),
                                        Ref(L"iJobrunKeyRef", g_QeProjectDbFk_jobrun, kIndex),
                                        Ref(L"iJobtaskKeyRef", g_QeProjectDbFk_jobtask, kIndex),
                                        Int32(L"iOrder"),
                                        Int32(L"iNestLevel"),
                                        Int32(L"iLoopType")};
const wchar_t* const runloop_unique[] = {L"iJobrunKeyRef", L"iOrder"};

const SQeSqliteColDef file_cols[] = {Key(),
                                     Ref(L"iJobrunKeyRef", g_QeProjectDbFk_jobrun, kIndex),
                                     Text(L"wszFileName"),
                                     Int32(L"iWidth"),
                                     Int32(L"iHeight"),
                                     Int32(L"iPlanes"),
                                     Int32(L"iComponents"),
                                     Int32(L"iBitsPerComponent"),
                                     Int32(L"iFrameCount")};

const SQeSqliteColDef frame_cols[] = {Key(),
                                      Ref(L"iJobrunKeyRef", g_QeProjectDbFk_jobrun, kIndex),
                                      Ref(L"iJobtaskKeyRef", g_QeProjectDbFk_jobtask, kIndex),
                                      Int32(L"iFrameIndex"),
                                      Double(L"dCTime"),
                                      Ref(L"iFileKeyRef", g_QeProjectDbFk_file),
                                      Int32(L"iFileFrameIndex")};
const wchar_t* const frame_unique[] = {L"iJobrunKeyRef", L"iFrameIndex"};

const SQeSqliteColDef loopindex_cols[] = {
    Key(), Ref(L"iJobrunKeyRef", g_QeProjectDbFk_jobrun, kIndex), Int32(L"iFrameIndex"),
    Ref(L"iRunloopKeyRef", g_QeProjectDbFk_runloop), Int32(L"iLoopIndex")};
const wchar_t* const loopindex_unique[] = {L"iJobrunKeyRef", L"iFrameIndex", L"iRunloopKeyRef"};

const SQeSqliteColDef plateinfo_cols[] = {
    Key(),
    Ref(L"iJobrunKeyRef", g_QeProjectDbFk_jobrun, kIndex),
    Ref(L"iWellplatenameKeyRef", g_QeProjectDbFk_wellplatename, kIndex),
    Text(L"wszName"),
    Text(L"wszBarcode"),
    Text(L"wszDesc")};

const SQeSqliteColDef wellinfo_cols[] = {Key(),
                                         Ref(L"iJobrunKeyRef", g_QeProjectDbFk_jobrun, kIndex),
                                         Int32(L"iWellIndex"), Text(L"wszName")};

const SQeSqliteColDef slideinfo_cols[] = {Key(),
                                          Ref(L"iJobrunKeyRef", g_QeProjectDbFk_jobrun, kIndex),
                                          Text(L"wszName"), Text(L"wszBarcode"), Text(L"wszDesc")};

const SQeSqliteColDef frameplateinfo_cols[] = {
    Key(), Ref(L"iJobrunKeyRef", g_QeProjectDbFk_jobrun, kIndex),
    Ref(L"iPlateinfoKeyRef", g_QeProjectDbFk_plateinfo, kIndex), Int32(L"iFrameIndex")};
const wchar_t* const frameplateinfo_unique[] = {L"iJobrunKeyRef", L"iFrameIndex",
                                                L"iPlateinfoKeyRef"};

const SQeSqliteColDef framewellinfo_cols[] = {
    Key(), Ref(L"iJobrunKeyRef", g_QeProjectDbFk_jobrun, kIndex),
    Ref(L"iWellinfoKeyRef", g_QeProjectDbFk_wellinfo, kIndex), Int32(L"iFrameIndex")};
const wchar_t* const framewellinfo_unique[] = {L"iJobrunKeyRef", L"iFrameIndex",
                                               L"iWellinfoKeyRef"};

const SQeSqliteColDef frameslideinfo_cols[] = {
    Key(), Ref(L"iJobrunKeyRef", g_QeProjectDbFk_jobrun, kIndex),
    Ref(L"iSlideinfoKeyRef", g_QeProjectDbFk_slideinfo, kIndex), Int32(L"iFrameIndex")};
const wchar_t* const frameslideinfo_unique[] = {L"iJobrunKeyRef", L"iFrameIndex",
                                                L"iSlideinfoKeyRef"};
}  // namespace

QE_SCHEMA_TABLE_UNIQUE(jobrun);
QE_SCHEMA_TABLE_UNIQUE(runloop);
QE_SCHEMA_TABLE(file);
QE_SCHEMA_TABLE_UNIQUE(frame);
QE_SCHEMA_TABLE_UNIQUE(loopindex);
QE_SCHEMA_TABLE(plateinfo);
QE_SCHEMA_TABLE(wellinfo);
QE_SCHEMA_TABLE(slideinfo);
QE_SCHEMA_TABLE_UNIQUE(frameplateinfo);
QE_SCHEMA_TABLE_UNIQUE(framewellinfo);
QE_SCHEMA_TABLE_UNIQUE(frameslideinfo);
