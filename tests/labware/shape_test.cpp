#include "qe/labware/shape.h"

#include <gtest/gtest.h>

#include <limits>

#include "qe/core/status.h"
#include "qe/labware/layout_element.h"

namespace {

using Point = CQePointBase<double>;
using Rect = CQeRectBase<double>;

const std::vector<Point> kTriangle = {{0, 0}, {4000, 1000}, {1000, 3000}};

TEST(Shape, BoundRectByType) {
  Rect r(1, 2, 3, 4);
  SQeShape circle(500);
  circle.ptCenter = Point(1000, 2000);
  ASSERT_EQ(circle.GetBoundRect(r), eQeOk);
  EXPECT_EQ(r, Rect(500, 1500, 1500, 2500));
  ASSERT_EQ(SQeShape(kTriangle).GetBoundRect(r), eQeOk);
  EXPECT_EQ(r, Rect(0, 0, 4000, 3000));

  const Rect untouched(1, 2, 3, 4);
  r = untouched;
  EXPECT_EQ(SQeShape().GetBoundRect(r), eQeNotFound);
  SQeShape unknown;
  unknown.eType = static_cast<EQeShapeType>(12);
  EXPECT_EQ(unknown.GetBoundRect(r), eQeNotFound);
  EXPECT_EQ(SQeShape(std::vector<Point>{{0, 0}, {1, 1}}).GetBoundRect(r), eQeFailed);
  EXPECT_EQ(r, untouched);
}

TEST(Shape, ExtentsOfPolygonsAndEmptyShapes) {
  const SQeShape triangle(kTriangle);
  EXPECT_EQ(triangle.Left(), 0);
  EXPECT_EQ(triangle.Top(), 0);
  EXPECT_EQ(triangle.Width(), 4000);
  EXPECT_EQ(triangle.Height(), 3000);
  EXPECT_EQ(triangle.CenterPoint(), Point(2000, 1500));
  const SQeShape no_points(std::vector<Point>{});
  EXPECT_EQ(no_points.Left(), std::numeric_limits<double>::max());
  EXPECT_EQ(no_points.Width(), 0);
  EXPECT_EQ(SQeShape().Left(), 0);
  EXPECT_EQ(SQeShape().Width(), 0);
  EXPECT_EQ(SQeShape().CenterPoint(), Point(0, 0));
  SQeShape moved(1000, 2000);
  moved.rect = Rect(100, 200, 1100, 2200);
  EXPECT_EQ(moved.CenterPoint(), Point(600, 1200));
}

TEST(Shape, IsInsideIncludesBordersAndRoundedCorners) {
  const SQeShape circle(1000);
  EXPECT_TRUE(circle.IsInside(Point(1000, 0)));
  EXPECT_FALSE(circle.IsInside(Point(800, 800)));
  const SQeShape rect(2000, 1000);
  EXPECT_TRUE(rect.IsInside(Point(1000, 500)));
  EXPECT_FALSE(rect.IsInside(Point(1000.5, 0)));
  // A 2000 x 2000 square with 500 corners: the corner tip is outside, a
  // point near the corner circle inside.
  const SQeShape rounded(2000, 2000, 500);
  EXPECT_TRUE(rounded.IsInside(Point(0, 0)));
  EXPECT_TRUE(rounded.IsInside(Point(1000, 0)));
  EXPECT_TRUE(rounded.IsInside(Point(0, -1000)));
  EXPECT_FALSE(rounded.IsInside(Point(1000, 1000)));
  EXPECT_FALSE(rounded.IsInside(Point(950, -950)));
  EXPECT_TRUE(rounded.IsInside(Point(800, -800)));
  EXPECT_FALSE(rounded.IsInside(Point(1001, 0)));
  EXPECT_FALSE(SQeShape(kTriangle).IsInside(Point(1000, 1000)));
  EXPECT_FALSE(SQeShape().IsInside(Point(0, 0)));
}

TEST(Shape, EqualityIsExactAndPerType) {
  EXPECT_TRUE(SQeShape() == SQeShape());
  EXPECT_TRUE(SQeShape(2285) == SQeShape(2285));
  EXPECT_FALSE(SQeShape(2285) == SQeShape(2285.001));
  SQeShape moved(2285);
  moved.ptCenter.x = 1;
  EXPECT_FALSE(SQeShape(2285) == moved);
  EXPECT_FALSE(SQeShape(100, 100) == SQeShape(100, 100, 0));
  EXPECT_FALSE(SQeShape(100, 100, 5) == SQeShape(100, 100, 6));
  // Values that do not belong to the type are not compared.
  SQeShape rect(100, 100);
  rect.dRadius = 7;
  EXPECT_TRUE(rect == SQeShape(100, 100));
  std::vector<Point> reversed(kTriangle.rbegin(), kTriangle.rend());
  EXPECT_FALSE(SQeShape(kTriangle) == SQeShape(reversed));
  EXPECT_TRUE(SQeShape(kTriangle) == SQeShape(kTriangle));
}

TEST(Shape, DescriptionsPrintMillimetres) {
  EXPECT_EQ(SQeShape(2285).GetHumanReadableDesc(), L"radius 2.3 mm");
  EXPECT_EQ(SQeShape(1700, 10290).GetHumanReadableDesc(), L"width 1.7 mm, height 10.3 mm");
  EXPECT_EQ(SQeShape(75000, 25000, 1500).GetHumanReadableDesc(),
            L"width 75.0 mm, height 25.0 mm, radius 1.5 mm");
  EXPECT_EQ(SQeShape(kTriangle).GetHumanReadableDesc(), L"Polygon");
  EXPECT_EQ(SQeShape().GetHumanReadableDesc(), L"");
}

TEST(LayoutElement, RestrictionAndEmptiness) {
  CQeLayoutElement element;
  EXPECT_TRUE(element.IsEmpty());
  EXPECT_FALSE(element.HasRestriction());
  element.SetRestrictionEdge(100);
  EXPECT_TRUE(element.HasRestriction());
  EXPECT_TRUE(element.IsEmpty());  // distances alone are no element
  element.SetRestrictionEdge(0);
  element.SetRestrictionPolygon({{0, 0}, {1, 1}});
  EXPECT_FALSE(element.HasRestriction());
  EXPECT_FALSE(element.IsEmpty());
  element.SetRestrictionPolygon(kTriangle);
  EXPECT_TRUE(element.HasRestriction());
  EXPECT_FALSE(CQeLayoutElement(SQeShape(10)).IsEmpty());
}

TEST(LayoutElement, GeometryFallsBackToTheRestrictionPolygon) {
  Rect r(9, 9, 9, 9);
  CQeLayoutElement element;
  EXPECT_EQ(element.GetBoundRect(r), eQeFailed);
  EXPECT_EQ(element.Width(), 0);
  element.SetRestrictionPolygon(kTriangle);
  ASSERT_EQ(element.GetBoundRect(r), eQeOk);
  EXPECT_EQ(r, Rect(0, 0, 4000, 3000));
  EXPECT_EQ(element.Width(), 4000);
  EXPECT_EQ(element.Height(), 3000);
  element.SetActiveArea(SQeShape(1000));
  ASSERT_EQ(element.GetBoundRect(r), eQeOk);
  EXPECT_EQ(r, Rect(-1000, -1000, 1000, 1000));
  EXPECT_EQ(element.Width(), 2000);
}

TEST(LayoutElement, EqualityComparesDistancesUnlessShapeOnly) {
  CQeLayoutElement a(SQeShape(2250));
  CQeLayoutElement b(SQeShape(2250));
  b.SetRestrictionCenter(300);
  b.SetRestrictionPolygon(kTriangle);
  EXPECT_TRUE(a.EqualElement(b, true));
  EXPECT_FALSE(a.EqualElement(b, false));
  a.SetRestrictionCenter(300);
  EXPECT_TRUE(a.EqualElement(b, false));  // the polygon is not compared
  EXPECT_FALSE(a.EqualElement(CQeLayoutElement(SQeShape(2251)), true));
}

TEST(LayoutElement, DescriptionNamesTheWorkingArea) {
  EXPECT_EQ(CQeLayoutElement().GetHumanReadableDesc(), L"");
  EXPECT_EQ(CQeLayoutElement(SQeShape(3500)).GetHumanReadableDesc(),
            L"Working Area: radius 3.5 mm");
}

}  // namespace
