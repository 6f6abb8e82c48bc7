// `projectdb plate-map`: a measured per-frame property averaged per well,
// drawn as a heat map on the plate's stored geometry.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "qe/core/string.h"
#include "qe/labware/wellplate.h"
#include "qe/picture/drawing_surface.h"

namespace qe::cli::platemap {

// What the map shows.
struct Map {
  CQeStringW title;     // first line above the plate
  CQeStringW subtitle;  // second line
  CQeStringW quantity;  // the property with its unit, beside the colour scale
  // The mean of each well by its row-major index; empty for wells without
  // data. Wells past the end of the vector have no data either.
  std::vector<std::optional<double>> wells;
};

// The size of the picture DrawPlateMap makes for plate.
struct Size {
  int width = 0;
  int height = 0;
};

// The colour of t (0 to 1, clamped) on the colour scale: the viridis map,
// dark blue-violet through teal to yellow, readable in grey and by people
// with red-green colour blindness.
SQeColor ScaleColour(double t);

// Draws the plate to scale: its outline, every well in its shape coloured
// by its value (empty wells white with a grey border), the value inside
// each well when it fits, row and column names along the sides, and a
// colour scale from the lowest to the highest mean on the right. Writes a
// PNG file. size (when given) receives the picture's size. Returns 0; -13
// when the plate has no wells or no size; -9 when the file cannot be written.
int DrawPlateMap(const CQeWellplate& plate, const Map& map, const std::string& fileName,
                 Size* size);

}  // namespace qe::cli::platemap
