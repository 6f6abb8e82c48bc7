#include <gtest/gtest.h>

#include <cstdlib>

#include "picture/test_images.h"
#include "qe/core/status.h"
#include "qe/picture/image_format.h"
#include "support/temp_dir.h"

using qe::test::At;
using qe::test::OpenImage;

namespace {

CQeRefCountPtr<IQeImageFormatHandler> Handler(const wchar_t* format) {
  CQeImageFormatManager manager;
  CQeRefCountPtr<IQeImageFormatHandler> handler;
  EXPECT_EQ(manager.GetHandlerForFormatName(format, handler), eQeOk);
  return handler;
}

// A smooth colour picture: R follows x, G follows y, B is their mean.
void FillGradient(SQePicBuf& picture) {
  for (unsigned int y = 0; y < picture.uiHeight; ++y) {
    for (unsigned int x = 0; x < picture.uiWidth; ++x) {
      uint8_t* p = picture.pData + y * picture.uiBytesPerLine + x * 3;
      p[0] = static_cast<uint8_t>(x * 255 / (picture.uiWidth - 1));
      p[1] = static_cast<uint8_t>(y * 255 / (picture.uiHeight - 1));
      p[2] = static_cast<uint8_t>((p[0] + p[1]) / 2);
    }
  }
}

int Encode(const wchar_t* format, const SQePicBuf& picture, double quality, CQeByteArray& bytes) {
  CQeRefCountPtr<IQeOutputImageFile> output;
  if (int status = Handler(format)->CreateOutputBytes(&bytes, output); status != eQeOk) {
    return status;
  }
  if (int status =
          output->SetImageInfo(picture.uiWidth, picture.uiHeight, 8, picture.uiComponents, quality);
      status != eQeOk) {
    return status;
  }
  if (int status = output->WritePixels(picture); status != eQeOk) return status;
  return output->Finish();
}

int MaxDifference(const SQePicBuf& a, const SQePicBuf& b) {
  int worst = 0;
  for (unsigned int y = 0; y < a.uiHeight; ++y) {
    for (unsigned int i = 0; i < a.uiWidth * a.uiComponents; ++i) {
      const int d = std::abs(a.pData[y * a.uiBytesPerLine + i] - b.pData[y * b.uiBytesPerLine + i]);
      worst = std::max(worst, d);
    }
  }
  return worst;
}

}  // namespace

TEST(Jpeg, RoundTripThroughByteArraysAtQualityPointEight) {
  CQePicBufOwner source;
  ASSERT_EQ(CQePicBufAPI::Reinit(source.Get(), 64, 48, 8, 3), eQeOk);
  FillGradient(source.Get());
  CQeByteArray bytes;
  ASSERT_EQ(Encode(L"JPG", source.Get(), 0.8, bytes), eQeOk);
  ASSERT_GT(bytes.GetSize(), 100);
  EXPECT_EQ(bytes.GetData()[0], 0xFF);
  EXPECT_EQ(bytes.GetData()[1], 0xD8);

  CQeRefCountPtr<IQeInputImageFile> input;
  ASSERT_EQ(Handler(L"JPG")->OpenInputBytes(bytes, input), eQeOk);
  SQeImageInfo info{};
  ASSERT_EQ(input->GetImageInfo(0, info), eQeOk);
  EXPECT_EQ(info.uiWidth, 64u);
  EXPECT_EQ(info.uiHeight, 48u);
  EXPECT_EQ(info.uiComponents, 3u);
  EXPECT_EQ(info.uiBitsPerComponent, 8u);
  EXPECT_EQ(info.uiFrameCount, 1u);
  CQePicBufOwner decoded;
  ASSERT_EQ(CQePicBufAPI::Reinit(decoded.Get(), 64, 48, 8, 3), eQeOk);
  ASSERT_EQ(input->ReadFrame(0, decoded.Get()), eQeOk);
  EXPECT_LE(MaxDifference(source.Get(), decoded.Get()), 16);
  EXPECT_EQ(input->ReadFrame(1, decoded.Get()), eQeNotFound);

  CQeByteArray rough;
  ASSERT_EQ(Encode(L"JPG", source.Get(), 0.1, rough), eQeOk);
  EXPECT_LT(rough.GetSize(), bytes.GetSize());
}

