// TIFF files written with libtiff: pages, bits, tiles, scaling, fitting and damage.
#include <gtest/gtest.h>

#include <filesystem>

#include "picture/test_images.h"
#include "qe/core/status.h"
#include "qe/core/string.h"
#include "qe/picture/image_format.h"
#include "support/temp_dir.h"

using qe::test::At;
using qe::test::Flat;
using qe::test::ReadInto;
using qe::test::STestTiffPage;

namespace {

class TiffTest : public ::testing::Test {
 protected:
  // Writes the pages as `name` and opens the file.
  CQeRefCountPtr<IQeInputImageFile> Open(const std::string& name,
                                         const std::vector<STestTiffPage>& pages) {
    EXPECT_TRUE(qe::test::WriteTiff(dir_.File(name), pages));
    CQeRefCountPtr<IQeInputImageFile> file;
    EXPECT_EQ(qe::test::OpenImage(qe::Utf8ToWide(dir_.File(name)), file), eQeOk);
    return file;
  }

  qe::test::TempDir dir_;
  CQePicBufOwner picture_;
};

}  // namespace

TEST_F(TiffTest, MultiPageGrayFitsScalesByAreaAverageAndChecksFrames) {
  // 256 x 64, v = x / 2 + 2 y: every 2 x 2 block averages to i + 4 j + 1.
  STestTiffPage gradient{.width = 256, .height = 64, .compression = COMPRESSION_LZW};
  for (uint32_t i = 0; i < 256 * 64; ++i) gradient.values.push_back(i % 256 / 2 + 2 * (i / 256));
  auto file = Open("stack.tif", {gradient, Flat(30, 20, 200), Flat(8, 8, 7)});
  ASSERT_TRUE(file);
  SQeImageInfo info{};
  ASSERT_EQ(file->GetImageInfo(1, info), eQeOk);
  EXPECT_EQ(info.uiWidth, 30u);
  EXPECT_EQ(info.uiFrameCount, 3u);

  unsigned int w = 0, h = 0;
  EXPECT_EQ(file->ReadFrame(0, picture_.Get()), eQeMissingArgument) << "no pixels yet";
  EXPECT_EQ(file->GetFitSize(0, 0, 128, &w, &h), eQeMissingArgument);
  EXPECT_EQ(file->GetFitSize(3, 128, 128, &w, &h), eQeNotFound);
  ASSERT_EQ(file->GetFitSize(2, 128, 128, &w, &h), eQeOk);
  EXPECT_EQ(w, 8u) << "never enlarged";
  ASSERT_EQ(file->GetFitSize(0, 128, 128, &w, &h), eQeOk);
  ASSERT_EQ(w, 128u);
  ASSERT_EQ(h, 32u);
  ASSERT_EQ(ReadInto(*file, 0, picture_.Get(), w, h), eQeOk);
  for (unsigned int j = 0; j < h; ++j) {
    for (unsigned int i = 0; i < w; ++i) {
      ASSERT_EQ(At(picture_.Get(), i, j, 0), i + 4 * j + 1) << i << "," << j;
      ASSERT_EQ(At(picture_.Get(), i, j, 1), At(picture_.Get(), i, j, 0));
      ASSERT_EQ(At(picture_.Get(), i, j, 2), At(picture_.Get(), i, j, 0));
    }
  }
  // A later page, and back to an earlier one.
  ASSERT_EQ(file->ReadFrame(1, picture_.Get()), eQeOk);
  EXPECT_EQ(At(picture_.Get(), 5, 5, 1), 200);
  ASSERT_EQ(file->ReadFrame(0, picture_.Get()), eQeOk);
  EXPECT_EQ(At(picture_.Get(), 0, 0), 1);
  EXPECT_EQ(file->ReadFrame(-1, picture_.Get()), eQeNotFound);
}

TEST_F(TiffTest, SixteenBitFramesAreStretchedByTheirMinimumAndMaximum) {
  STestTiffPage page{.width = 4, .height = 1, .bits = 16, .values = {1000, 1085, 1170, 1255}};
  const STestTiffPage constant{.width = 2, .height = 1, .bits = 16, .values = {0x8123, 0x8123}};
  auto file = Open("deep.tif", {page, constant});
  ASSERT_EQ(ReadInto(*file, 0, picture_.Get(), 4, 1, 1), eQeOk);
  for (unsigned int x = 0; x < 4; ++x) EXPECT_EQ(At(picture_.Get(), x, 0), 85 * x);
  ASSERT_EQ(ReadInto(*file, 1, picture_.Get(), 2, 1, 1), eQeOk);
  EXPECT_EQ(At(picture_.Get(), 1, 0), 0x81) << "a constant frame keeps its upper byte";
}

