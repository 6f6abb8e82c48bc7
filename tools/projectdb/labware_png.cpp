// Drawing a labware definition to scale into a PNG file.
#include <algorithm>
#include <cmath>
#include <vector>

#include "labware_tool.h"
#include "qe/core/status.h"
#include "qe/picture/drawing_surface.h"
#include "shape_outline.h"

namespace qe::cli::labware {
namespace {

using Point = CQePointBase<double>;

constexpr int kMargin = 20;       // pixels around the drawing
constexpr int kTitleHeight = 28;  // pixels above it for the title
constexpr int kScaleHeight = 30;  // pixels below it for the scale bar
constexpr double kMinPixelsPerMm = 10;
constexpr int kSmallestDrawing = 600;  // pixels along the longer side of small labware
constexpr double kMaxPixelsPerMm = 40;
constexpr int kMaxPixels = 4000;         // neither side of the image grows beyond this
constexpr double kSingleNameCell = 400;  // pixels for the name of a dish's or slide's element
constexpr SQeColor kOutlineColor{40, 40, 40};
constexpr SQeColor kWellColor{0, 90, 200};
constexpr SQeColor kStickerColor{200, 120, 0};
constexpr SQeColor kNameColor{0, 0, 0};

void Grow(CQeRectBase<double>& bound, bool& any, const CQeRectBase<double>& r) {
  if (!any) {
    bound = r;
    any = true;
    return;
  }
  bound.left = std::min(bound.left, r.left);
  bound.top = std::min(bound.top, r.top);
  bound.right = std::max(bound.right, r.right);
  bound.bottom = std::max(bound.bottom, r.bottom);
}

// Micrometres to pixels of the surface.
struct Mapping {
  CQeRectBase<double> bound;
  double pixelsPerMm;
  int X(double x) const {
    return kMargin + static_cast<int>(std::lround((x - bound.left) * pixelsPerMm / 1000));
  }
  int Y(double y) const {
    return kMargin + kTitleHeight +
           static_cast<int>(std::lround((y - bound.top) * pixelsPerMm / 1000));
  }
};

void DrawOutline(CQeDrawingSurface& surface, const Mapping& map, const std::vector<Point>& points,
                 SQeColor color) {
  if (points.size() < 2) return;
  surface.SetPenColor(color);
  surface.MoveTo(map.X(points[0].x), map.Y(points[0].y));
  for (size_t i = 1; i < points.size(); ++i) surface.LineTo(map.X(points[i].x), map.Y(points[i].y));
  surface.LineTo(map.X(points[0].x), map.Y(points[0].y));
  // LineTo leaves out its last pixel.
  surface.SetPixel(map.X(points[0].x), map.Y(points[0].y), color);
}

// Where the elements lie, and the longest name and the smallest pitch.
struct Elements {
  std::vector<Point> centres;
  std::vector<CQeStringW> names;
  size_t longestName = 0;
  double pitch = 0;  // smallest distance between neighbouring centres; 0 for one element
};

Elements CollectElements(const IQeElementHolder& holder) {
  Elements e;
  for (uint32_t i = 0; i < holder.GetElementCount(); ++i) {
    double x = 0;
    double y = 0;
    if (holder.GetElementPosition(&x, &y, i) != 0) continue;
    e.centres.push_back({x, y});
    e.names.push_back(holder.GetElementName(i));
    e.longestName = std::max(e.longestName, static_cast<size_t>(e.names.back().GetLength()));
  }
  // Neighbours of a grid are its consecutive indices.
  for (size_t i = 1; i < e.centres.size(); ++i) {
    const double d = e.centres[i].Distance(e.centres[i - 1]);
    if (d > 0 && (e.pitch == 0 || d < e.pitch)) e.pitch = d;
  }
  return e;
}

// The scale: enough pixels for the names to fit their pitch at text scale
// 1, within the limits.
double PixelsPerMm(const CQeRectBase<double>& bound, const Elements& e) {
  double ppm = kMinPixelsPerMm;
  if (e.pitch > 0) {
    const double needed = (e.longestName * CQeDrawingSurface::kGlyphWidth + 4) / (e.pitch / 1000);
    ppm = std::clamp(needed, kMinPixelsPerMm, kMaxPixelsPerMm);
  }
  const double largest = std::max(bound.Width(), bound.Height()) / 1000;
  if (largest > 0) {
    ppm = std::max(ppm, std::min(kMaxPixelsPerMm, kSmallestDrawing / largest));
    ppm = std::min(ppm, (kMaxPixels - 2 * kMargin) / largest);
  }
  return ppm;
}

}  // namespace

int DrawPng(const IQeElementHolder& holder, const CQeStringW& title, const CQeStringW& fileName) {
  CQeRectBase<double> bound;
  bool any = false;
  SQeShape outline;
  CQeRectBase<double> r;
  if (holder.GetShape(outline) == 0 && outline.GetBoundRect(r) == 0) Grow(bound, any, r);
  if (holder.GetElementBoundRect(r) == 0) Grow(bound, any, r);
  CQeRectBase<double> sticker;
  const bool hasSticker = holder.GetSticker(sticker) == 0;
  if (hasSticker) {
    Grow(bound, any,
         {std::min(sticker.left, sticker.right), std::min(sticker.top, sticker.bottom),
          std::max(sticker.left, sticker.right), std::max(sticker.top, sticker.bottom)});
  }
  if (!any || bound.Width() <= 0 || bound.Height() <= 0) return eQeNotFound;

  const Elements elements = CollectElements(holder);
  const Mapping map{bound, PixelsPerMm(bound, elements)};
  const int width = map.X(bound.right) + kMargin;
  const int height = map.Y(bound.bottom) + kMargin + kScaleHeight;
  CQeDrawingSurface surface(std::max(width, 200), height);

  if (!outline.IsEmpty()) DrawOutline(surface, map, ShapeOutline(outline, {0, 0}), kOutlineColor);
  if (hasSticker) {
    SQeShape box;
    box.eType = eQeShapeRectangle;
    box.rect = sticker;
    DrawOutline(surface, map, ShapeOutline(box, {0, 0}), kStickerColor);
  }

  // Names as large as the well and its pitch allow.
  const CQeLayoutElement* first = holder.GetElement(0);
  const double elementPx =
      first && first->Width() > 0 ? first->Width() * map.pixelsPerMm / 1000 : 0;
  // A single element has no neighbours: its name gets a cell as wide as the
  // element, at least kSingleNameCell pixels and never narrower than the
  // name itself, which was cut at both ends before.
  const double pitchPx =
      elements.pitch > 0
          ? elements.pitch * map.pixelsPerMm / 1000
          : std::max(
                {elementPx, kSingleNameCell,
                 static_cast<double>(elements.longestName * CQeDrawingSurface::kGlyphWidth + 4)});
  const double wellPx = elementPx > 0 ? elementPx : pitchPx;
  const double room = std::min(pitchPx, std::max(wellPx, pitchPx * 0.6)) - 2;
  int scale = 1;
  while (scale < 4 && elements.longestName > 0 &&
         static_cast<double>((scale + 1) * CQeDrawingSurface::kGlyphWidth) * elements.longestName <=
             room &&
         (scale + 1) * CQeDrawingSurface::kGlyphHeight <= room) {
    ++scale;
  }
  surface.SetTextScale(scale);
  surface.SetTextColor(kNameColor);
  const int half = static_cast<int>(pitchPx / 2);
  for (size_t i = 0; i < elements.centres.size(); ++i) {
    const Point& c = elements.centres[i];
    const CQeLayoutElement* element = holder.GetElement(static_cast<uint32_t>(i));
    if (element && element->HasActiveArea()) {
      DrawOutline(surface, map, ShapeOutline(element->GetActiveArea(), c), kWellColor);
    }
    const SQeRect cell{map.X(c.x) - half, map.Y(c.y) - half, map.X(c.x) + half, map.Y(c.y) + half};
    surface.DrawText(elements.names[i], cell, eQeDtCenter | eQeDtVCenter);
  }

  surface.SetTextScale(2);
  surface.DrawText(title, SQeRect{kMargin, 4, surface.Width() - kMargin, kMargin + kTitleHeight},
                   eQeDtLeft);
  // A 10 mm scale bar under the drawing.
  const int barY = map.Y(bound.bottom) + kMargin;
  const int barLength = static_cast<int>(std::lround(10 * map.pixelsPerMm));
  surface.SetPenColor(CQeDrawingSurface::kBlack);
  surface.FillRect(SQeRect{kMargin, barY, kMargin + barLength, barY + 3},
                   CQeDrawingSurface::kBlack);
  surface.SetTextScale(1);
  surface.DrawText(L"10 mm", SQeRect{kMargin + barLength + 6, barY - 3, surface.Width(), barY + 8},
                   eQeDtLeft);
  return surface.SavePng(fileName) == 0 ? 0 : eQeFailed;
}

}  // namespace qe::cli::labware
