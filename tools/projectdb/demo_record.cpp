// `projectdb demo`: the database, project, job definition, program and run,
// recorded through the library's record functions as a host records them.
#include <cstdio>
#include <list>

#include "demo.h"
#include "qe/labware/insert_object_database.h"
#include "qe/projectdb/connection.h"
#include "qe/projectdb/db.h"
#include "qe/projectdb/records.h"
#include "qe/projectdb/records/labware_catalogue.h"
#include "qe/projectdb/schema.h"
#include "qe/projectdb/sys.h"

namespace qe::cli::demo {
namespace {

constexpr const wchar_t* kPlateCompany = L"Greiner Bio-One";
constexpr const wchar_t* kPlateModel = L"655090";

std::string Utf8(const CQeStringW& text) { return text.ToUtf8(); }

// The catalogue's Greiner µClear 96-well plate, else the first present
// plate of 8 x 12 wells.
bool PickPlate(Made& made) {
  std::list<SQeProjectDbRow_wellplatedef> plates;
  if (!Check(QeProjectDb_Wellplatedef_GetAll(made.connection.handle(), plates),
             "reading the well plates")) {
    return false;
  }
  const SQeProjectDbRow_wellplatedef* chosen = nullptr;
  for (const SQeProjectDbRow_wellplatedef& plate : plates) {
    if (plate.iRemoved != 0 || plate.iRowCount != kRows || plate.iColCount != kCols) continue;
    if (!chosen) chosen = &plate;
    if (plate.wszCompany == kPlateCompany && plate.wszModel == kPlateModel) {
      chosen = &plate;
      break;
    }
  }
  if (!chosen) {
    std::fprintf(stderr, "projectdb demo: the catalogue holds no plate of 8 x 12 wells\n");
    return false;
  }
  made.plate = *chosen;
  return true;
}

int64_t InsertTask(Made& made, int64_t parent, int64_t order, const wchar_t* className,
                   const wchar_t* name) {
  const SQeProjectDbJobTaskState state(1, 0, name, CQeByteArray(), CQeByteArray());
  int64_t key = 0;
  const int status = QeProjectDb_Jobtask_Insert(made.connection.handle(), made.program, parent, 0,
                                                order, className, state, nullptr, &key);
  return Check(status, "inserting the task '" + CQeStringW(name).ToUtf8() + "'") ? key : 0;
}

bool InsertTag(Made& made, const wchar_t* set, const wchar_t* name, const wchar_t* desc) {
  int64_t key = 0;
  if (!Check(QeProjectDb_Tagdef_Insert(made.connection.handle(), set, name, desc, &key),
             "inserting the tag '" + CQeStringW(name).ToUtf8() + "'")) {
    return false;
  }
  made.tags[CQeStringW(name).ToUtf8()] = key;
  return true;
}

}  // namespace

void Detail(const std::string& label, const std::string& value) {
  std::printf("    %-16s %s\n", label.c_str(), value.c_str());
}

bool Check(int status, const std::string& what) {
  if (status == 0) return true;
  std::fprintf(stderr, "projectdb demo: %s failed (status %d)\n", what.c_str(), status);
  return false;
}

bool CreateDatabase(Made& made) {
  const CQeStringW path = CQeStringW::FromUtf8(made.database);
  if (!Check(QeProjectDb_Db_Create(path), "creating '" + made.database + "'")) return false;
  if (!made.connection.Open("demo", made.database, true)) return false;
  Detail("file", made.database);
  Detail("schema version", std::to_string(kQeProjectDbSchemaVersion));
  Detail("project root", Utf8(QeProjectDb_Db_ProjectRootFolder(made.connection.handle())));

  // A host fills the built-in labware catalogue once and stores it in every
  // database it opens.
  CQeInsertObjectDatabase::Init();
  if (!Check(QeProjectDb_Wellplatedef_JobsUpgradeSystemPlateDefs(made.connection.handle(),
                                                                 kQeCatalogueHighestPlateVersion),
             "storing the catalogue's well plates") ||
      !Check(QeProjectDb_Wellplatedef_JobsUpgradeSystemDishDefs(made.connection.handle(),
                                                                kQeCatalogueHighestDishVersion),
             "storing the catalogue's dishes") ||
      !Check(QeProjectDb_Wellplatedef_JobsUpgradeSystemSlideDefs(made.connection.handle(),
                                                                 kQeCatalogueHighestSlideVersion),
             "storing the catalogue's slides")) {
    return false;
  }
  Detail("labware",
         std::to_string(CQeInsertObjectDatabase::GetCount(eQeInsertObjectWellplateName)) +
             " well plates, " +
             std::to_string(CQeInsertObjectDatabase::GetCount(eQeInsertObjectDishName)) +
             " dishes, " + std::to_string(CQeInsertObjectDatabase::GetCount(eQeInsertObjectSlide)) +
             " slides from the built-in catalogue");
  return PickPlate(made);
}

bool CreateProjectAndJob(Made& made) {
  const uint32_t h = made.connection.handle();
  if (!Check(QeProjectDb_Proj_Insert(h, L"Demo screen",
                                     L"A synthetic high-content screen made by projectdb demo",
                                     L"Demo screen", &made.project),
             "inserting the project")) {
    return false;
  }
  SQeProjectDbRow_project project;
  QeProjectDb_Proj_GetOne(h, made.project, project);
  Detail("project", "\"Demo screen\" (key " + std::to_string(made.project) + "), folder " +
                        Utf8(QeProjectDb_Proj_MakeAbsPath(h, project.wszFolderName)));

  if (!Check(QeProjectDb_Jobdef_Insert(
                 h, made.project, 1, 0, L"Nuclei screen",
                 L"Dose response of a GFP reporter to QE-101 and QE-202, nuclei counted", 0,
                 &made.jobdef),
             "inserting the job definition") ||
      !Check(QeProjectDb_Toolbarjobdef_Insert(h, made.jobdef), "placing it on the toolbar")) {
    return false;
  }
  Detail("job definition", "\"Nuclei screen\" (key " + std::to_string(made.jobdef) + ")");

  const CQeStringW summary =
      L"96-well plate, 4 fields per well, DAPI and GFP at 20x; "
      L"nuclei segmentation";
  if (!Check(QeProjectDb_Jobprogram_Insert(h, made.jobdef, summary, &made.program),
             "inserting the job program") ||
      !Check(QeProjectDb_Jobprogram_InsertOrUpdateProperties(
                 h, made.program,
                 {{L"Objective", L"20x / 0.75 NA"},
                  {L"Pixel size", L"0.65 \u00b5m"},
                  {L"Plate", made.plate.wszCompany + L" " + made.plate.wszModel},
                  {L"Fields per well", L"4"},
                  {L"Exposure DAPI", L"20 ms"},
                  {L"Exposure GFP", L"80 ms"}}),
             "storing the program's properties")) {
    return false;
  }
  made.wellLoopTask = InsertTask(made, 0, 0, L"WellLoop", L"Wells");
  made.fieldLoopTask = InsertTask(made, made.wellLoopTask, 0, L"FieldLoop", L"Fields");
  made.channelLoopTask = InsertTask(made, made.fieldLoopTask, 0, L"ChannelLoop", L"Channels");
  made.acquisitionTask[0] =
      InsertTask(made, made.channelLoopTask, 0, L"Acquisition", L"Acquire DAPI");
  made.acquisitionTask[1] =
      InsertTask(made, made.channelLoopTask, 1, L"Acquisition", L"Acquire GFP");
  made.analysisTask = InsertTask(made, 0, 1, L"Analysis", L"Nuclei segmentation");
  if (!made.wellLoopTask || !made.fieldLoopTask || !made.channelLoopTask ||
      !made.acquisitionTask[0] || !made.acquisitionTask[1] || !made.analysisTask) {
    return false;
  }
  Detail("program", "key " + std::to_string(made.program) + ": " + Utf8(summary));
  Detail("task tree",
         "Wells > Fields > Channels > {Acquire DAPI, Acquire GFP}; Nuclei segmentation");

  // Tags: the project and job definition get keywords, frames get labels.
  if (!InsertTag(made, L"", L"demo", L"made by projectdb demo") ||
      !InsertTag(made, L"", L"screen", L"a screening job") ||
      !InsertTag(made, L"Screen", L"positive", L"the reporter responded in this well") ||
      !InsertTag(made, L"Screen", L"control", L"a control well (columns 1 and 12)") ||
      !Check(QeProjectDb_Projtag_Insert(h, made.project, made.tags["demo"], nullptr),
             "tagging the project") ||
      !Check(QeProjectDb_Jobdeftag_Insert(h, made.jobdef, made.tags["screen"], nullptr),
             "tagging the job definition")) {
    return false;
  }
  Detail("tags", "project: demo; job definition: screen; frame labels: positive, control");
  return true;
}

bool StartRun(Made& made) {
  const uint32_t h = made.connection.handle();
  SQeProjectDbRow_project project;
  QeProjectDb_Proj_GetOne(h, made.project, project);
  SQeProjectDbRow_jobrun run;
  CQeStringW folder;
  // Flag 1: the run is running until FinishRun records its end.
  if (!Check(QeProjectDb_Jobrun_Insert(h, made.project,
                                       QeProjectDb_Proj_MakeAbsPath(h, project.wszFolderName),
                                       made.jobdef, made.program, 1, L"Nuclei screen plate 1",
                                       L"Demo acquisition of plate DEMO-0001", &run, &folder),
             "starting the run")) {
    return false;
  }
  made.run = run.iKey;
  made.runUuid = run.wszUuid;
  made.runFolder = Utf8(folder);
  Detail("run", "\"Nuclei screen plate 1\" (key " + std::to_string(made.run) + ", uuid " +
                    Utf8(made.runUuid) + ")");
  Detail("run folder", made.runFolder);

  if (!Check(QeProjectDb_Plateinfo_Insert(h, made.run, made.plate.iKey, L"Plate 1", L"DEMO-0001",
                                          L"Compounds QE-101 (rows A-D) and QE-202 (rows E-H)",
                                          &made.plateinfo),
             "recording the plate")) {
    return false;
  }
  std::vector<SQeProjectDbRow_wellinfo> wells;
  for (int row = 0; row < kRows; ++row) {
    for (int col = 0; col < kCols; ++col) {
      wells.emplace_back(0, made.run, row * kCols + col, CQeStringW::FromUtf8(WellName(row, col)));
    }
  }
  if (!Check(QeProjectDb_Wellinfo_InsertMany(h, wells), "recording the wells")) return false;
  for (const SQeProjectDbRow_wellinfo& well : wells) made.wellinfo[well.iWellIndex] = well.iKey;
  Detail("plate",
         Utf8(made.plate.wszCompany + L" " + made.plate.wszType + L" " + made.plate.wszModel) +
             " (" + std::to_string(kRows) + " x " + std::to_string(kCols) + " wells, uuid " +
             Utf8(made.plate.wszUuid) + "), barcode DEMO-0001");

  const int64_t loopTasks[3] = {made.wellLoopTask, made.fieldLoopTask, made.channelLoopTask};
  for (int loop = 0; loop < 3; ++loop) {
    if (!Check(QeProjectDb_Runloop_Insert(h, made.run, loopTasks[loop], loop, loop, loop + 1,
                                          &made.runloops[loop]),
               "recording the run's loops")) {
      return false;
    }
  }
  Detail("loops", "wells (96), fields (4), channels (2), nested in that order");
  return true;
}

bool FinishRun(Made& made) {
  const std::string message =
      std::to_string(made.frames.size()) + " frames in " + std::to_string(made.files) + " files";
  const double now = QeProjectDb_Sys_JdnNow();
  if (!Check(QeProjectDb_Jobrun_UpdateFinish(made.connection.handle(), made.run, 0, now,
                                             CQeStringW::FromUtf8(message)),
             "recording the run's end")) {
    return false;
  }
  Detail("finished", Utf8(QeProjectDb_Sys_JdnFormatShort(now)) + ": " + message);
  return true;
}

}  // namespace qe::cli::demo
