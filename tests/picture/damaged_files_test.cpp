// Randomly damaged TIFF, PNG and JPEG files: every read ends in a status.
#include <gtest/gtest.h>

#include <random>

#include "picture/test_images.h"
#include "qe/core/status.h"
#include "qe/core/string.h"
#include "qe/picture/image_format.h"
#include "support/temp_dir.h"

namespace {

// Opens and reads every frame of a file; whatever happens must be a status.
void ReadEverything(const std::wstring& fileName) {
  CQeRefCountPtr<IQeInputImageFile> file;
  const int opened = qe::test::OpenImage(fileName, file);
  ASSERT_TRUE(opened == eQeOk || opened == eQeNoPathOrTooNew || opened == eQeNotFound) << opened;
  if (opened != eQeOk) return;
  for (int frame = 0; frame < 3; ++frame) {
    unsigned int w = 0, h = 0;
    if (file->GetFitSize(frame, 64, 64, &w, &h) != eQeOk) continue;
    CQePicBufOwner picture;
    const int status = qe::test::ReadInto(*file, frame, picture.Get(), w, h);
    EXPECT_TRUE(status == eQeOk || status == eQeUnusableFile || status == eQeFailed) << status;
  }
}

}  // namespace

TEST(DamagedFiles, FlippedBytesNeverCrashAReader) {
  qe::test::TempDir dir;
  qe::test::STestTiffPage page{.width = 48,
                               .height = 40,
                               .samples = 3,
                               .photometric = PHOTOMETRIC_RGB,
                               .compression = COMPRESSION_LZW,
                               .tileSize = 16};
  for (size_t i = 0; i < 48 * 40 * 3; ++i) page.values.push_back(static_cast<uint16_t>(i % 251));
  qe::test::STestTiffPage deep{.width = 30, .height = 20, .bits = 16, .rowsPerStrip = 3};
  for (size_t i = 0; i < 30 * 20; ++i) deep.values.push_back(static_cast<uint16_t>(i * 97));
  ASSERT_TRUE(qe::test::WriteTiff(dir.File("source.tif"), {page, deep}));

  CQePicBufOwner picture;
  ASSERT_EQ(CQePicBufAPI::Reinit(picture.Get(), 40, 30, 8, 3), eQeOk);
  for (unsigned int i = 0; i < picture->uiByteSize; ++i) picture->pData[i] = i * 7 % 256;
  CQeImageFormatManager manager;
  for (const wchar_t* format : {L"PNG", L"JPG"}) {
    CQeRefCountPtr<IQeImageFormatHandler> handler;
    CQeRefCountPtr<IQeOutputImageFile> output;
    ASSERT_EQ(manager.GetHandlerForFormatName(format, handler), eQeOk);
    ASSERT_EQ(handler->CreateOutputFile((dir.FileW("source.") + format).c_str(), output), eQeOk);
    ASSERT_TRUE(output->SetImageInfo(40, 30, 8, 3, 0.8) == eQeOk &&
                output->WritePixels(picture.Get()) == eQeOk && output->Finish() == eQeOk);
  }

  std::mt19937 random(20240611);
  for (const char* extension : {"tif", "PNG", "JPG"}) {
    const std::vector<uint8_t> original =
        qe::test::ReadBytes(dir.File(std::string("source.") + extension));
    ASSERT_FALSE(original.empty());
    const std::string damaged = dir.File(std::string("damaged.") + extension);
    for (int round = 0; round < 150; ++round) {
      std::vector<uint8_t> bytes = original;
      const int flips = 1 + static_cast<int>(random() % 8);
      for (int f = 0; f < flips; ++f)
        bytes[random() % bytes.size()] = static_cast<uint8_t>(random());
      if (round % 5 == 0) bytes.resize(random() % bytes.size());
      qe::test::WriteBytes(damaged, bytes);
      ReadEverything(qe::Utf8ToWide(damaged));
    }
  }
}
