#include "qe/picture/drawing_surface.h"

#include <gtest/gtest.h>

#include <climits>

#include "picture/test_images.h"
#include "qe/core/status.h"
#include "support/temp_dir.h"

namespace {

constexpr SQeColor kRed{255, 0, 0};
constexpr SQeColor kGreen{0, 255, 0};
constexpr SQeColor kBlue{0, 0, 255};
constexpr SQeColor kWhite = CQeDrawingSurface::kWhite;
constexpr SQeColor kBlack = CQeDrawingSurface::kBlack;

// A 2 x 2 picture: red, green / blue, white.
void FourColours(CQePicBufOwner& picture) {
  ASSERT_EQ(CQePicBufAPI::Reinit(picture.Get(), 2, 2, 8, 3), eQeOk);
  const SQeColor colours[4] = {kRed, kGreen, kBlue, kWhite};
  for (unsigned int i = 0; i < 4; ++i) {
    uint8_t* p = picture->pData + (i / 2) * picture->uiBytesPerLine + (i % 2) * 3;
    p[0] = colours[i].r;
    p[1] = colours[i].g;
    p[2] = colours[i].b;
  }
}

// The header DrawIntoDC gives a picture buffer.
SQeBitmapInfoHeader TopDownHeader(const SQePicBuf& picture) {
  return {40,
          static_cast<int32_t>(picture.uiWidth),
          -static_cast<int32_t>(picture.uiHeight),
          1,
          24,
          eQeBiRgb,
          picture.uiByteSize,
          0,
          0,
          0,
          0};
}

// Bounding box of the pixels that are not the background.
SQeRect Ink(const CQeDrawingSurface& surface, SQeColor background) {
  SQeRect box{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
  for (int y = 0; y < surface.Height(); ++y) {
    for (int x = 0; x < surface.Width(); ++x) {
      if (surface.GetPixel(x, y) == background) continue;
      box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1),
             std::max(box.bottom, y + 1)};
    }
  }
  return box;
}

}  // namespace

TEST(DrawingSurface, StretchDIBitsScalesATopDownPictureIntoItsRectangle) {
  CQePicBufOwner picture;
  FourColours(picture);
  CQeDrawingSurface surface(6, 6);
  const SQeBitmapInfoHeader header = TopDownHeader(picture.Get());
  EXPECT_EQ(QeDc_StretchDIBits(surface.Handle(), 1, 1, 4, 4, 0, 0, 2, 2, picture->pData, &header,
                               eQeDibRgbColors, eQeSrcCopy),
            2);
  EXPECT_EQ(surface.GetPixel(1, 1), kRed);
  EXPECT_EQ(surface.GetPixel(2, 2), kRed);
  EXPECT_EQ(surface.GetPixel(4, 1), kGreen);
  EXPECT_EQ(surface.GetPixel(1, 4), kBlue);
  EXPECT_EQ(surface.GetPixel(4, 4), kWhite);
  EXPECT_EQ(surface.GetPixel(0, 0), kWhite);
  EXPECT_EQ(surface.GetPixel(5, 3), kWhite);
  SQeRect expected{1, 1, 5, 5};
  SQeRect ink = Ink(surface, kWhite);
  EXPECT_EQ(ink.left, expected.left);
  EXPECT_EQ(ink.top, expected.top);
  EXPECT_EQ(ink.right, 5);  // the white quarter is inside, but indistinguishable
  EXPECT_EQ(ink.bottom, 5);
}

TEST(DrawingSurface, BottomUpBitmapsAreShownTheRightWayUp) {
  CQePicBufOwner picture;
  FourColours(picture);
  CQeDrawingSurface surface(2, 2, kBlack);
  SQeBitmapInfoHeader header = TopDownHeader(picture.Get());
  header.biHeight = 2;
  ASSERT_EQ(surface.StretchBlit(0, 0, 2, 2, 0, 0, 2, 2, picture->pData, header), eQeOk);
  EXPECT_EQ(surface.GetPixel(0, 0), kBlue);
  EXPECT_EQ(surface.GetPixel(1, 1), kGreen);
}

TEST(DrawingSurface, ShrinkingAveragesAndClipsAtTheEdges) {
  CQePicBufOwner picture;
  ASSERT_EQ(CQePicBufAPI::Reinit(picture.Get(), 4, 1, 8, 3), eQeOk);
  const uint8_t values[4] = {0, 100, 200, 40};
  for (int i = 0; i < 4; ++i) picture->pData[i * 3] = picture->pData[i * 3 + 1] = values[i];
  CQeDrawingSurface surface(3, 1);
  const SQeBitmapInfoHeader header = TopDownHeader(picture.Get());
  ASSERT_EQ(surface.StretchBlit(1, 0, 2, 1, 0, 0, 4, 1, picture->pData, header), eQeOk);
  EXPECT_EQ(surface.GetPixel(1, 0), (SQeColor{50, 50, 0}));
  EXPECT_EQ(surface.GetPixel(2, 0), (SQeColor{120, 120, 0}));
  // Half outside on the left: the right half lands on the surface.
  ASSERT_EQ(surface.StretchBlit(-1, 0, 2, 1, 0, 0, 4, 1, picture->pData, header), eQeOk);
  EXPECT_EQ(surface.GetPixel(0, 0), (SQeColor{120, 120, 0}));
  EXPECT_EQ(surface.StretchBlit(50, 50, 2, 1, 0, 0, 4, 1, picture->pData, header), eQeOk);
}

