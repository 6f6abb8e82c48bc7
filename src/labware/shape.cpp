#include "qe/labware/shape.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "labware/translate.h"
#include "qe/core/status.h"

namespace qe::labware {
namespace {

// Extremes over the points; for no points min is the largest double and max
// the lowest, so that callers can tell.
CQeRectBase<double> PointExtremes(const std::vector<CQePointBase<double>>& points) {
  constexpr double kMax = std::numeric_limits<double>::max();
  CQeRectBase<double> r(kMax, kMax, std::numeric_limits<double>::lowest(),
                        std::numeric_limits<double>::lowest());
  for (const auto& p : points) {
    r.left = std::min(r.left, p.x);
    r.top = std::min(r.top, p.y);
    r.right = std::max(r.right, p.x);
    r.bottom = std::max(r.bottom, p.y);
  }
  return r;
}

}  // namespace

int PolygonBoundRect(const std::vector<CQePointBase<double>>& points, CQeRectBase<double>& bound) {
  if (points.size() < 3) return eQeFailed;
  bound = PointExtremes(points);
  return eQeOk;
}

}  // namespace qe::labware

using qe::labware::PointExtremes;

SQeShape::SQeShape(double r) : eType(eQeShapeCircle), dRadius(r) {}

SQeShape::SQeShape(double w, double h)
    : eType(eQeShapeRectangle), rect(-0.5 * w, -0.5 * h, 0.5 * w, 0.5 * h) {}

SQeShape::SQeShape(double w, double h, double r)
    : eType(eQeShapeRoundedRectangle), dRadius(r), rect(-0.5 * w, -0.5 * h, 0.5 * w, 0.5 * h) {}

SQeShape::SQeShape(std::vector<CQePointBase<double>> points)
    : eType(eQeShapePolygon), vectPoints(std::move(points)) {}

bool SQeShape::operator==(const SQeShape& other) const {
  if (eType != other.eType) return false;
  switch (eType) {
    case eQeShapeCircle:
      return dRadius == other.dRadius && ptCenter == other.ptCenter;
    case eQeShapeRectangle:
      return rect == other.rect;
    case eQeShapeRoundedRectangle:
      return rect == other.rect && dRadius == other.dRadius;
    case eQeShapePolygon:
      return vectPoints == other.vectPoints;
    default:
      return true;
  }
}

int SQeShape::GetBoundRect(CQeRectBase<double>& bound) const {
  switch (eType) {
    case eQeShapeCircle:
      bound = CQeRectBase<double>(ptCenter.x - dRadius, ptCenter.y - dRadius, ptCenter.x + dRadius,
                                  ptCenter.y + dRadius);
      return eQeOk;
    case eQeShapeRectangle:
    case eQeShapeRoundedRectangle:
      bound = rect;
      return eQeOk;
    case eQeShapePolygon:
      return qe::labware::PolygonBoundRect(vectPoints, bound);
    default:
      return eQeNotFound;
  }
}

double SQeShape::Left() const {
  switch (eType) {
    case eQeShapeCircle:
      return ptCenter.x - dRadius;
    case eQeShapeRectangle:
    case eQeShapeRoundedRectangle:
      return rect.left;
    case eQeShapePolygon:
      return PointExtremes(vectPoints).left;
    default:
      return 0;
  }
}

double SQeShape::Top() const {
  switch (eType) {
    case eQeShapeCircle:
      return ptCenter.y - dRadius;
    case eQeShapeRectangle:
    case eQeShapeRoundedRectangle:
      return rect.top;
    case eQeShapePolygon:
      return PointExtremes(vectPoints).top;
    default:
      return 0;
  }
}

double SQeShape::Width() const {
  switch (eType) {
    case eQeShapeCircle:
      return 2 * dRadius;
    case eQeShapeRectangle:
    case eQeShapeRoundedRectangle:
      return rect.Width();
    case eQeShapePolygon:
      return vectPoints.empty() ? 0 : PointExtremes(vectPoints).Width();
    default:
      return 0;
  }
}

double SQeShape::Height() const {
  switch (eType) {
    case eQeShapeCircle:
      return 2 * dRadius;
    case eQeShapeRectangle:
    case eQeShapeRoundedRectangle:
      return rect.Height();
    case eQeShapePolygon:
      return vectPoints.empty() ? 0 : PointExtremes(vectPoints).Height();
    default:
      return 0;
  }
}

CQePointBase<double> SQeShape::CenterPoint() const {
  switch (eType) {
    case eQeShapeCircle:
      return ptCenter;
    case eQeShapeRectangle:
    case eQeShapeRoundedRectangle:
      return rect.CenterPoint();
    case eQeShapePolygon:
      return vectPoints.empty() ? CQePointBase<double>() : PointExtremes(vectPoints).CenterPoint();
    default:
      return {};
  }
}

bool SQeShape::IsInside(const CQePointBase<double>& p) const {
  switch (eType) {
    case eQeShapeCircle:
      return p.Distance(ptCenter) <= dRadius;
    case eQeShapeRectangle:
      return rect.left <= p.x && p.x <= rect.right && rect.top <= p.y && p.y <= rect.bottom;
    case eQeShapeRoundedRectangle: {
      const double r = dRadius;
      const CQeRectBase<double>& b = rect;
      const bool in_narrowed =
          b.left + r <= p.x && p.x <= b.right - r && b.top <= p.y && p.y <= b.bottom;
      const bool in_shortened =
          b.left <= p.x && p.x <= b.right && b.top + r <= p.y && p.y <= b.bottom - r;
      if (in_narrowed || in_shortened) return true;
      const CQePointBase<double> corners[] = {{b.left + r, b.top + r},
                                              {b.right - r, b.top + r},
                                              {b.left + r, b.bottom - r},
                                              {b.right - r, b.bottom - r}};
      return std::any_of(std::begin(corners), std::end(corners),
                         [&](const CQePointBase<double>& c) { return p.Distance(c) <= r; });
    }
    default:
      return false;
  }
}

CQeStringW SQeShape::GetHumanReadableDesc() const {
  using qe::labware::Translate;
  CQeStringW text;
  switch (eType) {
    case eQeShapeCircle:
      text.Format(L"%s %0.1f mm", Translate(L"radius"), dRadius / 1000);
      break;
    case eQeShapeRectangle:
      text.Format(L"%s %0.1f mm, %s %0.1f mm", Translate(L"width"), Width() / 1000,
                  Translate(L"height"), Height() / 1000);
      break;
    case eQeShapeRoundedRectangle:
      text.Format(L"%s %0.1f mm, %s %0.1f mm, %s %0.1f mm", Translate(L"width"), Width() / 1000,
                  Translate(L"height"), Height() / 1000, Translate(L"radius"), dRadius / 1000);
      break;
    case eQeShapePolygon:
      text = Translate(L"Polygon");
      break;
    default:
      break;
  }
  return text;
}
