// The user's locale, for ICU date and time texts.
#pragma once

#include <string>

class CQeLocale {
 public:
  // The ICU locale id of the user's time locale: the first non-empty of
  // LC_ALL, LC_TIME, LANG, without its ".codeset" and "@modifier" parts
  // ("de_DE.UTF-8" gives "de_DE"); "en_US" when none is set or it is "C"
  // or "POSIX". Reads the environment on every call; thread-safe as far as
  // getenv is.
  static std::string GetLangID();
};
