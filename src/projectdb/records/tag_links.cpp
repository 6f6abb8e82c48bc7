// Tags of projects and of job definitions.
#include "qe/projectdb/records/tag_links.h"

#include <array>
#include <vector>

#include "projectdb/records/batch_insert.h"
#include "projectdb/records/record_access.h"
#include "qe/projectdb/schema.h"
#include "qe/sqlite/connection.h"
#include "qe/sqlite/sql_text.h"

namespace {

using namespace qe::projectdb;

std::array<CQeSqliteOut, 3> OutputsOf(SQeProjectDbRow_projtag& row) {
  return {&row.iKey, &row.iProjKeyRef, &row.iTagdefKeyRef};
}
std::array<CQeSqliteValue, 2> ValuesOf(const SQeProjectDbRow_projtag& row) {
  return {row.iProjKeyRef, row.iTagdefKeyRef};
}

std::array<CQeSqliteOut, 3> OutputsOf(SQeProjectDbRow_jobdeftag& row) {
  return {&row.iKey, &row.iJobdefKeyRef, &row.iTagdefKeyRef};
}
std::array<CQeSqliteValue, 2> ValuesOf(const SQeProjectDbRow_jobdeftag& row) {
  return {row.iJobdefKeyRef, row.iTagdefKeyRef};
}

// The condition "<table>.<column>=<key>".
CQeStringW KeyIs(const SQeSqliteTableDef& table, const wchar_t* column, int64_t key) {
  return QeSqlite_FormatSql(L"%s.%s=%I64d", table.wszName, column, key);
}

template <typename Row>
int GetMany(uint32_t handle, const SQeSqliteTableDef& table, const wchar_t* column, int64_t key,
            std::vector<Row>& rows) {
  return SelectAppend(DbOf(handle), table, KeyIs(table, column, key), rows,
                      [](Row& row) { return OutputsOf(row); });
}

template <typename Row>
int InsertMany(uint32_t handle, const SQeSqliteTableDef& table, std::vector<Row>& rows) {
  return BatchInsert(DbOf(handle), table, rows, [](const Row& row) { return ValuesOf(row); });
}

int DeleteMany(uint32_t handle, const SQeSqliteTableDef& table, const wchar_t* column,
               int64_t key) {
  return QeSqlite_Execute(DbOf(handle),
                          QeSqlite_FormatSql(L"DELETE FROM %s WHERE %s.%s=%I64d;", table.wszName,
                                             table.wszName, column, key),
                          nullptr, false);
}

const SQeSqliteTableDef& kProjtag = g_QeProjectDbTable_projtag;
const SQeSqliteTableDef& kJobdeftag = g_QeProjectDbTable_jobdeftag;

}  // namespace

int QeProjectDb_Projtag_Insert(uint32_t handle, int64_t projKey, int64_t tagdefKey,
                               int64_t* outKey) {
  return InsertOne(DbOf(handle), kProjtag, ValuesOf(SQeProjectDbRow_projtag(0, projKey, tagdefKey)),
                   outKey);
}

int QeProjectDb_Projtag_InsertMany(uint32_t handle, std::vector<SQeProjectDbRow_projtag>& rows) {
  return InsertMany(handle, kProjtag, rows);
}

int QeProjectDb_Projtag_GetManyTags(uint32_t handle, int64_t projKey,
                                    std::vector<SQeProjectDbRow_projtag>& rows) {
  return GetMany(handle, kProjtag, L"iProjKeyRef", projKey, rows);
}

int QeProjectDb_Projtag_GetManyProjs(uint32_t handle, int64_t tagdefKey,
                                     std::vector<SQeProjectDbRow_projtag>& rows) {
  return GetMany(handle, kProjtag, L"iTagdefKeyRef", tagdefKey, rows);
}

int QeProjectDb_Projtag_DeleteMany(uint32_t handle, int64_t projKey) {
  return DeleteMany(handle, kProjtag, L"iProjKeyRef", projKey);
}

int QeProjectDb_Jobdeftag_Insert(uint32_t handle, int64_t jobdefKey, int64_t tagdefKey,
                                 int64_t* outKey) {
  return InsertOne(DbOf(handle), kJobdeftag,
                   ValuesOf(SQeProjectDbRow_jobdeftag(0, jobdefKey, tagdefKey)), outKey);
}

int QeProjectDb_Jobdeftag_InsertMany(uint32_t handle,
                                     std::vector<SQeProjectDbRow_jobdeftag>& rows) {
  return InsertMany(handle, kJobdeftag, rows);
}

int QeProjectDb_Jobdeftag_GetManyTags(uint32_t handle, int64_t jobdefKey,
                                      std::vector<SQeProjectDbRow_jobdeftag>& rows) {
  return GetMany(handle, kJobdeftag, L"iJobdefKeyRef", jobdefKey, rows);
}

int QeProjectDb_Jobdeftag_GetManyJobdefs(uint32_t handle, int64_t tagdefKey,
                                         std::vector<SQeProjectDbRow_jobdeftag>& rows) {
  return GetMany(handle, kJobdeftag, L"iTagdefKeyRef", tagdefKey, rows);
}

int QeProjectDb_Jobdeftag_DeleteMany(uint32_t handle, int64_t jobdefKey) {
  return DeleteMany(handle, kJobdeftag, L"iJobdefKeyRef", jobdefKey);
}
