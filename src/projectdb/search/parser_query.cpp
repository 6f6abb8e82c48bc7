// The sub-query matchers of the search parser and the reading of a whole text.
#include "projectdb/search/search_time.h"
#include "qe/projectdb/search.h"

namespace {

using Parser = SQeProjectDbSearchParser;

constexpr Parser::EQeSpecifier kGenSpecifiers[] = {
    Parser::eSpecifierAssay, Parser::eSpecifierJob,   Parser::eSpecifierKeyword,
    Parser::eSpecifierLabel, Parser::eSpecifierPlate, Parser::eSpecifierQuantity};
constexpr Parser::EQeSpecifier kDateSpecifier[] = {Parser::eSpecifierDate};
constexpr Parser::EQeSpecifier kFirstLastSpecifiers[] = {Parser::eSpecifierFirst,
                                                         Parser::eSpecifierLast};
constexpr Parser::EQeComparator kWordComparators[] = {Parser::eComparatorContains,
                                                      Parser::eComparatorEquals};
constexpr Parser::EQeComparator kDateComparators[] = {
    Parser::eComparatorContains, Parser::eComparatorEquals, Parser::eComparatorLess,
    Parser::eComparatorGreater};

}  // namespace

bool SQeProjectDbSearchParser::MatchSimpleSubquery() {
  if (!MatchWordlist()) return false;
  curItem.Reset();
  curItem.iSetOperator = eSetOperatorNone;
  curItem.eSpecifier = eSpecifierNone;
  curItem.eComparator = eComparatorContains;
  curItem.vectWords = vectWordlist;
  return true;
}

bool SQeProjectDbSearchParser::MatchGenSubquery() {
  iSetOperator = eSetOperatorIntersect;
  curItem.Reset();
  const int start = iPos;
  MatchOperator();
  if (!MatchSpecifier(kGenSpecifiers)) {
    // "+date:..." is a date sub-query: it must still see its operator.
    iPos = start;
    return false;
  }
  if (!MatchComparator(kWordComparators)) return false;
  curItem.iSetOperator = iSetOperator;
  curItem.eSpecifier = eSpecifier;
  curItem.eComparator = eComparator;
  if (!MatchWordlist()) return false;
  curItem.vectWords = vectWordlist;
  return true;
}

bool SQeProjectDbSearchParser::MatchDateSubquery() {
  iSetOperator = eSetOperatorIntersect;
  curItem.Reset();
  MatchOperator();
  const bool withSpecifier = MatchSpecifier(kDateSpecifier);
  const bool withComparator = MatchComparator(kDateComparators);
  if (!withSpecifier || !withComparator) return false;

  TrimWitespace();
  const int start = iPos;
  double date = 0.0;
  if (MatchDate()) {
    date = dDateValue;
    TrimWitespace();
    const int afterDate = iPos;
    if (MatchTime()) {
      date = qe::search::WithTimeOfDay(date, dDateValue);
    } else {
      // Whatever follows the date is not a time: leave it for the caller to see.
      iPos = afterDate;
    }
  } else {
    iPos = start;
    if (!MatchTime()) return false;
    date = dDateValue;
  }
  curItem.iSetOperator = iSetOperator;
  curItem.eSpecifier = eSpecifierDate;
  curItem.eComparator = eComparator;
  curItem.dDate = date;
  return true;
}

bool SQeProjectDbSearchParser::MatchFirstlastSubquery() {
  iSetOperator = eSetOperatorNone;
  curItem.Reset();
  if (MatchOperator()) return false;
  const bool withSpecifier = MatchSpecifier(kFirstLastSpecifiers);
  const bool withComparator = MatchComparator(kWordComparators);
  if (!withSpecifier || !withComparator) return false;
  TrimWitespace();
  if (!MatchInteger()) return false;
  curItem.iSetOperator = eSetOperatorNone;
  curItem.eSpecifier = eSpecifier;
  curItem.eComparator = eComparator;
  curItem.iCount = iIntValue;
  return true;
}

