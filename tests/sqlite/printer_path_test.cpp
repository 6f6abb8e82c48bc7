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

namespace {
// A printer as the project database derives them.
class FixedPrinter : public CQeSqliteBaseDataPrinter {
 public:
  static CQeRefCountPtr<CQeSqliteBaseDataPrinter> Create() {
    return CQeRefCountPtr<CQeSqliteBaseDataPrinter>::Adopt(new FixedPrinter());
  }
  CQeStringW Print(double value) override {
    return PrintDoubleNumber(value, decimals_, OptionFlags());
  }
  void Update(const CQeSqliteDataColumn& column) override {
    decimals_ = 0;
    for (const auto& value : column) {
      if (value && *value != std::floor(*value)) decimals_ = 2;
    }
  }
  using CQeSqliteBaseDataPrinter::Print;

 private:
  FixedPrinter() : CQeSqliteBaseDataPrinter(1) {}
  int decimals_ = 1;
};
}  // namespace

TEST(Printer, BasePrintsAndDerivedOverrides) {
  auto printer = CQeSqliteBaseDataPrinter::Create();
  EXPECT_EQ(printer->Print(int64_t{-42}), L"-42");
  EXPECT_EQ(printer->Print(0.25), L"0.25");
  const uint8_t bytes[] = {1, 2, 3};
  EXPECT_EQ(printer->Print(bytes, 3), L"3 bytes");

  CQeRefCountPtr<CQeSqliteBaseDataPrinter> derived = FixedPrinter::Create();
  EXPECT_EQ(derived->Print(2.0), L"2.0");
  derived->Update({1.0, std::nullopt, 3.0});
  EXPECT_EQ(derived->Print(2.0), L"2");
  derived->Update({1.5, std::nullopt});
  EXPECT_EQ(derived->Print(2.0), L"2.00");

  // Counting and zero pointers.
  CQeSqliteBaseDataPrinter* watched = derived.Get();
  derived->AddZeroPtr(&watched);
  CQeRefCountPtr<CQeSqliteBaseDataPrinter> copy = derived;
  derived = nullptr;
  EXPECT_NE(watched, nullptr);
  copy = nullptr;
  EXPECT_EQ(watched, nullptr);
}
