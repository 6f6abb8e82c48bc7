#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "qe/projectdb/sys.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using qe::test::ScopedEnv;
using qe::test::TempDir;

TEST(SysFolders, DefaultStoragePathHasOneSlashEachSide) {
  TempDir dir;
  ScopedEnv env("QE_STORAGE_ROOT", (dir.File("new root") + "/").c_str());
  EXPECT_EQ(QeProjectDb_Sys_GetDefStoragePath(L"Projekte Müller"),
            CQeStringW::FromUtf8(dir.File("new root") + "/Projekte Müller/"));
  // The root is made when missing; the subfolder is only named.
  EXPECT_TRUE(fs::is_directory(dir.path() / "new root"));
  EXPECT_FALSE(fs::exists(dir.path() / "new root" / "Projekte Müller"));
}

TEST(SysFolders, NetworkPathsAreTheConfiguredPrefixes) {
  TempDir dir;
  {
    ScopedEnv none("QE_PROJECTDB_NETWORK_PATHS", nullptr);
    // A database file that does not exist yet: its folder decides.
    EXPECT_FALSE(QeProjectDb_Sys_IsNetworkPath(dir.FileW("new/deeper/project.db")));
  }
  const std::string share = dir.File("share");
  ScopedEnv env("QE_PROJECTDB_NETWORK_PATHS", ("/nonexistent/mnt::" + share + "/").c_str());
  for (const std::string& path :
       {share + "/p/db.sqlite", std::string("/nonexistent/mnt/a.db"), share + "/../share/q"}) {
    EXPECT_TRUE(QeProjectDb_Sys_IsNetworkPath(CQeStringW::FromUtf8(path))) << path;
  }
  // Whole folder names only: "share2" is not under "share".
  EXPECT_FALSE(QeProjectDb_Sys_IsNetworkPath(CQeStringW::FromUtf8(share + "2/db.sqlite")));
}

TEST(SysFolders, DeleteFolderRemovesTheTreeButNotWhatALinkPointsTo) {
  TempDir dir;
  const fs::path run = dir.path() / "Proj 1" / "Run ä";
  fs::create_directories(run / "sub");
  std::ofstream(run / "frame.tif") << "data";
  fs::permissions(run / "frame.tif", fs::perms::owner_read);
  EXPECT_EQ(QeProjectDb_Sys_DeleteFolder(CQeStringW::FromUtf8(run.string())), 0);
  EXPECT_FALSE(fs::exists(run));
  EXPECT_TRUE(fs::exists(dir.path() / "Proj 1"));
  // With a trailing slash a link goes, not what it points to.
  fs::create_directories(dir.path() / "target");
  std::ofstream(dir.path() / "target" / "keep.txt") << "data";
  fs::create_directory_symlink(dir.path() / "target", dir.path() / "link");
  EXPECT_EQ(QeProjectDb_Sys_DeleteFolder(dir.path().wstring() + L"/link/"), 0);
  EXPECT_FALSE(fs::exists(fs::symlink_status(dir.path() / "link")));
  EXPECT_TRUE(fs::exists(dir.path() / "target" / "keep.txt"));
  EXPECT_EQ(QeProjectDb_Sys_DeleteFolder(dir.FileW("missing")), 0);
}

}  // namespace
