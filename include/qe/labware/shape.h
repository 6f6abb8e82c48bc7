// A closed outline in the stage plane: circle, rectangle, rounded rectangle
// or polygon.
//
// Conventions:
//  - Lengths and coordinates are micrometres (a 9 mm pitch is 9000); x grows
//    to the right, y downwards. Texts for people print millimetres.
//  - Plain copyable value; the caller owns it. Status results: 0 success,
//    -9 (eQeFailed) and -13 (eQeNotFound) as each function says.
//  - Stored form: lite-variant level "SQeShape" holding "eType" and, by type,
//    "dRadius", "ptCenterX", "ptCenterY" (circle); "RectL", "RectT", "RectR",
//    "RectB" (rectangles) then "dRadius" (rounded rectangle only);
//    "iPointCount" and level "pPolygonRest" with one unnamed level per point
//    holding "dX", "dY" (polygon). These names are file format.
#pragma once

#include <cstdint>
#include <vector>

#include "qe/core/geometry.h"
#include "qe/core/string.h"

class CQeLiteVariantW;
class CQeLiteVariantR;

enum EQeShapeType : int32_t {
  eQeShapeEmpty = 0,
  eQeShapeCircle = 1,
  eQeShapeRectangle = 2,
  eQeShapeRoundedRectangle = 3,
  eQeShapePolygon = 4,
};

struct SQeShape {
  // Loaded data may carry a type outside the list; such a shape behaves
  // like an empty one except that it is not IsEmpty.
  EQeShapeType eType = eQeShapeEmpty;
  // Circle radius, or the corner radius of a rounded rectangle.
  double dRadius = 0;
  // Circle centre.
  CQePointBase<double> ptCenter;
  // Rectangle and rounded rectangle.
  CQeRectBase<double> rect;
  // Polygon corners in order.
  std::vector<CQePointBase<double>> vectPoints;

  // Empty shape, every value 0.
  SQeShape() = default;
  // Circle of radius r centred on the origin.
  explicit SQeShape(double r);
  // Rectangle w x h centred on the origin.
  SQeShape(double w, double h);
  // The same rectangle with corners rounded to radius r.
  SQeShape(double w, double h, double r);
  // Polygon through the points in order.
  explicit SQeShape(std::vector<CQePointBase<double>> points);

  bool IsEmpty() const { return eType == eQeShapeEmpty; }
  // Same type and exactly equal values of that type (no tolerance): circle
  // radius and centre; rectangle sides; rounded rectangle sides and radius;
  // polygon points pairwise in order. Two empty shapes are equal.
  bool operator==(const SQeShape& other) const;

  // The smallest axis-aligned rectangle around the shape. 0; -13 for an empty
  // or unknown type; -9 for a polygon of fewer than 3 points. The output is
  // written only on success.
  int GetBoundRect(CQeRectBase<double>& bound) const;
  // Leftmost x and topmost y. A polygon without points gives the largest
  // double; an empty shape 0.
  double Left() const;
  double Top() const;
  // Extent along x and y; 0 for an empty shape or a polygon without points.
  double Width() const;
  double Height() const;
  // Circle centre, middle of the rectangle, or middle of the polygon's
  // bounding rectangle; (0, 0) when empty.
  CQePointBase<double> CenterPoint() const;
  // Whether the point lies in the shape, borders included. A polygon or an
  // empty shape contains no point.
  bool IsInside(const CQePointBase<double>& point) const;

  // Writes level "SQeShape" at the writer's current level. 0, or -9 when the
  // level cannot be opened.
  int SaveToLiteVariant(CQeLiteVariantW& writer) const;
  // Reads level "SQeShape" at the reader's current level: -9 when it is
  // missing, else 0. Every key is read whatever the type, with 0 as default;
  // the polygon points stored are appended to those already held, so load
  // into a fresh shape. The point count stored is only an upper bound: the
  // points present are read and no more.
  int LoadFromLiteVariant(CQeLiteVariantR& reader);

  // For people, in millimetres: "radius 2.3 mm"; "width 1.7 mm, height
  // 1.7 mm"; the rounded rectangle adds ", radius ..."; "Polygon"; empty for
  // an empty shape. Words pass through QE_GetTranslation.
  CQeStringW GetHumanReadableDesc() const;
};

namespace qe::labware {
// Bounding rectangle of a list of points: 0, or -9 for fewer than 3 points
// (the output is then untouched).
int PolygonBoundRect(const std::vector<CQePointBase<double>>& points, CQeRectBase<double>& bound);
}  // namespace qe::labware
