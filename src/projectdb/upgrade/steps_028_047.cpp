// Upgrade steps from version 28 to version 48.
#include "projectdb/upgrade/steps.h"
#include "projectdb/upgrade/upgrade_script.h"
#include "qe/projectdb/schema_history.h"
#include "qe/projectdb/upgrade.h"

namespace qe::upgrade {

namespace {
constexpr const wchar_t* kNull = L"NULL";
}  // namespace

// Well-plate definitions split into configurations and names; plate links
// point at names. The tables change here; the definitions and plate links
// of the old file are not converted row by row yet (the old rows go with
// the dropped tables).
int From028To029(sqlite3* db) {
  CUpgradeScript script(db);
  script.Create(g_QeProjectDbTable_wellplateconfiguration);
  script.Create(g_QeProjectDbTableV029_wellplatename);
  script.Add(L"DROP TABLE plateinfo;\nDROP TABLE wellplatedef;\n");
  script.Create(g_QeProjectDbTable_plateinfo);
  script.Add(
      L"UPDATE vesion SET iVersion=6 WHERE wszName='plate';\n"
      L"INSERT INTO vesion (wszName, iVersion) SELECT 'plate', 6 WHERE NOT EXISTS (SELECT 1 FROM "
      L"vesion WHERE wszName='plate');\n");
  return script.Run(29);
}

int From029To030(sqlite3* db) {
  CUpgradeScript script(db);
  script.Rebuild(g_QeProjectDbTableV030_wellplatename, {{L"iRemoved", L"0"}});
  return script.Run(30);
}

int From030To031(sqlite3* db) {
  CUpgradeScript script(db);
  script.Create(g_QeProjectDbTable_dishconfiguration);
  script.Create(g_QeProjectDbTable_dishname);
  script.Create(g_QeProjectDbTable_slidedef);
  return script.Run(31);
}

int From031To032(sqlite3* db) {
  CUpgradeScript script(db);
  script.Rebuild(g_QeProjectDbTableV032_jobtask,
                 {{L"wszNotes", kNull}, {L"wszNotesDetailed", kNull}});
  return script.Run(32);
}

int From032To033(sqlite3* db) {
  CUpgradeScript script(db);
  script.Create(g_QeProjectDbTable_deposit);
  return script.Run(33);
}

int From033To034(sqlite3* db) {
  CUpgradeScript script(db);
  script.Add(
      L"INSERT INTO propset (wszUniqueName, wszName) VALUES ('$$$classification$$$', "
      L"'Classification');\n"
      L"INSERT INTO propset (wszUniqueName, wszName) VALUES ('$$$customvalue$$$', "
      L"'CustomValue');\n");
  return script.Run(34);
}

int From034To035(sqlite3* db) {
  CUpgradeScript script(db);
  script.Rebuild(g_QeProjectDbTableV035_assaydef,
                 {{L"wszNotes", kNull}, {L"wszNotesDetailed", kNull}});
  return script.Run(35);
}

int From035To036(sqlite3* db) {
  CUpgradeScript script(db);
  script.Add(
      L"INSERT INTO propset (wszUniqueName, wszName) VALUES ('$$$recordeddata$$$', "
      L"'RecordedData');\n");
  return script.Run(36);
}

// A run's finish time is the time of its last frame, or its creation time
// when it has no frame or the frame is older. The per-analysis property
// names of this step are not converted yet.
int From036To037(sqlite3* db) {
  CUpgradeScript script(db);
  script.Rebuild(g_QeProjectDbTableV037_jobrun,
                 {{L"dFTime",
                   L"(SELECT CASE WHEN MAX(f.dCTime) IS NULL OR MAX(f.dCTime) < jobrun_old.dCTime "
                   L"THEN jobrun_old.dCTime ELSE MAX(f.dCTime) END FROM frame f WHERE "
                   L"f.iJobrunKeyRef = jobrun_old.iKey)"}});
  return script.Run(37);
}

int From037To038(sqlite3* db) {
  CUpgradeScript script(db);
  script.Rebuild(g_QeProjectDbTable_jobrun,
                 {{L"iFinishFlags", L"0"}, {L"wszFinishMessage", kNull}});
  script.Rebuild(g_QeProjectDbTableV038_assaydef, {{L"wszModuleName", kNull}});
  return script.Run(38);
}

// An analysis run's task is the task its analysis belongs to.
int From038To039(sqlite3* db) {
  CUpgradeScript script(db);
  script.Rebuild(g_QeProjectDbTableV039_assayrun,
                 {{L"iJobtaskKeyRef",
                   L"(SELECT d.iJobtaskKeyRef FROM assaydef d WHERE d.iKey = "
                   L"assayrun_old.iAssaydefKeyRef)"}});
  return script.Run(39);
}

// Every binary layer gets a new uuid in the 32-digit lowercase form.
int From039To040(sqlite3* db) {
  CUpgradeScript script(db);
  script.Rebuild(g_QeProjectDbTableV040_binlayer, {{L"wszUuid", L"lower(hex(randomblob(16)))"}});
  return script.Run(40);
}

// State bit 2 of a job definition ("on the toolbar") becomes a row of its own.
int From040To041(sqlite3* db) {
  CUpgradeScript script(db);
  script.Create(g_QeProjectDbTable_toolbarjobdef);
  script.Add(
      L"INSERT INTO toolbarjobdef (iJobdefKeyRef) SELECT iKey FROM jobdef WHERE iState&2 > "
      L"0;UPDATE jobdef SET iState=iState&~2 WHERE iState&2 > 0;\n");
  return script.Run(41);
}

int From041To042(sqlite3* db) {
  CUpgradeScript script(db);
  script.Create(g_QeProjectDbTable_slideinfo);
  script.Create(g_QeProjectDbTable_frameslideinfo);
  return script.Run(42);
}

int From042To043(sqlite3* db) {
  CUpgradeScript script(db);
  script.Create(g_QeProjectDbTableV043_jobtaskprop);
  return script.Run(43);
}

int From043To044(sqlite3* db) {
  CUpgradeScript script(db);
  script.Create(g_QeProjectDbTableV044_jobdefprop);
  return script.Run(44);
}

int From044To045(sqlite3* db) {
  CUpgradeScript script(db);
  script.Add(L"DROP TABLE jobtaskprop;\n");
  script.Create(g_QeProjectDbTableV045_jobpropdef);
  script.Create(g_QeProjectDbTableV045_jobtaskprop);
  return script.Run(45);
}

// Value and type texts become integers (text that is not a number gives 0).
int From045To046(sqlite3* db) {
  CUpgradeScript script(db);
  script.Rebuild(g_QeProjectDbTableV046_jobpropdef,
                 {{L"iPropdefvalue", L"CAST(wszPropvalue AS INTEGER)"},
                  {L"iPropdeftype", L"CAST(wszProptype AS INTEGER)"},
                  {L"iPropdefvisibility", L"0"}});
  return script.Run(46);
}

int From046To047(sqlite3* db) {
  CUpgradeScript script(db);
  script.Rebuild(g_QeProjectDbTable_jobdef, {{L"iProgress", L"0"}});
  return script.Run(47);
}

int From047To048(sqlite3* db) {
  CUpgradeScript script(db);
  script.Rebuild(g_QeProjectDbTableV048_jobpropdef, {{L"iPropdefflags", L"0"}});
  script.Rebuild(g_QeProjectDbTableV048_jobtaskprop, {{L"iJobtaskpropvalue", L"0"}});
  return script.Run(48);
}

}  // namespace qe::upgrade
