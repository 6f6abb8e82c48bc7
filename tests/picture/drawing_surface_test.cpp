// The drawing surface and the device-context calls over its handle.
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

// A 2 x 2 picture, red green / blue white, and the header DrawIntoDC gives
// a picture buffer (24 bits, top-down rows).
struct FourColours {
  FourColours() {
    EXPECT_EQ(CQePicBufAPI::Reinit(picture.Get(), 2, 2, 8, 3), eQeOk);
    const SQeColor colours[4] = {kRed, kGreen, kBlue, kWhite};
    for (unsigned int i = 0; i < 4; ++i) {
      uint8_t* p = picture->pData + (i / 2) * picture->uiBytesPerLine + (i % 2) * 3;
      p[0] = colours[i].r;
      p[1] = colours[i].g;
      p[2] = colours[i].b;
    }
    header = {40, 2, -2, 1, 24, eQeBiRgb, picture->uiByteSize, 0, 0, 0, 0};
  }
  CQePicBufOwner picture;
  SQeBitmapInfoHeader header;
};

// Bounding box of the pixels that are not white; left INT_MAX when there are none.
SQeRect Ink(const CQeDrawingSurface& surface) {
  SQeRect box{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
  for (int y = 0; y < surface.Height(); ++y) {
    for (int x = 0; x < surface.Width(); ++x) {
      if (surface.GetPixel(x, y) == kWhite) continue;
      box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1),
             std::max(box.bottom, y + 1)};
    }
  }
  return box;
}

void ExpectRect(const SQeRect& rect, int left, int top, int right, int bottom) {
  EXPECT_EQ(rect.left, left);
  EXPECT_EQ(rect.top, top);
  EXPECT_EQ(rect.right, right);
  EXPECT_EQ(rect.bottom, bottom);
}

}  // namespace

TEST(DrawingSurface, StretchDIBitsScalesATopDownPictureIntoItsRectangle) {
  FourColours four;
  CQeDrawingSurface surface(6, 6);
  EXPECT_EQ(QeDc_StretchDIBits(surface.Handle(), 1, 1, 4, 4, 0, 0, 2, 2, four.picture->pData,
                               &four.header, eQeDibRgbColors, eQeSrcCopy),
            2);
  EXPECT_EQ(surface.GetPixel(1, 1), kRed);
  EXPECT_EQ(surface.GetPixel(2, 2), kRed);
  EXPECT_EQ(surface.GetPixel(4, 1), kGreen);
  EXPECT_EQ(surface.GetPixel(1, 4), kBlue);
  EXPECT_EQ(surface.GetPixel(4, 4), kWhite);
  ExpectRect(Ink(surface), 1, 1, 5, 5);
  // A bottom-up bitmap is shown the right way up.
  CQeDrawingSurface flipped(2, 2, kBlack);
  four.header.biHeight = 2;
  ASSERT_EQ(flipped.StretchBlit(0, 0, 2, 2, 0, 0, 2, 2, four.picture->pData, four.header), eQeOk);
  EXPECT_EQ(flipped.GetPixel(0, 0), kBlue);
  EXPECT_EQ(flipped.GetPixel(1, 1), kGreen);
}

TEST(DrawingSurface, ShrinkingAveragesAndClipsAtTheEdges) {
  CQePicBufOwner picture;
  ASSERT_EQ(CQePicBufAPI::Reinit(picture.Get(), 4, 1, 8, 3), eQeOk);
  const uint8_t values[4] = {0, 100, 200, 40};
  for (int i = 0; i < 4; ++i) picture->pData[i * 3] = picture->pData[i * 3 + 1] = values[i];
  CQeDrawingSurface surface(3, 1);
  const SQeBitmapInfoHeader header{40, 4, -1, 1, 24, eQeBiRgb, picture->uiByteSize, 0, 0, 0, 0};
  ASSERT_EQ(surface.StretchBlit(1, 0, 2, 1, 0, 0, 4, 1, picture->pData, header), eQeOk);
  EXPECT_EQ(surface.GetPixel(1, 0), (SQeColor{50, 50, 0}));
  EXPECT_EQ(surface.GetPixel(2, 0), (SQeColor{120, 120, 0}));
  // Half outside on the left: the right half lands on the surface.
  ASSERT_EQ(surface.StretchBlit(-1, 0, 2, 1, 0, 0, 4, 1, picture->pData, header), eQeOk);
  EXPECT_EQ(surface.GetPixel(0, 0), (SQeColor{120, 120, 0}));
  EXPECT_EQ(surface.StretchBlit(50, 50, 2, 1, 0, 0, 4, 1, picture->pData, header), eQeOk);
}

