#include "qe/core/date_time.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "support/scoped_env.h"

namespace {

using qe::test::ScopedEnv;

constexpr const char* kCentralEurope = "CET-1CEST,M3.5.0,M10.5.0/3";
const CQeDateTime::TimeZone kLocal(0);
const CQeDateTime::TimeZone kUtc(1);

CQeDateTime::Tm Fields(const CQeDateTime& t, const CQeDateTime::TimeZone& zone = kLocal) {
  CQeDateTime::Tm fields;
  EXPECT_TRUE(t.GetTm(fields, zone));
  return fields;
}

void ExpectFields(const CQeDateTime::Tm& f, int year, int month, int day, int hour, int minute,
                  int second, int ms) {
  EXPECT_EQ(f.year, year);
  EXPECT_EQ(f.month, month);
  EXPECT_EQ(f.day, day);
  EXPECT_EQ(f.hour, hour);
  EXPECT_EQ(f.minute, minute);
  EXPECT_EQ(f.second, second);
  EXPECT_EQ(f.millisecond, ms);
}

TEST(DateTime, JdnOfKnownInstantsInUtc) {
  ScopedEnv tz("TZ", "UTC0");
  EXPECT_DOUBLE_EQ(CQeDateTime(1, 0, 1970, 0, 0, 0, 0).GetJDN(), 2440587.5);
  EXPECT_DOUBLE_EQ(CQeDateTime(29, 1, 2024, 12, 0, 0, 0).GetJDN(), 2460370.0);
  ExpectFields(Fields(CQeDateTime(2460370.0)), 2024, 1, 29, 12, 0, 0, 0);
  EXPECT_EQ(Fields(CQeDateTime(2460370.0)).dayOfWeek, 4);  // a Thursday
}

TEST(DateTime, LocalFieldsFollowTheZone) {
  ScopedEnv tz("TZ", kCentralEurope);
  // 00:30 on the leap day in winter time is 23:30 UTC the day before.
  const CQeDateTime leap(29, 1, 2024, 0, 30, 0, 0);
  ExpectFields(Fields(leap, kLocal), 2024, 1, 29, 0, 30, 0, 0);
  ExpectFields(Fields(leap, kUtc), 2024, 1, 28, 23, 30, 0, 0);
  // Summer time is two hours ahead of UTC.
  const CQeDateTime summer(1, 6, 2024, 12, 0, 0, 0);
  EXPECT_EQ(summer.GetHour(kUtc), 10);
  EXPECT_EQ(summer.GetHour(), 12);
}

TEST(DateTime, RoundTripAcrossDayBoundaryAndLeapDay) {
  for (const char* zone : {"UTC0", kCentralEurope}) {
    SCOPED_TRACE(zone);
    ScopedEnv tz("TZ", zone);
    const CQeDateTime before_leap(28, 1, 2024, 23, 59, 59, 999);
    ExpectFields(Fields(CQeDateTime(before_leap.GetJDN())), 2024, 1, 28, 23, 59, 59, 999);
    const CQeDateTime next =
        CQeDateTime::FromUnixMilliseconds(before_leap.GetUnixMilliseconds() + 1);
    ExpectFields(Fields(next), 2024, 1, 29, 0, 0, 0, 0);
    const CQeDateTime end_of_leap(29, 1, 2024, 23, 59, 59, 999);
    ExpectFields(Fields(end_of_leap), 2024, 1, 29, 23, 59, 59, 999);
    ExpectFields(Fields(CQeDateTime(end_of_leap.GetJDN() + 1.0 / 86400000.0)), 2024, 2, 1, 0, 0, 0,
                 0);
    // Fields out of range carry over, as mktime does: no leap day in 2023.
    ExpectFields(Fields(CQeDateTime(29, 1, 2023, 8, 0, 0, 0)), 2023, 2, 1, 8, 0, 0, 0);
    ExpectFields(Fields(CQeDateTime(31, 11, 2023, 23, 59, 59, 1000)), 2024, 0, 1, 0, 0, 0, 0);
  }
  ScopedEnv tz("TZ", "UTC0");
  ExpectFields(Fields(CQeDateTime(31, 11, 1969, 23, 59, 59, 500)), 1969, 11, 31, 23, 59, 59, 500);
  EXPECT_EQ(CQeDateTime::FromUnixMilliseconds(-1).GetUnixMilliseconds(), -1);
}

TEST(DateTime, EveryMillisecondSurvivesTheDouble) {
  ScopedEnv tz("TZ", kCentralEurope);
  for (int ms = 0; ms < 1000; ++ms) {
    const CQeDateTime copy(CQeDateTime(31, 0, 2024, 13, 14, 15, ms).GetJDN());
    ASSERT_EQ(copy.GetMillisecond(), ms);
    ASSERT_EQ(copy.GetSecond(), 15);
  }
}

TEST(DateTime, SettersReplaceOneFieldAndKeepTheRepeatedHour) {
  ScopedEnv tz("TZ", kCentralEurope);
  CQeDateTime t(29, 1, 2024, 10, 20, 30, 400);
  t.SetHour(23);
  t.SetMinute(5);
  t.SetSecond(6);
  t.SetMillisecond(7);
  ExpectFields(Fields(t), 2024, 1, 29, 23, 5, 6, 7);
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

TEST(DateTime, TimeOfDayConstructorUsesToday) {
  ScopedEnv tz("TZ", kCentralEurope);
  const CQeDateTime::Tm before = Fields(CQeDateTime::UNow());
  const CQeDateTime::Tm got = Fields(CQeDateTime(7, 8, 9, 10));
  const CQeDateTime::Tm after = Fields(CQeDateTime::UNow());
  auto same_day = [&got](const CQeDateTime::Tm& f) {
    return got.year == f.year && got.month == f.month && got.day == f.day;
  };
  EXPECT_TRUE(same_day(before) || same_day(after));
  ExpectFields(got, got.year, got.month, got.day, 7, 8, 9, 10);
}

TEST(DateTime, UnrepresentableValuesGiveNoFields) {
  CQeDateTime::Tm fields;
  fields.year = 1234;
  EXPECT_FALSE(CQeDateTime(std::numeric_limits<double>::quiet_NaN()).GetTm(fields));
  EXPECT_FALSE(CQeDateTime(std::numeric_limits<double>::infinity()).GetTm(fields));
  EXPECT_FALSE(CQeDateTime(1e30).GetTm(fields));
  EXPECT_EQ(fields.year, 1234);
}

}  // namespace
