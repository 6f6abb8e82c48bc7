// Translation of texts shown to people.
//
// The user-language form comes from the gettext catalogue of the domain
// "qeprojectdb" (the message ids are the English texts, in UTF-8), for the
// user's LC_MESSAGES locale as the host set it with setlocale. Without an
// installed catalogue, or for a text the catalogue lacks, the text itself
// comes back. Thread-safe (gettext is; the codeset is bound once).
#pragma once

#include "qe/core/string.h"

// source_file names the caller's source file; it is accepted for the
// callers' sake and does not choose the catalogue. A null text gives the empty text.
CQeStringW QE_GetTranslation(const wchar_t* text, const char* source_file = nullptr);
