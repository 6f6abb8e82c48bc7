// Search: the search-box language and its translation to SQL.
//
// Conventions:
//  - SQeProjectDbSearchParser is built on one search text. MatchQuery reads
//    it into a list of sub-queries (items); MakeSqlQuery turns the items into
//    one compound SELECT that the host runs on its own connection. Every row
//    of that SELECT has three columns: a job definition key (jobdef.iKey), a
//    job run key (jobrun.iKey) and a time (JDN), in that order.
//  - The parser is a single-pass recogniser over wide characters. Matchers
//    return true when they recognised something and move the position over
//    what they read; a matcher that fails may have consumed characters, as
//    each one says. Nothing is reported as an error: the caller compares the
//    position MatchQuery returns with the length of the text to find text
//    that was left unread.
//  - Safety of the SQL: every word and phrase is placed inside a single-quoted
//    SQL literal with each apostrophe doubled (the SQL way of writing one
//    apostrophe inside a literal), so no search text can end a literal early
//    or add anything to the statement. Numbers and dates are formatted by the
//    library, never copied from the text. A text is read up to its first null
//    character. "%" and "_" typed by the user keep their LIKE meaning.
//  - Dates and times typed in the search box are calendar values of the
//    user's local zone (CQeDateTime::TimeZone(0)); the SQL compares them as
//    JDN times.
//  - A parser is a value: copy it freely; threads do not share one (each
//    builds its own). The static tables are constant and may be read from
//    any thread. Nothing here throws, nor touches a database.
//  - The user's guide to the language is docs/search-language.md.
#pragma once

#include <array>
#include <cstddef>
#include <initializer_list>
#include <span>
#include <vector>

#include "qe/core/string.h"

struct SQeProjectDbSearchParser {
  // How words or dates are compared. The character typed is ":=<>"[value].
  enum EQeComparator : int {
    eComparatorContains = 0,  // ":" contains (words) / the same day (dates)
    eComparatorEquals = 1,    // "=" equals (words) / the same day (dates)
    eComparatorLess = 2,      // "<" before (dates)
    eComparatorGreater = 3,   // ">" after (dates)
  };

  // What a sub-query searches; the keyword typed is s_pwszSpecifiers[value].
  enum EQeSpecifier : int {
    eSpecifierNone = 0,  // plain words, searched everywhere
    eSpecifierAssay = 1,
    eSpecifierDate = 2,
    eSpecifierFirst = 3,
    eSpecifierJob = 4,
    eSpecifierKeyword = 5,
    eSpecifierLabel = 6,
    eSpecifierLast = 7,
    eSpecifierPlate = 8,
    eSpecifierQuantity = 9,
  };

  // Values of a set operator (kept as an int in the members below).
  enum EQeSetOperator : int {
    eSetOperatorNone = 0,
    eSetOperatorIntersect = 1,  // no operator typed before a specifier
    eSetOperatorUnion = 2,      // "+"
    eSetOperatorExcept = 3,     // "-"
  };

  // One sub-query. A new or reset item has every number 0, no words and
  // date 0.0.
  struct SQeItem {
    SQeItem() = default;
    void Reset() { *this = SQeItem(); }

    int iSetOperator = eSetOperatorNone;
    EQeSpecifier eSpecifier = eSpecifierNone;
    EQeComparator eComparator = eComparatorContains;
    std::vector<CQeStringW> vectWords;
    int iCount = 0;      // first/last: how many rows
    double dDate = 0.0;  // date: the JDN typed
  };

  // The ten keywords, indexed like s_peSpecifiers; entry 0 is empty.
  static constexpr std::array<const wchar_t*, 10> s_pwszSpecifiers = {
      L"",        L"assay", L"date", L"first", L"job",
      L"keyword", L"label", L"last", L"plate", L"quantity"};
  static constexpr std::array<EQeSpecifier, 10> s_peSpecifiers = {
      eSpecifierNone,    eSpecifierAssay, eSpecifierDate, eSpecifierFirst, eSpecifierJob,
      eSpecifierKeyword, eSpecifierLabel, eSpecifierLast, eSpecifierPlate, eSpecifierQuantity};
  // Every specifier that has a keyword (1 to 9, in order). Constant data
  // rather than a table filled on first use, so that parsers on several
  // threads never race to fill it.
  static constexpr std::array<EQeSpecifier, 9> s_vectAllSpecifiers = {
      eSpecifierAssay, eSpecifierDate, eSpecifierFirst, eSpecifierJob,     eSpecifierKeyword,
      eSpecifierLabel, eSpecifierLast, eSpecifierPlate, eSpecifierQuantity};

