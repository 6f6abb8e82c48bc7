// Tables of users, pending uploads and the grouping of projects by user.
#include "projectdb/schema/schema_builders.h"

namespace {
using namespace qe::schema;

const SQeSqliteColDef jobuser_cols[] = {Key(), Text(L"wszUuid", kUniqueIndex),
                                        Text(L"wszUsername", kUniqueIndex), Text(L"wszPassword")};
const wchar_t* const jobuser_unique[] = {L"wszUuid"};

// iWszUuid and runState are texts despite their names.
const SQeSqliteColDef toupload_cols[] = {Key(),
                                         Text(L"iWszUuid", kUniqueIndex),
                                         Text(L"wszTablename"),
                                         Ref(L"iUserKeyRef", g_QeProjectDbFk_jobuser, kIndex),
                                         Int64(L"iUploadState", kIndex),
                                         Text(L"wszCloudUrl"),
                                         Text(L"runState")};
const wchar_t* const toupload_unique[] = {L"iWszUuid", L"iUserKeyRef"};

const SQeSqliteColDef project_user_grouping_cols[] = {
    Key(), Text(L"wszUsername", kIndex), Text(L"wszProjectUuid", kIndex),
    Ref(L"iUserKeyRef", g_QeProjectDbFk_jobuser, kIndex)};
const wchar_t* const project_user_grouping_unique[] = {L"wszUsername", L"wszProjectUuid"};
}  // namespace

QE_SCHEMA_TABLE_UNIQUE(jobuser);
QE_SCHEMA_TABLE_UNIQUE(toupload);
QE_SCHEMA_TABLE_UNIQUE(project_user_grouping);
