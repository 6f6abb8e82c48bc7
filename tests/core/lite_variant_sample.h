// A plate-like lite-variant document shared by the lite-variant tests: named
// values of every type, nested named levels and a polygon as unnamed levels.
#pragma once

#include "qe/core/lite_variant.h"

namespace qe::test {

// The document as stored bytes only, as a blob column gives it back.
inline CQeLiteVariantR LiteVariantSample() {
  CQeLiteVariantW w;
  w.LevelBegin(L"CQeWellplate");
  w.Set(L"Grüße 'ü' \"%s\" 日本", L"wsModelName");
  w.Set(CQeStringW(), L"wsUuid");
  w.Set(int32_t{-7}, L"eNamingMode");
  w.Set(uint32_t{0xFFFFFFF0u}, L"uiXCount");
  w.Set(9000.25, L"dXDistance");
  w.Set(true, L"bFlag");
  w.Set(CQeByteArray(), L"pEmpty");
  const uint8_t raw[] = {0, 1, 0xFF, 0x80};
  w.Set(CQeByteArray(raw, 4), L"pRaw");
  w.LevelBegin(L"SQeShape");
  w.Set(int32_t{4}, L"eType");
  w.LevelBegin(L"pPolygonRest");
  for (int i = 0; i < 3; ++i) {
    w.LevelBegin(nullptr);
    w.Set(i * 1.5, L"dX");
    w.Set(-i * 2.0, L"dY");
    w.LevelEnd();
  }
  for (int i = 0; i < 3; ++i) w.LevelEnd();
  CQeLiteVariantR finalized;
  w.Finalize(finalized);
  return CQeLiteVariantR(finalized.Data());
}

}  // namespace qe::test
