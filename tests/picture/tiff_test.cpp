#include <gtest/gtest.h>

#include <filesystem>

#include "picture/test_images.h"
#include "qe/core/status.h"
#include "qe/core/string.h"
#include "qe/picture/image_format.h"
#include "support/temp_dir.h"

using qe::test::At;
using qe::test::OpenImage;
using qe::test::STestTiffPage;

namespace {

// 256 x 64 gray, v = x / 2 + 2 y: every 2 x 2 block averages to i + 4 j + 1.
STestTiffPage GradientPage() {
  STestTiffPage page{.width = 256, .height = 64};
  for (uint32_t y = 0; y < 64; ++y) {
    for (uint32_t x = 0; x < 256; ++x) page.values.push_back(static_cast<uint16_t>(x / 2 + 2 * y));
  }
  return page;
}

STestTiffPage ConstantPage(uint32_t width, uint32_t height, uint16_t value) {
  STestTiffPage page{.width = width, .height = height};
  page.values.assign(width * height, value);
  return page;
}

class TiffTest : public ::testing::Test {
 protected:
  qe::test::TempDir dir_;
};

}  // namespace

TEST_F(TiffTest, MultiPageGrayReportsPagesAndScalesByAreaAverage) {
  STestTiffPage gradient = GradientPage();
  gradient.compression = COMPRESSION_LZW;
  ASSERT_TRUE(qe::test::WriteTiff(dir_.File("stack.tif"),
                                  {gradient, ConstantPage(30, 20, 200), ConstantPage(8, 8, 7)}));
  CQeRefCountPtr<IQeInputImageFile> file;
  ASSERT_EQ(OpenImage(dir_.FileW("stack.tif"), file), eQeOk);

  SQeImageInfo info{};
  ASSERT_EQ(file->GetImageInfo(0, info), eQeOk);
  EXPECT_EQ(info.uiWidth, 256u);
  EXPECT_EQ(info.uiHeight, 64u);
  EXPECT_EQ(info.uiFrameCount, 3u);
  EXPECT_EQ(info.uiComponents, 1u);
  EXPECT_EQ(info.uiBitsPerComponent, 8u);
  ASSERT_EQ(file->GetImageInfo(1, info), eQeOk);
  EXPECT_EQ(info.uiWidth, 30u);

  unsigned int w = 0, h = 0;
  ASSERT_EQ(file->GetFitSize(0, 128, 128, &w, &h), eQeOk);
  EXPECT_EQ(w, 128u);
  EXPECT_EQ(h, 32u);
  CQePicBufOwner picture;
  ASSERT_EQ(CQePicBufAPI::Reinit(picture.Get(), w, h, 8, 3), eQeOk);
  ASSERT_EQ(file->ReadFrame(0, picture.Get()), eQeOk);
  for (unsigned int j = 0; j < h; ++j) {
    for (unsigned int i = 0; i < w; ++i) {
      ASSERT_EQ(At(picture.Get(), i, j, 0), i + 4 * j + 1) << i << "," << j;
      ASSERT_EQ(At(picture.Get(), i, j, 1), At(picture.Get(), i, j, 0));
      ASSERT_EQ(At(picture.Get(), i, j, 2), At(picture.Get(), i, j, 0));
    }
  }
  // A later page, and back to an earlier one.
  ASSERT_EQ(file->ReadFrame(1, picture.Get()), eQeOk);
  EXPECT_EQ(At(picture.Get(), 5, 5, 1), 200);
  ASSERT_EQ(file->ReadFrame(0, picture.Get()), eQeOk);
  EXPECT_EQ(At(picture.Get(), 0, 0), 1);
}

