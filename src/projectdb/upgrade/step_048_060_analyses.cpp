// Upgrade step 48 to 60: the analyses attached to job tasks become job tasks
// of their own ("AssayWrapper<module>"), placed right after their owning
// task; later tasks that mentioned them name them anew; analysis runs point
// at the new tasks; binary layers and analysis runs stop naming the analysis
// definition, which is dropped.
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "projectdb/upgrade/analysis_mentions.h"
#include "projectdb/upgrade/steps.h"
#include "projectdb/upgrade/upgrade_script.h"
#include "qe/core/diag.h"
#include "qe/core/lite_variant.h"
#include "qe/core/status.h"
#include "qe/projectdb/schema.h"
#include "qe/projectdb/schema_history.h"
#include "qe/sqlite/cmd.h"
#include "qe/sqlite/connection.h"

namespace qe::upgrade {
namespace {

constexpr const wchar_t* kSelectAnalyses =
    L"SELECT d.iKey, d.iState, d.wszName, d.wszDesc, d.wszModule, d.wszModuleName, d.pData, "
    L"d.wszNotes, d.wszNotesDetailed, t.iKey, t.iJobprogramKeyRef, t.iJobtaskKeyRef, "
    L"t.iBlockNumber, t.wszName FROM jobtask t JOIN assaydef d ON d.iJobtaskKeyRef = t.iKey "
    L"ORDER BY d.iKey;";
constexpr const wchar_t* kSelectRuns =
    L"SELECT r.iKey, d.iKey FROM jobtask t JOIN assaydef d ON d.iJobtaskKeyRef = t.iKey JOIN "
    L"assayrun r ON r.iAssaydefKeyRef = d.iKey ORDER BY r.iKey;";
// Room for a new task: every sibling at or after its place moves one on.
// IS, so that top-level tasks (no parent) are siblings of one another.
constexpr const wchar_t* kCreateOrderTrigger =
    L"CREATE TEMP TRIGGER jobtask_i_iOrder BEFORE INSERT ON jobtask BEGIN UPDATE jobtask SET "
    L"iOrder = iOrder + 1 WHERE iJobprogramKeyRef IS NEW.iJobprogramKeyRef AND iJobtaskKeyRef IS "
    L"NEW.iJobtaskKeyRef AND iOrder >= NEW.iOrder; END;\n";
constexpr const wchar_t* kDropOrderTrigger = L"DROP TRIGGER IF EXISTS jobtask_i_iOrder; \n";
constexpr const wchar_t* kDropAssaydef = L"DROP TABLE IF EXISTS assaydef; \n";
constexpr const wchar_t* kSelectOrder = L"SELECT iOrder FROM jobtask WHERE iKey = ?;";
constexpr const wchar_t* kInsertTask =
    L"INSERT INTO jobtask (iJobprogramKeyRef, iJobtaskKeyRef, iBlockNumber, iOrder, iVersion, "
    L"iState, wszClassName, wszName, wszNotes, wszNotesDetailed, pData, pConnectionData) VALUES "
    L"(?, ?, ?, ?, 0, ?, ?, ?, ?, ?, ?, ?);";
constexpr const wchar_t* kSelectLaterSiblings =
    L"SELECT iKey, wszClassName, pData FROM jobtask WHERE iJobprogramKeyRef IS ? AND "
    L"iJobtaskKeyRef IS ? AND iOrder > ? AND wszClassName IN ('Condition', 'Expression', "
    L"'Question', 'EmailNotification', 'SmsNotification') ORDER BY iOrder;";
constexpr const wchar_t* kUpdateTaskData = L"UPDATE jobtask SET pData = ? WHERE iKey = ?;";
// By run rather than by the owning task: two analyses of one task each take
// their own runs.
constexpr const wchar_t* kPointRunAtTask =
    L"UPDATE assayrun SET iJobtaskKeyRef = ? WHERE iKey = ?;";

constexpr int kTaskStateBit = 1 << 30;         // carried over into the task's iState
constexpr int kAfterAcquisitionBit = 1 << 29;  // "AfterAcquisition" of the task data
constexpr uint32_t kImageSlotType = 0x20002B00;

using OptionalKey = std::optional<int64_t>;

// An analysis definition and the task it is attached to.
struct SAnalysis {
  int64_t iKey = 0;
  int iState = 0;
  CQeStringW wszName, wszDesc, wszModule, wszModuleName;
  CQeByteArray pData;
  CQeStringW wszNotes, wszNotesDetailed;
  int64_t iTask = 0;
  OptionalKey program, parent, block;
  CQeStringW wszTaskName;
};

OptionalKey KeyColumn(const CQeSqliteCmd& cmd, int column) {
  if (cmd.IsNull(column)) return std::nullopt;
  return cmd.ColumnInt64(column);
}

void BindKey(CQeSqliteCmd& cmd, int index, const OptionalKey& key) {
  if (key) {
    cmd.Bind(index, static_cast<long long>(*key));
  } else {
    cmd.BindNull(index);
  }
}

int ReadAnalyses(sqlite3* db, std::vector<SAnalysis>& analyses) {
  CQeSqliteCmd select(db, CQeStringW(kSelectAnalyses));
  while (select.Next()) {
    SAnalysis& a = analyses.emplace_back();
    a.iKey = select.ColumnInt64(0);
    a.iState = select.ColumnInt(1);
    a.wszName = select.ColumnString(2);
    a.wszDesc = select.ColumnString(3);
    a.wszModule = select.ColumnString(4);
    a.wszModuleName = select.ColumnString(5);
    a.pData = select.ColumnBytes(6);
    a.wszNotes = select.ColumnString(7);
    a.wszNotesDetailed = select.ColumnString(8);
    a.iTask = select.ColumnInt64(9);
    a.program = KeyColumn(select, 10);
    a.parent = KeyColumn(select, 11);
    a.block = KeyColumn(select, 12);
    a.wszTaskName = select.ColumnString(13);
  }
  return select.Result();
}

// Analysis runs of attached analyses: run key -> analysis key.
int ReadRuns(sqlite3* db, std::map<int64_t, int64_t>& runs) {
  CQeSqliteCmd select(db, CQeStringW(kSelectRuns));
  while (select.Next()) runs[select.ColumnInt64(0)] = select.ColumnInt64(1);
  return select.Result();
}

int Finish(CQeLiteVariantW& writer, CQeByteArray& out) {
  CQeLiteVariantR document;
  const int status = writer.Finalize(document);
  if (status == eQeOk) out = document.Data();
  return status;
}

// The task data: level "CQeJobTask_AssayWrapper" with the module name, the
// description, whether the analysis runs after the acquisition, and the
// analysis's own stored data.
int WrapperData(const SAnalysis& a, CQeByteArray& out) {
  CQeLiteVariantW writer;
  if (writer.LevelBegin(L"CQeJobTask_AssayWrapper") != eQeOk ||
      writer.Set(a.wszModuleName, L"ModuleName") != eQeOk ||
      writer.Set(a.wszDesc, L"Description") != eQeOk ||
      writer.Set((a.iState & kAfterAcquisitionBit) != 0, L"AfterAcquisition") != eQeOk ||
      writer.Set(a.pData, L"AssayDefinition") != eQeOk || writer.LevelEnd() != eQeOk) {
    return eQeFailed;
  }
  return Finish(writer, out);
}

// The connection data: the task's one input slot takes the image of the
// task the analysis was attached to.
int WrapperConnections(const SAnalysis& a, CQeByteArray& out) {
  CQeLiteVariantW writer;
  if (writer.LevelBegin(L"SlotConnections") != eQeOk || writer.LevelBegin(L"Slot0") != eQeOk ||
      writer.Set(kImageSlotType, L"SlotType") != eQeOk ||
      writer.Set(CQeStringW::Formatted(L"%s.Image", a.wszTaskName), L"ParameterName") != eQeOk ||
      writer.LevelEnd() != eQeOk || writer.LevelEnd() != eQeOk) {
    return eQeFailed;
  }
  return Finish(writer, out);
}

// Inserts the task of one analysis at order; the trigger moves the later
// siblings on first. *key gets the new task's key.
int InsertWrapper(sqlite3* db, const SAnalysis& a, const OptionalKey& order, int64_t* key) {
  CQeByteArray data, connections;
  int status = WrapperData(a, data);
  if (status == eQeOk) status = WrapperConnections(a, connections);
  if (status != eQeOk) return status;
  CQeSqliteCmd insert(db, CQeStringW(kInsertTask));
  BindKey(insert, 1, a.program);
  BindKey(insert, 2, a.parent);
  BindKey(insert, 3, a.block);
  BindKey(insert, 4, order);
  insert.Bind(5, a.iState & kTaskStateBit);
  insert.Bind(6, CQeStringW(L"AssayWrapper") + a.wszModule);
  insert.Bind(7, a.wszName);
  insert.Bind(8, a.wszNotes);
  insert.Bind(9, a.wszNotesDetailed);
  insert.Bind(10, data);
  insert.Bind(11, connections);
  insert.Next(key);
  return insert.Result();
}

// The owning task's order now (earlier inserts may have moved it), plus one
// for each task already placed after it, so that several analyses of one
// task follow it in the order of their keys.
int PlaceAfterOwner(sqlite3* db, const SAnalysis& a, int placedBefore, OptionalKey& order) {
  CQeSqliteCmd select(db, CQeStringW(kSelectOrder));
  select.Bind(1, static_cast<long long>(a.iTask));
  if (select.Next()) {
    order = KeyColumn(select, 0);
    if (order) *order += 1 + placedBefore;
  }
  return select.Result();
}

struct STaskData {
  int64_t iKey = 0;
  CQeStringW wszClassName;
  CQeByteArray pData;
};

// Later siblings of the new task that name the analysis by its old path
// name it as the task it now is.
int RewriteLaterMentions(sqlite3* db, const SAnalysis& a, const OptionalKey& order) {
  if (!order) return eQeOk;  // a task without order has no later siblings
  std::vector<STaskData> tasks;
  {
    CQeSqliteCmd select(db, CQeStringW(kSelectLaterSiblings));
    BindKey(select, 1, a.program);
    BindKey(select, 2, a.parent);
    BindKey(select, 3, order);
    while (select.Next()) {
      tasks.push_back({select.ColumnInt64(0), select.ColumnString(1), select.ColumnBytes(2)});
    }
    if (select.Result() != 0) return select.Result();
  }
  const CQeStringW what = CQeStringW::Formatted(L"Job.%s.Analysis.%s", a.wszTaskName, a.wszName);
  const CQeStringW with = CQeStringW::Formatted(L"Job.%s", a.wszName);
  CQeSqliteCmd update(db, CQeStringW(kUpdateTaskData));
  for (const STaskData& task : tasks) {
    CQeByteArray data;
    const EMentionRewrite result = RewriteMentions(task.wszClassName, task.pData, what, with, data);
    if (result == EMentionRewrite::kUnreadable) {
      QE_DIAG(L"Task %I64d (%s): data unreadable, mentions of analysis '%s' left as they are",
              task.iKey, task.wszClassName, a.wszName);
    }
    if (result != EMentionRewrite::kChanged) continue;
    update.Bind(1, data);
    update.Bind(2, static_cast<long long>(task.iKey));
    update.Execute();
    if (update.Result() != 0) return update.Result();
  }
  return eQeOk;
}

int MakeAnalysesTasks(sqlite3* db) {
  std::vector<SAnalysis> analyses;
  std::map<int64_t, int64_t> runs;
  int status = ReadAnalyses(db, analyses);
  if (status == eQeOk) status = ReadRuns(db, runs);
  if (status == eQeOk) status = QeSqlite_Execute(db, kCreateOrderTrigger, nullptr, false);
  if (status != eQeOk) return status;

  std::map<int64_t, int64_t> taskOfAnalysis;
  std::map<int64_t, int> placedAfterTask;
  for (const SAnalysis& a : analyses) {
    OptionalKey order;
    int64_t key = 0;
    status = PlaceAfterOwner(db, a, placedAfterTask[a.iTask], order);
    if (status == eQeOk) status = InsertWrapper(db, a, order, &key);
    if (status == eQeOk) status = RewriteLaterMentions(db, a, order);
    if (status != eQeOk) return status;
    taskOfAnalysis[a.iKey] = key;
    ++placedAfterTask[a.iTask];
  }

  CQeSqliteCmd update(db, CQeStringW(kPointRunAtTask));
  for (const auto& [run, analysis] : runs) {
    update.Bind(1, static_cast<long long>(taskOfAnalysis[analysis]));
    update.Bind(2, static_cast<long long>(run));
    update.Execute();
    if (update.Result() != 0) return update.Result();
  }
  return eQeOk;
}

}  // namespace

// Runs in the transaction its head opens. A failure before the last script
// returns its status with the transaction still open; the driver discards
// it when it closes the file.
int From048To060(sqlite3* db) {
  int status = QeSqlite_Execute(db, CUpgradeScript(db).Text(), nullptr, false);
  if (status == eQeOk) status = MakeAnalysesTasks(db);
  if (status != eQeOk) return status;

  // A layer takes the analysis run of its job run and definition (the
  // latest, should there be several); the runs still name the definition.
  CUpgradeScript layers(db, CUpgradeScript::kContinue);
  layers.Rebuild(g_QeProjectDbTable_binlayer,
                 {{L"iAssayrunKeyRef",
                   L"(SELECT MAX(a.iKey) FROM assayrun a WHERE a.iJobrunKeyRef = "
                   L"binlayer_old.iJobrunKeyRef AND a.iAssaydefKeyRef = "
                   L"binlayer_old.iAssaydefKeyRef)"}});
  status = QeSqlite_Execute(db, layers.Text(), nullptr, false);
  if (status != eQeOk) return status;

  CUpgradeScript runs(db, CUpgradeScript::kContinue);
  runs.Rebuild(g_QeProjectDbTableV060_assayrun);
  status = QeSqlite_Execute(db, runs.Text(), nullptr, false);
  if (status != eQeOk) return status;

  CUpgradeScript finish(db, CUpgradeScript::kContinue);
  finish.Add(kDropOrderTrigger);
  finish.Add(kDropAssaydef);
  return finish.Run(60);
}

}  // namespace qe::upgrade