TEST(Jpeg, GrayPictureStaysOneComponent) {
  CQePicBufOwner gray;
  ASSERT_EQ(CQePicBufAPI::Reinit(gray.Get(), 16, 16, 8, 1), eQeOk);
  for (unsigned int i = 0; i < gray->uiByteSize; ++i) gray->pData[i] = 120;
  CQeByteArray bytes;
  ASSERT_EQ(Encode(L"jpeg", gray.Get(), 0.8, bytes), eQeOk);
  CQeRefCountPtr<IQeInputImageFile> input;
  ASSERT_EQ(Handler(L"JPG")->OpenInputBytes(bytes, input), eQeOk);
  SQeImageInfo info{};
  ASSERT_EQ(input->GetImageInfo(0, info), eQeOk);
  EXPECT_EQ(info.uiComponents, 1u);
  CQePicBufOwner rgb;
  ASSERT_EQ(CQePicBufAPI::Reinit(rgb.Get(), 16, 16, 8, 3), eQeOk);
  ASSERT_EQ(input->ReadFrame(0, rgb.Get()), eQeOk);
  EXPECT_NEAR(At(rgb.Get(), 7, 7, 0), 120, 2);
  EXPECT_EQ(At(rgb.Get(), 7, 7, 0), At(rgb.Get(), 7, 7, 2));
}

TEST(Jpeg, LargePictureScaledDownMatchesItsAreaAverage) {
  CQePicBufOwner source;
  ASSERT_EQ(CQePicBufAPI::Reinit(source.Get(), 512, 256, 8, 3), eQeOk);
  FillGradient(source.Get());
  CQeByteArray bytes;
  ASSERT_EQ(Encode(L"JPG", source.Get(), 0.9, bytes), eQeOk);
  CQeRefCountPtr<IQeInputImageFile> input;
  ASSERT_EQ(Handler(L"JPG")->OpenInputBytes(bytes, input), eQeOk);
  unsigned int w = 0, h = 0;
  ASSERT_EQ(input->GetFitSize(0, 128, 128, &w, &h), eQeOk);
  ASSERT_EQ(w, 128u);
  ASSERT_EQ(h, 64u);
  CQePicBufOwner small, expected;
  ASSERT_EQ(CQePicBufAPI::Reinit(small.Get(), w, h, 8, 3), eQeOk);
  ASSERT_EQ(CQePicBufAPI::Reinit(expected.Get(), w, h, 8, 3), eQeOk);
  ASSERT_EQ(input->ReadFrame(0, small.Get()), eQeOk);
  FillGradient(expected.Get());
  EXPECT_LE(MaxDifference(small.Get(), expected.Get()), 8);
}

TEST(Jpeg, DamagedBytesGiveAStatus) {
  CQePicBufOwner source;
  ASSERT_EQ(CQePicBufAPI::Reinit(source.Get(), 256, 256, 8, 3), eQeOk);
  FillGradient(source.Get());
  CQeByteArray bytes;
  ASSERT_EQ(Encode(L"JPG", source.Get(), 0.8, bytes), eQeOk);
  auto handler = Handler(L"JPG");
  CQeRefCountPtr<IQeInputImageFile> input;

  CQeByteArray half(bytes.GetData(), bytes.GetSize() / 2);
  ASSERT_EQ(handler->OpenInputBytes(half, input), eQeOk);
  CQePicBufOwner decoded;
  ASSERT_EQ(CQePicBufAPI::Reinit(decoded.Get(), 256, 256, 8, 3), eQeOk);
  EXPECT_EQ(input->ReadFrame(0, decoded.Get()), eQeUnusableFile);

  CQeByteArray head(bytes.GetData(), 20);
  EXPECT_EQ(handler->OpenInputBytes(head, input), eQeUnusableFile);
  const char text[] = "'quoted' % text";
  EXPECT_EQ(handler->OpenInputBytes(CQeByteArray(text, sizeof(text)), input), eQeUnusableFile);
  EXPECT_EQ(handler->OpenInputBytes(CQeByteArray(), input), eQeMissingArgument);
}

