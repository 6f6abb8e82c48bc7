#include "support/datasets.h"

#include <system_error>

#include "qe/labware/insert_object_database.h"
#include "qe/projectdb/connection.h"
#include "qe/projectdb/db.h"
#include "qe/projectdb/records.h"
#include "qe/projectdb/records/labware_catalogue.h"
#include "qe/projectdb/sys.h"
#include "support/bench_util.h"

namespace qe::bench {
namespace {

CQeStringW Numbered(const wchar_t* format, int value) {
  return CQeStringW::Formatted(format, value);
}

void CreateEmptyDb(const std::filesystem::path& path) {
  Check(QeProjectDb_Db_Create(CQeStringW::FromUtf8(path.string())), "creating " + path.string());
}

int64_t InsertTask(uint32_t h, int64_t program) {
  int64_t key = 0;
  Check(QeProjectDb_Jobtask_Insert(h, program, 0, 0, 0, L"Acquisition", SQeProjectDbJobTaskState(),
                                   nullptr, &key),
        "inserting a task");
  return key;
}

// Labels, keywords and quantities; returns the first label and quantity keys.
void InsertDictionaries(uint32_t h, int64_t* firstLabel, int64_t* firstKeyword,
                        int64_t* firstQuantity) {
  for (int i = 0; i < kLabels; ++i) {
    int64_t key = 0;
    Check(QeProjectDb_Tagdef_Insert(h, L"Screen", Numbered(L"Label %02d", i), L"", &key),
          "inserting a label");
    if (i == 0) *firstLabel = key;
  }
  for (int i = 0; i < kKeywords; ++i) {
    int64_t key = 0;
    Check(QeProjectDb_Tagdef_Insert(h, L"", Numbered(L"Keyword %d", i), L"", &key),
          "inserting a keyword");
    if (i == 0) *firstKeyword = key;
  }
  for (int i = 0; i < kQuantities; ++i) {
    int64_t key = 0;
    Check(QeProjectDb_Propdef_Insert(h, L"Nuclei", Numbered(L"Quantity %02d", i), L"\u00b5m\u00b2",
                                     L"", &key),
          "inserting a quantity");
    if (i == 0) *firstQuantity = key;
  }
}

CQeStringW ProjectFolder(uint32_t h, int64_t project) {
  SQeProjectDbRow_project row;
  Check(QeProjectDb_Proj_GetOne(h, project, row), "reading the project");
  return QeProjectDb_Proj_MakeAbsPath(h, row.wszFolderName);
}

int64_t InsertRun(uint32_t h, int64_t project, const CQeStringW& folder, int64_t jobdef,
                  int64_t program, const CQeStringW& name) {
  SQeProjectDbRow_jobrun run;
  CQeStringW runFolder;
  Check(QeProjectDb_Jobrun_Insert(h, project, folder, jobdef, program, 1, name, L"", &run,
                                  &runFolder),
        "inserting a run");
  return run.iKey;
}

// The rows of every frame of every run, written with SQL: a frame, its
// label, its quantity value and (with loops) its loop index.
void FillFrames(const std::filesystem::path& path, const SScreenShape& shape, int64_t task,
                int64_t firstLabel, int64_t firstQuantity) {
  RawDb db(path);
  db.Exec("PRAGMA synchronous=off; BEGIN;");
  // Distinct times, 0.01 day apart from 25 February 2023 (UTC), so date,
  // first and last select by run; none lies on the edge of a day.
  db.Exec(
      "UPDATE jobrun SET dCTime = 2460000.503 + iKey * 0.01, dMTime = 2460000.503 + iKey * "
      "0.01;");
  const std::string frames =
      "WITH RECURSIVE n(x) AS (SELECT 0 UNION ALL SELECT x + 1 FROM n "
      "WHERE x + 1 < " +
      std::to_string(shape.framesPerRun) + ") ";
  db.Exec(frames +
          "INSERT INTO frame (iJobrunKeyRef, iJobtaskKeyRef, iFrameIndex, dCTime, iFileKeyRef, "
          "iFileFrameIndex) SELECT r.iKey, " +
          std::to_string(task) +
          ", n.x, r.dCTime + n.x / 86400.0, NULL, 0 FROM jobrun r, n ORDER BY r.iKey, n.x;");
  db.Exec(
      "INSERT INTO frametag (iJobrunKeyRef, iTagdefKeyRef, iFrameIndex) SELECT iJobrunKeyRef, " +
      std::to_string(firstLabel) + " + (iJobrunKeyRef * 3 + iFrameIndex % 4) % " +
      std::to_string(kLabels) + ", iFrameIndex FROM frame ORDER BY iKey;");
  db.Exec(
      "INSERT INTO frameprop (iJobrunKeyRef, iAssayrunKeyRef, iPropdefKeyRef, iFrameIndex, dValue) "
      "SELECT f.iJobrunKeyRef, a.iKey, " +
      std::to_string(firstQuantity) + " + (f.iJobrunKeyRef + f.iFrameIndex % 2) % " +
      std::to_string(kQuantities) +
      ", f.iFrameIndex, (f.iKey * 7919 % 1000) / 10.0 FROM frame f JOIN assayrun a ON "
      "a.iJobrunKeyRef = f.iJobrunKeyRef ORDER BY f.iKey;");
  if (shape.loops) {
    db.Exec(
        "INSERT INTO loopindex (iJobrunKeyRef, iFrameIndex, iRunloopKeyRef, iLoopIndex) "
        "SELECT f.iJobrunKeyRef, f.iFrameIndex, l.iKey, f.iFrameIndex FROM frame f JOIN "
        "runloop l ON l.iJobrunKeyRef = f.iJobrunKeyRef ORDER BY f.iKey;");
  }
  db.Exec("COMMIT; PRAGMA wal_checkpoint(TRUNCATE); ANALYZE;");
}

void BuildScreen(const std::filesystem::path& path, const SScreenShape& shape) {
  CreateEmptyDb(path);
  int64_t task = 0;
  int64_t firstLabel = 0;
  int64_t firstQuantity = 0;
  {
    LibConnection connection(path);
    const uint32_t h = connection.Handle();
    CQeInsertObjectDatabase::Init();
    Check(QeProjectDb_Wellplatedef_JobsUpgradeSystemPlateDefs(h, kQeCatalogueHighestPlateVersion),
          "storing the catalogue's plates");
    int64_t firstKeyword = 0;
    InsertDictionaries(h, &firstLabel, &firstKeyword, &firstQuantity);
    int64_t project = 0;
    Check(QeProjectDb_Proj_Insert(h, L"Screening", L"", L"Screening", &project),
          "inserting the project");
    const CQeStringW folder = ProjectFolder(h, project);
    std::vector<int64_t> jobdefs;
    std::vector<int64_t> programs;
    std::vector<int64_t> tasks;
    for (int j = 0; j < shape.jobdefs; ++j) {
      int64_t jobdef = 0;
      int64_t program = 0;
      Check(
          QeProjectDb_Jobdef_Insert(h, project, 1, 0, Numbered(L"Screen %03d", j), L"", 0, &jobdef),
          "inserting a job definition");
      Check(QeProjectDb_Jobprogram_Insert(h, jobdef, L"", &program), "inserting a program");
      Check(QeProjectDb_Jobdeftag_Insert(h, jobdef, firstKeyword + j % kKeywords, nullptr),
            "tagging a job definition");
      jobdefs.push_back(jobdef);
      programs.push_back(program);
      tasks.push_back(InsertTask(h, program));
    }
    task = tasks.front();
    int64_t plateName = 0;
    {
      RawDb raw(path, true);
      plateName = raw.Int("SELECT min(iKey) FROM wellplatename;");
    }
    Check(QeProjectDb_Db_TransactionBegin(h), "beginning");
    for (int r = 0; r < shape.runs; ++r) {
      const int j = r % shape.jobdefs;
      const int64_t run =
          InsertRun(h, project, folder, jobdefs[j], programs[j], Numbered(L"Plate run %04d", r));
      int64_t key = 0;
      Check(QeProjectDb_Assayrun_Insert(h, run, tasks[j], tasks[j], QeProjectDb_Sys_UuidAsText(),
                                        Numbered(L"Analysis %02d", r % kAnalyses), 2460000.5, &key),
            "inserting an assay run");
      Check(QeProjectDb_Plateinfo_Insert(h, run, plateName, Numbered(L"Plate %04d", r),
                                         Numbered(L"BC-%05d", r), L"", &key),
            "inserting a plate");
      if (shape.loops) {
        Check(QeProjectDb_Runloop_Insert(h, run, tasks[j], 0, 0, 3, &key), "inserting a loop");
      }
    }
    Check(QeProjectDb_Db_TransactionCommit(h), "committing");
  }
  FillFrames(path, shape, task, firstLabel, firstQuantity);
}

}  // namespace

std::filesystem::path CachedFolder(const std::string& name,
                                   const std::function<void(const std::filesystem::path&)>& build) {
  const auto folder = CacheDir() / name;
  if (std::filesystem::is_directory(folder)) return folder;
  const auto partial = CacheDir() / (name + ".partial");
  std::error_code error;
  std::filesystem::remove_all(partial, error);
  std::filesystem::create_directories(partial, error);
  if (error) Fail("cannot create " + partial.string());
  std::fprintf(stderr, "building dataset %s ...\n", name.c_str());
  build(partial);
  std::filesystem::rename(partial, folder, error);
  if (error) Fail("cannot rename " + partial.string() + ": " + error.message());
  return folder;
}

SAcquisitionKeys CreateAcquisitionDb(const std::filesystem::path& path) {
  CreateEmptyDb(path);
  LibConnection connection(path);
  const uint32_t h = connection.Handle();
  SAcquisitionKeys keys;
  int64_t firstKeyword = 0;
  InsertDictionaries(h, &keys.firstLabel, &firstKeyword, &keys.firstQuantity);
  Check(QeProjectDb_Proj_Insert(h, L"Acquisition", L"", L"Acquisition", &keys.project),
        "inserting the project");
  Check(QeProjectDb_Jobdef_Insert(h, keys.project, 1, 0, L"Time lapse", L"", 0, &keys.jobdef),
        "inserting the job definition");
  Check(QeProjectDb_Jobprogram_Insert(h, keys.jobdef, L"", &keys.program), "inserting a program");
  keys.task = InsertTask(h, keys.program);
  keys.run = InsertRun(h, keys.project, ProjectFolder(h, keys.project), keys.jobdef, keys.program,
                       L"Time lapse 1");
  Check(QeProjectDb_Runloop_Insert(h, keys.run, keys.task, 0, 0, 3, &keys.runloop),
        "inserting a loop");
  Check(
      QeProjectDb_File_Insert(h, keys.run, L"Image 0001.tif", 1024, 1024, 1, 1, 16, 1, &keys.file),
      "inserting a file");
  Check(QeProjectDb_Assayrun_Insert(h, keys.run, keys.task, keys.task, QeProjectDb_Sys_UuidAsText(),
                                    L"Nuclei", 2460000.5, &keys.assayrun),
        "inserting an assay run");
  Check(QeProjectDb_Binlayer_Insert(h, keys.run, keys.assayrun, QeProjectDb_Sys_UuidAsText(),
                                    L"Nuclei", L"Nuclei", L"nuc", 0xff0000, &keys.binlayer),
        "inserting a binary layer");
  std::vector<SQeProjectDbRow_binframe> binframes{{0, keys.run, keys.binlayer, 0, 0}};
  Check(QeProjectDb_Binframe_InsertMany(h, binframes), "inserting a binary frame");
  keys.binframe = binframes.front().iKey;
  return keys;
}

std::filesystem::path ScreenDb(const SScreenShape& shape) {
  const std::string name = "screen-v" + std::to_string(kGeneratorVersion) + "-" +
                           std::to_string(shape.jobdefs) + "x" + std::to_string(shape.runs) + "x" +
                           std::to_string(shape.framesPerRun) + (shape.loops ? "-loops" : "");
  const auto folder = CachedFolder(
      name, [&](const std::filesystem::path& f) { BuildScreen(f / "screen.db", shape); });
  return folder / "screen.db";
}

}  // namespace qe::bench
