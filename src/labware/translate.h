// Words shown to people in labware descriptions pass through the host's
// translation tables here, so that every description asks in one way.
#pragma once

#include "qe/core/string.h"
#include "qe/core/translation.h"

namespace qe::labware {

// The user-language form of an English word, or the word itself.
inline CQeStringW Translate(const wchar_t* english) {
  return QE_GetTranslation(english, "labware");
}

}  // namespace qe::labware
