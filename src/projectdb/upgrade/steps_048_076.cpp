// Upgrade steps from version 48 to version 77.
#include "projectdb/upgrade/steps.h"
#include "projectdb/upgrade/upgrade_script.h"
#include "qe/projectdb/schema_history.h"
#include "qe/projectdb/sys.h"
#include "qe/projectdb/upgrade.h"
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
}  // namespace

// Binary layers and analysis runs stop naming the analysis definition, which
// is dropped. A layer takes the analysis run of its job run and definition
// (the latest, should there be several). The analyses of the old file do not
// become job tasks yet.
int From048To060(sqlite3* db) {
  CUpgradeScript script(db);
  script.Rebuild(g_QeProjectDbTable_binlayer,
                 {{L"iAssayrunKeyRef",
                   L"(SELECT MAX(a.iKey) FROM assayrun a WHERE a.iJobrunKeyRef = "
                   L"binlayer_old.iJobrunKeyRef AND a.iAssaydefKeyRef = "
                   L"binlayer_old.iAssaydefKeyRef)"}});
  script.Rebuild(g_QeProjectDbTableV060_assayrun);
  script.Add(L"DROP TABLE IF EXISTS assaydef; \n");
  return script.Run(60);
}

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

// Program properties are packed into jobprogram.pProperties; the table
// changes here, the packing of the old rows is not done yet (they go with
// the dropped table).
int From074To075(sqlite3* db) {
  CUpgradeScript script(db);
  script.Rebuild(g_QeProjectDbTable_jobprogram, {{L"pProperties", kNull}});
  script.Add(L"DROP TABLE jobprogramprop;\n");
  return script.Run(75);
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
