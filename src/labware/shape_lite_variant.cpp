#include "labware/lite_variant_points.h"
#include "qe/core/lite_variant.h"
#include "qe/core/status.h"
#include "qe/labware/shape.h"

int SQeShape::SaveToLiteVariant(CQeLiteVariantW& writer) const {
  if (writer.LevelBegin(L"SQeShape") != eQeOk) return eQeFailed;
  writer.Set(static_cast<int32_t>(eType), L"eType");
  switch (eType) {
    case eQeShapeCircle:
      writer.Set(dRadius, L"dRadius");
      writer.Set(ptCenter.x, L"ptCenterX");
      writer.Set(ptCenter.y, L"ptCenterY");
      break;
    case eQeShapeRectangle:
    case eQeShapeRoundedRectangle:
      writer.Set(rect.left, L"RectL");
      writer.Set(rect.top, L"RectT");
      writer.Set(rect.right, L"RectR");
      writer.Set(rect.bottom, L"RectB");
      if (eType == eQeShapeRoundedRectangle) writer.Set(dRadius, L"dRadius");
      break;
    case eQeShapePolygon:
      writer.Set(static_cast<int32_t>(vectPoints.size()), L"iPointCount");
      qe::labware::SavePoints(writer, vectPoints);
      break;
    default:
      break;
  }
  writer.LevelEnd();
  return eQeOk;
}

int SQeShape::LoadFromLiteVariant(CQeLiteVariantR& reader) {
  if (reader.LevelBegin(L"SQeShape") != eQeOk) return eQeFailed;
  eType = static_cast<EQeShapeType>(reader.Get(L"eType", int32_t{0}));
  dRadius = reader.Get(L"dRadius", 0.0);
  ptCenter = CQePointBase<double>(reader.Get(L"ptCenterX", 0.0), reader.Get(L"ptCenterY", 0.0));
  rect = CQeRectBase<double>(reader.Get(L"RectL", 0.0), reader.Get(L"RectT", 0.0),
                             reader.Get(L"RectR", 0.0), reader.Get(L"RectB", 0.0));
  const int32_t count = reader.Get(L"iPointCount", int32_t{0});
  if (count > 0) qe::labware::LoadPoints(reader, static_cast<uint32_t>(count), vectPoints);
  reader.LevelEnd();
  return eQeOk;
}