TEST(Jpeg, OutputChecksItsInputs) {
  auto handler = Handler(L"JPG");
  CQeByteArray bytes;
  CQeRefCountPtr<IQeOutputImageFile> output;
  EXPECT_EQ(handler->CreateOutputBytes(nullptr, output), eQeMissingArgument);
  ASSERT_EQ(handler->CreateOutputBytes(&bytes, output), eQeOk);
  CQePicBufOwner picture;
  ASSERT_EQ(CQePicBufAPI::Reinit(picture.Get(), 8, 8, 8, 3), eQeOk);
  EXPECT_EQ(output->WritePixels(picture.Get()), eQeMissingArgument);
  EXPECT_EQ(output->Finish(), eQeMissingArgument);
  EXPECT_EQ(output->SetImageInfo(8, 8, 16, 3, 0.8), eQeMissingArgument);
  EXPECT_EQ(output->SetImageInfo(8, 8, 8, 3, 1.5), eQeMissingArgument);
  ASSERT_EQ(output->SetImageInfo(8, 4, 8, 3, 0.8), eQeOk);
  EXPECT_EQ(output->WritePixels(picture.Get()), eQeMissingArgument);
  EXPECT_TRUE(bytes.IsEmpty());
}

TEST(Png, FileWrittenByTheOutputReadsBackExactly) {
  qe::test::TempDir dir;
  CQePicBufOwner source;
  ASSERT_EQ(CQePicBufAPI::Reinit(source.Get(), 33, 17, 8, 3), eQeOk);
  FillGradient(source.Get());
  CQeRefCountPtr<IQeOutputImageFile> output;
  ASSERT_EQ(Handler(L"PNG")->CreateOutputFile(dir.FileW("out.png").c_str(), output), eQeOk);
  ASSERT_EQ(output->SetImageInfo(33, 17, 8, 3, 0.8), eQeOk);
  ASSERT_EQ(output->WritePixels(source.Get()), eQeOk);
  ASSERT_EQ(output->Finish(), eQeOk);

  CQeRefCountPtr<IQeInputImageFile> input;
  ASSERT_EQ(OpenImage(dir.FileW("out.png"), input), eQeOk);
  CQePicBufOwner decoded;
  ASSERT_EQ(CQePicBufAPI::Reinit(decoded.Get(), 33, 17, 8, 3), eQeOk);
  ASSERT_EQ(input->ReadFrame(0, decoded.Get()), eQeOk);
  EXPECT_EQ(MaxDifference(source.Get(), decoded.Get()), 0);
}

TEST(Png, SixteenBitGrayIsStretched) {
  qe::test::TempDir dir;
  std::vector<uint16_t> values;
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 4; ++x) values.push_back(static_cast<uint16_t>(300 + 10 * x));
  }
  ASSERT_TRUE(qe::test::WriteGray16Png(dir.File("deep.png"), 4, 2, values));
  CQeRefCountPtr<IQeInputImageFile> input;
  ASSERT_EQ(OpenImage(dir.FileW("deep.png"), input), eQeOk);
  SQeImageInfo info{};
  ASSERT_EQ(input->GetImageInfo(0, info), eQeOk);
  EXPECT_EQ(info.uiBitsPerComponent, 16u);
  EXPECT_EQ(info.uiComponents, 1u);
  CQePicBufOwner picture;
  ASSERT_EQ(CQePicBufAPI::Reinit(picture.Get(), 4, 2, 8, 1), eQeOk);
  ASSERT_EQ(input->ReadFrame(0, picture.Get()), eQeOk);
  EXPECT_EQ(At(picture.Get(), 0, 1), 0);
  EXPECT_EQ(At(picture.Get(), 1, 1), 85);
  EXPECT_EQ(At(picture.Get(), 3, 0), 255);
}

