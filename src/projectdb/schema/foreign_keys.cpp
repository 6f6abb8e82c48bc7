// Foreign-key records of the schema: one per referenced table and delete
// rule, shared by every column that uses it.
#include "qe/projectdb/schema.h"

namespace {
constexpr const wchar_t* kKey = L"iKey";
constexpr const wchar_t* kCascade = L"ON DELETE CASCADE";
constexpr const wchar_t* kSetNull = L"ON DELETE SET NULL";
constexpr const wchar_t* kUpdate = L"ON UPDATE CASCADE";
}  // namespace

constinit const SQeSqliteForeignKeyDef g_QeProjectDbFk_project = {L"project", kKey, kCascade,
                                                                  kUpdate};
constinit const SQeSqliteForeignKeyDef g_QeProjectDbFk_jobdef = {L"jobdef", kKey, kCascade,
                                                                 kUpdate};
constinit const SQeSqliteForeignKeyDef g_QeProjectDbFk_jobprogram = {L"jobprogram", kKey, kCascade,
                                                                     kUpdate};
// Tasks outlive the program they were written for: deleting a program only
// clears their reference.
constinit const SQeSqliteForeignKeyDef g_QeProjectDbFk_jobprogram_SetNull = {L"jobprogram", kKey,
                                                                             kSetNull, kUpdate};
constinit const SQeSqliteForeignKeyDef g_QeProjectDbFk_jobtask = {L"jobtask", kKey, kCascade,
                                                                  kUpdate};
constinit const SQeSqliteForeignKeyDef g_QeProjectDbFk_jobrun = {L"jobrun", kKey, kCascade,
                                                                 kUpdate};
constinit const SQeSqliteForeignKeyDef g_QeProjectDbFk_runloop = {L"runloop", kKey, kCascade,
                                                                  kUpdate};
constinit const SQeSqliteForeignKeyDef g_QeProjectDbFk_file = {L"file", kKey, kCascade, kUpdate};
constinit const SQeSqliteForeignKeyDef g_QeProjectDbFk_propdef = {L"propdef", kKey, kCascade,
                                                                  kUpdate};
constinit const SQeSqliteForeignKeyDef g_QeProjectDbFk_assayrun = {L"assayrun", kKey, kCascade,
                                                                   kUpdate};
constinit const SQeSqliteForeignKeyDef g_QeProjectDbFk_tagdef = {L"tagdef", kKey, kCascade,
                                                                 kUpdate};
constinit const SQeSqliteForeignKeyDef g_QeProjectDbFk_wellplateconfiguration = {
    L"wellplateconfiguration", kKey, kCascade, kUpdate};
constinit const SQeSqliteForeignKeyDef g_QeProjectDbFk_wellplatename = {L"wellplatename", kKey,
                                                                        kCascade, kUpdate};
constinit const SQeSqliteForeignKeyDef g_QeProjectDbFk_dishconfiguration = {
    L"dishconfiguration", kKey, kCascade, kUpdate};
constinit const SQeSqliteForeignKeyDef g_QeProjectDbFk_plateinfo = {L"plateinfo", kKey, kCascade,
                                                                    kUpdate};
constinit const SQeSqliteForeignKeyDef g_QeProjectDbFk_wellinfo = {L"wellinfo", kKey, kCascade,
                                                                   kUpdate};
constinit const SQeSqliteForeignKeyDef g_QeProjectDbFk_binlayer = {L"binlayer", kKey, kCascade,
                                                                   kUpdate};
constinit const SQeSqliteForeignKeyDef g_QeProjectDbFk_binframe = {L"binframe", kKey, kCascade,
                                                                   kUpdate};
constinit const SQeSqliteForeignKeyDef g_QeProjectDbFk_binobj = {L"binobj", kKey, kCascade,
                                                                 kUpdate};
constinit const SQeSqliteForeignKeyDef g_QeProjectDbFk_trace = {L"trace", kKey, kCascade, kUpdate};
constinit const SQeSqliteForeignKeyDef g_QeProjectDbFk_slideinfo = {L"slideinfo", kKey, kCascade,
                                                                    kUpdate};
constinit const SQeSqliteForeignKeyDef g_QeProjectDbFk_jobpropdef = {L"jobpropdef", kKey, kCascade,
                                                                     kUpdate};
constinit const SQeSqliteForeignKeyDef g_QeProjectDbFk_jobuser = {L"jobuser", kKey, kCascade,
                                                                  kUpdate};
