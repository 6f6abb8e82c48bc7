#include "qe/core/lite_variant.h"
#include "qe/core/status.h"
#include "qe/labware/wellplate.h"

int CQeWellplate::SaveToLiteVariant(CQeLiteVariantW& writer) const {
  if (writer.LevelBegin(L"CQeWellplate") != eQeOk) return eQeFailed;
  writer.Set(m_wsUuid, L"wsUuid");
  writer.Set(m_wsCompanyName, L"wsCompanyName");
  writer.Set(m_wsTypeName, L"wsTypeName");
  writer.Set(m_wsModelName, L"wsModelName");
  writer.Set(static_cast<int32_t>(m_naming.eNamingMode), L"eNamingMode");
  writer.Set(static_cast<int32_t>(m_naming.eColNamingType), L"eXNamingType");
  writer.Set(static_cast<int32_t>(m_naming.eRowNamingType), L"eYNamingType");
  m_well.SaveToLiteVariant(writer);
  m_outline.SaveToLiteVariant(writer);
  writer.Set(m_dXWellOffset, L"dXWellOffset");
  writer.Set(m_dYWellOffset, L"dYWellOffset");
  writer.Set(m_uiXCount, L"uiXCount");
  writer.Set(m_uiYCount, L"uiYCount");
  writer.Set(m_dXDistance, L"dXDistance");
  writer.Set(m_dYDistance, L"dYDistance");
  writer.LevelEnd();
  return eQeOk;
}

int CQeWellplate::LoadFromLiteVariant(CQeLiteVariantR& reader) { return LoadBody(reader, true); }

int CQeWellplate::LoadFromLiteVariantWithUuid(CQeLiteVariantR& reader, const CQeStringW& uuid,
                                              const CQeStringW& company, const CQeStringW& type,
                                              const CQeStringW& model, int user_flag) {
  const int status = LoadBody(reader, false);
  if (status != eQeOk) return status;
  m_wsUuid = uuid;
  m_wsCompanyName = company;
  m_wsTypeName = type;
  m_wsModelName = model;
  m_iUserFlag = user_flag;
  return eQeOk;
}

int CQeWellplate::LoadBody(CQeLiteVariantR& reader, bool read_names) {
  if (reader.LevelBegin(L"CQeWellplate") != eQeOk) return eQeFailed;
  if (read_names) {
    m_wsUuid = reader.Get(L"wsUuid", L"");
    m_wsCompanyName = reader.Get(L"wsCompanyName", L"");
    m_wsTypeName = reader.Get(L"wsTypeName", L"");
    m_wsModelName = reader.Get(L"wsModelName", L"");
  }
  m_naming.eNamingMode = static_cast<EQeElementNamingMode>(reader.Get(L"eNamingMode", int32_t{0}));
  m_naming.eColNamingType =
      static_cast<EQeElementNamingType>(reader.Get(L"eXNamingType", int32_t{0}));
  m_naming.eRowNamingType =
      static_cast<EQeElementNamingType>(reader.Get(L"eYNamingType", int32_t{0}));
  // A missing well or outline level leaves an empty one, as for any value.
  CQeLayoutElement well;
  well.LoadFromLiteVariant(reader);
  m_well = well;
  SQeShape outline;
  outline.LoadFromLiteVariant(reader);
  m_outline = outline;
  m_dXWellOffset = reader.Get(L"dXWellOffset", 0.0);
  m_dYWellOffset = reader.Get(L"dYWellOffset", 0.0);
  // Through SetElementCount, so that a grid with one count 0 is empty.
  SetElementCount(reader.Get(L"uiYCount", uint32_t{0}), reader.Get(L"uiXCount", uint32_t{0}));
  m_dXDistance = reader.Get(L"dXDistance", 0.0);
  m_dYDistance = reader.Get(L"dYDistance", 0.0);
  reader.LevelEnd();
  return eQeOk;
}