TEST(DrawingSurface, BitmapsItCannotDrawFail) {
  CQePicBufOwner picture;
  FourColours(picture);
  CQeDrawingSurface surface(4, 4);
  SQeBitmapInfoHeader header = TopDownHeader(picture.Get());
  header.biBitCount = 32;
  EXPECT_EQ(surface.StretchBlit(0, 0, 4, 4, 0, 0, 2, 2, picture->pData, header), eQeDrawingFailed);
  EXPECT_EQ(QeDc_StretchDIBits(surface.Handle(), 0, 0, 4, 4, 0, 0, 2, 2, picture->pData, &header,
                               eQeDibRgbColors, eQeSrcCopy),
            0);
  header = TopDownHeader(picture.Get());
  header.biSizeImage = 8;
  EXPECT_EQ(surface.StretchBlit(0, 0, 4, 4, 0, 0, 2, 2, picture->pData, header),
            eQeMissingArgument);
  header = TopDownHeader(picture.Get());
  EXPECT_EQ(surface.StretchBlit(0, 0, 4, 4, 1, 0, 2, 2, picture->pData, header),
            eQeMissingArgument);
  EXPECT_EQ(surface.StretchBlit(0, 0, 0, 4, 0, 0, 2, 2, picture->pData, header),
            eQeMissingArgument);
  EXPECT_EQ(surface.StretchBlit(0, 0, 4, 4, 0, 0, 2, 2, nullptr, header), eQeMissingArgument);
  EXPECT_EQ(QeDc_StretchDIBits(surface.Handle(), 0, 0, 4, 4, 0, 0, 2, 2, picture->pData, &header,
                               eQeDibRgbColors, 0),
            0);
  EXPECT_EQ(Ink(surface, kWhite).left, INT_MAX);
}

TEST(DrawingSurface, LinesLeaveOutTheirEndPointAsWindowsDoes) {
  CQeDrawingSurface surface(10, 10);
  SQePoint previous{-1, -1};
  ASSERT_TRUE(QeDc_MoveToEx(surface.Handle(), 0, 0, &previous));
  EXPECT_EQ(previous.x, 0);
  ASSERT_TRUE(QeDc_LineTo(surface.Handle(), 4, 4));
  for (int i = 0; i < 4; ++i) EXPECT_EQ(surface.GetPixel(i, i), kBlack) << i;
  EXPECT_EQ(surface.GetPixel(4, 4), kWhite);
  EXPECT_EQ(surface.GetPixel(1, 0), kWhite);
  // The position moved: the next line starts at (4, 4).
  surface.SetPenColor(kRed);
  ASSERT_TRUE(QeDc_LineTo(surface.Handle(), 9, 4));
  EXPECT_EQ(surface.GetPixel(4, 4), kRed);
  EXPECT_EQ(surface.GetPixel(8, 4), kRed);
  EXPECT_EQ(surface.GetPixel(9, 4), kWhite);
  // A line that leaves the surface is clipped, not refused.
  ASSERT_TRUE(QeDc_MoveToEx(surface.Handle(), -5, 9, nullptr));
  ASSERT_TRUE(QeDc_LineTo(surface.Handle(), 20, 9));
  EXPECT_EQ(surface.GetPixel(0, 9), kRed);
  EXPECT_EQ(surface.GetPixel(9, 9), kRed);
}

TEST(DrawingSurface, CrossOverARectangle) {
  // The two diagonals of 30 x 100 at (5, 5), as drawn for a missing picture.
  CQeDrawingSurface surface(40, 110);
  const unsigned int dc = surface.Handle();
  QeDc_MoveToEx(dc, 5, 5, nullptr);
  QeDc_LineTo(dc, 35, 105);
  QeDc_MoveToEx(dc, 35, 5, nullptr);
  QeDc_LineTo(dc, 5, 105);
  EXPECT_EQ(surface.GetPixel(5, 5), kBlack);
  EXPECT_EQ(surface.GetPixel(35, 5), kBlack);
  EXPECT_EQ(surface.GetPixel(20, 55), kBlack);
  const SQeRect ink = Ink(surface, kWhite);
  EXPECT_EQ(ink.left, 5);
  EXPECT_EQ(ink.top, 5);
  EXPECT_EQ(ink.right, 36);
  EXPECT_EQ(ink.bottom, 105);
}

