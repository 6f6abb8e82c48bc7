// The point lists of shapes and layout elements share one stored form: a
// level "pPolygonRest" with one unnamed level per point holding "dX", "dY".
#pragma once

#include <vector>

#include "qe/core/geometry.h"
#include "qe/core/lite_variant.h"

namespace qe::labware {

// Writes level "pPolygonRest" with the points at the writer's current level.
void SavePoints(CQeLiteVariantW& writer, const std::vector<CQePointBase<double>>& points);

// Appends at most max_count points from level "pPolygonRest" at the
// reader's current level; stops early at the last point present, so a count
// from corrupt data costs nothing. Returns 0 when the level was there, else
// its LevelBegin status.
int LoadPoints(CQeLiteVariantR& reader, uint32_t max_count,
               std::vector<CQePointBase<double>>& points);

}  // namespace qe::labware
