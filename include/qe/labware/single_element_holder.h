// Dishes and slides: a holder of one element (the usable area), with an
// optional outer outline (the "Surround Area") and an optional sticker.
//
// Conventions (besides those of element_holder.h):
//  - The element is placed at (0, 0); its name is the company name (for the
//    built-in slides, the size text such as "75x25 mm").
//  - Stored form: level "CQeSingleElementHolder" holding "wsUuid",
//    "wsCompanyName", "wsTypeName", "wsModelName", the element's
//    "CQeLayoutElement" level, the outline's "SQeShape" level and
//    "dStickerL", "dStickerT", "dStickerR", "dStickerB".
//  - Storing user-made dishes in a project database is done by the labware
//    record layer (qe/projectdb/records/labware_custom.h); this class is
//    geometry only.
#pragma once

#include "qe/labware/element_holder.h"

class CQeSingleElementHolder : public IQeElementHolder {
 public:
  // Everything empty and 0.
  CQeSingleElementHolder() = default;
  // Null names stay empty; a null sticker means none.
  CQeSingleElementHolder(const CQeStringW& uuid, const CQeStringW& company, const CQeStringW& type,
                         const CQeStringW& model, const CQeLayoutElement& element,
                         const CQeRectBase<double>* sticker);
  CQeSingleElementHolder(const CQeStringW& uuid, const CQeStringW& company, const CQeStringW& type,
                         const CQeStringW& model, const CQeLayoutElement& element,
                         const SQeShape& outline, const CQeRectBase<double>* sticker);

  // IQeElementHolder.
  IQeElementHolder* GetInterface(const CQeStringW& name) override;
  CQeSingleElementHolder* Copy() const override;
  void Delete() override;
  // The element is empty.
  bool IsEmpty() const override { return m_element.IsEmpty(); }
  CQeStringW GetModelName() const override { return m_wsModelName; }
  CQeStringW GetTypeName() const override { return m_wsTypeName; }
  CQeStringW GetCompanyName() const override { return m_wsCompanyName; }
  void SetModelName(const CQeStringW& name) override { m_wsModelName = name; }
  void SetTypeName(const CQeStringW& name) override { m_wsTypeName = name; }
  void SetCompanyName(const CQeStringW& name) override { m_wsCompanyName = name; }
  // Always 1.
  uint32_t GetElementCount() const override { return 1; }
  // Index 0 lies at (0, 0): 0; any other index -13 (outputs untouched).
  int GetElementPosition(double* x, double* y, uint32_t index) const override;
  // Index 0: the company name; others the empty text.
  CQeStringW GetElementName(uint32_t index) const override;
  // The element's bounding rectangle and its status.
  int GetElementBoundRect(CQeRectBase<double>& bound) const override;
  bool HasShape() const override { return !m_outline.IsEmpty(); }
  int GetShape(SQeShape& shape) const override;
  int SetShape(const SQeShape& shape) override;
  // -13 when the sticker has zero width or height (no sticker), else 0.
  int GetSticker(CQeRectBase<double>& sticker) const override;
  int SetSticker(const CQeRectBase<double>& sticker) override;
  const CQeLayoutElement* GetElement(uint32_t index) const override;
  // The names as for plates, then "Surround Area: <outline>," when there is
  // an outline, then the element's description.
  CQeStringW GetHumanReadableDesc() const override;
  // -9 when the level cannot be opened, else 0.
  int SaveToLiteVariant(CQeLiteVariantW& writer) const override;
  // -9 when level "CQeSingleElementHolder" is missing (nothing changes),
  // else 0; absent values read as the empty text or 0.
  int LoadFromLiteVariant(CQeLiteVariantR& reader) override;

  // Further operations of a dish or slide.
  virtual CQeStringW GetUuid() const { return m_wsUuid; }
  virtual void SetUuid(const CQeStringW& uuid) { m_wsUuid = uuid; }

  const CQeLayoutElement& GetLayoutElement() const { return m_element; }
  void SetLayoutElement(const CQeLayoutElement& element) { m_element = element; }
  // The sticker as stored, whether or not it is empty.
  const CQeRectBase<double>& GetStickerRect() const { return m_sticker; }

  // Same uuid and names, elements of equal shape and equal outlines.
  bool EqualElement(const CQeSingleElementHolder& other) const;
  // The element areas and the outlines are alike within the tolerance (each
  // difference strictly below it): same shape type, and circles' radii,
  // rectangles' four sides (rounded rectangles also their radius) close;
  // two empty shapes are alike, polygons never. Names and uuid are ignored.
  bool SimilarSingleElementHolder(const CQeSingleElementHolder& other, double tolerance) const;

 private:
  CQeLayoutElement m_element;
  SQeShape m_outline;
  CQeRectBase<double> m_sticker;
  CQeStringW m_wsUuid;
  CQeStringW m_wsCompanyName;
  CQeStringW m_wsTypeName;
  CQeStringW m_wsModelName;
};