TEST_F(TiffTest, FractionalScalingWeighsPartlyCoveredPixels) {
  STestTiffPage page{.width = 3, .height = 1, .values = {0, 90, 180}};
  ASSERT_TRUE(qe::test::WriteTiff(dir_.File("three.tif"), {page}));
  CQeRefCountPtr<IQeInputImageFile> file;
  ASSERT_EQ(OpenImage(dir_.FileW("three.tif"), file), eQeOk);
  CQePicBufOwner picture;
  ASSERT_EQ(CQePicBufAPI::Reinit(picture.Get(), 2, 1, 8, 1), eQeOk);
  ASSERT_EQ(file->ReadFrame(0, picture.Get()), eQeOk);
  EXPECT_EQ(At(picture.Get(), 0, 0), 30);   // (0 + 90 / 2) / 1.5
  EXPECT_EQ(At(picture.Get(), 1, 0), 150);  // (90 / 2 + 180) / 1.5
}

TEST_F(TiffTest, SixteenBitNarrowRangeIsStretchedToFullRange) {
  STestTiffPage page{.width = 4,
                     .height = 4,
                     .bits = 16,
                     .compression = COMPRESSION_ADOBE_DEFLATE,
                     .rowsPerStrip = 2};
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) page.values.push_back(static_cast<uint16_t>(1000 + 85 * x));
  }
  ASSERT_TRUE(qe::test::WriteTiff(dir_.File("deep.tif"), {page}));
  CQeRefCountPtr<IQeInputImageFile> file;
  ASSERT_EQ(OpenImage(dir_.FileW("deep.tif"), file), eQeOk);
  SQeImageInfo info{};
  ASSERT_EQ(file->GetImageInfo(0, info), eQeOk);
  EXPECT_EQ(info.uiBitsPerComponent, 16u);

  CQePicBufOwner full;
  ASSERT_EQ(CQePicBufAPI::Reinit(full.Get(), 4, 4, 8, 1), eQeOk);
  ASSERT_EQ(file->ReadFrame(0, full.Get()), eQeOk);
  for (unsigned int y = 0; y < 4; ++y) {
    EXPECT_EQ(At(full.Get(), 0, y), 0);
    EXPECT_EQ(At(full.Get(), 1, y), 85);
    EXPECT_EQ(At(full.Get(), 2, y), 170);
    EXPECT_EQ(At(full.Get(), 3, y), 255);
  }
  CQePicBufOwner half;
  ASSERT_EQ(CQePicBufAPI::Reinit(half.Get(), 2, 2, 8, 3), eQeOk);
  ASSERT_EQ(file->ReadFrame(0, half.Get()), eQeOk);
  EXPECT_EQ(At(half.Get(), 0, 0), 43);  // (0 + 85) / 2 rounded
  EXPECT_EQ(At(half.Get(), 1, 1, 2), 213);
}

TEST_F(TiffTest, ConstantSixteenBitFrameKeepsItsUpperByte) {
  STestTiffPage page{
      .width = 2, .height = 2, .bits = 16, .values = {0x8123, 0x8123, 0x8123, 0x8123}};
  ASSERT_TRUE(qe::test::WriteTiff(dir_.File("flat.tif"), {page}));
  CQeRefCountPtr<IQeInputImageFile> file;
  ASSERT_EQ(OpenImage(dir_.FileW("flat.tif"), file), eQeOk);
  CQePicBufOwner picture;
  ASSERT_EQ(CQePicBufAPI::Reinit(picture.Get(), 2, 2, 8, 1), eQeOk);
  ASSERT_EQ(file->ReadFrame(0, picture.Get()), eQeOk);
  EXPECT_EQ(At(picture.Get(), 1, 1), 0x81);
}

