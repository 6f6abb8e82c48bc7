// Picture buffers: layout, limits and gray conversion.
#include "qe/picture/pic_buf.h"

#include <gtest/gtest.h>

#include "picture/test_images.h"
#include "qe/core/status.h"

using qe::test::At;

TEST(PicBuf, ReinitPadsRowsToFourBytesZeroesAndRefusesWhatItCannotHold) {
  CQePicBufOwner picture;
  ASSERT_EQ(CQePicBufAPI::Reinit(picture.Get(), 5, 3, 8, 3), eQeOk);
  EXPECT_EQ(picture->uiBytesPerLine, 16u);
  EXPECT_EQ(picture->uiByteSize, 48u);
  for (unsigned int i = 0; i < picture->uiByteSize; ++i) ASSERT_EQ(picture->pData[i], 0);
  const unsigned int refused[][4] = {{4, 4, 16, 3}, {0, 4, 8, 3}, {65536, 65536, 8, 3}};
  for (const auto& r : refused) {
    EXPECT_EQ(CQePicBufAPI::Reinit(picture.Get(), r[0], r[1], r[2], r[3]), eQeMissingArgument);
    EXPECT_EQ(picture->pData, nullptr) << "left freed";
  }
}

TEST(PicBuf, ColorToGrayWeighsColoursAndRefusesAColourTarget) {
  CQePicBufOwner color, gray, wrong;
  ASSERT_EQ(CQePicBufAPI::Reinit(color.Get(), 3, 2, 8, 3), eQeOk);
  const uint8_t pixels[9] = {255, 0, 0, 0, 255, 0, 90, 90, 90};
  std::copy(pixels, pixels + 9, color->pData);
  ASSERT_EQ(CQePicBufAPI::ColorToGray(gray.Get(), color.Get()), eQeOk);
  EXPECT_EQ(gray->uiComponents, 1u);
  EXPECT_EQ(At(gray.Get(), 0, 0), 77);
  EXPECT_EQ(At(gray.Get(), 1, 0), 149);
  EXPECT_EQ(At(gray.Get(), 2, 0), 90);
  ASSERT_EQ(CQePicBufAPI::Reinit(wrong.Get(), 3, 2, 8, 3), eQeOk);
  EXPECT_EQ(CQePicBufAPI::ColorToGray(wrong.Get(), color.Get()), eQeMissingArgument);
}
