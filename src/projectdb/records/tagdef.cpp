#include "qe/projectdb/records/tagdef.h"

#include <array>

#include "projectdb/records/record_common.h"
#include "qe/projectdb/schema.h"
#include "qe/sqlite/connection.h"
#include "qe/sqlite/insert.h"
#include "qe/sqlite/null_values.h"
#include "qe/sqlite/select.h"
#include "qe/sqlite/sql_text.h"
#include "qe/sqlite/update_delete.h"

namespace {

using qe::projectdb::DbOf;

const SQeSqliteTableDef& Table() { return g_QeProjectDbTable_tagdef; }

std::array<CQeSqliteOut, 4> Outputs(SQeProjectDbRow_tagdef& row) {
  return {&row.iKey, &row.wszTagsetName, &row.wszName, &row.wszDesc};
}

// The empty set name is stored as NULL.
CQeSqliteNullValueVector SetNulls() {
  return QeSqliteNullValueVector_Create(Table(), 1, L"wszTagsetName", L"");
}

int64_t ReadKey(uint32_t h, const CQeStringW& sql) {
  return QeSqlite_ReadOneInt64(DbOf(h), sql, nullptr, 0);
}

}  // namespace

int QeProjectDb_Tagdef_Insert(uint32_t h, const CQeStringW& set, const CQeStringW& name,
                              const CQeStringW& desc, int64_t* outKey) {
  const CQeSqliteNullValueVector nulls = SetNulls();
  return qe::projectdb::InsertOne(DbOf(h), Table(), std::array<CQeSqliteValue, 3>{set, name, desc},
                                  outKey, &nulls);
}

int QeProjectDb_Tagdef_Update(uint32_t h, int64_t key, const CQeStringW& set,
                              const CQeStringW& name, const CQeStringW& desc) {
  CQeSqliteUpdate update(DbOf(h), Table(), {L"wszTagsetName", L"wszName", L"wszDesc"});
  return update.Row(key, SetNulls(), {set, name, desc});
}

int QeProjectDb_Tagdef_GetOne(uint32_t h, int64_t key, SQeProjectDbRow_tagdef& row) {
  CQeSqliteSelect select(DbOf(h), Table(), QeSqlite_FormatSql(L"%s=%I64d", L"iKey", key));
  return qe::projectdb::records::ReadOne(select, Outputs(row));
}

int64_t QeProjectDb_Tagdef_GetOne(uint32_t h, const CQeStringW& name) {
  const wchar_t* t = Table().wszName;
  return ReadKey(h, QeSqlite_FormatSql(L"SELECT %s.%s FROM %s WHERE %s.%s='%s';", t, L"iKey", t, t,
                                       L"wszName", QeSqlite_EscapeText(name)));
}

int QeProjectDb_Tagdef_GetOne(uint32_t h, const CQeStringW& set, int64_t key,
                              SQeProjectDbRow_tagdef& row) {
  const wchar_t* t = Table().wszName;
  CQeSqliteSelect select(DbOf(h), Table(),
                         QeSqlite_FormatSql(L"%s.%s='%s' AND %s.%s=%I64d", t, L"wszTagsetName",
                                            QeSqlite_EscapeText(set), t, L"iKey", key));
  return qe::projectdb::records::ReadOne(select, Outputs(row));
}

int64_t QeProjectDb_Tagdef_GetOne(uint32_t h, const CQeStringW& set, const CQeStringW& name) {
  const wchar_t* t = Table().wszName;
  return ReadKey(h, QeSqlite_FormatSql(L"SELECT %s.%s FROM %s WHERE %s.%s='%s' AND %s.%s='%s';", t,
                                       L"iKey", t, t, L"wszTagsetName", QeSqlite_EscapeText(set), t,
                                       L"wszName", QeSqlite_EscapeText(name)));
}

int QeProjectDb_Tagdef_GetAll(uint32_t h, std::vector<SQeProjectDbRow_tagdef>& rows) {
  CQeSqliteSelect select(DbOf(h), Table());
  return qe::projectdb::records::AppendRows(select, rows, Outputs);
}

int QeProjectDb_Tagdef_GetMany(uint32_t h, const CQeStringW& set,
                               std::vector<SQeProjectDbRow_tagdef>& rows) {
  CQeSqliteSelect select(DbOf(h), Table(),
                         QeSqlite_FormatSql(L"%s.%s='%s'", Table().wszName, L"wszTagsetName",
                                            QeSqlite_EscapeText(set)));
  return qe::projectdb::records::AppendRows(select, rows, Outputs);
}

int QeProjectDb_Tagdef_Delete(uint32_t h, int64_t key) {
  CQeSqliteDelete remove(DbOf(h), Table());
  return remove.Row(key);
}
