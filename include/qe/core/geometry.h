// Plane geometry values: a point and an axis-aligned rectangle.
//
// Conventions:
//  - Plain copyable values; x grows to the right, y downwards.
//  - A rectangle is its four sides; it is not normalised, so Width and
//    Height are right - left and bottom - top as stored.
#pragma once

#include <cmath>

template <typename T>
struct CQePointBase {
  T x{};
  T y{};

  CQePointBase() = default;
  CQePointBase(T px, T py) : x(px), y(py) {}

  // Euclidean distance to the other point.
  double Distance(const CQePointBase& other) const {
    return std::hypot(static_cast<double>(x) - static_cast<double>(other.x),
                      static_cast<double>(y) - static_cast<double>(other.y));
  }
  bool operator==(const CQePointBase& other) const = default;
};

template <typename T>
struct CQeRectBase {
  T left{};
  T top{};
  T right{};
  T bottom{};

  CQeRectBase() = default;
  CQeRectBase(T l, T t, T r, T b) : left(l), top(t), right(r), bottom(b) {}

  T Width() const { return right - left; }
  T Height() const { return bottom - top; }
  CQePointBase<T> CenterPoint() const { return {(left + right) / 2, (top + bottom) / 2}; }
  bool operator==(const CQeRectBase& other) const = default;
};
