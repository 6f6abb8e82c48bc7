// The record functions work on a file that was upgraded from version 10:
// a new run with a file and frames goes in and reads back.
#include <gtest/gtest.h>

#include <filesystem>

#include "projectdb/upgrade_support.h"
#include "qe/projectdb/connection.h"
#include "qe/projectdb/records/file.h"
#include "qe/projectdb/records/frame.h"
#include "qe/projectdb/records/jobrun.h"
#include "qe/projectdb/records/project.h"
#include "qe/projectdb/upgrade.h"

namespace qe::test {
namespace {

using UpgradedFileRecords = UpgradeFixture;

TEST_F(UpgradedFileRecords, ANewRunWithFramesGoesInAndReadsBack) {
  const std::string path = Build(10);
  ASSERT_EQ(QeProjectDb_Db_Upgrade(Wide(path), nullptr), 0);
  const uint32_t h = QeProjectDb_Db_Connect(Wide(path));
  ASSERT_NE(h, 0u);
  const CQeStringW projectFolder = QeProjectDb_Proj_MakeAbsPath(h, FixtureProjectFolder(1).c_str());
  std::filesystem::create_directories(projectFolder.ToUtf8());
  SQeProjectDbRow_jobrun run;
  CQeStringW runFolder;
  ASSERT_EQ(QeProjectDb_Jobrun_Insert(h, 1, projectFolder, 1, 1, 0, L"After upgrade",
                                      L"O'Brien 5% µm", &run, &runFolder),
            0);
  int64_t file = 0;
  ASSERT_EQ(QeProjectDb_File_Insert(h, run.iKey, L"frames.tif", 64, 48, 1, 1, 16, 2, &file), 0);
  for (int i = 0; i < 2; ++i) {
    ASSERT_EQ(QeProjectDb_Frame_Insert(h, run.iKey, 1, i, FixtureTime(10 + i), file, i, nullptr),
              0);
  }
  // The frame index is unique per run in the upgraded table as in a new one.
  EXPECT_EQ(QeProjectDb_Frame_Insert(h, run.iKey, 1, 1, 0.0, file, 1, nullptr), 19);
  SQeProjectDbRow_file storedFile;
  ASSERT_EQ(QeProjectDb_File_GetOne(h, file, storedFile), 0);
  EXPECT_EQ(storedFile.iFrameCount, 2);
  QeProjectDb_Db_Disconnect(h);
  CRawDb db(path);
  EXPECT_EQ(db.Int("SELECT count(*) FROM frame WHERE iJobrunKeyRef=" + std::to_string(run.iKey) +
                   " AND iFileKeyRef=" + std::to_string(file)),
            2);
}

}  // namespace
}  // namespace qe::test
