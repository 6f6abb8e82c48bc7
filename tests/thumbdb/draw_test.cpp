// Drawing requests into a drawing surface: the fit, the cross and "N/A".
#include "qe/picture/drawing_surface.h"
#include "thumbdb/pipeline_fixture.h"

namespace qe::test {
namespace {

bool IsWhite(const CQeDrawingSurface& surface, int x, int y) {
  return surface.GetPixel(x, y) == CQeDrawingSurface::kWhite;
}

bool RowIsWhite(const CQeDrawingSurface& surface, int y) {
  for (int x = 0; x < surface.Width(); ++x) {
    if (!IsWhite(surface, x, y)) return false;
  }
  return true;
}

class ThumbDrawTest : public ThumbPipelineTest {
 protected:
  // A request read at once from an open file.
  CQeRefCountPtr<CQeProjectThumb> FromFile(const std::wstring& file, int seq) {
    CQeRefCountPtr<IQeImageFormatHandler> handler;
    CQeRefCountPtr<IQeInputImageFile> input;
    if (manager_.GetHandlerForFileName(file.c_str(), handler) != 0 ||
        handler->OpenInputFile(file.c_str(), input) != 0) {
      return nullptr;
    }
    return thumbs_->CreateThumbnailFromFile(L"run", 0, file.c_str(), seq, input.Get());
  }
  // A request whose load failed (its file is missing).
  CQeRefCountPtr<CQeProjectThumb> Failed() {
    auto delivery = Thumb(L"run", 99, dir_.FileW("missing.tif"), 0, 99);
    EXPECT_EQ(delivery.request->Result(), -9);
    return delivery.request;
  }
};

TEST_F(ThumbDrawTest, WidePictureIsFittedAndCentredVertically) {
  auto request = FromFile(Tiff("wide.tif", {RedBlue(256, 128)}), 0);
  ASSERT_TRUE(request);
  EXPECT_EQ(request->RequestId(), 0);
  EXPECT_EQ(request->Callback(), nullptr);
  ASSERT_EQ(request->PicBuf().uiWidth, 128u);
  ASSERT_EQ(request->PicBuf().uiHeight, 64u);
  CQeDrawingSurface surface(100, 100);
  int x = -1, y = -1, width = -1, height = -1;
  EXPECT_EQ(request->DrawIntoDC(surface.Handle(), 0, 0, 100, 100, &x, &y, &width, &height), 0);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 25);
  EXPECT_EQ(width, 100);
  EXPECT_EQ(height, 50);
  EXPECT_TRUE(RowIsWhite(surface, 24));
  EXPECT_TRUE(RowIsWhite(surface, 75));
  EXPECT_GT(surface.GetPixel(10, 50).r, 180);  // red half
  EXPECT_GT(surface.GetPixel(90, 50).b, 180);  // blue half
}

TEST_F(ThumbDrawTest, TallPictureIsCentredHorizontallyAndNearFitsAreKept) {
  auto request = FromFile(Tiff("tall.tif", {Flat(64, 128, 50)}), 0);
  ASSERT_TRUE(request);
  CQeDrawingSurface surface(100, 100);
  int x = -1, y = -1, width = -1, height = -1;
  EXPECT_EQ(request->DrawIntoDC(surface.Handle(), 0, 0, 100, 100, &x, &y, &width, &height), 0);
  EXPECT_EQ(x, 25);
  EXPECT_EQ(width, 50);
  EXPECT_EQ(height, 100);
  EXPECT_TRUE(IsWhite(surface, 24, 50));
  EXPECT_EQ(surface.GetPixel(26, 50).g, 50);
  // 51 high for a picture that would fill 51.2: within a pixel, so kept as given.
  EXPECT_EQ(request->DrawIntoDC(surface.Handle(), 0, 0, 26, 51, &x, &y, &width, &height), 0);
  EXPECT_EQ(width, 26);
  EXPECT_EQ(height, 51);
  // Null out pointers are allowed; an unknown surface cannot be drawn on.
  EXPECT_EQ(request->DrawIntoDC(surface.Handle(), 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr),
            0);
  EXPECT_EQ(request->DrawIntoDC(0xfffffff0u, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr),
            -11);
}

TEST_F(ThumbDrawTest, NoPictureInASmallRectangleDrawsACross) {
  auto request = Failed();
  CQeDrawingSurface surface(60, 130);
  int x = -1, y = -1, width = -1, height = -1;
  EXPECT_EQ(request->DrawIntoDC(surface.Handle(), 5, 10, 30, 100, &x, &y, &width, &height), 0);
  EXPECT_EQ(x, 5);
  EXPECT_EQ(y, 10);
  EXPECT_EQ(width, 30);
  EXPECT_EQ(height, 100);
  EXPECT_FALSE(IsWhite(surface, 5, 10));   // start of the first line
  EXPECT_FALSE(IsWhite(surface, 35, 10));  // start of the second line
  EXPECT_FALSE(IsWhite(surface, 20, 60));  // where they cross
  EXPECT_TRUE(IsWhite(surface, 20, 12));
}

TEST_F(ThumbDrawTest, NoPictureInALargerRectangleDrawsNotAvailable) {
  auto request = Failed();
  CQeDrawingSurface drawn(31, 31);
  EXPECT_EQ(request->DrawIntoDC(drawn.Handle(), 0, 0, 31, 31, nullptr, nullptr, nullptr, nullptr),
            0);
  CQeDrawingSurface expected(31, 31);
  expected.DrawText(L"N/A", SQeRect{0, 0, 31, 31}, 37);
  int dark = 0;
  for (int y = 0; y < 31; ++y) {
    for (int x = 0; x < 31; ++x) {
      ASSERT_EQ(drawn.GetPixel(x, y), expected.GetPixel(x, y)) << x << "," << y;
      dark += IsWhite(drawn, x, y) ? 0 : 1;
    }
  }
  EXPECT_GT(dark, 10);
  EXPECT_TRUE(IsWhite(drawn, 0, 0));  // no cross
}

TEST_F(ThumbDrawTest, UnreadableFrameGivesNoRequest) {
  const std::wstring file = Tiff("one.tif", {Flat(20, 20, 5)});
  EXPECT_FALSE(FromFile(file, 1));
  EXPECT_FALSE(thumbs_->CreateThumbnailFromFile(L"run", 0, file.c_str(), 0, nullptr));
}

}  // namespace
}  // namespace qe::test
