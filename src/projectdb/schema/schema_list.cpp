// The ordered list of the tables of the current schema and lookups in it.
#include <cwchar>

#include "qe/projectdb/schema.h"

constinit const SQeSqliteTableDef* const g_QeProjectDbTables[kQeProjectDbTableCount] = {
    &g_QeProjectDbTable_vesion,
    &g_QeProjectDbTable_settings,
    &g_QeProjectDbTable_project,
    &g_QeProjectDbTable_jobdef,
    &g_QeProjectDbTable_jobprogram,
    &g_QeProjectDbTable_jobtask,
    &g_QeProjectDbTable_jobrun,
    &g_QeProjectDbTable_runloop,
    &g_QeProjectDbTable_file,
    &g_QeProjectDbTable_frame,
    &g_QeProjectDbTable_loopindex,
    &g_QeProjectDbTable_propdef,
    &g_QeProjectDbTable_assayrun,
    &g_QeProjectDbTable_frameprop,
    &g_QeProjectDbTable_tagdef,
    &g_QeProjectDbTable_projtag,
    &g_QeProjectDbTable_jobdeftag,
    &g_QeProjectDbTable_frametag,
    &g_QeProjectDbTable_tagcolor,
    &g_QeProjectDbTable_wellplateconfiguration,
    &g_QeProjectDbTable_wellplatename,
    &g_QeProjectDbTable_dishconfiguration,
    &g_QeProjectDbTable_dishname,
    &g_QeProjectDbTable_slidedef,
    &g_QeProjectDbTable_plateinfo,
    &g_QeProjectDbTable_wellinfo,
    &g_QeProjectDbTable_binlayer,
    &g_QeProjectDbTable_binframe,
    &g_QeProjectDbTable_jobclasslaststate,
    &g_QeProjectDbTable_frameplateinfo,
    &g_QeProjectDbTable_framewellinfo,
    &g_QeProjectDbTable_assayrecipe,
    &g_QeProjectDbTable_binobj,
    &g_QeProjectDbTable_binobjprop,
    &g_QeProjectDbTable_deposit,
    &g_QeProjectDbTable_toolbarjobdef,
    &g_QeProjectDbTable_slideinfo,
    &g_QeProjectDbTable_frameslideinfo,
    &g_QeProjectDbTable_jobpropdef,
    &g_QeProjectDbTable_tasklistjobdef,
    &g_QeProjectDbTable_jobuser,
    &g_QeProjectDbTable_toupload,
    &g_QeProjectDbTable_dbinfo,
    &g_QeProjectDbTable_project_user_grouping,
    &g_QeProjectDbTable_jobrunpropstat,
    &g_QeProjectDbTable_jobpropenumvalue,
    &g_QeProjectDbTable_trace,
};

const SQeSqliteTableDef* QeProjectDb_Schema_FindTable(const wchar_t* wszName) {
  if (!wszName) return nullptr;
  for (const SQeSqliteTableDef* table : g_QeProjectDbTables) {
    if (std::wcscmp(table->wszName, wszName) == 0) return table;
  }
  return nullptr;
}

int QeProjectDb_Schema_FindColumn(const SQeSqliteTableDef* pTable, const wchar_t* wszColumn) {
  if (!pTable || !wszColumn) return -1;
  for (uint32_t i = 0; i < pTable->nColumns; ++i) {
    if (std::wcscmp(pTable->pColumns[i].wszName, wszColumn) == 0) return static_cast<int>(i);
  }
  return -1;
}
