// Runs every case of the table once per hostile text and text argument, on
// a fresh fixture database per function: no statement may fail to prepare,
// no status may fall outside the documented ones, no row the call does not
// own may change, and stored texts read back as given.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>

#include "hostile/hostile_support.h"

namespace qe::hostile {
namespace {

class HostileText : public ::testing::TestWithParam<size_t> {};

TEST(HostileLog, IsInstalledBeforeSqliteStarts) { EXPECT_EQ(LogConfigResult(), SQLITE_OK); }

TEST_P(HostileText, LosesNothing) {
  const SCase& c = Cases()[GetParam()];
  SCOPED_TRACE(c.signature);
  ASSERT_TRUE(c.run) << c.excluded;
  Ctx ctx;
  ASSERT_TRUE(ctx.Ready());
  if (c.setup) c.setup(ctx);
  ASSERT_FALSE(HasFailure()) << "the fixture database could not be filled";
  ++Figures().functions;
  for (const SHostileText& text : HostileTexts()) {
    for (int slot = 0; slot < c.slots; ++slot) {
      SCOPED_TRACE(std::string(text.label) + ", text argument " + std::to_string(slot + 1));
      ctx.Call(c.run, text.text, slot, c.slots);
      ++Figures().calls;
      if (HasFatalFailure()) return;
    }
  }
}

std::vector<size_t> RunnableCases() {
  std::vector<size_t> out;
  for (size_t i = 0; i < Cases().size(); ++i) {
    if (Cases()[i].run) out.push_back(i);
  }
  return out;
}

std::string CaseName(const ::testing::TestParamInfo<size_t>& info) {
  std::string name;
  for (char ch : Cases()[info.param].signature) {
    if (ch == '(') break;
    name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
  }
  return name + "_" + std::to_string(info.param);
}

// The figures of a whole run, printed at its end (docs/reliability.md).
class CFiguresPrinter : public ::testing::Environment {
 public:
  void TearDown() override {
    const SFigures& f = Figures();
    std::printf("hostile figures: %d functions, %d texts, %lld calls; %d damaged files, %d calls\n",
                f.functions, static_cast<int>(HostileTexts().size()),
                static_cast<long long>(f.calls), f.corruptFiles, f.corruptCalls);
  }
};

::testing::Environment* const kFiguresPrinter =
    ::testing::AddGlobalTestEnvironment(new CFiguresPrinter);

INSTANTIATE_TEST_SUITE_P(Functions, HostileText, ::testing::ValuesIn(RunnableCases()), CaseName);

}  // namespace
}  // namespace qe::hostile
