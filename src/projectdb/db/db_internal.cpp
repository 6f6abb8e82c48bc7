#include "projectdb/db/db_internal.h"

#include "qe/sqlite/connection.h"
#include "qe/sqlite/sql_text.h"

namespace qe::projectdb {

bool IsPragmaWord(const CQeStringW& value) {
  const std::wstring& text = value.str();
  size_t i = (!text.empty() && text[0] == L'-') ? 1 : 0;
  if (i == text.size()) return false;
  for (; i < text.size(); ++i) {
    const wchar_t c = text[i];
    const bool ok = (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') ||
                    (c >= L'0' && c <= L'9') || c == L'_';
    if (!ok) return false;
  }
  return true;
}

int ExecutePragma(sqlite3* db, const wchar_t* pragmaTemplate, const CQeStringW& value) {
  if (!IsPragmaWord(value)) return 1;
  return QeSqlite_Execute(db, QeSqlite_FormatSql(pragmaTemplate, value), nullptr, false);
}

CQeStringW ReadSettingAnyType(sqlite3* db, const wchar_t* name, int* code) {
  return QeSqlite_ReadOneStringW(
      db,
      QeSqlite_FormatSql(L"SELECT %s FROM %s WHERE %s='%s'", L"varValue", L"settings", L"wszName",
                         QeSqlite_EscapeText(name)),
      code);
}

CQeStringW ReadOptionStr(sqlite3* db, const CQeStringW& name, int* code) {
  return QeSqlite_ReadOneStringW(
      db,
      QeSqlite_FormatSql(L"SELECT %s FROM %s WHERE %s='%s' AND %s='%s'", L"varValue", L"settings",
                         L"wszName", QeSqlite_EscapeText(name), L"wszType", L"stringw"),
      code);
}

int ReadOptionInt32(sqlite3* db, const CQeStringW& name, int* code) {
  return static_cast<int>(QeSqlite_ReadOneInt64(
      db,
      QeSqlite_FormatSql(L"SELECT %s FROM %s WHERE %s='%s' AND %s='%s'", L"varValue", L"settings",
                         L"wszName", QeSqlite_EscapeText(name), L"wszType", L"int32"),
      code));
}

bool IsPlainIdentifier(const CQeStringW& name) {
  if (name.IsEmpty()) return false;
  for (const wchar_t c : name.str()) {
    // SQLite reads every character above ASCII as part of an identifier, so
    // only ASCII can end the name or start something else.
    if (c >= 0x80) continue;
    const bool ok = (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') ||
                    (c >= L'0' && c <= L'9') || c == L'_';
    if (!ok) return false;
  }
  return true;
}

int CheckSchemaReadable(sqlite3* db) {
  return QeSqlite_Execute(db, L"SELECT count(*) FROM sqlite_master;", nullptr, false);
}

void ExecuteConnectionPragmas(sqlite3* db) {
  QeSqlite_Execute(db, L"PRAGMA legacy_file_format=0;", nullptr, false);
  QeSqlite_Execute(db, L"PRAGMA recursive_triggers=1;", nullptr, false);
  QeSqlite_Execute(db, L"PRAGMA foreign_keys=1;", nullptr, false);
}

}  // namespace qe::projectdb
