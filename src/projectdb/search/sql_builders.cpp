// The SQL of the search language: one SELECT body per specifier and the
// conditions inside them. Table and column names come from the schema
// records; every word goes through QeSqlite_EscapeText before it stands
// between apostrophes.
#include "projectdb/search/search_time.h"
#include "qe/projectdb/schema.h"
#include "qe/projectdb/search.h"
#include "qe/sqlite/sql_text.h"

namespace {

// Column positions in the schema records (iKey is 0 in every table).
constexpr int kKey = 0;
constexpr int kJobdefProjKeyRef = 1;
constexpr int kJobdefMTime = 6;
constexpr int kJobdefName = 8;
constexpr int kJobrunJobdefKeyRef = 2;
constexpr int kJobrunMTime = 6;
constexpr int kJobrunName = 9;
constexpr int kAssayrunJobrunKeyRef = 1;
constexpr int kAssayrunName = 5;
constexpr int kPlateinfoJobrunKeyRef = 1;
constexpr int kPlateinfoName = 3;
constexpr int kPlateinfoBarcode = 4;
constexpr int kFrametagJobrunKeyRef = 1;
constexpr int kFrametagTagdefKeyRef = 2;
constexpr int kFramepropJobrunKeyRef = 1;
constexpr int kFramepropPropdefKeyRef = 3;
constexpr int kTagdefName = 2;
constexpr int kPropdefName = 2;
constexpr int kProjtagProjKeyRef = 1;
constexpr int kProjtagTagdefKeyRef = 2;
constexpr int kJobdeftagJobdefKeyRef = 1;
constexpr int kJobdeftagTagdefKeyRef = 2;

const SQeSqliteTableDef& kJobdef = g_QeProjectDbTable_jobdef;
const SQeSqliteTableDef& kJobrun = g_QeProjectDbTable_jobrun;
const SQeSqliteTableDef& kProject = g_QeProjectDbTable_project;

const wchar_t* T(const SQeSqliteTableDef& table) { return table.wszName; }
const wchar_t* C(const SQeSqliteTableDef& table, int column) {
  return table.pColumns[column].wszName;
}
// "table.column", the form in which conditions name their column.
CQeStringW Qualified(const SQeSqliteTableDef& table, int column) {
  return QeSqlite_FormatSql(L"%s.%s", T(table), C(table, column));
}

// The body shared by assay and plate: runs that own a row of the table.
CQeStringW RunChildBody(const SQeSqliteTableDef& child, int childJobrunKeyRef,
                        const CQeStringW& where) {
  if (where.IsEmpty()) return CQeStringW();
  return QeSqlite_FormatSql(
      L"SELECT DISTINCT %s.%s, %s.%s, ifnull(%s.%s, %s.%s) FROM %s, %s, %s WHERE %s.%s=%s.%s AND "
      L"%s.%s=%s.%s AND (%s)",
      T(kJobdef), C(kJobdef, kKey), T(kJobrun), C(kJobrun, kKey), T(kJobrun),
      C(kJobrun, kJobrunMTime), T(kJobdef), C(kJobdef, kJobdefMTime), T(kJobdef), T(kJobrun),
      T(child), T(kJobrun), C(kJobrun, kJobrunJobdefKeyRef), T(kJobdef), C(kJobdef, kKey), T(child),
      C(child, childJobrunKeyRef), T(kJobrun), C(kJobrun, kKey), where);
}

// The body of job and date: every run with its job definition.
CQeStringW JobBody(const CQeStringW& where) {
  if (where.IsEmpty()) return CQeStringW();
  return QeSqlite_FormatSql(
      L"SELECT DISTINCT %s.%s, %s.%s, ifnull(%s.%s, %s.%s) FROM %s, %s WHERE %s.%s=%s.%s AND (%s)",
      T(kJobdef), C(kJobdef, kKey), T(kJobrun), C(kJobrun, kKey), T(kJobrun),
      C(kJobrun, kJobrunMTime), T(kJobdef), C(kJobdef, kJobdefMTime), T(kJobdef), T(kJobrun),
      T(kJobrun), C(kJobrun, kJobrunJobdefKeyRef), T(kJobdef), C(kJobdef, kKey), where);
}

// The body shared by label and quantity: runs with a frame that links
// (through linkKeyRef) to a definition row.
CQeStringW FrameLinkBody(const SQeSqliteTableDef& link, int linkJobrunKeyRef, int linkDefKeyRef,
                         const SQeSqliteTableDef& def, const CQeStringW& where) {
  if (where.IsEmpty()) return CQeStringW();
  return QeSqlite_FormatSql(
      L"SELECT DISTINCT %s.%s, %s.%s, %s.%s FROM %s, %s, %s WHERE %s.%s=%s.%s AND %s.%s=%s.%s AND "
      L"(%s)",
      T(kJobrun), C(kJobrun, kJobrunJobdefKeyRef), T(kJobrun), C(kJobrun, kKey), T(kJobrun),
      C(kJobrun, kJobrunMTime), T(kJobrun), T(link), T(def), T(link), C(link, linkJobrunKeyRef),
      T(kJobrun), C(kJobrun, kKey), T(link), C(link, linkDefKeyRef), T(def), C(def, kKey), where);
}

}  // namespace

