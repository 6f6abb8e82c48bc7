#include "qe/core/files.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "qe/core/status.h"
#include "qe/core/string.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {
std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
}  // namespace

TEST(Files, CreateDirectoryMakesMissingParents) {
  qe::test::TempDir dir;
  CQeStringW deep(CQeStringW::FromUtf8(dir.File("Projects/Prüfung 'a'/run 1")));
  EXPECT_EQ(QE_CreateDirectory(deep, 0, 0), eQeFailed);  // parents missing
  EXPECT_EQ(QE_CreateDirectory(deep, 1, 0), 0);
  EXPECT_TRUE(fs::is_directory(dir.path() / "Projects/Prüfung 'a'/run 1"));
  // Stored relative names use backslashes.
  CQeStringW mixed = CQeStringW::FromUtf8(dir.File("Projects")) + L"\\job\\run 2\\";
  EXPECT_EQ(QE_CreateDirectory(mixed, 1, 0), 0);
  EXPECT_TRUE(fs::is_directory(dir.path() / "Projects/job/run 2"));
}

TEST(Files, CopyAndRemoveKeepWhatTheyMayNotTouch) {
  qe::test::TempDir dir;
  std::ofstream(dir.File("src.tif"), std::ios::binary) << std::string("a\0b", 3);
  CQeStringW src(CQeStringW::FromUtf8(dir.File("src.tif")));
  CQeStringW dst(CQeStringW::FromUtf8(dir.File("out/dst.tif")));
  EXPECT_EQ(QE_CopyFile(src, dst, 1, 1, 0, 0), 0);
  EXPECT_EQ(ReadAll(dir.path() / "out/dst.tif"), std::string("a\0b", 3));
  std::ofstream(dir.File("src.tif"), std::ios::binary) << "new";
  EXPECT_EQ(QE_CopyFile(src, dst, 1, 0, 0, 0), eQeFailed);  // exists: left alone
  EXPECT_EQ(ReadAll(dir.path() / "out/dst.tif"), std::string("a\0b", 3));
  EXPECT_EQ(QE_CopyFile(src, src, 0, 0, 0, 0), eQeFailed);  // onto itself
  EXPECT_EQ(ReadAll(dir.path() / "src.tif"), "new");

  fs::permissions(dir.path() / "out/dst.tif", fs::perms::owner_read);
  EXPECT_EQ(QE_CopyFile(src, dst, 0, 0, 0, 0), eQeFailed);  // read-only target stays
  EXPECT_EQ(QE_RemoveFile(dst, 0), eQeFailed);
  EXPECT_TRUE(fs::exists(dir.path() / "out/dst.tif"));
  EXPECT_EQ(QE_RemoveFile(dst, 1), 0);
  EXPECT_EQ(QE_RemoveFile(CQeStringW::FromUtf8(dir.File("out")), 1), eQeFailed);
  EXPECT_TRUE(fs::is_directory(dir.path() / "out"));
}

// The root from QE_STORAGE_ROOT is checked through the default storage path.
TEST(Files, StoragePathFallsBackToHome) {
  qe::test::TempDir dir;
  wchar_t buffer[1024];
  qe::test::ScopedEnv no_root("QE_STORAGE_ROOT", "");
  qe::test::ScopedEnv xdg("XDG_DATA_HOME", nullptr);
  qe::test::ScopedEnv home("HOME", dir.File("höme").c_str());
  ASSERT_EQ(QE_GetStoragePath(buffer, 1024, 0), 0);
  EXPECT_EQ(CQeStringW(buffer), CQeStringW::FromUtf8(dir.File("höme/.local/share/qe/")));
  qe::test::ScopedEnv no_home("HOME", nullptr);
  EXPECT_EQ(QE_GetStoragePath(buffer, 1024, 0), eQeNoPathOrTooNew);
}
