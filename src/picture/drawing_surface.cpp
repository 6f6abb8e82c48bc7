#include "qe/picture/drawing_surface.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <exception>
#include <utility>

#include "picture/bitmap_font.h"
#include "picture/dc_handles.h"
#include "picture/file_io.h"
#include "picture/png_codec.h"
#include "picture/raster.h"
#include "qe/core/status.h"

using qe::picture::kFontGlyphHeight;
using qe::picture::kFontGlyphWidth;

CQeDrawingSurface::CQeDrawingSurface(int width, int height, SQeColor background)
    : handle_(0), width_(std::max(width, 0)), height_(std::max(height, 0)) {
  pixels_.resize(static_cast<size_t>(width_) * height_ * 3);
  Fill(background);
  handle_ = qe::picture::RegisterSurface(this);
}

CQeDrawingSurface::~CQeDrawingSurface() { qe::picture::UnregisterSurface(handle_); }

CQeDrawingSurface* CQeDrawingSurface::FromHandle(unsigned int dc) {
  return qe::picture::FindSurface(dc);
}

SQeColor CQeDrawingSurface::GetPixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return kBlack;
  const uint8_t* p = &pixels_[(static_cast<size_t>(y) * width_ + x) * 3];
  return {p[0], p[1], p[2]};
}

void CQeDrawingSurface::SetPixel(int x, int y, SQeColor color) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  uint8_t* p = &pixels_[(static_cast<size_t>(y) * width_ + x) * 3];
  p[0] = color.r;
  p[1] = color.g;
  p[2] = color.b;
}

void CQeDrawingSurface::Fill(SQeColor color) { FillRect({0, 0, width_, height_}, color); }

void CQeDrawingSurface::FillRect(const SQeRect& rect, SQeColor color) {
  const int left = std::max(rect.left, 0), right = std::min(rect.right, width_);
  const int top = std::max(rect.top, 0), bottom = std::min(rect.bottom, height_);
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) SetPixel(x, y, color);
  }
}

void CQeDrawingSurface::FillPolygon(const std::vector<SQePoint>& points, SQeColor color) {
  if (points.size() < 3) return;
  int top = height_, bottom = -1;
  for (const SQePoint& p : points) {
    top = std::min(top, p.y);
    bottom = std::max(bottom, p.y);
  }
  top = std::max(top, 0);
  bottom = std::min(bottom, height_ - 1);
  std::vector<double> crossings;
  for (int y = top; y <= bottom; ++y) {
    // Where the edges cross the line through the row's pixel centres; an
    // edge counts from its upper end and not its lower one, so a vertex on
    // the line is met once.
    const double centreY = y + 0.5;
    crossings.clear();
    for (size_t i = 0; i < points.size(); ++i) {
      const SQePoint& a = points[i];
      const SQePoint& b = points[(i + 1) % points.size()];
      if ((a.y <= centreY) == (b.y <= centreY)) continue;
      crossings.push_back(a.x + (centreY - a.y) * (b.x - a.x) / static_cast<double>(b.y - a.y));
    }
    std::sort(crossings.begin(), crossings.end());
    for (size_t i = 0; i + 1 < crossings.size(); i += 2) {
      // Pixels whose centre x + 0.5 lies within [from, to).
      const int from = static_cast<int>(std::ceil(crossings[i] - 0.5));
      const int to = static_cast<int>(std::ceil(crossings[i + 1] - 0.5));
      FillRect({from, y, to, y + 1}, color);
    }
  }
}

void CQeDrawingSurface::SetTextScale(int scale) { scale_ = std::clamp(scale, 1, 16); }

