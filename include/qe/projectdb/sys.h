// Dates, names and paths: the stateless QeProjectDb_Sys_ helpers that the
// rest of the project database uses.
//
// Conventions:
//  - A JDN time is a double: the Julian day number of a UTC instant with the
//    time of day as its fraction (CQeDateTime::GetJDN). Every text made from
//    one shows the calendar fields of the user's local zone
//    (CQeDateTime::TimeZone(0), the TZ environment variable).
//  - Locale texts come from ICU in the user's locale (CQeLocale::GetLangID:
//    LC_ALL, then LC_TIME, then LANG; "C", "POSIX" or none of them: en_US).
//    A JDN that has no calendar date, or a locale ICU cannot format for,
//    gives an empty text.
//  - Paths are native: '/' separates folders and a returned folder ends in '/'.
//  - Every function may be called from any thread at the same time and none
//    throws. Results are values the caller owns.
#pragma once

#include <cstdint>
#include <vector>

#include "qe/core/string.h"

// The eight fields of a Windows SYSTEMTIME; months are 1-based, days of the
// week 0 = Sunday.
struct SQeSystemTime {
  uint16_t wYear = 0;
  uint16_t wMonth = 0;
  uint16_t wDayOfWeek = 0;
  uint16_t wDay = 0;
  uint16_t wHour = 0;
  uint16_t wMinute = 0;
  uint16_t wSecond = 0;
  uint16_t wMilliseconds = 0;
};

// ---- Time ----

// JDN time of now (CQeDateTime::UNow).
double QeProjectDb_Sys_JdnNow();
// Fills the calendar fields of the JDN in the local zone; all zeros when the
// JDN has no calendar date. Does nothing when st is null.
void QeProjectDb_Sys_JdnToST(double jdn, SQeSystemTime* st);
// Always -1.0: no text is parsed.
double QeProjectDb_Sys_JdnParse(const CQeStringW& text);

// Locale texts (see the conventions):
// short date, a blank, the time in the medium time pattern.
CQeStringW QeProjectDb_Sys_JdnFormat(double jdn);
// short date, a blank, the time in the short time pattern.
CQeStringW QeProjectDb_Sys_JdnFormatShort(double jdn);
// abbreviated day name, a blank, short date, a blank, short time.
CQeStringW QeProjectDb_Sys_DayJdnFormatShort(double jdn);
CQeStringW QeProjectDb_Sys_JdnFormatDateLong(double jdn);
CQeStringW QeProjectDb_Sys_JdnFormatDateShort(double jdn);
// Day and month only: the short date pattern with every "y" removed, then a
// leading and a trailing character that is not a letter or digit removed,
// then blanks trimmed ("M/d/yy" becomes "M/d", "dd.MM.yy" becomes "dd.MM").
CQeStringW QeProjectDb_Sys_JdnFormatDateDM(double jdn);
// The time in the medium time pattern.
CQeStringW QeProjectDb_Sys_JdnFormatTimeLong(double jdn);
// The time in the short time pattern.
CQeStringW QeProjectDb_Sys_JdnFormatTimeShort(double jdn);
// "HH:MM:SS.mmm", the same in every locale.
CQeStringW QeProjectDb_Sys_JdnFormatTimeHHMMSSmmm(double jdn);
// File-name stamp: "YYYYMMDD" with the date, "HHMMSS" with the time, "mmm"
// with the milliseconds, the parts present joined by "_"
// (20240131_134501_007). All three false gives an empty text.
CQeStringW QeProjectDb_Sys_JdnFormatForFile(double jdn, bool withDate, bool withTime,
                                            bool withMilliseconds);

// ---- Names ----

// A new random UUID as 32 lowercase hexadecimal digits without separators.
CQeStringW QeProjectDb_Sys_UuidAsText();
// The text with every character that is not a Unicode letter or digit
// replaced by the replacement character; the length stays the same.
CQeStringW QeProjectDb_Sys_ReplaceNonAlnum(const CQeStringW& text, wchar_t replacement);
// The name with blanks trimmed, trailing digits removed, then trailing blanks
// removed: " Run 12 " gives "Run", "42" gives "".
CQeStringW QeProjectDb_Sys_GetNamePrefix(const CQeStringW& name);
// True (suggestion = name) when no existing name equals the name. Otherwise
// false, and suggestion is the first of "<prefix> 1", "<prefix> 2", ... that
// no existing name equals, the prefix being QeProjectDb_Sys_GetNamePrefix of
// the name. Names compare exactly (case matters).
bool QeProjectDb_Sys_IsNameUnique(const CQeStringW& name, const std::vector<CQeStringW>& existing,
                                  CQeStringW& suggestion);

// ---- Paths ----

// "<storage root>/<subfolder>/": the storage root of QE_GetStoragePath
// (created when missing) with exactly one '/' before the subfolder and one
// after it. Empty when there is no storage root (no HOME and none of the
// storage variables set).
CQeStringW QeProjectDb_Sys_GetDefStoragePath(const CQeStringW& subfolder);
// True when the path lies on a network file system: the nearest existing
// folder of the path is on NFS, SMB/CIFS, AFS, Coda, 9P, Ceph, Lustre or a
// network FUSE file system (GlusterFS, sshfs, ...), or the path lies under
// one of the colon-separated folders in the environment variable
// QE_PROJECTDB_NETWORK_PATHS.
bool QeProjectDb_Sys_IsNetworkPath(const CQeStringW& path);
// Deletes the folder and everything in it. Always 0: failures (a missing
// folder, no permission) are not reported. An empty path or a file-system
// root is left alone.
int QeProjectDb_Sys_DeleteFolder(const CQeStringW& path);
