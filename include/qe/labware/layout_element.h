// One element of a labware holder: a well, or the usable area of a dish or
// slide. It is an active area (a shape) and an optional restriction: edge
// and centre distances to keep clear, and a restriction polygon.
//
// Conventions:
//  - Lengths in micrometres, as for SQeShape. Plain copyable value.
//  - Status results: 0 success, -9 (eQeFailed), -13 (eQeNotFound).
//  - Stored form: lite-variant level "CQeLayoutElement" holding level
//    "ActiveArea" (only with an active area; it holds the shape's "SQeShape"
//    level) and level "AreaRestriction" (only with a restriction:
//    "dLeaveEdge", "dLeaveCenter" and, for a polygon of more than 2 points,
//    "uiPointCount" and level "pPolygonRest" with one unnamed level per point
//    holding "dX", "dY"). These names are file format.
#pragma once

#include <vector>

#include "qe/core/geometry.h"
#include "qe/core/string.h"
#include "qe/labware/shape.h"

class CQeLiteVariantW;
class CQeLiteVariantR;

class CQeLayoutElement {
 public:
  // No active area, no restriction.
  CQeLayoutElement() = default;
  // An element whose active area is the shape.
  explicit CQeLayoutElement(const SQeShape& active_area) : m_activeArea(active_area) {}

  bool HasActiveArea() const { return !m_activeArea.IsEmpty(); }
  const SQeShape& GetActiveArea() const { return m_activeArea; }
  void SetActiveArea(const SQeShape& shape) { m_activeArea = shape; }
  double GetRestrictionEdge() const { return m_dLeaveEdge; }
  void SetRestrictionEdge(double distance) { m_dLeaveEdge = distance; }
  double GetRestrictionCenter() const { return m_dLeaveCenter; }
  void SetRestrictionCenter(double distance) { m_dLeaveCenter = distance; }
  const std::vector<CQePointBase<double>>& GetRestrictionPolygon() const {
    return m_vectRestriction;
  }
  void SetRestrictionPolygon(const std::vector<CQePointBase<double>>& points) {
    m_vectRestriction = points;
  }

  // The polygon has more than 2 points, or a distance is above 0.
  bool HasRestriction() const;
  // No active area and no restriction point.
  bool IsEmpty() const;
  // The active areas are equal; unless shape_only, the edge and centre
  // distances too, exactly. The restriction polygon is never compared.
  bool EqualElement(const CQeLayoutElement& other, bool shape_only) const;

  // The active area's bounding rectangle when there is one (its status),
  // else the restriction polygon's (-9 for fewer than 3 points). The output
  // is written only on success.
  int GetBoundRect(CQeRectBase<double>& bound) const;
  // Extent of the active area; without one, of a restriction polygon of more
  // than 2 points; else 0.
  double Width() const;
  double Height() const;

  // Writes level "CQeLayoutElement" at the writer's current level and
  // returns the active area's save status (0 without an active area, and 0
  // when the element level itself cannot be opened).
  int SaveToLiteVariant(CQeLiteVariantW& writer) const;
  // Reads level "CQeLayoutElement": -9 when it is missing. Otherwise the
  // status of reading "ActiveArea" when that level is present, then 0 when a
  // restriction point list was read, else -9; an element with restriction
  // distances only thus loads its distances and gives -9. "ActiveArea"
  // replaces the active area when present; "AreaRestriction" sets both
  // distances (default 0) and replaces the polygon when present.
  int LoadFromLiteVariant(CQeLiteVariantR& reader);

  // Empty without an active area, else "Working Area: " (translated)
  // followed by the shape's description.
  CQeStringW GetHumanReadableDesc() const;

 private:
  SQeShape m_activeArea;
  double m_dLeaveEdge = 0;
  double m_dLeaveCenter = 0;
  std::vector<CQePointBase<double>> m_vectRestriction;
};