TEST_F(TiffTest, TiledRgbWithPartialEdgeTilesReadsEveryPixel) {
  STestTiffPage page{.width = 40,
                     .height = 24,
                     .samples = 3,
                     .photometric = PHOTOMETRIC_RGB,
                     .compression = COMPRESSION_LZW,
                     .tileSize = 16};
  for (uint32_t y = 0; y < 24; ++y) {
    for (uint32_t x = 0; x < 40; ++x) {
      page.values.push_back(static_cast<uint16_t>(x * 6));
      page.values.push_back(static_cast<uint16_t>(y * 10));
      page.values.push_back(100);
    }
  }
  ASSERT_TRUE(qe::test::WriteTiff(dir_.File("tiles.TIFF"), {page}));
  CQeRefCountPtr<IQeInputImageFile> file;
  ASSERT_EQ(OpenImage(dir_.FileW("tiles.TIFF"), file), eQeOk);
  SQeImageInfo info{};
  ASSERT_EQ(file->GetImageInfo(0, info), eQeOk);
  EXPECT_EQ(info.uiComponents, 3u);

  CQePicBufOwner full;
  ASSERT_EQ(CQePicBufAPI::Reinit(full.Get(), 40, 24, 8, 3), eQeOk);
  ASSERT_EQ(file->ReadFrame(0, full.Get()), eQeOk);
  for (unsigned int y = 0; y < 24; ++y) {
    for (unsigned int x = 0; x < 40; ++x) {
      ASSERT_EQ(At(full.Get(), x, y, 0), x * 6) << x << "," << y;
      ASSERT_EQ(At(full.Get(), x, y, 1), y * 10) << x << "," << y;
      ASSERT_EQ(At(full.Get(), x, y, 2), 100);
    }
  }
  CQePicBufOwner half;
  ASSERT_EQ(CQePicBufAPI::Reinit(half.Get(), 20, 12, 8, 3), eQeOk);
  ASSERT_EQ(file->ReadFrame(0, half.Get()), eQeOk);
  EXPECT_EQ(At(half.Get(), 19, 11, 0), 231);  // (228 + 234) / 2
  EXPECT_EQ(At(half.Get(), 19, 11, 1), 225);  // (220 + 230) / 2
  // Read into one component, a colour frame gives its luminance.
  CQePicBufOwner gray;
  ASSERT_EQ(CQePicBufAPI::Reinit(gray.Get(), 40, 24, 8, 1), eQeOk);
  ASSERT_EQ(file->ReadFrame(0, gray.Get()), eQeOk);
  EXPECT_EQ(At(gray.Get(), 10, 5), (77 * 60 + 150 * 50 + 29 * 100 + 128) >> 8);
}

TEST_F(TiffTest, PaletteFrameGoesThroughTheRgbaReader) {
  STestTiffPage page{.width = 2, .height = 1, .photometric = PHOTOMETRIC_PALETTE, .values = {0, 1}};
  page.colormap.assign(3 * 256, 0);
  page.colormap[0] = 0xFFFF;        // entry 0 red
  page.colormap[256 + 1] = 0xFFFF;  // entry 1 green
  ASSERT_TRUE(qe::test::WriteTiff(dir_.File("palette.tif"), {page}));
  CQeRefCountPtr<IQeInputImageFile> file;
  ASSERT_EQ(OpenImage(dir_.FileW("palette.tif"), file), eQeOk);
  CQePicBufOwner picture;
  ASSERT_EQ(CQePicBufAPI::Reinit(picture.Get(), 2, 1, 8, 3), eQeOk);
  ASSERT_EQ(file->ReadFrame(0, picture.Get()), eQeOk);
  EXPECT_EQ(At(picture.Get(), 0, 0, 0), 255);
  EXPECT_EQ(At(picture.Get(), 0, 0, 1), 0);
  EXPECT_EQ(At(picture.Get(), 1, 0, 1), 255);
}

TEST_F(TiffTest, FrameIndexOutOfRangeIsNotFound) {
  ASSERT_TRUE(
      qe::test::WriteTiff(dir_.File("two.tif"), {ConstantPage(4, 4, 1), ConstantPage(4, 4, 2)}));
  CQeRefCountPtr<IQeInputImageFile> file;
  ASSERT_EQ(OpenImage(dir_.FileW("two.tif"), file), eQeOk);
  CQePicBufOwner picture;
  ASSERT_EQ(CQePicBufAPI::Reinit(picture.Get(), 4, 4, 8, 3), eQeOk);
  SQeImageInfo info{};
  unsigned int w = 0, h = 0;
  EXPECT_EQ(file->ReadFrame(2, picture.Get()), eQeNotFound);
  EXPECT_EQ(file->ReadFrame(-1, picture.Get()), eQeNotFound);
  EXPECT_EQ(file->GetImageInfo(7, info), eQeNotFound);
  EXPECT_EQ(file->GetFitSize(2, 128, 128, &w, &h), eQeNotFound);
  EXPECT_EQ(file->ReadFrame(1, picture.Get()), eQeOk);
  EXPECT_EQ(At(picture.Get(), 3, 3), 2);
}

