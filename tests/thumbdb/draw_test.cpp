// Drawing requests into a drawing surface: the fit, the cross and "N/A".
#include <array>

#include "qe/picture/drawing_surface.h"
#include "thumbdb/thumb_fixtures.h"

namespace qe::test {
namespace {

bool IsWhite(const CQeDrawingSurface& surface, int x, int y) {
  return surface.GetPixel(x, y) == CQeDrawingSurface::kWhite;
}

class ThumbDrawTest : public ThumbPipelineTest {
 protected:
  // A request read at once from an open file.
  CQeRefCountPtr<CQeProjectThumb> FromFile(const std::wstring& file, int seq) {
    CQeRefCountPtr<IQeInputImageFile> input;
    if (OpenImage(file, input) != 0) return nullptr;
    return thumbs_->CreateThumbnailFromFile(L"run", 0, file.c_str(), seq, input.Get());
  }
  // Draws into surface and returns the rectangle drawn into: x, y, width, height.
  std::array<int, 4> Draw(const CQeProjectThumb& request, CQeDrawingSurface& surface, int x, int y,
                          int width, int height) {
    std::array<int, 4> r{-1, -1, -1, -1};
    EXPECT_EQ(request.DrawIntoDC(surface.Handle(), x, y, width, height, &r[0], &r[1], &r[2], &r[3]),
              0);
    return r;
  }
};

TEST_F(ThumbDrawTest, WidePictureIsFittedAndCentredVertically) {
  const std::wstring file = Tiff("wide.tif", {RedBlue(256, 128)});
  EXPECT_FALSE(FromFile(file, 1)) << "no such page";
  auto request = FromFile(file, 0);
  ASSERT_TRUE(request);
  ASSERT_EQ(request->PicBuf().uiWidth, 128u);
  ASSERT_EQ(request->PicBuf().uiHeight, 64u);
  CQeDrawingSurface surface(100, 100);
  EXPECT_EQ(Draw(*request, surface, 0, 0, 100, 100), (std::array<int, 4>{0, 25, 100, 50}));
  for (int x = 0; x < 100; ++x) ASSERT_TRUE(IsWhite(surface, x, 24) && IsWhite(surface, x, 75));
  EXPECT_GT(surface.GetPixel(10, 50).r, 180);  // red half
  EXPECT_GT(surface.GetPixel(90, 50).b, 180);  // blue half
  EXPECT_EQ(request->DrawIntoDC(0xfffffff0u, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr), -11)
      << "an unknown surface";
}

TEST_F(ThumbDrawTest, NoPictureDrawsACrossInASmallRectangleAndNotAvailableInALargerOne) {
  auto request = Thumb(L"run", 99, dir_.FileW("missing.tif"), 0, 99).request;  // load failed
  ASSERT_EQ(request->Result(), -9);
  CQeDrawingSurface surface(60, 130);
  EXPECT_EQ(Draw(*request, surface, 5, 10, 30, 100), (std::array<int, 4>{5, 10, 30, 100}));
  EXPECT_FALSE(IsWhite(surface, 5, 10));   // start of the first line
  EXPECT_FALSE(IsWhite(surface, 35, 10));  // start of the second line
  EXPECT_FALSE(IsWhite(surface, 20, 60));  // where they cross
  EXPECT_TRUE(IsWhite(surface, 20, 12));

  CQeDrawingSurface text(31, 31), expected(31, 31);
  Draw(*request, text, 0, 0, 31, 31);
  expected.DrawText(L"N/A", SQeRect{0, 0, 31, 31}, 37);
  int dark = 0;
  for (int i = 0; i < 31 * 31; ++i) {
    ASSERT_EQ(text.GetPixel(i % 31, i / 31), expected.GetPixel(i % 31, i / 31)) << i;
    dark += IsWhite(text, i % 31, i / 31) ? 0 : 1;
  }
  EXPECT_GT(dark, 10);
  EXPECT_TRUE(IsWhite(text, 0, 0));  // no cross
}

}  // namespace
}  // namespace qe::test
