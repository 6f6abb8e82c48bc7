// Character access and the token matchers of the search parser.
#include <algorithm>
#include <climits>
#include <cstdint>

#include "projectdb/search/search_time.h"
#include "qe/core/char_class.h"
#include "qe/projectdb/search.h"

namespace {

constexpr wchar_t kComparatorChars[] = {L':', L'=', L'<', L'>'};

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

bool IsSpace(wchar_t c) { return qe::IsBlankChar(c); }

bool IsDateSeparator(wchar_t c) { return c == L'/' || c == L'.' || c == L'-'; }

wchar_t Lower(wchar_t c) { return qe::LowerChar(c); }

}  // namespace

SQeProjectDbSearchParser::SQeProjectDbSearchParser(const CQeStringW& wszText) : wszQuery(wszText) {
  // The host hands over C strings; a null inside the text would also end the
  // SQL text early when it reaches SQLite, so it ends the search text here.
  const size_t nul = wszQuery.str().find(L'\0');
  if (nul != std::wstring::npos) wszQuery.str().resize(nul);
}

void SQeProjectDbSearchParser::Reset() {
  iPos = 0;
  wszToken.Empty();
  curItem.Reset();
  vectItems.clear();
}

wchar_t SQeProjectDbSearchParser::CurrChar() const {
  return iPos >= 0 && iPos < wszQuery.GetLength() ? wszQuery.GetAt(iPos) : L'\0';
}

const wchar_t* SQeProjectDbSearchParser::CurrPtr() const {
  return wszQuery.GetString() + std::clamp(iPos, 0, wszQuery.GetLength());
}

int SQeProjectDbSearchParser::CurrLen() const { return wszQuery.GetLength() - iPos; }

void SQeProjectDbSearchParser::MoveChar(int n) {
  const int64_t moved = static_cast<int64_t>(iPos) + n;
  iPos = static_cast<int>(std::clamp<int64_t>(moved, 0, wszQuery.GetLength()));
}

void SQeProjectDbSearchParser::TrimWitespace() {
  while (iPos < wszQuery.GetLength() && IsSpace(wszQuery.GetAt(iPos))) ++iPos;
}

bool SQeProjectDbSearchParser::MatchOperator() {
  const wchar_t c = CurrChar();
  if (c == L'+') {
    iSetOperator = eSetOperatorUnion;
  } else if (c == L'-') {
    iSetOperator = eSetOperatorExcept;
  } else {
    return false;
  }
  wszToken = CQeStringW(std::wstring(1, c));
  MoveChar(1);
  return true;
}

bool SQeProjectDbSearchParser::MatchSpecifier(std::span<const EQeSpecifier> allowed) {
  for (const EQeSpecifier spec : allowed) {
    if (spec < 0 || static_cast<size_t>(spec) >= s_pwszSpecifiers.size()) continue;
    const std::wstring_view keyword = s_pwszSpecifiers[static_cast<size_t>(spec)];
    if (CurrLen() < static_cast<int>(keyword.size())) continue;
    const wchar_t* text = CurrPtr();
    const bool same = std::equal(keyword.begin(), keyword.end(), text,
                                 [](wchar_t a, wchar_t b) { return Lower(a) == Lower(b); });
    if (!same) continue;
    eSpecifier = spec;
    wszToken = CQeStringW(std::wstring(keyword));
    MoveChar(static_cast<int>(keyword.size()));
    return true;
  }
  return false;
}

bool SQeProjectDbSearchParser::MatchComparator(std::span<const EQeComparator> allowed) {
  const wchar_t c = CurrChar();
  for (const EQeComparator cmp : allowed) {
    if (cmp < 0 || cmp > eComparatorGreater || kComparatorChars[cmp] != c) continue;
    eComparator = cmp;
    wszToken = CQeStringW(std::wstring(1, c));
    MoveChar(1);
    return true;
  }
  return false;
}

bool SQeProjectDbSearchParser::MatchNumber() {
  const int start = iPos;
  int64_t value = 0;
  while (iPos < wszQuery.GetLength() && IsDigit(wszQuery.GetAt(iPos))) {
    value = std::min<int64_t>(value * 10 + (wszQuery.GetAt(iPos) - L'0'), INT_MAX);
    ++iPos;
  }
  wszToken = wszQuery.Mid(start, iPos - start);
  if (iPos == start) return false;
  iIntValue = static_cast<int>(value);
  return true;
}

bool SQeProjectDbSearchParser::MatchInteger() { return MatchNumber() && iIntValue > 0; }

