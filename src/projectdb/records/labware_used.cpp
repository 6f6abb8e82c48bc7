// The plates, slides and wells a job run used.
#include "qe/projectdb/records/labware_used.h"

#include <array>

#include "projectdb/records/batch_insert.h"
#include "projectdb/records/record_access.h"
#include "qe/projectdb/schema.h"
#include "qe/sqlite/cmd.h"
#include "qe/sqlite/null_values.h"
#include "qe/sqlite/sql_text.h"

namespace {

using namespace qe::projectdb;

const SQeSqliteTableDef& kPlates = g_QeProjectDbTable_plateinfo;
const SQeSqliteTableDef& kSlides = g_QeProjectDbTable_slideinfo;
const SQeSqliteTableDef& kWells = g_QeProjectDbTable_wellinfo;

// An empty name or barcode is stored as NULL.
CQeSqliteNullValueVector NameAndBarcodeNulls(const SQeSqliteTableDef& table) {
  return QeSqliteNullValueVector_Create(table, {{L"wszName", L""}, {L"wszBarcode", L""}});
}

std::array<CQeSqliteOut, 6> OutputsOf(SQeProjectDbRow_plateinfo& row) {
  return {&row.iKey,    &row.iJobrunKeyRef, &row.iWellplatenameKeyRef,
          &row.wszName, &row.wszBarcode,    &row.wszDesc};
}

std::array<CQeSqliteValue, 5> ValuesOf(const SQeProjectDbRow_plateinfo& row) {
  return {row.iJobrunKeyRef, row.iWellplatenameKeyRef, row.wszName, row.wszBarcode, row.wszDesc};
}

std::array<CQeSqliteOut, 5> OutputsOf(SQeProjectDbRow_slideinfo& row) {
  return {&row.iKey, &row.iJobrunKeyRef, &row.wszName, &row.wszBarcode, &row.wszDesc};
}

std::array<CQeSqliteValue, 4> ValuesOf(const SQeProjectDbRow_slideinfo& row) {
  return {row.iJobrunKeyRef, row.wszName, row.wszBarcode, row.wszDesc};
}

std::array<CQeSqliteValue, 3> ValuesOf(const SQeProjectDbRow_wellinfo& row) {
  return {row.iJobrunKeyRef, row.iWellIndex, row.wszName};
}

CQeStringW RunCondition(const SQeSqliteTableDef& table, int64_t jobrunKey) {
  return QeSqlite_FormatSql(L"%s.%s=%I64d", table.wszName, L"iJobrunKeyRef", jobrunKey);
}

}  // namespace

int QeProjectDb_Plateinfo_Insert(uint32_t h, int64_t jobrunKey, int64_t wellplatenameKey,
                                 const CQeStringW& name, const CQeStringW& barcode,
                                 const CQeStringW& desc, int64_t* outKey) {
  const CQeSqliteNullValueVector nulls = NameAndBarcodeNulls(kPlates);
  return InsertOne(
      DbOf(h), kPlates,
      ValuesOf(SQeProjectDbRow_plateinfo(0, jobrunKey, wellplatenameKey, name, barcode, desc)),
      outKey, &nulls);
}

int QeProjectDb_Plateinfo_InsertMany(uint32_t h, std::vector<SQeProjectDbRow_plateinfo>& rows) {
  const CQeSqliteNullValueVector nulls = NameAndBarcodeNulls(kPlates);
  return BatchInsert(
      DbOf(h), kPlates, rows, [](const SQeProjectDbRow_plateinfo& row) { return ValuesOf(row); },
      &nulls);
}

int QeProjectDb_Plateinfo_GetOne(uint32_t h, int64_t key, SQeProjectDbRow_plateinfo& row) {
  return SelectOne(DbOf(h), kPlates, key, row,
                   [](SQeProjectDbRow_plateinfo& r) { return OutputsOf(r); });
}

int QeProjectDb_Plateinfo_GetMany(uint32_t h, int64_t jobrunKey,
                                  std::vector<SQeProjectDbRow_plateinfo>& rows) {
  return SelectAppend(DbOf(h), kPlates, RunCondition(kPlates, jobrunKey), rows,
                      [](SQeProjectDbRow_plateinfo& r) { return OutputsOf(r); });
}

