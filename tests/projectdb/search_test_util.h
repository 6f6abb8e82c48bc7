// Helpers shared by the search tests: a fixed time zone for the duration of
// a test, JDN arithmetic written independently of the library, and the SQL
// bodies of the search language as literal texts.
#pragma once

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

#include "qe/core/string.h"
#include "qe/projectdb/search.h"

namespace qe::test {

// Sets TZ while it lives; the previous value comes back afterwards.
class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char* tz) {
    if (const char* old = std::getenv("TZ")) old_ = old;
    setenv("TZ", tz, 1);
    tzset();
  }
  ~ScopedTimeZone() {
    if (old_) {
      setenv("TZ", old_->c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }
  ScopedTimeZone(const ScopedTimeZone&) = delete;
  ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

 private:
  std::optional<std::string> old_;
};

// JDN of 00:00 UTC of a Gregorian date (days-from-civil, month 1-based).
inline double UtcMidnightJdn(int year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  const long era = (year >= 0 ? year : year - 399) / 400;
  const long yoe = year - era * 400;
  const long doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  const long daysSinceEpoch = era * 146097 + doe - 719468;
  return 2440587.5 + static_cast<double>(daysSinceEpoch);
}

inline std::wstring Lf(double value) { return fmt::sprintf(L"%f", value); }

// The fixed parts of the search SQL, as the language defines them.
inline const std::wstring kJobHead =
    L"SELECT DISTINCT jobdef.iKey, jobrun.iKey, ifnull(jobrun.dMTime, jobdef.dMTime) FROM jobdef, "
    L"jobrun WHERE jobrun.iJobdefKeyRef=jobdef.iKey AND (";
inline const std::wstring kAssayHead =
    L"SELECT DISTINCT jobdef.iKey, jobrun.iKey, ifnull(jobrun.dMTime, jobdef.dMTime) FROM jobdef, "
    L"jobrun, assayrun WHERE jobrun.iJobdefKeyRef=jobdef.iKey AND "
    L"assayrun.iJobrunKeyRef=jobrun.iKey AND (";
inline const std::wstring kPlateHead =
    L"SELECT DISTINCT jobdef.iKey, jobrun.iKey, ifnull(jobrun.dMTime, jobdef.dMTime) FROM jobdef, "
    L"jobrun, plateinfo WHERE jobrun.iJobdefKeyRef=jobdef.iKey AND "
    L"plateinfo.iJobrunKeyRef=jobrun.iKey AND (";
inline const std::wstring kLabelHead =
    L"SELECT DISTINCT jobrun.iJobdefKeyRef, jobrun.iKey, jobrun.dMTime FROM jobrun, frametag, "
    L"tagdef WHERE frametag.iJobrunKeyRef=jobrun.iKey AND frametag.iTagdefKeyRef=tagdef.iKey AND (";
inline const std::wstring kQuantityHead =
    L"SELECT DISTINCT jobrun.iJobdefKeyRef, jobrun.iKey, jobrun.dMTime FROM jobrun, frameprop, "
    L"propdef WHERE frameprop.iJobrunKeyRef=jobrun.iKey AND frameprop.iPropdefKeyRef=propdef.iKey "
    L"AND (";

inline std::wstring KeywordBody(const std::wstring& tagConditions) {
  const std::wstring tags = L"SELECT tagdef.iKey FROM tagdef WHERE " + tagConditions;
  return L"SELECT DISTINCT jobdef.iKey, jobrun.iKey, ifnull(jobrun.dMTime, jobdef.dMTime) \n"
         L"FROM jobrun, jobdef, jobdeftag, project LEFT OUTER JOIN projtag ON "
         L"projtag.iProjKeyRef=project.iKey AND projtag.iTagdefKeyRef IN (" +
         tags +
         L") \nWHERE jobrun.iJobdefKeyRef=jobdef.iKey AND jobdef.iProjKeyRef=project.iKey AND "
         L"jobdeftag.iJobdefKeyRef=jobdef.iKey AND jobdeftag.iTagdefKeyRef IN (" +
         tags + L")";
}

// Parses the whole text; returns the SQL (empty when nothing matched).
inline std::wstring SqlFor(const std::wstring& text, int* stop = nullptr) {
  SQeProjectDbSearchParser parser{CQeStringW(text)};
  int pos = -1;
  if (!parser.MatchQuery(&pos)) return L"";
  if (stop) *stop = pos;
  return parser.MakeSqlQuery().str();
}

}  // namespace qe::test
