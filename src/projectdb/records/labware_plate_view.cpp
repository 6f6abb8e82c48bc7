// The joined plate view: name rows with their configurations, and the
// replacement walk.
#include <set>

#include "projectdb/records/labware_records.h"
#include "qe/projectdb/records/labware_plate.h"
#include "qe/projectdb/schema.h"
#include "qe/sqlite/sql_text.h"

namespace {

using namespace qe::projectdb;
using namespace qe::projectdb::labware;

const wchar_t* NameTable() { return g_QeProjectDbTable_wellplatename.wszName; }
const wchar_t* ConfigTable() { return g_QeProjectDbTable_wellplateconfiguration.wszName; }

// The view statement followed by where (" WHERE ..." or empty).
CQeStringW ViewSql(const CQeStringW& where) {
  const wchar_t* n = NameTable();
  const wchar_t* c = ConfigTable();
  CQeStringW sql = QeSqlite_FormatSql(
      L"SELECT %s.%s,%s.%s,%s.%s,%s.%s,%s.%s,%s.%s,%s.%s,%s.%s,%s.%s,%s.%s,%s.%s,%s.%s,%s.%s "
      L"FROM %s INNER JOIN %s ON %s.%s=%s.%s",
      n, L"iKey", n, L"wszUuid", n, L"wszCompany", n, L"wszType", n, L"wszModel", n,
      L"iUserImported", c, L"iRowCount", c, L"iColCount", c, L"iRowNaming", c, L"iColNaming", c,
      L"pData", n, L"iRemoved", n, L"iWellplatenameKeyRef", n, c, n, L"iWellplateconfigKeyRef", c,
      L"iKey");
  sql += where;
  return sql;
}

void ReadRow(const CQeSqliteCmd& cmd, SQeProjectDbRow_wellplatedef& row) {
  cmd.Column(0, row.iKey);
  cmd.Column(1, row.wszUuid);
  cmd.Column(2, row.wszCompany);
  cmd.Column(3, row.wszType);
  cmd.Column(4, row.wszModel);
  cmd.Column(5, row.iUserImported);
  cmd.Column(6, row.iRowCount);
  cmd.Column(7, row.iColCount);
  cmd.Column(8, row.iRowNaming);
  cmd.Column(9, row.iColNaming);
  cmd.Column(10, row.pData);
  cmd.Column(11, row.iRemoved);
  cmd.Column(12, row.iWellplatenameKeyRef);
}

// The first plate of the view that where selects; row is filled only when
// one came back.
int ReadOne(uint32_t h, const CQeStringW& where, SQeProjectDbRow_wellplatedef& row, bool* found) {
  CQeSqliteCmd cmd(DbOf(h), ViewSql(where));
  const bool got = cmd.Next();
  if (got) ReadRow(cmd, row);
  if (found) *found = got;
  return cmd.Result();
}

CQeStringW WhereKey(int64_t key) {
  return QeSqlite_FormatSql(L" WHERE %s.%s=%I64d LIMIT 1", NameTable(), L"iKey", key);
}

CQeStringW WhereUuid(const CQeStringW& uuid) {
  return QeSqlite_FormatSql(L" WHERE %s.%s='%s' LIMIT 1", NameTable(), L"wszUuid",
                            QeSqlite_EscapeText(uuid));
}

}  // namespace

int QeProjectDb_Wellplatedef_GetAll(uint32_t h, std::list<SQeProjectDbRow_wellplatedef>& rows) {
  CQeSqliteCmd cmd(DbOf(h), ViewSql(CQeStringW()));
  while (cmd.Next()) {
    SQeProjectDbRow_wellplatedef row;
    ReadRow(cmd, row);
    rows.push_back(std::move(row));
  }
  return cmd.Result();
}

int QeProjectDb_Wellplatedef_GetOne(uint32_t h, int64_t key, SQeProjectDbRow_wellplatedef& row) {
  return ReadOne(h, WhereKey(key), row, nullptr);
}

int QeProjectDb_Wellplatedef_GetOne(uint32_t h, const CQeStringW& uuid,
                                    SQeProjectDbRow_wellplatedef& row, bool& found) {
  return ReadOne(h, WhereUuid(uuid), row, &found);
}

int QeProjectDb_Wellplatedef_GetOne(uint32_t h, const CQeStringW& uuid,
                                    SQeProjectDbRow_wellplatedef& row) {
  return ReadOne(h, WhereUuid(uuid), row, nullptr);
}

int QeProjectDb_Wellplatedef_GetLatest(uint32_t h, const CQeStringW& uuid,
                                       SQeProjectDbRow_wellplatedef& row, bool& found) {
  found = false;
  QeProjectDb_Wellplatedef_GetOne(h, uuid, row, found);
  if (!found) return 0;
  // Keys already passed: a chain that comes back to one of them loops.
  std::set<int64_t> seen{row.iKey};
  while (row.iWellplatenameKeyRef != 0 && !seen.contains(row.iWellplatenameKeyRef)) {
    SQeProjectDbRow_wellplatedef next;
    bool read = false;
    if (ReadOne(h, WhereKey(row.iWellplatenameKeyRef), next, &read) != 0 || !read) break;
    seen.insert(next.iKey);
    row = std::move(next);
  }
  return 0;
}

int QeProjectDb_Wellplatedef_GetLatest(uint32_t h, const CQeStringW& uuid,
                                       SQeProjectDbRow_wellplatedef& row) {
  bool found = false;
  return QeProjectDb_Wellplatedef_GetLatest(h, uuid, row, found);
}

int QeProjectDb_Wellplatedef_FindCustom(uint32_t h, const CQeStringW& model,
                                        SQeProjectDbRow_wellplatedef& row, bool& found) {
  const wchar_t* n = NameTable();
  return ReadOne(h,
                 QeSqlite_FormatSql(L" WHERE %s.%s='%s' AND %s.%s='%s' AND %s.%s=0 LIMIT 1", n,
                                    L"wszModel", QeSqlite_EscapeText(model), n, L"wszCompany",
                                    kQeCustomWellplatesCompany, n, L"iRemoved"),
                 row, &found);
}
