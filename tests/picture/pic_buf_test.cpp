// Picture buffers: layout and limits. (Gray conversion is checked through the
// TIFF reader.)
#include "qe/picture/pic_buf.h"

#include <gtest/gtest.h>

#include "qe/core/status.h"

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