bool QeProjectDb_Plateinfo_Exists(uint32_t h, const CQeStringW& uuid) {
  const wchar_t* p = kPlates.wszName;
  const wchar_t* n = g_QeProjectDbTable_wellplatename.wszName;
  CQeSqliteCmd cmd(
      DbOf(h),
      QeSqlite_FormatSql(L"SELECT 1 FROM %s INNER JOIN %s ON %s.%s=%s.%s WHERE %s.%s='%s' LIMIT 1;",
                         p, n, p, L"iWellplatenameKeyRef", n, L"iKey", n, L"wszUuid",
                         QeSqlite_EscapeText(uuid)));
  return cmd.Next();
}

int QeProjectDb_Slideinfo_Insert(uint32_t h, int64_t jobrunKey, const CQeStringW& name,
                                 const CQeStringW& barcode, const CQeStringW& desc,
                                 int64_t* outKey) {
  const CQeSqliteNullValueVector nulls = NameAndBarcodeNulls(kSlides);
  return InsertOne(DbOf(h), kSlides,
                   ValuesOf(SQeProjectDbRow_slideinfo(0, jobrunKey, name, barcode, desc)), outKey,
                   &nulls);
}

int QeProjectDb_Slideinfo_InsertMany(uint32_t h, std::vector<SQeProjectDbRow_slideinfo>& rows) {
  const CQeSqliteNullValueVector nulls = NameAndBarcodeNulls(kSlides);
  return BatchInsert(
      DbOf(h), kSlides, rows, [](const SQeProjectDbRow_slideinfo& row) { return ValuesOf(row); },
      &nulls);
}

int QeProjectDb_Slideinfo_GetOne(uint32_t h, int64_t key, SQeProjectDbRow_slideinfo& row) {
  return SelectOne(DbOf(h), kSlides, key, row,
                   [](SQeProjectDbRow_slideinfo& r) { return OutputsOf(r); });
}

int QeProjectDb_Slideinfo_GetMany(uint32_t h, int64_t jobrunKey,
                                  std::vector<SQeProjectDbRow_slideinfo>& rows) {
  return SelectAppend(DbOf(h), kSlides, RunCondition(kSlides, jobrunKey), rows,
                      [](SQeProjectDbRow_slideinfo& r) { return OutputsOf(r); });
}

int QeProjectDb_Slideinfo_UpdateBarcode(uint32_t h, int64_t key, const CQeStringW& barcode) {
  const wchar_t* t = kSlides.wszName;
  const CQeStringW sql =
      barcode.IsEmpty()
          ? QeSqlite_FormatSql(L"UPDATE %s SET %s=NULL WHERE %s=%I64d", t, L"wszBarcode", L"iKey",
                               key)
          : QeSqlite_FormatSql(L"UPDATE %s SET %s='%s' WHERE %s=%I64d", t, L"wszBarcode",
                               QeSqlite_EscapeText(barcode), L"iKey", key);
  CQeSqliteCmd cmd(DbOf(h), sql);
  cmd.Execute();
  return cmd.Result();
}

int QeProjectDb_Wellinfo_Insert(uint32_t h, int64_t jobrunKey, int32_t wellIndex,
                                const CQeStringW& name, int64_t* outKey) {
  const CQeSqliteNullValueVector nulls =
      QeSqliteNullValueVector_Create(kWells, {{L"wszName", L""}});
  return InsertOne(DbOf(h), kWells,
                   ValuesOf(SQeProjectDbRow_wellinfo(0, jobrunKey, wellIndex, name)), outKey,
                   &nulls);
}

int QeProjectDb_Wellinfo_InsertMany(uint32_t h, std::vector<SQeProjectDbRow_wellinfo>& rows) {
  const CQeSqliteNullValueVector nulls =
      QeSqliteNullValueVector_Create(kWells, {{L"wszName", L""}});
  return BatchInsert(
      DbOf(h), kWells, rows, [](const SQeProjectDbRow_wellinfo& row) { return ValuesOf(row); },
      &nulls);
}
