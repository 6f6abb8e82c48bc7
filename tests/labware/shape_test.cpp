#include "qe/labware/shape.h"

#include <gtest/gtest.h>

#include <limits>

#include "qe/core/status.h"
#include "qe/labware/layout_element.h"

namespace {

using Point = CQePointBase<double>;
using Rect = CQeRectBase<double>;

const std::vector<Point> kTriangle = {{0, 0}, {4000, 1000}, {1000, 3000}};

TEST(Shape, BoundRectAndExtentsByType) {
  Rect r;
  SQeShape circle(500);
  circle.ptCenter = Point(1000, 2000);
  ASSERT_EQ(circle.GetBoundRect(r), eQeOk);
  EXPECT_EQ(r, Rect(500, 1500, 1500, 2500));
  const SQeShape triangle(kTriangle);
  ASSERT_EQ(triangle.GetBoundRect(r), eQeOk);
  EXPECT_EQ(r, Rect(0, 0, 4000, 3000));
  EXPECT_EQ(Rect(triangle.Left(), triangle.Top(), triangle.Width(), triangle.Height()), r);
  EXPECT_EQ(triangle.CenterPoint(), Point(2000, 1500));
  // Failures leave the output alone.
  EXPECT_EQ(SQeShape().GetBoundRect(r), eQeNotFound);
  EXPECT_EQ(SQeShape(std::vector<Point>{{0, 0}, {1, 1}}).GetBoundRect(r), eQeFailed);
  EXPECT_EQ(r, Rect(0, 0, 4000, 3000));
  EXPECT_EQ(SQeShape(std::vector<Point>{}).Left(), std::numeric_limits<double>::max());
  EXPECT_EQ(SQeShape(std::vector<Point>{}).Width(), 0);
}

TEST(Shape, IsInsideIncludesBordersAndRoundedCorners) {
  EXPECT_TRUE(SQeShape(1000).IsInside(Point(1000, 0)));
  EXPECT_FALSE(SQeShape(1000).IsInside(Point(800, 800)));
  EXPECT_TRUE(SQeShape(2000, 1000).IsInside(Point(1000, 500)));
  EXPECT_FALSE(SQeShape(2000, 1000).IsInside(Point(1000.5, 0)));
  // 2000 x 2000 with corners of radius 500: the tip is out, near the arc in.
  const SQeShape rounded(2000, 2000, 500);
  for (const Point& p : {Point(0, 0), Point(1000, 0), Point(0, -1000), Point(800, -800)}) {
    EXPECT_TRUE(rounded.IsInside(p)) << p.x << "," << p.y;
  }
  for (const Point& p : {Point(1000, 1000), Point(950, -950), Point(1001, 0)}) {
    EXPECT_FALSE(rounded.IsInside(p)) << p.x << "," << p.y;
  }
  EXPECT_FALSE(SQeShape(kTriangle).IsInside(Point(1000, 1000)));
  EXPECT_FALSE(SQeShape().IsInside(Point(0, 0)));
}

TEST(Shape, EqualityIsExactAndPerType) {
  EXPECT_TRUE(SQeShape() == SQeShape());
  EXPECT_FALSE(SQeShape(2285) == SQeShape(2285.001));
  SQeShape moved(2285);
  moved.ptCenter.x = 1;
  EXPECT_FALSE(SQeShape(2285) == moved);
  EXPECT_FALSE(SQeShape(100, 100) == SQeShape(100, 100, 0));
  EXPECT_FALSE(SQeShape(100, 100, 5) == SQeShape(100, 100, 6));
  SQeShape rect(100, 100);
  rect.dRadius = 7;  // not part of a rectangle
  EXPECT_TRUE(rect == SQeShape(100, 100));
  EXPECT_FALSE(SQeShape(kTriangle) == SQeShape({kTriangle.rbegin(), kTriangle.rend()}));
  EXPECT_TRUE(SQeShape(kTriangle) == SQeShape(kTriangle));
}

TEST(Shape, DescriptionsPrintMillimetres) {
  EXPECT_EQ(SQeShape(2285).GetHumanReadableDesc(), L"radius 2.3 mm");
  EXPECT_EQ(SQeShape(1700, 10290).GetHumanReadableDesc(), L"width 1.7 mm, height 10.3 mm");
  EXPECT_EQ(SQeShape(75000, 25000, 1500).GetHumanReadableDesc(),
            L"width 75.0 mm, height 25.0 mm, radius 1.5 mm");
  EXPECT_EQ(SQeShape(kTriangle).GetHumanReadableDesc(), L"Polygon");
  EXPECT_EQ(SQeShape().GetHumanReadableDesc(), L"");
  EXPECT_EQ(CQeLayoutElement().GetHumanReadableDesc(), L"");
  EXPECT_EQ(CQeLayoutElement(SQeShape(3500)).GetHumanReadableDesc(),
            L"Working Area: radius 3.5 mm");
}

TEST(LayoutElement, RestrictionEmptinessGeometryAndEquality) {
  CQeLayoutElement element;
  Rect r;
  EXPECT_TRUE(element.IsEmpty());
  EXPECT_EQ(element.GetBoundRect(r), eQeFailed);
  element.SetRestrictionEdge(100);
  EXPECT_TRUE(element.HasRestriction());
  EXPECT_TRUE(element.IsEmpty());  // distances alone are no element
  element.SetRestrictionEdge(0);
  element.SetRestrictionPolygon({{0, 0}, {1, 1}});
  EXPECT_FALSE(element.HasRestriction());
  EXPECT_FALSE(element.IsEmpty());
  // Without an active area the geometry is the restriction polygon's.
  element.SetRestrictionPolygon(kTriangle);
  ASSERT_EQ(element.GetBoundRect(r), eQeOk);
  EXPECT_EQ(r, Rect(0, 0, 4000, 3000));
  EXPECT_EQ(element.Width() + element.Height(), 7000);
  element.SetActiveArea(SQeShape(1000));
  ASSERT_EQ(element.GetBoundRect(r), eQeOk);
  EXPECT_EQ(r, Rect(-1000, -1000, 1000, 1000));

  // Equality compares the distances unless shape only, never the polygon.
  CQeLayoutElement other(SQeShape(1000));
  EXPECT_TRUE(element.EqualElement(other, false));
  other.SetRestrictionCenter(300);
  EXPECT_TRUE(element.EqualElement(other, true));
  EXPECT_FALSE(element.EqualElement(other, false));
  EXPECT_FALSE(element.EqualElement(CQeLayoutElement(SQeShape(1001)), true));
}

}  // namespace
