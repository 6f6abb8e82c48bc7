// Step 48 to 60 turns the analyses attached to tasks into tasks of their
// own, right after their owning task, and renames the mentions of them in
// the tasks that follow. Files at version 48 upgraded to 77 and read back
// through the record functions.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "projectdb/upgrade_support.h"
#include "qe/core/lite_variant.h"
#include "qe/projectdb/connection.h"
#include "qe/projectdb/records/assayrun.h"
#include "qe/projectdb/records/jobtask.h"
#include "qe/projectdb/upgrade.h"
#include "qe/sqlite/cmd.h"

namespace qe::test {
namespace {

using upgrade::CConditionList;

const std::wstring kOwnerA = L"Acq 'Zellkern' µm";
const std::wstring kAnalysisA = L"Nuclei 'A' ä";
const std::wstring kOwnerB = L"Zweite Aufnahme 50%";
const std::wstring kAnalysisB = L"Zellen's ß";
const CQeByteArray kConnections(std::vector<uint8_t>{7, 7}.data(), 2);

std::wstring Old(const std::wstring& owner, const std::wstring& analysis) {
  return L"Job." + owner + L".Analysis." + analysis;
}
std::wstring New(const std::wstring& analysis) { return L"Job." + analysis; }

CQeByteArray Bytes(std::vector<uint8_t> bytes) {
  return CQeByteArray(bytes.data(), static_cast<int>(bytes.size()));
}

// A task document: one level holding the text that may mention analyses
// and a second value (with a mention too) that is not read for mentions.
template <class V>
CQeByteArray Doc(const wchar_t* level, const wchar_t* name, const V& value,
                 const wchar_t* other = L"Comment", const std::wstring& otherText = L"") {
  CQeLiteVariantW writer;
  writer.LevelBegin(level);
  writer.Set(otherText.empty() ? Old(kOwnerA, kAnalysisA) : otherText, other);
  writer.Set(value, name);
  writer.LevelEnd();
  CQeLiteVariantR reader;
  writer.Finalize(reader);
  return reader.Data();
}
CQeByteArray Expr(const std::wstring& text) {
  return Doc(L"Expression", L"ExpressionText", CQeStringW(text));
}

// A condition list with two mentions, numbers, operators, an item of an
// unknown kind holding a mention, and a mention of another task.
CQeByteArray ConditionDoc(const std::wstring& a, const std::wstring& b) {
  const std::string mention = CQeStringW(Old(kOwnerA, kAnalysisA)).ToUtf8();
  CConditionList list;
  list.Items() = {ConditionItem(upgrade::kConditionText, a + L".Count"),
                  ConditionItem(upgrade::kConditionOperator, L"", 0, 4),
                  ConditionItem(upgrade::kConditionNumber, L"", 5.0),
                  ConditionItem(upgrade::kConditionText, b + L".Mean"),
                  ConditionItem(9, L"", 0, 0, std::vector<uint8_t>(mention.begin(), mention.end())),
                  ConditionItem(upgrade::kConditionText, L"Job.Elsewhere.Analysis." + kAnalysisA)};
  CQeByteArray bytes;
  list.Write(bytes);
  return Doc(L"Condition", L"ConditionList", bytes);
}

struct STask {
  int64_t key, program, parent, order;
  const wchar_t* cls;
  std::wstring name;
  CQeByteArray data;      // stored at version 48
  CQeByteArray expected;  // after the upgrade; empty: as stored
  int64_t newOrder;
};

// Program 1 holds the two owners (11, 15) among siblings of every class
// before and after them, a child of owner A (19) and a program-2 task (20)
// that only look like siblings.
std::vector<STask> Tasks() {
  const std::wstring a = Old(kOwnerA, kAnalysisA), b = Old(kOwnerB, kAnalysisB);
  const std::wstring newA = New(kAnalysisA), newB = New(kAnalysisB);
  const std::wstring check =
      L".Count > 5 AND Job.Other.Analysis." + kAnalysisA + L".Count < 2 AND ";
  auto text = [](const wchar_t* cls, const wchar_t* name, const std::wstring& t) {
    return Doc(cls, name, CQeStringW(t));
  };
  return {
      {10, 1, 0, 0, L"Expression", L"Früh", Expr(a + L" > 1"), CQeByteArray(), 0},
      {11, 1, 0, 1, L"Capture", kOwnerA, Bytes({1, 2, 3}), CQeByteArray(), 1},
      {12, 1, 0, 2, L"Expression", L"Check", Expr(a + check + a + L"2.Area"),
       Expr(newA + check + a + L"2.Area"), 3},
      {13, 1, 0, 3, L"Question", L"Frage", text(L"Question", L"Text", L"Zählen: " + a + L"? " + b),
       text(L"Question", L"Text", L"Zählen: " + newA + L"? " + b), 4},
      {14, 1, 0, 4, L"EmailNotification", L"Mail",
       Doc(L"EmailNotification", L"MessageBody", CQeStringW(a + L".Count"), L"Recipients", a),
       Doc(L"EmailNotification", L"MessageBody", CQeStringW(newA + L".Count"), L"Recipients", a),
       5},
      {15, 1, 0, 5, L"Capture", kOwnerB, Bytes({4}), CQeByteArray(), 6},
      {16, 1, 0, 6, L"SmsNotification", L"SMS",
       text(L"SmsNotification", L"MessageBody", L"A=" + a + L" B=" + b),
       text(L"SmsNotification", L"MessageBody", L"A=" + newA + L" B=" + newB), 9},
      {17, 1, 0, 7, L"Condition", L"Wenn", ConditionDoc(a, b), ConditionDoc(newA, newB), 10},
      {18, 1, 0, 8, L"Wait", L"Pause", Expr(a), CQeByteArray(), 11},
      {19, 1, 11, 0, L"Expression", L"Kind", Expr(a), CQeByteArray(), 0},
      {20, 2, 0, 3, L"Expression", L"Anderswo", Expr(a), CQeByteArray(), 3},
  };
}

// The fixture's own analyses are detached and its task 1 moves to program
// 3; then the tasks go in.
void PrepareFile(const std::string& path, const std::vector<STask>& tasks) {
  ASSERT_EQ(CRawDb(path).Exec("UPDATE assaydef SET iJobtaskKeyRef = NULL;"
                              "UPDATE jobtask SET iJobprogramKeyRef = 3 WHERE iKey = 1;"),
            0);
  CStepDb db(path);
  CQeSqliteCmd insert(db.Get(),
                      L"INSERT INTO jobtask (iKey, iJobprogramKeyRef, iJobtaskKeyRef, "
                      L"iBlockNumber, iOrder, iVersion, iState, wszClassName, wszName, pData, "
                      L"pConnectionData) VALUES (?, ?, nullif(?, 0), 0, ?, 1, 0, ?, ?, ?, ?);");
  for (const STask& t : tasks) {
    insert.Bind(1, static_cast<long long>(t.key));
    insert.Bind(2, static_cast<long long>(t.program));
    insert.Bind(3, static_cast<long long>(t.parent));
    insert.Bind(4, static_cast<long long>(t.order));
    insert.Bind(5, t.cls);
    insert.Bind(6, CQeStringW(t.name));
    insert.Bind(7, t.data);
    insert.Bind(8, kConnections);
    insert.Execute();
  }
  ASSERT_EQ(insert.Result(), 0);
}

using UpgradeDetailAnalyses = UpgradeFixture;

// Owner B has two analyses (inserted out of key order): both follow it in
// key order and each keeps its own runs.
TEST_F(UpgradeDetailAnalyses, AnalysesBecomeTasksAndLaterMentionsFollow) {
  const std::string path = Build(48);
  const std::vector<STask> tasks = Tasks();
  PrepareFile(path, tasks);
  // Analyses (key, task, state, name, module), inserted out of key order,
  // and their runs; run 12's analysis had no task.
  ASSERT_EQ(CRawDb(path).Exec(
                "INSERT INTO assaydef (iKey, iJobdefKeyRef, iJobtaskKeyRef, iState, wszUuid, "
                "wszName, wszModule, wszModuleName, dCTime, dMTime, pData) VALUES (10, 1, 11, "
                "1610612742, 'a10', 'Nuclei ''A'' ä', 'Nuc''Mod ü', 'M', 1, 1, x'010027FF'), (12, "
                "1, 15, 0, 'a12', 'Dritte', 'M', 'M', 1, 1, x'02'), (11, 1, 15, 3, 'a11', "
                "'Zellen''s ß', 'CellMod', 'M', 1, 1, NULL);"
                "INSERT INTO assayrun (iKey, iJobrunKeyRef, iAssaydefKeyRef, iJobtaskKeyRef, "
                "wszUuid, wszName, dCTime) VALUES (10, 1, 10, 11, 'r10', 'A1', 1.0), (11, 1, 11, "
                "15, 'r11', 'B', 1.0), (12, 2, 10, NULL, 'r12', 'A2', 2.0), (13, 2, 12, 15, "
                "'r13', 'C', 2.0);"),
            0);
  ASSERT_EQ(QeProjectDb_Db_Upgrade(Wide(path), nullptr), 0);

  const uint32_t h = QeProjectDb_Db_Connect(Wide(path));
  ASSERT_NE(h, 0u);
  std::list<SQeProjectDbRow_jobtask> program;
  ASSERT_EQ(QeProjectDb_Jobtask_GetMany(h, 1, program), 0);
  std::map<std::wstring, SQeProjectDbRow_jobtask> wrappers;
  for (const auto& t : program) {
    if (t.wszClassName.str().starts_with(L"AssayWrapper")) wrappers[t.wszName.str()] = t;
  }
  ASSERT_EQ(program.size(), 13u);  // ten tasks and three new ones
  ASSERT_EQ(wrappers.size(), 3u);
  const SQeProjectDbRow_jobtask& wrapA = wrappers[kAnalysisA];
  EXPECT_EQ(wrapA.iOrder, 2);                 // right after owner A (order 1)
  EXPECT_EQ(wrappers[kAnalysisB].iOrder, 7);  // right after owner B, which moved from 5 to 6
  EXPECT_EQ(wrappers[L"Dritte"].iOrder, 8);
  EXPECT_EQ(wrapA.wszClassName.str(), L"AssayWrapperNuc'Mod ü");
  EXPECT_EQ(wrapA.iState, 1 << 30);
  CQeLiteVariantR data(wrapA.pData);
  ASSERT_EQ(data.LevelBegin(L"CQeJobTask_AssayWrapper"), 0);
  EXPECT_EQ(data.Get(L"AssayDefinition", Bytes({0xEE})), Bytes({1, 0, 0x27, 0xFF}));

  // Every earlier task and every task that only looks like a sibling keeps
  // its order and data; later siblings moved on, and their mentions, and
  // nothing else, are rewritten.
  for (const STask& t : tasks) {
    SQeProjectDbRow_jobtask row;
    ASSERT_EQ(QeProjectDb_Jobtask_GetOne(h, t.key, row), 0);
    EXPECT_EQ(row.iOrder, t.newOrder) << t.key;
    EXPECT_EQ(row.pData.bytes(), (t.expected.IsEmpty() ? t.data : t.expected).bytes()) << t.key;
  }
  // Runs follow their analysis, also the one that had no task.
  const std::map<int64_t, std::wstring> runTask = {
      {10, kAnalysisA}, {11, kAnalysisB}, {12, kAnalysisA}, {13, L"Dritte"}};
  for (const auto& [run, analysis] : runTask) {
    SQeProjectDbRow_assayrun row;
    ASSERT_EQ(QeProjectDb_Assayrun_GetOne(h, run, row), 0);
    EXPECT_EQ(row.iJobtaskKeyRef, wrappers[analysis].iKey) << run;
  }
  QeProjectDb_Db_Disconnect(h);
}

}  // namespace
}  // namespace qe::test
