#include "shape_outline.h"

#include <cmath>
#include <numbers>

namespace qe::cli {

std::vector<CQePointBase<double>> ShapeOutline(const SQeShape& shape, CQePointBase<double> at) {
  using Point = CQePointBase<double>;
  // Enough pieces that a 96-well circle drawn a few hundred pixels wide
  // shows no corners.
  constexpr int kCirclePieces = 96;
  constexpr int kCornerPieces = 12;
  constexpr double pi = std::numbers::pi;
  std::vector<Point> points;
  auto arc = [&](Point centre, double radius, double from, double to, int pieces) {
    for (int i = 0; i < pieces; ++i) {
      const double angle = from + (to - from) * i / pieces;
      points.push_back(
          {at.x + centre.x + radius * std::cos(angle), at.y + centre.y + radius * std::sin(angle)});
    }
  };
  const CQeRectBase<double>& r = shape.rect;
  switch (shape.eType) {
    case eQeShapeCircle:
      arc(shape.ptCenter, shape.dRadius, 0, 2 * pi, kCirclePieces);
      break;
    case eQeShapeRectangle:
      points = {{at.x + r.left, at.y + r.top},
                {at.x + r.right, at.y + r.top},
                {at.x + r.right, at.y + r.bottom},
                {at.x + r.left, at.y + r.bottom}};
      break;
    case eQeShapeRoundedRectangle: {
      const double k = shape.dRadius;
      // Each corner's arc ends where the next straight side begins.
      arc({r.right - k, r.top + k}, k, -pi / 2, 0, kCornerPieces);
      points.push_back({at.x + r.right, at.y + r.bottom - k});
      arc({r.right - k, r.bottom - k}, k, 0, pi / 2, kCornerPieces);
      points.push_back({at.x + r.left + k, at.y + r.bottom});
      arc({r.left + k, r.bottom - k}, k, pi / 2, pi, kCornerPieces);
      points.push_back({at.x + r.left, at.y + r.top + k});
      arc({r.left + k, r.top + k}, k, pi, 3 * pi / 2, kCornerPieces);
      points.push_back({at.x + r.right - k, at.y + r.top});
      break;
    }
    case eQeShapePolygon:
      for (const Point& p : shape.vectPoints) points.push_back({at.x + p.x, at.y + p.y});
      break;
    default:
      break;
  }
  return points;
}

}  // namespace qe::cli
