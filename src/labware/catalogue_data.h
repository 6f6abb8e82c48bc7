// Row types of the built-in labware catalogue's data tables
// (catalogue_data.cpp). Internal to the labware subsystem: the public face
// of the catalogue is CQeInsertObjectDatabase.
//
// Every text is a static wide literal; lengths are micrometres. The tables
// are constant and may be read from any thread.
#pragma once

#include <cstdint>
#include <span>

namespace qe::labware::catalogue {

enum class WellShape : int {
  kCircle,     // size1 = radius
  kRectangle,  // size1 x size2 = width x height, centred on the origin
};

// One plate geometry: the arguments of the full CQeWellplate constructor.
struct PlateGeometryRow {
  const wchar_t* uuid;
  uint32_t cols;
  uint32_t rows;
  int32_t naming_mode;
  int32_t row_naming;
  int32_t col_naming;
  double pitch_x;
  double pitch_y;
  double width;
  double height;
  double offset_x;
  double offset_y;
  WellShape well;
  double well_size1;
  double well_size2;
  int32_t version;
};

// One product: its uuid, the uuid of the geometry it uses, its names and
// the catalogue version it belongs to. Used for plates and dishes alike.
struct NameRow {
  const wchar_t* uuid;
  const wchar_t* geometry_uuid;
  const wchar_t* company;
  const wchar_t* type;
  const wchar_t* model;
  int32_t version;
};

// One dish geometry: the usable area and the radius of its circular outer
// outline (0 when it has none).
struct DishGeometryRow {
  const wchar_t* uuid;
  WellShape area;
  double area_size1;
  double area_size2;
  double outline_radius;
  int32_t version;
};

// One slide: element and outline are rectangles centred on the origin; a
// sticker whose four sides are 0 means none.
struct SlideRow {
  const wchar_t* uuid;
  const wchar_t* size_text;
  WellShape element;
  double element_width;
  double element_height;
  double outline_width;
  double outline_height;
  double sticker_left;
  double sticker_top;
  double sticker_right;
  double sticker_bottom;
  int32_t version;
};

extern const std::span<const PlateGeometryRow> kPlateGeometries;
extern const std::span<const NameRow> kPlateNames;
extern const std::span<const DishGeometryRow> kDishGeometries;
extern const std::span<const NameRow> kDishNames;
extern const std::span<const SlideRow> kSlides;

}  // namespace qe::labware::catalogue
