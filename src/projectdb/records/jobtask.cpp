#include "qe/projectdb/records/jobtask.h"

#include <array>

#include "projectdb/records/record_common.h"
#include "qe/projectdb/schema.h"
#include "qe/sqlite/connection.h"
#include "qe/sqlite/insert.h"
#include "qe/sqlite/null_values.h"
#include "qe/sqlite/select.h"
#include "qe/sqlite/sql_text.h"
#include "qe/sqlite/update_delete.h"

namespace {

using qe::projectdb::DbOf;

const SQeSqliteTableDef& Table() { return g_QeProjectDbTable_jobtask; }

// The fourteen columns in table order.
std::array<CQeSqliteOut, 14> Outputs(SQeProjectDbRow_jobtask& row) {
  return {&row.iKey,
          &row.iJobprogramKeyRef,
          &row.iJobtaskKeyRef,
          &row.iBlockNumber,
          &row.iOrder,
          &row.iVersion,
          &row.iState,
          &row.wszClassName,
          &row.wszName,
          &row.wszNotes,
          &row.wszNotesDetailed,
          &row.pData,
          &row.pConnectionData,
          &row.pDependencyExpression};
}

int SelectMany(uint32_t h, const CQeStringW& where, std::list<SQeProjectDbRow_jobtask>& rows) {
  CQeSqliteSelect select(DbOf(h), Table(), where);
  return qe::projectdb::records::AppendRows(select, rows, Outputs);
}

int DeleteWhere(uint32_t h, const wchar_t* column, int64_t key) {
  return QeSqlite_Execute(
      DbOf(h), QeSqlite_FormatSql(L"DELETE FROM %s WHERE %s=%I64d;", Table().wszName, column, key),
      nullptr, false);
}

}  // namespace

int QeProjectDb_Jobtask_Insert(uint32_t h, int64_t programKey, int64_t parentKey,
                               int64_t blockNumber, int64_t order, const CQeStringW& className,
                               const SQeProjectDbJobTaskState& state,
                               const CQeByteArray* dependencyExpression, int64_t* outKey) {
  const CQeSqliteNullValueVector nulls =
      QeSqliteNullValueVector_Create(Table(), 2, L"iJobprogramKeyRef", 0, L"iJobtaskKeyRef", 0);
  return qe::projectdb::InsertOne(
      DbOf(h), Table(),
      std::array<CQeSqliteValue, 13>{
          programKey, parentKey, blockNumber, order, state.iVersion, state.iState, className,
          state.wszName, state.wszNotes, state.wszNotesDetailed, state.pData, state.pConnectionData,
          dependencyExpression ? CQeSqliteValue(*dependencyExpression) : CQeSqliteValue()},
      outKey, &nulls);
}

int QeProjectDb_Jobtask_Update(uint32_t h, int64_t key, int64_t blockNumber, int64_t order,
                               const CQeStringW& className, const SQeProjectDbJobTaskState& state) {
  CQeSqliteUpdate update(
      DbOf(h), Table(),
      {L"iBlockNumber", L"iOrder", L"wszClassName", L"iState", L"wszNotes", L"wszNotesDetailed"});
  return update.Row(
      key, {blockNumber, order, className, state.iState, state.wszNotes, state.wszNotesDetailed});
}

int QeProjectDb_Jobtask_GetOne(uint32_t h, int64_t key, SQeProjectDbRow_jobtask& row) {
  CQeSqliteSelect select(DbOf(h), Table(), QeSqlite_FormatSql(L"%s=%I64d", L"iKey", key));
  return qe::projectdb::records::ReadOne(select, Outputs(row));
}

int QeProjectDb_Jobtask_GetMany(uint32_t h, int64_t programKey,
                                std::list<SQeProjectDbRow_jobtask>& rows) {
  return SelectMany(
      h,
      QeSqlite_FormatSql(L"%s=%I64d ORDER BY %s, %s, %s", L"iJobprogramKeyRef", programKey,
                         L"iJobprogramKeyRef", L"iJobtaskKeyRef", L"iOrder"),
      rows);
}

int QeProjectDb_Jobtask_GetAllWithClass(uint32_t h, int64_t programKey, const CQeStringW& className,
                                        std::list<SQeProjectDbRow_jobtask>& rows) {
  return SelectMany(h,
                    QeSqlite_FormatSql(L"%s=%I64d AND %s='%s'", L"iJobprogramKeyRef", programKey,
                                       L"wszClassName", QeSqlite_EscapeText(className)),
                    rows);
}

int QeProjectDb_Jobtask_DuplicateMany(uint32_t h, int64_t sourceProgramKey,
                                      int64_t targetProgramKey,
                                      std::map<int64_t, int64_t>* keyMap) {
  std::list<SQeProjectDbRow_jobtask> tasks;
  QeProjectDb_Jobtask_GetMany(h, sourceProgramKey, tasks);
  std::map<int64_t, int64_t> newKeys;
  for (const SQeProjectDbRow_jobtask& task : tasks) {
    int64_t parent = 0;
    if (task.iJobtaskKeyRef != 0) {
      const auto found = newKeys.find(task.iJobtaskKeyRef);
      if (found != newKeys.end()) parent = found->second;
    }
    int64_t newKey = 0;
    if (QeProjectDb_Jobtask_Insert(h, targetProgramKey, parent, task.iBlockNumber, task.iOrder,
                                   task.wszClassName, task, &task.pDependencyExpression,
                                   &newKey) != 0) {
      return 1;
    }
    newKeys[task.iKey] = newKey;
  }
  if (keyMap) *keyMap = std::move(newKeys);
  return 0;
}

int QeProjectDb_Jobtask_Delete(uint32_t h, int64_t key) { return DeleteWhere(h, L"iKey", key); }

int QeProjectDb_Jobtask_DeleteMany(uint32_t h, int64_t programKey) {
  return DeleteWhere(h, L"iJobprogramKeyRef", programKey);
}

int QeProjectDb_Jobtask_DeleteIfNotInJobrun(uint32_t h, int64_t key) {
  // The subtree is walked because deleting the task deletes its subtree by
  // cascade, and with it whatever refers to any task in it.
  const wchar_t* task = Table().wszName;
  const wchar_t* frame = g_QeProjectDbTable_frame.wszName;
  const wchar_t* loop = g_QeProjectDbTable_runloop.wszName;
  const wchar_t* assay = g_QeProjectDbTable_assayrun.wszName;
  const CQeStringW sql = QeSqlite_FormatSql(
      L"DELETE FROM %s WHERE %s=%I64d AND NOT EXISTS (WITH RECURSIVE subtree(k) AS "
      L"(SELECT %I64d UNION SELECT %s.%s FROM %s JOIN subtree ON %s.%s=subtree.k) "
      L"SELECT 1 FROM subtree WHERE "
      L"EXISTS (SELECT 1 FROM %s WHERE %s.%s=subtree.k) OR "
      L"EXISTS (SELECT 1 FROM %s WHERE %s.%s=subtree.k) OR "
      L"EXISTS (SELECT 1 FROM %s WHERE %s.%s=subtree.k OR %s.%s=subtree.k));",
      task, L"iKey", key, key, task, L"iKey", task, task, L"iJobtaskKeyRef", frame, frame,
      L"iJobtaskKeyRef", loop, loop, L"iJobtaskKeyRef", assay, assay, L"iJobtaskKeyRef", assay,
      L"iCapturedDataKeyRef");
  return QeSqlite_Execute(DbOf(h), sql, nullptr, false);
}