  // Limits that keep every statement within what SQLite prepares and runs
  // (at most 500 SELECTs in a compound, expressions at most 1000 deep, LIKE
  // patterns of at most 50000 bytes): a word list takes at most s_iMaxWords
  // words and phrases, each of at most s_iMaxWordLength characters (a longer
  // one ends the list, unread), MatchQuery at most s_iMaxItems general and
  // date sub-queries. Text beyond is left unread and shows in the position
  // MatchQuery reports.
  static constexpr int s_iMaxWords = 200;
  static constexpr int s_iMaxWordLength = 1000;
  static constexpr int s_iMaxItems = 100;

  // The parser reads a copy of the text up to its first null character.
  explicit SQeProjectDbSearchParser(const CQeStringW& wszText = CQeStringW());

  // Position 0, token emptied, current item reset, item list cleared.
  void Reset();

  // ---- Character access ----
  // The character at the position; 0 at the end.
  wchar_t CurrChar() const;
  // The text from the position on (points at the terminating null at the end).
  const wchar_t* CurrPtr() const;
  // Characters left: length minus position.
  int CurrLen() const;
  // Moves the position by n (negative moves back), kept within the text.
  void MoveChar(int n);
  // Skips Unicode white space (qe::IsBlankChar).
  void TrimWitespace();

  // ---- Tokens ----
  // "+" (set operator 2, UNION) or "-" (3, EXCEPT): consumed, becomes the
  // token. Anything else: false, nothing consumed.
  bool MatchOperator();
  // The first allowed specifier whose keyword starts the text at the
  // position, compared without regard to case, wins: it is stored, its
  // keyword becomes the token and is consumed. No delimiter is needed after
  // the keyword ("labels" matches "label" and leaves the "s").
  bool MatchSpecifier(std::span<const EQeSpecifier> allowed);
  // The current character, when it is one of the allowed comparators: stored,
  // becomes the token, consumed. Whitespace is not skipped before it.
  bool MatchComparator(std::span<const EQeComparator> allowed);
  // The longest run of the digits 0-9 becomes the token and the integer value
  // (a value beyond the int range is held as INT_MAX). True when at least one
  // digit was read and the value is above 0; the digits are consumed either way.
  bool MatchInteger();
  // Day and month, optionally a year: "d.m", "d/m/yyyy", "yyyy-m-d", ... with
  // ".", "/" or "-" between the numbers and blanks allowed around them. A
  // year above 100 first means year/month/day, last means day/month/year.
  // Without a year: the current year, or the year before when that day is
  // still to come. The date value becomes the JDN of local midnight of that
  // day. False for a day that is not in the calendar or a year above 9999.
  // A separator after day and month that no number follows is left unread.
  bool MatchDate();
  // "h:mm" or "h:mm:ss", blanks allowed around the colons, then blanks and
  // an optional "am"/"pm" (any case) are consumed. On the 12-hour clock
  // "12 am" is 0 o'clock and "12 pm" noon; "pm" adds 12 to the hours 0 to 11;
  // an hour above 12 with "am" or "pm" is no time.
  // Zero fields ("10:00", "0:30") are accepted. Needs hour below 24, minute
  // and second below 60. The date value becomes the JDN of that time today
  // (local zone).
  bool MatchTime();
  // A word: the characters up to the next whitespace or the end. A word that
  // begins with a specifier keyword, with or without a leading "+" or "-", is
  // not a word (it starts a new sub-query): false with nothing consumed. A
  // leading "+" or "-" before any other word is dropped.
  bool MatchWord();
  // A double-quoted phrase. Both quotes are consumed when present; true only
  // when the closing quote was found and the phrase is not empty. An
  // unterminated phrase consumes the rest of the text.
  bool MatchPhrase();
  // Clears the word list, then reads phrases and words, each after optional
  // whitespace, until neither matches or s_iMaxWords were read. True when at
  // least one was read.
  bool MatchWordlist();

  // ---- Sub-queries (each leaves a finished current item on success) ----
  // Plain words and phrases, searched everywhere.
  bool MatchSimpleSubquery();
  // [+|-] assay|job|keyword|label|plate|quantity, ":" or "=", words. Without
  // an operator the sub-query intersects. When no specifier of that list
  // follows, an operator read here is put back for the date sub-query.
  bool MatchGenSubquery();
  // [+|-] date, one of ":=<>", then a date, a date and a time, or a time.
  // What follows a date and is not a time is left unread.
  bool MatchDateSubquery();
  // first|last, ":" or "=", a count above 0. False at once, the character
  // consumed, when the text starts with an operator.
  bool MatchFirstlastSubquery();

