#include "sample_tables.h"

namespace qe::test {
namespace {

const SQeSqliteForeignKeyDef kFkParent = {L"parent", L"iKey", L"ON DELETE CASCADE",
                                          L"ON UPDATE CASCADE"};
const SQeSqliteForeignKeyDef kFkParentSetNull = {L"parent", L"iKey", L"ON DELETE SET NULL",
                                                 L"ON UPDATE CASCADE"};
const SQeSqliteForeignKeyDef kFkChild = {L"child", L"iKey", L"ON DELETE CASCADE",
                                         L"ON UPDATE CASCADE"};

const SQeSqliteColDef kParentColumns[] = {
    {eQeSqliteKeyPrimary, eQeSqliteInt64, eQeSqliteIndexUnique, L"iKey", nullptr, nullptr, nullptr},
    {eQeSqliteKeyPlain, eQeSqliteText, eQeSqliteIndexUnique, L"wszName", nullptr, nullptr,
     L"NOCASE"},
    {eQeSqliteKeyPlain, eQeSqliteDouble, eQeSqliteIndexNone, L"dValue", nullptr, nullptr, nullptr},
    {eQeSqliteKeyPlain, eQeSqliteBlob, eQeSqliteIndexNone, L"pData", nullptr, nullptr, nullptr},
    {eQeSqliteKeyPlain, eQeSqliteInt32, eQeSqliteIndexNone, L"iCount", nullptr, nullptr, nullptr},
};
const wchar_t* const kParentUnique[] = {L"wszName"};

const SQeSqliteColDef kChildColumns[] = {
    {eQeSqliteKeyPrimary, eQeSqliteInt64, eQeSqliteIndexUnique, L"iKey", nullptr, nullptr, nullptr},
    {eQeSqliteKeyForeign, eQeSqliteInt64, eQeSqliteIndex, L"iParentKeyRef", &kFkParent, nullptr,
     nullptr},
    {eQeSqliteKeyForeign, eQeSqliteInt64, eQeSqliteIndexNone, L"iOtherKeyRef", &kFkParentSetNull,
     nullptr, nullptr},
    {eQeSqliteKeyForeign, eQeSqliteInt64, eQeSqliteIndex, L"iChildKeyRef", &kFkChild, nullptr,
     nullptr},
    {eQeSqliteKeyPlain, eQeSqliteText, eQeSqliteIndexNone, L"wszCompany", nullptr, L"Unknown",
     L"NOCASE"},
    {eQeSqliteKeyPlain, eQeSqliteInt32, eQeSqliteIndexNone, L"iOrder", nullptr, nullptr, nullptr},
};
const wchar_t* const kChildUnique[] = {L"iParentKeyRef", L"iOrder"};

}  // namespace

const SQeSqliteTableDef kParentTable = {L"parent",           5, kParentColumns, 1, kParentUnique,
                                        L"ON CONFLICT ABORT"};
const SQeSqliteTableDef kChildTable = {
    L"child", 6, kChildColumns, 2, kChildUnique, L"ON CONFLICT ABORT"};

void SqliteFileTest::SetUp() {
  path_ = dir_.FileW("test.db");
  ASSERT_EQ(QeSqlite_OpenEncrypted(path_, &db_, 6, 0, nullptr, nullptr), 0);
  Exec(L"PRAGMA encoding=\"UTF-16le\"; PRAGMA foreign_keys=1; PRAGMA synchronous=OFF;");
  Exec(QeSqlite_CreateTableWithIndexesSqlCommand(kParentTable));
  Exec(QeSqlite_CreateTableWithIndexesSqlCommand(kChildTable));
}

void SqliteFileTest::TearDown() { EXPECT_EQ(QeSqlite_Close(db_), 0); }

sqlite3* SqliteFileTest::OpenSecond() {
  sqlite3* db = nullptr;
  EXPECT_EQ(QeSqlite_OpenEncrypted(path_, &db, 2, 0, nullptr, nullptr), 0);
  return db;
}

void SqliteFileTest::Exec(const wchar_t* sql) {
  int code = -1;
  ASSERT_EQ(QeSqlite_Execute(db_, sql, &code, false), 0) << sqlite3_errmsg(db_);
  EXPECT_EQ(code, 0);
}

int64_t SqliteFileTest::Count(const wchar_t* sql) {
  int code = -1;
  int64_t n = QeSqlite_ReadOneInt64(db_, sql, &code, -1);
  EXPECT_EQ(code, 0) << sqlite3_errmsg(db_);
  return n;
}

}  // namespace qe::test
