#include "qe/labware/wellplate.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "labware/translate.h"
#include "qe/core/status.h"

CQeWellplate::CQeWellplate(const CQeStringW& uuid, const CQeStringW& company,
                           const CQeStringW& type, const CQeStringW& model,
                           EQeElementNamingMode naming_mode, EQeElementNamingType row_naming,
                           EQeElementNamingType col_naming, uint32_t col_count, uint32_t row_count,
                           double x_distance, double y_distance, double plate_width,
                           double plate_height, double x_offset, double y_offset,
                           const CQeLayoutElement& well)
    : m_well(well),
      m_wsUuid(uuid),
      m_wsCompanyName(company),
      m_wsTypeName(type),
      m_wsModelName(model),
      m_naming(naming_mode, row_naming, col_naming, true),
      m_dXWellOffset(x_offset),
      m_dYWellOffset(y_offset),
      m_dXDistance(x_distance),
      m_dYDistance(y_distance) {
  SetElementCount(row_count, col_count);
  const double x1 = -x_offset;
  const double x2 = plate_width - x_offset;
  const double y1 = -y_offset;
  const double y2 = plate_height - y_offset;
  m_outline.eType = eQeShapeRectangle;
  m_outline.rect =
      CQeRectBase<double>(std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2));
}

CQeWellplate::CQeWellplate(const CQeStringW& uuid, EQeElementNamingMode naming_mode,
                           EQeElementNamingType row_naming, EQeElementNamingType col_naming,
                           uint32_t col_count, uint32_t row_count, double x_distance,
                           double y_distance, double plate_width, double plate_height,
                           double x_offset, double y_offset, const CQeLayoutElement& well)
    : CQeWellplate(uuid, CQeStringW(), CQeStringW(), CQeStringW(), naming_mode, row_naming,
                   col_naming, col_count, row_count, x_distance, y_distance, plate_width,
                   plate_height, x_offset, y_offset, well) {}

IQeElementHolder* CQeWellplate::GetInterface(const CQeStringW& name) {
  return name == L"CQeWellplate" ? this : nullptr;
}

CQeWellplate* CQeWellplate::Copy() const { return new CQeWellplate(*this); }

void CQeWellplate::Delete() { delete this; }

bool CQeWellplate::IsEmpty() const { return m_uiXCount == 0 && m_uiYCount == 0; }

uint32_t CQeWellplate::GetElementCount() const {
  const uint64_t count = uint64_t{m_uiXCount} * m_uiYCount;
  return static_cast<uint32_t>(std::min<uint64_t>(count, std::numeric_limits<uint32_t>::max()));
}

int CQeWellplate::GetElementPosition(double* x, double* y, uint32_t index) const {
  if (index >= GetElementCount()) return eQeNotFound;
  return GetElementPosition(x, y, index / m_uiXCount, index % m_uiXCount);
}

int CQeWellplate::GetElementPosition(double* x, double* y, uint32_t row, uint32_t col) const {
  if (col >= m_uiXCount || row >= m_uiYCount) return eQeNotFound;
  if (x) *x = m_outline.Left() + m_dXWellOffset + col * m_dXDistance;
  if (y) *y = m_outline.Top() + m_dYWellOffset + row * m_dYDistance;
  return eQeOk;
}

CQeStringW CQeWellplate::GetElementName(uint32_t index) const { return GetElementName(index, 2); }

CQeStringW CQeWellplate::GetElementName(uint32_t index, int mode) const {
  if (index >= GetElementCount()) return {};
  return GetElementName(index / m_uiXCount, index % m_uiXCount, mode);
}

CQeStringW CQeWellplate::GetElementName(uint32_t row, uint32_t col, int mode) const {
  if (row >= m_uiYCount || col >= m_uiXCount) return {};
  if (m_naming.eNamingMode == eQeNamingModeRowColumn) {
    switch (mode) {
      case 0:
        return m_naming.GetRowName(m_uiYCount, row);
      case 1:
        return m_naming.GetColName(m_uiXCount, col);
      case 2:
        break;
      default:
        return {};
    }
  }
  return m_naming.GetName(m_uiYCount, m_uiXCount, row, col);
}

int CQeWellplate::GetElementIndex(const CQeStringW& name) const {
  return m_naming.GetIndex(m_uiYCount, m_uiXCount, name);
}

int CQeWellplate::GetElementBoundRect(CQeRectBase<double>& bound) const {
  // Counts of 0 give a rectangle narrower than one well; callers check
  // IsEmpty first.
  bound.left = m_outline.Left() + m_dXWellOffset - m_well.Width() / 2;
  bound.top = m_outline.Top() + m_dYWellOffset - m_well.Height() / 2;
  bound.right = bound.left + m_well.Width() + (static_cast<double>(m_uiXCount) - 1) * m_dXDistance;
  bound.bottom = bound.top + m_well.Height() + (static_cast<double>(m_uiYCount) - 1) * m_dYDistance;
  return eQeOk;
}

int CQeWellplate::GetShape(SQeShape& shape) const {
  if (m_outline.IsEmpty()) return eQeFailed;
  shape = m_outline;
  return eQeOk;
}

int CQeWellplate::SetShape(const SQeShape& shape) {
  m_outline = shape;
  return eQeOk;
}

int CQeWellplate::GetSticker(CQeRectBase<double>&) const { return eQeNotFound; }

int CQeWellplate::SetSticker(const CQeRectBase<double>&) { return eQeNotFound; }

const CQeLayoutElement* CQeWellplate::GetElement(uint32_t index) const {
  return index < GetElementCount() ? &m_well : nullptr;
}

