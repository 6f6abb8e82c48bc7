#include "qe/core/lite_variant.h"

#include <gtest/gtest.h>

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
  EXPECT_EQ(r.Get(L"wsUuid", L"default"), L"");
  EXPECT_EQ(r.Get(L"eNamingMode", 0), -7);
  EXPECT_EQ(r.Get(L"uiXCount", 0u), 0xFFFFFFF0u);
  EXPECT_EQ(r.Get(L"dXDistance", 0.0), 9000.25);
  EXPECT_TRUE(r.Get(L"bFlag", false));
  EXPECT_EQ(r.Get(L"pEmpty", CQeByteArray(1)).GetSize(), 0);
  EXPECT_EQ(r.Get(L"pRaw", CQeByteArray()), CQeByteArray("\x00\x01\xFF\x80", 4));
  // Absent names and other types give the defaults; numbers convert.
  EXPECT_FALSE(r.IsValueSet(L"SQeShape"));       // a level, not a value
  EXPECT_EQ(r.Get(L"wsModelName", 5), 5);        // a text does not read as a number
  EXPECT_EQ(r.Get(L"dXDistance", 0), 9000);      // numbers convert
  EXPECT_EQ(r.Get(L"wsmodelname", L"c"), L"c");  // names are case-sensitive

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
  while (r.NextValue() == 0) seen.push_back(r.Get(nullptr, L"?"));
  EXPECT_EQ(seen, (std::vector<CQeStringW>{L"first", L"?", L""}));  // the int is only a number
  // The first unnamed level is reachable by the empty name, from anywhere.
  ASSERT_EQ(r.LevelBegin(L""), 0);
  EXPECT_EQ(r.Get(L"inner", 0), 1);
}

TEST(LiteVariant, WriterRefusesOpenLevelsAndLimitsDepth) {
  CQeLiteVariantW w;
  w.LevelBegin(L"L");
  CQeLiteVariantR r(LiteVariantSample());
  EXPECT_EQ(w.Finalize(r), eQeFailed);          // a level is open
  EXPECT_EQ(r.LevelBegin(L"CQeWellplate"), 0);  // the reader was left alone
  int opened = 0;
  while (w.LevelBegin(L"d") == 0 && opened < 1000) ++opened;
  EXPECT_EQ(opened + 1, qe::lv::kMaxDepth);
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
  ASSERT_EQ(back.LevelBegin(L"Sub"), 0);
  EXPECT_EQ(back.Get(L"a", 0) * 10 + back.Get(L"b", 0), 12);
  back.LevelEnd();
  back.LevelEnd();
  EXPECT_EQ(back.CurrentLevelBegin(), 0);
  EXPECT_EQ(back.LevelEnd(), 0);
  EXPECT_EQ(back.CurrentLevelBegin(), eQeNotFound);  // still one top level
}

TEST(LiteVariantMerge, EmptyBytesAreTheEmptyDocumentAndCorruptOnesAreRefused) {
  CQeLiteVariantR empty;
  EXPECT_EQ(empty.Load(), 0);
  EXPECT_TRUE(empty.IsEmpty());
  CQeLiteVariantR doc = LiteVariantSample();
  ASSERT_EQ(doc.Merge(empty), 0);
  const CQeByteArray before = doc.Data();
  CQeLiteVariantR corrupt;
  corrupt.SetData("garbage!garbage!", 16);
  EXPECT_EQ(doc.Merge(corrupt), eQeUnusableFile);
  EXPECT_EQ(doc.Data(), before);
  EXPECT_EQ(empty.Merge(doc), 0);
  EXPECT_EQ(empty.LevelBegin(L"CQeWellplate"), 0);
}