TEST_F(TiffTest, ReadingNeedsAPreparedPicture) {
  ASSERT_TRUE(qe::test::WriteTiff(dir_.File("one.tif"), {ConstantPage(4, 4, 1)}));
  CQeRefCountPtr<IQeInputImageFile> file;
  ASSERT_EQ(OpenImage(dir_.FileW("one.tif"), file), eQeOk);
  CQePicBufOwner picture;
  EXPECT_EQ(file->ReadFrame(0, picture.Get()), eQeMissingArgument);
  unsigned int w = 0;
  EXPECT_EQ(file->GetFitSize(0, 128, 128, &w, nullptr), eQeMissingArgument);
  EXPECT_EQ(file->GetFitSize(0, 0, 128, &w, &w), eQeMissingArgument);
}

TEST_F(TiffTest, FitSizeNeverEnlargesAndKeepsAtLeastOnePixel) {
  ASSERT_TRUE(qe::test::WriteTiff(
      dir_.File("sizes.tif"),
      {ConstantPage(64, 32, 1), ConstantPage(1000, 1, 1), ConstantPage(300, 900, 1)}));
  CQeRefCountPtr<IQeInputImageFile> file;
  ASSERT_EQ(OpenImage(dir_.FileW("sizes.tif"), file), eQeOk);
  unsigned int w = 0, h = 0;
  ASSERT_EQ(file->GetFitSize(0, 128, 128, &w, &h), eQeOk);
  EXPECT_EQ(w, 64u);
  EXPECT_EQ(h, 32u);
  ASSERT_EQ(file->GetFitSize(1, 128, 128, &w, &h), eQeOk);
  EXPECT_EQ(w, 128u);
  EXPECT_EQ(h, 1u);
  ASSERT_EQ(file->GetFitSize(2, 512, 512, &w, &h), eQeOk);
  EXPECT_EQ(w, 171u);
  EXPECT_EQ(h, 512u);
}

TEST_F(TiffTest, FileCutInsideItsPixelsGivesUnusableFile) {
  std::vector<uint8_t> pixels(64 * 64);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>(i);
  const std::vector<uint8_t> whole = qe::test::HandMadeGrayTiff(64, 64, pixels);
  qe::test::WriteBytes(dir_.File("whole.tif"), whole);
  qe::test::WriteBytes(dir_.File("cut.tif"),
                       std::vector<uint8_t>(whole.begin(), whole.end() - 2000));

  CQePicBufOwner picture;
  ASSERT_EQ(CQePicBufAPI::Reinit(picture.Get(), 64, 64, 8, 3), eQeOk);
  CQeRefCountPtr<IQeInputImageFile> file;
  ASSERT_EQ(OpenImage(dir_.FileW("whole.tif"), file), eQeOk);
  ASSERT_EQ(file->ReadFrame(0, picture.Get()), eQeOk);
  EXPECT_EQ(At(picture.Get(), 3, 1), 67);

  CQeRefCountPtr<IQeInputImageFile> cut;
  ASSERT_EQ(OpenImage(dir_.FileW("cut.tif"), cut), eQeOk);
  EXPECT_EQ(cut->ReadFrame(0, picture.Get()), eQeUnusableFile);
}

