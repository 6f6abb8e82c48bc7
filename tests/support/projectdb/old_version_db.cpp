#include "support/projectdb/old_version_db.h"

#include <unistd.h>

#include <cwchar>
#include <vector>

#include "qe/projectdb/schema_history.h"
#include "qe/projectdb/upgrade.h"
#include "qe/sqlite/cmd.h"
#include "qe/sqlite/connection.h"
#include "qe/sqlite/ddl.h"
#include "qe/sqlite/sql_text.h"

namespace qe::test {
namespace {

bool Is(const wchar_t* a, const wchar_t* b) { return std::wcscmp(a, b) == 0; }

bool EndsWith(const wchar_t* text, const wchar_t* tail) {
  const size_t n = std::wcslen(text);
  const size_t m = std::wcslen(tail);
  return n >= m && std::wcscmp(text + n - m, tail) == 0;
}

struct SValue {
  enum EKind { eNull, eInteger, eDouble, eText, eBlob } kind = eNull;
  long long integer = 0;
  double real = 0.0;
  std::wstring text;
  std::vector<unsigned char> bytes;
};

SValue Integer(long long v) { return {SValue::eInteger, v, 0.0, {}, {}}; }
SValue Real(double v) { return {SValue::eDouble, 0, v, {}, {}}; }
SValue Text(std::wstring v) { return {SValue::eText, 0, 0.0, std::move(v), {}}; }
SValue Null() { return {}; }

// Values that the upgrade steps read, or that must hold across versions.
bool SpecialValue(const wchar_t* table, const wchar_t* column, int k, int64_t version,
                  SValue& value) {
  if (Is(table, L"tagdef")) {
    // Rows 1 and 2 are the system tags (no tag set); row 3 belongs to 2.
    if (Is(column, L"iTagdefKeyRef"))
      value = k < 3 ? Null() : Integer(2);
    else if (Is(column, L"wszTagsetName"))
      value = k < 3 ? Null() : Text(L"$$$frame$$$");
    else if (Is(column, L"wszName") && k < 3)
      value = Text(k == 1 ? L"$$$proj$$$" : L"$$$frame$$$");
    else
      return false;
    return true;
  }
  if (Is(table, L"propset") && k == 1) {
    if (Is(column, L"wszUniqueName"))
      value = Text(L"$$$quantity$$$");
    else if (Is(column, L"wszName"))
      value = Text(L"Quantity");
    else
      return false;
    return true;
  }
  if (Is(table, L"propdef") && Is(column, L"wszPropsetName")) {
    value = Text(k == 1 ? L"$$$quantity$$$" : FixtureText(L"propset", L"wszUniqueName", k));
    return true;
  }
  if (Is(table, L"project") && Is(column, L"wszAbsPath")) {
    value = Text(L"C:\\Data\\Projects\\" + FixtureProjectFolder(k) + L"\\");
    return true;
  }
  if (Is(table, L"project") && Is(column, L"wszFolderName")) {
    value = Text(FixtureProjectFolder(k));
    return true;
  }
  if (Is(table, L"jobrun") && Is(column, L"wszFolderName")) {
    value = Text(version < 24 ? L"C:\\Data\\Projects\\" + FixtureProjectFolder(k) + L"\\" +
                                    FixtureRunFolder(k)
                              : FixtureRunFolder(k));
    return true;
  }
  if (Is(table, L"file") && Is(column, L"wszFileName")) {
    value = Text(version < 24 ? L"C:\\Data\\Projects\\" + FixtureProjectFolder(k) + L"\\" +
                                    FixtureRunFolder(k) + L"\\" + FixtureFileName(k)
                              : FixtureFileName(k));
    return true;
  }
  if (Is(table, L"jobpropdef")) {
    if (Is(column, L"wszPropvalue"))
      value = Text(std::to_wstring(10 * k));
    else if (Is(column, L"wszProptype"))
      value = Text(std::to_wstring(k));
    else if (Is(column, L"iPropdefvalue"))
      value = Integer(10 * k);
    else if (Is(column, L"dPropdefvalue"))
      value = Real(10.0 * k);
    else
      return false;
    return true;
  }
  return false;
}

SValue ColumnValue(const SQeSqliteTableDef& table, const SQeSqliteColDef& column, int k,
                   int64_t version) {
  SValue value;
  if (SpecialValue(table.wszName, column.wszName, k, version, value)) return value;
  if (column.iKeyKind == eQeSqliteKeyPrimary) return Integer(k);
  if (EndsWith(column.wszName, L"KeyRef")) {
    const bool self = column.pForeignKey && Is(column.pForeignKey->wszTable, table.wszName);
    const bool selfPlain = Is(table.wszName, L"jobtask") && Is(column.wszName, L"iJobtaskKeyRef");
    const bool selfSet = Is(table.wszName, L"propset") && Is(column.wszName, L"iPropsetKeyRef");
    if (self || selfPlain || selfSet) return k == 1 ? Null() : Integer(1);
    return Integer(k);
  }
  switch (column.iType) {
    case eQeSqliteInt32:
    case eQeSqliteInt64:
      return Integer(k);
    case eQeSqliteDouble:
      return Real(column.wszName[0] == L'd' && EndsWith(column.wszName, L"Time") ? FixtureTime(k)
                                                                                 : 0.5 + k);
    case eQeSqliteBlob: {
      SValue blob;
      blob.kind = SValue::eBlob;
      blob.bytes = {0x00, static_cast<unsigned char>(k), 0x27, 0xFF};
      return blob;
    }
    default:
      break;
  }
  const std::wstring name = column.wszName;
  if (name.find(L"Uuid") != std::wstring::npos) return Text(FixtureUuid(table.wszName, k));
  return Text(FixtureText(table.wszName, column.wszName, k));
}

bool Bind(CQeSqliteCmd& cmd, int index, const SValue& value) {
  switch (value.kind) {
    case SValue::eInteger:
      return cmd.Bind(index, value.integer);
    case SValue::eDouble:
      return cmd.Bind(index, value.real);
    case SValue::eText:
      return cmd.Bind(index, CQeStringW(value.text));
    case SValue::eBlob:
      return cmd.Bind(index, value.bytes.data(), static_cast<int>(value.bytes.size()));
    default:
      return cmd.BindNull(index);
  }
}

int InsertRows(sqlite3* db, const SQeSqliteTableDef& table, int64_t version) {
  CQeStringW columns;
  CQeStringW marks;
  for (uint32_t i = 0; i < table.nColumns; ++i) {
    if (i > 0) {
      columns += L", ";
      marks += L", ";
    }
    columns += table.pColumns[i].wszName;
    marks += L"?";
  }
  CQeSqliteCmd insert(
      db, QeSqlite_FormatSql(L"INSERT INTO %s (%s) VALUES (%s);", table.wszName, columns, marks));
  for (int k = 1; k <= kFixtureRows; ++k) {
    for (uint32_t i = 0; i < table.nColumns; ++i) {
      Bind(insert, static_cast<int>(i) + 1, ColumnValue(table, table.pColumns[i], k, version));
    }
    insert.Execute();
  }
  return insert.Result();
}

int InsertFixedRows(sqlite3* db, const SQeSqliteTableDef& table, int64_t version) {
  CQeStringW sql;
  if (Is(table.wszName, L"vesion")) {
    sql = QeSqlite_FormatSql(L"INSERT INTO vesion (wszName, iVersion) VALUES ('main', %d);\n",
                             static_cast<int>(version));
    if (version >= 29) sql += L"INSERT INTO vesion (wszName, iVersion) VALUES ('plate', 6);\n";
  } else if (Is(table.wszName, L"settings")) {
    sql =
        L"INSERT INTO settings (wszName, wszType, varValue) VALUES ('journal_mode', 'stringw', "
        L"'wal');\nINSERT INTO settings (wszName, wszType, varValue) VALUES ('synchronous', "
        L"'stringw', 'normal');\n";
  } else {
    sql = QeSqlite_FormatSql(L"INSERT INTO dbinfo(wszName,wszUuid) VALUES('dbuuid','%s');\n",
                             FixtureUuid(L"dbinfo", 1));
  }
  return QeSqlite_Execute(db, sql, nullptr, false);
}

class CConnection {
 public:
  ~CConnection() { QeSqlite_Close(db_); }
  sqlite3* db_ = nullptr;
};

}  // namespace

std::wstring FixtureText(const wchar_t* table, const wchar_t* column, int k) {
  return std::wstring(table) + L"." + column + L" " + std::to_wstring(k) +
         L" O'Brien 5% Zellkern µm";
}

std::wstring FixtureUuid(const wchar_t* table, int k) {
  unsigned hash = 2166136261u;
  for (const wchar_t* p = table; *p; ++p) hash = (hash ^ static_cast<unsigned>(*p)) * 16777619u;
  return CQeStringW::Formatted(L"%08x%024d", hash, k).str();
}

std::filesystem::path FixtureFolderBase() {
  static const std::filesystem::path base = [] {
    const std::filesystem::path shm = "/dev/shm";
    std::error_code ec;
    if (std::filesystem::is_directory(shm, ec) && access(shm.c_str(), W_OK | X_OK) == 0) {
      return shm;
    }
    return std::filesystem::temp_directory_path();
  }();
  return base;
}

double FixtureTime(int k) { return 2460000.25 + k; }

std::wstring FixtureProjectFolder(int k) { return L"Proj " + std::to_wstring(k); }
std::wstring FixtureRunFolder(int k) { return L"Run " + std::to_wstring(k); }
std::wstring FixtureFileName(int k) { return L"Image " + std::to_wstring(k) + L".tif"; }

int BuildProjectDbAtVersion(const std::wstring& path, int64_t version) {
  const std::vector<const SQeSqliteTableDef*> tables = QeProjectDb_SchemaHistory_Tables(version);
  if (tables.empty()) return -9;
  CConnection connection;
  int code = 0;
  int result = QeSqlite_OpenEncrypted(
      path, &connection.db_, eQeSqliteOpenReadWrite | eQeSqliteOpenCreate, 0, nullptr, &code);
  if (result != 0) return result;
  sqlite3* db = connection.db_;
  // WAL, as files from version 26 on are usually kept; a commit then costs
  // one sync, which keeps upgrades of many fixtures quick.
  result = QeSqlite_Execute(
      db, L"PRAGMA encoding = \"UTF-16le\";\nPRAGMA journal_mode=wal;\nBEGIN TRANSACTION;\n",
      nullptr, false);
  for (const SQeSqliteTableDef* table : tables) {
    if (result == 0) {
      result =
          QeSqlite_Execute(db, QeSqlite_CreateTableWithIndexesSqlCommand(*table), nullptr, false);
    }
  }
  for (const SQeSqliteTableDef* table : tables) {
    if (result != 0) break;
    const bool fixed = Is(table->wszName, L"vesion") || Is(table->wszName, L"settings") ||
                       Is(table->wszName, L"dbinfo");
    result = fixed ? InsertFixedRows(db, *table, version) : InsertRows(db, *table, version);
  }
  if (result == 0) return QeSqlite_Execute(db, L"COMMIT TRANSACTION;", nullptr, false);
  return result;
}

int BuildProjectDbByUpgrading(const std::wstring& path, int64_t version) {
  int result = BuildProjectDbAtVersion(path, kQeProjectDbOldestUpgradableVersion);
  if (result != 0) return result;
  CConnection connection;
  int code = 0;
  result = QeSqlite_OpenEncrypted(path, &connection.db_, eQeSqliteOpenReadWrite, 0, nullptr, &code);
  if (result != 0) return result;
  // A fixture need not survive a power cut.
  QeSqlite_Execute(connection.db_, L"PRAGMA synchronous=OFF;", nullptr, false);
  for (int i = 0; result == 0 && i < static_cast<int>(kQeProjectDbUpgradeStepCount); ++i) {
    const SQeProjectDbUpgradeStep& step = g_QeProjectDbUpgradeSteps[i];
    if (step.iToVersion > version) break;
    result = step.pfnUpgrade(connection.db_);
  }
  return result;
}

}  // namespace qe::test
