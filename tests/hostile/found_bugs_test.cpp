// What the hostile and corrupt inputs found, each as one plain case.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "hostile/hostile_support.h"
#include "qe/core/lite_variant.h"
#include "qe/picture/image_file.h"
#include "qe/picture/image_format.h"
#include "qe/picture/pic_buf.h"
#include "qe/projectdb/connection.h"
#include "qe/projectdb/db.h"
#include "qe/projectdb/records.h"
#include "qe/projectdb/search.h"
#include "qe/projectdb/upgrade.h"
#include "support/projectdb/old_version_db.h"
#include "support/temp_dir.h"

namespace qe::hostile {
namespace {

// The peak resident memory of the process in kB (VmHWM); ResetPeakRss
// starts it again from the memory in use now.
long PeakRssKb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  }
  return -1;
}
void ResetPeakRss() { std::ofstream("/proc/self/clear_refs") << "5"; }

class FoundBugs : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::wstring path = dir_.FileW("project.db");
    ASSERT_EQ(QeProjectDb_Db_Create(path), 0);
    h_ = QeProjectDb_Db_Connect(path);
    ASSERT_NE(h_, 0u);
  }
  void TearDown() override { QeProjectDb_Db_Disconnect(h_); }

  qe::test::TempDir dir_;
  uint32_t h_ = 0;
};

// The name test looked names up with LIKE, which SQLite refuses beyond
// 50000 bytes: a long name that was taken passed as unique.
TEST_F(FoundBugs, ALongNameThatIsTakenIsNotUnique) {
  const CQeStringW name(std::wstring(60000, L'n'));
  int64_t project = 0, jobdef = 0;
  ASSERT_EQ(QeProjectDb_Proj_Insert(h_, name, L"", L"folder", &project), 0);
  ASSERT_EQ(QeProjectDb_Jobdef_Insert(h_, project, 0, 0, name, L"", 0, &jobdef), 0);
  CQeStringW unique;
  EXPECT_FALSE(QeProjectDb_Proj_IsNameUnique(h_, name, unique));
  EXPECT_FALSE(unique == name);
  EXPECT_FALSE(QeProjectDb_Jobdef_IsNameUnique(h_, name, unique));
  EXPECT_TRUE(QeProjectDb_Proj_IsNameUnique(h_, name + L"x", unique));
}

// A property whose name holds a lone surrogate was stored (status 0) but
// could not be read back by that name; a name too long for the document
// was dropped while the call reported success.
TEST_F(FoundBugs, EveryStoredPropertyReadsBackByItsName) {
  int64_t project = 0, jobdef = 0, program = 0;
  ASSERT_EQ(QeProjectDb_Proj_Insert(h_, L"p", L"", L"p", &project), 0);
  ASSERT_EQ(QeProjectDb_Jobdef_Insert(h_, project, 0, 0, L"j", L"", 0, &jobdef), 0);
  ASSERT_EQ(QeProjectDb_Jobprogram_Insert(h_, jobdef, L"s", &program), 0);
  std::wstring odd = L"gain";
  odd += static_cast<wchar_t>(0xD800);
  ASSERT_EQ(QeProjectDb_Jobprogram_InsertOrUpdateProperties(h_, program, {{odd, L"7"}}), 0);
  CQeStringW value;
  EXPECT_EQ(QeProjectDb_Jobprogram_GetProperty(h_, program, odd, value), 0);
  EXPECT_TRUE(value == L"7");

  const CQeStringW tooLong(std::wstring(70000, L'k'));
  EXPECT_EQ(QeProjectDb_Jobprogram_InsertOrUpdateProperties(h_, program, {{tooLong, L"1"}}), -9);
  EXPECT_EQ(QeProjectDb_Jobprogram_GetProperty(h_, program, odd, value), 0);  // nothing lost
}

TEST(FoundBugsLiteVariant, ANameWithACodePointThatIsNoCharacterIsFoundInStoredBytes) {
  std::wstring name = L"level";
  name += static_cast<wchar_t>(0x110000);
  CQeLiteVariantW writer;
  ASSERT_EQ(writer.LevelBegin(name.c_str()), 0);
  ASSERT_EQ(writer.Set(CQeStringW(L"v"), name.c_str()), 0);
  ASSERT_EQ(writer.LevelEnd(), 0);
  CQeLiteVariantR written;
  ASSERT_EQ(writer.Finalize(written), 0);
  CQeLiteVariantR stored(written.Data());
  ASSERT_EQ(stored.LevelBegin(name.c_str()), 0);
  EXPECT_TRUE(stored.IsValueSet(name.c_str()));
}

