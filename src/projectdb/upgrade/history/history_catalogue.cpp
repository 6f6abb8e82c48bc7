// Which table changed when: the schema history as one list, and the layout
// of a whole version built from it.
#include <cwchar>

#include "qe/projectdb/schema_history.h"

// Entry shorthands: the current layout, an older layout, a dropped table.
#define QE_CURRENT(table) L"" #table, &g_QeProjectDbTable_##table
#define QE_OLD(version, table) L"" #table, &g_QeProjectDbTableV##version##_##table
#define QE_DROPPED(table) L"" #table, nullptr

constinit const SQeProjectDbSchemaChange g_QeProjectDbSchemaChanges[] = {
    // Version 10: every table of the oldest layout.
    {10, QE_CURRENT(vesion)},
    {10, QE_OLD(010, project)},
    {10, QE_OLD(010, jobdef)},
    {10, QE_OLD(010, jobdefroot)},
    {10, QE_OLD(010, jobtask)},
    {10, QE_OLD(010, jobrun)},
    {10, QE_OLD(010, runloop)},
    {10, QE_CURRENT(file)},
    {10, QE_OLD(010, frame)},
    {10, QE_OLD(010, loopindex)},
    {10, QE_OLD(010, propset)},
    {10, QE_OLD(010, propdef)},
    {10, QE_OLD(010, assaydef)},
    {10, QE_OLD(010, assayrun)},
    {10, QE_OLD(010, frameprop)},
    {10, QE_OLD(010, tagdef)},
    {10, QE_CURRENT(projtag)},
    {10, QE_CURRENT(jobdeftag)},
    {10, QE_OLD(010, frametag)},
    {10, QE_CURRENT(tagcolor)},
    {10, QE_OLD(010, wellplatedef)},
    {10, QE_OLD(010, plateinfo)},
    {10, QE_CURRENT(wellinfo)},
    {10, QE_OLD(010, binlayer)},
    {10, QE_OLD(010, binframe)},
    {11, QE_OLD(011, assaydef)},
    // 12 and 13 rebuild every table with the layout it already has.
    {14, QE_OLD(014, jobclasslaststate)},
    {16, QE_DROPPED(jobdefroot)},
    {17, QE_OLD(017, frame)},
    {17, QE_CURRENT(frameprop)},
    {17, QE_CURRENT(frametag)},
    {17, QE_CURRENT(binframe)},
    {17, QE_OLD(017, runloop)},
    {18, QE_OLD(018, jobprogram)},
    {18, QE_OLD(018, jobdef)},
    {18, QE_OLD(018, jobrun)},
    {18, QE_OLD(018, jobtask)},
    {19, QE_OLD(019, loopindex)},
    {20, QE_OLD(020, jobtask)},
    {20, QE_OLD(020, jobclasslaststate)},
    {21, QE_OLD(021, jobtask)},
    {22, QE_CURRENT(frameplateinfo)},
    {22, QE_CURRENT(framewellinfo)},
    {22, QE_CURRENT(loopindex)},
    {23, QE_OLD(023, jobtask)},
    {23, QE_CURRENT(runloop)},
    {23, QE_CURRENT(frame)},
    {23, QE_OLD(023, propset)},
    {23, QE_OLD(023, assaydef)},
    {23, QE_OLD(023, tagdef)},
    {24, QE_OLD(024, project)},
    {25, QE_CURRENT(project)},
    {25, QE_OLD(025, jobdef)},
    {25, QE_OLD(025, jobrun)},
    {25, QE_OLD(025, assaydef)},
    {25, QE_OLD(025, assayrun)},
    {25, QE_OLD(025, wellplatedef)},
    {25, QE_CURRENT(jobclasslaststate)},
    {26, QE_CURRENT(settings)},
    {28, QE_CURRENT(assayrecipe)},
    {28, QE_OLD(028, binobj)},
    {28, QE_OLD(028, binobjprop)},
    {29, QE_CURRENT(wellplateconfiguration)},
    {29, QE_OLD(029, wellplatename)},
    {29, QE_DROPPED(wellplatedef)},
    {29, QE_CURRENT(plateinfo)},
    {30, QE_OLD(030, wellplatename)},
    {31, QE_CURRENT(dishconfiguration)},
    {31, QE_CURRENT(dishname)},
    {31, QE_CURRENT(slidedef)},
    {32, QE_OLD(032, jobtask)},
    {33, QE_CURRENT(deposit)},
    {35, QE_OLD(035, assaydef)},
    {37, QE_OLD(037, jobrun)},
    {38, QE_CURRENT(jobrun)},
    {38, QE_OLD(038, assaydef)},
    {39, QE_OLD(039, assayrun)},
    {40, QE_OLD(040, binlayer)},
    {41, QE_CURRENT(toolbarjobdef)},
    {42, QE_CURRENT(slideinfo)},
    {42, QE_CURRENT(frameslideinfo)},
    {43, QE_OLD(043, jobtaskprop)},
    {44, QE_OLD(044, jobdefprop)},
    {45, QE_OLD(045, jobtaskprop)},
    {45, QE_OLD(045, jobpropdef)},
    {46, QE_OLD(046, jobpropdef)},
    {47, QE_CURRENT(jobdef)},
    {48, QE_OLD(048, jobpropdef)},
    {48, QE_OLD(048, jobtaskprop)},
    {60, QE_CURRENT(binlayer)},
    {60, QE_OLD(060, assayrun)},
    {60, QE_DROPPED(assaydef)},
    {61, QE_DROPPED(jobtaskprop)},
    {61, QE_OLD(061, jobpropdef)},
    {61, QE_OLD(061, jobtask)},
    {62, QE_CURRENT(tasklistjobdef)},
    {63, QE_CURRENT(jobtask)},
    {64, QE_OLD(064, jobpropdef)},
    {65, QE_OLD(065, jobpropdef)},
    {66, QE_CURRENT(assayrun)},
    {67, QE_CURRENT(binobjprop)},
    {68, QE_CURRENT(propdef)},
    {68, QE_DROPPED(propset)},
    {68, QE_CURRENT(tagdef)},
    {70, QE_CURRENT(wellplatename)},
    {71, QE_CURRENT(jobrunpropstat)},
    {72, QE_CURRENT(jobpropenumvalue)},
    {72, QE_CURRENT(jobpropdef)},
    {73, QE_OLD(073, jobprogramprop)},
    {73, QE_DROPPED(jobdefprop)},
    {74, QE_CURRENT(jobuser)},
    {74, QE_OLD(074, toupload)},
    {74, QE_CURRENT(dbinfo)},
    {74, QE_CURRENT(project_user_grouping)},
    {75, QE_CURRENT(jobprogram)},
    {75, QE_DROPPED(jobprogramprop)},
    {76, QE_CURRENT(trace)},
    {76, QE_CURRENT(binobj)},
    {77, QE_CURRENT(toupload)},
};

