// Tables of versions, options, projects, job definitions and the file's
// identity.
#include "projectdb/schema/schema_builders.h"

namespace {
using namespace qe::schema;

const SQeSqliteColDef vesion_cols[] = {Key(), Text(L"wszName"), Int64(L"iVersion")};

const SQeSqliteColDef settings_cols[] = {Key(), Text(L"wszName", kIndex), Text(L"wszType"),
                                         Text(L"varValue")};
const wchar_t* const settings_unique[] = {L"wszName", L"wszType"};

const SQeSqliteColDef project_cols[] = {Key(),
                                        Double(L"dCTime"),
                                        Double(L"dMTime"),
                                        Text(L"wszUuid"),
                                        Text(L"wszName"),
                                        Text(L"wszDesc"),
                                        Text(L"wszFolderName")};
const wchar_t* const project_unique[] = {L"wszUuid"};

const SQeSqliteColDef jobdef_cols[] = {Key(),
                                       Ref(L"iProjKeyRef", g_QeProjectDbFk_project, kIndex),
                                       Int32(L"iDefType"),
                                       Int32(L"iState"),
                                       Int32(L"iProgress"),
                                       Double(L"dCTime"),
                                       Double(L"dMTime"),
                                       Text(L"wszUuid"),
                                       Text(L"wszName"),
                                       Text(L"wszDesc")};
const wchar_t* const jobdef_unique[] = {L"wszUuid"};

const SQeSqliteColDef deposit_cols[] = {Key(),
                                        Ref(L"iJobdefKeyRef", g_QeProjectDbFk_jobdef, kIndex),
                                        Double(L"dCTime"),
                                        Double(L"dMTime"),
                                        Text(L"wszUuid"),
                                        Blob(L"pData")};
const wchar_t* const deposit_unique[] = {L"wszUuid"};

const SQeSqliteColDef toolbarjobdef_cols[] = {
    Key(), Ref(L"iJobdefKeyRef", g_QeProjectDbFk_jobdef, kUniqueIndex)};
const wchar_t* const toolbarjobdef_unique[] = {L"iJobdefKeyRef"};

const SQeSqliteColDef tasklistjobdef_cols[] = {
    Key(), Ref(L"iJobdefKeyRef", g_QeProjectDbFk_jobdef, kUniqueIndex)};
const wchar_t* const tasklistjobdef_unique[] = {L"iJobdefKeyRef"};

const SQeSqliteColDef dbinfo_cols[] = {Key(), Text(L"wszName", kUniqueIndex),
                                       Text(L"wszUuid", kUniqueIndex)};
const wchar_t* const dbinfo_unique[] = {L"wszUuid"};
}  // namespace

QE_SCHEMA_TABLE(vesion);
QE_SCHEMA_TABLE_UNIQUE(settings);
QE_SCHEMA_TABLE_UNIQUE(project);
QE_SCHEMA_TABLE_UNIQUE(jobdef);
QE_SCHEMA_TABLE_UNIQUE(deposit);
QE_SCHEMA_TABLE_UNIQUE(toolbarjobdef);
QE_SCHEMA_TABLE_UNIQUE(tasklistjobdef);
QE_SCHEMA_TABLE_UNIQUE(dbinfo);
