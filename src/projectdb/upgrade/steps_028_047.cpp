// Upgrade steps from version 29 to version 48 (28 to 29 has a file of its
// own).
#include "projectdb/upgrade/steps.h"
#include "projectdb/upgrade/upgrade_script.h"
#include "qe/projectdb/schema_history.h"
#include "qe/projectdb/upgrade.h"

namespace qe::upgrade {

namespace {
constexpr const wchar_t* kNull = L"NULL";

// tt collects every distinct (definition, analysis run) pair that frame
// properties use, with the new name. One new definition per (new name,
// unit), in the set of its old definition; the trigger writes its key back
// into tt (names and units compare without case, as the columns do). Frame
// properties move to the new definitions and the old ones go. Object
// properties are emptied. Definitions outside the system sets move into
// the "$$$assay$$$" set (one that would clash with a definition already
// there keeps its set and goes with it), other sets are deleted, and
// definitions of "$$$assay$$$" no frame property uses are deleted.
constexpr const wchar_t* kPropertiesPerAnalysisRun =
    L"CREATE TEMP TABLE tt (iNewPropdefKeyRef INTEGER, iOldPropdefKeyRef INTEGER, "
    L"iAssayrunKeyRef INTEGER, wszNewName TEXT, wszUnit TEXT);\n"
    L"INSERT INTO tt (iOldPropdefKeyRef, iAssayrunKeyRef, wszNewName, wszUnit) SELECT DISTINCT "
    L"p.iKey, a.iKey, a.wszName || '.' || p.wszName, p.wszUnit FROM frameprop f JOIN propdef p ON "
    L"p.iKey = f.iPropdefKeyRef JOIN assayrun a ON a.iKey = f.iAssayrunKeyRef;\n"
    L"CREATE TEMP TRIGGER trg_propdef_i AFTER INSERT ON propdef BEGIN UPDATE tt SET "
    L"iNewPropdefKeyRef = NEW.iKey WHERE wszNewName = NEW.wszName COLLATE NOCASE AND wszUnit IS "
    L"NEW.wszUnit COLLATE NOCASE; END;\n"
    L"INSERT INTO propdef (iPropsetKeyRef, wszName, wszUnit, wszDesc) SELECT o.iPropsetKeyRef, "
    L"g.wszNewName, g.wszUnit, o.wszDesc FROM (SELECT wszNewName, wszUnit, "
    L"MIN(iOldPropdefKeyRef) AS iOld, MIN(rowid) AS iFirst FROM tt GROUP BY wszNewName COLLATE "
    L"NOCASE, wszUnit COLLATE NOCASE) g JOIN propdef o ON o.iKey = g.iOld ORDER BY g.iFirst;\n"
    L"UPDATE frameprop SET iPropdefKeyRef = (SELECT tt.iNewPropdefKeyRef FROM tt WHERE "
    L"tt.iOldPropdefKeyRef = frameprop.iPropdefKeyRef AND tt.iAssayrunKeyRef = "
    L"frameprop.iAssayrunKeyRef) WHERE EXISTS (SELECT 1 FROM tt WHERE tt.iOldPropdefKeyRef = "
    L"frameprop.iPropdefKeyRef AND tt.iAssayrunKeyRef = frameprop.iAssayrunKeyRef);\n"
    L"DELETE FROM propdef WHERE iKey IN (SELECT iOldPropdefKeyRef FROM tt);\n"
    L"DELETE FROM binobjprop;\n"
    L"INSERT OR IGNORE INTO propset (iPropsetKeyRef, wszUniqueName, wszName) VALUES (NULL, "
    L"'$$$assay$$$', 'Assay');\n"
    L"UPDATE OR IGNORE propdef SET iPropsetKeyRef = (SELECT iKey FROM propset WHERE "
    L"wszUniqueName = '$$$assay$$$') WHERE iPropsetKeyRef IS NULL OR iPropsetKeyRef NOT IN "
    L"(SELECT iKey FROM propset WHERE wszUniqueName IN ('$$$quantity$$$', "
    L"'$$$classification$$$', '$$$customvalue$$$', '$$$recordeddata$$$', '$$$assay$$$'));\n"
    L"DELETE FROM propset WHERE wszUniqueName NOT IN ('$$$quantity$$$', "
    L"'$$$classification$$$', '$$$customvalue$$$', '$$$recordeddata$$$', '$$$assay$$$');\n"
    L"DELETE FROM propdef WHERE (iPropsetKeyRef IS NULL OR iPropsetKeyRef NOT IN (SELECT iKey "
    L"FROM propset)) OR (iPropsetKeyRef = (SELECT iKey FROM propset WHERE wszUniqueName = "
    L"'$$$assay$$$') AND iKey NOT IN (SELECT iPropdefKeyRef FROM frameprop WHERE iPropdefKeyRef "
    L"IS NOT NULL));\n"
    L"DROP TRIGGER trg_propdef_i;\n"
    L"DROP TABLE tt;\n";
}  // namespace

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
// when it has no frame or the frame is older. Each analysis run gets its own
// property definitions, named "<run name>.<property name>" (see
// kPropertiesPerAnalysisRun).
int From036To037(sqlite3* db) {
  CUpgradeScript script(db);
  script.Rebuild(g_QeProjectDbTableV037_jobrun,
                 {{L"dFTime",
                   L"(SELECT CASE WHEN MAX(f.dCTime) IS NULL OR MAX(f.dCTime) < jobrun_old.dCTime "
                   L"THEN jobrun_old.dCTime ELSE MAX(f.dCTime) END FROM frame f WHERE "
                   L"f.iJobrunKeyRef = jobrun_old.iKey)"}});
  script.Add(kPropertiesPerAnalysisRun);
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
