#include <gtest/gtest.h>

#include <cmath>

#include "qe/sqlite/path.h"
#include "qe/sqlite/printer.h"
#include "qe/sqlite/sql_text.h"

TEST(SqlText, EscapeDoublesApostrophesOnly) {
  EXPECT_EQ(QeSqlite_EscapeText(L"O'Neil's \"x\" 100%"), L"O''Neil''s \"x\" 100%");
  EXPECT_EQ(QeSqlite_FormatSql(L"SELECT %s FROM %s WHERE iKey=%I64d AND wszName=%s", L"iKey",
                               CQeStringW(L"t"), int64_t{1} << 40, QeSqlite_QuotedText(L"ä'%d")),
            L"SELECT iKey FROM t WHERE iKey=1099511627776 AND wszName='ä''%d'");
}

TEST(PathSplit, BothSeparatorsAndEdgeCases) {
  CQeStringW file;
  EXPECT_EQ(QePath_Split(L"C:\\Projects\\Name\\", &file), L"C:\\Projects");
  EXPECT_EQ(file, L"Name\\");
  EXPECT_EQ(QePath_Split(L"root/mixed\\süß.db", &file), L"root/mixed");
  EXPECT_EQ(file, L"süß.db");
  EXPECT_EQ(QePath_Split(L"x.db", &file), L"");
  EXPECT_EQ(file, L"x.db");
}

TEST(Printer, DoubleNumbers) {
  EXPECT_EQ(CQeSqliteBaseDataPrinter::PrintDoubleNumber(2.5, 3, 1), L"2.500");
  EXPECT_EQ(CQeSqliteBaseDataPrinter::PrintDoubleNumber(3.0, 2, 0), L"3");
  EXPECT_EQ(CQeSqliteBaseDataPrinter::PrintDoubleNumber(-0.0004, 3, 1), L"0.000");
  EXPECT_EQ(CQeSqliteBaseDataPrinter::PrintDoubleNumber(-1.25, 1, 1), L"-1.2");  // round half even
  EXPECT_EQ(CQeSqliteBaseDataPrinter::PrintDoubleNumber(std::nan(""), 2, 1), L"nan");
}

TEST(Printer, BasePrintsAndZeroPointersFollowTheLastReference) {
  CQeRefCountPtr<CQeSqliteBaseDataPrinter> printer = CQeSqliteBaseDataPrinter::Create();
  EXPECT_EQ(printer->Print(int64_t{-42}), L"-42");
  EXPECT_EQ(printer->Print(0.25), L"0.25");
  const uint8_t bytes[] = {1, 2, 3};
  EXPECT_EQ(printer->Print(bytes, 3), L"3 bytes");
  CQeSqliteBaseDataPrinter* watched = printer.Get();
  printer->AddZeroPtr(&watched);
  CQeRefCountPtr<CQeSqliteBaseDataPrinter> copy = printer;
  printer = nullptr;
  EXPECT_NE(watched, nullptr);
  copy = nullptr;
  EXPECT_EQ(watched, nullptr);
}
