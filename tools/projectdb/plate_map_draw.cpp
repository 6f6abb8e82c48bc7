// Drawing a plate map: the plate to scale, wells coloured by value, labels
// and a colour scale.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "plate_map.h"
#include "qe/core/status.h"
#include "shape_outline.h"

namespace qe::cli::platemap {
namespace {

using Point = CQePointBase<double>;

constexpr int kMargin = 24;
constexpr int kTitleHeight = 52;  // two lines of title
constexpr int kLabelBand = 28;    // row and column names beside the plate
constexpr int kScaleGap = 36;     // between the plate and the colour scale
constexpr int kScaleWidth = 22;
constexpr int kScalePanel = 150;         // colour scale, its numbers and the no-data key
constexpr double kTargetWidthPx = 1000;  // the plate's width in the picture
constexpr int kMaxPixels = 4000;
constexpr SQeColor kPaper{255, 255, 255};
constexpr SQeColor kPlateBody{238, 238, 238};
constexpr SQeColor kPlateEdge{90, 90, 90};
constexpr SQeColor kWellEdge{70, 70, 70};
constexpr SQeColor kEmptyEdge{170, 170, 170};
constexpr SQeColor kText{20, 20, 20};

// Texts the built-in font can draw: micro and superscripts spelt out.
CQeStringW Printable(const CQeStringW& text) {
  CQeStringW out;
  for (const wchar_t c : text.str()) {
    switch (c) {
      case L'\u00b5':
      case L'\u03bc':
        out += L'u';
        break;
      case L'\u00b2':
        out += L'2';
        break;
      case L'\u00b3':
        out += L'3';
        break;
      case L'\u00b0':
        out += L"deg";
        break;
      // Characters the font lacks.
      case L'"':
        out += L'\'';
        break;
      case L'[':
      case L'{':
      case L'<':
        out += L'(';
        break;
      case L']':
      case L'}':
      case L'>':
        out += L')';
        break;
      default:
        out += c;
    }
  }
  return out;
}

// Numbers with about three significant digits, in exponent form only when
// tiny.
CQeStringW Number(double value) {
  const double magnitude = std::fabs(value);
  char text[64];
  if (magnitude >= 1 || value == 0) {
    const int decimals = magnitude >= 100 || value == 0 ? 0 : magnitude >= 10 ? 1 : 2;
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
  } else {
    std::snprintf(text, sizeof text, "%.2g", value);
  }
  return CQeStringW::FromUtf8(text);
}

// Micrometres of the plate to pixels of the picture.
struct Mapping {
  CQeRectBase<double> bound;
  double pixelsPerMm = 8;
  int left = 0;  // picture position of bound.left
  int top = 0;
  int X(double x) const {
    return left + static_cast<int>(std::lround((x - bound.left) * pixelsPerMm / 1000));
  }
  int Y(double y) const {
    return top + static_cast<int>(std::lround((y - bound.top) * pixelsPerMm / 1000));
  }
  std::vector<SQePoint> Pixels(const std::vector<Point>& points) const {
    std::vector<SQePoint> out;
    for (const Point& p : points) out.push_back({X(p.x), Y(p.y)});
    return out;
  }
};

void Polyline(CQeDrawingSurface& surface, const std::vector<SQePoint>& points, SQeColor color) {
  if (points.size() < 2) return;
  surface.SetPenColor(color);
  surface.MoveTo(points[0].x, points[0].y);
  for (size_t i = 1; i < points.size(); ++i) surface.LineTo(points[i].x, points[i].y);
  surface.LineTo(points[0].x, points[0].y);
}

// Black text on light colours, white on dark ones.
SQeColor TextOn(SQeColor background) {
  const double luminance = 0.299 * background.r + 0.587 * background.g + 0.114 * background.b;
  return luminance < 140 ? kPaper : CQeDrawingSurface::kBlack;
}

int TextWidth(const CQeStringW& text, int scale) {
  return text.GetLength() * CQeDrawingSurface::kGlyphWidth * scale;
}

// Row and column names: the plate's own in row-column naming, else numbers.
CQeStringW RowName(const CQeWellplate& plate, uint32_t row) {
  EQeElementNamingMode mode{};
  plate.GetNaming(&mode, nullptr, nullptr);
  return mode == eQeNamingModeRowColumn ? plate.GetElementName(row, 0, 0)
                                        : CQeStringW(std::to_wstring(row + 1));
}
CQeStringW ColumnName(const CQeWellplate& plate, uint32_t col) {
  EQeElementNamingMode mode{};
  plate.GetNaming(&mode, nullptr, nullptr);
  return mode == eQeNamingModeRowColumn ? plate.GetElementName(0, col, 1)
                                        : CQeStringW(std::to_wstring(col + 1));
}

void DrawScale(CQeDrawingSurface& surface, int x, int top, int bottom, double lo, double hi,
               const CQeStringW& quantity) {
  surface.SetTextScale(1);
  surface.SetTextColor(kText);
  surface.DrawText(Printable(quantity), SQeRect{x, top - 20, surface.Width(), top - 6}, eQeDtLeft);
  const int height = std::max(bottom - top, 1);
  for (int y = top; y < bottom; ++y) {
    const double t = 1.0 - static_cast<double>(y - top) / std::max(height - 1, 1);
    surface.FillRect(SQeRect{x, y, x + kScaleWidth, y + 1}, ScaleColour(t));
  }
  Polyline(
      surface,
      {{x - 1, top - 1}, {x + kScaleWidth, top - 1}, {x + kScaleWidth, bottom}, {x - 1, bottom}},
      kPlateEdge);
  const int ticks = hi > lo ? 5 : 1;
  for (int i = 0; i < ticks; ++i) {
    const double t = ticks == 1 ? 0.5 : static_cast<double>(i) / (ticks - 1);
    const int y = bottom - 1 - static_cast<int>(std::lround(t * (height - 1)));
    surface.FillRect(SQeRect{x + kScaleWidth, y, x + kScaleWidth + 5, y + 1}, kPlateEdge);
    surface.DrawText(Number(lo + t * (hi - lo)),
                     SQeRect{x + kScaleWidth + 8, y - 4, surface.Width(), y + 5}, eQeDtLeft);
  }
  // The key for wells without data.
  const int keyY = bottom + 18;
  Polyline(
      surface,
      {{x, keyY}, {x + kScaleWidth - 1, keyY}, {x + kScaleWidth - 1, keyY + 13}, {x, keyY + 13}},
      kEmptyEdge);
  surface.DrawText(L"no data", SQeRect{x + kScaleWidth + 8, keyY + 3, surface.Width(), keyY + 12},
                   eQeDtLeft);
}

}  // namespace

SQeColor ScaleColour(double t) {
  // Viridis at nine evenly spaced points.
  static constexpr SQeColor kStops[] = {{68, 1, 84},    {71, 44, 122},  {59, 81, 139},
                                        {44, 113, 142}, {33, 144, 141}, {39, 173, 129},
                                        {92, 200, 99},  {170, 220, 50}, {253, 231, 37}};
  constexpr int kLast = static_cast<int>(std::size(kStops)) - 1;
  if (!(t > 0)) t = 0;  // NaN too
  t = std::min(t, 1.0) * kLast;
  const int i = std::min(static_cast<int>(t), kLast - 1);
  const double f = t - i;
  auto mix = [f](uint8_t a, uint8_t b) {
    return static_cast<uint8_t>(std::lround(a + (b - a) * f));
  };
  return {mix(kStops[i].r, kStops[i + 1].r), mix(kStops[i].g, kStops[i + 1].g),
          mix(kStops[i].b, kStops[i + 1].b)};
}

int DrawPlateMap(const CQeWellplate& plate, const Map& map, const std::string& fileName,
                 Size* size) {
  const uint32_t wells = plate.GetElementCount();
  CQeRectBase<double> bound;
  SQeShape outline;
  const bool hasOutline = plate.GetShape(outline) == 0 && outline.GetBoundRect(bound) == 0;
  CQeRectBase<double> wellBound;
  if (wells == 0 || plate.GetElementBoundRect(wellBound) != 0) return eQeNotFound;
  if (!hasOutline) bound = wellBound;
  bound = {std::min(bound.left, wellBound.left), std::min(bound.top, wellBound.top),
           std::max(bound.right, wellBound.right), std::max(bound.bottom, wellBound.bottom)};
  if (bound.Width() <= 0 || bound.Height() <= 0) return eQeNotFound;

  Mapping m;
  m.bound = bound;
  const double widthMm = bound.Width() / 1000, heightMm = bound.Height() / 1000;
  m.pixelsPerMm = std::clamp(kTargetWidthPx / widthMm, 2.0, 40.0);
  m.pixelsPerMm = std::min(m.pixelsPerMm, (kMaxPixels - 400) / std::max(widthMm, heightMm));
  m.left = kMargin + kLabelBand;
  m.top = kMargin + kTitleHeight + kLabelBand;
  const int plateRight = m.X(bound.right), plateBottom = m.Y(bound.bottom);
  const int width = plateRight + kScaleGap + kScalePanel + kMargin;
  const int height = std::max(plateBottom + kMargin, m.top + 260);
  CQeDrawingSurface surface(width, height, kPaper);

  double lo = 0, hi = 0;
  bool any = false;
  for (uint32_t i = 0; i < wells && i < map.wells.size(); ++i) {
    if (!map.wells[i]) continue;
    lo = any ? std::min(lo, *map.wells[i]) : *map.wells[i];
    hi = any ? std::max(hi, *map.wells[i]) : *map.wells[i];
    any = true;
  }

  surface.SetTextColor(kText);
  surface.SetTextScale(2);
  surface.DrawText(Printable(map.title), SQeRect{kMargin, kMargin, width - kMargin, kMargin + 18},
                   eQeDtLeft);
  surface.SetTextScale(1);
  surface.DrawText(Printable(map.subtitle),
                   SQeRect{kMargin, kMargin + 26, width - kMargin, kMargin + 36}, eQeDtLeft);

  if (hasOutline) {
    const std::vector<SQePoint> body = m.Pixels(ShapeOutline(outline, {0, 0}));
    surface.FillPolygon(body, kPlateBody);
    Polyline(surface, body, kPlateEdge);
  }

  // Pixels of the grid's pitch, for the size of names and values.
  uint32_t rows = 0, cols = 0;
  plate.GetElementCount(&rows, &cols);
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  plate.GetElementPosition(&x0, &y0, 0u, 0u);
  const bool twoCols = cols > 1 && plate.GetElementPosition(&x1, &y1, 0u, 1u) == 0;
  const double pitchPx = twoCols ? std::hypot(x1 - x0, y1 - y0) * m.pixelsPerMm / 1000 : 40;

  for (uint32_t i = 0; i < wells; ++i) {
    double x = 0, y = 0;
    const CQeLayoutElement* element = plate.GetElement(i);
    if (plate.GetElementPosition(&x, &y, i) != 0 || !element || !element->HasActiveArea()) continue;
    const std::vector<SQePoint> shape = m.Pixels(ShapeOutline(element->GetActiveArea(), {x, y}));
    const std::optional<double> value = i < map.wells.size() ? map.wells[i] : std::nullopt;
    if (!value) {
      surface.FillPolygon(shape, kPaper);
      Polyline(surface, shape, kEmptyEdge);
      continue;
    }
    const SQeColor colour = ScaleColour(hi > lo ? (*value - lo) / (hi - lo) : 0.5);
    surface.FillPolygon(shape, colour);
    Polyline(surface, shape, kWellEdge);
    const CQeStringW text = Number(*value);
    const int room =
        static_cast<int>(std::min(element->Width(), element->Height()) * m.pixelsPerMm / 1000) - 4;
    if (TextWidth(text, 1) <= room && CQeDrawingSurface::kGlyphHeight <= room) {
      surface.SetTextScale(1);
      surface.SetTextColor(TextOn(colour));
      surface.DrawText(text,
                       SQeRect{m.X(x) - room / 2, m.Y(y) - 5, m.X(x) + room / 2 + 1, m.Y(y) + 5},
                       eQeDtCenter | eQeDtVCenter);
    }
  }

  // Names of rows on the left, of columns on top, as large as the pitch allows.
  surface.SetTextColor(kText);
  const int nameScale = pitchPx >= 30 ? 2 : 1;
  surface.SetTextScale(nameScale);
  for (uint32_t col = 0; col < cols; ++col) {
    double x = 0, y = 0;
    if (plate.GetElementPosition(&x, &y, 0u, col) != 0) continue;
    const int half = static_cast<int>(pitchPx / 2);
    surface.DrawText(ColumnName(plate, col),
                     SQeRect{m.X(x) - half, m.top - kLabelBand, m.X(x) + half + 1, m.top - 4},
                     eQeDtCenter | eQeDtVCenter);
  }
  for (uint32_t row = 0; row < rows; ++row) {
    double x = 0, y = 0;
    if (plate.GetElementPosition(&x, &y, row, 0u) != 0) continue;
    surface.DrawText(RowName(plate, row),
                     SQeRect{m.left - kLabelBand, m.Y(y) - 10, m.left - 4, m.Y(y) + 10},
                     eQeDtCenter | eQeDtVCenter);
  }

  const int scaleTop = m.top + 20;
  const int scaleBottom = std::max(scaleTop + 120, plateBottom - 50);
  if (any) DrawScale(surface, plateRight + kScaleGap, scaleTop, scaleBottom, lo, hi, map.quantity);
  if (size) *size = {surface.Width(), surface.Height()};
  return surface.SavePng(CQeStringW::FromUtf8(fileName)) == 0 ? 0 : eQeFailed;
}

}  // namespace qe::cli::platemap
