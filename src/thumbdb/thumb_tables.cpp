// The table-definition records of the thumbnail database. Unlike the project
// database, the two reference columns have no index of their own.
#include "qe/thumbdb/thumb_tables.h"

namespace {

constexpr const wchar_t* kAbort = L"ON CONFLICT ABORT";

constexpr SQeSqliteColDef Key() {
  return {eQeSqliteKeyPrimary,
          eQeSqliteInt64,
          eQeSqliteIndexUnique,
          L"iKey",
          nullptr,
          nullptr,
          nullptr};
}
constexpr SQeSqliteColDef Col(EQeSqliteValueType type, const wchar_t* name) {
  return {eQeSqliteKeyPlain, type, eQeSqliteIndexNone, name, nullptr, nullptr, nullptr};
}
constexpr SQeSqliteColDef Ref(const wchar_t* name, const SQeSqliteForeignKeyDef& target) {
  return {eQeSqliteKeyForeign, eQeSqliteInt64, eQeSqliteIndexNone, name, &target, nullptr, nullptr};
}

constexpr SQeSqliteForeignKeyDef kFkJobrunuuid{L"jobrunuuid", L"iKey", L"ON DELETE CASCADE",
                                               L"ON UPDATE CASCADE"};
constexpr SQeSqliteForeignKeyDef kFkFrame{L"frame", L"iKey", L"ON DELETE CASCADE",
                                          L"ON UPDATE CASCADE"};

constexpr SQeSqliteColDef kVesionCols[] = {Key(), Col(eQeSqliteText, L"wszName"),
                                           Col(eQeSqliteInt64, L"iVersion")};

constexpr SQeSqliteColDef kJobrunuuidCols[] = {Key(), Col(eQeSqliteText, L"wszJobrunUuid")};
constexpr const wchar_t* kJobrunuuidUnique[] = {L"wszJobrunUuid"};

constexpr SQeSqliteColDef kFrameCols[] = {Key(),
                                          Ref(L"iJobrunuuidKeyRef", kFkJobrunuuid),
                                          Col(eQeSqliteInt32, L"iFrameIndex"),
                                          Col(eQeSqliteInt32, L"iFileSeqIndex"),
                                          Col(eQeSqliteDouble, L"dCTime"),
                                          Col(eQeSqliteInt32, L"iLoadResult")};
constexpr const wchar_t* kFrameUnique[] = {L"iJobrunuuidKeyRef", L"iFrameIndex"};

constexpr SQeSqliteColDef kThumbnailCols[] = {Key(), Ref(L"iFrameKeyRef", kFkFrame),
                                              Col(eQeSqliteInt32, L"iSize"),
                                              Col(eQeSqliteBlob, L"pData")};
constexpr const wchar_t* kThumbnailUnique[] = {L"iFrameKeyRef", L"iSize"};

template <typename T, unsigned N>
constexpr unsigned Count(const T (&)[N]) {
  return N;
}

}  // namespace

const SQeSqliteTableDef g_QeThumbDbTable_vesion{
    L"vesion", Count(kVesionCols), kVesionCols, 0, nullptr, nullptr};
const SQeSqliteTableDef g_QeThumbDbTable_jobrunuuid{L"jobrunuuid",     Count(kJobrunuuidCols),
                                                    kJobrunuuidCols,   Count(kJobrunuuidUnique),
                                                    kJobrunuuidUnique, kAbort};
const SQeSqliteTableDef g_QeThumbDbTable_frame{
    L"frame", Count(kFrameCols), kFrameCols, Count(kFrameUnique), kFrameUnique, kAbort};
const SQeSqliteTableDef g_QeThumbDbTable_thumbnail{L"thumbnail",     Count(kThumbnailCols),
                                                   kThumbnailCols,   Count(kThumbnailUnique),
                                                   kThumbnailUnique, kAbort};

const SQeSqliteTableDef* const g_QeThumbDbTables[kQeThumbDbTableCount] = {
    &g_QeThumbDbTable_vesion, &g_QeThumbDbTable_jobrunuuid, &g_QeThumbDbTable_frame,
    &g_QeThumbDbTable_thumbnail};
