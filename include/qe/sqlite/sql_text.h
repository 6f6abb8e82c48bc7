// SQL text: templates and literals.
//
// Conventions:
//  - SQL is built from printf-style templates ("%s" for names and quoted
//    texts, "%I64d" for 64-bit keys, "%d", "%lf") by QeSqlite_FormatSql,
//    the one place of the helper layer that fills a template.
//  - Every caller-supplied text placed inside a quoted SQL literal goes
//    through QeSqlite_EscapeText (or QeSqlite_QuotedText), the one place
//    that escapes texts: apostrophes are doubled, nothing else changes.
//    Where a caller's text must be found literally inside a column (a
//    name prefix), statements use instr() rather than LIKE, so % and _
//    stay plain characters.
//    Table and column names come from table definitions and are used as
//    they stand.
#pragma once

#include "qe/core/string.h"

// The text with every apostrophe doubled, ready to stand between two
// apostrophes in SQL: O'Neil becomes O''Neil.
CQeStringW QeSqlite_EscapeText(const CQeStringW& text);

// The text as a complete SQL string literal: 'O''Neil'.
CQeStringW QeSqlite_QuotedText(const CQeStringW& text);

// The text as SQLite stores and returns it: what UTF-8 and UTF-16 cannot
// carry (surrogates, values beyond U+10FFFF) and the noncharacters U+FFFE
// and U+FFFF become U+FFFD, as SQLite's own conversion does. Compare a
// caller's text with texts read back from the file in this form.
CQeStringW QeSqlite_StoredText(const CQeStringW& text);

// Fills a SQL template; the arguments are type-checked (see CQeStringW::Format).
template <typename... Args>
CQeStringW QeSqlite_FormatSql(const wchar_t* sqlTemplate, const Args&... args) {
  return CQeStringW::Formatted(sqlTemplate, args...);
}
