// The outline of a labware shape as straight pieces, for the drawings of the
// tool (plate pictures and plate maps).
#ifndef QE_TOOLS_PROJECTDB_SHAPE_OUTLINE_H_
#define QE_TOOLS_PROJECTDB_SHAPE_OUTLINE_H_

#include <vector>

#include "qe/core/geometry.h"
#include "qe/labware/shape.h"

namespace qe::cli {

// The corners of `shape` centred at `at`, in the shape's units, in drawing
// order and open (the last corner is not the first again); circles and
// rounded corners become short straight pieces. An empty shape gives none.
std::vector<CQePointBase<double>> ShapeOutline(const SQeShape& shape, CQePointBase<double> at);

}  // namespace qe::cli

#endif  // QE_TOOLS_PROJECTDB_SHAPE_OUTLINE_H_
