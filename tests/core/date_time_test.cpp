#include "qe/core/date_time.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/scoped_env.h"

namespace {

using qe::test::ScopedEnv;

constexpr const char* kCentralEurope = "CET-1CEST,M3.5.0,M10.5.0/3";
const CQeDateTime::TimeZone kUtc(1);

// year, month (0-based), day, hour, minute, second, millisecond in the local zone.
std::vector<int> Fields(const CQeDateTime& t,
                        const CQeDateTime::TimeZone& zone = CQeDateTime::TimeZone(0)) {
  CQeDateTime::Tm f;
  EXPECT_TRUE(t.GetTm(f, zone));
  return {f.year, f.month, f.day, f.hour, f.minute, f.second, f.millisecond};
}

TEST(DateTime, JdnOfKnownInstantsInUtc) {
  ScopedEnv tz("TZ", "UTC0");
  EXPECT_DOUBLE_EQ(CQeDateTime(29, 1, 2024, 12, 0, 0, 0).GetJDN(), 2460370.0);
  EXPECT_EQ(Fields(CQeDateTime(2460370.0)), (std::vector<int>{2024, 1, 29, 12, 0, 0, 0}));
}

TEST(DateTime, RoundTripAcrossDayBoundaryAndLeapDay) {
  for (const char* zone : {"UTC0", kCentralEurope}) {
    SCOPED_TRACE(zone);
    ScopedEnv tz("TZ", zone);
    const CQeDateTime before_leap(28, 1, 2024, 23, 59, 59, 999);
    EXPECT_EQ(Fields(CQeDateTime(before_leap.GetJDN())),
              (std::vector<int>{2024, 1, 28, 23, 59, 59, 999}));
    EXPECT_EQ(Fields(CQeDateTime::FromUnixMilliseconds(before_leap.GetUnixMilliseconds() + 1)),
              (std::vector<int>{2024, 1, 29, 0, 0, 0, 0}));
    const CQeDateTime end_of_leap(29, 1, 2024, 23, 59, 59, 999);
    EXPECT_EQ(Fields(CQeDateTime(end_of_leap.GetJDN() + 1.0 / 86400000.0)),
              (std::vector<int>{2024, 2, 1, 0, 0, 0, 0}));
    // Fields out of range carry over, as mktime does: no leap day in 2023.
    EXPECT_EQ(Fields(CQeDateTime(29, 1, 2023, 8, 0, 0, 0)),
              (std::vector<int>{2023, 2, 1, 8, 0, 0, 0}));
  }
  // 00:30 on the leap day in winter time is 23:30 UTC the day before.
  ScopedEnv tz("TZ", kCentralEurope);
  EXPECT_EQ(Fields(CQeDateTime(29, 1, 2024, 0, 30, 0, 0), kUtc),
            (std::vector<int>{2024, 1, 28, 23, 30, 0, 0}));
}

TEST(DateTime, EveryMillisecondSurvivesTheDouble) {
  ScopedEnv tz("TZ", kCentralEurope);
  for (int ms = 0; ms < 1000; ++ms) {
    const CQeDateTime copy(CQeDateTime(31, 0, 2024, 13, 14, 15, ms).GetJDN());
    ASSERT_EQ(copy.GetMillisecond(), ms);
    ASSERT_EQ(copy.GetSecond(), 15);
  }
}

TEST(DateTime, SettersKeepTheRepeatedHour) {
  ScopedEnv tz("TZ", kCentralEurope);
  // 2024-10-27 02:30 happens twice in this zone; take the second (01:30 UTC),
  // one hour before the unambiguous 03:30.
  CQeDateTime repeated = CQeDateTime::FromUnixMilliseconds(
      CQeDateTime(27, 9, 2024, 3, 30, 0, 0).GetUnixMilliseconds() - 3600000);
  ASSERT_EQ(repeated.GetHour(kUtc), 1);
  ASSERT_EQ(repeated.GetHour(), 2);
  repeated.SetMinute(45);
  repeated.SetMillisecond(9);
  EXPECT_EQ(repeated.GetHour(kUtc), 1);
  EXPECT_EQ(repeated.GetMinute(), 45);
  EXPECT_EQ(repeated.GetMillisecond(), 9);
}

}  // namespace
