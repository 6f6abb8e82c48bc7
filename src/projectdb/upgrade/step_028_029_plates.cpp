// Upgrade step 28 to 29: well-plate definitions split into configurations
// and names, the built-in plates the file lacks imported, plate links
// pointed at names.
#include <set>
#include <vector>

#include "projectdb/records/labware_serialize.h"
#include "projectdb/upgrade/steps.h"
#include "projectdb/upgrade/upgrade_script.h"
#include "qe/core/diag.h"
#include "qe/core/status.h"
#include "qe/labware/insert_object_database.h"
#include "qe/projectdb/schema.h"
#include "qe/projectdb/schema_history.h"
#include "qe/sqlite/cmd.h"
#include "qe/sqlite/connection.h"
#include "qe/sqlite/sql_text.h"

namespace qe::upgrade {
namespace {

using Catalogue = CQeInsertObjectDatabase;

// Configurations and names keep the key of their definition, so that a
// name's configuration is the definition it came from.
constexpr const wchar_t* kInsertConfigurations =
    L"INSERT INTO wellplateconfiguration (iKey, wszUuid, iRowCount, iColCount, iRowNaming, "
    L"iColNaming, pData) SELECT iKey, wszUuid, iRowCount, iColCount, iRowNaming, iColNaming, pData "
    L"FROM wellplatedef;\n";
constexpr const wchar_t* kInsertNames =
    L"INSERT INTO wellplatename (iKey, wszUuid, iWellplateconfigKeyRef, wszCompany, wszType, "
    L"wszModel, iUserImported) SELECT iKey, wszUuid, iKey, wszCompany, wszType, wszModel, "
    L"iUserImported FROM wellplatedef;\n";
constexpr const wchar_t* kSelectNameUuids = L"SELECT wszUuid FROM wellplatename;";
constexpr const wchar_t* kSelectConfigKey =
    L"SELECT iKey FROM wellplateconfiguration WHERE wszUuid=?;";
constexpr const wchar_t* kInsertConfiguration =
    L"INSERT INTO wellplateconfiguration (wszUuid, iRowCount, iColCount, iRowNaming, iColNaming, "
    L"pData) VALUES (?, ?, ?, ?, ?, ?);";
constexpr const wchar_t* kInsertName =
    L"INSERT INTO wellplatename (wszUuid, iWellplateconfigKeyRef, wszCompany, wszType, wszModel, "
    L"iUserImported) VALUES (?, ?, ?, ?, ?, 0);";
constexpr const wchar_t* kSelectPlateinfo =
    L"SELECT iKey, iJobrunKeyRef, iWellplatedefKeyRef, wszName, wszBarcode, wszDesc FROM "
    L"plateinfo;";
constexpr const wchar_t* kSelectDefinitionUuid = L"SELECT wszUuid FROM wellplatedef WHERE iKey=?;";
constexpr const wchar_t* kSelectNameKey = L"SELECT iKey FROM wellplatename WHERE wszUuid=?;";
constexpr const wchar_t* kDropOldTables = L"DROP TABLE plateinfo;\nDROP TABLE wellplatedef;\n";
constexpr const wchar_t* kInsertPlateinfo = L"INSERT INTO plateinfo VALUES ";
constexpr const wchar_t* kPlateinfoValues = L"(%I64d,%I64d,%I64d,'%s','%s','%s')";
constexpr const wchar_t* kPlateVersion =
    L"UPDATE vesion SET iVersion=6 WHERE wszName='plate';\n"
    L"INSERT INTO vesion (wszName, iVersion) SELECT 'plate', 6 WHERE NOT EXISTS (SELECT 1 FROM "
    L"vesion WHERE wszName='plate');\n";

struct SOldPlateinfo {
  int64_t iKey = 0;
  int64_t iJobrun = 0;
  int64_t iDefinition = 0;
  CQeStringW wszName, wszBarcode, wszDesc;
};

const SQeDbPlateConfig* FindCatalogueConfig(const CQeStringW& uuid) {
  for (const SQeDbPlateConfig& config : Catalogue::m_vectWellplateConfigs) {
    if (config.wellplate.GetUuid() == uuid) return &config;
  }
  return nullptr;
}

// The key of the stored configuration with uuid, inserting the catalogue's
// geometry when the file has none. 0 and *status set on failure.
int64_t ConfigurationKey(sqlite3* db, const CQeStringW& uuid, int* status) {
  CQeSqliteCmd select(db, CQeStringW(kSelectConfigKey));
  select.Bind(1, uuid);
  if (select.Next()) return select.ColumnInt64(0);
  if (select.Result() != 0) {
    *status = select.Result();
    return 0;
  }
  const SQeDbPlateConfig* config = FindCatalogueConfig(uuid);
  if (!config) {
    *status = eQeFailed;
    return 0;
  }
  uint32_t rows = 0, cols = 0;
  config->wellplate.GetElementCount(&rows, &cols);
  EQeElementNamingType rowNaming, colNaming;
  config->wellplate.GetNaming(nullptr, &rowNaming, &colNaming);
  CQeByteArray data;
  *status = qe::projectdb::labware::SerializeLabware(config->wellplate, data);
  if (*status != 0) return 0;
  CQeSqliteCmd insert(db, CQeStringW(kInsertConfiguration));
  insert.Bind(1, uuid);
  insert.Bind(2, static_cast<int>(rows));
  insert.Bind(3, static_cast<int>(cols));
  insert.Bind(4, static_cast<int>(rowNaming));
  insert.Bind(5, static_cast<int>(colNaming));
  insert.Bind(6, data);
  int64_t key = 0;
  insert.Next(key);
  *status = insert.Result();
  return *status == 0 ? key : 0;
}

// Every built-in plate product whose uuid is not among the stored names,
// with its geometry when that is missing too.
int ImportMissingPlates(sqlite3* db) {
  // The host fills the catalogue at start; a tool that upgrades without it
  // still gets the built-in plates.
  if (Catalogue::m_vectWellplateNames.empty()) Catalogue::Init();
  std::set<CQeStringW> stored;
  {
    CQeSqliteCmd select(db, CQeStringW(kSelectNameUuids));
    while (select.Next()) stored.insert(select.ColumnString(0));
    if (select.Result() != 0) return select.Result();
  }
  for (const SQeDbHolderName& name : Catalogue::m_vectWellplateNames) {
    if (stored.count(name.wszUuid) != 0) continue;
    int status = 0;
    const int64_t config = ConfigurationKey(db, name.wszConfigUuid, &status);
    if (status != 0) return status;
    CQeSqliteCmd insert(db, CQeStringW(kInsertName));
    insert.Bind(1, name.wszUuid);
    insert.Bind(2, static_cast<long long>(config));
    insert.Bind(3, name.wszCompany);
    insert.Bind(4, name.wszType);
    insert.Bind(5, name.wszModel);
    insert.Execute();
    if (insert.Result() != 0) return insert.Result();
    stored.insert(name.wszUuid);
  }
  return eQeOk;
}

int ReadPlateinfo(sqlite3* db, std::vector<SOldPlateinfo>& rows) {
  CQeSqliteCmd select(db, CQeStringW(kSelectPlateinfo));
  while (select.Next()) {
    SOldPlateinfo& row = rows.emplace_back();
    row.iKey = select.ColumnInt64(0);
    row.iJobrun = select.ColumnInt64(1);
    row.iDefinition = select.ColumnInt64(2);
    row.wszName = select.ColumnString(3);
    row.wszBarcode = select.ColumnString(4);
    row.wszDesc = select.ColumnString(5);
  }
  return select.Result();
}

// The name key each plate link points at from now on; -9 for a definition
// or name that does not exist.
int PointAtNames(sqlite3* db, const std::vector<SOldPlateinfo>& rows, std::vector<int64_t>& names) {
  CQeSqliteCmd definition(db, CQeStringW(kSelectDefinitionUuid));
  CQeSqliteCmd name(db, CQeStringW(kSelectNameKey));
  for (const SOldPlateinfo& row : rows) {
    definition.Reset();
    definition.Bind(1, static_cast<long long>(row.iDefinition));
    if (!definition.Next()) {
      if (definition.Result() != 0) return definition.Result();
      QE_DIAG(L"Wellplate definition with ID %I64d not found!", row.iDefinition);
      return eQeFailed;
    }
    const CQeStringW uuid = definition.ColumnString(0);
    name.Reset();
    name.Bind(1, uuid);
    if (!name.Next()) {
      if (name.Result() != 0) return name.Result();
      QE_DIAG(L"Wellplate definition with UUID '%s' is missing in the new wellplate name list!",
              uuid);
      return eQeFailed;
    }
    names.push_back(name.ColumnInt64(0));
  }
  return eQeOk;
}

int Run(sqlite3* db, const CQeStringW& sql) { return QeSqlite_Execute(db, sql, nullptr, false); }

}  // namespace

// Runs in the transaction its head opens; a failure leaves it open, and the
// driver discards it when it closes the file.
int From028To029(sqlite3* db) {
  CUpgradeScript head(db);
  head.Create(g_QeProjectDbTable_wellplateconfiguration);
  head.Create(g_QeProjectDbTableV029_wellplatename);
  int status = Run(db, head.Text());
  if (status != 0) return status;

  status = Run(db, kInsertConfigurations);
  if (status != 0) {
    QE_DIAG(L"Wellplate configurations insert failed!");
    return status;
  }
  status = Run(db, kInsertNames);
  if (status != 0) {
    QE_DIAG(L"Wellplate names insert failed!");
    return status;
  }
  status = ImportMissingPlates(db);
  if (status != 0) {
    QE_DIAG(L"Missing wellplates import failed!");
    return status;
  }

  std::vector<SOldPlateinfo> rows;
  std::vector<int64_t> names;
  status = ReadPlateinfo(db, rows);
  if (status == 0) status = PointAtNames(db, rows, names);
  if (status != 0) return status;

  CUpgradeScript schema(db, CUpgradeScript::kContinue);
  schema.Add(kDropOldTables);
  schema.Create(g_QeProjectDbTable_plateinfo);
  status = Run(db, schema.Text());
  if (status != 0) {
    QE_DIAG(L"Table schema upgrade failed!");
    return status;
  }
  CQeStringW inserts;
  for (size_t i = 0; i < rows.size(); ++i) {
    inserts += kInsertPlateinfo;
    inserts += QeSqlite_FormatSql(kPlateinfoValues, rows[i].iKey, rows[i].iJobrun, names[i],
                                  QeSqlite_EscapeText(rows[i].wszName),
                                  QeSqlite_EscapeText(rows[i].wszBarcode),
                                  QeSqlite_EscapeText(rows[i].wszDesc));
    inserts += L";\n";
  }
  if (!inserts.IsEmpty()) {
    status = Run(db, inserts);
    if (status != 0) {
      QE_DIAG(L"Plateinfo inserts failed!");
      return status;
    }
  }

  CUpgradeScript finish(db, CUpgradeScript::kContinue);
  finish.Add(kPlateVersion);
  return finish.Run(29);
}

}  // namespace qe::upgrade
