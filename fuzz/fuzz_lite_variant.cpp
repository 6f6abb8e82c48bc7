// The lite-variant reader on arbitrary bytes: the checked load through the
// reader's public calls (walk every level and value, merge, append into a
// writer), and the decoder without its checksum, whose documents must encode
// again to bytes that decode to the same document.
#include <cstring>
#include <vector>

#include "fuzz_util.h"
#include "qe/core/byte_array.h"
#include "qe/core/lite_variant.h"
#include "qe/core/lite_variant_tree.h"

namespace {

constexpr int kMaxWalk = 10000;

// Reads every entry of the reader's current level (level, from the tree)
// through the public calls: named entries by name, unnamed values and levels
// by the cursor.
void Walk(CQeLiteVariantR& reader, const qe::lv::Level& level, int& budget) {
  std::vector<const qe::lv::Level*> unnamed_levels;
  for (const qe::lv::Entry& entry : level.entries) {
    if (--budget < 0) return;
    const auto* nested = std::get_if<qe::lv::Level>(&entry.value);
    if (entry.name.empty()) {
      if (nested != nullptr) unnamed_levels.push_back(nested);
      continue;
    }
    // A stored name holding a NUL character cannot be asked for: the
    // reader's calls take names as C strings.
    if (entry.name.find(L'\0') != std::wstring::npos) continue;
    const wchar_t* name = entry.name.c_str();
    if (nested != nullptr) {
      // The first entry of a name is the one found by name.
      if (qe::lv::FindNamed(level, entry.name) != &entry) continue;
      if (reader.LevelBegin(name) == 0) {
        Walk(reader, *nested, budget);
        QE_FUZZ_CHECK(reader.LevelEnd() == 0);
      }
      continue;
    }
    reader.IsValueSet(name);
    reader.Get(name, int32_t{0});
    reader.Get(name, uint32_t{0});
    reader.Get(name, 0.0);
    reader.Get(name, false);
    reader.Get(name, CQeStringW());
    reader.Get(name, CQeByteArray());
  }
  for (const qe::lv::Level* nested : unnamed_levels) {
    if (budget-- < 0) return;
    int count = -1;
    QE_FUZZ_CHECK(reader.CurrentLevelBegin(&count) == 0);
    QE_FUZZ_CHECK(count == static_cast<int>(nested->entries.size()));
    Walk(reader, *nested, budget);
    QE_FUZZ_CHECK(reader.LevelEnd() == 0);
  }
  // The cursor is now after the last unnamed level: values after it.
  while (budget-- > 0 && reader.NextValue() == 0) {
    reader.Get(nullptr, int32_t{0});
    reader.Get(nullptr, CQeStringW());
  }
}

void Exercise(CQeLiteVariantR& reader) {
  if (reader.Load() != 0) return;
  const qe::lv::Level* document = reader.Document();
  QE_FUZZ_CHECK(document != nullptr);
  int budget = kMaxWalk;
  Walk(reader, *document, budget);

  CQeLiteVariantW writer;
  QE_FUZZ_CHECK(writer.Append(reader) == 0);
  CQeLiteVariantR copy;
  QE_FUZZ_CHECK(writer.Finalize(copy) == 0);
  CQeLiteVariantR merged(copy.Data());
  QE_FUZZ_CHECK(merged.Merge(reader) == 0);
  QE_FUZZ_CHECK(merged.Load() == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > static_cast<size_t>(INT32_MAX)) return 0;
  CQeLiteVariantR checked(data, static_cast<int>(size));
  Exercise(checked);

  qe::lv::Level level;
  if (qe::lv::Decode(data, size, level, false) != 0) return 0;
  const std::vector<uint8_t> encoded = qe::lv::Encode(level);
  qe::lv::Level again;
  QE_FUZZ_CHECK(qe::lv::Decode(encoded.data(), encoded.size(), again) == 0);
  QE_FUZZ_CHECK(qe::lv::Encode(again) == encoded);
  CQeLiteVariantR unchecked;
  unchecked.SetDocument(std::move(level));
  Exercise(unchecked);
  return 0;
}
