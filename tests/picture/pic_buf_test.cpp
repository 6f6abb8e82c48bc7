// Picture buffers: layout, limits, gray conversion and component expansion.
#include "qe/picture/pic_buf.h"

#include <gtest/gtest.h>

#include "picture/test_images.h"
#include "qe/core/status.h"

using qe::test::At;

TEST(PicBuf, ReinitPadsRowsToFourBytesZeroesAndRefusesWhatItCannotHold) {
  CQePicBufOwner picture;
  EXPECT_FALSE(CQePicBufAPI::HasPixels(picture.Get()));
  ASSERT_EQ(CQePicBufAPI::Reinit(picture.Get(), 5, 3, 8, 3), eQeOk);
  EXPECT_EQ(picture->uiBytesPerLine, 16u);
  EXPECT_EQ(picture->uiByteSize, 48u);
  for (unsigned int i = 0; i < picture->uiByteSize; ++i) ASSERT_EQ(picture->pData[i], 0);
  ASSERT_EQ(CQePicBufAPI::Reinit(picture.Get(), 5, 2, 8, 1), eQeOk);
  EXPECT_EQ(picture->uiBytesPerLine, 8u);
  const unsigned int refused[][4] = {
      {4, 4, 16, 3}, {0, 4, 8, 3}, {4, 4, 8, 2}, {65536, 65536, 8, 3}};
  for (const auto& r : refused) {
    EXPECT_EQ(CQePicBufAPI::Reinit(picture.Get(), r[0], r[1], r[2], r[3]), eQeMissingArgument);
    EXPECT_EQ(picture->pData, nullptr) << "left freed";
  }
  CQePicBufAPI::Free(picture.Get());
  CQePicBufAPI::Free(picture.Get());
  EXPECT_EQ(picture->uiWidth, 0u);
}

TEST(PicBuf, ColorToGrayKeepsGrayValuesAndWeighsColours) {
  CQePicBufOwner color, gray, wrong, empty, target;
  ASSERT_EQ(CQePicBufAPI::Reinit(color.Get(), 3, 2, 8, 3), eQeOk);
  const uint8_t pixels[9] = {255, 0, 0, 0, 255, 0, 90, 90, 90};
  std::copy(pixels, pixels + 9, color->pData);
  ASSERT_EQ(CQePicBufAPI::ColorToGray(gray.Get(), color.Get()), eQeOk);
  EXPECT_EQ(gray->uiComponents, 1u);
  EXPECT_EQ(At(gray.Get(), 0, 0), 77);
  EXPECT_EQ(At(gray.Get(), 1, 0), 149);
  EXPECT_EQ(At(gray.Get(), 2, 0), 90);
  EXPECT_EQ(At(gray.Get(), 2, 1), 0);
  ASSERT_EQ(CQePicBufAPI::Reinit(wrong.Get(), 3, 2, 8, 3), eQeOk);
  EXPECT_EQ(CQePicBufAPI::ColorToGray(wrong.Get(), color.Get()), eQeMissingArgument);
  EXPECT_EQ(CQePicBufAPI::ColorToGray(target.Get(), empty.Get()), eQeMissingArgument);
}

TEST(PicMem, ExpandComponentFillsEveryComponentOfEveryRow) {
  CQePicBufOwner gray, rgb, other;
  ASSERT_EQ(CQePicBufAPI::Reinit(gray.Get(), 3, 2, 8, 1), eQeOk);
  ASSERT_EQ(CQePicBufAPI::Reinit(rgb.Get(), 3, 2, 8, 3), eQeOk);
  for (unsigned int i = 0; i < 6; ++i)
    gray->pData[i / 3 * gray->uiBytesPerLine + i % 3] = 10 * (i / 3) + i % 3;
  ASSERT_EQ(CQePicMemAPI::ExpandComponent(rgb.Get(), gray.Get()), eQeOk);
  for (unsigned int i = 0; i < 18; ++i) {
    EXPECT_EQ(At(rgb.Get(), i / 3 % 3, i / 9, i % 3), 10 * (i / 9) + i / 3 % 3) << i;
  }
  EXPECT_EQ(rgb->pData[9], 0) << "the row padding stays zero";
  EXPECT_EQ(rgb->pData[rgb->uiBytesPerLine + 9], 0);
  EXPECT_EQ(CQePicMemAPI::ExpandComponent(rgb.Get(), gray.Get(), 1), eQeMissingArgument);
  ASSERT_EQ(CQePicBufAPI::Reinit(other.Get(), 2, 2, 8, 3), eQeOk);
  EXPECT_EQ(CQePicMemAPI::ExpandComponent(other.Get(), gray.Get()), eQeMissingArgument);
}
