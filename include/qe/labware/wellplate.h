// Well plates: a regular grid of identical wells inside a plate outline.
//
// Conventions (besides those of element_holder.h):
//  - Rows run along y (count "uiYCount"), columns along x ("uiXCount"). Well
//    (row, column) lies at outline Left + x offset + column x x distance,
//    outline Top + y offset + row x y distance; the well shape is centred
//    there. Indices are row-major: row x column count + column.
//  - Stored form: level "CQeWellplate" holding, in this order, "wsUuid",
//    "wsCompanyName", "wsTypeName", "wsModelName", "eNamingMode",
//    "eXNamingType" (columns), "eYNamingType" (rows), the well's
//    "CQeLayoutElement" level, the outline's "SQeShape" level,
//    "dXWellOffset", "dYWellOffset", "uiXCount", "uiYCount", "dXDistance",
//    "dYDistance". Naming compression and the user flag are not stored.
//  - Storing user-made plates in a project database is done by the labware
//    record layer (qe/projectdb/records/labware_custom.h); this class is
//    geometry only.
#pragma once

#include <cstdint>

#include "qe/labware/element_holder.h"
#include "qe/labware/element_naming.h"

class CQeWellplate : public IQeElementHolder {
 public:
  // Naming mode 1 with numbers, compression on; no wells, no outline; user
  // flag 0.
  CQeWellplate() = default;
  // A whole plate. The counts go through SetElementCount; compression is on.
  // The outline is the plate_width x plate_height rectangle placed so that
  // the first well lies at (0, 0): from -x_offset to plate_width - x_offset
  // and from -y_offset to plate_height - y_offset. Null names stay empty.
  CQeWellplate(const CQeStringW& uuid, const CQeStringW& company, const CQeStringW& type,
               const CQeStringW& model, EQeElementNamingMode naming_mode,
               EQeElementNamingType row_naming, EQeElementNamingType col_naming, uint32_t col_count,
               uint32_t row_count, double x_distance, double y_distance, double plate_width,
               double plate_height, double x_offset, double y_offset, const CQeLayoutElement& well);
  // The same without names (the built-in geometries carry none).
  CQeWellplate(const CQeStringW& uuid, EQeElementNamingMode naming_mode,
               EQeElementNamingType row_naming, EQeElementNamingType col_naming, uint32_t col_count,
               uint32_t row_count, double x_distance, double y_distance, double plate_width,
               double plate_height, double x_offset, double y_offset, const CQeLayoutElement& well);

  // IQeElementHolder.
  IQeElementHolder* GetInterface(const CQeStringW& name) override;
  CQeWellplate* Copy() const override;
  void Delete() override;
  // Both counts are 0.
  bool IsEmpty() const override;
  CQeStringW GetModelName() const override { return m_wsModelName; }
  CQeStringW GetTypeName() const override { return m_wsTypeName; }
  CQeStringW GetCompanyName() const override { return m_wsCompanyName; }
  void SetModelName(const CQeStringW& name) override { m_wsModelName = name; }
  void SetTypeName(const CQeStringW& name) override { m_wsTypeName = name; }
  void SetCompanyName(const CQeStringW& name) override { m_wsCompanyName = name; }
  // Rows x columns.
  uint32_t GetElementCount() const override;
  // The well's position by row-major index: 0, or -13 when index >= count.
  int GetElementPosition(double* x, double* y, uint32_t index) const override;
  // GetElementName(index, 2).
  CQeStringW GetElementName(uint32_t index) const override;
  // The rectangle from the first well's top-left to the last well's
  // bottom-right corner; always 0.
  int GetElementBoundRect(CQeRectBase<double>& bound) const override;
  bool HasShape() const override { return !m_outline.IsEmpty(); }
  int GetShape(SQeShape& shape) const override;
  int SetShape(const SQeShape& shape) override;
  // Plates have no sticker: -13.
  int GetSticker(CQeRectBase<double>& sticker) const override;
  int SetSticker(const CQeRectBase<double>& sticker) override;
  // The well for every index below the count, else null.
  const CQeLayoutElement* GetElement(uint32_t index) const override;
  // "Company: X, Type: Y, Model: Z\r\nWell count: 96,Working Area: ..."
  // (empty names left out, the words translated).
  CQeStringW GetHumanReadableDesc() const override;
  // -9 when the level cannot be opened, else 0.
  int SaveToLiteVariant(CQeLiteVariantW& writer) const override;
  // -9 when level "CQeWellplate" is missing (nothing changes), else 0; every
  // stored value absent reads as the empty text or 0. The user flag and the
  // naming compression are kept.
  int LoadFromLiteVariant(CQeLiteVariantR& reader) override;

