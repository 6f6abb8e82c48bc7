#include "qe/labware/single_element_holder.h"

#include <cmath>

#include "labware/translate.h"
#include "qe/core/status.h"

CQeSingleElementHolder::CQeSingleElementHolder(const CQeStringW& uuid, const CQeStringW& company,
                                               const CQeStringW& type, const CQeStringW& model,
                                               const CQeLayoutElement& element,
                                               const CQeRectBase<double>* sticker)
    : m_element(element),
      m_wsUuid(uuid),
      m_wsCompanyName(company),
      m_wsTypeName(type),
      m_wsModelName(model) {
  if (sticker) m_sticker = *sticker;
}

CQeSingleElementHolder::CQeSingleElementHolder(const CQeStringW& uuid, const CQeStringW& company,
                                               const CQeStringW& type, const CQeStringW& model,
                                               const CQeLayoutElement& element,
                                               const SQeShape& outline,
                                               const CQeRectBase<double>* sticker)
    : CQeSingleElementHolder(uuid, company, type, model, element, sticker) {
  m_outline = outline;
}

IQeElementHolder* CQeSingleElementHolder::GetInterface(const CQeStringW& name) {
  return name == L"CQeSingleElementHolder" ? this : nullptr;
}

CQeSingleElementHolder* CQeSingleElementHolder::Copy() const {
  return new CQeSingleElementHolder(*this);
}

void CQeSingleElementHolder::Delete() { delete this; }

int CQeSingleElementHolder::GetElementPosition(double* x, double* y, uint32_t index) const {
  if (index != 0) return eQeNotFound;
  if (x) *x = 0;
  if (y) *y = 0;
  return eQeOk;
}

CQeStringW CQeSingleElementHolder::GetElementName(uint32_t index) const {
  return index == 0 ? m_wsCompanyName : CQeStringW();
}

int CQeSingleElementHolder::GetElementBoundRect(CQeRectBase<double>& bound) const {
  return m_element.GetBoundRect(bound);
}

int CQeSingleElementHolder::GetShape(SQeShape& shape) const {
  if (m_outline.IsEmpty()) return eQeFailed;
  shape = m_outline;
  return eQeOk;
}

int CQeSingleElementHolder::SetShape(const SQeShape& shape) {
  m_outline = shape;
  return eQeOk;
}

int CQeSingleElementHolder::GetSticker(CQeRectBase<double>& sticker) const {
  if (m_sticker.right == m_sticker.left || m_sticker.bottom == m_sticker.top) return eQeNotFound;
  sticker = m_sticker;
  return eQeOk;
}

int CQeSingleElementHolder::SetSticker(const CQeRectBase<double>& sticker) {
  m_sticker = sticker;
  return eQeOk;
}

const CQeLayoutElement* CQeSingleElementHolder::GetElement(uint32_t index) const {
  return index == 0 ? &m_element : nullptr;
}

CQeStringW CQeSingleElementHolder::GetHumanReadableDesc() const {
  CQeStringW text = qe::labware::DescribeNames(m_wsCompanyName, m_wsTypeName, m_wsModelName);
  if (!m_outline.IsEmpty()) {
    text.AppendFormat(L"%s: %s,", qe::labware::Translate(L"Surround Area"),
                      m_outline.GetHumanReadableDesc());
  }
  text += m_element.GetHumanReadableDesc();
  return text;
}

bool CQeSingleElementHolder::EqualElement(const CQeSingleElementHolder& other) const {
  return m_wsUuid == other.m_wsUuid && m_wsCompanyName == other.m_wsCompanyName &&
         m_wsTypeName == other.m_wsTypeName && m_wsModelName == other.m_wsModelName &&
         m_element.EqualElement(other.m_element, true) && m_outline == other.m_outline;
}

namespace {

bool Near(double a, double b, double tolerance) { return std::fabs(a - b) < tolerance; }

bool SimilarShapes(const SQeShape& a, const SQeShape& b, double tolerance) {
  if (a.eType != b.eType) return false;
  switch (a.eType) {
    case eQeShapeEmpty:
      return true;
    case eQeShapeCircle:
      return Near(a.dRadius, b.dRadius, tolerance);
    case eQeShapeRoundedRectangle:
      if (!Near(a.dRadius, b.dRadius, tolerance)) return false;
      [[fallthrough]];
    case eQeShapeRectangle:
      return Near(a.rect.left, b.rect.left, tolerance) && Near(a.rect.top, b.rect.top, tolerance) &&
             Near(a.rect.right, b.rect.right, tolerance) &&
             Near(a.rect.bottom, b.rect.bottom, tolerance);
    default:
      return false;
  }
}

}  // namespace

bool CQeSingleElementHolder::SimilarSingleElementHolder(const CQeSingleElementHolder& other,
                                                        double tolerance) const {
  return SimilarShapes(m_element.GetActiveArea(), other.m_element.GetActiveArea(), tolerance) &&
         SimilarShapes(m_outline, other.m_outline, tolerance);
}
