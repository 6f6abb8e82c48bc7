// The condition list of a "Condition" task, whose texts step 48 to 60
// rewrites: its layout, and bytes it must refuse.
#include <gtest/gtest.h>

#include "projectdb/upgrade_support.h"
#include "qe/core/status.h"

namespace qe::upgrade {
namespace {

using qe::test::ConditionItem;

CQeByteArray Encode(std::vector<SConditionItem> items) {
  CConditionList list;
  list.Items() = std::move(items);
  CQeByteArray bytes;
  EXPECT_EQ(list.Write(bytes), eQeOk);
  return bytes;
}

uint32_t U32At(const CQeByteArray& bytes, size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | bytes.GetData()[at + i];
  return v;
}

// The header holds the total size and the item count; items of unknown
// kinds come back byte for byte.
TEST(ConditionList, LayoutAndRoundTrip) {
  SConditionItem unknown = ConditionItem(42);
  unknown.payload = {0, 0xFF, 'J', 'o', 'b'};
  const CQeByteArray bytes =
      Encode({ConditionItem(kConditionText, L"ä"), ConditionItem(kConditionOperator, L"", 0, 7),
              ConditionItem(kConditionNumber, L"", -2.75), unknown});
  // 8 header + (6 + 2) + (6 + 4) + (6 + 8) + (6 + 5)
  ASSERT_EQ(bytes.GetSize(), 51);
  EXPECT_EQ(U32At(bytes, 0), 51u);
  EXPECT_EQ(U32At(bytes, 4), 4u);
  const std::vector<uint8_t> first(bytes.bytes().begin() + 8, bytes.bytes().begin() + 16);
  EXPECT_EQ(first, (std::vector<uint8_t>{1, 0, 2, 0, 0, 0, 0xC3, 0xA4}));
  CConditionList list;
  ASSERT_EQ(list.Read(bytes), eQeOk);
  ASSERT_EQ(list.Items().size(), 4u);
  EXPECT_EQ(list.Items()[0].wszText.str(), L"ä");
  EXPECT_EQ(list.Items()[1].iOperator, 7u);
  EXPECT_EQ(list.Items()[2].dNumber, -2.75);
  EXPECT_EQ(list.Items()[3].payload, unknown.payload);
  CQeByteArray again;
  ASSERT_EQ(list.Write(again), eQeOk);
  EXPECT_EQ(again, bytes);
}

// Every cut of a list, wrong sizes and counts, and invalid UTF-8 are
// refused without reading outside the bytes.
TEST(ConditionList, RefusesMalformedBytes) {
  const CQeByteArray good = Encode({ConditionItem(kConditionText, L"Job.A.Count"),
                                    ConditionItem(kConditionNumber, L"", 1.0),
                                    ConditionItem(kConditionOperator, L"", 0, 2)});
  CConditionList list;
  for (int n = 0; n < good.GetSize(); ++n) {
    EXPECT_EQ(list.Read(good.GetData(), static_cast<size_t>(n)), eQeUnusableFile) << n;
    EXPECT_TRUE(list.Items().empty());
  }
  for (const auto& [at, value] : std::vector<std::pair<int, uint8_t>>{
           {0, static_cast<uint8_t>(good.GetSize() + 1)},  // a total larger than the bytes
           {4, 4},                                         // one item more than there is
           {4, 2},                                         // one item less: bytes left over
           {7, 0x40},                                      // a count in the billions
           {10, 0xF0},                                     // a text longer than the list
           {14, 0xFF}}) {                                  // not UTF-8
    CQeByteArray bytes = good;
    bytes.GetData()[at] = value;
    EXPECT_EQ(list.Read(bytes), eQeUnusableFile) << at;
  }
}

}  // namespace
}  // namespace qe::upgrade
