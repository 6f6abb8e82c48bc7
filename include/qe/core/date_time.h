// Date and time values of the core library.
//
// Conventions:
//  - A CQeDateTime holds one instant as a JDN time: the Julian day number of
//    the UTC instant with the time of day as its fraction (JDN 2440587.5 is
//    1970-01-01T00:00:00Z). Every stored time of the system is such a value.
//  - Calendar fields are read and written under a TimeZone. Selector 0, the
//    only one the system uses, is the user's local zone as the TZ environment
//    variable sets it; selector 1 is UTC.
//  - Months are 0-based (0 = January), days of the month 1-based, days of
//    the week 0 = Sunday.
//  - A JDN double resolves about 20 microseconds for present-day dates, so
//    field reads round to the nearest millisecond; a value built from fields
//    reads back the same fields.
//  - Values are plain copies; every operation may be called from any thread
//    (the C library's reentrant time calls are used).
#pragma once

#include <cstdint>

class CQeDateTime {
 public:
  // Chooses the zone of calendar fields: 0 = local (TZ), 1 = UTC.
  class TimeZone {
   public:
    explicit TimeZone(int selector = 0) : selector_(selector) {}
    bool IsUtc() const { return selector_ == 1; }
    int Selector() const { return selector_; }

   private:
    int selector_;
  };

  // Calendar fields of an instant in one zone.
  struct Tm {
    int year = 0;
    int month = 0;  // 0-based
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
    int dayOfWeek = 0;  // 0 = Sunday
  };

  // JDN of 1970-01-01T00:00:00Z.
  static constexpr double kUnixEpochJdn = 2440587.5;

  // JDN 0.0 (an unset time).
  CQeDateTime() = default;
  explicit CQeDateTime(double jdn) : jdn_(jdn) {}
  // Today (in the local zone) at the given local time of day.
  CQeDateTime(int hour, int minute, int second, int millisecond);
  // The given local date and time; month is 0-based. Fields out of range
  // carry over as mktime does (month 12 is January of the next year).
  CQeDateTime(int day, int month, int year, int hour, int minute, int second, int millisecond);

  // The current instant. Both give the same instant; time stamps of the
  // system come from UNow, and the zone only matters when fields are read.
  static CQeDateTime UNow();
  static CQeDateTime Now();
  // The instant of a count of milliseconds since 1970-01-01T00:00:00Z.
  static CQeDateTime FromUnixMilliseconds(int64_t milliseconds);

  double GetJDN() const { return jdn_; }
  // Milliseconds since 1970-01-01T00:00:00Z, rounded to the nearest.
  int64_t GetUnixMilliseconds() const;

  // Fills the calendar fields; false (fields untouched) when the instant is
  // beyond what the C library can represent.
  bool GetTm(Tm& fields, const TimeZone& zone = TimeZone(0)) const;
  int GetYear(const TimeZone& zone = TimeZone(0)) const;
  int GetHour(const TimeZone& zone = TimeZone(0)) const;
  int GetMinute(const TimeZone& zone = TimeZone(0)) const;
  int GetSecond(const TimeZone& zone = TimeZone(0)) const;
  int GetMillisecond(const TimeZone& zone = TimeZone(0)) const;

  // Replace one calendar field, keeping the others as read in the zone.
  void SetHour(int hour, const TimeZone& zone = TimeZone(0));
  void SetMinute(int minute, const TimeZone& zone = TimeZone(0));
  void SetSecond(int second, const TimeZone& zone = TimeZone(0));
  void SetMillisecond(int millisecond, const TimeZone& zone = TimeZone(0));

  bool IsEarlierThan(const CQeDateTime& other) const { return jdn_ < other.jdn_; }

 private:
  // Rebuilds the instant from fields of the zone (dayOfWeek is ignored).
  void SetFields(const Tm& fields, const TimeZone& zone);

  double jdn_ = 0.0;
};
