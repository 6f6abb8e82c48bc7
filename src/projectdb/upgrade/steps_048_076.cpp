// Upgrade steps from version 60 to version 77 (48 to 60, which works row by
// row, is in step_048_060_analyses.cpp).
#include <vector>

#include "projectdb/upgrade/steps.h"
#include "projectdb/upgrade/upgrade_script.h"
#include "qe/core/lite_variant.h"
#include "qe/core/status.h"
#include "qe/projectdb/schema_history.h"
#include "qe/projectdb/sys.h"
#include "qe/projectdb/upgrade.h"
#include "qe/sqlite/cmd.h"
#include "qe/sqlite/connection.h"
#include "qe/sqlite/sql_text.h"

namespace qe::upgrade {

namespace {
constexpr const wchar_t* kNull = L"NULL";

// One task of the capture class before the run's task (smaller iOrder) with
// the same program, parent and block; IS compares NULLs as equal, so that
// top-level tasks (no parent) find each other.
constexpr const wchar_t* kFillCapturedData =
    L"UPDATE assayrun SET iCapturedDataKeyRef = (SELECT t.iKey FROM jobtask t JOIN jobtask r ON "
    L"r.iKey = assayrun.iJobtaskKeyRef WHERE t.iJobprogramKeyRef IS r.iJobprogramKeyRef AND "
    L"t.iJobtaskKeyRef IS r.iJobtaskKeyRef AND t.iBlockNumber IS r.iBlockNumber AND t.iOrder < "
    L"r.iOrder AND t.wszClassName = '%s' LIMIT 1) WHERE iCapturedDataKeyRef IS NULL;\n";
constexpr const wchar_t* kInsertDbUuid =
    L"INSERT INTO dbinfo(wszName,wszUuid) VALUES('dbuuid','%s');";
constexpr const wchar_t* kSelectProgramPairs =
    L"SELECT wszPropkey, wszPropvalue FROM jobprogramprop WHERE iJobprogramKeyRef=%I64d";
constexpr const wchar_t* kUpdateProgramProperties =
    L"UPDATE jobprogram SET pProperties=? WHERE iKey=%I64d;";

// Reads the pairs of one program and stores them as its property document.
// A pair without a key cannot be read back by name and is left out.
int PackProgramProperties(sqlite3* db, int64_t program) {
  CQeLiteVariantW writer;
  int count = 0;
  if (writer.LevelBegin(L"") != eQeOk) return eQeFailed;
  {
    CQeSqliteCmd pairs(db, QeSqlite_FormatSql(kSelectProgramPairs, program));
    while (pairs.Next()) {
      const CQeStringW key = pairs.ColumnString(0);
      if (key.IsEmpty()) continue;
      if (writer.Set(pairs.ColumnString(1), key.GetString()) != eQeOk) return eQeFailed;
      ++count;
    }
    if (pairs.Result() != 0) return pairs.Result();
  }
  if (count == 0) return eQeOk;
  CQeLiteVariantR document;
  if (writer.LevelEnd() != eQeOk || writer.Finalize(document) != eQeOk) return eQeFailed;
  CQeSqliteCmd update(db, QeSqlite_FormatSql(kUpdateProgramProperties, program));
  update.Bind(1, document.Data());
  update.Execute();
  return update.Result();
}
}  // namespace

int From060To061(sqlite3* db) {
  CUpgradeScript script(db);
  script.Add(L"DROP TABLE jobtaskprop;\n");
  script.Rebuild(g_QeProjectDbTableV061_jobpropdef, {{L"pDependencyExpression", kNull}});
  script.Rebuild(g_QeProjectDbTableV061_jobtask, {{L"pDependencyExpression", kNull}});
  return script.Run(61);
}

int From061To062(sqlite3* db) {
  CUpgradeScript script(db);
  script.Create(g_QeProjectDbTable_tasklistjobdef);
  return script.Run(62);
}

// Same columns; deleting a program now leaves its tasks (ON DELETE SET NULL).
int From062To063(sqlite3* db) {
  CUpgradeScript script(db);
  script.Rebuild(g_QeProjectDbTable_jobtask);
  return script.Run(63);
}

int From063To064(sqlite3* db) {
  CUpgradeScript script(db);
  script.RebuildAll(g_QeProjectDbTableV064_jobpropdef);
  return script.Run(64);
}

// Job property definitions move from the job definition to the program;
// the existing ones are discarded.
int From064To065(sqlite3* db) {
  CUpgradeScript script(db);
  script.Add(L"DROP TABLE jobpropdef;\n");
  script.Create(g_QeProjectDbTableV065_jobpropdef);
  return script.Run(65);
}

int From065To066(sqlite3* db) {
  CUpgradeScript script(db);
  script.Rebuild(g_QeProjectDbTable_assayrun, {{L"iCapturedDataKeyRef", kNull}});
  return script.Run(66);
}

// Object properties carry the run and frame of their object's binary frame;
// properties whose object or binary frame is missing are dropped.
int From066To067(sqlite3* db) {
  CUpgradeScript script(db);
  script.MoveAside(L"binobjprop");
  script.Create(g_QeProjectDbTable_binobjprop);
  script.Add(
      L"INSERT INTO binobjprop (iKey, iBinobjKeyRef, iPropdefKeyRef, iJobrunKeyRef, iFrameIndex, "
      L"dValue) SELECT o.iKey, o.iBinobjKeyRef, o.iPropdefKeyRef, f.iJobrunKeyRef, f.iFrameIndex, "
      L"o.dValue FROM binobjprop_old o JOIN binobj b ON b.iKey = o.iBinobjKeyRef JOIN binframe f "
      L"ON f.iKey = b.iBinframeKeyRef;\n");
  script.DropTable(L"binobjprop_old");
  return script.Run(67);
}

// Property definitions name their set, and tags their tag set, by text.
// A row whose reference points at no row is dropped; a row without a
// reference (the system tags) keeps a NULL set name.
int From067To068(sqlite3* db) {
  CUpgradeScript script(db);
  script.MoveAside(L"propdef");
  script.Create(g_QeProjectDbTable_propdef);
  script.Add(
      L"INSERT INTO propdef (iKey, wszPropsetName, wszName, wszUnit, wszDesc) SELECT o.iKey, "
      L"s.wszUniqueName, o.wszName, o.wszUnit, o.wszDesc FROM propdef_old o LEFT JOIN propset s ON "
      L"s.iKey = o.iPropsetKeyRef WHERE o.iPropsetKeyRef IS NULL OR s.iKey IS NOT NULL;\n");
  script.DropTable(L"propdef_old");
  script.Add(L"DROP TABLE propset;\n");

  script.MoveAside(L"tagdef");
  script.Create(g_QeProjectDbTable_tagdef);
  script.Add(
      L"INSERT INTO tagdef (iKey, wszTagsetName, wszName, wszDesc) SELECT o.iKey, p.wszName, "
      L"o.wszName, o.wszDesc FROM tagdef_old o LEFT JOIN tagdef_old p ON p.iKey = o.iTagdefKeyRef "
      L"WHERE o.iTagdefKeyRef IS NULL OR p.iKey IS NOT NULL;\n");
  script.DropTable(L"tagdef_old");
  return script.Run(68);
}

int From068To069(sqlite3* db) {
  CUpgradeScript script(db);
  script.Add(
      QeSqlite_FormatSql(kFillCapturedData, QeSqlite_EscapeText(kQeProjectDbCaptureTaskClassName)));
  return script.Run(69);
}

int From069To070(sqlite3* db) {
  CUpgradeScript script(db);
  script.Rebuild(g_QeProjectDbTable_wellplatename, {{L"iWellplatenameKeyRef", kNull}});
  return script.Run(70);
}

int From070To071(sqlite3* db) {
  CUpgradeScript script(db);
  script.Create(g_QeProjectDbTable_jobrunpropstat);
  return script.Run(71);
}

// The two value descriptions of a job property become enumeration values:
// first every first description, then every second one.
int From071To072(sqlite3* db) {
  CUpgradeScript script(db);
  script.Create(g_QeProjectDbTable_jobpropenumvalue);
  script.MoveAside(L"jobpropdef");
  script.Create(g_QeProjectDbTable_jobpropdef);
  script.CopyColumns(g_QeProjectDbTable_jobpropdef);
  script.Add(
      L"INSERT INTO jobpropenumvalue (iJobpropdefKeyRef, wszPropenumvalue) SELECT iKey, "
      L"wszValue1desc FROM jobpropdef_old;\n"
      L"INSERT INTO jobpropenumvalue (iJobpropdefKeyRef, wszPropenumvalue) SELECT iKey, "
      L"wszValue2desc FROM jobpropdef_old;\n");
  script.DropTable(L"jobpropdef_old");
  return script.Run(72);
}

// The properties of a job definition go to every program of it.
int From072To073(sqlite3* db) {
  CUpgradeScript script(db);
  script.Create(g_QeProjectDbTableV073_jobprogramprop);
  script.Add(
      L"INSERT INTO jobprogramprop (iJobprogramKeyRef, wszPropkey, wszPropvalue) SELECT p.iKey, "
      L"d.wszPropkey, d.wszPropvalue FROM jobdefprop d JOIN jobprogram p ON p.iJobdefKeyRef = "
      L"d.iJobdefKeyRef;\n");
  script.Add(L"DROP TABLE jobdefprop;\n");
  return script.Run(73);
}

int From073To074(sqlite3* db) {
  CUpgradeScript script(db);
  script.Create(g_QeProjectDbTable_jobuser);
  script.Create(g_QeProjectDbTableV074_toupload);
  script.Create(g_QeProjectDbTable_dbinfo);
  script.Create(g_QeProjectDbTable_project_user_grouping);
  script.Add(QeSqlite_FormatSql(kInsertDbUuid, QeProjectDb_Sys_UuidAsText()) + L"\n");
  return script.Run(74);
}

// Program properties are packed into jobprogram.pProperties: one top-level
// lite-variant document per program, a text value per pair named after its
// key, the document QeProjectDb_Jobprogram_GetProperty reads. A program
// without pairs keeps a NULL blob. The rebuild runs first as a script of its
// own that leaves the transaction open; the packing writes inside it and the
// last script drops the old table, sets the version and commits.
int From074To075(sqlite3* db) {
  CUpgradeScript rebuild(db);
  rebuild.Rebuild(g_QeProjectDbTable_jobprogram, {{L"pProperties", kNull}});
  const int rebuilt = QeSqlite_Execute(db, rebuild.Text(), nullptr, false);
  if (rebuilt != 0) return rebuilt;

  std::vector<int64_t> programs;
  {
    CQeSqliteCmd select(db, CQeStringW(L"SELECT iKey FROM jobprogram;"));
    while (select.Next()) programs.push_back(select.ColumnInt64(0));
    if (select.Result() != 0) return select.Result();
  }
  for (const int64_t program : programs) {
    const int packed = PackProgramProperties(db, program);
    if (packed != 0) return packed;
  }

  CUpgradeScript finish(db, CUpgradeScript::kContinue);
  finish.Add(L"DROP TABLE jobprogramprop;\n");
  return finish.Run(75);
}

int From075To076(sqlite3* db) {
  CUpgradeScript script(db);
  script.Create(g_QeProjectDbTable_trace);
  script.Rebuild(g_QeProjectDbTable_binobj, {{L"iTraceKeyRef", kNull}});
  return script.Run(76);
}

int From076To077(sqlite3* db) {
  CUpgradeScript script(db);
  script.Rebuild(g_QeProjectDbTable_toupload, {{L"runState", L"0"}});
  return script.Run(77);
}

}  // namespace qe::upgrade
