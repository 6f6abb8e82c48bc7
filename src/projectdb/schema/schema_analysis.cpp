// Tables of analysis results: assay runs, binary layers, their per-frame
// content and objects with properties, and object traces.
#include "projectdb/schema/schema_builders.h"

namespace {
using namespace qe::schema;

const SQeSqliteColDef assayrun_cols[] = {
    Key(),
    Ref(L"iJobrunKeyRef", g_QeProjectDbFk_jobrun, kIndex),
    Ref(L"iJobtaskKeyRef", g_QeProjectDbFk_jobtask, kIndex),
    Ref(L"iCapturedDataKeyRef", g_QeProjectDbFk_jobtask, kIndex),
    Text(L"wszUuid"),
    Text(L"wszName"),
    Double(L"dCTime")};
const wchar_t* const assayrun_unique[] = {L"wszUuid"};

const SQeSqliteColDef binlayer_cols[] = {Key(),
                                         Ref(L"iJobrunKeyRef", g_QeProjectDbFk_jobrun, kIndex),
                                         Ref(L"iAssayrunKeyRef", g_QeProjectDbFk_assayrun, kIndex),
                                         Text(L"wszUuid"),
                                         Text(L"wszName"),
                                         Text(L"wszCompName"),
                                         Text(L"wszFileTag"),
                                         Int32(L"iColor")};
const wchar_t* const binlayer_unique[] = {L"wszUuid"};

const SQeSqliteColDef binframe_cols[] = {Key(),
                                         Ref(L"iJobrunKeyRef", g_QeProjectDbFk_jobrun, kIndex),
                                         Ref(L"iBinlayerKeyRef", g_QeProjectDbFk_binlayer, kIndex),
                                         Int32(L"iFrameIndex"), Int32(L"iCount")};
const wchar_t* const binframe_unique[] = {L"iJobrunKeyRef", L"iFrameIndex", L"iBinlayerKeyRef"};

const SQeSqliteColDef binobj_cols[] = {Key(),
                                       Ref(L"iBinframeKeyRef", g_QeProjectDbFk_binframe, kIndex),
                                       Ref(L"iTraceKeyRef", g_QeProjectDbFk_trace, kIndex),
                                       Int32(L"iBinObjId"),
                                       Int32(L"iBBoxL"),
                                       Int32(L"iBBoxT"),
                                       Int32(L"iBBoxR"),
                                       Int32(L"iBBoxB"),
                                       Int32(L"iPixelCount")};
const wchar_t* const binobj_unique[] = {L"iBinframeKeyRef", L"iBinObjId"};

const SQeSqliteColDef binobjprop_cols[] = {Key(),
                                           Ref(L"iBinobjKeyRef", g_QeProjectDbFk_binobj, kIndex),
                                           Ref(L"iPropdefKeyRef", g_QeProjectDbFk_propdef, kIndex),
                                           Ref(L"iJobrunKeyRef", g_QeProjectDbFk_jobrun, kIndex),
                                           Int32(L"iFrameIndex"),
                                           Double(L"dValue")};
const wchar_t* const binobjprop_unique[] = {L"iBinobjKeyRef", L"iPropdefKeyRef"};

const SQeSqliteColDef trace_cols[] = {Key(), Ref(L"iJobrunKeyRef", g_QeProjectDbFk_jobrun, kIndex),
                                      Int32(L"iTraceId")};
const wchar_t* const trace_unique[] = {L"iJobrunKeyRef", L"iTraceId"};
}  // namespace

QE_SCHEMA_TABLE_UNIQUE(assayrun);
QE_SCHEMA_TABLE_UNIQUE(binlayer);
QE_SCHEMA_TABLE_UNIQUE(binframe);
QE_SCHEMA_TABLE_UNIQUE(binobj);
QE_SCHEMA_TABLE_UNIQUE(binobjprop);
QE_SCHEMA_TABLE_UNIQUE(trace);
