// Step 48 to 60 turns the analyses attached to tasks into tasks of their
// own, right after their owning task, and renames the mentions of them in
// the tasks that follow. Files at version 48 upgraded to 77 and read back
// through the record functions.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "projectdb/upgrade/condition_list.h"
#include "projectdb/upgrade_support.h"
#include "qe/core/lite_variant.h"
#include "qe/projectdb/connection.h"
#include "qe/projectdb/records/assayrun.h"
#include "qe/projectdb/records/binlayer.h"
#include "qe/projectdb/records/jobtask.h"
#include "qe/projectdb/upgrade.h"
#include "qe/sqlite/cmd.h"

namespace qe::test {
namespace {

using upgrade::CConditionList;
using upgrade::SConditionItem;

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
CQeByteArray TextDoc(const wchar_t* level, const wchar_t* name, const std::wstring& text,
                     const wchar_t* other = L"Comment", const std::wstring& otherText = L"") {
  CQeLiteVariantW writer;
  writer.LevelBegin(level);
  writer.Set(otherText.empty() ? Old(kOwnerA, kAnalysisA) : otherText, other);
  writer.Set(CQeStringW(text), name);
  writer.LevelEnd();
  CQeLiteVariantR reader;
  writer.Finalize(reader);
  return reader.Data();
}

CQeByteArray ConditionDoc(const CQeByteArray& list) {
  CQeLiteVariantW writer;
  writer.LevelBegin(L"Condition");
  writer.Set(Old(kOwnerA, kAnalysisA), L"Name");
  writer.Set(list, L"ConditionList");
  writer.LevelEnd();
  CQeLiteVariantR reader;
  writer.Finalize(reader);
  return reader.Data();
}

SConditionItem Item(uint16_t kind, const std::wstring& text = L"", double number = 0,
                    uint32_t op = 0) {
  SConditionItem item;
  item.iKind = kind;
  item.wszText = text;
  item.dNumber = number;
  item.iOperator = op;
  return item;
}

CQeByteArray List(const std::wstring& a, const std::wstring& b) {
  SConditionItem unknown = Item(9);
  const std::string mention = CQeStringW(Old(kOwnerA, kAnalysisA)).ToUtf8();
  unknown.payload.assign(mention.begin(), mention.end());
  CConditionList list;
  list.Items() = {Item(upgrade::kConditionText, a + L".Count"),
                  Item(upgrade::kConditionOperator, L"", 0, 4),
                  Item(upgrade::kConditionNumber, L"", 5.0),
                  Item(upgrade::kConditionOperator, L"", 0, 1),
                  Item(upgrade::kConditionText, b + L".Mean"),
                  Item(upgrade::kConditionNumber, L"", 0.25),
                  unknown,
                  Item(upgrade::kConditionText, L"Job.Elsewhere.Analysis." + kAnalysisA)};
  CQeByteArray bytes;
  list.Write(bytes);
  return bytes;
}

struct STask {
  int64_t key, program, parent, order;
  const wchar_t* cls;
  std::wstring name;
  CQeByteArray data;      // stored at version 48
  CQeByteArray expected;  // after the upgrade
  int64_t newOrder;
};

// Every task of the file: program 1 holds the two owners (11, 15) among
// siblings of every class before and after them, a child of owner A (19)
// and a program-2 task (20) that only look like siblings.
std::vector<STask> Tasks() {
  const std::wstring a = Old(kOwnerA, kAnalysisA), b = Old(kOwnerB, kAnalysisB);
  const std::wstring check =
      L".Count > 5 AND Job.Other.Analysis." + kAnalysisA + L".Count < 2 AND " + a + L"2.Area";
  return {
      {10, 1, 0, 0, L"Expression", L"Früh", TextDoc(L"Expression", L"ExpressionText", a + L" > 1"),
       CQeByteArray(), 0},
      {11, 1, 0, 1, L"Capture", kOwnerA, Bytes({1, 2, 3}), CQeByteArray(), 1},
      {12, 1, 0, 2, L"Expression", L"Check", TextDoc(L"Expression", L"ExpressionText", a + check),
       TextDoc(L"Expression", L"ExpressionText", New(kAnalysisA) + check), 3},
      {13, 1, 0, 3, L"Question", L"Frage",
       TextDoc(L"Question", L"Text", L"Zählen: " + a + L"? " + b),
       TextDoc(L"Question", L"Text", L"Zählen: " + New(kAnalysisA) + L"? " + b), 4},
      {14, 1, 0, 4, L"EmailNotification", L"Mail",
       TextDoc(L"EmailNotification", L"MessageBody", L"Result " + a + L".Count", L"Recipients",
               a + L"@example.org"),
       TextDoc(L"EmailNotification", L"MessageBody", L"Result " + New(kAnalysisA) + L".Count",
               L"Recipients", a + L"@example.org"),
       5},
      {15, 1, 0, 5, L"Capture", kOwnerB, Bytes({4}), CQeByteArray(), 6},
      {16, 1, 0, 6, L"SmsNotification", L"SMS",
       TextDoc(L"SmsNotification", L"MessageBody", L"A=" + a + L".Count B=" + b + L".Count"),
       TextDoc(L"SmsNotification", L"MessageBody",
               L"A=" + New(kAnalysisA) + L".Count B=" + New(kAnalysisB) + L".Count"),
       8},
      {17, 1, 0, 7, L"Condition", L"Wenn", ConditionDoc(List(a, b)),
       ConditionDoc(List(New(kAnalysisA), New(kAnalysisB))), 9},
      {18, 1, 0, 8, L"Wait", L"Pause", TextDoc(L"Expression", L"ExpressionText", a), CQeByteArray(),
       10},
      {19, 1, 11, 0, L"Expression", L"Kind", TextDoc(L"Expression", L"ExpressionText", a),
       CQeByteArray(), 0},
      {20, 2, 0, 3, L"Expression", L"Anderswo", TextDoc(L"Expression", L"ExpressionText", a),
       CQeByteArray(), 3},
  };
}

// The fixture's own analyses are detached and its task 1 moves to program
// 3, so that program 1 holds only the tasks above.
void PrepareFile(const std::string& path, const std::vector<STask>& tasks) {
  {
    CRawDb raw(path);
    ASSERT_EQ(raw.Exec("UPDATE assaydef SET iJobtaskKeyRef = NULL;"
                       "UPDATE jobtask SET iJobprogramKeyRef = 3 WHERE iKey = 1;"),
              0);
  }
  CStepDb db(path);
  CQeSqliteCmd insert(
      db.Get(),
      L"INSERT INTO jobtask (iKey, iJobprogramKeyRef, iJobtaskKeyRef, iBlockNumber, "
      L"iOrder, iVersion, iState, wszClassName, wszName, wszNotes, "
      L"wszNotesDetailed, pData, pConnectionData) VALUES (?, ?, ?, 0, ?, 1, 0, ?, "
      L"?, 'note', 'more', ?, ?);");
  for (const STask& t : tasks) {
    insert.Bind(1, static_cast<long long>(t.key));
    insert.Bind(2, static_cast<long long>(t.program));
    if (t.parent) {
      insert.Bind(3, static_cast<long long>(t.parent));
    } else {
      insert.BindNull(3);
    }
    insert.Bind(4, static_cast<long long>(t.order));
    insert.Bind(5, t.cls);
    insert.Bind(6, CQeStringW(t.name));
    insert.Bind(7, t.data);
    insert.Bind(8, kConnections);
    insert.Execute();
  }
  ASSERT_EQ(insert.Result(), 0);
}

struct SAnalysisRow {
  int64_t key, task;
  int state;
  std::wstring name, desc, module, moduleName;
  CQeByteArray data;
};

void AddAnalyses(const std::string& path, const std::vector<SAnalysisRow>& rows) {
  CStepDb db(path);
  CQeSqliteCmd insert(
      db.Get(),
      L"INSERT INTO assaydef (iKey, iJobdefKeyRef, iJobtaskKeyRef, iState, wszUuid, "
      L"wszName, wszDesc, wszModule, wszModuleName, dCTime, dMTime, pData, "
      L"wszNotes, wszNotesDetailed) VALUES (?, 1, ?, ?, ?, ?, ?, ?, ?, 1.0, 1.0, ?, "
      L"'n''A', 'Ausführlich µ');");
  for (const SAnalysisRow& a : rows) {
    insert.Bind(1, static_cast<long long>(a.key));
    insert.Bind(2, static_cast<long long>(a.task));
    insert.Bind(3, a.state);
    insert.Bind(4, CQeStringW::Formatted(L"a%I64d", a.key));
    insert.Bind(5, CQeStringW(a.name));
    insert.Bind(6, CQeStringW(a.desc));
    insert.Bind(7, CQeStringW(a.module));
    insert.Bind(8, CQeStringW(a.moduleName));
    insert.Bind(9, a.data);
    insert.Execute();
  }
  ASSERT_EQ(insert.Result(), 0);
}

class CHandle {
 public:
  explicit CHandle(const std::string& path) : handle_(QeProjectDb_Db_Connect(Wide(path))) {}
  ~CHandle() { QeProjectDb_Db_Disconnect(handle_); }
  CHandle(const CHandle&) = delete;
  CHandle& operator=(const CHandle&) = delete;
  uint32_t Get() const { return handle_; }

