// Locale texts of JDN times through ICU.
//
// ICU would convert the instant with its own idea of the local zone, read
// once per process; the calendar fields here must be those of CQeDateTime
// (TZ as it is now), so each text is formatted with a fixed-offset zone equal
// to the local offset at that instant.
#include <unicode/datefmt.h>
#include <unicode/locid.h>
#include <unicode/simpletz.h>
#include <unicode/smpdtfmt.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <ctime>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "qe/core/date_time.h"
#include "qe/core/locale.h"
#include "qe/projectdb/sys.h"

namespace {

enum class Style { kShortDate, kLongDate, kMediumTime, kShortTime };

std::string UserTimeLocaleName() { return CQeLocale::GetLangID(); }

// Formatters are costly to make, so each thread keeps those of its current
// locale; a change of locale starts the cache afresh.
struct FormatterCache {
  std::string localeName;
  std::map<Style, icu::UnicodeString> patterns;
  std::map<icu::UnicodeString, std::unique_ptr<icu::SimpleDateFormat>> formatters;
};

FormatterCache& CacheFor(const std::string& localeName) {
  thread_local FormatterCache cache;
  if (cache.localeName != localeName) {
    cache.patterns.clear();
    cache.formatters.clear();
    cache.localeName = localeName;
  }
  return cache;
}

// The ICU pattern of a style in the user's locale, or false.
bool StylePattern(Style style, icu::UnicodeString& pattern) {
  const std::string localeName = UserTimeLocaleName();
  FormatterCache& cache = CacheFor(localeName);
  if (auto it = cache.patterns.find(style); it != cache.patterns.end()) {
    pattern = it->second;
    return true;
  }
  const icu::Locale locale(localeName.c_str());
  std::unique_ptr<icu::DateFormat> format;
  switch (style) {
    case Style::kShortDate:
      format.reset(icu::DateFormat::createDateInstance(icu::DateFormat::kShort, locale));
      break;
    case Style::kLongDate:
      format.reset(icu::DateFormat::createDateInstance(icu::DateFormat::kLong, locale));
      break;
    case Style::kMediumTime:
      format.reset(icu::DateFormat::createTimeInstance(icu::DateFormat::kMedium, locale));
      break;
    case Style::kShortTime:
      format.reset(icu::DateFormat::createTimeInstance(icu::DateFormat::kShort, locale));
      break;
  }
  auto* simple = dynamic_cast<icu::SimpleDateFormat*>(format.get());
  if (!simple) return false;
  simple->toPattern(pattern);
  cache.patterns.emplace(style, pattern);
  return true;
}

// The offset of the local zone from UTC at the instant, in milliseconds.
bool LocalOffset(const CQeDateTime& instant, int64_t& offsetMs) {
  CQeDateTime::Tm f;
  if (!instant.GetTm(f, CQeDateTime::TimeZone(0))) return false;
  struct tm wall {};
  wall.tm_year = f.year - 1900;
  wall.tm_mon = f.month;
  wall.tm_mday = f.day;
  wall.tm_hour = f.hour;
  wall.tm_min = f.minute;
  wall.tm_sec = f.second;
  const int64_t wallMs = static_cast<int64_t>(timegm(&wall)) * 1000 + f.millisecond;
  offsetMs = wallMs - instant.GetUnixMilliseconds();
  return true;
}

// The JDN in an ICU pattern of the user's locale; empty when ICU fails.
CQeStringW FormatPattern(double jdn, const icu::UnicodeString& pattern) {
  const CQeDateTime instant(jdn);
  int64_t offsetMs = 0;
  if (pattern.isEmpty() || !LocalOffset(instant, offsetMs)) return CQeStringW();
  const std::string localeName = UserTimeLocaleName();
  FormatterCache& cache = CacheFor(localeName);
  auto it = cache.formatters.find(pattern);
  if (it == cache.formatters.end()) {
    UErrorCode status = U_ZERO_ERROR;
    auto format =
        std::make_unique<icu::SimpleDateFormat>(pattern, icu::Locale(localeName.c_str()), status);
    if (U_FAILURE(status)) return CQeStringW();
    it = cache.formatters.emplace(pattern, std::move(format)).first;
  }
  it->second->setTimeZone(
      icu::SimpleTimeZone(static_cast<int32_t>(offsetMs), icu::UnicodeString(u"Local")));
  icu::UnicodeString result;
  it->second->format(static_cast<UDate>(instant.GetUnixMilliseconds()), result);
  std::string utf8;
  result.toUTF8String(utf8);
  return CQeStringW::FromUtf8(utf8);
}

CQeStringW FormatStyle(double jdn, Style style) {
  icu::UnicodeString pattern;
  if (!StylePattern(style, pattern)) return CQeStringW();
  return FormatPattern(jdn, pattern);
}

// Joins parts with single blanks; any empty part makes the whole text empty.
template <typename... Parts>
CQeStringW JoinWithBlanks(const CQeStringW& first, const Parts&... rest) {
  CQeStringW text = first;
  bool ok = !first.IsEmpty();
  ((ok = ok && !rest.IsEmpty(), text += L' ', text += rest), ...);
  return ok ? text : CQeStringW();
}

}  // namespace

CQeStringW QeProjectDb_Sys_JdnFormat(double jdn) {
  return JoinWithBlanks(FormatStyle(jdn, Style::kShortDate), FormatStyle(jdn, Style::kMediumTime));
}

CQeStringW QeProjectDb_Sys_JdnFormatShort(double jdn) {
  return JoinWithBlanks(FormatStyle(jdn, Style::kShortDate), FormatStyle(jdn, Style::kShortTime));
}

CQeStringW QeProjectDb_Sys_DayJdnFormatShort(double jdn) {
  return JoinWithBlanks(FormatPattern(jdn, icu::UnicodeString(u"EEE")),
                        FormatStyle(jdn, Style::kShortDate), FormatStyle(jdn, Style::kShortTime));
}

CQeStringW QeProjectDb_Sys_JdnFormatDateLong(double jdn) {
  return FormatStyle(jdn, Style::kLongDate);
}

CQeStringW QeProjectDb_Sys_JdnFormatDateShort(double jdn) {
  return FormatStyle(jdn, Style::kShortDate);
}

CQeStringW QeProjectDb_Sys_JdnFormatDateDM(double jdn) {
  icu::UnicodeString pattern;
  if (!StylePattern(Style::kShortDate, pattern)) return CQeStringW();
  pattern.findAndReplace(icu::UnicodeString(u"y"), icu::UnicodeString());
  if (!pattern.isEmpty() && !u_isalnum(pattern.char32At(0))) pattern.remove(0, 1);
  if (!pattern.isEmpty() && !u_isalnum(pattern.char32At(pattern.length() - 1))) {
    pattern.truncate(pattern.length() - 1);
  }
  pattern.trim();
  return FormatPattern(jdn, pattern);
}

CQeStringW QeProjectDb_Sys_JdnFormatTimeLong(double jdn) {
  return FormatStyle(jdn, Style::kMediumTime);
}

CQeStringW QeProjectDb_Sys_JdnFormatTimeShort(double jdn) {
  return FormatStyle(jdn, Style::kShortTime);
}
