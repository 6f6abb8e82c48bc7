#include <gtest/gtest.h>

#include <cstring>

#include "core/lite_variant_sample.h"
#include "qe/core/lite_variant.h"
#include "qe/core/lite_variant_tree.h"
#include "qe/core/status.h"

namespace {

std::vector<uint8_t> SampleBytes() { return qe::test::LiteVariantSample().Data().bytes(); }

// Everything a caller might do with a reader, none of which may crash.
void UseEverything(CQeLiteVariantR& r) {
  int count = 0;
  r.LevelBegin(L"CQeWellplate", count);
  r.Get(L"wsModelName", L"");
  r.Get(L"eNamingMode", 0);
  r.Get(L"pRaw", CQeByteArray());
  r.LevelBegin(L"SQeShape");
  r.LevelBegin(L"pPolygonRest");
  r.CurrentLevelBegin();
  r.Get(L"dX", 0u);
  while (r.NextValue() == 0) r.Get(nullptr, 0.0);
  for (int i = 0; i < 4; ++i) r.LevelEnd();
}

}  // namespace

TEST(LiteVariantCorrupt, EveryTruncationIsRefused) {
  std::vector<uint8_t> bytes = SampleBytes();
  for (size_t size = 1; size < bytes.size(); ++size) {
    // A copy of exactly size bytes, so reading past it is a sanitizer error.
    std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<long>(size));
    CQeLiteVariantR r(cut.data(), static_cast<int>(size));
    EXPECT_EQ(r.Load(), eQeUnusableFile) << size;
    EXPECT_EQ(r.LevelBegin(L"CQeWellplate"), eQeUnusableFile) << size;
    EXPECT_EQ(r.Get(L"wsModelName", L"dflt"), L"dflt");
    UseEverything(r);
  }
}

TEST(LiteVariantCorrupt, EveryFlippedByteIsRefused) {
  std::vector<uint8_t> bytes = SampleBytes();
  for (size_t at = 0; at < bytes.size(); ++at) {
    for (uint8_t mask : {uint8_t{0x01}, uint8_t{0x80}, uint8_t{0xFF}}) {
      std::vector<uint8_t> bad = bytes;
      bad[at] ^= mask;
      CQeLiteVariantR r(bad.data(), static_cast<int>(bad.size()));
      EXPECT_EQ(r.Load(), eQeUnusableFile) << at;
      UseEverything(r);
    }
  }
}

TEST(LiteVariantCorrupt, StructureIsCheckedEvenWithoutTheChecksum) {
  // What a fuzz target sees: the checksum off, so only the structure guards.
  std::vector<uint8_t> bytes = SampleBytes();
  qe::lv::Level doc;
  ASSERT_EQ(qe::lv::Decode(bytes.data(), bytes.size(), doc), 0);
  for (size_t size = 0; size < bytes.size(); ++size) {
    std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<long>(size));
    int status = qe::lv::Decode(cut.data(), size, doc, false);
    EXPECT_EQ(status, size == 0 ? 0 : eQeUnusableFile) << size;
  }
  for (size_t at = 0; at < bytes.size(); ++at) {
    for (int value = 0; value < 256; value += 17) {
      std::vector<uint8_t> bad = bytes;
      bad[at] = static_cast<uint8_t>(value);
      qe::lv::Decode(bad.data(), bad.size(), doc, false);  // any status; no crash, no overread
    }
  }
  std::vector<uint8_t> trailing = bytes;
  trailing.push_back(0);
  EXPECT_EQ(qe::lv::Decode(trailing.data(), trailing.size(), doc, false), eQeUnusableFile);
}

TEST(LiteVariantCorrupt, HugeCountsAndDeepNestingAreRefused) {
  std::vector<uint8_t> bytes = SampleBytes();
  qe::lv::Level doc;
  // Top-level count (right after the 12-byte header) claims four billion entries.
  std::vector<uint8_t> huge = bytes;
  std::memset(huge.data() + 12, 0xFF, 4);
  EXPECT_EQ(qe::lv::Decode(huge.data(), huge.size(), doc, false), eQeUnusableFile);

  // 100 nested levels, hand-encoded: type 7, empty name, count 1 ... count 0.
  std::vector<uint8_t> deep(bytes.begin(), bytes.begin() + 12);
  auto u32 = [&deep](uint32_t v) {
    for (int i = 0; i < 4; ++i) deep.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  u32(1);
  for (int i = 0; i < 100; ++i) {
    deep.insert(deep.end(), {7, 0, 0});
    u32(i == 99 ? 0 : 1);
  }
  EXPECT_EQ(qe::lv::Decode(deep.data(), deep.size(), doc, false), eQeUnusableFile);
}

TEST(LiteVariantCorrupt, ReplacedBytesAreCheckedAgainAndNavigationRestarts) {
  std::vector<uint8_t> bytes = SampleBytes();
  CQeLiteVariantR r(bytes.data(), static_cast<int>(bytes.size()));
  ASSERT_EQ(r.LevelBegin(L"CQeWellplate"), 0);
  r.Data().SetData("QELV-not-really", 15);
  EXPECT_EQ(r.LevelBegin(L"CQeWellplate"), eQeUnusableFile);
  r.SetData(bytes.data(), static_cast<int>(bytes.size()));
  EXPECT_EQ(r.LevelBegin(L"CQeWellplate"), 0);
  EXPECT_EQ(r.Get(L"eNamingMode", 0), -7);
}

// Found by fuzzing: a level whose stored name holds a NUL character (no
// writer makes one, the checksum is not checked here) is a named level, so
// neither the cursor nor the empty name reaches it; they reach the one
// unnamed level, the last entry.
TEST(LiteVariantCorrupt, ALevelNamedWithANulCharacterIsNotUnnamed) {
  const uint8_t bytes[] = {0x51, 0x45, 0x4c, 0x56, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                           0x00, 0x03, 0x00, 0x00, 0x00, 0x07, 0x01, 0x00, 0x00, 0x01, 0x00,
                           0x00, 0x00, 0x07, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00,
                           0x00, 0x00, 0x07, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
  qe::lv::Level document;
  ASSERT_EQ(qe::lv::Decode(bytes, sizeof bytes, document, false), 0);
  ASSERT_EQ(document.entries.size(), 3u);
  ASSERT_EQ(document.entries[0].name, std::wstring(1, L'\0'));
  CQeLiteVariantR reader;
  reader.SetDocument(std::move(document));
  int count = -1;
  ASSERT_EQ(reader.CurrentLevelBegin(&count), eQeOk);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(reader.LevelEnd(), eQeOk);
  EXPECT_EQ(reader.CurrentLevelBegin(&count), eQeNotFound);
  ASSERT_EQ(reader.LevelBegin(nullptr, &count), eQeOk);
  EXPECT_EQ(count, 0);
}
