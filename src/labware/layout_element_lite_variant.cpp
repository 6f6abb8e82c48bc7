#include "labware/lite_variant_points.h"
#include "qe/core/lite_variant.h"
#include "qe/core/status.h"
#include "qe/labware/layout_element.h"

int CQeLayoutElement::SaveToLiteVariant(CQeLiteVariantW& writer) const {
  int status = eQeOk;
  if (writer.LevelBegin(L"CQeLayoutElement") != eQeOk) return status;
  if (HasActiveArea() && writer.LevelBegin(L"ActiveArea") == eQeOk) {
    status = m_activeArea.SaveToLiteVariant(writer);
    writer.LevelEnd();
  }
  if (HasRestriction() && writer.LevelBegin(L"AreaRestriction") == eQeOk) {
    writer.Set(m_dLeaveEdge, L"dLeaveEdge");
    writer.Set(m_dLeaveCenter, L"dLeaveCenter");
    if (m_vectRestriction.size() > 2) {
      writer.Set(static_cast<uint32_t>(m_vectRestriction.size()), L"uiPointCount");
      qe::labware::SavePoints(writer, m_vectRestriction);
    }
    writer.LevelEnd();
  }
  writer.LevelEnd();
  return status;
}

int CQeLayoutElement::LoadFromLiteVariant(CQeLiteVariantR& reader) {
  if (reader.LevelBegin(L"CQeLayoutElement") != eQeOk) return eQeFailed;
  int status = eQeFailed;
  if (reader.LevelBegin(L"ActiveArea") == eQeOk) {
    SQeShape shape;
    status = shape.LoadFromLiteVariant(reader);
    m_activeArea = shape;
    reader.LevelEnd();
  }
  if (reader.LevelBegin(L"AreaRestriction") == eQeOk) {
    m_dLeaveEdge = reader.Get(L"dLeaveEdge", 0.0);
    m_dLeaveCenter = reader.Get(L"dLeaveCenter", 0.0);
    m_vectRestriction.clear();
    const uint32_t count = reader.Get(L"uiPointCount", uint32_t{0});
    if (qe::labware::LoadPoints(reader, count, m_vectRestriction) == eQeOk) status = eQeOk;
    reader.LevelEnd();
  }
  reader.LevelEnd();
  return status;
}
