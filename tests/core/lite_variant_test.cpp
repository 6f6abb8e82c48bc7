#include "qe/core/lite_variant.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "qe/core/status.h"

namespace {

// A plate-like document: named values of every type, nested named levels and
// a polygon as unnamed levels, stored and read back through bytes only.
CQeLiteVariantR WriteSample() {
  CQeLiteVariantW w;
  EXPECT_EQ(w.LevelBegin(L"CQeWellplate"), 0);
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
  w.LevelEnd();
  w.LevelEnd();
  w.LevelEnd();
  CQeLiteVariantR finalized;
  EXPECT_EQ(w.Finalize(finalized), 0);
  CQeLiteVariantR stored;
  stored.Data().SetData(finalized.Data().GetData(), finalized.Data().GetSize());
  return stored;
}

}  // namespace

TEST(LiteVariant, RoundTripOfNestedLevelsAndEveryType) {
  CQeLiteVariantR r = WriteSample();
  ASSERT_EQ(r.Load(), 0);
  int count = -1;
  ASSERT_EQ(r.LevelBegin(L"CQeWellplate", count), 0);
  EXPECT_EQ(count, 9);
  EXPECT_EQ(r.Get(L"wsModelName", L""), L"Grüße 'ü' \"%s\" 日本");
  EXPECT_TRUE(r.IsValueSet(L"wsUuid"));
  EXPECT_EQ(r.Get(L"wsUuid", L"default"), L"");
  EXPECT_EQ(r.Get(L"eNamingMode", 0), -7);
  EXPECT_EQ(r.Get(L"uiXCount", 0u), 0xFFFFFFF0u);
  EXPECT_EQ(r.Get(L"dXDistance", 0.0), 9000.25);
  EXPECT_TRUE(r.Get(L"bFlag", false));
  EXPECT_TRUE(r.IsValueSet(L"pEmpty"));
  EXPECT_EQ(r.Get(L"pEmpty", CQeByteArray(1)).GetSize(), 0);
  CQeByteArray raw = r.Get(L"pRaw", CQeByteArray());
  ASSERT_EQ(raw.GetSize(), 4);
  EXPECT_EQ(raw.GetData()[2], 0xFF);

  ASSERT_EQ(r.LevelBegin(L"SQeShape"), 0);
  EXPECT_EQ(r.Get(L"eType", 0), 4);
  ASSERT_EQ(r.LevelBegin(L"pPolygonRest", count), 0);
  EXPECT_EQ(count, 3);
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(r.CurrentLevelBegin(), 0) << i;
    EXPECT_EQ(r.Get(L"dX", -1.0), i * 1.5);
    EXPECT_EQ(r.Get(L"dY", 1.0), -i * 2.0);
    EXPECT_EQ(r.LevelEnd(), 0);
  }
  EXPECT_EQ(r.CurrentLevelBegin(), eQeNotFound);
  EXPECT_EQ(r.LevelEnd(), 0);
  EXPECT_EQ(r.LevelEnd(), 0);
  EXPECT_EQ(r.LevelEnd(), 0);
  EXPECT_EQ(r.LevelEnd(), eQeFailed);  // already at the top
}

TEST(LiteVariant, AbsentNamesGiveDefaultsAndWrongTypesToo) {
  CQeLiteVariantR r = WriteSample();
  EXPECT_EQ(r.LevelBegin(L"NoSuchLevel"), eQeNotFound);
  ASSERT_EQ(r.LevelBegin(L"CQeWellplate"), 0);
  EXPECT_EQ(r.Get(L"missing", 42), 42);
  EXPECT_EQ(r.Get(L"missing", L"dflt"), L"dflt");
  EXPECT_FALSE(r.IsValueSet(L"missing"));
  EXPECT_FALSE(r.IsValueSet(L"SQeShape"));             // a level, not a value
  EXPECT_EQ(r.Get(L"wsModelName", 5), 5);              // a text does not read as a number
  EXPECT_EQ(r.Get(L"eNamingMode", L"x"), L"x");        // nor a number as a text
  EXPECT_EQ(r.Get(L"dXDistance", 0), 9000);            // numbers convert
  EXPECT_EQ(r.Get(L"eNamingMode", 0u), 0xFFFFFFF9u);   // int32 and uint32 keep their bits
  EXPECT_EQ(r.Get(L"wsmodelname", L"case"), L"case");  // names are case-sensitive
}

