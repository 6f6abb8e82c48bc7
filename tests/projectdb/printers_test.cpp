#include "qe/projectdb/printers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <thread>
#include <vector>

#include "qe/core/date_time.h"
#include "support/scoped_env.h"

namespace {

using qe::test::ScopedEnv;
using Printer = CQeRefCountPtr<CQeSqliteBaseDataPrinter>;

const double kNaN = std::numeric_limits<double>::quiet_NaN();

CQeStringW PrintWithMagnitude(bool integral, double magnitude, double value) {
  return CQeProjectDbPropertyPrinter::Create(integral, magnitude)->Print(value);
}

CQeStringW PrintWithColumn(const CQeSqliteDataColumn& column, double value) {
  return CQeProjectDbPropertyPrinter::Create(column)->Print(value);
}

TEST(PropertyPrinter, DecimalsFromMagnitude) {
  EXPECT_EQ(PrintWithMagnitude(false, 0, 1.5), L"1.500");
  EXPECT_EQ(PrintWithMagnitude(false, 0.5, 1.5), L"1.500");
  EXPECT_EQ(PrintWithMagnitude(false, 9.99, 1.5), L"1.500");
  EXPECT_EQ(PrintWithMagnitude(false, 10, 1.5), L"1.50");
  EXPECT_EQ(PrintWithMagnitude(false, 99.9, 1.5), L"1.50");
  EXPECT_EQ(PrintWithMagnitude(false, 100, 1.5), L"1.5");
  EXPECT_EQ(PrintWithMagnitude(false, 1e9, 1.5), L"1.5");
  EXPECT_EQ(PrintWithMagnitude(false, 0.05, 1.5), L"1.5000");
  EXPECT_EQ(PrintWithMagnitude(false, 0.0004, 1.5), L"1.500000");
  EXPECT_EQ(PrintWithMagnitude(false, kNaN, 1.5), L"1.500");
  EXPECT_EQ(PrintWithMagnitude(false, std::numeric_limits<double>::infinity(), 1.5), L"1.5");
}

TEST(PropertyPrinter, IntegralOrNegativeMagnitudeHasNoDecimals) {
  EXPECT_EQ(PrintWithMagnitude(true, 5, 1234.4), L"1234");
  EXPECT_EQ(PrintWithMagnitude(true, 0.05, 2.0), L"2");
  EXPECT_EQ(PrintWithMagnitude(false, -3, 1234.4), L"1234");
  EXPECT_EQ(PrintWithMagnitude(false, -0.001, -7.2), L"-7");
}

TEST(PropertyPrinter, DecimalsFromColumn) {
  EXPECT_EQ(PrintWithColumn({1.5, 2.25, 101.0}, 2.25), L"2.250");
  EXPECT_EQ(PrintWithColumn({3.0, 4.0, 5.0}, 3.0), L"3");
  EXPECT_EQ(PrintWithColumn({3.0, 4.0, 5.0}, 3.25), L"3");
  EXPECT_EQ(PrintWithColumn({0.5, 0.25}, 0.5), L"0.50000");
  EXPECT_EQ(PrintWithColumn({0.001, 0.002}, 0.001), L"0.0010000");
  EXPECT_EQ(PrintWithColumn({-250.5, 3.0}, 3.0), L"3.000");
  EXPECT_EQ(PrintWithColumn({1000000.5}, 1000000.5), L"1000000.5");
}

TEST(PropertyPrinter, ColumnWithoutUsableValues) {
  EXPECT_EQ(PrintWithColumn({}, 2.4), L"2");
  EXPECT_EQ(PrintWithColumn({std::nullopt, std::nullopt}, 7.0), L"7");
  // NULLs and non-finite values are skipped; the rest decides.
  EXPECT_EQ(PrintWithColumn({std::nullopt, 0.5}, 0.5), L"0.50000");
  EXPECT_EQ(PrintWithColumn({kNaN, 1.5, std::numeric_limits<double>::infinity()}, 1.5), L"1.50000");
  EXPECT_EQ(PrintWithColumn({kNaN}, 1.0), L"1");
}

TEST(PropertyPrinter, DecimalsStayWhatCreateChose) {
  Printer printer = CQeProjectDbPropertyPrinter::Create(false, 5);
  printer->Update({1e6, 2e6});
  EXPECT_EQ(printer->Print(1.5), L"1.500");
  printer->SetOptionFlags(0);  // trailing zeros dropped
  EXPECT_EQ(printer->Print(1.5), L"1.5");
}

class JdnPrinters : public ::testing::Test {
 protected:
  ScopedEnv tz_{"TZ", "CET-1CEST,M3.5.0,M10.5.0/3"};
  ScopedEnv locale_{"LC_ALL", "de_DE.UTF-8"};
  double jdn_ = CQeDateTime(29, 1, 2024, 13, 45, 1, 7).GetJDN();
};

TEST_F(JdnPrinters, PrintLocalTexts) {
  EXPECT_EQ(CQeProjectDbJdnDatePrinter::Create()->Print(jdn_), L"29.02.24");
  EXPECT_EQ(CQeProjectDbJdnTimePrinter::Create()->Print(jdn_), L"13:45:01.007");
  EXPECT_EQ(CQeProjectDbJdnDateTimePrinter::Create()->Print(jdn_), L"29.02.24 13:45");
}

TEST_F(JdnPrinters, UnprintableValuesGiveEmptyTexts) {
  for (const Printer& printer :
       {CQeProjectDbJdnDatePrinter::Create(), CQeProjectDbJdnTimePrinter::Create(),
        CQeProjectDbJdnDateTimePrinter::Create()}) {
    EXPECT_EQ(printer->Print(kNaN), L"");
    EXPECT_EQ(printer->Print(), L"");
    EXPECT_EQ(printer->OptionFlags(), 1);
  }
}

TEST_F(JdnPrinters, SharedByThreads) {
  const Printer printer = CQeProjectDbJdnDateTimePrinter::Create();
  const CQeStringW expected = printer->Print(jdn_);
  std::vector<std::thread> threads;
  std::vector<int> mismatches(4, 0);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      Printer mine = printer;
      for (int i = 0; i < 200; ++i) {
        if (!(mine->Print(jdn_) == expected)) ++mismatches[t];
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int count : mismatches) EXPECT_EQ(count, 0);
}

}  // namespace
