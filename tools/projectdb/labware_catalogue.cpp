// projectdb labware refresh, import and export: the built-in catalogue in a
// database, and well plates carried between databases in XML plate files.
#include "qe/projectdb/records/labware_catalogue.h"

#include <cstdio>
#include <list>
#include <string>
#include <vector>

#include "cli_util.h"
#include "command.h"
#include "labware_tool.h"
#include "qe/core/status.h"
#include "qe/labware/insert_object_database.h"
#include "qe/projectdb/records/labware_dish.h"
#include "qe/projectdb/records/labware_plate.h"
#include "qe/projectdb/records/labware_slide.h"

namespace qe::cli::labware {
namespace {

// One kind of catalogue entry: how to bring it up to date and to count its
// stored products.
struct CatalogueKind {
  const char* label;
  const wchar_t* version_name;
  int64_t highest;
  int (*upgrade)(uint32_t h, int64_t target);
  int (*count)(uint32_t h, size_t& count);
};

template <typename Row>
int CountRows(int (*get_all)(uint32_t, std::list<Row>&), uint32_t h, size_t& count) {
  std::list<Row> rows;
  const int status = get_all(h, rows);
  count = rows.size();
  return status;
}

const CatalogueKind kKinds[] = {
    {"plates", kQeCatalogueVersionPlate, kQeCatalogueHighestPlateVersion,
     &QeProjectDb_Wellplatedef_JobsUpgradeSystemPlateDefs,
     [](uint32_t h, size_t& n) { return CountRows(&QeProjectDb_Wellplatedef_GetAll, h, n); }},
    {"dishes", kQeCatalogueVersionDish, kQeCatalogueHighestDishVersion,
     &QeProjectDb_Wellplatedef_JobsUpgradeSystemDishDefs,
     [](uint32_t h, size_t& n) { return CountRows(&QeProjectDb_Dishdef_GetAll, h, n); }},
    {"slides", kQeCatalogueVersionSlide, kQeCatalogueHighestSlideVersion,
     &QeProjectDb_Wellplatedef_JobsUpgradeSystemSlideDefs,
     [](uint32_t h, size_t& n) { return CountRows(&QeProjectDb_Slidedef_GetAll, h, n); }},
};

std::string Status(int status) { return "status " + std::to_string(status); }

}  // namespace

int RunRefresh(const std::vector<std::string>& args) {
  if (args.size() != 1 || args[0].empty()) {
    PrintError("labware", "refresh expects one FILE; see projectdb labware --help");
    return kExitUsage;
  }
  Database connection;
  if (!connection.Open("labware", args[0], true)) return kExitFailure;
  CQeInsertObjectDatabase::Init();
  const uint32_t h = connection.handle();
  int exit_code = kExitOk;
  for (const CatalogueKind& kind : kKinds) {
    int64_t before = 0, after = 0;
    size_t count_before = 0, count_after = 0;
    int status = QeProjectDb_Labware_GetCatalogueVersion(h, kind.version_name, before);
    if (status == 0) status = kind.count(h, count_before);
    if (status == 0 && before > kind.highest) {
      std::printf("%s: catalogue version %lld, newer than this tool's %lld; left as it is\n",
                  kind.label, static_cast<long long>(before), static_cast<long long>(kind.highest));
      continue;
    }
    if (status == 0) status = kind.upgrade(h, kind.highest);
    if (status == 0) status = QeProjectDb_Labware_GetCatalogueVersion(h, kind.version_name, after);
    if (status == 0) status = kind.count(h, count_after);
    if (status != 0) {
      PrintError("labware", std::string("refresh of the ") + kind.label + " failed (" +
                                Status(status) + "); they are left as they were");
      exit_code = kExitFailure;
      continue;
    }
    if (after == before) {
      std::printf("%s: catalogue version %lld, up to date\n", kind.label,
                  static_cast<long long>(after));
    } else {
      std::printf("%s: catalogue version %lld -> %lld, %zu added\n", kind.label,
                  static_cast<long long>(before), static_cast<long long>(after),
                  count_after - count_before);
    }
  }
  return exit_code;
}

int RunImport(const std::vector<std::string>& args) {
  if (args.size() != 2 || args[0].empty() || args[1].empty()) {
    PrintError("labware", "import expects FILE and PLATES.xml; see projectdb labware --help");
    return kExitUsage;
  }
  Database connection;
  if (!connection.Open("labware", args[0], true)) return kExitFailure;
  int imported = 0, skipped = 0;
  const int status = QeProjectDb_Wellplatedef_ImportUserPlateDefs(
      connection.handle(), CQeStringW::FromUtf8(args[1]), &imported, &skipped);
  if (status != 0) {
    const std::string reason = status == eQeNotFound ? "no such file"
                               : status == eQeUnusableFile
                                   ? "not a plate file (an XML lite-variant document with the "
                                     "level \"Wellplates\")"
                                   : "nothing was imported (" + Status(status) + ")";
    PrintError("labware", "import of '" + args[1] + "': " + reason);
    return kExitFailure;
  }
  std::printf("imported %d plate%s from %s", imported, imported == 1 ? "" : "s", args[1].c_str());
  if (skipped > 0)
    std::printf(" (%d entr%s that did not load skipped)", skipped, skipped == 1 ? "y" : "ies");
  std::printf("\n");
  return kExitOk;
}

int RunExport(const std::vector<std::string>& args) {
  ParsedArgs parsed;
  if (!ParseArgs("labware", args, {{"--custom", false}}, parsed)) return kExitUsage;
  const std::vector<std::string>& positional = parsed.positional;
  const bool user_only = parsed.Has("--custom");
  if (positional.size() != 2 || positional[0].empty() || positional[1].empty()) {
    PrintError("labware", "export expects FILE and OUT.xml; see projectdb labware --help");
    return kExitUsage;
  }
  Database connection;
  if (!connection.Open("labware", positional[0], false)) return kExitFailure;
  int exported = 0, skipped = 0;
  const int status = QeProjectDb_Wellplatedef_ExportUserPlateDefs(
      connection.handle(), CQeStringW::FromUtf8(positional[1]), user_only, &exported, &skipped);
  if (status != 0) {
    PrintError("labware", "export to '" + positional[1] + "' failed (" + Status(status) + ")");
    return kExitFailure;
  }
  std::printf("exported %d %splate%s to %s", exported, user_only ? "user-made " : "",
              exported == 1 ? "" : "s", positional[1].c_str());
  if (skipped > 0) std::printf(" (%d with an unreadable geometry left out)", skipped);
  std::printf("\n");
  return kExitOk;
}

}  // namespace qe::cli::labware