 private:
  uint32_t handle_;
};

const SQeProjectDbRow_jobtask* FindByName(const std::list<SQeProjectDbRow_jobtask>& tasks,
                                          const std::wstring& name) {
  for (const auto& t : tasks) {
    if (t.wszName.str() == name) return &t;
  }
  return nullptr;
}

void ExpectWrapper(const SQeProjectDbRow_jobtask& task, const std::wstring& module,
                   const std::wstring& moduleName, int state, bool after,
                   const CQeByteArray& definition, const std::wstring& owner) {
  EXPECT_EQ(task.wszClassName.str(), L"AssayWrapper" + module);
  EXPECT_EQ(task.iJobprogramKeyRef, 1);
  EXPECT_EQ(task.iJobtaskKeyRef, 0);
  EXPECT_EQ(task.iBlockNumber, 0);
  EXPECT_EQ(task.iVersion, 0);
  EXPECT_EQ(task.iState, state);
  EXPECT_EQ(task.wszNotes.ToUtf8(), "n'A");
  EXPECT_EQ(task.wszNotesDetailed.ToUtf8(), "Ausführlich µ");
  CQeLiteVariantR data(task.pData);
  ASSERT_EQ(data.LevelBegin(L"CQeJobTask_AssayWrapper"), 0);
  EXPECT_EQ(data.Get(L"ModuleName", L"?").str(), moduleName);
  EXPECT_TRUE(data.IsValueSet(L"Description"));
  EXPECT_EQ(data.Get(L"AfterAcquisition", !after), after);
  EXPECT_EQ(data.Get(L"AssayDefinition", Bytes({0xEE})), definition);
  CQeLiteVariantR connections(task.pConnectionData);
  ASSERT_EQ(connections.LevelBegin(L"SlotConnections"), 0);
  ASSERT_EQ(connections.LevelBegin(L"Slot0"), 0);
  const lv::Entry* type = lv::FindNamed(*connections.CurrentLevel(), L"SlotType");
  ASSERT_NE(type, nullptr);
  EXPECT_EQ(std::get<uint32_t>(type->value), 0x20002B00u);
  EXPECT_EQ(connections.Get(L"ParameterName", L"?").str(), owner + L".Image");
}

using UpgradeDetailAnalyses = UpgradeFixture;

TEST_F(UpgradeDetailAnalyses, AnalysesBecomeTasksAndLaterMentionsFollow) {
  const std::string path = Build(48);
  const std::vector<STask> tasks = Tasks();
  PrepareFile(path, tasks);
  const CQeByteArray definitionA = Bytes({1, 0, 0x27, 0xFF});
  AddAnalyses(path, {{10, 11, (1 << 30) | (1 << 29) | 6, kAnalysisA, L"Zählt 'runde' Kerne",
                      L"Nuc'Mod ü", L"Kern-Modul 5%", definitionA},
                     {11, 15, 3, kAnalysisB, L"", L"CellMod", L"Zell-Modul", CQeByteArray()}});
  {
    CRawDb raw(path);
    ASSERT_EQ(raw.Exec("INSERT INTO assayrun (iKey, iJobrunKeyRef, iAssaydefKeyRef, "
                       "iJobtaskKeyRef, wszUuid, wszName, dCTime) VALUES (10, 1, 10, 11, 'r10', "
                       "'A1', 1.0), (11, 1, 11, 15, 'r11', 'B', 1.0), (12, 2, 10, NULL, 'r12', "
                       "'A2', 2.0);"
                       "INSERT INTO binlayer (iKey, iJobrunKeyRef, iAssaydefKeyRef, wszUuid, "
                       "wszName, wszCompName, wszFileTag, iColor) VALUES (10, 1, 10, 'l10', "
                       "'Kerne', 'c', 't', 1), (11, 1, 11, 'l11', 'Zellen', 'c', 't', 2), (12, 2, "
                       "10, 'l12', 'Kerne 2', 'c', 't', 3);"),
              0);
  }
  ASSERT_EQ(QeProjectDb_Db_Upgrade(Wide(path), nullptr), 0);

  CHandle h(path);
  ASSERT_NE(h.Get(), 0u);
  std::list<SQeProjectDbRow_jobtask> program;
  ASSERT_EQ(QeProjectDb_Jobtask_GetMany(h.Get(), 1, program), 0);
  ASSERT_EQ(program.size(), 12u);  // ten tasks and two new ones
  const SQeProjectDbRow_jobtask* wrapA = FindByName(program, kAnalysisA);
  const SQeProjectDbRow_jobtask* wrapB = FindByName(program, kAnalysisB);
  ASSERT_TRUE(wrapA && wrapB);
  EXPECT_EQ(wrapA->iOrder, 2);  // right after owner A (order 1)
  EXPECT_EQ(wrapB->iOrder, 7);  // right after owner B, which moved from 5 to 6
  ExpectWrapper(*wrapA, L"Nuc'Mod ü", L"Kern-Modul 5%", 1 << 30, true, definitionA, kOwnerA);
  ExpectWrapper(*wrapB, L"CellMod", L"Zell-Modul", 0, false, CQeByteArray(), kOwnerB);

  // Every earlier task and every task that only looks like a sibling keeps
  // its order and data; later siblings moved on, and their mentions, and
  // nothing else, are rewritten.
  for (const STask& t : tasks) {
    SQeProjectDbRow_jobtask row;
    ASSERT_EQ(QeProjectDb_Jobtask_GetOne(h.Get(), t.key, row), 0);
    EXPECT_EQ(row.iOrder, t.newOrder) << t.key;
    EXPECT_EQ(row.pData.bytes(), (t.expected.IsEmpty() ? t.data : t.expected).bytes()) << t.key;
    EXPECT_EQ(row.wszName.str(), t.name);
    EXPECT_EQ(row.wszClassName.str(), t.cls);
    EXPECT_EQ(row.pConnectionData.bytes(), kConnections.bytes());
    EXPECT_EQ(row.iVersion, 1);
  }

  // Runs follow their analysis, also the one that had no task; the
  // fixture's runs of detached analyses keep theirs.
  std::map<int64_t, int64_t> runTask = {
      {10, wrapA->iKey}, {11, wrapB->iKey}, {12, wrapA->iKey}, {1, 1}, {2, 2}, {3, 3}};
  for (const auto& [run, task] : runTask) {
    SQeProjectDbRow_assayrun row;
    ASSERT_EQ(QeProjectDb_Assayrun_GetOne(h.Get(), run, row), 0);
    EXPECT_EQ(row.iJobtaskKeyRef, task) << run;
  }
  // Captured data (68 to 69) is found from the new task's place.
  SQeProjectDbRow_assayrun run10;
  ASSERT_EQ(QeProjectDb_Assayrun_GetOne(h.Get(), 10, run10), 0);
  EXPECT_EQ(run10.iCapturedDataKeyRef, 11);

  std::map<int64_t, int64_t> layerRun;
  for (int64_t jobrun : {1, 2}) {
    std::vector<SQeProjectDbRow_binlayer> layers;
    ASSERT_EQ(QeProjectDb_Binlayer_GetMany(h.Get(), jobrun, layers), 0);
    for (const auto& layer : layers) layerRun[layer.iKey] = layer.iAssayrunKeyRef;
  }
  EXPECT_EQ(layerRun, (std::map<int64_t, int64_t>{{1, 1}, {2, 2}, {10, 10}, {11, 11}, {12, 12}}));

  CRawDb raw(path);
  EXPECT_EQ(raw.Int("SELECT count(*) FROM jobtask WHERE wszClassName LIKE 'AssayWrapper%'"), 2);
}

// Two analyses of one task follow it in key order, each run goes to its own
// analysis's task; the exported step commits 60 and leaves no trigger behind.
TEST_F(UpgradeDetailAnalyses, TwoAnalysesOfOneTaskKeepTheirRuns) {
  const std::string path = Build(48);
  const std::wstring text = Old(kOwnerA, L"Erste") + L" + " + Old(kOwnerA, L"Zweite");
  PrepareFile(path, {{11, 1, 0, 0, L"Capture", kOwnerA, Bytes({1}), CQeByteArray(), 0},
                     {12, 1, 0, 1, L"Expression", L"Sum",
                      TextDoc(L"Expression", L"ExpressionText", text), CQeByteArray(), 0}});
  AddAnalyses(path, {{21, 11, 0, L"Zweite", L"", L"M", L"M", Bytes({2})},
                     {20, 11, 0, L"Erste", L"", L"M", L"M", Bytes({1})}});
  {
    CRawDb raw(path);
    ASSERT_EQ(raw.Exec("INSERT INTO assayrun (iKey, iJobrunKeyRef, iAssaydefKeyRef, "
                       "iJobtaskKeyRef, wszUuid, wszName, dCTime) VALUES (20, 1, 20, 11, 'r20', "
                       "'1', 1.0), (21, 1, 21, 11, 'r21', '2', 1.0);"),
              0);
  }
  CStepDb db(path);
  ASSERT_EQ(QeProjectDb_Db_Upgrade_From_048_To_060(db.Get()), 0);
  CQeSqliteCmd temp(db.Get(), L"SELECT count(*) FROM sqlite_temp_master;");
  ASSERT_TRUE(temp.Next());
  EXPECT_EQ(temp.ColumnInt(0), 0);

  CRawDb raw(path);
  EXPECT_EQ(raw.Int("SELECT iVersion FROM vesion WHERE wszName='main'"), 60);
  EXPECT_EQ(
      raw.Rows("SELECT wszName, iOrder FROM jobtask WHERE iJobprogramKeyRef = 1 ORDER BY "
               "iOrder"),
      (std::vector<std::vector<std::string>>{
          {CQeStringW(kOwnerA).ToUtf8(), "0"}, {"Erste", "1"}, {"Zweite", "2"}, {"Sum", "3"}}));
  EXPECT_EQ(raw.Rows("SELECT r.iKey, t.wszName FROM assayrun r JOIN jobtask t ON t.iKey = "
                     "r.iJobtaskKeyRef WHERE r.iKey >= 20 ORDER BY r.iKey"),
            (std::vector<std::vector<std::string>>{{"20", "Erste"}, {"21", "Zweite"}}));
  CStepDb read(path);
  CQeSqliteCmd data(read.Get(), L"SELECT pData FROM jobtask WHERE iKey = 12;");
  ASSERT_TRUE(data.Next());
  EXPECT_EQ(data.ColumnBytes(0),
            TextDoc(L"Expression", L"ExpressionText", L"Job.Erste + Job.Zweite"));
}

// Data that cannot be read is left as it was, and the upgrade goes on.
TEST_F(UpgradeDetailAnalyses, UnreadableTaskDataStaysAsItWas) {
  const std::string path = Build(48);
  const std::wstring a = Old(kOwnerA, kAnalysisA);
  CQeByteArray truncated = List(a, a);
  truncated.bytes().pop_back();
  CQeByteArray oversized = List(a, a);
  oversized.GetData()[0] += 1;
  const std::string raw = CQeStringW(a).ToUtf8();
  const CQeByteArray notADocument(raw.data(), static_cast<int>(raw.size()));
  CQeByteArray corruptDocument = TextDoc(L"Expression", L"ExpressionText", a);
  corruptDocument.GetData()[corruptDocument.GetSize() - 1] ^= 1;
  const std::vector<STask> tasks = {
      {11, 1, 0, 0, L"Capture", kOwnerA, Bytes({1}), CQeByteArray(), 0},
      {12, 1, 0, 1, L"Condition", L"Cut", ConditionDoc(truncated), CQeByteArray(), 0},
      {13, 1, 0, 2, L"Condition", L"Big", ConditionDoc(oversized), CQeByteArray(), 0},
      {14, 1, 0, 3, L"Expression", L"Raw", notADocument, CQeByteArray(), 0},
      {15, 1, 0, 4, L"Expression", L"Flipped", corruptDocument, CQeByteArray(), 0},
      {16, 1, 0, 5, L"Condition", L"Text", TextDoc(L"Condition", L"ConditionList", a),
       CQeByteArray(), 0},
      {17, 1, 0, 6, L"Expression", L"Good", TextDoc(L"Expression", L"ExpressionText", a),
       CQeByteArray(), 0},
  };
  PrepareFile(path, tasks);
  AddAnalyses(path, {{10, 11, 0, kAnalysisA, L"", L"M", L"M", Bytes({1})}});
  ASSERT_EQ(QeProjectDb_Db_Upgrade(Wide(path), nullptr), 0);

  CHandle h(path);
  for (const STask& t : tasks) {
    SQeProjectDbRow_jobtask row;
    ASSERT_EQ(QeProjectDb_Jobtask_GetOne(h.Get(), t.key, row), 0);
    EXPECT_EQ(row.iOrder, t.order == 0 ? 0 : t.order + 1) << t.key;
    if (t.key == 17) {
      EXPECT_EQ(row.pData.bytes(),
                TextDoc(L"Expression", L"ExpressionText", New(kAnalysisA)).bytes());
    } else {
      EXPECT_EQ(row.pData.bytes(), t.data.bytes()) << t.key;
    }
  }
}

}  // namespace
}  // namespace qe::test