  // Reads the whole text into the items: an optional simple sub-query, then
  // general and date sub-queries (up to s_iMaxItems items), then an optional
  // first/last sub-query (with no other item before it, a job sub-query for
  // every job, "job:*", is put first). The position where reading stopped,
  // after whitespace, is stored in *piPos when piPos is not null; what a
  // failed sub-query consumed stays consumed ("cell label :x" stops at ":x").
  // True when at least one sub-query matched; text left after that is not
  // an error here.
  bool MatchQuery(int* piPos);

  // The items as one SQL compound SELECT ending in ";", each item's text
  // after " \n"; the first is built without its set operator. Empty when no
  // item gives any SQL.
  CQeStringW MakeSqlQuery() const;

  // ---- SQL builders (static; each returns the empty text when it has
  // ---- nothing to select by) ----
  // Prefix by set operator ("INTERSECT ", "UNION ", "EXCEPT " or none), then
  // the body for the item's specifier.
  static CQeStringW MakeSqlSubquery(const SQeItem& item);
  static CQeStringW MakeSqlSubquery_Assay(EQeComparator eComparator,
                                          const std::vector<CQeStringW>& words);
  static CQeStringW MakeSqlSubquery_Job(EQeComparator eComparator,
                                        const std::vector<CQeStringW>& words);
  static CQeStringW MakeSqlSubquery_Keyword(EQeComparator eComparator,
                                            const std::vector<CQeStringW>& words);
  static CQeStringW MakeSqlSubquery_Label(EQeComparator eComparator,
                                          const std::vector<CQeStringW>& words);
  static CQeStringW MakeSqlSubquery_Plate(EQeComparator eComparator,
                                          const std::vector<CQeStringW>& words);
  static CQeStringW MakeSqlSubquery_Quantity(EQeComparator eComparator,
                                             const std::vector<CQeStringW>& words);
  static CQeStringW MakeSqlSubquery_Date(EQeComparator eComparator, double dJdn);
  static CQeStringW MakeSqlSubquery_First(int iCount);
  static CQeStringW MakeSqlSubquery_Last(int iCount);
  // One condition per word on the column ("table.column"), joined by " OR ".
  // ":" gives LIKE with "*" as "%" (else "?" as "_", else contains), "=" the
  // equality; "<" and ">" give nothing for words. A word longer than
  // s_iMaxWordLength characters gives no LIKE condition (SQLite would refuse
  // the pattern when the statement runs).
  static CQeStringW MakeSqlWhereForWords(const CQeStringW& wszColumn, EQeComparator eComparator,
                                         const std::vector<CQeStringW>& words);
  // ":" or "=": the local day of the JDN, from 00:00:00.000 to 23:59:59.999
  // (BETWEEN); "<" and ">" compare with the value itself.
  static CQeStringW MakeSqlWhereForDate(const CQeStringW& wszColumn, EQeComparator eComparator,
                                        double dJdn);
  // Joins the non-empty strings with the separator. The list ends at the
  // first null pointer: Concatenate(L" OR ", a, b, nullptr). Arguments may be
  // CQeStringW values or wide C strings.
  template <typename... Strings>
  static CQeStringW Concatenate(const wchar_t* wszSeparator, const Strings&... strings) {
    return ConcatenateList(wszSeparator, {AsWideText(strings)...});
  }
  static CQeStringW ConcatenateList(const wchar_t* wszSeparator,
                                    std::initializer_list<const wchar_t*> strings);

  // ---- State (see the conventions) ----
  CQeStringW wszQuery;                              // the text being parsed
  int iPos = 0;                                     // index of the current character
  int iIntValue = 0;                                // the last integer read
  double dDateValue = 0.0;                          // JDN of the last date or time read
  int iSetOperator = eSetOperatorNone;              // written by MatchOperator and the sub-queries
  EQeSpecifier eSpecifier = eSpecifierNone;         // the last specifier matched
  EQeComparator eComparator = eComparatorContains;  // the last comparator matched
  std::vector<CQeStringW> vectWordlist;             // words and phrases of MatchWordlist
  CQeStringW wszToken;                              // text of the last token matched
  SQeItem curItem;                                  // the sub-query being built
  std::vector<SQeItem> vectItems;                   // sub-queries matched so far, in text order

 private:
  static const wchar_t* AsWideText(const CQeStringW& text) { return text.GetString(); }
  static const wchar_t* AsWideText(const wchar_t* text) { return text; }
  static const wchar_t* AsWideText(std::nullptr_t) { return nullptr; }

  // Digits 0-9 into the token and the integer value; true when at least one
  // digit was read, whatever the value.
  bool MatchNumber();
};
