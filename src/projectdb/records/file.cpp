// Image file rows of a run.
#include "qe/projectdb/records/file.h"

#include <array>

#include "projectdb/records/record_access.h"
#include "qe/projectdb/schema.h"
#include "qe/sqlite/update_delete.h"

namespace {

using namespace qe::projectdb;

const SQeSqliteTableDef& kTable = g_QeProjectDbTable_file;

std::array<CQeSqliteOut, 9> OutputsOf(SQeProjectDbRow_file& row) {
  return {&row.iKey,    &row.iJobrunKeyRef, &row.wszFileName,       &row.iWidth,     &row.iHeight,
          &row.iPlanes, &row.iComponents,   &row.iBitsPerComponent, &row.iFrameCount};
}

}  // namespace

int QeProjectDb_File_Insert(uint32_t handle, int64_t jobrunKey, const CQeStringW& fileName,
                            int32_t width, int32_t height, int32_t planes, int32_t components,
                            int32_t bitsPerComponent, int32_t frameCount, int64_t* outKey) {
  const std::array<CQeSqliteValue, 8> values{
      jobrunKey, fileName, width, height, planes, components, bitsPerComponent, frameCount};
  return InsertOne(DbOf(handle), kTable, values, outKey);
}

int QeProjectDb_File_GetOne(uint32_t handle, int64_t key, SQeProjectDbRow_file& row) {
  return SelectOne(DbOf(handle), kTable, key, row, OutputsOf);
}

int QeProjectDb_File_Update(uint32_t handle, int64_t key, int32_t frameCount) {
  CQeSqliteUpdate update(DbOf(handle), kTable, {L"iFrameCount"});
  return update.Row(key, {frameCount});
}
