// The condition list of a "Condition" task and the rewriting of analysis
// mentions in task data: what step 48 to 60 changes, and what it must leave.
#include <gtest/gtest.h>

#include <cstring>

#include "projectdb/upgrade/analysis_mentions.h"
#include "projectdb/upgrade/condition_list.h"
#include "qe/core/lite_variant.h"
#include "qe/core/status.h"

namespace qe::upgrade {
namespace {

SConditionItem Text(const wchar_t* text) {
  SConditionItem item;
  item.iKind = kConditionText;
  item.wszText = text;
  return item;
}

SConditionItem Number(double value) {
  SConditionItem item;
  item.iKind = kConditionNumber;
  item.dNumber = value;
  return item;
}

SConditionItem Operator(uint32_t code) {
  SConditionItem item;
  item.iKind = kConditionOperator;
  item.iOperator = code;
  return item;
}

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

TEST(ConditionList, LayoutIsHeaderThenItems) {
  const CQeByteArray bytes = Encode({Text(L"ä"), Operator(7), Number(0.5)});
  // 8 header + (6 + 2) + (6 + 4) + (6 + 8)
  ASSERT_EQ(bytes.GetSize(), 40);
  EXPECT_EQ(U32At(bytes, 0), 40u);
  EXPECT_EQ(U32At(bytes, 4), 3u);
  const std::vector<uint8_t> first(bytes.bytes().begin() + 8, bytes.bytes().begin() + 16);
  EXPECT_EQ(first, (std::vector<uint8_t>{1, 0, 2, 0, 0, 0, 0xC3, 0xA4}));
  EXPECT_EQ(U32At(bytes, 22), 7u);
}

TEST(ConditionList, ReadsBackWhatItWrote) {
  SConditionItem unknown;
  unknown.iKind = 42;
  unknown.payload = {0, 0xFF, 'J', 'o', 'b'};
  const CQeByteArray bytes = Encode({Text(L"Job.Acq 'x'.Analysis.Nuclei µm.Count"), Operator(3),
                                     Number(-2.75), unknown, Text(L"")});
  CConditionList list;
  ASSERT_EQ(list.Read(bytes), eQeOk);
  ASSERT_EQ(list.Items().size(), 5u);
  EXPECT_EQ(list.Items()[0].wszText.str(), L"Job.Acq 'x'.Analysis.Nuclei µm.Count");
  EXPECT_EQ(list.Items()[1].iOperator, 3u);
  EXPECT_EQ(list.Items()[2].dNumber, -2.75);
  EXPECT_EQ(list.Items()[3].iKind, 42);
  EXPECT_EQ(list.Items()[3].payload, unknown.payload);
  CQeByteArray again;
  ASSERT_EQ(list.Write(again), eQeOk);
  EXPECT_EQ(again, bytes);
  EXPECT_EQ(list.Read(Encode({})), eQeOk);
  EXPECT_TRUE(list.Items().empty());
}

// Every cut of a list, every header size but the right one, an item count
// the bytes cannot hold, a number of the wrong size, invalid UTF-8 and
// bytes left over are refused without reading outside the bytes.
TEST(ConditionList, RefusesMalformedBytes) {
  const CQeByteArray good = Encode({Text(L"Job.A.Count"), Number(1.0), Operator(2)});
  CConditionList list;
  for (int n = 0; n < good.GetSize(); ++n) {
    const CQeByteArray cut(good.GetData(), n);
    EXPECT_EQ(list.Read(cut.GetData(), static_cast<size_t>(n)), eQeUnusableFile) << n;
    EXPECT_TRUE(list.Items().empty());
  }
  auto patched = [&](size_t at, uint8_t value) {
    CQeByteArray bytes = good;
    bytes.GetData()[at] = value;
    return bytes;
  };
  EXPECT_EQ(list.Read(patched(0, static_cast<uint8_t>(good.GetSize() + 1))), eQeUnusableFile);
  EXPECT_EQ(list.Read(patched(4, 4)), eQeUnusableFile);      // one item more than there is
  EXPECT_EQ(list.Read(patched(7, 0x40)), eQeUnusableFile);   // a count in the billions
  EXPECT_EQ(list.Read(patched(4, 2)), eQeUnusableFile);      // one item less: bytes left over
  EXPECT_EQ(list.Read(patched(10, 0xF0)), eQeUnusableFile);  // a text longer than the list
  EXPECT_EQ(list.Read(patched(14, 0xFF)), eQeUnusableFile);  // not UTF-8
  CQeByteArray number = Encode({Number(1.0)});
  number.GetData()[10] = 4;  // a number of 4 bytes
  number.bytes().resize(18);
  number.GetData()[0] = 18;
  EXPECT_EQ(list.Read(number), eQeUnusableFile);
  EXPECT_EQ(list.Read(nullptr, 0), eQeUnusableFile);
}

TEST(AnalysisMentions, OnlyWholeMentionsAreReplaced) {
  const CQeStringW what(L"Job.Acq.Analysis.Nuclei");
  const CQeStringW with(L"Job.Nuclei");
  CQeStringW text(L"Job.Acq.Analysis.Nuclei.Count>1 or Job.Acq.Analysis.Nuclei");
  EXPECT_TRUE(ReplaceMention(text, what, with));
  EXPECT_EQ(text.str(), L"Job.Nuclei.Count>1 or Job.Nuclei");
  for (const wchar_t* kept : {L"Job.Acq.Analysis.Nuclei2.Count", L"Job.Acq.Analysis.Nucleiä",
                              L"SubJob.Acq.Analysis.Nuclei", L"x.Job.Acq.Analysis.Nuclei",
                              L"Job.Acq.Analysis.Nucle", L""}) {
    CQeStringW same(kept);
    EXPECT_FALSE(ReplaceMention(same, what, with)) << CQeStringW(kept).ToUtf8();
    EXPECT_EQ(same.str(), kept);
  }
}

CQeByteArray Document(const wchar_t* level, const wchar_t* name, const CQeByteArray& value) {
  CQeLiteVariantW writer;
  writer.LevelBegin(level);
  writer.Set(L"Job.T.Analysis.A", L"Title");
  writer.Set(value, name);
  writer.LevelEnd();
  CQeLiteVariantR reader;
  writer.Finalize(reader);
  return reader.Data();
}

// A condition list whose text items change gets a header with the new
// sizes; a list that cannot be read is reported and left to the caller.
TEST(AnalysisMentions, ConditionListTextsAreRewrittenWithConsistentSizes) {
  const CQeStringW what(L"Job.T.Analysis.A");
  const CQeStringW with(L"Job.A");
  const CQeByteArray list = Encode({Text(L"Job.T.Analysis.A.Count"), Operator(5), Number(3.0)});
  CQeByteArray out;
  ASSERT_EQ(RewriteMentions(L"Condition", Document(L"Condition", L"ConditionList", list), what,
                            with, out),
            EMentionRewrite::kChanged);
  const CQeByteArray expected = Encode({Text(L"Job.A.Count"), Operator(5), Number(3.0)});
  EXPECT_EQ(out, Document(L"Condition", L"ConditionList", expected));
  EXPECT_EQ(U32At(expected, 0), static_cast<uint32_t>(expected.GetSize()));

  CQeByteArray broken = list;
  broken.bytes().pop_back();
  EXPECT_EQ(RewriteMentions(L"Condition", Document(L"Condition", L"ConditionList", broken), what,
                            with, out),
            EMentionRewrite::kUnreadable);
  // A list that mentions nothing, and a class that keeps no mentions.
  EXPECT_EQ(
      RewriteMentions(L"Condition", Document(L"Condition", L"ConditionList", Encode({Number(1.0)})),
                      what, with, out),
      EMentionRewrite::kUnchanged);
  EXPECT_EQ(
      RewriteMentions(L"Wait", Document(L"Condition", L"ConditionList", list), what, with, out),
      EMentionRewrite::kUnchanged);
  const uint8_t garbage[] = {'J', 'o', 'b', 0};
  EXPECT_EQ(RewriteMentions(L"Expression", CQeByteArray(garbage, 4), what, with, out),
            EMentionRewrite::kUnreadable);
}

}  // namespace
}  // namespace qe::upgrade
