#include "qe/core/lite_variant.h"
#include "qe/core/status.h"
#include "qe/labware/single_element_holder.h"

int CQeSingleElementHolder::SaveToLiteVariant(CQeLiteVariantW& writer) const {
  if (writer.LevelBegin(L"CQeSingleElementHolder") != eQeOk) return eQeFailed;
  writer.Set(m_wsUuid, L"wsUuid");
  writer.Set(m_wsCompanyName, L"wsCompanyName");
  writer.Set(m_wsTypeName, L"wsTypeName");
  writer.Set(m_wsModelName, L"wsModelName");
  m_element.SaveToLiteVariant(writer);
  m_outline.SaveToLiteVariant(writer);
  writer.Set(m_sticker.left, L"dStickerL");
  writer.Set(m_sticker.top, L"dStickerT");
  writer.Set(m_sticker.right, L"dStickerR");
  writer.Set(m_sticker.bottom, L"dStickerB");
  writer.LevelEnd();
  return eQeOk;
}

int CQeSingleElementHolder::LoadFromLiteVariant(CQeLiteVariantR& reader) {
  if (reader.LevelBegin(L"CQeSingleElementHolder") != eQeOk) return eQeFailed;
  m_wsUuid = reader.Get(L"wsUuid", L"");
  m_wsCompanyName = reader.Get(L"wsCompanyName", L"");
  m_wsTypeName = reader.Get(L"wsTypeName", L"");
  m_wsModelName = reader.Get(L"wsModelName", L"");
  CQeLayoutElement element;
  element.LoadFromLiteVariant(reader);
  m_element = element;
  SQeShape outline;
  outline.LoadFromLiteVariant(reader);
  m_outline = outline;
  m_sticker = CQeRectBase<double>(reader.Get(L"dStickerL", 0.0), reader.Get(L"dStickerT", 0.0),
                                  reader.Get(L"dStickerR", 0.0), reader.Get(L"dStickerB", 0.0));
  reader.LevelEnd();
  return eQeOk;
}
