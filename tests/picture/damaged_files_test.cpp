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
    ASSERT_EQ(CQePicBufAPI::Reinit(picture.Get(), w, h, 8, 3), eQeOk);
    const int status = file->ReadFrame(frame, picture.Get());
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
  page.values.assign(48 * 40 * 3, 0);
  for (size_t i = 0; i < page.values.size(); ++i) page.values[i] = static_cast<uint16_t>(i % 251);
  qe::test::STestTiffPage deep{.width = 30, .height = 20, .bits = 16, .rowsPerStrip = 3};
  deep.values.assign(30 * 20, 0);
  for (size_t i = 0; i < deep.values.size(); ++i) deep.values[i] = static_cast<uint16_t>(i * 97);
  ASSERT_TRUE(qe::test::WriteTiff(dir.File("source.tif"), {page, deep}));

  CQePicBufOwner picture;
  ASSERT_EQ(CQePicBufAPI::Reinit(picture.Get(), 40, 30, 8, 3), eQeOk);
  for (unsigned int i = 0; i < picture->uiByteSize; ++i) picture->pData[i] = i * 7 % 256;
  CQeImageFormatManager manager;
  for (const wchar_t* format : {L"PNG", L"JPG"}) {
    CQeRefCountPtr<IQeImageFormatHandler> handler;
    ASSERT_EQ(manager.GetHandlerForFormatName(format, handler), eQeOk);
    CQeRefCountPtr<IQeOutputImageFile> output;
    const std::wstring name = dir.FileW("source.") + format;
    ASSERT_EQ(handler->CreateOutputFile(name.c_str(), output), eQeOk);
    ASSERT_EQ(output->SetImageInfo(40, 30, 8, 3, 0.8), eQeOk);
    ASSERT_EQ(output->WritePixels(picture.Get()), eQeOk);
    ASSERT_EQ(output->Finish(), eQeOk);
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
