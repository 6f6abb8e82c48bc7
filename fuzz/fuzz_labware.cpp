// The labware loaders on arbitrary documents: the bytes are decoded without
// their checksum (so that inputs reach the loaders) and given to the plate,
// the single-element holder, the shape and the layout element. Whatever
// loads must answer its queries and save to a document that loads again.
#include <cstdint>

#include "fuzz_util.h"
#include "qe/labware/layout_element.h"
#include "qe/labware/shape.h"
#include "qe/labware/single_element_holder.h"
#include "qe/labware/wellplate.h"

namespace {

// Saves the object and loads the saved document into a fresh object.
template <typename T>
void SavedLoadsAgain(const T& loaded) {
  CQeLiteVariantW writer;
  QE_FUZZ_CHECK(loaded.SaveToLiteVariant(writer) == 0);
  CQeLiteVariantR saved;
  QE_FUZZ_CHECK(writer.Finalize(saved) == 0);
  T again;
  QE_FUZZ_CHECK(again.LoadFromLiteVariant(saved) == 0);
}

void QueryHolder(const IQeElementHolder& holder) {
  holder.IsEmpty();
  holder.GetHumanReadableDesc();
  const uint32_t count = holder.GetElementCount();
  for (uint32_t index : {0u, count / 2, count - 1, count, UINT32_MAX}) {
    double x = 0, y = 0;
    holder.GetElementPosition(&x, &y, index);
    holder.GetElementName(index);
    holder.GetElement(index);
  }
  CQeRectBase<double> rect;
  holder.GetElementBoundRect(rect);
  holder.GetSticker(rect);
  SQeShape shape;
  holder.GetShape(shape);
}

void QueryPlate(const CQeWellplate& plate) {
  QueryHolder(plate);
  uint32_t rows = 0, cols = 0;
  plate.GetElementCount(&rows, &cols);
  for (uint32_t row : {0u, rows - 1, rows}) {
    for (uint32_t col : {0u, cols - 1, cols}) {
      for (int mode = 0; mode < 3; ++mode) {
        const CQeStringW name = plate.GetElementName(row, col, mode);
        plate.GetElementIndex(name);
      }
    }
  }
  plate.EqualWellplate(plate);
  plate.SimilarWellplate(plate, 0.5);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CQeLiteVariantR reader;
  if (!qe::fuzz::DocumentOf(data, size, reader)) return 0;
  const CQeByteArray bytes = reader.Data();

  CQeWellplate plate;
  if (plate.LoadFromLiteVariant(reader) == 0) {
    QueryPlate(plate);
    SavedLoadsAgain(plate);
  }

  reader.SetData(bytes);
  CQeSingleElementHolder holder;
  if (holder.LoadFromLiteVariant(reader) == 0) {
    QueryHolder(holder);
    SavedLoadsAgain(holder);
  }

  reader.SetData(bytes);
  SQeShape shape;
  if (shape.LoadFromLiteVariant(reader) == 0) {
    shape.IsEmpty();
    SavedLoadsAgain(shape);
  }

  reader.SetData(bytes);
  CQeLayoutElement element;
  if (element.LoadFromLiteVariant(reader) == 0 && element.HasActiveArea()) {
    // An element loads only with an active area or a restriction polygon;
    // an empty active area is not saved, so only elements that have one
    // must load again.
    SavedLoadsAgain(element);
  }
  return 0;
}
