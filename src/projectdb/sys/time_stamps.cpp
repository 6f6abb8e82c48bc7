// JDN time stamps and their locale-independent texts.
#include "qe/core/date_time.h"
#include "qe/projectdb/sys.h"

namespace {

// Calendar fields of a JDN in the zone every display text uses.
bool LocalFields(double jdn, CQeDateTime::Tm& fields) {
  return CQeDateTime(jdn).GetTm(fields, CQeDateTime::TimeZone(0));
}

}  // namespace

double QeProjectDb_Sys_JdnNow() { return CQeDateTime::UNow().GetJDN(); }

void QeProjectDb_Sys_JdnToST(double jdn, SQeSystemTime* st) {
  if (!st) return;
  *st = SQeSystemTime();
  CQeDateTime::Tm fields;
  if (!LocalFields(jdn, fields)) return;
  st->wYear = static_cast<uint16_t>(fields.year);
  st->wMonth = static_cast<uint16_t>(fields.month + 1);
  st->wDayOfWeek = static_cast<uint16_t>(fields.dayOfWeek);
  st->wDay = static_cast<uint16_t>(fields.day);
  st->wHour = static_cast<uint16_t>(fields.hour);
  st->wMinute = static_cast<uint16_t>(fields.minute);
  st->wSecond = static_cast<uint16_t>(fields.second);
  st->wMilliseconds = static_cast<uint16_t>(fields.millisecond);
}

double QeProjectDb_Sys_JdnParse(const CQeStringW& /*text*/) { return -1.0; }

CQeStringW QeProjectDb_Sys_JdnFormatTimeHHMMSSmmm(double jdn) {
  CQeDateTime::Tm f;
  if (!LocalFields(jdn, f)) return CQeStringW();
  return CQeStringW::Formatted(L"%02d:%02d:%02d.%03d", f.hour, f.minute, f.second, f.millisecond);
}

CQeStringW QeProjectDb_Sys_JdnFormatForFile(double jdn, bool withDate, bool withTime,
                                            bool withMilliseconds) {
  CQeStringW text;
  if (!withDate && !withTime && !withMilliseconds) return text;
  CQeDateTime::Tm f;
  if (!LocalFields(jdn, f)) return text;
  if (withDate) text.AppendFormat(L"%04d%02d%02d", f.year, f.month + 1, f.day);
  if (withTime) {
    if (withDate) text += L'_';
    text.AppendFormat(L"%02d%02d%02d", f.hour, f.minute, f.second);
  }
  if (withMilliseconds) {
    if (withDate || withTime) text += L'_';
    text.AppendFormat(L"%03d", f.millisecond);
  }
  return text;
}
