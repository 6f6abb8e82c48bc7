// What the hostile and corrupt inputs found. Most are checked where they
// were found, on every hostile text or damaged file:
//  - a taken name over 50 000 bytes passed as unique (LIKE's limit; now
//    instr): NameUniquenessSeesEveryTakenName with the 64 KB texts;
//  - program property names holding code points that are no characters
//    could not be read back, and over-long names were dropped with status 0
//    (now -9): EqualityLookupsFindExactlyTheirRow;
//  - search words over 50 000 bytes made SQL that failed on its first row
//    (words now end at 1000 characters): SearchTextsMakeSqlThatRuns;
//  - a damaged older file was partly upgraded (now checked first and
//    refused untouched): CorruptFiles, "upgrade of a version 60 file".
// The one below was found by fuzzing and needs a file of its own.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "qe/core/string.h"
#include "qe/picture/image_file.h"
#include "qe/picture/image_format.h"
#include "qe/picture/pic_buf.h"
#include "support/temp_dir.h"

namespace {

// The peak resident memory of the process in kB (VmHWM).
long PeakRssKb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  }
  return -1;
}

// A 350-byte TIFF declaring a 16-bit page of 65293 x 16393 pixels had its
// 2 GB frame allocated before the strips, a few bytes each, failed to fill
// it. The page is now refused first.
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
  std::ofstream("/proc/self/clear_refs") << "5";  // the peak starts again from now
  const long before = PeakRssKb();
  EXPECT_EQ(file->ReadFrame(0, picture.Get()), -10);
  EXPECT_LT(PeakRssKb() - before, 256 * 1024) << "kB more at the peak";
}

}  // namespace
