// JPEG through byte arrays and PNG through files, and the format manager.
#include <gtest/gtest.h>

#include <cstdlib>

#include "picture/test_images.h"
#include "qe/core/status.h"
#include "qe/picture/image_format.h"
#include "support/temp_dir.h"

using qe::test::At;
using qe::test::ReadInto;

namespace {

CQeRefCountPtr<IQeImageFormatHandler> Handler(const wchar_t* format) {
  CQeImageFormatManager manager;
  CQeRefCountPtr<IQeImageFormatHandler> handler;
  EXPECT_EQ(manager.GetHandlerForFormatName(format, handler), eQeOk);
  return handler;
}

// A smooth colour picture: R follows x, G follows y, B is their mean.
void FillGradient(SQePicBuf& picture, unsigned int width, unsigned int height) {
  ASSERT_EQ(CQePicBufAPI::Reinit(picture, width, height, 8, 3), eQeOk);
  for (unsigned int y = 0; y < height; ++y) {
    for (unsigned int x = 0; x < width; ++x) {
      uint8_t* p = picture.pData + y * picture.uiBytesPerLine + x * 3;
      p[0] = static_cast<uint8_t>(x * 255 / (width - 1));
      p[1] = static_cast<uint8_t>(y * 255 / (height - 1));
      p[2] = static_cast<uint8_t>((p[0] + p[1]) / 2);
    }
  }
}

int Encode(const wchar_t* format, const SQePicBuf& picture, double quality, CQeByteArray& bytes) {
  CQeRefCountPtr<IQeOutputImageFile> output;
  int status = Handler(format)->CreateOutputBytes(&bytes, output);
  if (status == eQeOk) {
    status =
        output->SetImageInfo(picture.uiWidth, picture.uiHeight, 8, picture.uiComponents, quality);
  }
  if (status == eQeOk) status = output->WritePixels(picture);
  return status == eQeOk ? output->Finish() : status;
}

CQeRefCountPtr<IQeInputImageFile> Decode(const CQeByteArray& bytes) {
  CQeRefCountPtr<IQeInputImageFile> input;
  EXPECT_EQ(Handler(L"JPG")->OpenInputBytes(bytes, input), eQeOk);
  return input;
}

int MaxDifference(const SQePicBuf& a, const SQePicBuf& b) {
  int worst = 0;
  for (unsigned int y = 0; y < a.uiHeight; ++y) {
    for (unsigned int i = 0; i < a.uiWidth * a.uiComponents; ++i) {
      worst = std::max(
          worst, std::abs(a.pData[y * a.uiBytesPerLine + i] - b.pData[y * b.uiBytesPerLine + i]));
    }
  }
  return worst;
}

}  // namespace

TEST(Jpeg, RoundTripThroughByteArraysAtQualityPointEight) {
  CQePicBufOwner source, decoded;
  FillGradient(source.Get(), 64, 48);
  CQeByteArray bytes, rough;
  ASSERT_EQ(Encode(L"JPG", source.Get(), 0.8, bytes), eQeOk);
  ASSERT_GT(bytes.GetSize(), 100);
  EXPECT_EQ(bytes.GetData()[0], 0xFF);
  EXPECT_EQ(bytes.GetData()[1], 0xD8);
  auto input = Decode(bytes);
  SQeImageInfo info{};
  ASSERT_EQ(input->GetImageInfo(0, info), eQeOk);
  EXPECT_EQ(info.uiWidth, 64u);
  EXPECT_EQ(info.uiHeight, 48u);
  EXPECT_EQ(info.uiComponents, 3u);
  EXPECT_EQ(info.uiBitsPerComponent, 8u);
  EXPECT_EQ(info.uiFrameCount, 1u);
  ASSERT_EQ(ReadInto(*input, 0, decoded.Get(), 64, 48), eQeOk);
  EXPECT_LE(MaxDifference(source.Get(), decoded.Get()), 16);
  EXPECT_EQ(input->ReadFrame(1, decoded.Get()), eQeNotFound);
  ASSERT_EQ(Encode(L"JPG", source.Get(), 0.1, rough), eQeOk);
  EXPECT_LT(rough.GetSize(), bytes.GetSize()) << "the quality reaches the encoder";
}

