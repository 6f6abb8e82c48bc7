// JPEG through byte arrays, and the format manager. (PNG files are read back
// in the drawing surface tests.)
#include <gtest/gtest.h>

#include <cstdlib>
#include <utility>

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
  auto input = Decode(bytes);
  SQeImageInfo info{};
  ASSERT_EQ(input->GetImageInfo(0, info), eQeOk);
  EXPECT_EQ(info.uiWidth, 64u);
  EXPECT_EQ(info.uiHeight, 48u);
  ASSERT_EQ(ReadInto(*input, 0, decoded.Get(), 64, 48), eQeOk);
  EXPECT_LE(MaxDifference(source.Get(), decoded.Get()), 16);
  EXPECT_EQ(input->ReadFrame(1, decoded.Get()), eQeNotFound);
  ASSERT_EQ(Encode(L"JPG", source.Get(), 0.1, rough), eQeOk);
  EXPECT_LT(rough.GetSize(), bytes.GetSize()) << "the quality reaches the encoder";
  // Pixels before their size, or of another size, are refused.
  CQeRefCountPtr<IQeOutputImageFile> output;
  ASSERT_EQ(Handler(L"JPG")->CreateOutputBytes(&rough, output), eQeOk);
  EXPECT_EQ(output->WritePixels(source.Get()), eQeMissingArgument);
  ASSERT_EQ(output->SetImageInfo(8, 4, 8, 3, 0.8), eQeOk);
  EXPECT_EQ(output->WritePixels(source.Get()), eQeMissingArgument);
  // Cut or foreign bytes give a status.
  CQeRefCountPtr<IQeInputImageFile> broken;
  int status = Handler(L"JPG")->OpenInputBytes(CQeByteArray(bytes.GetData(), 400), broken);
  if (status == eQeOk) status = ReadInto(*broken, 0, decoded.Get(), 64, 48);
  EXPECT_EQ(status, eQeUnusableFile);
  const char text[] = "'quoted' % text";
  EXPECT_EQ(Handler(L"JPG")->OpenInputBytes(CQeByteArray(text, sizeof(text)), broken),
            eQeUnusableFile);
  EXPECT_EQ(Handler(L"JPG")->OpenInputBytes(CQeByteArray(), broken), eQeMissingArgument);
}

TEST(FormatManager, FindsHandlersByExtensionFormatNameAndContent) {
  qe::test::TempDir dir;
  CQeImageFormatManager manager;
  CQeRefCountPtr<IQeImageFormatHandler> handler;
  const std::pair<const wchar_t*, const wchar_t*> byName[] = {
      {L"/data/a.tif", L"TIF"}, {L"b.TIFF", L"TIF"}, {L"c.png", L"PNG"}, {L"run.1/f.Jpe", L"JPG"}};
  for (const auto& [name, format] : byName) {
    ASSERT_EQ(manager.GetHandlerForFileName(name, handler), eQeOk) << name;
    EXPECT_STREQ(handler->FormatName(), format);
  }
  EXPECT_EQ(manager.GetHandlerForFileName(L"run.1/noextension", handler), eQeNotFound);
  EXPECT_EQ(manager.GetHandlerForFileName(L"", handler), eQeMissingArgument);
  EXPECT_EQ(manager.GetHandlerForFormatName(L"GIF", handler), eQeNotFound);

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
