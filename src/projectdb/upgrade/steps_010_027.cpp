// Upgrade steps from version 10 to version 28.
#include <set>

#include "projectdb/upgrade/steps.h"
#include "projectdb/upgrade/upgrade_script.h"
#include "qe/projectdb/schema_history.h"
#include "qe/projectdb/sql_functions.h"
#include "qe/projectdb/sys.h"
#include "qe/projectdb/upgrade.h"
#include "qe/sqlite/cmd.h"
#include "qe/sqlite/connection.h"
#include "qe/sqlite/sql_text.h"

namespace qe::upgrade {

namespace {

constexpr const wchar_t* kClearDanglingRef =
    L"UPDATE %s SET %s = NULL WHERE %s NOT IN (SELECT iKey FROM %s);\n";
constexpr const wchar_t* kInsertSetting =
    L"INSERT INTO %s (%s, %s, %s) VALUES ('%s', '%s', '%s');\n";

// Steps 11 to 12 and 12 to 13: every table of the target version's layout
// that the file holds is moved aside, created again with its indexes and
// refilled column by column. Tables the layout does not name stay as they
// are. The layout is that of the target version, not today's: a version-11
// file cannot have the columns that later versions add.
int RebuildEveryTable(sqlite3* db, int64_t targetVersion) {
  std::set<CQeStringW> held;
  {
    CQeSqliteCmd tables(db, L"SELECT name FROM sqlite_master WHERE type='table';");
    while (tables.Next()) held.insert(tables.ColumnString(0));
  }
  CUpgradeScript script(db);
  for (const SQeSqliteTableDef* layout : QeProjectDb_SchemaHistory_Tables(targetVersion)) {
    if (held.count(layout->wszName)) script.Rebuild(*layout);
  }
  return script.Run(targetVersion);
}

// Clears references that point at no row, then rebuilds the table with the
// layout that declares them as foreign keys.
void ClearAndRebuild(CUpgradeScript& script, const SQeSqliteTableDef& layout, const wchar_t* column,
                     const wchar_t* target) {
  script.Add(QeSqlite_FormatSql(kClearDanglingRef, layout.wszName, column, column, target));
  script.RebuildAll(layout);
}

// The two options every file gets at version 26: the journal mode ("truncate"
// on a network file system, else "wal") and the synchronous level.
void AddSettingsTable(CUpgradeScript& script) {
  script.CreateTableOnly(g_QeProjectDbTable_settings);
  const bool network = QeProjectDb_Sys_IsNetworkPath(QeSqlite_Filename(script.Db()));
  script.Add(QeSqlite_FormatSql(kInsertSetting, L"settings", L"wszName", L"wszType", L"varValue",
                                L"journal_mode", L"stringw", network ? L"truncate" : L"wal"));
  script.Add(QeSqlite_FormatSql(kInsertSetting, L"settings", L"wszName", L"wszType", L"varValue",
                                L"synchronous", L"stringw", L"normal"));
}

}  // namespace

int From010To011(sqlite3* db) {
  CUpgradeScript script(db);
  script.Rebuild(g_QeProjectDbTableV011_assaydef, {{L"iJobtaskKeyRef", L"NULL"}});
  return script.Run(11);
}

int From011To012(sqlite3* db) { return RebuildEveryTable(db, 12); }

int From012To013(sqlite3* db) { return RebuildEveryTable(db, 13); }

int From013To014(sqlite3* db) {
  CUpgradeScript script(db);
  script.Rebuild(g_QeProjectDbTableV010_jobdef, {{L"iState", L"0"}});
  script.Create(g_QeProjectDbTableV014_jobclasslaststate);
  return script.Run(14);
}

int From014To015(sqlite3* db) {
  CUpgradeScript script(db);
  return script.Run(15);
}

int From015To016(sqlite3* db) {
  int code = 0;
  if (ReadStoredVersion(db, &code) == 16) return 0;
  CUpgradeScript script(db);
  script.Rebuild(g_QeProjectDbTableV010_jobdef);
  script.Add(L"DROP TABLE jobdefroot;\n");
  return script.Run(16);
}

// Frame properties, frame tags and binary frames name their frame by run
// and index; the join with frame drops rows whose frame does not exist.
int From016To017(sqlite3* db) {
  CUpgradeScript script(db);
  script.Rebuild(g_QeProjectDbTableV017_frame);

  script.MoveAside(L"frameprop");
  script.Create(g_QeProjectDbTable_frameprop);
  script.Add(
      L"INSERT INTO frameprop (iKey, iJobrunKeyRef, iAssayrunKeyRef, iPropdefKeyRef, iFrameIndex, "
      L"dValue) SELECT o.iKey, f.iJobrunKeyRef, o.iAssayrunKeyRef, o.iPropdefKeyRef, "
      L"f.iFrameIndex, o.dValue FROM frameprop_old o JOIN frame f ON f.iKey = o.iFrameKeyRef;\n");
  script.DropTable(L"frameprop_old");

  script.MoveAside(L"frametag");
  script.Create(g_QeProjectDbTable_frametag);
  script.Add(
      L"INSERT INTO frametag (iKey, iJobrunKeyRef, iTagdefKeyRef, iFrameIndex) SELECT o.iKey, "
      L"f.iJobrunKeyRef, o.iTagdefKeyRef, f.iFrameIndex FROM frametag_old o JOIN frame f ON "
      L"f.iKey = o.iFrameKeyRef;\n");
  script.DropTable(L"frametag_old");

  script.MoveAside(L"binframe");
  script.Create(g_QeProjectDbTable_binframe);
  script.Add(
      L"INSERT INTO binframe (iKey, iJobrunKeyRef, iBinlayerKeyRef, iFrameIndex, iCount) SELECT "
      L"o.iKey, f.iJobrunKeyRef, o.iBinlayerKeyRef, f.iFrameIndex, o.iCount FROM binframe_old o "
      L"JOIN frame f ON f.iKey = o.iFrameKeyRef;\n");
  script.DropTable(L"binframe_old");

  script.Rebuild(g_QeProjectDbTableV017_runloop, {{L"iNestLevel", L"iOrder"}});
  return script.Run(17);
}

// Job programs: each job definition gets one program with the definition's
// key and summary; runs and tasks point at it.
int From017To018(sqlite3* db) {
  CUpgradeScript script(db);
  script.Create(g_QeProjectDbTableV018_jobprogram);
  script.MoveAside(L"jobdef");
  script.MoveAside(L"jobrun");
  script.MoveAside(L"jobtask");
  script.Create(g_QeProjectDbTableV018_jobdef);
  script.Create(g_QeProjectDbTableV018_jobrun);
  script.Create(g_QeProjectDbTableV018_jobtask);
  script.Add(
      L"INSERT INTO jobprogram (iKey, iJobdefKeyRef, wszSummary) SELECT iKey, iKey, wszSummary "
      L"FROM jobdef_old;\n");
  script.CopyColumns(g_QeProjectDbTableV018_jobdef);
  script.CopyColumns(g_QeProjectDbTableV018_jobrun,
                     {{L"iJobprogramKeyRef",
                       L"(SELECT p.iKey FROM jobprogram p WHERE p.iJobdefKeyRef = "
                       L"jobrun_old.iJobdefKeyRef)"}});
  script.CopyColumns(g_QeProjectDbTableV018_jobtask,
                     {{L"iJobprogramKeyRef",
                       L"(SELECT p.iKey FROM jobprogram p WHERE p.iJobdefKeyRef = "
                       L"jobtask_old.iJobdefKeyRef)"}});
  script.DropTable(L"jobdef_old");
  script.DropTable(L"jobrun_old");
  script.DropTable(L"jobtask_old");
  return script.Run(18);
}

int From018To019(sqlite3* db) {
  CUpgradeScript script(db);
  script.RebuildAll(g_QeProjectDbTableV019_loopindex);
  return script.Run(19);
}

int From019To020(sqlite3* db) {
  CUpgradeScript script(db);
  script.Rebuild(g_QeProjectDbTableV020_jobtask, {{L"iState", L"0"}});
  script.Rebuild(g_QeProjectDbTableV020_jobclasslaststate, {{L"iState", L"0"}});
  return script.Run(20);
}

int From020To021(sqlite3* db) {
  CUpgradeScript script(db);
  script.Rebuild(g_QeProjectDbTableV021_jobtask, {{L"pConnectionData", L"NULL"}});
  return script.Run(21);
}

// The plate and well of a frame move from the loop index of plate loops
// (iLoopType 1) and well loops (iLoopType 2) into tables of their own.
int From021To022(sqlite3* db) {
  CUpgradeScript script(db);
  script.Create(g_QeProjectDbTable_frameplateinfo);
  script.Create(g_QeProjectDbTable_framewellinfo);
  script.Add(
      L"INSERT INTO frameplateinfo (iJobrunKeyRef, iPlateinfoKeyRef, iFrameIndex) SELECT DISTINCT "
      L"l.iJobrunKeyRef, l.iLoopinfoKeyRef, l.iFrameIndex FROM loopindex l JOIN runloop r ON "
      L"r.iKey = l.iRunloopKeyRef WHERE r.iLoopType = 1;\n");
  script.Add(
      L"INSERT INTO framewellinfo (iJobrunKeyRef, iWellinfoKeyRef, iFrameIndex) SELECT DISTINCT "
      L"l.iJobrunKeyRef, l.iLoopinfoKeyRef, l.iFrameIndex FROM loopindex l JOIN runloop r ON "
      L"r.iKey = l.iRunloopKeyRef WHERE r.iLoopType = 2;\n");
  script.Rebuild(g_QeProjectDbTable_loopindex);
  return script.Run(22);
}

// Parent and task references become foreign keys; references that point
// nowhere are cleared first so that the rebuilt tables hold no dangling key.
int From022To023(sqlite3* db) {
  CUpgradeScript script(db);
  ClearAndRebuild(script, g_QeProjectDbTableV023_jobtask, L"iJobtaskKeyRef", L"jobtask");
  ClearAndRebuild(script, g_QeProjectDbTable_runloop, L"iJobtaskKeyRef", L"jobtask");
  ClearAndRebuild(script, g_QeProjectDbTable_frame, L"iJobtaskKeyRef", L"jobtask");
  ClearAndRebuild(script, g_QeProjectDbTableV023_propset, L"iPropsetKeyRef", L"propset");
  ClearAndRebuild(script, g_QeProjectDbTableV023_assaydef, L"iJobtaskKeyRef", L"jobtask");
  ClearAndRebuild(script, g_QeProjectDbTableV023_tagdef, L"iTagdefKeyRef", L"tagdef");
  return script.Run(23);
}

// Stored paths become folder and file names (the part after the last
// backslash).
int From023To024(sqlite3* db) {
  QeProjectDb_SqlFunc_RegisterPathLastPart(db);
  CUpgradeScript script(db);
  script.Add(L"UPDATE project SET wszAbsPath = pathlastpart(wszAbsPath);\n");
  script.Rebuild(g_QeProjectDbTableV024_project, {{L"wszFolderName", L"wszAbsPath"}});
  script.Add(L"UPDATE jobrun SET wszFolderName = pathlastpart(wszFolderName);\n");
  script.Add(L"UPDATE file SET wszFileName = pathlastpart(wszFileName);\n");
  return script.Run(24);
}

// Uuids and unique names become unique: of rows that share one, the first
// copied stays and the others are dropped.
int From024To025(sqlite3* db) {
  constexpr const wchar_t* kIgnore = L"INSERT OR IGNORE";
  CUpgradeScript script(db);
  script.RebuildAll(g_QeProjectDbTable_project, kIgnore);
  script.RebuildAll(g_QeProjectDbTableV025_jobdef, kIgnore);
  script.RebuildAll(g_QeProjectDbTableV025_jobrun, kIgnore);
  script.RebuildAll(g_QeProjectDbTableV025_assaydef, kIgnore);
  script.RebuildAll(g_QeProjectDbTableV025_assayrun, kIgnore);
  script.RebuildAll(g_QeProjectDbTableV025_wellplatedef, kIgnore);
  script.RebuildAll(g_QeProjectDbTable_jobclasslaststate, kIgnore);
  return script.Run(25);
}

int From025To026(sqlite3* db) {
  CUpgradeScript script(db);
  AddSettingsTable(script);
  return script.Run(26);
}

int From026To027(sqlite3* db) {
  CUpgradeScript script(db);
  script.Add(L"DROP TABLE settings;\n");
  AddSettingsTable(script);
  return script.Run(27);
}

int From027To028(sqlite3* db) {
  CUpgradeScript script(db);
  script.Create(g_QeProjectDbTable_assayrecipe);
  script.Create(g_QeProjectDbTableV028_binobj);
  script.Create(g_QeProjectDbTableV028_binobjprop);
  return script.Run(28);
}

}  // namespace qe::upgrade
