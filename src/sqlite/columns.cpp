#include "sqlite/columns.h"

namespace qe::sqlite_detail {
namespace {

wchar_t AsciiLower(wchar_t c) { return (c >= L'A' && c <= L'Z') ? c - L'A' + L'a' : c; }

}  // namespace

bool SameSqlName(const wchar_t* a, const wchar_t* b) {
  if (!a || !b) return false;
  for (; *a && *b; ++a, ++b) {
    if (AsciiLower(*a) != AsciiLower(*b)) return false;
  }
  return *a == *b;
}

int FindColumn(const SQeSqliteTableDef& table, const wchar_t* name) {
  for (uint32_t i = 0; i < table.nColumns; ++i) {
    if (SameSqlName(table.pColumns[i].wszName, name)) return static_cast<int>(i);
  }
  return -1;
}

int FindPrimaryKey(const SQeSqliteTableDef& table) {
  for (uint32_t i = 0; i < table.nColumns; ++i) {
    if (table.pColumns[i].iKeyKind == eQeSqliteKeyPrimary) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace qe::sqlite_detail