CQeStringW CQeWellplate::GetHumanReadableDesc() const {
  CQeStringW text = qe::labware::DescribeNames(m_wsCompanyName, m_wsTypeName, m_wsModelName);
  text.AppendFormat(L"%s: %d,", qe::labware::Translate(L"Well count"),
                    static_cast<long long>(GetElementCount()));
  text += m_well.GetHumanReadableDesc();
  return text;
}

void CQeWellplate::GetNaming(EQeElementNamingMode* mode, EQeElementNamingType* row_type,
                             EQeElementNamingType* col_type) const {
  if (mode) *mode = m_naming.eNamingMode;
  if (row_type) *row_type = m_naming.eRowNamingType;
  if (col_type) *col_type = m_naming.eColNamingType;
}

void CQeWellplate::SetNaming(EQeElementNamingMode mode, EQeElementNamingType row_type,
                             EQeElementNamingType col_type) {
  m_naming.eNamingMode = mode;
  m_naming.eRowNamingType = row_type;
  m_naming.eColNamingType = col_type;
}

void CQeWellplate::GetDistance(double* x, double* y) const {
  if (x) *x = m_dXDistance;
  if (y) *y = m_dYDistance;
}

void CQeWellplate::SetDistance(double x, double y) {
  m_dXDistance = x;
  m_dYDistance = y;
}

void CQeWellplate::GetWellOffset(double* x, double* y) const {
  if (x) *x = m_dXWellOffset;
  if (y) *y = m_dYWellOffset;
}

void CQeWellplate::SetWellOffset(double x, double y) {
  m_dXWellOffset = x;
  m_dYWellOffset = y;
}

void CQeWellplate::GetElementCount(uint32_t* rows, uint32_t* cols) const {
  if (rows) *rows = m_uiYCount;
  if (cols) *cols = m_uiXCount;
}

int CQeWellplate::SetElementCount(uint32_t rows, uint32_t cols) {
  if (rows == 0 || cols == 0) {
    m_uiYCount = m_uiXCount = 0;
    return eQeFailed;
  }
  m_uiYCount = rows;
  m_uiXCount = cols;
  return eQeOk;
}

bool CQeWellplate::EqualWellplate(const CQeWellplate& other) const {
  return m_iUserFlag == other.m_iUserFlag && m_wsCompanyName == other.m_wsCompanyName &&
         m_wsTypeName == other.m_wsTypeName && m_wsModelName == other.m_wsModelName &&
         m_naming.eNamingMode == other.m_naming.eNamingMode &&
         m_naming.eRowNamingType == other.m_naming.eRowNamingType &&
         m_naming.eColNamingType == other.m_naming.eColNamingType && m_outline == other.m_outline &&
         m_uiXCount == other.m_uiXCount && m_uiYCount == other.m_uiYCount &&
         m_dXDistance == other.m_dXDistance && m_dYDistance == other.m_dYDistance &&
         m_dXWellOffset == other.m_dXWellOffset && m_dYWellOffset == other.m_dYWellOffset &&
         m_well.EqualElement(other.m_well, true);
}

namespace {

bool Near(double a, double b, double tolerance) { return std::fabs(a - b) < tolerance; }

bool NearRect(const CQeRectBase<double>& a, const CQeRectBase<double>& b, double tolerance) {
  return Near(a.left, b.left, tolerance) && Near(a.top, b.top, tolerance) &&
         Near(a.right, b.right, tolerance) && Near(a.bottom, b.bottom, tolerance);
}

}  // namespace

bool CQeWellplate::SimilarWellplate(const CQeWellplate& other, double tolerance) const {
  if (m_iUserFlag != 0 || other.m_iUserFlag != 0) return false;
  const SQeShape& a = m_well.GetActiveArea();
  const SQeShape& b = other.m_well.GetActiveArea();
  if (a.eType != b.eType) return false;
  if (a.eType == eQeShapeCircle) {
    if (!Near(a.dRadius, b.dRadius, tolerance)) return false;
  } else if (a.eType == eQeShapeRectangle) {
    if (!NearRect(a.rect, b.rect, tolerance)) return false;
  } else {
    return false;
  }
  return m_naming.eNamingMode == other.m_naming.eNamingMode &&
         m_naming.eRowNamingType == other.m_naming.eRowNamingType &&
         m_naming.eColNamingType == other.m_naming.eColNamingType &&
         m_uiXCount == other.m_uiXCount && m_uiYCount == other.m_uiYCount &&
         Near(m_dXDistance, other.m_dXDistance, tolerance) &&
         Near(m_dYDistance, other.m_dYDistance, tolerance) &&
         Near(m_dXWellOffset, other.m_dXWellOffset, tolerance) &&
         Near(m_dYWellOffset, other.m_dYWellOffset, tolerance) &&
         m_outline.eType == other.m_outline.eType &&
         NearRect(m_outline.rect, other.m_outline.rect, tolerance);
}

IQeElementHolder* CQeWellplateEditable::GetInterface(const CQeStringW& name) {
  if (name == L"CQeWellplateEditable") return this;
  return CQeWellplate::GetInterface(name);
}

CQeWellplateEditable* CQeWellplateEditable::Copy() const { return new CQeWellplateEditable(*this); }

int CQeWellplateEditable::GetElemPosition(double* x, double* y, uint32_t row, uint32_t col) const {
  uint32_t rows = 0;
  uint32_t cols = 0;
  GetElementCount(&rows, &cols);
  if (col >= cols || row >= rows) return eQeNotFound;
  double dx = 0;
  double dy = 0;
  GetDistance(&dx, &dy);
  if (x) *x = OutlineLeft() + col * dx;
  if (y) *y = OutlineTop() + row * dy;
  return eQeOk;
}
