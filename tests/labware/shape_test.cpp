#include "qe/labware/shape.h"

#include <gtest/gtest.h>

#include "qe/core/status.h"
#include "qe/labware/layout_element.h"

namespace {

using Point = CQePointBase<double>;
using Rect = CQeRectBase<double>;

const std::vector<Point> kTriangle = {{0, 0}, {4000, 1000}, {1000, 3000}};

TEST(Shape, IsInsideIncludesBordersAndRoundedCorners) {
  EXPECT_TRUE(SQeShape(1000).IsInside(Point(1000, 0)));
  EXPECT_FALSE(SQeShape(1000).IsInside(Point(800, 800)));
  // 2000 x 2000 with corners of radius 500: the tip is out, near the arc in.
  const SQeShape rounded(2000, 2000, 500);
  for (const Point& p : {Point(1000, 0), Point(0, -1000), Point(800, -800)}) {
    EXPECT_TRUE(rounded.IsInside(p)) << p.x << "," << p.y;
  }
  for (const Point& p : {Point(950, -950), Point(1001, 0)}) {
    EXPECT_FALSE(rounded.IsInside(p)) << p.x << "," << p.y;
  }
  EXPECT_FALSE(SQeShape(kTriangle).IsInside(Point(1000, 1000)));
  // A failed bound rectangle leaves the output alone.
  Rect r(1, 2, 3, 4);
  EXPECT_EQ(SQeShape(std::vector<Point>{{0, 0}, {1, 1}}).GetBoundRect(r), eQeFailed);
  EXPECT_EQ(r, Rect(1, 2, 3, 4));
}

TEST(Shape, DescriptionsPrintMillimetres) {
  EXPECT_EQ(SQeShape(1700, 10290).GetHumanReadableDesc(), L"width 1.7 mm, height 10.3 mm");
  EXPECT_EQ(SQeShape(75000, 25000, 1500).GetHumanReadableDesc(),
            L"width 75.0 mm, height 25.0 mm, radius 1.5 mm");
  EXPECT_EQ(CQeLayoutElement(SQeShape(3500)).GetHumanReadableDesc(),
            L"Working Area: radius 3.5 mm");
}

TEST(LayoutElement, DistancesAloneAreNoElementAndTheGeometryFallsBackToThePolygon) {
  CQeLayoutElement element;
  element.SetRestrictionEdge(100);
  EXPECT_TRUE(element.HasRestriction());
  EXPECT_TRUE(element.IsEmpty());
  element.SetRestrictionPolygon(kTriangle);
  Rect r;
  ASSERT_EQ(element.GetBoundRect(r), eQeOk);
  EXPECT_EQ(r, Rect(0, 0, 4000, 3000));
  element.SetActiveArea(SQeShape(1000));
  ASSERT_EQ(element.GetBoundRect(r), eQeOk);
  EXPECT_EQ(r, Rect(-1000, -1000, 1000, 1000));
  // Equality compares the distances unless shape only, never the polygon.
  CQeLayoutElement other(SQeShape(1000));
  EXPECT_TRUE(element.EqualElement(other, true));
  EXPECT_FALSE(element.EqualElement(other, false));
}

}  // namespace
