#include "qe/labware/layout_element.h"

#include "labware/translate.h"
#include "qe/core/status.h"

bool CQeLayoutElement::HasRestriction() const {
  return m_vectRestriction.size() > 2 || m_dLeaveEdge > 0 || m_dLeaveCenter > 0;
}

bool CQeLayoutElement::IsEmpty() const { return !HasActiveArea() && m_vectRestriction.empty(); }

bool CQeLayoutElement::EqualElement(const CQeLayoutElement& other, bool shape_only) const {
  if (!(m_activeArea == other.m_activeArea)) return false;
  if (shape_only) return true;
  return m_dLeaveCenter == other.m_dLeaveCenter && m_dLeaveEdge == other.m_dLeaveEdge;
}

int CQeLayoutElement::GetBoundRect(CQeRectBase<double>& bound) const {
  if (HasActiveArea()) return m_activeArea.GetBoundRect(bound);
  return qe::labware::PolygonBoundRect(m_vectRestriction, bound);
}

double CQeLayoutElement::Width() const {
  if (HasActiveArea()) return m_activeArea.Width();
  if (m_vectRestriction.size() > 2) return SQeShape(m_vectRestriction).Width();
  return 0;
}

double CQeLayoutElement::Height() const {
  if (HasActiveArea()) return m_activeArea.Height();
  if (m_vectRestriction.size() > 2) return SQeShape(m_vectRestriction).Height();
  return 0;
}

CQeStringW CQeLayoutElement::GetHumanReadableDesc() const {
  if (!HasActiveArea()) return {};
  return qe::labware::Translate(L"Working Area: ") + m_activeArea.GetHumanReadableDesc();
}