int CQeDrawingSurface::StretchBlit(int xDest, int yDest, int destWidth, int destHeight, int xSrc,
                                   int ySrc, int srcWidth, int srcHeight, const void* bits,
                                   const SQeBitmapInfoHeader& info) {
  if (info.biSize < sizeof(SQeBitmapInfoHeader) || info.biPlanes != 1 || info.biBitCount != 24 ||
      info.biCompression != eQeBiRgb) {
    return eQeDrawingFailed;
  }
  const long long bitmapWidth = info.biWidth;
  const long long bitmapHeight = std::llabs(static_cast<long long>(info.biHeight));
  const long long rowStep = (bitmapWidth * 3 + 3) / 4 * 4;
  if (!bits || bitmapWidth <= 0 || bitmapHeight == 0 || destWidth <= 0 || destHeight <= 0 ||
      srcWidth <= 0 || srcHeight <= 0 || xSrc < 0 || ySrc < 0 ||
      xSrc + static_cast<long long>(srcWidth) > bitmapWidth ||
      ySrc + static_cast<long long>(srcHeight) > bitmapHeight ||
      (info.biSizeImage != 0 && info.biSizeImage < rowStep * bitmapHeight)) {
    return eQeMissingArgument;
  }
  // Source coordinates count from the top row as shown, for either row order.
  const bool topDown = info.biHeight < 0;
  const auto* base = static_cast<const uint8_t*>(bits);
  const long long topRow = topDown ? ySrc : bitmapHeight - 1 - ySrc;
  const qe::picture::SQePixelView source{base + topRow * rowStep + xSrc * 3LL,
                                         static_cast<unsigned int>(srcWidth),
                                         static_cast<unsigned int>(srcHeight), 3,
                                         static_cast<std::ptrdiff_t>(topDown ? rowStep : -rowStep)};
  try {
    std::vector<uint8_t> scaled(static_cast<size_t>(destWidth) * destHeight * 3);
    const qe::picture::SQeMutablePixelView target{
        scaled.data(), static_cast<unsigned int>(destWidth), static_cast<unsigned int>(destHeight),
        3, static_cast<std::ptrdiff_t>(destWidth) * 3};
    qe::picture::ResampleArea(source, target);
    for (int y = std::max(0, -yDest); y < destHeight && yDest + y < height_; ++y) {
      for (int x = std::max(0, -xDest); x < destWidth && xDest + x < width_; ++x) {
        const uint8_t* p = &scaled[(static_cast<size_t>(y) * destWidth + x) * 3];
        SetPixel(xDest + x, yDest + y, {p[0], p[1], p[2]});
      }
    }
  } catch (const std::exception&) {
    return eQeDrawingFailed;
  }
  return eQeOk;
}

SQePoint CQeDrawingSurface::MoveTo(int x, int y) { return std::exchange(position_, {x, y}); }

void CQeDrawingSurface::LineTo(int x, int y) {
  // Bresenham; the end point is left out, as Windows does.
  long long x0 = position_.x, y0 = position_.y;
  const long long dx = std::llabs(x - x0), dy = -std::llabs(y - y0);
  const int sx = x0 < x ? 1 : -1, sy = y0 < y ? 1 : -1;
  long long error = dx + dy;
  while (x0 != x || y0 != y) {
    SetPixel(static_cast<int>(x0), static_cast<int>(y0), pen_);
    const long long twice = 2 * error;
    if (twice >= dy) {
      error += dy;
      x0 += sx;
    }
    if (twice <= dx) {
      error += dx;
      y0 += sy;
    }
  }
  position_ = {x, y};
}

int CQeDrawingSurface::DrawText(const wchar_t* text, const SQeRect& rect, unsigned int format) {
  const int cell = kGlyphWidth * scale_;
  const int lineHeight = kGlyphHeight * scale_;
  if (!text) return lineHeight;
  const auto count = static_cast<long long>(std::wcslen(text));
  // The ink of the last glyph ends before its spacing column.
  const long long inkWidth = count == 0 ? 0 : count * cell - scale_;
  const int inkHeight = kFontGlyphHeight * scale_;
  long long left = rect.left, top = rect.top;
  if (format & eQeDtCenter) left += (rect.right - rect.left - inkWidth) / 2;
  if (format & eQeDtVCenter) top += (rect.bottom - rect.top - inkHeight) / 2;
  const int clipLeft = std::max(rect.left, 0), clipRight = std::min(rect.right, width_);
  const int clipTop = std::max(rect.top, 0), clipBottom = std::min(rect.bottom, height_);
  for (long long i = 0; i < count; ++i) {
    const char* const* rows = qe::picture::GlyphRows(text[i]);
    for (int gy = 0; gy < kFontGlyphHeight; ++gy) {
      for (int gx = 0; gx < kFontGlyphWidth; ++gx) {
        if (rows[gy][gx] != '#') continue;
        for (int py = 0; py < scale_; ++py) {
          for (int px = 0; px < scale_; ++px) {
            const long long x = left + i * cell + gx * scale_ + px;
            const long long y = top + gy * scale_ + py;
            if (x >= clipLeft && x < clipRight && y >= clipTop && y < clipBottom) {
              SetPixel(static_cast<int>(x), static_cast<int>(y), text_);
            }
          }
        }
      }
    }
  }
  return lineHeight;
}

int CQeDrawingSurface::SavePng(const wchar_t* fileName) const {
  if (!fileName || !*fileName) return eQeMissingArgument;
  try {
    std::vector<uint8_t> encoded;
    if (qe::picture::EncodePng(pixels_.data(), static_cast<unsigned int>(width_),
                               static_cast<unsigned int>(height_), 3,
                               static_cast<size_t>(width_) * 3, encoded) != eQeOk) {
      return eQeFailed;
    }
    return qe::picture::WriteWholeFile(qe::picture::NativePath(fileName), encoded.data(),
                                       encoded.size());
  } catch (const std::exception&) {
    return eQeFailed;
  }
}