TEST(LiteVariant, DoublesSaturateWhenReadAsIntegers) {
  CQeLiteVariantW w;
  w.Set(1e30, L"big");
  w.Set(-1e30, L"small");
  w.Set(std::numeric_limits<double>::quiet_NaN(), L"nan");
  CQeLiteVariantR r;
  ASSERT_EQ(w.Finalize(r), 0);
  EXPECT_EQ(r.Get(L"big", 0), std::numeric_limits<int32_t>::max());
  EXPECT_EQ(r.Get(L"small", 0u), 0u);
  EXPECT_EQ(r.Get(L"nan", 3), 3);
  EXPECT_TRUE(std::isnan(r.Get(L"nan", 0.0)));
}

TEST(LiteVariant, UnnamedValuesIterateInOrderSkippingLevels) {
  CQeLiteVariantW w;
  w.Set(L"first");
  w.LevelBegin(L"");
  w.Set(int32_t{1}, L"inner");
  w.LevelEnd();
  w.Set(int32_t{2});
  w.Set(L"named", L"n");
  w.Set(L"");
  CQeLiteVariantR r;
  ASSERT_EQ(w.Finalize(r), 0);
  std::vector<CQeStringW> seen;
  while (r.IsNextValue()) {
    ASSERT_EQ(r.NextValue(), 0);
    seen.push_back(r.Get(nullptr, L"?"));
  }
  EXPECT_EQ(r.NextValue(), eQeNotFound);
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0], L"first");
  EXPECT_EQ(seen[1], L"?");  // the int reads only as a number
  EXPECT_EQ(seen[2], L"");
  // The first unnamed level is reachable by the empty name, from anywhere.
  int count = 0;
  ASSERT_EQ(r.LevelBegin(L"", count), 0);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(r.Get(L"inner", 0), 1);
}

TEST(LiteVariant, WriterReplacesSameNamesAndReopensLevels) {
  CQeLiteVariantW w;
  w.Set(int32_t{1}, L"a");
  w.LevelBegin(L"L");
  w.Set(int32_t{1}, L"x");
  w.LevelEnd();
  w.Set(L"two", L"a");  // replaces the int in place
  w.LevelBegin(L"L");   // opens the same level again
  w.Set(int32_t{2}, L"y");
  EXPECT_EQ(w.LevelEnd(), 0);
  EXPECT_EQ(w.LevelEnd(), eQeFailed);
  CQeLiteVariantR r;
  ASSERT_EQ(w.Finalize(r), 0);
  ASSERT_EQ(r.CurrentLevel()->entries.size(), 2u);
  EXPECT_EQ(r.Get(L"a", L""), L"two");
  int count = 0;
  ASSERT_EQ(r.LevelBegin(L"L", count), 0);
  EXPECT_EQ(count, 2);
}

TEST(LiteVariant, FinalizeRefusesOpenLevelsAndDepthIsLimited) {
  CQeLiteVariantW w;
  w.LevelBegin(L"open");
  CQeLiteVariantR r(WriteSample());
  EXPECT_EQ(w.Finalize(r), eQeFailed);
  EXPECT_EQ(r.LevelBegin(L"CQeWellplate"), 0);  // the reader was left alone
  CQeLiteVariantW deep;
  int opened = 0;
  while (deep.LevelBegin(L"d") == 0 && opened < 1000) ++opened;
  EXPECT_EQ(opened, qe::lv::kMaxDepth);
}

TEST(LiteVariant, WriterRebuiltFromReaderCopiesTheDocument) {
  CQeLiteVariantR original = WriteSample();
  CQeLiteVariantW w;
  ASSERT_EQ(w.Append(original), 0);
  w.Set(L"added", L"extra");
  CQeLiteVariantR copy;
  ASSERT_EQ(w.Finalize(copy), 0);
  EXPECT_EQ(copy.Get(L"extra", L""), L"added");
  ASSERT_EQ(copy.LevelBegin(L"CQeWellplate"), 0);
  EXPECT_EQ(copy.Get(L"wsModelName", L""), L"Grüße 'ü' \"%s\" 日本");
  // Copying the reader's current level only.
  ASSERT_EQ(original.LevelBegin(L"CQeWellplate"), 0);
  ASSERT_EQ(original.LevelBegin(L"SQeShape"), 0);
  CQeLiteVariantW shape;
  ASSERT_EQ(shape.Append(original), 0);
  CQeLiteVariantR shape_doc;
  shape.Finalize(shape_doc);
  EXPECT_EQ(shape_doc.Get(L"eType", 0), 4);
}

