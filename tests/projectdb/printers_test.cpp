#include "qe/projectdb/printers.h"

#include <gtest/gtest.h>

#include <atomic>
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

TEST(PropertyPrinter, DecimalsFromMagnitude) {
  const double kInf = std::numeric_limits<double>::infinity();
  const struct {
    bool integral;
    double magnitude, value;
    const wchar_t* text;
  } cases[] = {{false, 9.99, 1.5, L"1.500"},  {false, 10, 1.5, L"1.50"},
               {false, 0.05, 1.5, L"1.5000"}, {false, kNaN, 1.5, L"1.500"},
               {false, kInf, 1.5, L"1.5"},    {true, 0.05, 2.0, L"2"}};
  for (const auto& c : cases) {
    EXPECT_EQ(CQeProjectDbPropertyPrinter::Create(c.integral, c.magnitude)->Print(c.value), c.text)
        << c.integral << " " << c.magnitude;
  }
}

TEST(PropertyPrinter, DecimalsFromColumn) {
  const double kInf = std::numeric_limits<double>::infinity();
  const struct {
    CQeSqliteDataColumn column;
    double value;
    const wchar_t* text;
  } cases[] = {{{1.5, 2.25, 101.0}, 2.25, L"2.250"},
               {{3.0, 4.0, 5.0}, 3.25, L"3"},
               {{0.001, 0.002}, 0.001, L"0.0010000"},
               // No usable values; NULLs and values that are not finite are skipped.
               {{std::nullopt, std::nullopt}, 7.0, L"7"},
               {{kNaN, 1.5, kInf, std::nullopt}, 1.5, L"1.50000"}};
  for (const auto& c : cases) {
    EXPECT_EQ(CQeProjectDbPropertyPrinter::Create(c.column)->Print(c.value), c.text) << c.value;
  }
}

class JdnPrinters : public ::testing::Test {
 protected:
  ScopedEnv tz_{"TZ", "CET-1CEST,M3.5.0,M10.5.0/3"};
  ScopedEnv locale_{"LC_ALL", "de_DE.UTF-8"};
  double jdn_ = CQeDateTime(29, 1, 2024, 13, 45, 1, 7).GetJDN();
};

TEST_F(JdnPrinters, PrintLocalTextsOrNothing) {
  EXPECT_EQ(CQeProjectDbJdnDatePrinter::Create()->Print(jdn_), L"29.02.24");
  EXPECT_EQ(CQeProjectDbJdnTimePrinter::Create()->Print(jdn_), L"13:45:01.007");
  EXPECT_EQ(CQeProjectDbJdnDateTimePrinter::Create()->Print(jdn_), L"29.02.24 13:45");
  // Unprintable values give empty texts.
  for (const Printer& printer :
       {CQeProjectDbJdnDatePrinter::Create(), CQeProjectDbJdnTimePrinter::Create(),
        CQeProjectDbJdnDateTimePrinter::Create()}) {
    EXPECT_EQ(printer->Print(kNaN), L"");
    EXPECT_EQ(printer->Print(), L"");
  }
}

TEST_F(JdnPrinters, SharedByThreads) {
  const Printer printer = CQeProjectDbJdnDateTimePrinter::Create();
  const CQeStringW expected = printer->Print(jdn_);
  std::vector<std::thread> threads;
  std::atomic<int> mismatches{0};
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      Printer mine = printer;
      for (int i = 0; i < 200; ++i) mismatches += mine->Print(jdn_) == expected ? 0 : 1;
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(mismatches, 0);
}

}  // namespace
