// Filled polygons on the drawing surface (the wells of a plate map).
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "qe/picture/drawing_surface.h"

namespace {

constexpr SQeColor kInk{200, 30, 30};
constexpr SQeColor kPaper = CQeDrawingSurface::kWhite;

int Count(const CQeDrawingSurface& surface) {
  int n = 0;
  for (int i = 0; i < surface.Width() * surface.Height(); ++i) {
    n += surface.GetPixel(i % surface.Width(), i / surface.Width()) == kInk;
  }
  return n;
}

std::vector<SQePoint> Circle(int cx, int cy, double r, int corners) {
  std::vector<SQePoint> points;
  for (int i = 0; i < corners; ++i) {
    const double a = 2 * std::numbers::pi * i / corners;
    points.push_back({static_cast<int>(std::lround(cx + r * std::cos(a))),
                      static_cast<int>(std::lround(cy + r * std::sin(a)))});
  }
  return points;
}

TEST(FillPolygon, RectanglesMatchFillRectAndCirclesCoverTheirArea) {
  CQeDrawingSurface polygon(12, 10, kPaper), rect(12, 10, kPaper);
  polygon.FillPolygon({{2, 2}, {9, 2}, {9, 7}, {2, 7}}, kInk);
  rect.FillRect({2, 2, 9, 7}, kInk);
  for (int i = 0; i < 120; ++i) {
    ASSERT_EQ(polygon.GetPixel(i % 12, i / 12), rect.GetPixel(i % 12, i / 12)) << i;
  }
  CQeDrawingSurface surface(60, 60, kPaper);
  surface.FillPolygon(Circle(30, 30, 20, 96), kInk);
  const double area = std::numbers::pi * 20 * 20;
  EXPECT_NEAR(Count(surface), area, area * 0.03);
  EXPECT_EQ(surface.GetPixel(30, 30), kInk);
  EXPECT_EQ(surface.GetPixel(48, 30), kInk);
  EXPECT_EQ(surface.GetPixel(52, 30), kPaper);
  EXPECT_EQ(surface.GetPixel(30, 8), kPaper);
  EXPECT_EQ(surface.GetPixel(13, 13), kPaper) << "corners of the bounding square are outside";
}

TEST(FillPolygon, OverlapsFollowTheEvenOddRule) {
  // A five-pointed star drawn in one stroke: its centre pentagon is crossed
  // twice and stays empty, its tips are filled.
  std::vector<SQePoint> star;
  const std::vector<SQePoint> tips = Circle(40, 40, 36, 5);
  for (int i = 0; i < 5; ++i) star.push_back(tips[(i * 2) % 5]);
  CQeDrawingSurface surface(80, 80, kPaper);
  surface.FillPolygon(star, kInk);
  EXPECT_EQ(surface.GetPixel(40, 40), kPaper);
  EXPECT_EQ(surface.GetPixel(70, 40), kInk);  // the tip at angle 0
}

TEST(FillPolygon, IsClippedToTheSurfaceAndIgnoresTooFewPoints) {
  CQeDrawingSurface surface(10, 10, kPaper);
  surface.FillPolygon({{-50, -50}, {5, -50}, {5, 60}, {-50, 60}}, kInk);
  EXPECT_EQ(Count(surface), 50);
  EXPECT_EQ(surface.GetPixel(4, 9), kInk);
  EXPECT_EQ(surface.GetPixel(5, 0), kPaper);
  CQeDrawingSurface empty(10, 10, kPaper);
  empty.FillPolygon({}, kInk);
  empty.FillPolygon({{1, 1}, {8, 8}}, kInk);
  empty.FillPolygon({{1, 1}, {8, 1}, {8, 1}}, kInk);  // no area
  EXPECT_EQ(Count(empty), 0);
}

}  // namespace
