#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "qe/core/date_time.h"
#include "qe/projectdb/sys.h"
#include "support/scoped_env.h"

namespace {

using qe::test::ScopedEnv;

constexpr const char* kCentralEurope = "CET-1CEST,M3.5.0,M10.5.0/3";
const double kNaN = std::numeric_limits<double>::quiet_NaN();
// 23:30 UTC on 28 February 2024 is 00:30 on the leap day in Central Europe.
const double kLeapNight = CQeDateTime::FromUnixMilliseconds(1709163000000).GetJDN();

TEST(SysTime, FileStampsFixedTimesAndFieldsInTheLocalZone) {
  ScopedEnv tz("TZ", kCentralEurope);
  const double january31 = CQeDateTime(31, 0, 2024, 13, 45, 1, 7).GetJDN();
  EXPECT_EQ(QeProjectDb_Sys_JdnFormatForFile(january31, true, true, true), L"20240131_134501_007");
  EXPECT_EQ(QeProjectDb_Sys_JdnFormatForFile(january31, false, true, false), L"134501");
  EXPECT_EQ(QeProjectDb_Sys_JdnFormatForFile(kLeapNight, true, true, false), L"20240229_003000");
  EXPECT_EQ(QeProjectDb_Sys_JdnFormatForFile(kNaN, true, true, true), L"");
  EXPECT_EQ(QeProjectDb_Sys_JdnFormatTimeHHMMSSmmm(january31), L"13:45:01.007");
  SQeSystemTime st;
  auto fields = [&st] {
    return std::vector<int>{st.wYear, st.wMonth,  st.wDayOfWeek, st.wDay,
                            st.wHour, st.wMinute, st.wSecond,    st.wMilliseconds};
  };
  QeProjectDb_Sys_JdnToST(kLeapNight, &st);
  EXPECT_EQ(fields(), (std::vector<int>{2024, 2, 4, 29, 0, 30, 0, 0}));
  ScopedEnv utc("TZ", "UTC0");
  EXPECT_EQ(QeProjectDb_Sys_JdnFormatForFile(kLeapNight, true, true, false), L"20240228_233000");
}

// Locale texts: ICU's data decides the exact wording, so these check the
// parts that every ICU release agrees on.
class SysLocaleTexts : public ::testing::Test {
 protected:
  ScopedEnv tz_{"TZ", kCentralEurope};
  ScopedEnv time_{"LC_TIME", nullptr};
  ScopedEnv lang_{"LANG", nullptr};
  double leapAfternoon_ = CQeDateTime(29, 1, 2024, 13, 45, 1, 7).GetJDN();
};

TEST_F(SysLocaleTexts, UnitedStatesGermanyAndJapan) {
  const double jdn = leapAfternoon_;
  {
    ScopedEnv all("LC_ALL", "en_US.UTF-8");
    EXPECT_EQ(QeProjectDb_Sys_JdnFormatDateDM(jdn), L"2/29");
    EXPECT_EQ(QeProjectDb_Sys_JdnFormatDateLong(jdn), L"February 29, 2024");
    const CQeStringW timeLong = QeProjectDb_Sys_JdnFormatTimeLong(jdn);
    EXPECT_EQ(timeLong.Find(L"1:45:01"), 0) << timeLong.ToUtf8();
    EXPECT_EQ(QeProjectDb_Sys_JdnFormat(jdn), L"2/29/24 " + timeLong);
    EXPECT_EQ(QeProjectDb_Sys_DayJdnFormatShort(jdn),
              L"Thu 2/29/24 " + QeProjectDb_Sys_JdnFormatTimeShort(jdn));
  }
  ScopedEnv all("LC_ALL", "de_DE.UTF-8");
  EXPECT_EQ(QeProjectDb_Sys_JdnFormatDateLong(jdn), L"29. Februar 2024");
  EXPECT_EQ(QeProjectDb_Sys_JdnFormat(jdn), L"29.02.24 13:45:01");
  EXPECT_EQ(QeProjectDb_Sys_DayJdnFormatShort(jdn), L"Do. 29.02.24 13:45");
  // A year-first pattern loses its leading separator.
  ScopedEnv japan("LC_ALL", "ja_JP.UTF-8");
  EXPECT_EQ(QeProjectDb_Sys_JdnFormatDateShort(jdn), L"2024/02/29");
  EXPECT_EQ(QeProjectDb_Sys_JdnFormatDateDM(jdn), L"02/29");
}

TEST_F(SysLocaleTexts, LcTimeOutranksLangAndTextsShowTheLocalZone) {
  ScopedEnv all("LC_ALL", nullptr);
  ScopedEnv lang("LANG", "en_US.UTF-8");
  ScopedEnv time("LC_TIME", "de_DE.UTF-8");
  EXPECT_EQ(QeProjectDb_Sys_JdnFormatShort(kLeapNight), L"29.02.24 00:30");
  ScopedEnv utc("TZ", "UTC0");
  EXPECT_EQ(QeProjectDb_Sys_JdnFormatShort(kLeapNight), L"28.02.24 23:30");
  for (double bad : {kNaN, std::numeric_limits<double>::infinity(), 1e30}) {
    EXPECT_EQ(QeProjectDb_Sys_JdnFormat(bad), L"");
    EXPECT_EQ(QeProjectDb_Sys_JdnFormatDateLong(bad), L"");
  }
}

}  // namespace
