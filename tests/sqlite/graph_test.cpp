#include "qe/sqlite/graph.h"

#include <gtest/gtest.h>

#include <string>

#include "qe/core/string.h"
#include "qe/sqlite/table_def.h"

namespace {

SQeSqliteForeignKeyDef To(const wchar_t* table) {
  return {table, L"iKey", L"ON DELETE CASCADE", L"ON UPDATE CASCADE"};
}
const SQeSqliteForeignKeyDef kToA = To(L"A"), kToB = To(L"b"), kToC = To(L"c"), kToX = To(L"x"),
                             kToY = To(L"y"), kToNowhere = To(L"nowhere");

#define QE_KEY \
  { eQeSqliteKeyPrimary, eQeSqliteInt64, eQeSqliteIndexUnique, L"iKey", nullptr, nullptr, nullptr }
#define QE_FK(name, fk) \
  { eQeSqliteKeyForeign, eQeSqliteInt64, eQeSqliteIndex, name, &fk, nullptr, nullptr }

const SQeSqliteColDef kA[] = {QE_KEY};
const SQeSqliteColDef kB[] = {QE_KEY, QE_FK(L"iAKeyRef", kToA), QE_FK(L"iBKeyRef", kToB)};
const SQeSqliteColDef kC[] = {QE_KEY, QE_FK(L"iBKeyRef", kToB), QE_FK(L"iAKeyRef", kToA)};
const SQeSqliteColDef kD[] = {QE_KEY, QE_FK(L"iCKeyRef", kToC)};
const SQeSqliteColDef kX[] = {QE_KEY, QE_FK(L"iYKeyRef", kToY)};
const SQeSqliteColDef kY[] = {QE_KEY, QE_FK(L"iXKeyRef", kToX)};
const SQeSqliteColDef kLost[] = {QE_KEY, QE_FK(L"iNowhereKeyRef", kToNowhere)};
const SQeSqliteTableDef kTableA = {L"a", 1, kA, 0, nullptr, nullptr};
const SQeSqliteTableDef kTableB = {L"b", 3, kB, 0, nullptr, nullptr};
const SQeSqliteTableDef kTableC = {L"c", 3, kC, 0, nullptr, nullptr};
const SQeSqliteTableDef kTableD = {L"d", 2, kD, 0, nullptr, nullptr};
const SQeSqliteTableDef kTableX = {L"x", 2, kX, 0, nullptr, nullptr};
const SQeSqliteTableDef kTableY = {L"y", 2, kY, 0, nullptr, nullptr};
const SQeSqliteTableDef kTableLost = {L"lost", 2, kLost, 0, nullptr, nullptr};

// The tables one walk with colour 1 visits; the visit that reaches
// stop_after characters returns stop_with, which the walk must return too.
std::string Walk(CQeSqliteDbGraph& graph, int expected = 0, size_t stop_after = 0,
                 int stop_with = 0) {
  struct Recorder : SQeSqliteDbGraphWalker {
    int Visit(const SQeSqliteTableDef& table) override {
      order += qe::WideToUtf8(table.wszName);
      return order.size() == stop_after ? stop_with : 0;
    }
    std::string order;
    size_t stop_after = 0;
    int stop_with = 0;
  } walker;
  walker.stop_after = stop_after;
  walker.stop_with = stop_with;
  EXPECT_EQ(graph.Walk(walker, 1), stop_with ? stop_with : expected);
  return walker.order;
}

}  // namespace

TEST(DbGraph, ReferencedTablesComeFirstAndEveryTableOnce) {
  const SQeSqliteTableDef* tables[] = {&kTableD, &kTableC, &kTableB, &kTableA};
  auto graph = CQeSqliteDbGraph::Create();
  ASSERT_EQ(graph->Build(tables, 4), 0);
  graph->SetColorToAllItems(0);
  EXPECT_EQ(Walk(*graph), "abcd");
  EXPECT_EQ(Walk(*graph), "") << "everything has colour 1 now";
  // A nonzero visit ends the walk; a later walk goes on from there.
  graph->SetColorToAllItems(0);
  EXPECT_EQ(Walk(*graph, 0, 2, 77), "ab");
  EXPECT_EQ(Walk(*graph), "cd");
}

TEST(DbGraph, CyclesAreReportedNotLoopedAndUnknownTargetsNamed) {
  const SQeSqliteTableDef* tables[] = {&kTableA, &kTableX, &kTableY, &kTableB};
  auto graph = CQeSqliteDbGraph::Create();
  ASSERT_EQ(graph->Build(tables, 4), 0);
  graph->SetColorToAllItems(0);
  EXPECT_EQ(Walk(*graph, 1), "a");
  EXPECT_EQ(graph->CycleTable(), L"x");
  const SQeSqliteTableDef* lost[] = {&kTableLost, &kTableA};
  EXPECT_EQ(graph->Build(lost, 2), 1);
  EXPECT_EQ(graph->UnknownTable(), L"nowhere");
  EXPECT_EQ(Walk(*graph), "losta");
}
