// How the search parser reads a text: tokens, word lists, sub-queries and
// where it stops.
#include <gtest/gtest.h>

#include "projectdb/search_test_util.h"

namespace {

using P = SQeProjectDbSearchParser;

std::vector<std::wstring> Words(const P& parser) {
  std::vector<std::wstring> out;
  for (const CQeStringW& w : parser.vectWordlist) out.push_back(w.str());
  return out;
}

std::wstring Rest(const P& parser, int pos) { return parser.wszQuery.str().substr(pos); }

TEST(SearchParser, SpecifierKeywordsIgnoreCaseAndNeedNoDelimiter) {
  P parser(L"LaBeLs");
  EXPECT_TRUE(parser.MatchSpecifier(P::s_vectAllSpecifiers));
  EXPECT_EQ(parser.eSpecifier, P::eSpecifierLabel);
  EXPECT_EQ(parser.wszToken.str(), L"label");
  EXPECT_EQ(parser.CurrChar(), L's');
  P shortText(L"lab");
  EXPECT_FALSE(shortText.MatchSpecifier(P::s_vectAllSpecifiers));
  EXPECT_EQ(shortText.iPos, 0);
}

TEST(SearchParser, IntegerMustBeAboveZeroAndIsConsumedEitherWay) {
  P parser(L"0042x");
  EXPECT_TRUE(parser.MatchInteger());
  EXPECT_EQ(parser.iIntValue, 42);
  EXPECT_EQ(parser.wszToken.str(), L"0042");
  P zero(L"000 ");
  EXPECT_FALSE(zero.MatchInteger());
  EXPECT_EQ(zero.iPos, 3);
  P huge(L"99999999999999999999");
  EXPECT_TRUE(huge.MatchInteger());
  EXPECT_EQ(huge.iIntValue, 2147483647);
}

TEST(SearchParser, PhrasesNeedBothQuotesAndSomeText) {
  P phrase(L"\"green cell\" x");
  EXPECT_TRUE(phrase.MatchPhrase());
  EXPECT_EQ(phrase.wszToken.str(), L"green cell");
  EXPECT_EQ(phrase.iPos, 12);
  P empty(L"\"\"x");
  EXPECT_FALSE(empty.MatchPhrase());
  EXPECT_EQ(empty.iPos, 2);
  P open(L"\"green cell");
  EXPECT_FALSE(open.MatchPhrase());
  EXPECT_EQ(open.CurrLen(), 0);
  // In a query an unterminated phrase ends the word list at the end of the
  // text, an empty one right after its quotes.
  int stop = -1;
  P unterminated(L"cell \"abc def");
  ASSERT_TRUE(unterminated.MatchQuery(&stop));
  EXPECT_EQ(stop, unterminated.wszQuery.GetLength());
  EXPECT_EQ(unterminated.vectItems.at(0).vectWords.size(), 1u);
  P emptyInQuery(L"cell \"\" nucleus");
  ASSERT_TRUE(emptyInQuery.MatchQuery(&stop));
  EXPECT_EQ(emptyInQuery.vectItems.at(0).vectWords.size(), 1u);
  EXPECT_EQ(Rest(emptyInQuery, stop), L"nucleus");
  EXPECT_FALSE(P(L"\"\"").MatchQuery(&stop));
}

TEST(SearchParser, WordsStopAtSpecifiersAndDropALeadingOperator) {
  P parser(L"+cell -nuc\"leus\" labels +job:x");
  EXPECT_TRUE(parser.MatchWordlist());
  EXPECT_EQ(Words(parser), (std::vector<std::wstring>{L"cell", L"nuc\"leus\""}));
  EXPECT_EQ(Rest(parser, parser.iPos), L"labels +job:x");
  EXPECT_EQ(parser.iSetOperator, P::eSetOperatorNone);
  P plusSpecifier(L"+job:x");
  EXPECT_FALSE(plusSpecifier.MatchWord());
  EXPECT_EQ(plusSpecifier.iPos, 0);
  P lone(L"+ cell");
  EXPECT_FALSE(lone.MatchWordlist());
}

// A word that begins with a keyword starts a sub-query; a blank between
// keyword and comparator stops the parse, reported after the blank.
TEST(SearchParser, KeywordsWithoutComparatorStopTheParse) {
  int stop = -1;
  for (const wchar_t* text : {L"labels", L"label :x"}) {
    P alone(text);
    EXPECT_FALSE(alone.MatchQuery(&stop)) << qe::WideToUtf8(text);
    EXPECT_TRUE(alone.vectItems.empty());
  }
  P plural(L"cell labels");
  ASSERT_TRUE(plural.MatchQuery(&stop));
  EXPECT_EQ(Rest(plural, stop), L"s");
  P blank(L"cell label :x");
  ASSERT_TRUE(blank.MatchQuery(&stop));
  EXPECT_EQ(blank.vectItems.size(), 1u);
  EXPECT_EQ(Rest(blank, stop), L":x");
}

TEST(SearchParser, GeneralSubqueryTakesOperatorSpecifierComparatorAndWords) {
  P parser(L"-PLATE= \"A 1\" b2 job:x");
  ASSERT_TRUE(parser.MatchGenSubquery());
  EXPECT_EQ(parser.curItem.iSetOperator, P::eSetOperatorExcept);
  EXPECT_EQ(parser.curItem.eSpecifier, P::eSpecifierPlate);
  EXPECT_EQ(parser.curItem.eComparator, P::eComparatorEquals);
  ASSERT_EQ(parser.curItem.vectWords.size(), 2u);
  EXPECT_EQ(parser.curItem.vectWords[0].str(), L"A 1");
  EXPECT_EQ(Rest(parser, parser.iPos), L"job:x");
  P noWords(L"label: ");
  EXPECT_FALSE(noWords.MatchGenSubquery());
  P dateWord(L"+date:1.2.2024");
  EXPECT_FALSE(dateWord.MatchGenSubquery());
  EXPECT_EQ(dateWord.iPos, 0);
  EXPECT_TRUE(dateWord.MatchDateSubquery());
  EXPECT_EQ(dateWord.curItem.iSetOperator, P::eSetOperatorUnion);
}

TEST(SearchParser, MatchingAgainContinuesUnlessReset) {
  P parser(L"cell");
  ASSERT_TRUE(parser.MatchQuery(nullptr));
  P copy = parser;
  EXPECT_FALSE(parser.MatchQuery(nullptr));
  EXPECT_TRUE(parser.vectItems.empty());
  parser.Reset();
  EXPECT_EQ(parser.iPos, 0);
  EXPECT_TRUE(parser.MatchQuery(nullptr));
  EXPECT_EQ(copy.MakeSqlQuery().str(), parser.MakeSqlQuery().str());
}

TEST(SearchParser, CharacterAccessStaysInsideTheText) {
  P parser(L"ab");
  parser.MoveChar(-5);
  EXPECT_EQ(parser.iPos, 0);
  parser.MoveChar(2147483647);
  EXPECT_EQ(parser.iPos, 2);
  EXPECT_EQ(parser.CurrChar(), L'\0');
  EXPECT_EQ(*parser.CurrPtr(), L'\0');
  EXPECT_EQ(parser.CurrLen(), 0);
  P withNull(CQeStringW(std::wstring(L"cell\0 label:x", 13)));
  EXPECT_EQ(withNull.wszQuery.GetLength(), 4);
}

}  // namespace