TEST(Jpeg, GrayPictureStaysOneComponentAndReadsAsThreeEqualOnes) {
  CQePicBufOwner gray, rgb;
  ASSERT_EQ(CQePicBufAPI::Reinit(gray.Get(), 16, 16, 8, 1), eQeOk);
  for (unsigned int i = 0; i < gray->uiByteSize; ++i) gray->pData[i] = 120;
  CQeByteArray bytes;
  ASSERT_EQ(Encode(L"jpeg", gray.Get(), 0.8, bytes), eQeOk);
  auto input = Decode(bytes);
  SQeImageInfo info{};
  ASSERT_EQ(input->GetImageInfo(0, info), eQeOk);
  EXPECT_EQ(info.uiComponents, 1u);
  ASSERT_EQ(ReadInto(*input, 0, rgb.Get(), 16, 16), eQeOk);
  EXPECT_NEAR(At(rgb.Get(), 7, 7, 0), 120, 2);
  EXPECT_EQ(At(rgb.Get(), 7, 7, 0), At(rgb.Get(), 7, 7, 2));
}

TEST(Jpeg, LargePictureScaledDownMatchesItsAreaAverage) {
  CQePicBufOwner source, small, expected;
  FillGradient(source.Get(), 512, 256);
  CQeByteArray bytes;
  ASSERT_EQ(Encode(L"JPG", source.Get(), 0.9, bytes), eQeOk);
  auto input = Decode(bytes);
  unsigned int w = 0, h = 0;
  ASSERT_EQ(input->GetFitSize(0, 128, 128, &w, &h), eQeOk);
  ASSERT_EQ(w, 128u);
  ASSERT_EQ(h, 64u);
  ASSERT_EQ(ReadInto(*input, 0, small.Get(), w, h), eQeOk);
  FillGradient(expected.Get(), w, h);
  EXPECT_LE(MaxDifference(small.Get(), expected.Get()), 8);
}

