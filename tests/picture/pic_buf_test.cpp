#include "qe/picture/pic_buf.h"

#include <gtest/gtest.h>

#include "picture/test_images.h"
#include "qe/core/status.h"

using qe::test::At;

TEST(PicBuf, ReinitPadsRowsToFourBytesAndZeroes) {
  CQePicBufOwner picture;
  EXPECT_FALSE(CQePicBufAPI::HasPixels(picture.Get()));
  ASSERT_EQ(CQePicBufAPI::Reinit(picture.Get(), 5, 3, 8, 3), eQeOk);
  EXPECT_EQ(picture->uiBytesPerLine, 16u);
  EXPECT_EQ(picture->uiByteSize, 48u);
  for (unsigned int i = 0; i < picture->uiByteSize; ++i) ASSERT_EQ(picture->pData[i], 0);
  ASSERT_EQ(CQePicBufAPI::Reinit(picture.Get(), 5, 2, 8, 1), eQeOk);
  EXPECT_EQ(picture->uiBytesPerLine, 8u);
  EXPECT_EQ(picture->uiComponents, 1u);
}

TEST(PicBuf, ReinitRejectsWhatItCannotHoldAndLeavesTheBufferFreed) {
  CQePicBufOwner picture;
  ASSERT_EQ(CQePicBufAPI::Reinit(picture.Get(), 4, 4, 8, 3), eQeOk);
  EXPECT_EQ(CQePicBufAPI::Reinit(picture.Get(), 4, 4, 16, 3), eQeMissingArgument);
  EXPECT_EQ(picture->pData, nullptr);
  EXPECT_EQ(CQePicBufAPI::Reinit(picture.Get(), 0, 4, 8, 3), eQeMissingArgument);
  EXPECT_EQ(CQePicBufAPI::Reinit(picture.Get(), 4, 4, 8, 2), eQeMissingArgument);
  EXPECT_EQ(CQePicBufAPI::Reinit(picture.Get(), 65536, 65536, 8, 3), eQeMissingArgument);
  CQePicBufAPI::Free(picture.Get());
  CQePicBufAPI::Free(picture.Get());
  EXPECT_EQ(picture->uiWidth, 0u);
}

TEST(PicBuf, ColorToGrayKeepsGrayValuesAndWeighsColours) {
  CQePicBufOwner color, gray;
  ASSERT_EQ(CQePicBufAPI::Reinit(color.Get(), 3, 2, 8, 3), eQeOk);
  const uint8_t pixels[3][3] = {{255, 0, 0}, {0, 255, 0}, {90, 90, 90}};
  for (unsigned int x = 0; x < 3; ++x) {
    for (unsigned int c = 0; c < 3; ++c) color->pData[x * 3 + c] = pixels[x][c];
  }
  ASSERT_EQ(CQePicBufAPI::ColorToGray(gray.Get(), color.Get()), eQeOk);
  EXPECT_EQ(gray->uiComponents, 1u);
  EXPECT_EQ(At(gray.Get(), 0, 0), 77);
  EXPECT_EQ(At(gray.Get(), 1, 0), 149);
  EXPECT_EQ(At(gray.Get(), 2, 0), 90);
  EXPECT_EQ(At(gray.Get(), 2, 1), 0);

  CQePicBufOwner wrong;
  ASSERT_EQ(CQePicBufAPI::Reinit(wrong.Get(), 3, 2, 8, 3), eQeOk);
  EXPECT_EQ(CQePicBufAPI::ColorToGray(wrong.Get(), color.Get()), eQeMissingArgument);
  CQePicBufOwner empty, target;
  EXPECT_EQ(CQePicBufAPI::ColorToGray(target.Get(), empty.Get()), eQeMissingArgument);
}

TEST(PicMem, ExpandComponentFillsEveryComponentOfEveryRow) {
  CQePicBufOwner gray, rgb;
  ASSERT_EQ(CQePicBufAPI::Reinit(gray.Get(), 3, 2, 8, 1), eQeOk);
  ASSERT_EQ(CQePicBufAPI::Reinit(rgb.Get(), 3, 2, 8, 3), eQeOk);
  for (unsigned int y = 0; y < 2; ++y) {
    for (unsigned int x = 0; x < 3; ++x) gray->pData[y * gray->uiBytesPerLine + x] = 10 * y + x;
  }
  ASSERT_EQ(CQePicMemAPI::ExpandComponent(rgb.Get(), gray.Get()), eQeOk);
  for (unsigned int y = 0; y < 2; ++y) {
    for (unsigned int x = 0; x < 3; ++x) {
      for (unsigned int c = 0; c < 3; ++c) EXPECT_EQ(At(rgb.Get(), x, y, c), 10 * y + x);
    }
  }
  // The row padding stays zero.
  EXPECT_EQ(rgb->pData[9], 0);
  EXPECT_EQ(rgb->pData[rgb->uiBytesPerLine + 9], 0);

  EXPECT_EQ(CQePicMemAPI::ExpandComponent(rgb.Get(), gray.Get(), 1), eQeMissingArgument);
  CQePicBufOwner other;
  ASSERT_EQ(CQePicBufAPI::Reinit(other.Get(), 2, 2, 8, 3), eQeOk);
  EXPECT_EQ(CQePicMemAPI::ExpandComponent(other.Get(), gray.Get()), eQeMissingArgument);
}
