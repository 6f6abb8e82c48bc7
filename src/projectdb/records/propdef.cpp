#include "qe/projectdb/records/propdef.h"

#include <array>

#include "projectdb/records/record_common.h"
#include "qe/projectdb/schema.h"
#include "qe/sqlite/insert.h"
#include "qe/sqlite/select.h"
#include "qe/sqlite/sql_text.h"
#include "qe/sqlite/update_delete.h"

namespace {

using qe::projectdb::DbOf;

const SQeSqliteTableDef& Table() { return g_QeProjectDbTable_propdef; }

std::array<CQeSqliteOut, 5> Outputs(SQeProjectDbRow_propdef& row) {
  return {&row.iKey, &row.wszPropsetName, &row.wszName, &row.wszUnit, &row.wszDesc};
}

CQeStringW SetNameUnitCondition(const CQeStringW& set, const CQeStringW& name,
                                const CQeStringW& unit) {
  return QeSqlite_FormatSql(L"%s='%s' AND %s='%s' AND %s='%s'", L"wszPropsetName",
                            QeSqlite_EscapeText(set), L"wszName", QeSqlite_EscapeText(name),
                            L"wszUnit", QeSqlite_EscapeText(unit));
}

// The key of the first definition matching where, or 0.
int64_t FirstKey(uint32_t h, const CQeStringW& where) {
  int64_t key = 0;
  CQeSqliteSelect select(DbOf(h), Table(), CQeStringW(L"iKey"), where);
  select.Row({&key});
  return key;
}

}  // namespace

int QeProjectDb_Propdef_Insert(uint32_t h, const CQeStringW& set, const CQeStringW& name,
                               const CQeStringW& unit, const CQeStringW& desc, int64_t* outKey) {
  return qe::projectdb::InsertOne(DbOf(h), Table(),
                                  std::array<CQeSqliteValue, 4>{set, name, unit, desc}, outKey);
}

int QeProjectDb_Propdef_GetOrInsert(uint32_t h, const CQeStringW& set, const CQeStringW& name,
                                    const CQeStringW& unit, const CQeStringW& desc,
                                    int64_t* outKey) {
  SQeProjectDbRow_propdef found;
  {
    CQeSqliteSelect select(DbOf(h), Table(), SetNameUnitCondition(set, name, unit));
    const auto outputs = Outputs(found);
    select.Row(std::span<const CQeSqliteOut>(outputs.data(), outputs.size()));
  }
  if (found.iKey != 0) {
    if (outKey) *outKey = found.iKey;
    return eQeOk;
  }
  return QeProjectDb_Propdef_Insert(h, set, name, unit, desc, outKey);
}

int QeProjectDb_Propdef_GetOne(uint32_t h, const CQeStringW& set, int64_t key,
                               SQeProjectDbRow_propdef& row) {
  CQeSqliteSelect select(DbOf(h), Table(),
                         QeSqlite_FormatSql(L"%s='%s' AND %s=%I64d", L"wszPropsetName",
                                            QeSqlite_EscapeText(set), L"iKey", key));
  return qe::projectdb::records::ReadOne(select, Outputs(row));
}

int64_t QeProjectDb_Propdef_GetOne(uint32_t h, const CQeStringW& set, const CQeStringW& name) {
  return FirstKey(
      h, QeSqlite_FormatSql(L"%s='%s' AND %s='%s'", L"wszPropsetName", QeSqlite_EscapeText(set),
                            L"wszName", QeSqlite_EscapeText(name)));
}

int64_t QeProjectDb_Propdef_GetOne(uint32_t h, const CQeStringW& set, const CQeStringW& name,
                                   const CQeStringW& unit) {
  return FirstKey(h, SetNameUnitCondition(set, name, unit));
}

int QeProjectDb_Propdef_GetMany(uint32_t h, const CQeStringW& set,
                                std::vector<SQeProjectDbRow_propdef>& rows) {
  CQeSqliteSelect select(DbOf(h), Table(),
                         QeSqlite_FormatSql(L"%s.%s='%s'", Table().wszName, L"wszPropsetName",
                                            QeSqlite_EscapeText(set)));
  return qe::projectdb::records::AppendRows(select, rows, Outputs);
}

int QeProjectDb_Propdef_Update(uint32_t h, int64_t key, const CQeStringW& set,
                               const CQeStringW& name, const CQeStringW& unit,
                               const CQeStringW& desc) {
  CQeSqliteUpdate update(DbOf(h), Table(), {L"wszPropsetName", L"wszName", L"wszUnit", L"wszDesc"});
  return update.Row(key, {set, name, unit, desc});
}

int QeProjectDb_Propdef_Delete(uint32_t h, int64_t key) {
  CQeSqliteDelete remove(DbOf(h), Table());
  return remove.Row(key);
}
