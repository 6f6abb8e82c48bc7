// Creates a project database with one recorded run when FILE does not exist,
// then lists every run of FILE: key, name, start time and run folder.
#include <cstdio>
#include <filesystem>
#include <vector>

#include "qe/projectdb/connection.h"
#include "qe/projectdb/db.h"
#include "qe/projectdb/records.h"
#include "qe/projectdb/sys.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: list_runs FILE\n");
    return 2;
  }
  const CQeStringW file = CQeStringW::FromUtf8(argv[1]);
  const bool fresh = !std::filesystem::exists(argv[1]);
  int status = fresh ? QeProjectDb_Db_Create(file) : 0;  // also makes the "Projects" folder
  const uint32_t db = status == 0 ? QeProjectDb_Db_Connect(file) : 0;
  if (db == 0) {
    std::fprintf(stderr, "%s is not a usable project database (status %d)\n", argv[1], status);
    return 1;
  }
  if (fresh) {
    int64_t project = 0, jobdef = 0, program = 0;
    status = QeProjectDb_Proj_Insert(db, L"Example", L"made by list_runs", L"Example", &project);
    if (status == 0)
      status = QeProjectDb_Jobdef_Insert(db, project, 0, 0, L"Scan", L"", 0, &jobdef);
    if (status == 0) status = QeProjectDb_Jobprogram_Insert(db, jobdef, L"1 channel", &program);
    if (status == 0)
      status = QeProjectDb_Jobrun_Insert(db, project, QeProjectDb_Proj_MakeAbsPath(db, L"Example"),
                                         jobdef, program, 0, L"Plate 1", L"", nullptr, nullptr);
  }
  std::vector<SQeProjectDbRow_jobrun> runs;
  if (status == 0) status = QeProjectDb_Jobrun_GetAll(db, runs);
  for (const SQeProjectDbRow_jobrun& run : runs) {
    std::printf("%lld  %s  %s  %s\n", static_cast<long long>(run.iKey),
                run.wszName.ToUtf8().c_str(),
                QeProjectDb_Sys_JdnFormatShort(run.dCTime).ToUtf8().c_str(),
                run.wszFolderName.ToUtf8().c_str());
  }
  std::printf("%zu run(s), status %d\n", runs.size(), status);
  QeProjectDb_Db_Disconnect(db);
  return status == 0 ? 0 : 1;
}
