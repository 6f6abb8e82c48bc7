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
  EXPECT_EQ(r.Load(), eQeUnusableFile);
  EXPECT_EQ(r.LevelBegin(L"CQeWellplate"), eQeUnusableFile);
  EXPECT_EQ(r.Get(L"wsModelName", L"dflt"), L"dflt");
  r.LevelBegin(L"SQeShape");
  r.CurrentLevelBegin();
  while (r.NextValue() == 0) r.Get(nullptr, 0.0);
  for (int i = 0; i < 4; ++i) r.LevelEnd();
}

}  // namespace

TEST(LiteVariantCorrupt, EveryTruncationAndFlippedByteIsRefused) {
  std::vector<uint8_t> bytes = SampleBytes();
  for (size_t size = 1; size < bytes.size(); ++size) {
    // A copy of exactly size bytes, so reading past it is a sanitizer error.
    std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<long>(size));
    CQeLiteVariantR r(cut.data(), static_cast<int>(size));
    SCOPED_TRACE(size);
    UseEverything(r);
  }
  for (size_t at = 0; at < bytes.size(); ++at) {
    std::vector<uint8_t> bad = bytes;
    bad[at] ^= 0x80;
    CQeLiteVariantR r(bad.data(), static_cast<int>(bad.size()));
    SCOPED_TRACE(at);
    UseEverything(r);
  }
}

// What a fuzz target sees: the checksum off, so only the structure guards.
TEST(LiteVariantCorrupt, StructureIsCheckedEvenWithoutTheChecksum) {
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
  ASSERT_EQ(document.entries[0].name, std::wstring(1, L'\0'));
  CQeLiteVariantR reader;
  reader.SetDocument(std::move(document));
  int count = -1;
  ASSERT_EQ(reader.CurrentLevelBegin(&count), eQeOk);
  EXPECT_EQ(reader.LevelEnd(), eQeOk);
  EXPECT_EQ(reader.CurrentLevelBegin(&count), eQeNotFound);
  ASSERT_EQ(reader.LevelBegin(nullptr, &count), eQeOk);
  EXPECT_EQ(count, 0);
}
