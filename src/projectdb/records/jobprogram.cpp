#include "qe/projectdb/records/jobprogram.h"

#include <array>
#include <map>

#include "projectdb/records/record_common.h"
#include "qe/core/lite_variant.h"
#include "qe/projectdb/schema.h"
#include "qe/sqlite/cmd.h"
#include "qe/sqlite/duplicate.h"
#include "qe/sqlite/insert.h"
#include "qe/sqlite/select.h"
#include "qe/sqlite/sql_text.h"

namespace {

using qe::projectdb::DbOf;

const SQeSqliteTableDef& Table() { return g_QeProjectDbTable_jobprogram; }

std::array<CQeSqliteOut, 4> Outputs(SQeProjectDbRow_jobprogram& row) {
  return {&row.iKey, &row.iJobdefKeyRef, &row.wszSummary, &row.pProperties};
}

// The stored blob of a program. found tells whether the program exists;
// the command's status is returned.
int ReadBlob(sqlite3* db, int64_t key, CQeByteArray& blob, bool& found) {
  CQeSqliteCmd cmd(db, QeSqlite_FormatSql(L"SELECT %s FROM %s WHERE %s=%I64d;", L"pProperties",
                                          Table().wszName, L"iKey", key));
  found = cmd.Next();
  if (found) blob = cmd.ColumnBytes(0);
  return cmd.Result();
}

}  // namespace

int QeProjectDb_Jobprogram_Insert(uint32_t h, int64_t jobdefKey, const CQeStringW& summary,
                                  int64_t* outKey) {
  return QeProjectDb_Jobprogram_Insert(h, jobdefKey, summary, nullptr, outKey);
}

int QeProjectDb_Jobprogram_Insert(uint32_t h, int64_t jobdefKey, const CQeStringW& summary,
                                  const CQeByteArray* properties, int64_t* outKey) {
  const CQeByteArray empty;
  return qe::projectdb::InsertOne(
      DbOf(h), Table(),
      std::array<CQeSqliteValue, 3>{jobdefKey, summary, properties ? *properties : empty}, outKey);
}

int QeProjectDb_Jobprogram_GetOne(uint32_t h, int64_t key, SQeProjectDbRow_jobprogram& row) {
  CQeSqliteSelect select(DbOf(h), Table(), QeSqlite_FormatSql(L"%s=%I64d", L"iKey", key));
  return qe::projectdb::records::ReadOne(select, Outputs(row));
}

int QeProjectDb_Jobprogram_GetLatest(uint32_t h, int64_t jobdefKey,
                                     SQeProjectDbRow_jobprogram& row) {
  CQeSqliteSelect select(DbOf(h), Table(),
                         QeSqlite_FormatSql(L"%s=%I64d ORDER BY %s DESC LIMIT 1", L"iJobdefKeyRef",
                                            jobdefKey, L"iKey"));
  return qe::projectdb::records::ReadOne(select, Outputs(row));
}

int QeProjectDb_Jobprogram_Duplicate(uint32_t h, int64_t key, int64_t* outKey) {
  CQeSqliteDuplicate duplicate(DbOf(h), Table(), std::map<CQeStringW, CQeStringW>(),
                               CQeStringW(L"iKey=?"));
  const int64_t newKey = duplicate.Row(key);
  if (duplicate.Result() != 0) return duplicate.Result();
  if (outKey) *outKey = newKey;
  return eQeOk;
}

int QeProjectDb_Jobprogram_GetProperty(uint32_t h, int64_t key, const CQeStringW& name,
                                       CQeStringW& value) {
  CQeByteArray blob(1024);
  bool found = false;
  const int status = ReadBlob(DbOf(h), key, blob, found);
  if (found && !name.IsEmpty()) {
    CQeLiteVariantR reader(blob);
    if (reader.LevelBegin(L"") == eQeOk) {
      if (!reader.IsValueSet(name)) return eQeNotFound;
      value = reader.Get(name, CQeStringW());
      return eQeOk;
    }
  }
  return status != 0 ? status : eQeNotFound;
}

int QeProjectDb_Jobprogram_InsertOrUpdateProperties(
    uint32_t h, int64_t key, const std::vector<SQeProjectDbRow_jobprogram::_property>& properties) {
  sqlite3* db = DbOf(h);
  CQeByteArray blob(1024);
  bool found = false;
  const int status = ReadBlob(db, key, blob, found);
  if (!found) return status != 0 ? status : eQeFailed;

  CQeLiteVariantW writer;
  if (writer.LevelBegin(L"") != eQeOk) return status != 0 ? status : eQeFailed;
  for (const auto& property : properties) {
    // A name the document cannot hold (longer than 65535 UTF-8 bytes) fails
    // the call rather than being dropped.
    if (!property.name.IsEmpty() &&
        writer.Set(property.value, property.name.GetString()) != eQeOk) {
      return eQeFailed;
    }
  }
  CQeLiteVariantR merged;
  if (writer.LevelEnd() != eQeOk || writer.Finalize(merged) != eQeOk) return eQeFailed;
  // The new pairs win over stored ones of the same name; all other stored
  // entries stay.
  const int mergeStatus = merged.Merge(CQeLiteVariantR(blob));
  if (mergeStatus != eQeOk) return mergeStatus;

  CQeSqliteCmd update(db, QeSqlite_FormatSql(L"UPDATE %s SET %s=? WHERE %s=%I64d;", Table().wszName,
                                             L"pProperties", L"iKey", key));
  update.Bind(1, merged.Data());
  update.Execute();
  return update.Result();
}

int QeProjectDb_Jobprogram_GetLatestTaskStateoOr(uint32_t h, int64_t jobdefKey, int& state) {
  sqlite3* db = DbOf(h);
  // The aggregate yields a row (0) even without programs; the job
  // definition's programs are looked up first so that state stays untouched
  // then.
  SQeProjectDbRow_jobprogram latest;
  CQeSqliteSelect select(db, Table(),
                         QeSqlite_FormatSql(L"%s=%I64d ORDER BY %s DESC LIMIT 1", L"iJobdefKeyRef",
                                            jobdefKey, L"iKey"));
  const bool hasProgram = select.Row({&latest.iKey, nullptr, nullptr, nullptr});
  if (!hasProgram) return select.Result();

  const wchar_t* task = g_QeProjectDbTable_jobtask.wszName;
  const wchar_t* program = Table().wszName;
  CQeSqliteCmd cmd(
      db, QeSqlite_FormatSql(L"SELECT bitwiseor(%s.%s) FROM %s WHERE %s.%s=(SELECT %s.%s FROM %s "
                             L"WHERE %s.%s=%I64d ORDER BY %s.%s DESC LIMIT 1);",
                             task, L"iState", task, task, L"iJobprogramKeyRef", program, L"iKey",
                             program, program, L"iJobdefKeyRef", jobdefKey, program, L"iKey"));
  if (cmd.Next()) state = cmd.ColumnInt(0);
  return cmd.Result();
}