TEST(Jpeg, DamagedBytesGiveAStatus) {
  CQePicBufOwner source, decoded;
  FillGradient(source.Get(), 256, 256);
  CQeByteArray bytes;
  ASSERT_EQ(Encode(L"JPG", source.Get(), 0.8, bytes), eQeOk);
  EXPECT_EQ(ReadInto(*Decode(CQeByteArray(bytes.GetData(), bytes.GetSize() / 2)), 0, decoded.Get(),
                     256, 256),
            eQeUnusableFile);
  auto handler = Handler(L"JPG");
  CQeRefCountPtr<IQeInputImageFile> input;
  EXPECT_EQ(handler->OpenInputBytes(CQeByteArray(bytes.GetData(), 20), input), eQeUnusableFile);
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

TEST(Png, WrittenFileReadsBackExactlyAnd16BitGrayIsStretched) {
  qe::test::TempDir dir;
  CQePicBufOwner source, decoded;
  FillGradient(source.Get(), 33, 17);
  CQeRefCountPtr<IQeOutputImageFile> output;
  ASSERT_EQ(Handler(L"PNG")->CreateOutputFile(dir.FileW("out.png").c_str(), output), eQeOk);
  ASSERT_EQ(output->SetImageInfo(33, 17, 8, 3, 0.8), eQeOk);
  ASSERT_EQ(output->WritePixels(source.Get()), eQeOk);
  ASSERT_EQ(output->Finish(), eQeOk);
  CQeRefCountPtr<IQeInputImageFile> input;
  ASSERT_EQ(qe::test::OpenImage(dir.FileW("out.png"), input), eQeOk);
  ASSERT_EQ(ReadInto(*input, 0, decoded.Get(), 33, 17), eQeOk);
  EXPECT_EQ(MaxDifference(source.Get(), decoded.Get()), 0);

  ASSERT_TRUE(qe::test::WriteGray16Png(dir.File("deep.png"), 4, 2,
                                       {300, 310, 320, 330, 300, 310, 320, 330}));
  ASSERT_EQ(qe::test::OpenImage(dir.FileW("deep.png"), input), eQeOk);
  SQeImageInfo info{};
  ASSERT_EQ(input->GetImageInfo(0, info), eQeOk);
  EXPECT_EQ(info.uiBitsPerComponent, 16u);
  EXPECT_EQ(info.uiComponents, 1u);
  ASSERT_EQ(ReadInto(*input, 0, decoded.Get(), 4, 2, 1), eQeOk);
  EXPECT_EQ(At(decoded.Get(), 0, 1), 0);
  EXPECT_EQ(At(decoded.Get(), 1, 1), 85);
  EXPECT_EQ(At(decoded.Get(), 3, 0), 255);
}

TEST(Png, TruncatedOrForeignDataGivesAStatus) {
  qe::test::TempDir dir;
  CQePicBufOwner source, picture;
  FillGradient(source.Get(), 64, 64);
  CQeByteArray png, jpeg;
  ASSERT_EQ(Encode(L"PNG", source.Get(), 0.8, png), eQeOk);
  ASSERT_EQ(Encode(L"JPG", source.Get(), 0.8, jpeg), eQeOk);
  qe::test::WriteBytes(
      dir.File("half.png"),
      std::vector<uint8_t>(png.bytes().begin(), png.bytes().begin() + png.GetSize() / 2));
  CQeRefCountPtr<IQeInputImageFile> input;
  ASSERT_EQ(qe::test::OpenImage(dir.FileW("half.png"), input), eQeOk);
  EXPECT_EQ(ReadInto(*input, 0, picture.Get(), 16, 16), eQeUnusableFile);
  // A JPEG named .png: the PNG handler cannot read it, but the file is there.
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
  const std::pair<const wchar_t*, const wchar_t*> byName[] = {
      {L"/data/a.tif", L"TIF"}, {L"b.TIFF", L"TIF"}, {L"c.png", L"PNG"},
      {L"d.JPG", L"JPG"},       {L"e.jpeg", L"JPG"}, {L"run.1/f.Jpe", L"JPG"}};
  for (const auto& [name, format] : byName) {
    ASSERT_EQ(manager.GetHandlerForFileName(name, handler), eQeOk) << name;
    EXPECT_STREQ(handler->FormatName(), format);
  }
  EXPECT_EQ(manager.GetHandlerForFileName(L"run.1/noextension", handler), eQeNotFound);
  EXPECT_EQ(manager.GetHandlerForFileName(L"x.bmp", handler), eQeNotFound);
  EXPECT_EQ(manager.GetHandlerForFileName(L"", handler), eQeMissingArgument);
  EXPECT_EQ(manager.GetHandlerForFileName(nullptr, handler), eQeMissingArgument);
  const std::pair<const wchar_t*, const wchar_t*> byFormat[] = {
      {L"JPG", L"JPG"}, {L"jpg", L"JPG"}, {L"JPEG", L"JPG"}, {L"tif", L"TIF"}, {L"Png", L"PNG"}};
  for (const auto& [name, format] : byFormat) {
    ASSERT_EQ(manager.GetHandlerForFormatName(name, handler), eQeOk) << name;
    EXPECT_STREQ(handler->FormatName(), format);
  }
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

  // TIFF offers no byte arrays and no output.
  CQeByteArray bytes(png.GetData(), 3);
  CQeRefCountPtr<IQeInputImageFile> input;
  CQeRefCountPtr<IQeOutputImageFile> output;
  ASSERT_EQ(manager.GetHandlerForFormatName(L"TIF", handler), eQeOk);
  EXPECT_EQ(handler->OpenInputBytes(bytes, input), eQeNotImplemented);
  EXPECT_EQ(handler->CreateOutputBytes(&bytes, output), eQeNotImplemented);
  EXPECT_EQ(handler->CreateOutputFile(L"x.tif", output), eQeNotImplemented);
}
