#include "qe/core/date_time.h"

#include <chrono>
#include <cmath>
#include <ctime>

namespace {

constexpr double kMillisecondsPerDay = 86400000.0;
// Far beyond any calendar a time_t in struct tm can express; keeps llround defined.
constexpr double kMaxAbsMilliseconds = 1.0e17;

int64_t FloorDiv(int64_t value, int64_t divisor) {
  int64_t q = value / divisor;
  if ((value % divisor != 0) && ((value < 0) != (divisor < 0))) --q;
  return q;
}

double JdnFromUnixMilliseconds(int64_t milliseconds) {
  return CQeDateTime::kUnixEpochJdn + static_cast<double>(milliseconds) / kMillisecondsPerDay;
}

bool BreakDown(int64_t milliseconds, const CQeDateTime::TimeZone& zone, CQeDateTime::Tm& fields) {
  const int64_t seconds = FloorDiv(milliseconds, 1000);
  const time_t t = static_cast<time_t>(seconds);
  struct tm parts {};
  // localtime_r, unlike mktime, need not look at TZ again; a test or host
  // that changes TZ at run time expects the new zone.
  if (!zone.IsUtc()) tzset();
  const bool ok =
      zone.IsUtc() ? gmtime_r(&t, &parts) != nullptr : localtime_r(&t, &parts) != nullptr;
  if (!ok) return false;
  fields.year = parts.tm_year + 1900;
  fields.month = parts.tm_mon;
  fields.day = parts.tm_mday;
  fields.hour = parts.tm_hour;
  fields.minute = parts.tm_min;
  fields.second = parts.tm_sec;
  fields.millisecond = static_cast<int>(milliseconds - seconds * 1000);
  fields.dayOfWeek = parts.tm_wday;
  return true;
}

}  // namespace

CQeDateTime::CQeDateTime(int hour, int minute, int second, int millisecond) {
  Tm fields;
  UNow().GetTm(fields, TimeZone(0));
  fields.hour = hour;
  fields.minute = minute;
  fields.second = second;
  fields.millisecond = millisecond;
  SetFields(fields, TimeZone(0));
}

CQeDateTime::CQeDateTime(int day, int month, int year, int hour, int minute, int second,
                         int millisecond) {
  Tm fields;
  fields.year = year;
  fields.month = month;
  fields.day = day;
  fields.hour = hour;
  fields.minute = minute;
  fields.second = second;
  fields.millisecond = millisecond;
  SetFields(fields, TimeZone(0));
}

CQeDateTime CQeDateTime::UNow() {
  const auto since_epoch = std::chrono::system_clock::now().time_since_epoch();
  return FromUnixMilliseconds(
      std::chrono::duration_cast<std::chrono::milliseconds>(since_epoch).count());
}

CQeDateTime CQeDateTime::Now() { return UNow(); }

CQeDateTime CQeDateTime::FromUnixMilliseconds(int64_t milliseconds) {
  return CQeDateTime(JdnFromUnixMilliseconds(milliseconds));
}

int64_t CQeDateTime::GetUnixMilliseconds() const {
  // For present-day values the subtraction is exact (both operands lie within
  // a factor of two), so only the multiplication rounds.
  const double ms = (jdn_ - kUnixEpochJdn) * kMillisecondsPerDay;
  if (!std::isfinite(ms) || std::fabs(ms) > kMaxAbsMilliseconds) return 0;
  return std::llround(ms);
}

bool CQeDateTime::GetTm(Tm& fields, const TimeZone& zone) const {
  const double ms = (jdn_ - kUnixEpochJdn) * kMillisecondsPerDay;
  if (!std::isfinite(ms) || std::fabs(ms) > kMaxAbsMilliseconds) return false;
  Tm result;
  if (!BreakDown(std::llround(ms), zone, result)) return false;
  fields = result;
  return true;
}

int CQeDateTime::GetYear(const TimeZone& zone) const {
  Tm fields;
  GetTm(fields, zone);
  return fields.year;
}

int CQeDateTime::GetHour(const TimeZone& zone) const {
  Tm fields;
  GetTm(fields, zone);
  return fields.hour;
}

int CQeDateTime::GetMinute(const TimeZone& zone) const {
  Tm fields;
  GetTm(fields, zone);
  return fields.minute;
}

int CQeDateTime::GetSecond(const TimeZone& zone) const {
  Tm fields;
  GetTm(fields, zone);
  return fields.second;
}

int CQeDateTime::GetMillisecond(const TimeZone& zone) const {
  Tm fields;
  GetTm(fields, zone);
  return fields.millisecond;
}

void CQeDateTime::SetHour(int hour, const TimeZone& zone) {
  Tm fields;
  if (!GetTm(fields, zone)) return;
  fields.hour = hour;
  SetFields(fields, zone);
}

// Minutes, seconds and milliseconds move the instant by the difference, so
// that a time in the repeated hour at the end of summer time stays in the
// same half of it (rebuilding from fields would let mktime pick either).
void CQeDateTime::SetMinute(int minute, const TimeZone& zone) {
  Tm fields;
  if (!GetTm(fields, zone)) return;
  *this = FromUnixMilliseconds(GetUnixMilliseconds() +
                               static_cast<int64_t>(minute - fields.minute) * 60000);
}

void CQeDateTime::SetSecond(int second, const TimeZone& zone) {
  Tm fields;
  if (!GetTm(fields, zone)) return;
  *this = FromUnixMilliseconds(GetUnixMilliseconds() +
                               static_cast<int64_t>(second - fields.second) * 1000);
}

void CQeDateTime::SetMillisecond(int millisecond, const TimeZone& zone) {
  Tm fields;
  if (!GetTm(fields, zone)) return;
  *this = FromUnixMilliseconds(GetUnixMilliseconds() + (millisecond - fields.millisecond));
}

void CQeDateTime::SetFields(const Tm& fields, const TimeZone& zone) {
  struct tm parts {};
  parts.tm_year = fields.year - 1900;
  parts.tm_mon = fields.month;
  parts.tm_mday = fields.day;
  parts.tm_hour = fields.hour;
  parts.tm_min = fields.minute;
  parts.tm_sec = fields.second;
  parts.tm_isdst = -1;  // let the zone rules decide whether summer time applies
  const time_t seconds = zone.IsUtc() ? timegm(&parts) : mktime(&parts);
  jdn_ = JdnFromUnixMilliseconds(static_cast<int64_t>(seconds) * 1000 + fields.millisecond);
}