TEST(Png, TruncatedOrForeignDataGivesAStatus) {
  qe::test::TempDir dir;
  CQePicBufOwner source;
  ASSERT_EQ(CQePicBufAPI::Reinit(source.Get(), 64, 64, 8, 3), eQeOk);
  FillGradient(source.Get());
  CQeByteArray bytes;
  ASSERT_EQ(Encode(L"PNG", source.Get(), 0.8, bytes), eQeOk);
  std::vector<uint8_t> half(bytes.bytes().begin(), bytes.bytes().begin() + bytes.GetSize() / 2);
  qe::test::WriteBytes(dir.File("half.png"), half);

  CQeRefCountPtr<IQeInputImageFile> input;
  ASSERT_EQ(OpenImage(dir.FileW("half.png"), input), eQeOk);
  CQePicBufOwner picture;
  ASSERT_EQ(CQePicBufAPI::Reinit(picture.Get(), 16, 16, 8, 3), eQeOk);
  EXPECT_EQ(input->ReadFrame(0, picture.Get()), eQeUnusableFile);

  // A JPEG named .png: the PNG handler cannot read it, but the file is there.
  CQeByteArray jpeg;
  ASSERT_EQ(Encode(L"JPG", source.Get(), 0.8, jpeg), eQeOk);
  qe::test::WriteBytes(dir.File("photo.png"), jpeg.bytes());
  auto handler = Handler(L"PNG");
  EXPECT_EQ(handler->OpenInputFile(dir.FileW("photo.png").c_str(), input), eQeNoPathOrTooNew);
  EXPECT_EQ(handler->Query(eQeQueryLastOpenUnreadable), 1);
  EXPECT_EQ(handler->OpenInputFile(dir.FileW("none.png").c_str(), input), eQeNoPathOrTooNew);
  EXPECT_EQ(handler->Query(eQeQueryLastOpenUnreadable), 0);
}

TEST(FormatManager, FindsHandlersByExtensionFormatNameAndContent) {
  qe::test::TempDir dir;
  CQeImageFormatManager manager;
  CQeRefCountPtr<IQeImageFormatHandler> handler;
  const struct {
    const wchar_t* name;
    const wchar_t* format;
  } byName[] = {{L"/data/a.tif", L"TIF"}, {L"b.TIFF", L"TIF"}, {L"c.png", L"PNG"},
                {L"d.JPG", L"JPG"},       {L"e.jpeg", L"JPG"}, {L"run.1/f.Jpe", L"JPG"}};
  for (const auto& entry : byName) {
    ASSERT_EQ(manager.GetHandlerForFileName(entry.name, handler), eQeOk) << entry.name;
    EXPECT_STREQ(handler->FormatName(), entry.format);
  }
  EXPECT_EQ(manager.GetHandlerForFileName(L"run.1/noextension", handler), eQeNotFound);
  EXPECT_EQ(manager.GetHandlerForFileName(L"x.bmp", handler), eQeNotFound);
  EXPECT_EQ(manager.GetHandlerForFileName(L"", handler), eQeMissingArgument);
  EXPECT_EQ(manager.GetHandlerForFileName(nullptr, handler), eQeMissingArgument);

  for (const wchar_t* name : {L"JPG", L"jpg", L"JPEG"}) {
    ASSERT_EQ(manager.GetHandlerForFormatName(name, handler), eQeOk);
    EXPECT_STREQ(handler->FormatName(), L"JPG");
  }
  ASSERT_EQ(manager.GetHandlerForFormatName(L"tif", handler), eQeOk);
  EXPECT_STREQ(handler->FormatName(), L"TIF");
  EXPECT_EQ(manager.GetHandlerForFormatName(L"GIF", handler), eQeNotFound);
  EXPECT_EQ(manager.GetHandlerForFormatName(L"", handler), eQeMissingArgument);

  // A file without a known extension is recognised by its first bytes.
  CQePicBufOwner picture;
  ASSERT_EQ(CQePicBufAPI::Reinit(picture.Get(), 4, 4, 8, 1), eQeOk);
  CQeByteArray png;
  ASSERT_EQ(Encode(L"PNG", picture.Get(), 0.8, png), eQeOk);
  qe::test::WriteBytes(dir.File("frame.dat"), png.bytes());
  ASSERT_EQ(manager.GetHandlerForFileName(dir.FileW("frame.dat").c_str(), handler), eQeOk);
  EXPECT_STREQ(handler->FormatName(), L"PNG");
  EXPECT_EQ(manager.GetHandlerForFileName(dir.FileW("other.dat").c_str(), handler), eQeNotFound);
}

TEST(FormatManager, TiffOffersNoByteArraysOrOutput) {
  auto handler = Handler(L"TIF");
  CQeByteArray bytes(std::vector<uint8_t>{1, 2, 3}.data(), 3);
  CQeRefCountPtr<IQeInputImageFile> input;
  CQeRefCountPtr<IQeOutputImageFile> output;
  EXPECT_EQ(handler->OpenInputBytes(bytes, input), eQeNotImplemented);
  EXPECT_EQ(handler->CreateOutputBytes(&bytes, output), eQeNotImplemented);
  EXPECT_EQ(handler->CreateOutputFile(L"x.tif", output), eQeNotImplemented);
}