CQeStringW SQeProjectDbSearchParser::ConcatenateList(
    const wchar_t* wszSeparator, std::initializer_list<const wchar_t*> strings) {
  CQeStringW joined;
  for (const wchar_t* text : strings) {
    if (!text) break;
    if (*text == L'\0') continue;
    if (!joined.IsEmpty()) joined += wszSeparator;
    joined += text;
  }
  return joined;
}

CQeStringW SQeProjectDbSearchParser::MakeSqlWhereForWords(const CQeStringW& wszColumn,
                                                          EQeComparator eComparator,
                                                          const std::vector<CQeStringW>& words) {
  CQeStringW where;
  for (const CQeStringW& word : words) {
    CQeStringW condition;
    if (eComparator == eComparatorContains) {
      if (word.GetLength() > s_iMaxWordLength) continue;
      CQeStringW pattern = word;
      if (pattern.Replace(L"*", L"%")) {
        condition = QeSqlite_FormatSql(L"%s LIKE '%s'", wszColumn, QeSqlite_EscapeText(pattern));
      } else if (pattern.Replace(L"?", L"_")) {
        condition = QeSqlite_FormatSql(L"%s LIKE '%s'", wszColumn, QeSqlite_EscapeText(pattern));
      } else {
        condition =
            QeSqlite_FormatSql(L"%s LIKE '%%%s%%'", wszColumn, QeSqlite_EscapeText(pattern));
      }
    } else if (eComparator == eComparatorEquals) {
      condition = QeSqlite_FormatSql(L"%s='%s'", wszColumn, QeSqlite_EscapeText(word));
    }
    where = Concatenate(L" OR ", where, condition, nullptr);
  }
  return where;
}

CQeStringW SQeProjectDbSearchParser::MakeSqlWhereForDate(const CQeStringW& wszColumn,
                                                         EQeComparator eComparator, double dJdn) {
  switch (eComparator) {
    case eComparatorContains:
    case eComparatorEquals:
      return QeSqlite_FormatSql(L"%s BETWEEN %lf AND %lf", wszColumn, qe::search::DayStartJdn(dJdn),
                                qe::search::DayEndJdn(dJdn));
    case eComparatorLess:
      return QeSqlite_FormatSql(L"%s<%lf", wszColumn, dJdn);
    case eComparatorGreater:
      return QeSqlite_FormatSql(L"%s>%lf", wszColumn, dJdn);
  }
  return CQeStringW();
}

CQeStringW SQeProjectDbSearchParser::MakeSqlSubquery_Assay(EQeComparator eComparator,
                                                           const std::vector<CQeStringW>& words) {
  const SQeSqliteTableDef& assayrun = g_QeProjectDbTable_assayrun;
  return RunChildBody(assayrun, kAssayrunJobrunKeyRef,
                      MakeSqlWhereForWords(Qualified(assayrun, kAssayrunName), eComparator, words));
}

CQeStringW SQeProjectDbSearchParser::MakeSqlSubquery_Plate(EQeComparator eComparator,
                                                           const std::vector<CQeStringW>& words) {
  const SQeSqliteTableDef& plateinfo = g_QeProjectDbTable_plateinfo;
  const CQeStringW where = Concatenate(
      L" OR ", MakeSqlWhereForWords(Qualified(plateinfo, kPlateinfoName), eComparator, words),
      MakeSqlWhereForWords(Qualified(plateinfo, kPlateinfoBarcode), eComparator, words), nullptr);
  return RunChildBody(plateinfo, kPlateinfoJobrunKeyRef, where);
}

