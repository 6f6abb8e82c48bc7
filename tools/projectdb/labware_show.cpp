// projectdb labware show: one stored definition in words, and as a drawing.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli_util.h"
#include "command.h"
#include "labware_tool.h"
#include "qe/labware/wellplate.h"
#include "qe/projectdb/records/labware_plate.h"

namespace qe::cli::labware {
namespace {

void Field(const char* label, const CQeStringW& value) {
  std::printf("%-12s %s\n", label, value.ToUtf8().c_str());
}

CQeStringW Millimetres(double micrometres) {
  return CQeStringW::Formatted(L"%0.2f", micrometres / 1000.0);
}

CQeStringW State(uint32_t handle, const Definition& d) {
  CQeStringW state = CQeStringW::FromUtf8(StateName(d));
  if (d.replacedBy != 0) {
    SQeProjectDbRow_wellplatedef latest;
    bool found = false;
    QeProjectDb_Wellplatedef_GetLatest(handle, d.uuid, latest, found);
    if (found && latest.wszUuid != d.uuid) state += L"; newest definition " + latest.wszUuid;
  }
  return state;
}

// The wells of a plate: count, grid, pitch, and where the first and last are.
void PrintWells(const CQeWellplate& plate) {
  uint32_t rows = 0;
  uint32_t cols = 0;
  plate.GetElementCount(&rows, &cols);
  double dx = 0;
  double dy = 0;
  plate.GetDistance(&dx, &dy);
  Field("wells", CQeStringW::Formatted(L"%d (%d rows x %d columns), pitch %s x %s mm",
                                       static_cast<int>(rows * cols), static_cast<int>(rows),
                                       static_cast<int>(cols), Millimetres(dx), Millimetres(dy)));
  if (plate.IsEmpty()) return;
  for (const uint32_t index : {0u, rows * cols - 1}) {
    double x = 0;
    double y = 0;
    plate.GetElementPosition(&x, &y, index);
    Field(index == 0 ? "first well" : "last well",
          CQeStringW::Formatted(L"%s at (%s, %s) mm", plate.GetElementName(index), Millimetres(x),
                                Millimetres(y)));
  }
}

}  // namespace

int RunShow(const std::vector<std::string>& args) {
  ParsedArgs parsed;
  if (!ParseArgs("labware", args, {{"--png", true}}, parsed)) return kExitUsage;
  const std::vector<std::string>& positional = parsed.positional;
  const std::string png = parsed.Value("--png");
  if (parsed.Has("--png") && png.empty()) {
    PrintError("labware", "--png needs an output file name; see projectdb labware --help");
    return kExitUsage;
  }
  if (positional.size() != 2 || positional[0].empty()) {
    PrintError("labware", "show expects FILE and UUID; see projectdb labware --help");
    return kExitUsage;
  }
  Database connection;
  if (!connection.Open("labware", positional[0], false)) return kExitFailure;
  const CQeStringW uuid = CQeStringW::FromUtf8(positional[1]);
  Definition d;
  std::unique_ptr<IQeElementHolder> holder;
  bool found = false;
  const int status = FindByUuid(connection.handle(), uuid, d, holder, found);
  if (status != 0) {
    PrintError("labware",
               "cannot read the labware tables (SQLite status " + std::to_string(status) + ")");
    return kExitFailure;
  }
  if (!found) {
    PrintError("labware", "no plate, dish or slide has the uuid '" + positional[1] + "'");
    return kExitFailure;
  }

  Field("kind", CQeStringW::FromUtf8(KindName(d.kind)));
  Field("uuid", d.uuid);
  Field("company", d.company);
  Field("type", d.type);
  Field("model", d.model);
  Field("origin", d.userImported ? L"made or imported by a user" : L"built-in catalogue");
  Field("state", State(connection.handle(), d));
  if (!holder) {
    PrintError("labware", "the stored geometry of this definition cannot be read");
    return kExitFailure;
  }
  if (const auto* plate = dynamic_cast<const CQeWellplate*>(holder.get())) PrintWells(*plate);
  SQeShape outline;
  if (holder->GetShape(outline) == 0) {
    Field("size", CQeStringW::Formatted(L"%s x %s mm", Millimetres(outline.Width()),
                                        Millimetres(outline.Height())));
  }
  // The description's lines are separated by "\r\n".
  CQeStringW description = holder->GetHumanReadableDesc();
  description.Replace(L"\r\n", L"\n             ");
  Field("description", description);

  if (!png.empty()) {
    const CQeStringW title = d.company + L" " + d.type + L" " + d.model;
    const int drawn = DrawPng(*holder, title, CQeStringW::FromUtf8(png));
    if (drawn != 0) {
      PrintError("labware", drawn == -13 ? "nothing to draw: the definition has no shapes"
                                         : "cannot write the PNG file '" + png + "'");
      return kExitFailure;
    }
    std::printf("drawing written to %s\n", png.c_str());
  }
  return kExitOk;
}

}  // namespace qe::cli::labware
