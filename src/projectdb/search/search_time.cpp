#include "projectdb/search/search_time.h"

#include "qe/core/date_time.h"

namespace qe::search {

namespace {

const CQeDateTime::TimeZone kLocal(0);

double FieldsToJdn(const CQeDateTime::Tm& day, int hour, int minute, int second, int ms) {
  return CQeDateTime(day.day, day.month, day.year, hour, minute, second, ms).GetJDN();
}

}  // namespace

double NowJdn() { return CQeDateTime::UNow().GetJDN(); }

SLocalDay LocalDayOf(double dJdn) {
  CQeDateTime::Tm fields;
  if (!CQeDateTime(dJdn).GetTm(fields, kLocal)) return SLocalDay();
  return SLocalDay{fields.year, fields.month + 1, fields.day};
}

bool IsValidDay(int iYear, int iMonth, int iDay) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (iYear < 1 || iMonth < 1 || iMonth > 12 || iDay < 1) return false;
  const bool leap = (iYear % 4 == 0 && iYear % 100 != 0) || iYear % 400 == 0;
  const int days = kDays[iMonth - 1] + (iMonth == 2 && leap ? 1 : 0);
  return iDay <= days;
}

double LocalMidnightJdn(int iYear, int iMonth, int iDay) {
  return CQeDateTime(iDay, iMonth - 1, iYear, 0, 0, 0, 0).GetJDN();
}

double DayStartJdn(double dJdn) {
  CQeDateTime::Tm fields;
  if (!CQeDateTime(dJdn).GetTm(fields, kLocal)) return dJdn;
  return FieldsToJdn(fields, 0, 0, 0, 0);
}

double DayEndJdn(double dJdn) {
  CQeDateTime::Tm fields;
  if (!CQeDateTime(dJdn).GetTm(fields, kLocal)) return dJdn;
  return FieldsToJdn(fields, 23, 59, 59, 999);
}

double TodayAtJdn(int iHour, int iMinute, int iSecond) {
  return CQeDateTime(iHour, iMinute, iSecond, 0).GetJDN();
}

double WithTimeOfDay(double dDateJdn, double dTimeJdn) {
  const CQeDateTime time(dTimeJdn);
  CQeDateTime date(dDateJdn);
  date.SetHour(time.GetHour(kLocal), kLocal);
  date.SetMinute(time.GetMinute(kLocal), kLocal);
  date.SetSecond(time.GetSecond(kLocal), kLocal);
  date.SetMillisecond(0, kLocal);
  return date.GetJDN();
}

}  // namespace qe::search
