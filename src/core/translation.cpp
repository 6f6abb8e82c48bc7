#include "qe/core/translation.h"

#include <libintl.h>

#include <mutex>

namespace {
constexpr const char* kDomain = "qeprojectdb";
}

CQeStringW QE_GetTranslation(const wchar_t* text, const char* /*source_file*/) {
  if (!text || !*text) return CQeStringW();
  static std::once_flag codeset_bound;
  // Catalogue texts come back in UTF-8 whatever the locale's own codeset.
  std::call_once(codeset_bound, [] { bind_textdomain_codeset(kDomain, "UTF-8"); });
  std::string id = qe::WideToUtf8(text);
  const char* translated = dgettext(kDomain, id.c_str());
  // dgettext hands back the id itself when it has no translation.
  if (translated == id.c_str()) return CQeStringW(text);
  return CQeStringW::FromUtf8(translated);
}
