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

// Bounding box of the pixels that are not white.
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

}  // namespace

TEST(DrawingSurface, StretchDIBitsScalesTopDownAndBottomUpPicturesAndRefusesOthers) {
  // A 2 x 2 picture, red green / blue white, 24 bits, top-down rows.
  CQePicBufOwner picture;
  ASSERT_EQ(CQePicBufAPI::Reinit(picture.Get(), 2, 2, 8, 3), eQeOk);
  const SQeColor colours[4] = {kRed, kGreen, kBlue, kWhite};
  for (unsigned int i = 0; i < 4; ++i) {
    uint8_t* p = picture->pData + (i / 2) * picture->uiBytesPerLine + (i % 2) * 3;
    p[0] = colours[i].r;
    p[1] = colours[i].g;
    p[2] = colours[i].b;
  }
  SQeBitmapInfoHeader header{40, 2, -2, 1, 24, eQeBiRgb, picture->uiByteSize, 0, 0, 0, 0};
  CQeDrawingSurface surface(6, 6);
  EXPECT_EQ(QeDc_StretchDIBits(surface.Handle(), 1, 1, 4, 4, 0, 0, 2, 2, picture->pData, &header,
                               eQeDibRgbColors, eQeSrcCopy),
            2);
  EXPECT_EQ(surface.GetPixel(2, 2), kRed);
  EXPECT_EQ(surface.GetPixel(4, 1), kGreen);
  EXPECT_EQ(surface.GetPixel(1, 4), kBlue);
  const SQeRect ink = Ink(surface);
  EXPECT_TRUE(ink.left == 1 && ink.top == 1 && ink.right == 5 && ink.bottom == 5);
  SQeBitmapInfoHeader deep = header;
  deep.biBitCount = 32;
  EXPECT_EQ(surface.StretchBlit(0, 0, 4, 4, 0, 0, 2, 2, picture->pData, deep), eQeDrawingFailed);
  EXPECT_EQ(surface.StretchBlit(0, 0, 4, 4, 1, 0, 2, 2, picture->pData, header),
            eQeMissingArgument);
  // A bottom-up bitmap is shown the right way up.
  CQeDrawingSurface flipped(2, 2, kBlack);
  header.biHeight = 2;
  ASSERT_EQ(flipped.StretchBlit(0, 0, 2, 2, 0, 0, 2, 2, picture->pData, header), eQeOk);
  EXPECT_EQ(flipped.GetPixel(0, 0), kBlue);
  EXPECT_EQ(flipped.GetPixel(1, 1), kGreen);
}

TEST(DrawingSurface, CentredTextSitsInTheMiddleOfItsRectangle) {
  CQeDrawingSurface surface(60, 40);
  const SQeRect rect{10, 10, 50, 30};
  EXPECT_EQ(QeDc_DrawTextW(surface.Handle(), L"N/A", -1, &rect,
                           eQeDtCenter | eQeDtVCenter | eQeDtSingleLine),
            CQeDrawingSurface::kGlyphHeight);
  // 3 glyphs of 5 columns with 1 column between: 17 x 7 pixels.
  const SQeRect ink = Ink(surface);
  EXPECT_EQ(ink.left, 10 + (40 - 17) / 2);
  EXPECT_EQ(ink.top, 10 + (20 - 7) / 2);
  EXPECT_EQ(ink.right - ink.left, 17);
  EXPECT_EQ(ink.bottom - ink.top, 7);
}

TEST(DrawingSurface, HandlesNameLiveSurfacesOnly) {
  unsigned int gone = 0;
  {
    CQeDrawingSurface a(2, 2), b(2, 2);
    EXPECT_NE(a.Handle(), b.Handle());
    EXPECT_EQ(CQeDrawingSurface::FromHandle(b.Handle()), &b);
    gone = a.Handle();
  }
  EXPECT_EQ(CQeDrawingSurface::FromHandle(gone), nullptr);
  EXPECT_FALSE(QeDc_LineTo(gone, 1, 1));
  const SQeRect rect{0, 0, 2, 2};
  EXPECT_EQ(QeDc_DrawTextW(gone, L"N/A", -1, &rect, 0), 0);
}

TEST(DrawingSurface, SavedPngReadsBackPixelForPixel) {
  qe::test::TempDir dir;
  CQeDrawingSurface surface(7, 5);
  surface.FillRect({1, 1, 3, 4}, kGreen);
  surface.SetPixel(6, 4, kRed);
  ASSERT_EQ(surface.SavePng(dir.FileW("sheet.png").c_str()), eQeOk);
  EXPECT_EQ(surface.SavePng(dir.FileW("no/such/folder.png").c_str()), eQeFailed);
  CQeRefCountPtr<IQeInputImageFile> file;
  ASSERT_EQ(qe::test::OpenImage(dir.FileW("sheet.png"), file), eQeOk);
  CQePicBufOwner picture;
  ASSERT_EQ(qe::test::ReadInto(*file, 0, picture.Get(), 7, 5), eQeOk);
  for (int i = 0; i < 35 * 3; ++i) {
    const SQeColor c = surface.GetPixel(i / 3 % 7, i / 21);
    ASSERT_EQ(qe::test::At(picture.Get(), i / 3 % 7, i / 21, i % 3), i % 3 == 0   ? c.r
                                                                     : i % 3 == 1 ? c.g
                                                                                  : c.b)
        << i;
  }
}
