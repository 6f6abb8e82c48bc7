// projectdb plate-map: a measured per-frame property averaged per well and
// drawn as a heat map on the plate's stored geometry.
#include <cstdio>
#include <map>
#include <optional>

#include "cli_util.h"
#include "command.h"
#include "plate_map.h"
#include "qe/core/lite_variant.h"
#include "qe/projectdb/connection.h"
#include "qe/projectdb/records/labware_plate.h"
#include "qe/projectdb/records/labware_used.h"
#include "qe/sqlite/cmd.h"

namespace {

using qe::cli::Failure;
using qe::cli::UsageError;

constexpr const char* kCommand = "plate-map";
constexpr const char* kHelp =
    "usage: projectdb plate-map FILE RUN --property NAME --out PICTURE.png\n"
    "                           [--set SET] [--plate PLATE] [--json]\n"
    "\n"
    "Averages the values of the property NAME measured on the frames of run RUN\n"
    "(its key or uuid) of the project database FILE per well, and draws them as\n"
    "a heat map on the plate's stored geometry: the plate to scale, each well in\n"
    "its own shape coloured by its mean (with the mean written in it when it\n"
    "fits), row and column names, and a colour scale from the lowest to the\n"
    "highest mean. Wells without values are drawn empty. Frames are placed in\n"
    "wells by their well links; FILE is opened read-only. Prints the picture's\n"
    "size, the wells with data and the lowest and highest well.\n"
    "\n"
    "options:\n"
    "  --property NAME  the property's name, letter case ignored (required)\n"
    "  --out FILE.png   the picture to write (required; replaced when it exists)\n"
    "  --set SET        the property set, when NAME is in more than one\n"
    "  --plate PLATE    the plate's record key or name, when the run used several\n"
    "  --json           print the numbers as one JSON object instead\n"
    "\n"
    "examples:\n"
    "  projectdb plate-map demo-project/demo.db 1 --property 'Nuclei count' \\\n"
    "      --out plate.png\n"
    "  projectdb plate-map my.db 3 --property area --set Nuclei --out area.png --json\n";

struct Property {
  int64_t key = 0;
  CQeStringW set;
  CQeStringW name;
  CQeStringW unit;
};

struct WellValue {
  int index = 0;
  double mean = 0;
  int64_t frames = 0;
};

// The properties with values on frames of the run.
std::vector<Property> PropertiesOfRun(sqlite3* db, int64_t run, int* status) {
  CQeSqliteCmd cmd(db,
                   L"SELECT DISTINCT d.iKey, d.wszPropsetName, d.wszName, d.wszUnit FROM propdef d "
                   L"JOIN frameprop p ON p.iPropdefKeyRef=d.iKey WHERE p.iJobrunKeyRef=? "
                   L"ORDER BY d.wszPropsetName, d.wszName;");
  cmd.Bind(1, static_cast<long long>(run));
  std::vector<Property> out;
  while (cmd.Next()) {
    out.push_back(
        {cmd.ColumnInt64(0), cmd.ColumnString(1), cmd.ColumnString(2), cmd.ColumnString(3)});
  }
  *status = cmd.Result();
  return out;
}

// Mean and number of values per well index. With a plate key, only frames
// linked to that plate count.
std::vector<WellValue> MeansPerWell(sqlite3* db, int64_t run, int64_t propdef, int64_t plate,
                                    int* status) {
  CQeStringW sql =
      L"SELECT w.iWellIndex, avg(p.dValue), count(p.dValue) FROM frameprop p "
      L"JOIN framewellinfo fw ON fw.iJobrunKeyRef=p.iJobrunKeyRef AND fw.iFrameIndex=p.iFrameIndex "
      L"JOIN wellinfo w ON w.iKey=fw.iWellinfoKeyRef ";
  if (plate != 0) {
    sql +=
        L"JOIN frameplateinfo fp ON fp.iJobrunKeyRef=p.iJobrunKeyRef AND "
        L"fp.iFrameIndex=p.iFrameIndex AND fp.iPlateinfoKeyRef=? ";
  }
  sql +=
      L"WHERE p.iJobrunKeyRef=? AND p.iPropdefKeyRef=? AND p.dValue IS NOT NULL "
      L"GROUP BY w.iWellIndex ORDER BY w.iWellIndex;";
  CQeSqliteCmd cmd(db, sql);
  int at = 1;
  if (plate != 0) cmd.Bind(at++, static_cast<long long>(plate));
  cmd.Bind(at++, static_cast<long long>(run));
  cmd.Bind(at, static_cast<long long>(propdef));
  std::vector<WellValue> out;
  while (cmd.Next()) out.push_back({cmd.ColumnInt(0), cmd.ColumnDouble(1), cmd.ColumnInt64(2)});
  *status = cmd.Result();
  return out;
}

std::string Describe(const Property& p) {
  return (p.set.IsEmpty() ? "" : p.set.ToUtf8() + "/") + p.name.ToUtf8();
}

// The one property the arguments name, or a message why there is none.
bool ChooseProperty(const std::vector<Property>& all, const std::string& name,
                    const std::string& set, int64_t run, Property& chosen, int& exitCode) {
  std::vector<Property> matches;
  for (const Property& p : all) {
    if (p.name.CompareNoCase(CQeStringW::FromUtf8(name)) != 0) continue;
    if (!set.empty() && p.set.CompareNoCase(CQeStringW::FromUtf8(set)) != 0) continue;
    matches.push_back(p);
  }
  if (matches.size() == 1) {
    chosen = matches[0];
    return true;
  }
  if (matches.empty()) {
    std::string known;
    for (const Property& p : all) known += (known.empty() ? "" : ", ") + Describe(p);
    exitCode = Failure(kCommand, "run " + std::to_string(run) + " has no values of '" +
                                     (set.empty() ? "" : set + "/") + name + "'" +
                                     (known.empty() ? "" : "; it has " + known));
    return false;
  }
  std::string sets;
  for (const Property& p : matches) sets += (sets.empty() ? "" : ", ") + p.set.ToUtf8();
  exitCode = UsageError(
      kCommand, "'" + name + "' is in several property sets (" + sets + "); choose one with --set");
  return false;
}

bool ChoosePlate(uint32_t h, int64_t run, const std::string& wanted,
                 SQeProjectDbRow_plateinfo& plate, bool& several, int& exitCode) {
  std::vector<SQeProjectDbRow_plateinfo> plates;
  const int status = QeProjectDb_Plateinfo_GetMany(h, run, plates);
  if (status != 0) {
    exitCode = Failure(kCommand, "cannot read the plates of run " + std::to_string(run) +
                                     " (status " + std::to_string(status) + ")");
    return false;
  }
  several = plates.size() > 1;
  for (const SQeProjectDbRow_plateinfo& p : plates) {
    int64_t key = 0;
    if (wanted.empty() ? !several
                       : (qe::cli::ParseKey(wanted, key) && key == p.iKey) ||
                             p.wszName == CQeStringW::FromUtf8(wanted)) {
      plate = p;
      return true;
    }
  }
  if (plates.empty()) {
    exitCode = Failure(kCommand, "run " + std::to_string(run) + " used no well plate");
  } else if (wanted.empty()) {
    exitCode = UsageError(kCommand, "run " + std::to_string(run) + " used " +
                                        std::to_string(plates.size()) +
                                        " plates; choose one with --plate");
  } else {
    exitCode = Failure(kCommand, "run " + std::to_string(run) + " used no plate '" + wanted + "'");
  }
  return false;
}

int RunPlateMap(const std::vector<std::string>& args) {
  qe::cli::ParsedArgs a;
  if (!qe::cli::ParseArgs(kCommand, args,
                          {{"--property", true},
                           {"--out", true},
                           {"--set", true},
                           {"--plate", true},
                           {"--json", false}},
                          a)) {
    return qe::cli::kExitUsage;
  }
  if (a.positional.size() != 2) return UsageError(kCommand, "expected FILE and RUN");
  const std::string file = a.positional[0], out = a.Value("--out"), name = a.Value("--property");
  if (name.empty()) return UsageError(kCommand, "--property NAME is required");
  if (out.empty()) return UsageError(kCommand, "--out FILE.png is required");

  qe::cli::Database database;
  if (!database.Open(kCommand, file, false)) return qe::cli::kExitFailure;
  const uint32_t h = database.handle();
  sqlite3* db = database.db();
  SQeProjectDbRow_jobrun run;
  if (const int status = qe::cli::FindRun(h, a.positional[1], run); status != 0) {
    return Failure(kCommand, status == -13
                                 ? "no run '" + a.positional[1] + "' in " + qe::cli::Quoted(file)
                                 : "cannot read the runs of " + qe::cli::Quoted(file) +
                                       " (status " + std::to_string(status) + ")");
  }
  int status = 0;
  const std::vector<Property> properties = PropertiesOfRun(db, run.iKey, &status);
  if (status != 0) {
    return Failure(kCommand, "cannot read the properties of " + qe::cli::Quoted(file) +
                                 " (status " + std::to_string(status) + ")");
  }
  Property property;
  int exitCode = qe::cli::kExitOk;
  if (!ChooseProperty(properties, name, a.Value("--set"), run.iKey, property, exitCode))
    return exitCode;
  SQeProjectDbRow_plateinfo plateinfo;
  bool several = false;
  if (!ChoosePlate(h, run.iKey, a.Value("--plate"), plateinfo, several, exitCode)) return exitCode;

  SQeProjectDbRow_wellplatedef definition;
  status = QeProjectDb_Wellplatedef_GetOne(h, plateinfo.iWellplatenameKeyRef, definition);
  if (status != 0 || definition.iKey == 0) {
    return Failure(kCommand, "the definition of plate '" + plateinfo.wszName.ToUtf8() + "' (key " +
                                 std::to_string(plateinfo.iWellplatenameKeyRef) +
                                 ") is missing from " + qe::cli::Quoted(file));
  }
  CQeWellplate plate;
  CQeLiteVariantR reader(definition.pData);
  if (plate.LoadFromLiteVariantWithUuid(reader, definition.wszUuid, definition.wszCompany,
                                        definition.wszType, definition.wszModel,
                                        definition.iUserImported) != 0) {
    return Failure(kCommand, "the stored geometry of plate " + definition.wszUuid.ToUtf8() +
                                 " in " + qe::cli::Quoted(file) + " cannot be read");
  }
  const std::vector<WellValue> means =
      MeansPerWell(db, run.iKey, property.key, several ? plateinfo.iKey : 0, &status);
  if (status != 0) {
    return Failure(kCommand, "cannot read the values of " + qe::cli::Quoted(file) + " (status " +
                                 std::to_string(status) + ")");
  }

  qe::cli::platemap::Map map;
  const CQeStringW unit = property.unit.IsEmpty() ? CQeStringW() : L" [" + property.unit + L"]";
  map.title = property.name + L", mean per well";
  map.subtitle = CQeStringW::Formatted(
      L"Run %I64d: %s - %s (%s), %s %s %s", run.iKey, run.wszName, plateinfo.wszName,
      plateinfo.wszBarcode, definition.wszCompany, definition.wszType, definition.wszModel);
  map.quantity = property.name + unit;
  map.wells.resize(plate.GetElementCount());
  const WellValue* lowest = nullptr;
  const WellValue* highest = nullptr;
  int placed = 0;
  for (const WellValue& well : means) {
    if (well.index < 0 || static_cast<size_t>(well.index) >= map.wells.size()) continue;
    map.wells[well.index] = well.mean;
    ++placed;
    if (!lowest || well.mean < lowest->mean) lowest = &well;
    if (!highest || well.mean > highest->mean) highest = &well;
  }
  if (placed == 0) {
    return Failure(kCommand, "no frame of run " + std::to_string(run.iKey) + " with '" +
                                 Describe(property) + "' is linked to a well of plate '" +
                                 plateinfo.wszName.ToUtf8() + "'");
  }
  qe::cli::platemap::Size size;
  if (qe::cli::platemap::DrawPlateMap(plate, map, out, &size) != 0) {
    return Failure(kCommand, "cannot write " + qe::cli::Quoted(out));
  }

  auto wellName = [&](const WellValue* w) {
    return plate.GetElementName(static_cast<uint32_t>(w->index)).ToUtf8();
  };
  if (a.Has("--json")) {
    nlohmann::ordered_json wells = nlohmann::ordered_json::array();
    for (const WellValue& w : means) {
      wells.push_back(
          {{"index", w.index}, {"name", wellName(&w)}, {"mean", w.mean}, {"values", w.frames}});
    }
    qe::cli::PrintJson({{"picture", out},
                        {"width", size.width},
                        {"height", size.height},
                        {"run", run.iKey},
                        {"property",
                         {{"key", property.key},
                          {"set", property.set.ToUtf8()},
                          {"name", property.name.ToUtf8()},
                          {"unit", property.unit.ToUtf8()}}},
                        {"plate",
                         {{"key", plateinfo.iKey},
                          {"name", plateinfo.wszName.ToUtf8()},
                          {"barcode", plateinfo.wszBarcode.ToUtf8()},
                          {"uuid", definition.wszUuid.ToUtf8()},
                          {"wells", plate.GetElementCount()}}},
                        {"wellsWithData", placed},
                        {"wells", wells}});
    return qe::cli::kExitOk;
  }
  std::printf("%-16s %s (%d x %d pixels)\n", "picture", out.c_str(), size.width, size.height);
  std::printf("%-16s %s%s, mean per well\n", "property", Describe(property).c_str(),
              unit.ToUtf8().c_str());
  std::printf("%-16s %s, %s %s %s, %u wells\n", "plate", plateinfo.wszName.ToUtf8().c_str(),
              definition.wszCompany.ToUtf8().c_str(), definition.wszType.ToUtf8().c_str(),
              definition.wszModel.ToUtf8().c_str(), plate.GetElementCount());
  std::printf("%-16s %d of %u\n", "wells with data", placed, plate.GetElementCount());
  std::printf("%-16s %.4g in %s\n", "lowest", lowest->mean, wellName(lowest).c_str());
  std::printf("%-16s %.4g in %s\n", "highest", highest->mean, wellName(highest).c_str());
  return qe::cli::kExitOk;
}

}  // namespace

QE_CLI_COMMAND("plate-map", "draw a measured property averaged per well as a heat map on the plate",
               kHelp, &RunPlateMap);