TEST_F(TiffTest, TiledRgbWithPartialEdgeTilesReadsEveryPixel) {
  STestTiffPage page{.width = 40,
                     .height = 24,
                     .samples = 3,
                     .photometric = PHOTOMETRIC_RGB,
                     .compression = COMPRESSION_LZW,
                     .tileSize = 16};
  for (uint32_t i = 0; i < 40 * 24; ++i) {
    page.values.insert(page.values.end(), {uint16_t(i % 40 * 6), uint16_t(i / 40 * 10), 100});
  }
  auto file = Open("tiles.TIFF", {page});
  ASSERT_EQ(ReadInto(*file, 0, picture_.Get(), 40, 24), eQeOk);
  for (unsigned int y = 0; y < 24; ++y) {
    for (unsigned int x = 0; x < 40; ++x) {
      ASSERT_EQ(At(picture_.Get(), x, y, 0), x * 6) << x << "," << y;
      ASSERT_EQ(At(picture_.Get(), x, y, 1), y * 10) << x << "," << y;
      ASSERT_EQ(At(picture_.Get(), x, y, 2), 100);
    }
  }
  // Read into one component, a colour frame gives its luminance.
  ASSERT_EQ(ReadInto(*file, 0, picture_.Get(), 40, 24, 1), eQeOk);
  EXPECT_EQ(At(picture_.Get(), 10, 5), (77 * 60 + 150 * 50 + 29 * 100 + 128) >> 8);
}

TEST_F(TiffTest, CutFilesGiveUnusableFileAndKeepTheirWholePages) {
  // Directory first, as acquisition software writes it: cut inside the pixels.
  std::vector<uint8_t> pixels(64 * 64, 7);
  const std::vector<uint8_t> whole = qe::test::HandMadeGrayTiff(64, 64, pixels);
  qe::test::WriteBytes(dir_.File("cut.tif"),
                       std::vector<uint8_t>(whole.begin(), whole.end() - 2000));
  CQeRefCountPtr<IQeInputImageFile> file;
  ASSERT_EQ(qe::test::OpenImage(dir_.FileW("cut.tif"), file), eQeOk);
  EXPECT_EQ(ReadInto(*file, 0, picture_.Get(), 64, 64), eQeUnusableFile);
  // libtiff writes each page's pixels before its directory: a cut inside the
  // second page leaves the first page whole.
  ASSERT_TRUE(qe::test::WriteTiff(dir_.File("full.tif"), {Flat(64, 64, 11), Flat(64, 64, 22)}));
  const std::vector<uint8_t> bytes = qe::test::ReadBytes(dir_.File("full.tif"));
  qe::test::WriteBytes(dir_.File("part.tif"),
                       std::vector<uint8_t>(bytes.begin(), bytes.begin() + bytes.size() / 2 + 300));
  ASSERT_EQ(qe::test::OpenImage(dir_.FileW("part.tif"), file), eQeOk);
  ASSERT_EQ(ReadInto(*file, 0, picture_.Get(), 8, 8), eQeOk);
  EXPECT_EQ(At(picture_.Get(), 7, 7), 11);
  const int second = ReadInto(*file, 1, picture_.Get(), 8, 8);
  EXPECT_TRUE(second == eQeUnusableFile || second == eQeNotFound) << second;
}

TEST_F(TiffTest, OpenFailureTellsAnUnreadableFileFromAMissingOne) {
  CQeImageFormatManager manager;
  CQeRefCountPtr<IQeImageFormatHandler> handler;
  ASSERT_EQ(manager.GetHandlerForFormatName(L"TIF", handler), eQeOk);
  EXPECT_EQ(handler->Query(eQeQueryLastOpenUnreadable), 0);
  qe::test::WriteBytes(dir_.File("garbage.tif"), {'n', 'o', 't', ' ', 'a', ' ', 't', 'i', 'f'});
  std::filesystem::create_directory(dir_.path() / "folder.tif");
  const struct {
    const char* name;
    int unreadable;  // the answer to query 24 after the failed open
  } cases[] = {{"garbage.tif", 1}, {"missing.tif", 0}, {"folder.tif", 0}};
  CQeRefCountPtr<IQeInputImageFile> file;
  for (const auto& c : cases) {
    EXPECT_EQ(handler->OpenInputFile(dir_.FileW(c.name).c_str(), file), eQeNoPathOrTooNew)
        << c.name;
    EXPECT_EQ(handler->Query(eQeQueryLastOpenUnreadable), c.unreadable) << c.name;
  }
  EXPECT_EQ(handler->OpenInputFile(L"", file), eQeMissingArgument);
  EXPECT_EQ(handler->Query(12345), eQeNotImplemented);
  EXPECT_FALSE(file);
}