  // Further operations of a plate.
  // The well's position by row and column: 0, or -13 when column >= column
  // count or row >= row count.
  virtual int GetElementPosition(double* x, double* y, uint32_t row, uint32_t col) const;
  // As LoadFromLiteVariant, but the four names and the user flag come from
  // the arguments and the stored names are not read.
  virtual int LoadFromLiteVariantWithUuid(CQeLiteVariantR& reader, const CQeStringW& uuid,
                                          const CQeStringW& company, const CQeStringW& type,
                                          const CQeStringW& model, int user_flag);

  CQeStringW GetUuid() const { return m_wsUuid; }
  void SetUuid(const CQeStringW& uuid) { m_wsUuid = uuid; }
  int GetUserFlag() const { return m_iUserFlag; }
  void GetNaming(EQeElementNamingMode* mode, EQeElementNamingType* row_type,
                 EQeElementNamingType* col_type) const;
  void SetNaming(EQeElementNamingMode mode, EQeElementNamingType row_type,
                 EQeElementNamingType col_type);
  void SetNamingCompression(bool compression) { m_naming.bNamingCompression = compression; }
  const SQeElementNaming& GetElementNaming() const { return m_naming; }
  void GetDistance(double* x, double* y) const;
  void SetDistance(double x, double y);
  void GetWellOffset(double* x, double* y) const;
  void SetWellOffset(double x, double y);
  void GetElementCount(uint32_t* rows, uint32_t* cols) const;
  // When either count is 0 both become 0 and the result is -9; else 0.
  int SetElementCount(uint32_t rows, uint32_t cols);
  const CQeLayoutElement& GetWell() const { return m_well; }
  void SetWell(const CQeLayoutElement& well) { m_well = well; }

  // Name of well (row, col). In naming mode 2: mode 0 gives the row name, 1
  // the column name, 2 the full name, others the empty text; in the other
  // naming modes the full name. Empty outside the grid.
  CQeStringW GetElementName(uint32_t row, uint32_t col, int mode) const;
  // The same by row-major index; empty when the index is out of range.
  CQeStringW GetElementName(uint32_t index, int mode) const;
  // The row-major index of the well a name gives (see
  // SQeElementNaming::GetIndex), or -1.
  int GetElementIndex(const CQeStringW& name) const;

  // Same user flag, names (not the uuid), naming, outline, counts, exactly
  // the same distances and offsets, and wells of equal shape.
  bool EqualWellplate(const CQeWellplate& other) const;
  // The same geometry within a tolerance (each difference strictly below
  // it): wells both circles (radius) or both rectangles (four sides); equal
  // naming and counts; distances and offsets; outlines of the same type
  // (four rectangle sides). A user-made plate (user flag not 0) is never
  // similar to anything.
  bool SimilarWellplate(const CQeWellplate& other, double tolerance) const;

 protected:
  // The outline's left and top edges, where the editable plate's grid starts.
  double OutlineLeft() const { return m_outline.Left(); }
  double OutlineTop() const { return m_outline.Top(); }

 private:
  int LoadBody(CQeLiteVariantR& reader, bool read_names);

  CQeLayoutElement m_well;
  CQeStringW m_wsUuid;
  CQeStringW m_wsCompanyName;
  CQeStringW m_wsTypeName;
  CQeStringW m_wsModelName;
  SQeElementNaming m_naming;
  double m_dXWellOffset = 0;
  double m_dYWellOffset = 0;
  double m_dXDistance = 0;
  double m_dYDistance = 0;
  uint32_t m_uiXCount = 0;
  uint32_t m_uiYCount = 0;
  int m_iUserFlag = 0;
  SQeShape m_outline;
};

// A plate whose wells are placed by GetElemPosition without the well offset,
// for editing a user-made plate.
class CQeWellplateEditable : public CQeWellplate {
 public:
  using CQeWellplate::CQeWellplate;
  CQeWellplateEditable() = default;
  explicit CQeWellplateEditable(const CQeWellplate& plate) : CQeWellplate(plate) {}

  // Also answers "CQeWellplateEditable".
  IQeElementHolder* GetInterface(const CQeStringW& name) override;
  CQeWellplateEditable* Copy() const override;

  // Outline Left + column x x distance, outline Top + row x y distance: 0,
  // or -13 outside the grid (outputs untouched).
  virtual int GetElemPosition(double* x, double* y, uint32_t row, uint32_t col) const;
};
