// Table and column names of the thumbnail database, taken from its
// table-definition records, for the SQL templates of this subsystem.
#pragma once

#include "qe/thumbdb/thumb_tables.h"

namespace qe::thumbdb {

// Column positions in the definitions of thumb_tables.cpp.
enum EVesionColumn { kVesionKey = 0, kVesionName = 1, kVesionVersion = 2 };
enum EJobrunuuidColumn { kJobrunuuidKey = 0, kJobrunuuidUuid = 1 };
enum EFrameColumn {
  kFrameKey = 0,
  kFrameJobrunuuidRef = 1,
  kFrameIndex = 2,
  kFrameFileSeqIndex = 3,
  kFrameCTime = 4,
  kFrameLoadResult = 5,
};
enum EThumbnailColumn {
  kThumbnailKey = 0,
  kThumbnailFrameRef = 1,
  kThumbnailSize = 2,
  kThumbnailData = 3
};

inline const wchar_t* TableName(const SQeSqliteTableDef& table) { return table.wszName; }
inline const wchar_t* ColumnName(const SQeSqliteTableDef& table, int column) {
  return table.pColumns[column].wszName;
}

// SQLITE_BUSY and SQLITE_LOCKED: the statuses that are waited out and retried.
inline bool IsBusyOrLocked(int status) { return status == 5 || status == 6; }

}  // namespace qe::thumbdb
