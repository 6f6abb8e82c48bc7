// Calendar arithmetic of the search language, in the user's local zone
// (CQeDateTime::TimeZone(0)). Months here are 1-based, as typed.
#pragma once

namespace qe::search {

struct SLocalDay {
  int iYear = 0;
  int iMonth = 0;  // 1-based
  int iDay = 0;
};

// JDN time of now.
double NowJdn();
// The local calendar day of a JDN time (all zeros when it has none).
SLocalDay LocalDayOf(double dJdn);
// Whether the day exists in the proleptic Gregorian calendar (years 1 on).
bool IsValidDay(int iYear, int iMonth, int iDay);
// JDN of local 00:00:00.000 of the day.
double LocalMidnightJdn(int iYear, int iMonth, int iDay);
// JDN of local 00:00:00.000 and 23:59:59.999 of the local day of a JDN time.
double DayStartJdn(double dJdn);
double DayEndJdn(double dJdn);
// JDN of today at the local time of day.
double TodayAtJdn(int iHour, int iMinute, int iSecond);
// The date with the local hour, minute and second of the time, 0 milliseconds.
double WithTimeOfDay(double dDateJdn, double dTimeJdn);

}  // namespace qe::search