TEST(DrawingSurface, CentredTextSitsInTheMiddleOfItsRectangle) {
  CQeDrawingSurface surface(60, 40);
  const SQeRect rect{10, 10, 50, 30};
  EXPECT_EQ(QeDc_DrawTextW(surface.Handle(), L"N/A", -1, &rect,
                           eQeDtCenter | eQeDtVCenter | eQeDtSingleLine),
            CQeDrawingSurface::kGlyphHeight);
  // 3 glyphs of 5 columns with 1 column between: 17 x 7 pixels.
  const SQeRect ink = Ink(surface, kWhite);
  EXPECT_EQ(ink.left, 10 + (40 - 17) / 2);
  EXPECT_EQ(ink.right, 10 + (40 - 17) / 2 + 17);
  EXPECT_EQ(ink.top, 10 + (20 - 7) / 2);
  EXPECT_EQ(ink.bottom, 10 + (20 - 7) / 2 + 7);
  // The N: both columns inked on its first row, the inside not.
  EXPECT_EQ(surface.GetPixel(ink.left, ink.top), kBlack);
  EXPECT_EQ(surface.GetPixel(ink.left + 1, ink.top), kWhite);
  EXPECT_EQ(surface.GetPixel(ink.left + 4, ink.top), kBlack);
}

TEST(DrawingSurface, TextIsClippedToItsRectangleAndScales) {
  CQeDrawingSurface surface(40, 40);
  const SQeRect rect{5, 5, 15, 15};
  surface.SetTextColor(kBlue);
  surface.DrawText(L"frame 12 of 300 ü", rect, eQeDtCenter | eQeDtVCenter);
  const SQeRect ink = Ink(surface, kWhite);
  EXPECT_GE(ink.left, 5);
  EXPECT_LE(ink.right, 15);
  EXPECT_GE(ink.top, 5);
  EXPECT_LE(ink.bottom, 15);

  CQeDrawingSurface big(40, 40);
  big.SetTextScale(3);
  EXPECT_EQ(big.DrawText(L"7", {0, 0, 40, 40}, eQeDtLeft), 24);
  const SQeRect seven = Ink(big, kWhite);
  EXPECT_EQ(seven.left, 0);
  EXPECT_EQ(seven.right, 15);
  EXPECT_EQ(seven.bottom, 21);
  EXPECT_EQ(QeDc_DrawTextW(big.Handle(), L"12", 1, nullptr, 0), 0);
}

TEST(DrawingSurface, UnknownCharactersDrawAHollowBox) {
  CQeDrawingSurface surface(5, 7);
  surface.DrawText(L"\u4e2d", {0, 0, 5, 7}, eQeDtLeft);
  EXPECT_EQ(surface.GetPixel(0, 0), kBlack);
  EXPECT_EQ(surface.GetPixel(4, 6), kBlack);
  EXPECT_EQ(surface.GetPixel(2, 3), kWhite);
}

TEST(DrawingSurface, HandlesNameLiveSurfacesOnly) {
  unsigned int gone = 0;
  {
    CQeDrawingSurface a(2, 2), b(2, 2);
    EXPECT_NE(a.Handle(), 0u);
    EXPECT_NE(a.Handle(), b.Handle());
    EXPECT_EQ(CQeDrawingSurface::FromHandle(b.Handle()), &b);
    gone = a.Handle();
  }
  EXPECT_EQ(CQeDrawingSurface::FromHandle(gone), nullptr);
  EXPECT_FALSE(QeDc_LineTo(gone, 1, 1));
  EXPECT_FALSE(QeDc_MoveToEx(0, 1, 1, nullptr));
  const SQeRect rect{0, 0, 2, 2};
  EXPECT_EQ(QeDc_DrawTextW(gone, L"N/A", -1, &rect, 0), 0);
}

TEST(DrawingSurface, SavedPngReadsBackPixelForPixel) {
  qe::test::TempDir dir;
  CQeDrawingSurface surface(7, 5);
  surface.FillRect({1, 1, 3, 4}, kGreen);
  surface.SetPixel(6, 4, kRed);
  ASSERT_EQ(surface.SavePng(dir.FileW("sheet.png").c_str()), eQeOk);
  EXPECT_EQ(surface.SavePng(L""), eQeMissingArgument);
  EXPECT_EQ(surface.SavePng(dir.FileW("no/such/folder.png").c_str()), eQeFailed);

  CQeRefCountPtr<IQeInputImageFile> file;
  ASSERT_EQ(qe::test::OpenImage(dir.FileW("sheet.png"), file), eQeOk);
  CQePicBufOwner picture;
  ASSERT_EQ(CQePicBufAPI::Reinit(picture.Get(), 7, 5, 8, 3), eQeOk);
  ASSERT_EQ(file->ReadFrame(0, picture.Get()), eQeOk);
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 7; ++x) {
      const SQeColor c = surface.GetPixel(x, y);
      ASSERT_EQ(qe::test::At(picture.Get(), x, y, 0), c.r);
      ASSERT_EQ(qe::test::At(picture.Get(), x, y, 1), c.g);
      ASSERT_EQ(qe::test::At(picture.Get(), x, y, 2), c.b);
    }
  }
}
