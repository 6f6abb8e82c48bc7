// The interface of a labware definition: a holder of elements (the wells of
// a plate, or the one usable area of a dish or slide) with an identity
// (uuid, company, type and model names) and an outline.
//
// Conventions:
//  - Lengths and coordinates are micrometres; x grows to the right, y
//    downwards. Texts for people print millimetres.
//  - Status results: 0 success, -9 (eQeFailed), -13 (eQeNotFound: no such
//    element, no sticker). Output pointers may be null: an output is written
//    only when its pointer is not null and the call succeeds.
//  - Holders are plain objects owned by whoever made them; Copy hands out a
//    new one that the caller releases with Delete (or delete). Not shared
//    between threads.
//  - The virtual functions keep this order; derived classes add theirs after.
#pragma once

#include <cstdint>

#include "qe/core/geometry.h"
#include "qe/core/string.h"
#include "qe/labware/layout_element.h"
#include "qe/labware/shape.h"

class CQeLiteVariantW;
class CQeLiteVariantR;

class IQeElementHolder {
 public:
  virtual ~IQeElementHolder() = default;

  // This holder when name is the name of its class ("CQeWellplate",
  // "CQeSingleElementHolder"), else null.
  virtual IQeElementHolder* GetInterface(const CQeStringW& name) = 0;
  // A new holder of the same class, copied from this one; the caller owns it.
  virtual IQeElementHolder* Copy() const = 0;
  // Destroys a holder made by Copy.
  virtual void Delete() = 0;
  virtual bool IsEmpty() const = 0;
  virtual CQeStringW GetModelName() const = 0;
  virtual CQeStringW GetTypeName() const = 0;
  virtual CQeStringW GetCompanyName() const = 0;
  virtual void SetModelName(const CQeStringW& name) = 0;
  virtual void SetTypeName(const CQeStringW& name) = 0;
  virtual void SetCompanyName(const CQeStringW& name) = 0;
  virtual uint32_t GetElementCount() const = 0;
  // Centre of the element with that index: 0, or -13 for no such element.
  virtual int GetElementPosition(double* x, double* y, uint32_t index) const = 0;
  // Name of the element for people; empty for no such element.
  virtual CQeStringW GetElementName(uint32_t index) const = 0;
  // Rectangle around every element: 0, or the status of the failed part.
  virtual int GetElementBoundRect(CQeRectBase<double>& bound) const = 0;
  // Whether the holder has an outline.
  virtual bool HasShape() const = 0;
  // The outline: 0, or -9 when there is none (the output is then untouched).
  virtual int GetShape(SQeShape& shape) const = 0;
  virtual int SetShape(const SQeShape& shape) = 0;
  // The label area: 0, or -13 when there is none.
  virtual int GetSticker(CQeRectBase<double>& sticker) const = 0;
  virtual int SetSticker(const CQeRectBase<double>& sticker) = 0;
  // The element with that index, owned by the holder; null for no such one.
  virtual const CQeLayoutElement* GetElement(uint32_t index) const = 0;
  virtual CQeStringW GetHumanReadableDesc() const = 0;
  // Write or read the holder's own lite-variant level at the current level.
  virtual int SaveToLiteVariant(CQeLiteVariantW& writer) const = 0;
  virtual int LoadFromLiteVariant(CQeLiteVariantR& reader) = 0;
};

namespace qe::labware {
// The identity part of a holder's description: "Company: X, Type: Y,
// Model: Z" with the translated words, leaving out empty values, and
// "\r\n" after it when anything was written.
CQeStringW DescribeNames(const CQeStringW& company, const CQeStringW& type,
                         const CQeStringW& model);
}  // namespace qe::labware
