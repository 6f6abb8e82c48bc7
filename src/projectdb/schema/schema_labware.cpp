// Tables of labware geometry and named labware products. Company, type and
// model default to "Unknown" and compare without regard to letter case.
#include "projectdb/schema/schema_builders.h"

namespace {
using namespace qe::schema;

const SQeSqliteColDef wellplateconfiguration_cols[] = {Key(),
                                                       Text(L"wszUuid", kUniqueIndex),
                                                       Int32(L"iRowCount"),
                                                       Int32(L"iColCount"),
                                                       Int32(L"iRowNaming"),
                                                       Int32(L"iColNaming"),
                                                       Blob(L"pData")};
const wchar_t* const wellplateconfiguration_unique[] = {L"wszUuid"};

const SQeSqliteColDef wellplatename_cols[] = {
    Key(),
    Text(L"wszUuid", kUniqueIndex),
    Ref(L"iWellplateconfigKeyRef", g_QeProjectDbFk_wellplateconfiguration, kIndex),
    Naming(L"wszCompany"),
    Naming(L"wszType"),
    Naming(L"wszModel"),
    Int32(L"iUserImported"),
    Int32(L"iRemoved"),
    Ref(L"iWellplatenameKeyRef", g_QeProjectDbFk_wellplatename, kIndex)};
const wchar_t* const wellplatename_unique[] = {L"wszUuid", L"wszCompany", L"wszType", L"wszModel"};

const SQeSqliteColDef dishconfiguration_cols[] = {Key(),
                                                  Text(L"wszUuid", kUniqueIndex),
                                                  Double(L"stickerL"),
                                                  Double(L"stickerT"),
                                                  Double(L"stickerR"),
                                                  Double(L"stickerB"),
                                                  Blob(L"layoutelement"),
                                                  Blob(L"surroundarea")};
const wchar_t* const dishconfiguration_unique[] = {L"wszUuid"};

const SQeSqliteColDef dishname_cols[] = {
    Key(),
    Text(L"wszUuid", kUniqueIndex),
    Ref(L"iDishKeyRef", g_QeProjectDbFk_dishconfiguration, kIndex),
    Naming(L"wszCompany"),
    Naming(L"wszType"),
    Naming(L"wszModel"),
    Int32(L"iUserImported"),
    Int32(L"iRemoved")};
const wchar_t* const dishname_unique[] = {L"wszUuid", L"wszCompany", L"wszType", L"wszModel"};

const SQeSqliteColDef slidedef_cols[] = {Key(),
                                         Text(L"wszUuid", kUniqueIndex),
                                         Double(L"stickerL"),
                                         Double(L"stickerT"),
                                         Double(L"stickerR"),
                                         Double(L"stickerB"),
                                         Blob(L"layoutelement"),
                                         Blob(L"surroundarea"),
                                         Naming(L"wszCompany"),
                                         Naming(L"wszType"),
                                         Naming(L"wszModel"),
                                         Int32(L"iUserImported"),
                                         Int32(L"iRemoved")};
const wchar_t* const slidedef_unique[] = {L"wszUuid", L"wszCompany", L"wszType", L"wszModel"};
}  // namespace

QE_SCHEMA_TABLE_UNIQUE(wellplateconfiguration);
QE_SCHEMA_TABLE_UNIQUE(wellplatename);
QE_SCHEMA_TABLE_UNIQUE(dishconfiguration);
QE_SCHEMA_TABLE_UNIQUE(dishname);
QE_SCHEMA_TABLE_UNIQUE(slidedef);