// A search word longer than SQLite's LIKE limit made SQL that prepared but
// failed once it met a row.
TEST_F(FoundBugs, ASearchForAVeryLongWordRunsOnADatabaseWithRows) {
  int64_t project = 0, jobdef = 0;
  ASSERT_EQ(QeProjectDb_Proj_Insert(h_, L"p", L"", L"p", &project), 0);
  ASSERT_EQ(QeProjectDb_Jobdef_Insert(h_, project, 0, 0, L"job", L"", 0, &jobdef), 0);
  const std::wstring word(SQeProjectDbSearchParser::s_iMaxWordLength + 1, L'w');
  SQeProjectDbSearchParser parser(CQeStringW(L"job:short " + word));
  int stop = -1;
  ASSERT_TRUE(parser.MatchQuery(&stop));
  EXPECT_EQ(stop, 10);  // the long word is left unread
  ASSERT_EQ(parser.vectItems.size(), 1u);
  EXPECT_EQ(parser.vectItems[0].vectWords.size(), 1u);
  EXPECT_TRUE(SQeProjectDbSearchParser::MakeSqlWhereForWords(
                  L"jobdef.wszName", SQeProjectDbSearchParser::eComparatorContains,
                  {CQeStringW(std::wstring(60000, L'w'))})
                  .IsEmpty());
  sqlite3* db = CQeProjectDbConnectionManager::GetConnection(h_);
  sqlite3_stmt* stmt = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db, parser.MakeSqlQuery().ToUtf8().c_str(), -1, &stmt, nullptr),
            SQLITE_OK);
  int step;
  while ((step = sqlite3_step(stmt)) == SQLITE_ROW) {
  }
  EXPECT_EQ(step, SQLITE_DONE) << sqlite3_errmsg(db);
  sqlite3_finalize(stmt);
}

// An older file with a damaged page was upgraded step by step until a step
// met the damage, leaving it partly upgraded; it is now refused untouched.
TEST(FoundBugsUpgrade, ADamagedOlderFileIsRefusedUntouched) {
  qe::test::TempDir dir;
  const std::string path = dir.File("old.db");
  ASSERT_EQ(qe::test::BuildProjectDbAtVersion(dir.FileW("old.db"), 60), 0);
  {
    // The middle page (of 4096 bytes) overwritten with bytes no page holds.
    const auto pages = std::filesystem::file_size(path) / 4096;
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(static_cast<std::streamoff>(pages / 2 * 4096));
    std::string junk(4096, '\0');
    for (size_t i = 0; i < junk.size(); ++i) junk[i] = static_cast<char>(i * 7919 % 251);
    file.write(junk.data(), static_cast<std::streamsize>(junk.size()));
  }
  const std::string before = FileDigest(path);
  EXPECT_EQ(QeProjectDb_Db_Upgrade(CQeStringW::FromUtf8(path), nullptr), SQLITE_CORRUPT);
  EXPECT_EQ(FileDigest(path), before);
}

// Found by fuzzing (out of memory): a 350-byte TIFF declaring a 16-bit page
// of 65293 x 16393 pixels had its 2 GB frame allocated before the strips,
// a few bytes each, failed to fill it. The page is now refused first.
TEST(FoundBugsPicture, ASmallTiffDeclaringAHugePageIsRefusedBeforeItsFrameIsAllocated) {
  qe::test::TempDir dir;
  const std::string path = dir.File("huge.tif");
  std::filesystem::copy_file(
      std::filesystem::path(QE_SOURCE_DIR) / "fuzz/corpus/tiff/huge_page_few_bytes", path);
  CQeImageFormatManager manager;
  CQeRefCountPtr<IQeImageFormatHandler> handler;
  ASSERT_EQ(manager.GetHandlerForFormatName(L"TIF", handler), 0);
  CQeRefCountPtr<IQeInputImageFile> file;
  ASSERT_EQ(handler->OpenInputFile(CQeStringW::FromUtf8(path), file), 0);
  SQeImageInfo info{};
  ASSERT_EQ(file->GetImageInfo(0, info), 0);
  EXPECT_GT(uint64_t{info.uiWidth} * info.uiHeight, uint64_t{1} << 29);
  CQePicBufOwner picture;
  ASSERT_EQ(CQePicBufAPI::Reinit(picture.Get(), 64, 16, 8, 1), 0);
  ResetPeakRss();
  const long before = PeakRssKb();
  EXPECT_EQ(file->ReadFrame(0, picture.Get()), -10);
  EXPECT_LT(PeakRssKb() - before, 256 * 1024) << "kB more at the peak";
}

}  // namespace
}  // namespace qe::hostile
