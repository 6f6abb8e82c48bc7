// Frame rows of a run.
#include "qe/projectdb/records/frame.h"

#include <array>

#include "projectdb/records/record_access.h"
#include "qe/projectdb/schema.h"
#include "qe/sqlite/null_values.h"
#include "qe/sqlite/update_delete.h"

namespace {

using namespace qe::projectdb;

const SQeSqliteTableDef& kTable = g_QeProjectDbTable_frame;

// A frame without a producing task or a file stores NULL there.
const CQeSqliteNullValueVector& NoTaskNoFile() {
  static const CQeSqliteNullValueVector nulls =
      QeSqliteNullValueVector_Create(kTable, 2, L"iJobtaskKeyRef", 0, L"iFileKeyRef", 0);
  return nulls;
}

int Insert(uint32_t handle, const CQeStringW& conflict, int64_t jobrunKey, int64_t jobtaskKey,
           int32_t frameIndex, double cTime, int64_t fileKey, int32_t fileFrameIndex,
           int64_t* outKey) {
  const std::array<CQeSqliteValue, 6> values{jobrunKey, jobtaskKey, frameIndex,
                                             cTime,     fileKey,    fileFrameIndex};
  return InsertOne(DbOf(handle), kTable, values, outKey, &NoTaskNoFile(), conflict);
}

}  // namespace

int QeProjectDb_Frame_Insert(uint32_t handle, int64_t jobrunKey, int64_t jobtaskKey,
                             int32_t frameIndex, double cTime, int64_t fileKey,
                             int32_t fileFrameIndex, int64_t* outKey) {
  return Insert(handle, CQeStringW(), jobrunKey, jobtaskKey, frameIndex, cTime, fileKey,
                fileFrameIndex, outKey);
}

int QeProjectDb_Frame_InsertOrIgnore(uint32_t handle, int64_t jobrunKey, int64_t jobtaskKey,
                                     int32_t frameIndex, double cTime, int64_t fileKey,
                                     int32_t fileFrameIndex, int64_t* outKey) {
  return Insert(handle, L"OR IGNORE", jobrunKey, jobtaskKey, frameIndex, cTime, fileKey,
                fileFrameIndex, outKey);
}

int QeProjectDb_Frame_InsertOrReplace(uint32_t handle, int64_t jobrunKey, int64_t jobtaskKey,
                                      int32_t frameIndex, double cTime, int64_t fileKey,
                                      int32_t fileFrameIndex, int64_t* outKey) {
  return Insert(handle, L"OR REPLACE", jobrunKey, jobtaskKey, frameIndex, cTime, fileKey,
                fileFrameIndex, outKey);
}

int QeProjectDb_Frame_Update(uint32_t handle, int64_t key, int64_t jobrunKey, int64_t jobtaskKey,
                             int32_t frameIndex, double cTime, int64_t fileKey,
                             int32_t fileFrameIndex) {
  CQeSqliteUpdate update(DbOf(handle), kTable,
                         {L"iJobrunKeyRef", L"iJobtaskKeyRef", L"iFrameIndex", L"dCTime",
                          L"iFileKeyRef", L"iFileFrameIndex"});
  return update.Row(key, NoTaskNoFile(),
                    {jobrunKey, jobtaskKey, frameIndex, cTime, fileKey, fileFrameIndex});
}