CQeStringW SQeProjectDbSearchParser::MakeSqlSubquery_Job(EQeComparator eComparator,
                                                         const std::vector<CQeStringW>& words) {
  return JobBody(Concatenate(
      L" OR ", MakeSqlWhereForWords(Qualified(kJobdef, kJobdefName), eComparator, words),
      MakeSqlWhereForWords(Qualified(kJobrun, kJobrunName), eComparator, words), nullptr));
}

CQeStringW SQeProjectDbSearchParser::MakeSqlSubquery_Date(EQeComparator eComparator, double dJdn) {
  return JobBody(Concatenate(
      L" OR ", MakeSqlWhereForDate(Qualified(kJobdef, kJobdefMTime), eComparator, dJdn),
      MakeSqlWhereForDate(Qualified(kJobrun, kJobrunMTime), eComparator, dJdn), nullptr));
}

CQeStringW SQeProjectDbSearchParser::MakeSqlSubquery_Label(EQeComparator eComparator,
                                                           const std::vector<CQeStringW>& words) {
  const SQeSqliteTableDef& tagdef = g_QeProjectDbTable_tagdef;
  return FrameLinkBody(g_QeProjectDbTable_frametag, kFrametagJobrunKeyRef, kFrametagTagdefKeyRef,
                       tagdef,
                       MakeSqlWhereForWords(Qualified(tagdef, kTagdefName), eComparator, words));
}

CQeStringW SQeProjectDbSearchParser::MakeSqlSubquery_Quantity(
    EQeComparator eComparator, const std::vector<CQeStringW>& words) {
  const SQeSqliteTableDef& propdef = g_QeProjectDbTable_propdef;
  return FrameLinkBody(g_QeProjectDbTable_frameprop, kFramepropJobrunKeyRef,
                       kFramepropPropdefKeyRef, propdef,
                       MakeSqlWhereForWords(Qualified(propdef, kPropdefName), eComparator, words));
}

CQeStringW SQeProjectDbSearchParser::MakeSqlSubquery_Keyword(EQeComparator eComparator,
                                                             const std::vector<CQeStringW>& words) {
  const SQeSqliteTableDef& tagdef = g_QeProjectDbTable_tagdef;
  const SQeSqliteTableDef& projtag = g_QeProjectDbTable_projtag;
  const SQeSqliteTableDef& jobdeftag = g_QeProjectDbTable_jobdeftag;
  const CQeStringW where = MakeSqlWhereForWords(Qualified(tagdef, kTagdefName), eComparator, words);
  if (where.IsEmpty()) return CQeStringW();
  const CQeStringW tags = QeSqlite_FormatSql(L"SELECT %s.%s FROM %s WHERE %s", T(tagdef),
                                             C(tagdef, kKey), T(tagdef), where);
  return QeSqlite_FormatSql(
      L"SELECT DISTINCT %s.%s, %s.%s, ifnull(%s.%s, %s.%s) \nFROM %s, %s, %s, %s LEFT OUTER JOIN "
      L"%s ON %s.%s=%s.%s AND %s.%s IN (%s) \nWHERE %s.%s=%s.%s AND %s.%s=%s.%s AND %s.%s=%s.%s "
      L"AND %s.%s IN (%s)",
      T(kJobdef), C(kJobdef, kKey), T(kJobrun), C(kJobrun, kKey), T(kJobrun),
      C(kJobrun, kJobrunMTime), T(kJobdef), C(kJobdef, kJobdefMTime), T(kJobrun), T(kJobdef),
      T(jobdeftag), T(kProject), T(projtag), T(projtag), C(projtag, kProjtagProjKeyRef),
      T(kProject), C(kProject, kKey), T(projtag), C(projtag, kProjtagTagdefKeyRef), tags,
      T(kJobrun), C(kJobrun, kJobrunJobdefKeyRef), T(kJobdef), C(kJobdef, kKey), T(kJobdef),
      C(kJobdef, kJobdefProjKeyRef), T(kProject), C(kProject, kKey), T(jobdeftag),
      C(jobdeftag, kJobdeftagJobdefKeyRef), T(kJobdef), C(kJobdef, kKey), T(jobdeftag),
      C(jobdeftag, kJobdeftagTagdefKeyRef), tags);
}

CQeStringW SQeProjectDbSearchParser::MakeSqlSubquery_First(int iCount) {
  return QeSqlite_FormatSql(L"ORDER BY 3 ASC LIMIT %d", iCount);
}

CQeStringW SQeProjectDbSearchParser::MakeSqlSubquery_Last(int iCount) {
  return QeSqlite_FormatSql(L"ORDER BY 3 DESC LIMIT %d", iCount);
}