bool SQeProjectDbSearchParser::MatchDate() {
  if (!MatchInteger()) return false;
  const int first = iIntValue;
  TrimWitespace();
  if (!IsDateSeparator(CurrChar())) return false;
  MoveChar(1);
  TrimWitespace();
  if (!MatchInteger()) return false;
  const int second = iIntValue;
  TrimWitespace();

  int year = 0;
  int month = second;
  int day = 0;
  const int afterDayMonth = iPos;
  bool withYear = false;
  if (IsDateSeparator(CurrChar())) {
    MoveChar(1);
    TrimWitespace();
    withYear = MatchInteger();
    // "date:3.5 -label:x": the "-" that follows a day and month belongs to
    // the next sub-query when no year follows it.
    if (!withYear) iPos = afterDayMonth;
  }
  if (withYear) {
    const int third = iIntValue;
    if (first > 100 && second < 13 && third < 32) {
      year = first;
      day = third;
    } else if (third > 100 && second < 13 && first < 32) {
      year = third;
      day = first;
    } else {
      return false;
    }
  } else {
    if (second >= 13 || first >= 32) return false;
    day = first;
    const qe::search::SLocalDay today = qe::search::LocalDayOf(qe::search::NowJdn());
    year = today.iYear;
    // A day still to come this year means the last time it was.
    if (qe::search::IsValidDay(year, month, day) &&
        qe::search::LocalMidnightJdn(year, month, day) > qe::search::NowJdn()) {
      --year;
    }
  }
  if (year > 9999 || !qe::search::IsValidDay(year, month, day)) return false;
  dDateValue = qe::search::LocalMidnightJdn(year, month, day);
  return true;
}

bool SQeProjectDbSearchParser::MatchTime() {
  if (!MatchNumber()) return false;
  int hour = iIntValue;
  TrimWitespace();
  if (CurrChar() != L':') return false;
  MoveChar(1);
  TrimWitespace();
  if (!MatchNumber()) return false;
  const int minute = iIntValue;
  int second = 0;
  TrimWitespace();
  if (CurrChar() == L':') {
    MoveChar(1);
    TrimWitespace();
    if (!MatchNumber()) return false;
    second = iIntValue;
  }
  TrimWitespace();
  if (CurrLen() >= 2 && Lower(CurrPtr()[1]) == L'm') {
    const wchar_t ampm = Lower(CurrChar());
    if (ampm == L'a' || ampm == L'p') {
      MoveChar(2);
      if (hour > 12) return false;
      if (ampm == L'a' && hour == 12) hour = 0;
      if (ampm == L'p' && hour < 12) hour += 12;
    }
  }
  if (hour >= 24 || minute >= 60 || second >= 60) return false;
  dDateValue = qe::search::TodayAtJdn(hour, minute, second);
  return true;
}

bool SQeProjectDbSearchParser::MatchWord() {
  const int start = iPos;
  const int savedOperator = iSetOperator;
  const EQeSpecifier savedSpecifier = eSpecifier;
  const bool withOperator = MatchOperator();
  if (MatchSpecifier(s_vectAllSpecifiers)) {
    iPos = start;
    iSetOperator = savedOperator;
    eSpecifier = savedSpecifier;
    return false;
  }
  // A "+" or "-" before a plain word has no meaning there and is dropped.
  if (withOperator) iSetOperator = savedOperator;
  const int begin = iPos;
  while (iPos < wszQuery.GetLength() && !IsSpace(wszQuery.GetAt(iPos))) ++iPos;
  wszToken = wszQuery.Mid(begin, iPos - begin);
  return iPos > begin;
}

bool SQeProjectDbSearchParser::MatchPhrase() {
  if (CurrChar() != L'"') return false;
  MoveChar(1);
  const int begin = iPos;
  while (iPos < wszQuery.GetLength() && wszQuery.GetAt(iPos) != L'"') ++iPos;
  wszToken = wszQuery.Mid(begin, iPos - begin);
  if (CurrChar() != L'"') return false;
  MoveChar(1);
  return !wszToken.IsEmpty();
}

bool SQeProjectDbSearchParser::MatchWordlist() {
  vectWordlist.clear();
  while (vectWordlist.size() < static_cast<size_t>(s_iMaxWords)) {
    TrimWitespace();
    const int start = iPos;
    if (!MatchPhrase() && !MatchWord()) break;
    if (wszToken.GetLength() > s_iMaxWordLength) {
      iPos = start;
      break;
    }
    vectWordlist.push_back(wszToken);
  }
  return !vectWordlist.empty();
}
