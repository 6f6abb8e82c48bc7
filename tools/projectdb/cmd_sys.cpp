// projectdb sys: the time stamp, name and path helpers at work.
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "command.h"
#include "qe/core/date_time.h"
#include "qe/core/locale.h"
#include "qe/projectdb/sys.h"

namespace {

constexpr const char* kHelp =
    "usage: projectdb sys [--jdn <value>]\n"
    "\n"
    "Prints a JDN time stamp (now, or the given one) with each of its locale\n"
    "texts, a new UUID text and the file-name stamp a new run folder would get.\n"
    "Texts use the local time zone (TZ) and the locale of LC_ALL, LC_TIME or LANG.\n"
    "\n"
    "options:\n"
    "  --jdn <value>  the Julian day number to show instead of now,\n"
    "                 e.g. 2460369.5 for 29 February 2024, 00:00 UTC\n";

bool ParseJdn(const std::string& text, double& jdn) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  jdn = std::strtod(text.c_str(), &end);
  return errno == 0 && *end == '\0' && std::isfinite(jdn);
}

void PrintLabelled(const char* label, const CQeStringW& text) {
  std::printf("%-24s %s\n", label, text.ToUtf8().c_str());
}

int RunSys(const std::vector<std::string>& args) {
  double jdn = QeProjectDb_Sys_JdnNow();
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--jdn" && i + 1 < args.size()) {
      if (!ParseJdn(args[++i], jdn)) {
        qe::cli::PrintError("sys", "'" + args[i] + "' is not a JDN number");
        return qe::cli::kExitUsage;
      }
    } else {
      qe::cli::PrintError("sys", "unexpected argument '" + args[i] + "'; see projectdb sys --help");
      return qe::cli::kExitUsage;
    }
  }

  CQeDateTime::Tm utc;
  if (!CQeDateTime(jdn).GetTm(utc, CQeDateTime::TimeZone(1))) {
    qe::cli::PrintError("sys", "the JDN has no calendar date");
    return qe::cli::kExitFailure;
  }
  std::printf("%-24s %.8f\n", "JDN", jdn);
  PrintLabelled(
      "UTC", CQeStringW::Formatted(L"%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.year, utc.month + 1,
                                   utc.day, utc.hour, utc.minute, utc.second, utc.millisecond));
  PrintLabelled("locale", CQeStringW::FromUtf8(CQeLocale::GetLangID()));
  PrintLabelled("JdnFormat", QeProjectDb_Sys_JdnFormat(jdn));
  PrintLabelled("JdnFormatShort", QeProjectDb_Sys_JdnFormatShort(jdn));
  PrintLabelled("DayJdnFormatShort", QeProjectDb_Sys_DayJdnFormatShort(jdn));
  PrintLabelled("JdnFormatDateLong", QeProjectDb_Sys_JdnFormatDateLong(jdn));
  PrintLabelled("JdnFormatDateShort", QeProjectDb_Sys_JdnFormatDateShort(jdn));
  PrintLabelled("JdnFormatDateDM", QeProjectDb_Sys_JdnFormatDateDM(jdn));
  PrintLabelled("JdnFormatTimeLong", QeProjectDb_Sys_JdnFormatTimeLong(jdn));
  PrintLabelled("JdnFormatTimeShort", QeProjectDb_Sys_JdnFormatTimeShort(jdn));
  PrintLabelled("JdnFormatTimeHHMMSSmmm", QeProjectDb_Sys_JdnFormatTimeHHMMSSmmm(jdn));
  PrintLabelled("JdnFormatForFile", QeProjectDb_Sys_JdnFormatForFile(jdn, true, true, true));
  const CQeStringW uuid = QeProjectDb_Sys_UuidAsText();
  if (uuid.IsEmpty()) {
    qe::cli::PrintError("sys", "no random bytes for a UUID");
    return qe::cli::kExitFailure;
  }
  PrintLabelled("UuidAsText", uuid);
  return qe::cli::kExitOk;
}

}  // namespace

QE_CLI_COMMAND("sys", "print a JDN time stamp, its locale texts, a UUID and a file-name stamp",
               kHelp, &RunSys);
