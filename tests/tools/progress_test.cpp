// The progress display of long subcommands: plain lines when not on a
// terminal, a bar redrawn in place on one.
#include "progress.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace qe::cli {
namespace {

// What a Progress wrote to a temporary file.
class Output {
 public:
  ~Output() {
    std::fclose(file_);
    std::free(text_);
  }
  std::FILE* file() { return file_; }
  std::string Text() { return std::fflush(file_) == 0 ? std::string(text_, size_) : ""; }

 private:
  char* text_ = nullptr;
  size_t size_ = 0;
  std::FILE* file_ = open_memstream(&text_, &size_);
};

// Lines at the start, each quarter and the end; work that stops early says
// how far it came.
TEST(Progress, PlainLinesWhenNotOnATerminal) {
  Output out;
  {
    Progress progress("copying", 8, false, out.file());
    for (int i = 0; i < 8; ++i) progress.Step();
  }
  {
    Progress progress("merging", 10, false, out.file());
    progress.Set(3);
    progress.Set(2);  // never goes back
  }
  EXPECT_EQ(out.Text(),
            "copying: 0/8\ncopying: 2/8 (25%)\ncopying: 4/8 (50%)\ncopying: 6/8 (75%)\n"
            "copying: done, 8/8\nmerging: 0/10\nmerging: 3/10 (30%)\nmerging: stopped at 3/10\n");
}

TEST(Progress, OnATerminalABarIsRedrawnInPlace) {
  Output out;
  {
    Progress progress("thumbnails", 4, true, out.file());
    progress.Step(2);
    progress.Step(2);
  }
  const std::string text = out.Text();
  EXPECT_NE(text.find("\rthumbnails  [###############...............]  50%  2/4"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("100%  4/4\n"), std::string::npos) << text;
  EXPECT_EQ(text.find('\n'), text.size() - 1);  // one line only
}

}  // namespace
}  // namespace qe::cli
