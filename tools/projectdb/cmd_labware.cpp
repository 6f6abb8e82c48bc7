// projectdb labware: the well plates, dishes and slides of a project database.
#include <cstdio>
#include <string>
#include <vector>

#include "command.h"
#include "labware_tool.h"
#include "qe/core/lite_variant.h"
#include "qe/labware/single_element_holder.h"
#include "qe/labware/wellplate.h"
#include "qe/projectdb/records/labware_dish.h"
#include "qe/projectdb/records/labware_plate.h"
#include "qe/projectdb/records/labware_slide.h"

namespace qe::cli::labware {
namespace {

constexpr const char* kHelp =
    "usage: projectdb labware list FILE [--json]\n"
    "       projectdb labware show FILE UUID [--png OUT]\n"
    "       projectdb labware refresh FILE\n"
    "       projectdb labware import FILE PLATES.xml\n"
    "       projectdb labware export FILE OUT.xml [--custom]\n"
    "\n"
    "The labware stored in the project database FILE: well plates, dishes and\n"
    "slides, from the built-in catalogue and made by users alike. list, show and\n"
    "export open FILE read-only.\n"
    "\n"
    "subcommands:\n"
    "  list     one line per definition: kind, company, type, model, wells, state\n"
    "           (present; removed; replaced by a newer definition) and uuid, then\n"
    "           the stored catalogue versions; with --json one JSON object\n"
    "  show     one definition in words: names, state, wells, size and the\n"
    "           description; with --png OUT also a drawing to scale of its\n"
    "           outline and its wells with their names, written as a PNG file\n"
    "  refresh  brings the built-in plates, dishes and slides to the newest\n"
    "           catalogue versions and reports the versions and what was added\n"
    "  import   adds the well plates of an XML plate file as user-imported\n"
    "           plates, each under a new uuid; entries that do not load are\n"
    "           skipped\n"
    "  export   writes the present well plates (with --custom only those made\n"
    "           or imported by users) to an XML plate file that import reads\n"
    "\n"
    "examples:\n"
    "  projectdb labware list my.db\n"
    "  projectdb labware show my.db 89399cb293be4e2e90ba805bff7a9326 --png plate.png\n"
    "  projectdb labware export my.db plates.xml --custom\n"
    "  projectdb labware import other.db plates.xml\n";

struct Subcommand {
  const char* name;
  int (*run)(const std::vector<std::string>& args);
};

// The subcommands, in the order of the help.
constexpr Subcommand kLabwareSubcommands[] = {
    {"list", &RunList},     {"show", &RunShow},     {"refresh", &RunRefresh},
    {"import", &RunImport}, {"export", &RunExport},
};

int RunLabware(const std::vector<std::string>& args) {
  if (args.empty()) {
    PrintError("labware",
               "expected a subcommand (list, show, refresh, import, export); see projectdb labware "
               "--help");
    return kExitUsage;
  }
  for (const Subcommand& sub : kLabwareSubcommands) {
    if (args[0] == sub.name) return sub.run(std::vector<std::string>(args.begin() + 1, args.end()));
  }
  PrintError("labware", "unknown subcommand '" + args[0] + "'; see projectdb labware --help");
  return kExitUsage;
}

Definition FromPlate(const SQeProjectDbRow_wellplatedef& row) {
  Definition d;
  d.kind = Definition::kPlate;
  d.key = row.iKey;
  d.uuid = row.wszUuid;
  d.company = row.wszCompany;
  d.type = row.wszType;
  d.model = row.wszModel;
  d.userImported = row.iUserImported != 0;
  d.removed = row.iRemoved != 0;
  d.replacedBy = row.iWellplatenameKeyRef;
  d.rows = row.iRowCount;
  d.cols = row.iColCount;
  return d;
}

template <typename Row>
Definition FromSingle(Definition::Kind kind, const Row& row) {
  Definition d;
  d.kind = kind;
  d.key = row.iKey;
  d.uuid = row.wszUuid;
  d.company = row.wszCompany;
  d.type = row.wszType;
  d.model = row.wszModel;
  d.userImported = row.iUserImported != 0;
  d.removed = row.iRemoved != 0;
  return d;
}

// A dish or slide holder from its stored blobs; null when the element does
// not load.
template <typename Row>
std::unique_ptr<IQeElementHolder> SingleHolder(const Row& row) {
  CQeLayoutElement element;
  CQeLiteVariantR elementReader(row.layoutelement);
  // An element with only restriction distances loads them and reports -9;
  // it is still worth showing.
  if (element.LoadFromLiteVariant(elementReader) != 0 && element.IsEmpty()) return nullptr;
  SQeShape outline;
  CQeLiteVariantR outlineReader(row.surroundarea);
  outline.LoadFromLiteVariant(outlineReader);
  const CQeRectBase<double> sticker(row.stickerL, row.stickerT, row.stickerR, row.stickerB);
  return std::make_unique<CQeSingleElementHolder>(row.wszUuid, row.wszCompany, row.wszType,
                                                  row.wszModel, element, outline, &sticker);
}

}  // namespace

const char* KindName(Definition::Kind kind) {
  switch (kind) {
    case Definition::kPlate:
      return "plate";
    case Definition::kDish:
      return "dish";
    case Definition::kSlide:
      return "slide";
  }
  return "?";
}

const char* StateName(const Definition& definition) {
  if (!definition.removed) return "present";
  return definition.replacedBy != 0 ? "replaced" : "removed";
}

bool ReadAll(uint32_t handle, const char* command, std::vector<Definition>& out) {
  std::list<SQeProjectDbRow_wellplatedef> plates;
  std::list<SQeProjectDbRow_dishdef> dishes;
  std::list<SQeProjectDbRow_slidedef> slides;
  const int status[] = {QeProjectDb_Wellplatedef_GetAll(handle, plates),
                        QeProjectDb_Dishdef_GetAll(handle, dishes),
                        QeProjectDb_Slidedef_GetAll(handle, slides)};
  for (const int s : status) {
    if (s != 0) {
      PrintError(command, "cannot read the labware tables (SQLite status " + std::to_string(s) +
                              "); is this a project database of the current version?");
      return false;
    }
  }
  for (const auto& row : plates) out.push_back(FromPlate(row));
  for (const auto& row : dishes) out.push_back(FromSingle(Definition::kDish, row));
  for (const auto& row : slides) out.push_back(FromSingle(Definition::kSlide, row));
  return true;
}

int FindByUuid(uint32_t handle, const CQeStringW& uuid, Definition& definition,
               std::unique_ptr<IQeElementHolder>& holder, bool& found) {
  SQeProjectDbRow_wellplatedef plate;
  int status = QeProjectDb_Wellplatedef_GetOne(handle, uuid, plate, found);
  if (status != 0) return status;
  if (found) {
    definition = FromPlate(plate);
    auto loaded = std::make_unique<CQeWellplate>();
    CQeLiteVariantR reader(plate.pData);
    if (loaded->LoadFromLiteVariantWithUuid(reader, plate.wszUuid, plate.wszCompany, plate.wszType,
                                            plate.wszModel, plate.iUserImported) == 0) {
      holder = std::move(loaded);
    }
    return 0;
  }
  SQeProjectDbRow_dishdef dish;
  status = QeProjectDb_Dishdef_GetOne(handle, uuid, dish, found);
  if (status != 0) return status;
  if (found) {
    definition = FromSingle(Definition::kDish, dish);
    holder = SingleHolder(dish);
    return 0;
  }
  SQeProjectDbRow_slidedef slide;
  status = QeProjectDb_Slidedef_GetOne(handle, uuid, slide);
  if (status != 0) return status;
  found = slide.iKey != 0;
  if (found) {
    definition = FromSingle(Definition::kSlide, slide);
    holder = SingleHolder(slide);
  }
  return 0;
}

}  // namespace qe::cli::labware

QE_CLI_COMMAND("labware",
               "the labware of a database: list, show, refresh the catalogue, import and "
               "export plates",
               qe::cli::labware::kHelp, &qe::cli::labware::RunLabware);
