// Labware objects (plates, layout elements, shapes) as the bytes stored in
// the labware tables' blob columns.
#pragma once

#include "qe/core/byte_array.h"
#include "qe/core/lite_variant.h"

namespace qe::projectdb::labware {

// The lite-variant document that object.SaveToLiteVariant writes into a
// fresh writer, as bytes. Returns 0, or the save's or the finalization's
// status (bytes then untouched).
template <typename T>
int SerializeLabware(const T& object, CQeByteArray& bytes) {
  CQeLiteVariantW writer;
  int status = object.SaveToLiteVariant(writer);
  if (status != 0) return status;
  CQeLiteVariantR reader;
  status = writer.Finalize(reader);
  if (status != 0) return status;
  bytes = reader.Data();
  return 0;
}

}  // namespace qe::projectdb::labware
