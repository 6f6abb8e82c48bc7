#include <gtest/gtest.h>

#include <cwchar>
#include <vector>

#include "qe/core/diag.h"
#include "qe/core/rtti.h"

TEST(Diag, CapturedLinesCarryThePlaceAndTheFormattedMessage) {
  std::vector<CQeStringW> outer;
  CQeDiagSinkScope capture([&outer](const CQeStringW& line) { outer.push_back(line); });
  int line = __LINE__ + 1;
  QE_DIAG(L"Upgrade (phase 1) %s %I64d", L"OK", int64_t{1} << 40);
  DiagOutputExW(L"no place %d%%", 5);
  ASSERT_EQ(outer.size(), 2u);
  EXPECT_EQ(outer[0], CQeStringW::Formatted(
                          L"diag_rtti_test.cpp:%d: Upgrade (phase 1) OK 1099511627776", line));
  EXPECT_EQ(outer[1], L"no place 5%");
}

namespace {
class IQeGreeter {
 public:
  virtual const wchar_t* Hello() = 0;

 protected:
  ~IQeGreeter() = default;
};

int g_alive = 0;

class CQeTestGreeter : public CQeRTTIObject, public IQeGreeter {
 public:
  CQeTestGreeter() { ++g_alive; }
  ~CQeTestGreeter() override { --g_alive; }
  void* GetInterface(const wchar_t* name) override {
    return std::wcscmp(name, L"IQeGreeter") == 0 ? static_cast<IQeGreeter*>(this) : nullptr;
  }
  const wchar_t* Hello() override { return L"hello"; }
};
QE_RTTI_REGISTER(CQeTestGreeter);
}  // namespace

TEST(RTTI, CreatesRegisteredClassesByNameAndReleasesThem) {
  std::vector<CQeStringW> lines;
  CQeDiagSinkScope capture([&lines](const CQeStringW& line) { lines.push_back(line); });
  auto* g =
      static_cast<IQeGreeter*>(CQeRTTI::CreateAndQuery(L"CQeTestGreeter", L"IQeGreeter", "here"));
  ASSERT_NE(g, nullptr);
  EXPECT_STREQ(g->Hello(), L"hello");
  EXPECT_EQ(CQeRTTI::CreateAndQuery(L"CQeTestGreeter", L"IQeOther", "here"), nullptr);
  EXPECT_EQ(g_alive, 1);  // the object that did not answer is gone again
  EXPECT_EQ(CQeRTTI::CreateAndQuery(L"NoSuchClass", L"IQeGreeter", "here"), nullptr);
  EXPECT_NE(lines.back().Find(L"NoSuchClass"), -1);
  EXPECT_EQ(CQeRTTI::Release(g), 0);
  EXPECT_EQ(g_alive, 0);
}