TEST_F(TiffTest, MultiPageFileCutAfterItsFirstPageStillReadsThatPage) {
  ASSERT_TRUE(qe::test::WriteTiff(dir_.File("full.tif"),
                                  {ConstantPage(64, 64, 11), ConstantPage(64, 64, 22)}));
  const std::vector<uint8_t> bytes = qe::test::ReadBytes(dir_.File("full.tif"));
  // libtiff writes each page's pixels before its directory: cutting into the
  // second page leaves the first page whole.
  const struct {
    size_t keep;
    bool firstPageWhole;
  } cuts[] = {{bytes.size() - 50, true},
              {bytes.size() / 2 + 300, true},
              {bytes.size() / 2, false},
              {100, false},
              {3, false}};
  for (const auto& cut : cuts) {
    qe::test::WriteBytes(dir_.File("part.tif"),
                         std::vector<uint8_t>(bytes.begin(), bytes.begin() + cut.keep));
    CQeRefCountPtr<IQeInputImageFile> file;
    const int opened = OpenImage(dir_.FileW("part.tif"), file);
    if (cut.firstPageWhole) {
      ASSERT_EQ(opened, eQeOk) << cut.keep;
    }
    if (opened != eQeOk) {
      EXPECT_EQ(opened, eQeNoPathOrTooNew);
      continue;
    }
    CQePicBufOwner picture;
    ASSERT_EQ(CQePicBufAPI::Reinit(picture.Get(), 8, 8, 8, 3), eQeOk);
    for (int frame = 0; frame < 3; ++frame) {
      const int status = file->ReadFrame(frame, picture.Get());
      EXPECT_TRUE(status == eQeOk || status == eQeUnusableFile || status == eQeNotFound)
          << cut.keep << " " << frame << " " << status;
      if (frame == 0 && cut.firstPageWhole) {
        EXPECT_EQ(status, eQeOk);
        EXPECT_EQ(At(picture.Get(), 7, 7), 11);
      }
      if (frame == 1 && cut.firstPageWhole) {
        EXPECT_NE(status, eQeOk);
      }
    }
  }
}

TEST_F(TiffTest, OpenFailureTellsAnUnreadableFileFromAMissingOne) {
  CQeImageFormatManager manager;
  CQeRefCountPtr<IQeImageFormatHandler> handler;
  ASSERT_EQ(manager.GetHandlerForFormatName(L"TIF", handler), eQeOk);
  EXPECT_EQ(handler->Query(eQeQueryLastOpenUnreadable), 0);
  CQeRefCountPtr<IQeInputImageFile> file;

  qe::test::WriteBytes(dir_.File("garbage.tif"),
                       {'n', 'o', 't', ' ', 'a', ' ', 't', 'i', 'f', 'f'});
  EXPECT_EQ(handler->OpenInputFile(dir_.FileW("garbage.tif").c_str(), file), eQeNoPathOrTooNew);
  EXPECT_EQ(handler->Query(eQeQueryLastOpenUnreadable), 1);

  EXPECT_EQ(handler->OpenInputFile(dir_.FileW("missing.tif").c_str(), file), eQeNoPathOrTooNew);
  EXPECT_EQ(handler->Query(eQeQueryLastOpenUnreadable), 0);

  std::filesystem::create_directory(dir_.path() / "folder.tif");
  EXPECT_EQ(handler->OpenInputFile(dir_.FileW("folder.tif").c_str(), file), eQeNoPathOrTooNew);
  EXPECT_EQ(handler->Query(eQeQueryLastOpenUnreadable), 0);

  qe::test::WriteBytes(dir_.File("header.tif"), {'I', 'I', 42, 0, 200, 0, 0, 0});
  EXPECT_EQ(handler->OpenInputFile(dir_.FileW("header.tif").c_str(), file), eQeNoPathOrTooNew);
  EXPECT_EQ(handler->Query(eQeQueryLastOpenUnreadable), 1);

  EXPECT_EQ(handler->OpenInputFile(L"", file), eQeMissingArgument);
  EXPECT_EQ(handler->Query(12345), eQeNotImplemented);
  EXPECT_FALSE(file);
}

TEST_F(TiffTest, NonAsciiFileNamesWork) {
  const std::string name = dir_.File("Zürich 'ü' 50%.tif");
  ASSERT_TRUE(qe::test::WriteTiff(name, {ConstantPage(4, 4, 9)}));
  CQeRefCountPtr<IQeInputImageFile> file;
  EXPECT_EQ(OpenImage(qe::Utf8ToWide(name), file), eQeOk);
}
