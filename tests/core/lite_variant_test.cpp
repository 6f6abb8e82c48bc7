#include "qe/core/lite_variant.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/lite_variant_sample.h"
#include "qe/core/status.h"

using qe::test::LiteVariantSample;

TEST(LiteVariant, RoundTripOfNestedLevelsAndEveryType) {
  CQeLiteVariantR r = LiteVariantSample();
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
  EXPECT_EQ(r.Get(L"pRaw", CQeByteArray()), CQeByteArray("\x00\x01\xFF\x80", 4));

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
  for (int i = 0; i < 3; ++i) EXPECT_EQ(r.LevelEnd(), 0);
  EXPECT_EQ(r.LevelEnd(), eQeFailed);  // already at the top
}

TEST(LiteVariant, AbsentNamesAndWrongTypesGiveDefaults) {
  CQeLiteVariantR r = LiteVariantSample();
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

  CQeLiteVariantW w;  // doubles saturate when read as integers
  w.Set(1e30, L"big");
  w.Set(-1e30, L"small");
  w.Set(std::numeric_limits<double>::quiet_NaN(), L"nan");
  CQeLiteVariantR d;
  ASSERT_EQ(w.Finalize(d), 0);
  EXPECT_EQ(d.Get(L"big", 0), std::numeric_limits<int32_t>::max());
  EXPECT_EQ(d.Get(L"small", 0u), 0u);
  EXPECT_EQ(d.Get(L"nan", 3), 3);
  EXPECT_TRUE(std::isnan(d.Get(L"nan", 0.0)));
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
  EXPECT_EQ(seen, (std::vector<CQeStringW>{L"first", L"?", L""}));  // the int is only a number
  // The first unnamed level is reachable by the empty name, from anywhere.
  int count = 0;
  ASSERT_EQ(r.LevelBegin(L"", count), 0);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(r.Get(L"inner", 0), 1);
}

TEST(LiteVariant, WriterReplacesSameNamesReopensLevelsAndLimitsDepth) {
  CQeLiteVariantW w;
  w.Set(int32_t{1}, L"a");
  w.LevelBegin(L"L");
  w.Set(int32_t{1}, L"x");
  w.LevelEnd();
  w.Set(L"two", L"a");  // replaces the int in place
  w.LevelBegin(L"L");   // opens the same level again
  w.Set(int32_t{2}, L"y");
  CQeLiteVariantR r(LiteVariantSample());
  EXPECT_EQ(w.Finalize(r), eQeFailed);          // a level is open
  EXPECT_EQ(r.LevelBegin(L"CQeWellplate"), 0);  // the reader was left alone
  EXPECT_EQ(w.LevelEnd(), 0);
  EXPECT_EQ(w.LevelEnd(), eQeFailed);
  ASSERT_EQ(w.Finalize(r), 0);
  ASSERT_EQ(r.CurrentLevel()->entries.size(), 2u);
  EXPECT_EQ(r.Get(L"a", L""), L"two");
  int count = 0;
  ASSERT_EQ(r.LevelBegin(L"L", count), 0);
  EXPECT_EQ(count, 2);

  CQeLiteVariantW deep;
  int opened = 0;
  while (deep.LevelBegin(L"d") == 0 && opened < 1000) ++opened;
  EXPECT_EQ(opened, qe::lv::kMaxDepth);
}

TEST(LiteVariant, WriterRebuiltFromReaderCopiesTheDocumentOrTheCurrentLevel) {
  CQeLiteVariantR original = LiteVariantSample();
  CQeLiteVariantW w;
  ASSERT_EQ(w.Append(original), 0);
  w.Set(L"added", L"extra");
  CQeLiteVariantR copy;
  ASSERT_EQ(w.Finalize(copy), 0);
  EXPECT_EQ(copy.Get(L"extra", L""), L"added");
  ASSERT_EQ(copy.LevelBegin(L"CQeWellplate"), 0);
  EXPECT_EQ(copy.Get(L"wsModelName", L""), L"Grüße 'ü' \"%s\" 日本");
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
  auto document = [](const wchar_t* objective, const wchar_t* other, const wchar_t* other_name,
                     const wchar_t* sub_name, int sub) {
    CQeLiteVariantW w;
    w.LevelBegin(L"");
    w.Set(objective, L"Objective");
    w.Set(other, other_name);
    w.LevelBegin(L"Sub");
    w.Set(int32_t{sub}, sub_name);
    w.LevelEnd();
    w.LevelEnd();
    CQeLiteVariantR r;
    w.Finalize(r);
    return r;
  };
  CQeLiteVariantR merged = document(L"new", L"10x", L"Lens", L"b", 2);
  ASSERT_EQ(merged.Merge(document(L"old", L"kept", L"Camera", L"a", 1)), 0);
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
  CQeLiteVariantW a, b;
  a.Set(int32_t{1}, L"x");
  a.Set(L"only a", L"y");
  a.Set(L"u1");
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
  // Met by position: v1 replaced u1, v2 was appended.
  EXPECT_EQ(unnamed, (std::vector<CQeStringW>{L"v1", L"v2"}));
}

TEST(LiteVariantMerge, EmptyBytesAreTheEmptyDocumentAndCorruptOnesAreRefused) {
  CQeLiteVariantR empty;
  EXPECT_EQ(empty.Load(), 0);
  EXPECT_TRUE(empty.IsEmpty());
  EXPECT_EQ(empty.LevelBegin(L""), eQeNotFound);
  CQeLiteVariantR doc = LiteVariantSample();
  ASSERT_EQ(doc.Merge(empty), 0);
  EXPECT_EQ(doc.LevelBegin(L"CQeWellplate"), 0);
  const CQeByteArray before = doc.Data();
  CQeLiteVariantR corrupt;
  corrupt.SetData("garbage!garbage!", 16);
  EXPECT_EQ(doc.Merge(corrupt), eQeUnusableFile);
  EXPECT_EQ(doc.Data(), before);
  EXPECT_EQ(empty.Merge(doc), 0);
  EXPECT_EQ(empty.LevelBegin(L"CQeWellplate"), 0);
}