TEST(DrawingSurface, BitmapsItCannotDrawFail) {
  FourColours four;
  CQeDrawingSurface surface(4, 4);
  const uint8_t* bits = four.picture->pData;
  const SQeBitmapInfoHeader good = four.header;
  SQeBitmapInfoHeader deep = good, small = good;
  deep.biBitCount = 32;
  small.biSizeImage = 8;
  EXPECT_EQ(surface.StretchBlit(0, 0, 4, 4, 0, 0, 2, 2, bits, deep), eQeDrawingFailed);
  EXPECT_EQ(surface.StretchBlit(0, 0, 4, 4, 0, 0, 2, 2, bits, small), eQeMissingArgument);
  EXPECT_EQ(surface.StretchBlit(0, 0, 4, 4, 1, 0, 2, 2, bits, good), eQeMissingArgument);
  EXPECT_EQ(surface.StretchBlit(0, 0, 0, 4, 0, 0, 2, 2, bits, good), eQeMissingArgument);
  EXPECT_EQ(surface.StretchBlit(0, 0, 4, 4, 0, 0, 2, 2, nullptr, good), eQeMissingArgument);
  const unsigned int dc = surface.Handle();
  EXPECT_EQ(
      QeDc_StretchDIBits(dc, 0, 0, 4, 4, 0, 0, 2, 2, bits, &deep, eQeDibRgbColors, eQeSrcCopy), 0);
  EXPECT_EQ(QeDc_StretchDIBits(dc, 0, 0, 4, 4, 0, 0, 2, 2, bits, &good, eQeDibRgbColors, 0), 0);
  EXPECT_EQ(Ink(surface).left, INT_MAX) << "nothing was drawn";
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

TEST(DrawingSurface, CentredTextSitsInTheMiddleOfItsRectangle) {
  CQeDrawingSurface surface(60, 40);
  const SQeRect rect{10, 10, 50, 30};
  EXPECT_EQ(QeDc_DrawTextW(surface.Handle(), L"N/A", -1, &rect,
                           eQeDtCenter | eQeDtVCenter | eQeDtSingleLine),
            CQeDrawingSurface::kGlyphHeight);
  // 3 glyphs of 5 columns with 1 column between: 17 x 7 pixels.
  const SQeRect ink = Ink(surface);
  ExpectRect(ink, 10 + (40 - 17) / 2, 10 + (20 - 7) / 2, 10 + (40 - 17) / 2 + 17,
             10 + (20 - 7) / 2 + 7);
  // The N: both columns inked on its first row, the inside not.
  EXPECT_EQ(surface.GetPixel(ink.left, ink.top), kBlack);
  EXPECT_EQ(surface.GetPixel(ink.left + 1, ink.top), kWhite);
  EXPECT_EQ(surface.GetPixel(ink.left + 4, ink.top), kBlack);
}

TEST(DrawingSurface, TextIsClippedScaledAndUnknownCharactersAreBoxes) {
  CQeDrawingSurface surface(40, 40);
  surface.SetTextColor(kBlue);
  surface.DrawText(L"frame 12 of 300 ü", {5, 5, 15, 15}, eQeDtCenter | eQeDtVCenter);
  const SQeRect ink = Ink(surface);
  EXPECT_TRUE(ink.left >= 5 && ink.right <= 15 && ink.top >= 5 && ink.bottom <= 15);

  CQeDrawingSurface big(40, 40);
  big.SetTextScale(3);
  EXPECT_EQ(big.DrawText(L"7", {0, 0, 40, 40}, eQeDtLeft), 24);
  const SQeRect seven = Ink(big);
  EXPECT_EQ(seven.left, 0);
  EXPECT_EQ(seven.right, 15);
  EXPECT_EQ(seven.bottom, 21);
  EXPECT_EQ(QeDc_DrawTextW(big.Handle(), L"12", 1, nullptr, 0), 0);

  CQeDrawingSurface box(5, 7);
  box.DrawText(L"\u4e2d", {0, 0, 5, 7}, eQeDtLeft);
  EXPECT_EQ(box.GetPixel(0, 0), kBlack);
  EXPECT_EQ(box.GetPixel(4, 6), kBlack);
  EXPECT_EQ(box.GetPixel(2, 3), kWhite);
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
  ASSERT_EQ(qe::test::ReadInto(*file, 0, picture.Get(), 7, 5), eQeOk);
  for (int i = 0; i < 35; ++i) {
    const SQeColor c = surface.GetPixel(i % 7, i / 7);
    ASSERT_EQ(qe::test::At(picture.Get(), i % 7, i / 7, 0), c.r) << i;
    ASSERT_EQ(qe::test::At(picture.Get(), i % 7, i / 7, 1), c.g) << i;
    ASSERT_EQ(qe::test::At(picture.Get(), i % 7, i / 7, 2), c.b) << i;
  }
}