constinit const uint32_t g_QeProjectDbSchemaChangeCount =
    sizeof(g_QeProjectDbSchemaChanges) / sizeof(g_QeProjectDbSchemaChanges[0]);

namespace {
// Every table name the schema ever had, in creation order: the current list
// with the tables that no longer exist beside those they belonged to.
constexpr const wchar_t* kCreationOrder[] = {
    L"vesion",
    L"settings",
    L"project",
    L"jobdef",
    L"jobdefroot",
    L"jobprogram",
    L"jobtask",
    L"jobrun",
    L"runloop",
    L"file",
    L"frame",
    L"loopindex",
    L"propset",
    L"propdef",
    L"assaydef",
    L"assayrun",
    L"frameprop",
    L"tagdef",
    L"projtag",
    L"jobdeftag",
    L"frametag",
    L"tagcolor",
    L"wellplatedef",
    L"wellplateconfiguration",
    L"wellplatename",
    L"dishconfiguration",
    L"dishname",
    L"slidedef",
    L"plateinfo",
    L"wellinfo",
    L"binlayer",
    L"binframe",
    L"jobclasslaststate",
    L"frameplateinfo",
    L"framewellinfo",
    L"assayrecipe",
    L"binobj",
    L"binobjprop",
    L"deposit",
    L"toolbarjobdef",
    L"slideinfo",
    L"frameslideinfo",
    L"jobpropdef",
    L"jobtaskprop",
    L"jobdefprop",
    L"tasklistjobdef",
    L"jobuser",
    L"toupload",
    L"dbinfo",
    L"project_user_grouping",
    L"jobrunpropstat",
    L"jobpropenumvalue",
    L"jobprogramprop",
    L"trace",
};
}  // namespace

bool QeProjectDb_SchemaHistory_IsKnownVersion(int64_t version) {
  return (version >= kQeProjectDbOldestUpgradableVersion && version <= 48) ||
         (version >= 60 && version <= kQeProjectDbSchemaVersion);
}

const SQeSqliteTableDef* QeProjectDb_SchemaHistory_FindTable(int64_t version,
                                                             const wchar_t* wszTable) {
  if (!wszTable || !QeProjectDb_SchemaHistory_IsKnownVersion(version)) return nullptr;
  const SQeSqliteTableDef* found = nullptr;
  for (const SQeProjectDbSchemaChange& change : g_QeProjectDbSchemaChanges) {
    if (change.iVersion > version) break;
    if (std::wcscmp(change.wszTable, wszTable) == 0) found = change.pTable;
  }
  return found;
}

std::vector<const SQeSqliteTableDef*> QeProjectDb_SchemaHistory_Tables(int64_t version) {
  std::vector<const SQeSqliteTableDef*> tables;
  for (const wchar_t* name : kCreationOrder) {
    if (const SQeSqliteTableDef* table = QeProjectDb_SchemaHistory_FindTable(version, name)) {
      tables.push_back(table);
    }
  }
  return tables;
}
