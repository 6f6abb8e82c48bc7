// docs/schema-history.md lists every layout of the schema history; the list
// there must say what the records say.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>

#include "qe/core/string.h"
#include "qe/projectdb/schema_history.h"

namespace qe::test {
namespace {

// The type names of the document, by EQeSqliteValueType.
std::string TypeName(int type) {
  static const char* const kNames[] = {"?", "int32", "int64", "double", "?", "text", "blob"};
  return type >= 0 && type < 7 ? kNames[type] : "?";
}

std::string Utf8(const wchar_t* text) { return CQeStringW(text).ToUtf8(); }

// One column as the document writes it: `name` type, then → table for a
// foreign key (with "set null" for ON DELETE SET NULL), "index" or "unique
// index", "nocase", "default 'x'".
std::string Column(const SQeSqliteColDef& column) {
  std::string text = "`" + Utf8(column.wszName) + "` " + TypeName(column.iType);
  if (column.iKeyKind == eQeSqliteKeyPrimary) return text + " key";
  if (column.iKeyKind == eQeSqliteKeyForeign && column.pForeignKey) {
    text += " → " + Utf8(column.pForeignKey->wszTable);
    if (std::wstring(column.pForeignKey->wszOnDelete) == L"ON DELETE SET NULL") text += " set null";
  }
  if (column.iIndexKind == eQeSqliteIndex) text += " index";
  if (column.iIndexKind == eQeSqliteIndexUnique) text += " unique index";
  if (column.wszCollation) text += " nocase";
  if (column.wszDefault) text += " default '" + Utf8(column.wszDefault) + "'";
  return text;
}

// "| version | table | columns |" for one entry of the history.
std::string Row(const SQeProjectDbSchemaChange& change) {
  std::string text = "| " + std::to_string(change.iVersion) + " | " + Utf8(change.wszTable) + " | ";
  if (!change.pTable) return text + "dropped |";
  for (uint32_t i = 0; i < change.pTable->nColumns; ++i) {
    text += (i ? ", " : "") + Column(change.pTable->pColumns[i]);
  }
  if (change.pTable->nUniqueColumns > 0) {
    text += "; UNIQUE (";
    for (uint32_t i = 0; i < change.pTable->nUniqueColumns; ++i) {
      text += (i ? ", " : "") + Utf8(change.pTable->pUniqueColumns[i]);
    }
    text += ")";
  }
  return text + " |";
}

TEST(UpgradeHistoryDoc, ListsEveryLayoutAsTheRecordsDefineIt) {
  const auto doc = std::filesystem::path(QE_SOURCE_DIR) / "docs/schema-history.md";
  std::ifstream in(doc);
  ASSERT_TRUE(in) << doc;
  // "| 17 | frame | ..." (the step table's rows read "| 16 to 17 | ...").
  const std::regex kLayoutRow("^\\| [0-9]+ \\| [a-z_]+ \\| ");
  std::string line;
  std::vector<std::string> rows;
  while (std::getline(in, line)) {
    if (std::regex_search(line, kLayoutRow)) rows.push_back(line);
  }
  std::string expected;
  for (uint32_t i = 0; i < g_QeProjectDbSchemaChangeCount; ++i) {
    expected += Row(g_QeProjectDbSchemaChanges[i]) + "\n";
  }
  std::string found;
  for (const std::string& row : rows) found += row + "\n";
  EXPECT_EQ(found, expected) << "the layout list of " << doc << " should read:\n" << expected;
}

}  // namespace
}  // namespace qe::test
