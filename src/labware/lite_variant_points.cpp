#include "labware/lite_variant_points.h"

#include "qe/core/status.h"

namespace qe::labware {

void SavePoints(CQeLiteVariantW& writer, const std::vector<CQePointBase<double>>& points) {
  if (writer.LevelBegin(L"pPolygonRest") != eQeOk) return;
  for (const auto& point : points) {
    if (writer.LevelBegin(nullptr) != eQeOk) break;
    writer.Set(point.x, L"dX");
    writer.Set(point.y, L"dY");
    writer.LevelEnd();
  }
  writer.LevelEnd();
}

int LoadPoints(CQeLiteVariantR& reader, uint32_t max_count,
               std::vector<CQePointBase<double>>& points) {
  const int status = reader.LevelBegin(L"pPolygonRest");
  if (status != eQeOk) return status;
  for (uint32_t i = 0; i < max_count; ++i) {
    if (reader.CurrentLevelBegin() != eQeOk) break;
    points.emplace_back(reader.Get(L"dX", 0.0), reader.Get(L"dY", 0.0));
    reader.LevelEnd();
  }
  reader.LevelEnd();
  return eQeOk;
}

}  // namespace qe::labware
