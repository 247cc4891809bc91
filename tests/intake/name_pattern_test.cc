#include "intake/name_pattern.h"

#include <gtest/gtest.h>

#include <string_view>

namespace {

struct Case {
  std::string_view pattern;  // one pattern, or a comma list
  std::string_view name;
  int result;
};

TEST(NamePatternTest, MatchNamePattern) {
  const Case cases[] = {
      {"*.gif", "/x.gif", 1},
      {"*.gif", "/X.GIF", 1},
      {"*.gif", "/pics/a.GIF", 1},
      {"*.gif", "/a.b.gif", 0},  // "*" stops at the first "."
      {"*.gif", "/img.old/a.gif", 0},
      {"*.gif", "/x.gifs", 0},  // name characters left over
      {"*.gif", "/a.gif.bak", 0},
      {"*.gif", "/gif", 0},
      {"*gif", "/gif/a.gif", 0},  // "*" stops at the first "g"
      {"/*.gif", "/dir/a.gif", 1},
      {"/a*c", "/abcbc", 0},
      {"*x", "xyx", 0},
      {"a*b", "ab", 1},  // "*" stands for nothing
      {"/a*", "/abc", 1},
      {"/a*", "/a", 1},
      {"/A*C", "/abc", 1},
      {"*", "", 1},
      {"*", "/anything", 1},
      {"", "", 1},
      {"", "/a", 0},
      {"/a", "", 0},
      {"/abc", "/ABC", 1},
      {"/abc", "/ab", 0},
      {"/ab", "/abc", 0},
      {"/a?c", "/abc", 1},
      {"/a?c", "/ac", 0},
      {"/a?", "/a", 0},  // "?" needs a character
      {"?", "\xE5", 1},
      {"*?b", "/axb", 0},  // after "*" a "?" is sought literally
      {"*?b", "/a?b", 1},
      {"**b", "/a*b", 1},  // and so is a second "*"
      {"**b", "/ab", 0},
      {"*.gif*", "/x.gifs", 1},
      {"*.GIF", "/x.gif", 1},
      // Only A-Z fold; bytes of 128 and above compare exactly.
      {"/\xC5", "/\xE5", 0},
      {"/\xE5", "/\xE5", 1},
      {"/[", "/{", 0},  // 0x5B and 0x7B differ by 32 but are not letters
      {"/@", "/`", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.result, MatchNamePattern(c.name, c.pattern))
        << "pattern \"" << c.pattern << "\", name \"" << c.name << "\"";
    // A list of one pattern must agree, whatever shortcut the list takes.
    if (!c.pattern.empty()) {
      EXPECT_EQ(c.result, MatchNamePatterns(c.name, SplitNamePatterns(c.pattern)))
          << "list \"" << c.pattern << "\", name \"" << c.name << "\"";
    }
  }
}

TEST(NamePatternTest, MatchNamePatterns) {
  const Case cases[] = {
      {"*.gif,*.jpg", "/a.jpg", 1},
      {"*.gif,*.jpg", "/a.GIF", 1},
      {"*.gif,*.jpg", "/a.png", 0},
      {"*.gif, *.jpg", "/a.jpg", 0},  // the second pattern begins with a blank
      {"*.gif, *.jpg", " /a.jpg", 1},
      {",,*.png,", "/a.png", 1},
      {"", "/a.png", 0},
      {",,,", "/a.png", 0},
      {",,,", "", 0},  // empty items are skipped, not empty patterns
      {"/a.png", "/a.png", 1},
      {"*.gif,*", "/a.png", 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.result, MatchNamePatterns(c.name, SplitNamePatterns(c.pattern)))
        << "list \"" << c.pattern << "\", name \"" << c.name << "\"";
  }
}

}  // namespace