bool SQeProjectDbSearchParser::MatchQuery(int* piPos) {
  vectItems.clear();
  bool matched = false;
  TrimWitespace();
  if (MatchSimpleSubquery()) {
    vectItems.push_back(curItem);
    matched = true;
    TrimWitespace();
  }
  while (vectItems.size() < static_cast<size_t>(s_iMaxItems)) {
    TrimWitespace();
    if (!MatchGenSubquery() && !MatchDateSubquery()) break;
    vectItems.push_back(curItem);
    matched = true;
  }
  if (MatchFirstlastSubquery()) {
    if (vectItems.empty()) {
      // "last:5" alone means the last five runs of every job.
      SQeItem everyJob;
      everyJob.eSpecifier = eSpecifierJob;
      everyJob.eComparator = eComparatorContains;
      everyJob.vectWords.push_back(L"*");
      vectItems.push_back(everyJob);
    }
    vectItems.push_back(curItem);
    matched = true;
  }
  TrimWitespace();
  if (piPos) *piPos = iPos;
  return matched;
}

CQeStringW SQeProjectDbSearchParser::MakeSqlQuery() const {
  CQeStringW sql;
  for (const SQeItem& item : vectItems) {
    CQeStringW sub;
    if (sql.IsEmpty()) {
      // The compound starts with a plain SELECT, whatever operator was typed.
      SQeItem first = item;
      first.iSetOperator = eSetOperatorNone;
      sub = MakeSqlSubquery(first);
    } else {
      sub = MakeSqlSubquery(item);
    }
    if (sub.IsEmpty()) continue;
    if (!sql.IsEmpty()) sql += L" \n";
    sql += sub;
  }
  if (!sql.IsEmpty()) sql += L";";
  return sql;
}

CQeStringW SQeProjectDbSearchParser::MakeSqlSubquery(const SQeItem& item) {
  const std::vector<CQeStringW>& words = item.vectWords;
  const EQeComparator cmp = item.eComparator;
  CQeStringW body;
  switch (item.eSpecifier) {
    case eSpecifierNone:
      if (!words.empty()) {
        body = Concatenate(L"UNION \n", MakeSqlSubquery_Assay(eComparatorContains, words),
                           MakeSqlSubquery_Job(eComparatorContains, words),
                           MakeSqlSubquery_Keyword(eComparatorContains, words),
                           MakeSqlSubquery_Label(eComparatorContains, words),
                           MakeSqlSubquery_Plate(eComparatorContains, words),
                           MakeSqlSubquery_Quantity(eComparatorContains, words), nullptr);
      }
      break;
    case eSpecifierAssay:
      body = MakeSqlSubquery_Assay(cmp, words);
      break;
    case eSpecifierJob:
      body = MakeSqlSubquery_Job(cmp, words);
      break;
    case eSpecifierKeyword:
      body = MakeSqlSubquery_Keyword(cmp, words);
      break;
    case eSpecifierPlate:
      body = MakeSqlSubquery_Plate(cmp, words);
      break;
    case eSpecifierLabel:
      body = MakeSqlSubquery_Label(cmp, words);
      break;
    case eSpecifierQuantity:
      body = MakeSqlSubquery_Quantity(cmp, words);
      break;
    case eSpecifierDate:
      body = MakeSqlSubquery_Date(cmp, item.dDate);
      break;
    case eSpecifierFirst:
      body = MakeSqlSubquery_First(item.iCount);
      break;
    case eSpecifierLast:
      body = MakeSqlSubquery_Last(item.iCount);
      break;
  }
  if (body.IsEmpty()) return body;
  switch (item.iSetOperator) {
    case eSetOperatorIntersect:
      return L"INTERSECT " + body;
    case eSetOperatorUnion:
      return L"UNION " + body;
    case eSetOperatorExcept:
      return L"EXCEPT " + body;
    default:
      return body;
  }
}