// The job-program property blob: new pairs under the unnamed top level,
// merged with the stored document so its other pairs stay.
TEST(LiteVariantMerge, KeepsBothSidesAndThisSideWins) {
  CQeLiteVariantW stored_w;
  stored_w.LevelBegin(L"");
  stored_w.Set(L"old", L"Objective");
  stored_w.Set(L"kept", L"Camera");
  stored_w.LevelBegin(L"Sub");
  stored_w.Set(int32_t{1}, L"a");
  stored_w.LevelEnd();
  stored_w.LevelEnd();
  CQeLiteVariantR stored;
  stored_w.Finalize(stored);

  CQeLiteVariantW new_w;
  new_w.LevelBegin(L"");
  new_w.Set(L"new", L"Objective");
  new_w.Set(L"10x", L"Lens");
  new_w.LevelBegin(L"Sub");
  new_w.Set(int32_t{2}, L"b");
  new_w.LevelEnd();
  new_w.LevelEnd();
  CQeLiteVariantR merged;
  new_w.Finalize(merged);

  ASSERT_EQ(merged.Merge(stored), 0);
  CQeLiteVariantR back(merged.Data());  // through the bytes, as stored in the database
  int count = 0;
  ASSERT_EQ(back.LevelBegin(L"", count), 0);
  EXPECT_EQ(count, 4);
  EXPECT_EQ(back.Get(L"Objective", L""), L"new");
  EXPECT_EQ(back.Get(L"Lens", L""), L"10x");
  EXPECT_EQ(back.Get(L"Camera", L""), L"kept");
  ASSERT_EQ(back.LevelBegin(L"Sub", count), 0);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(back.Get(L"a", 0), 1);
  EXPECT_EQ(back.Get(L"b", 0), 2);
  back.LevelEnd();
  back.LevelEnd();
  EXPECT_EQ(back.CurrentLevelBegin(), 0);
  EXPECT_EQ(back.LevelEnd(), 0);
  EXPECT_EQ(back.CurrentLevelBegin(), eQeNotFound);  // still one top level
}

TEST(LiteVariantMerge, ReplaceLetsTheOtherSideWin) {
  CQeLiteVariantW a;
  a.Set(int32_t{1}, L"x");
  a.Set(L"only a", L"y");
  a.Set(L"u1");
  CQeLiteVariantW b;
  b.Set(L"text now", L"x");
  b.Set(L"only b", L"z");
  b.Set(L"v1");
  b.Set(L"v2");
  CQeLiteVariantR ra, rb;
  a.Finalize(ra);
  b.Finalize(rb);
  ASSERT_EQ(ra.Replace(rb), 0);
  EXPECT_EQ(ra.Get(L"x", L""), L"text now");
  EXPECT_EQ(ra.Get(L"y", L""), L"only a");
  EXPECT_EQ(ra.Get(L"z", L""), L"only b");
  std::vector<CQeStringW> unnamed;
  while (ra.NextValue() == 0) unnamed.push_back(ra.Get(nullptr, L""));
  ASSERT_EQ(unnamed.size(), 2u);  // met by position: v1 replaced u1, v2 appended
  EXPECT_EQ(unnamed[0], L"v1");
  EXPECT_EQ(unnamed[1], L"v2");
}

TEST(LiteVariantMerge, EmptyBytesAreTheEmptyDocumentAndCorruptOnesAreRefused) {
  CQeLiteVariantR empty;
  EXPECT_EQ(empty.Load(), 0);
  EXPECT_TRUE(empty.IsEmpty());
  EXPECT_EQ(empty.LevelBegin(L""), eQeNotFound);
  CQeLiteVariantR doc = WriteSample();
  ASSERT_EQ(doc.Merge(empty), 0);
  EXPECT_EQ(doc.LevelBegin(L"CQeWellplate"), 0);
  CQeByteArray before = doc.Data();
  CQeLiteVariantR corrupt;
  corrupt.SetData("garbage!garbage!", 16);
  EXPECT_EQ(doc.Merge(corrupt), eQeUnusableFile);
  EXPECT_EQ(doc.Data(), before);
  EXPECT_EQ(empty.Merge(doc), 0);
  EXPECT_EQ(empty.LevelBegin(L"CQeWellplate"), 0);
}
