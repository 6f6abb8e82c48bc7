// Tables of property and tag definitions, their values on frames, projects
// and job definitions, tag colours and per-run property statistics.
#include "projectdb/schema/schema_builders.h"

namespace {
using namespace qe::schema;

// Property names compare without regard to letter case.
const SQeSqliteColDef propdef_cols[] = {
    Key(), Text(L"wszPropsetName", kIndex, kNoCase), Text(L"wszName", eQeSqliteIndexNone, kNoCase),
    Text(L"wszUnit", eQeSqliteIndexNone, kNoCase), Text(L"wszDesc")};
const wchar_t* const propdef_unique[] = {L"wszPropsetName", L"wszName", L"wszUnit"};

const SQeSqliteColDef frameprop_cols[] = {Key(),
                                          Ref(L"iJobrunKeyRef", g_QeProjectDbFk_jobrun, kIndex),
                                          Ref(L"iAssayrunKeyRef", g_QeProjectDbFk_assayrun, kIndex),
                                          Ref(L"iPropdefKeyRef", g_QeProjectDbFk_propdef, kIndex),
                                          Int32(L"iFrameIndex"),
                                          Double(L"dValue")};
const wchar_t* const frameprop_unique[] = {L"iJobrunKeyRef", L"iFrameIndex", L"iAssayrunKeyRef",
                                           L"iPropdefKeyRef"};

const SQeSqliteColDef tagdef_cols[] = {Key(), Text(L"wszTagsetName", kIndex),
                                       Text(L"wszName", kIndex, kNoCase), Text(L"wszDesc")};
const wchar_t* const tagdef_unique[] = {L"wszTagsetName", L"wszName"};

const SQeSqliteColDef projtag_cols[] = {Key(), Ref(L"iProjKeyRef", g_QeProjectDbFk_project, kIndex),
                                        Ref(L"iTagdefKeyRef", g_QeProjectDbFk_tagdef)};
const wchar_t* const projtag_unique[] = {L"iProjKeyRef", L"iTagdefKeyRef"};

const SQeSqliteColDef jobdeftag_cols[] = {Key(),
                                          Ref(L"iJobdefKeyRef", g_QeProjectDbFk_jobdef, kIndex),
                                          Ref(L"iTagdefKeyRef", g_QeProjectDbFk_tagdef)};
const wchar_t* const jobdeftag_unique[] = {L"iJobdefKeyRef", L"iTagdefKeyRef"};

const SQeSqliteColDef frametag_cols[] = {
    Key(), Ref(L"iJobrunKeyRef", g_QeProjectDbFk_jobrun, kIndex),
    Ref(L"iTagdefKeyRef", g_QeProjectDbFk_tagdef, kIndex), Int32(L"iFrameIndex")};
const wchar_t* const frametag_unique[] = {L"iJobrunKeyRef", L"iFrameIndex", L"iTagdefKeyRef"};

const SQeSqliteColDef tagcolor_cols[] = {Key(), Ref(L"iJobrunKeyRef", g_QeProjectDbFk_jobrun),
                                         Ref(L"iTagdefKeyRef", g_QeProjectDbFk_tagdef),
                                         Int32(L"iColor")};
const wchar_t* const tagcolor_unique[] = {L"iJobrunKeyRef", L"iTagdefKeyRef"};

const SQeSqliteColDef jobrunpropstat_cols[] = {
    Key(),
    Ref(L"iJobrunKeyRef", g_QeProjectDbFk_jobrun, kIndex),
    Ref(L"iPropdefKeyRef", g_QeProjectDbFk_propdef, kIndex),
    Int64(L"iCount"),
    Int64(L"iDistinctCount"),
    Double(L"dStatMin"),
    Double(L"dStatMax"),
    Double(L"dStatSum"),
    Double(L"dStatSqSum"),
    Double(L"dStatDecSum")};
const wchar_t* const jobrunpropstat_unique[] = {L"iJobrunKeyRef", L"iPropdefKeyRef"};
}  // namespace

QE_SCHEMA_TABLE_UNIQUE(propdef);
QE_SCHEMA_TABLE_UNIQUE(frameprop);
QE_SCHEMA_TABLE_UNIQUE(tagdef);
QE_SCHEMA_TABLE_UNIQUE(projtag);
QE_SCHEMA_TABLE_UNIQUE(jobdeftag);
QE_SCHEMA_TABLE_UNIQUE(frametag);
QE_SCHEMA_TABLE_UNIQUE(tagcolor);
QE_SCHEMA_TABLE_UNIQUE(jobrunpropstat);
