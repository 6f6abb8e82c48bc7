// Frame tags and the plate, well and slide of each frame.
#include "qe/projectdb/records/frame_links.h"

#include <array>
#include <vector>

#include "projectdb/records/batch_insert.h"
#include "projectdb/records/record_access.h"
#include "qe/projectdb/schema.h"
#include "qe/sqlite/update_delete.h"

namespace {

using namespace qe::projectdb;

std::array<CQeSqliteValue, 3> ValuesOf(const SQeProjectDbRow_frametag& row) {
  return {row.iJobrunKeyRef, row.iTagdefKeyRef, row.iFrameIndex};
}
std::array<CQeSqliteValue, 3> ValuesOf(const SQeProjectDbRow_frameplateinfo& row) {
  return {row.iJobrunKeyRef, row.iPlateinfoKeyRef, row.iFrameIndex};
}
std::array<CQeSqliteValue, 3> ValuesOf(const SQeProjectDbRow_framewellinfo& row) {
  return {row.iJobrunKeyRef, row.iWellinfoKeyRef, row.iFrameIndex};
}
std::array<CQeSqliteValue, 3> ValuesOf(const SQeProjectDbRow_frameslideinfo& row) {
  return {row.iJobrunKeyRef, row.iSlideinfoKeyRef, row.iFrameIndex};
}

template <typename Row>
int InsertOneLink(uint32_t handle, const SQeSqliteTableDef& table, const Row& row,
                  int64_t* outKey) {
  return InsertOne(DbOf(handle), table, ValuesOf(row), outKey);
}

template <typename Row>
int InsertManyLinks(uint32_t handle, const SQeSqliteTableDef& table, std::vector<Row>& rows,
                    const CQeStringW& conflict = CQeStringW()) {
  return BatchInsert(
      DbOf(handle), table, rows, [](const Row& row) { return ValuesOf(row); }, nullptr, {},
      conflict);
}

}  // namespace

int QeProjectDb_Frametag_Insert(uint32_t handle, int64_t jobrunKey, int64_t tagdefKey,
                                int32_t frameIndex, int64_t* outKey) {
  return InsertOneLink(handle, g_QeProjectDbTable_frametag,
                       SQeProjectDbRow_frametag(0, jobrunKey, tagdefKey, frameIndex), outKey);
}

int QeProjectDb_Frametag_InsertMany(uint32_t handle, std::vector<SQeProjectDbRow_frametag>& rows) {
  return InsertManyLinks(handle, g_QeProjectDbTable_frametag, rows);
}

int QeProjectDb_Frametag_InsertOrIgnoreMany(uint32_t handle,
                                            std::vector<SQeProjectDbRow_frametag>& rows) {
  return InsertManyLinks(handle, g_QeProjectDbTable_frametag, rows, L"OR IGNORE");
}

int QeProjectDb_Frametag_RemoveMany(uint32_t handle,
                                    const std::vector<SQeProjectDbRow_frametag>& rows) {
  CQeSqliteDelete remove(DbOf(handle), g_QeProjectDbTable_frametag,
                         {L"iJobrunKeyRef", L"iTagdefKeyRef", L"iFrameIndex"});
  for (const SQeProjectDbRow_frametag& row : rows) {
    remove.Row({row.iJobrunKeyRef, row.iTagdefKeyRef, row.iFrameIndex});
  }
  return remove.Result();
}

int QeProjectDb_Frameplateinfo_Insert(uint32_t handle, int64_t jobrunKey, int64_t plateinfoKey,
                                      int32_t frameIndex, int64_t* outKey) {
  return InsertOneLink(handle, g_QeProjectDbTable_frameplateinfo,
                       SQeProjectDbRow_frameplateinfo(0, jobrunKey, plateinfoKey, frameIndex),
                       outKey);
}

int QeProjectDb_Frameplateinfo_InsertMany(uint32_t handle,
                                          std::vector<SQeProjectDbRow_frameplateinfo>& rows) {
  return InsertManyLinks(handle, g_QeProjectDbTable_frameplateinfo, rows);
}

int QeProjectDb_Framewellinfo_Insert(uint32_t handle, int64_t jobrunKey, int64_t wellinfoKey,
                                     int32_t frameIndex, int64_t* outKey) {
  return InsertOneLink(handle, g_QeProjectDbTable_framewellinfo,
                       SQeProjectDbRow_framewellinfo(0, jobrunKey, wellinfoKey, frameIndex),
                       outKey);
}

int QeProjectDb_Framewellinfo_InsertMany(uint32_t handle,
                                         std::vector<SQeProjectDbRow_framewellinfo>& rows) {
  return InsertManyLinks(handle, g_QeProjectDbTable_framewellinfo, rows);
}

int QeProjectDb_Frameslideinfo_Insert(uint32_t handle, int64_t jobrunKey, int64_t slideinfoKey,
                                      int32_t frameIndex, int64_t* outKey) {
  return InsertOneLink(handle, g_QeProjectDbTable_frameslideinfo,
                       SQeProjectDbRow_frameslideinfo(0, jobrunKey, slideinfoKey, frameIndex),
                       outKey);
}

int QeProjectDb_Frameslideinfo_InsertMany(uint32_t handle,
                                          std::vector<SQeProjectDbRow_frameslideinfo>& rows) {
  return InsertManyLinks(handle, g_QeProjectDbTable_frameslideinfo, rows);
}
